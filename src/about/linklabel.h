#pragma once
// A static text that is a hyperlink: underlined, in the link colour, with a
// hand cursor and a tooltip showing the target. It turns to the highlight
// colour while the pointer is over it and to the visited colour once
// followed, and opens its target with the desktop when clicked, falling back
// to starting the registered web browser itself.
//
// Until SubclassWindow it is a plain static. The alignment stands for the
// static's style: AlignHCenter is centred, AlignRight right-aligned,
// AlignVCenter centred vertically (single line); AlignLeft | AlignTop is the
// plain left-aligned static a new control starts as.
#include "about/tooltipctrl.h"

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QLabel>

#include <optional>
#include <string>

namespace about {

class CLinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit CLinkLabel(QWidget* pParent = nullptr);
  ~CLinkLabel() override;

  // Takes the control over once its text, font, place and alignment are set
  // (the dialog's data exchange does this). Runs PreSubclassWindow once.
  void SubclassWindow();
  bool IsSubclassed() const { return m_bSubclassed; }

  // strTarget holds code-page bytes.
  void SetLinkTarget(std::string strTarget);
  void SetVisited(bool bVisited = true);
  // The desktop's result, or the browser starter's when the desktop could
  // not open it and a browser is registered; above 32 is success.
  int OpenLink(const QString& target, int nShowCmd);
  // OpenLink without waiting on the interface thread: the opener and then
  // the browser query run meanwhile; OnLinkOpened gets the result.
  void OpenLinkAsync(const QString& target, int nShowCmd);
  // The fallback of OpenLink once the desktop answered nShell: the
  // registered browser, started directly. Any thread.
  static int OpenWithBrowser(const QString& target, int nShowCmd, int nShell);
  void ReportLinkError(int nError);
  void FitToText();
  void LoadHandCursor();
  // A value of the desktop's association store (see
  // platform::ReadClassesRootValue); 0 on success.
  static int ReadDefaultRegValue(const QString& subkey, QString& value);

  // The text colour for the current state: hover, else visited, else link.
  QColor OnCtlColor() const;

  QColor m_crLink;
  QColor m_crVisited;
  QColor m_crHover;
  bool m_bOver = false;  // the pointer is over the control, which holds the mouse grab
  bool m_bVisited = false;
  bool m_bUnderline = true;
  bool m_bFitToText = true;
  std::string m_strTarget;
  QFont m_font;
  std::optional<QCursor> m_hCursor;  // none: the standard cursor
  CToolTipCtrl m_toolTip;

 protected:
  virtual void PreSubclassWindow();
  // Every event passes the tooltip first.
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void hideEvent(QHideEvent* e) override;

  void OnClicked();
  // Visited on success; otherwise a beep and the reason.
  void OnLinkOpened(int nResult);
  bool OnSetCursor();
  void OnMouseMove(const QPoint& point);

 private:
  void LeaveHover();

  bool m_bSubclassed = false;
  bool m_bPressed = false;
};

}  // namespace about
