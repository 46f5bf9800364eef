#include "about/tooltipctrl.h"

#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>

namespace about {

CToolTipCtrl::~CToolTipCtrl() { DestroyWindow(); }

bool CToolTipCtrl::Create(QWidget* pParentWnd) {
  if (!pParentWnd || IsCreated()) return false;
  m_pParent = pParentWnd;
  return true;
}

void CToolTipCtrl::DestroyWindow() {
  HideOwnTip();
  m_tools.clear();
  m_pParent = nullptr;
}

bool CToolTipCtrl::AddTool(QWidget* pWnd, const QString& text, const QRect& rectTool, unsigned nIDTool) {
  if (!IsCreated() || !pWnd || FindTool(pWnd, nIDTool)) return false;
  m_tools.push_back({pWnd, nIDTool, rectTool, text});
  return true;
}

void CToolTipCtrl::UpdateTipText(const QString& text, QWidget* pWnd, unsigned nIDTool) {
  if (Tool* tool = FindTool(pWnd, nIDTool)) tool->text = text;
}

QString CToolTipCtrl::GetText(const QWidget* pWnd, unsigned nIDTool) const {
  const Tool* tool = FindTool(pWnd, nIDTool);
  return tool ? tool->text : QString();
}

bool CToolTipCtrl::RelayEvent(QWidget* pWnd, QEvent* pEvent) {
  if (!IsCreated()) return false;
  switch (pEvent->type()) {
    case QEvent::ToolTip: {
      const auto* help = static_cast<QHelpEvent*>(pEvent);
      for (const Tool& tool : m_tools) {
        if (tool.wnd != pWnd || !tool.rect.contains(help->pos()) || tool.text.isEmpty()) continue;
        // Given the rectangle, the tip also goes by itself once the pointer
        // leaves it.
        QToolTip::showText(help->globalPos(), tool.text, pWnd, tool.rect);
        m_strShowing = tool.text;
        return true;
      }
      return false;
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide: HideOwnTip(); return false;
    default: return false;
  }
}

CToolTipCtrl::Tool* CToolTipCtrl::FindTool(const QWidget* pWnd, unsigned nIDTool) {
  for (Tool& tool : m_tools)
    if (tool.wnd == pWnd && tool.nID == nIDTool) return &tool;
  return nullptr;
}

const CToolTipCtrl::Tool* CToolTipCtrl::FindTool(const QWidget* pWnd, unsigned nIDTool) const {
  return const_cast<CToolTipCtrl*>(this)->FindTool(pWnd, nIDTool);
}

void CToolTipCtrl::HideOwnTip() {
  // Only our own tip: another control's must stay up.
  if (!m_strShowing.isEmpty() && QToolTip::isVisible() && QToolTip::text() == m_strShowing)
    QToolTip::hideText();
  m_strShowing.clear();
}

}  // namespace about
