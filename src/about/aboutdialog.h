#pragma once
// The About box: the program's name and version, what it is, a link to the
// maker's web site, and OK. Built from dialog template 100 (IDD_ABOUTBOX) in
// dialog units; a new one each time, so a followed link is blue again when
// the box reopens.
#include "about/linklabel.h"

#include <QDialog>

class QPushButton;

namespace about {

constexpr unsigned IDC_LINK = 1002;

// The address the link opens and the host name it shows.
inline constexpr char kMakerUrl[] = "https://dictionary.cambridge.org/zhs/";
inline constexpr char kMakerHost[] = "dictionary.cambridge.org";

class CAboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDialog(QWidget* pParent = nullptr);
  ~CAboutDialog() override;

  // Initialises the dialog and runs it modally: QDialog::Accepted for OK,
  // Rejected for Escape and the close box.
  int DoModal();

  CLinkLabel m_wndLink;

 protected:
  // Attaches m_wndLink to control 1002.
  virtual void DoDataExchange();
  // True: the focus goes to the first control that takes it (OK).
  virtual bool OnInitDialog();

 private:
  void KeepControlsInside();

  QPushButton* m_pBtnOK = nullptr;
  bool m_bInitialised = false;
};

}  // namespace about
