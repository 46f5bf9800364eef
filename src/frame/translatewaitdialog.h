#pragma once
// The modeless "please wait" box shown while a translation runs. The object
// lives as long as the frame; its window exists only between Create and
// DestroyWindow. Enter and Esc close the window, not a modal loop.
#include <QDialog>
#include <QPointer>

namespace frame {

class CTranslateWaitDialog {
 public:
  CTranslateWaitDialog();
  virtual ~CTranslateWaitDialog();
  CTranslateWaitDialog(const CTranslateWaitDialog&) = delete;
  CTranslateWaitDialog& operator=(const CTranslateWaitDialog&) = delete;

  // Builds the window from template nIDTemplate (hidden until shown).
  bool Create(unsigned nIDTemplate, QWidget* pParent);
  bool DestroyWindow();
  QDialog* GetSafeHwnd() const { return m_hWnd; }

  virtual void OnOK();
  virtual void OnCancel();

 private:
  QPointer<QDialog> m_hWnd;
};

}  // namespace frame
