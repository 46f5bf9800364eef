#pragma once
// A tooltip control: its tools are rectangles of windows, each with an id and
// a text. The owner relays its window's events to it; the tip shows while the
// pointer rests inside a tool and goes when the pointer leaves or presses.
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

class QEvent;

namespace about {

class CToolTipCtrl {
 public:
  CToolTipCtrl() = default;
  ~CToolTipCtrl();
  CToolTipCtrl(const CToolTipCtrl&) = delete;
  CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;

  bool Create(QWidget* pParentWnd);
  void DestroyWindow();
  bool IsCreated() const { return m_pParent != nullptr; }

  // rectTool is in pWnd's coordinates.
  bool AddTool(QWidget* pWnd, const QString& text, const QRect& rectTool, unsigned nIDTool);
  void UpdateTipText(const QString& text, QWidget* pWnd, unsigned nIDTool);
  QString GetText(const QWidget* pWnd, unsigned nIDTool) const;

  // True when the event was a tooltip request that a tool answered.
  bool RelayEvent(QWidget* pWnd, QEvent* pEvent);

 private:
  struct Tool {
    QPointer<QWidget> wnd;
    unsigned nID;
    QRect rect;
    QString text;
  };
  Tool* FindTool(const QWidget* pWnd, unsigned nIDTool);
  const Tool* FindTool(const QWidget* pWnd, unsigned nIDTool) const;
  void HideOwnTip();

  QPointer<QWidget> m_pParent;
  std::vector<Tool> m_tools;
  QString m_strShowing;  // the text of the tip this control put up
};

}  // namespace about
