#include "framework/bars.h"

#include "framework/afxres.h"
#include "framework/afxstrings.h"
#include "framework/framewnd.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QTimer>

#ifdef LEX_HAVE_X11
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#endif

namespace fw {

CToolBarButton::CToolBarButton(QAction* action, QWidget* parent) : QToolButton(parent), m_pAction(action) {
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QToolButton::clicked, action, &QAction::trigger);
  connect(action, &QAction::changed, this, &CToolBarButton::Sync);
  Sync();
}

void CToolBarButton::Sync() {
  // Enabled follows the frame's update pass, not the action: a command no
  // class handles keeps its menu item but greys its button.
  setIcon(m_pAction->icon());
  setCheckable(m_pAction->isCheckable());
  setChecked(m_pAction->isChecked());
  setToolTip(m_pAction->toolTip());
  setStatusTip(m_pAction->statusTip());
}

bool CToolBarButton::event(QEvent* e) {
  // The status prompt while the pointer rests on the button, as for a menu
  // item; leaving it brings the idle text back.
  if (e->type() == QEvent::Enter || e->type() == QEvent::Leave) {
    if (auto* frame = dynamic_cast<CFrameWnd*>(window()))
      frame->ShowCommandPrompt(e->type() == QEvent::Enter ? static_cast<int>(m_pAction->data().toUInt()) : -1);
  }
  return QToolButton::event(e);
}

CToolBar::CToolBar() = default;

bool CToolBar::CreateEx(CFrameWnd* pParent, unsigned nID) {
  setParent(pParent);
  setObjectName(QStringLiteral("ToolBar%1").arg(nID));
  setWindowTitle(QStringLiteral("标准"));
  setMovable(true);    // gripper
  setFloatable(true);  // it may be docked anywhere or float
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  setIconSize(QSize(25, 24));
  return true;
}

bool CToolBar::LoadToolBar(std::span<const unsigned> ids, const std::function<QAction*(unsigned)>& actionFor) {
  if (!m_slots.empty()) return false;
  for (unsigned id : ids) {
    if (id == 0) {
      addSeparator();
      m_slots.push_back({0, nullptr});
      continue;
    }
    QAction* action = actionFor(id);
    if (!action) return false;
    auto* button = new CToolBarButton(action, this);
    button->setIconSize(iconSize());
    addWidget(button);
    m_slots.push_back({id, button});
  }
  return true;
}

unsigned CToolBar::GetItemID(int nIndex) const { return m_slots.at(static_cast<std::size_t>(nIndex)).nID; }

CToolBarButton* CToolBar::GetButton(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetButtonCount()) return nullptr;
  return static_cast<CToolBarButton*>(m_slots[static_cast<std::size_t>(nIndex)].pWidget);
}

bool CToolBar::SetButtonText(int nIndex, const QString& text) {
  CToolBarButton* button = GetButton(nIndex);
  if (!button) return false;
  button->setText(text);
  return true;
}

QString CToolBar::GetButtonText(int nIndex) const {
  CToolBarButton* button = GetButton(nIndex);
  return button ? button->text() : QString();
}

QRect CToolBar::GetItemRect(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetButtonCount()) return {};
  if (QWidget* w = m_slots[static_cast<std::size_t>(nIndex)].pWidget) {
    // Until sizes are set, buttons share one size that fits the widest
    // label, so a longer label is never cut short.
    QSize size = m_sizeButton;
    if (!size.isValid()) {
      for (const Slot& s : m_slots)
        if (s.pWidget) size = size.expandedTo(s.pWidget->sizeHint());
    }
    return QRect(w->pos(), size);
  }
  // A separator: its own thin slot.
  return QRect(0, 0, 8, m_sizeButton.isValid() ? m_sizeButton.height() : iconSize().height());
}

void CToolBar::SetSizes(QSize sizeButton, QSize sizeImage) {
  m_sizeButton = sizeButton;
  setIconSize(sizeImage);
  for (const Slot& s : m_slots) {
    if (auto* button = static_cast<CToolBarButton*>(s.pWidget)) {
      button->setIconSize(sizeImage);
      button->setFixedSize(sizeButton);
    }
  }
}

namespace {

std::function<LockKeyState()>& LockKeyQuery() {
  static std::function<LockKeyState()> query;
  return query;
}

}  // namespace

LockKeyState QueryLockKeys() {
  if (LockKeyQuery()) return LockKeyQuery()();
  LockKeyState state;
#ifdef LEX_HAVE_X11
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* dpy = x11 ? x11->display() : nullptr;
  if (!dpy) return state;
  static const Atom caps = XInternAtom(dpy, "Caps Lock", False);
  static const Atom num = XInternAtom(dpy, "Num Lock", False);
  static const Atom scroll = XInternAtom(dpy, "Scroll Lock", False);
  Bool on = False;
  state.known = XkbGetNamedIndicator(dpy, caps, nullptr, &on, nullptr, nullptr);
  state.caps = on;
  on = False;
  XkbGetNamedIndicator(dpy, num, nullptr, &on, nullptr, nullptr);
  state.num = on;
  on = False;
  XkbGetNamedIndicator(dpy, scroll, nullptr, &on, nullptr, nullptr);
  state.scroll = on;
#endif
  return state;
}

void CStatusBar::SetLockKeyQueryForTesting(std::function<LockKeyState()> query) {
  LockKeyQuery() = std::move(query);
}

CStatusBar::CStatusBar() = default;

bool CStatusBar::Create(CFrameWnd* pParent, unsigned nID) {
  setParent(pParent);
  setObjectName(QStringLiteral("StatusBar%1").arg(nID));
  setSizeGripEnabled(true);
  return true;
}

bool CStatusBar::SetIndicators(std::span<const unsigned> ids) {
  if (!m_panes.empty()) return false;
  for (unsigned id : ids) {
    auto* pane = new QLabel(this);
    if (id == ID_SEPARATOR) {
      pane->setText(LoadString(AFX_IDS_IDLEMESSAGE));
      pane->setObjectName(QStringLiteral("MessagePane"));
      addWidget(pane, 1);
    } else {
      const QString text = LoadString(id);
      if (text.isEmpty()) return false;
      pane->setObjectName(QStringLiteral("Indicator%1").arg(id));
      pane->setAlignment(Qt::AlignCenter);
      pane->setFrameShape(QFrame::StyledPanel);
      pane->setFrameShadow(QFrame::Sunken);
      pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 12);
      pane->setProperty("indicatorText", text);
      addPermanentWidget(pane);
    }
    m_ids.push_back(id);
    m_panes.push_back(pane);
  }
  UpdateIndicators();
  if (!m_pPollTimer) {
    // Lock keys can change while another window has the keyboard.
    m_pPollTimer = new QTimer(this);
    m_pPollTimer->setInterval(250);
    connect(m_pPollTimer, &QTimer::timeout, this, &CStatusBar::UpdateIndicators);
    m_pPollTimer->start();
  }
  return true;
}

void CStatusBar::SetPaneText(int nIndex, const QString& text) {
  m_panes.at(static_cast<std::size_t>(nIndex))->setText(text);
}

QString CStatusBar::GetPaneText(int nIndex) const { return m_panes.at(static_cast<std::size_t>(nIndex))->text(); }

bool CStatusBar::IsPaneEnabled(int nIndex) const { return m_panes.at(static_cast<std::size_t>(nIndex))->isEnabled(); }

void CStatusBar::UpdateIndicators() {
  const LockKeyState state = QueryLockKeys();
  for (std::size_t i = 0; i < m_ids.size(); ++i) {
    bool on = false;
    switch (m_ids[i]) {
      case ID_INDICATOR_CAPS: on = state.caps; break;
      case ID_INDICATOR_NUM: on = state.num; break;
      case ID_INDICATOR_SCRL: on = state.scroll; break;
      default: continue;
    }
    // Known: the text shows while the key is on. Unknown: greyed text, so the
    // pane never claims a state it cannot read.
    QLabel* pane = m_panes[i];
    const QString text = pane->property("indicatorText").toString();
    pane->setText(!state.known || on ? text : QString());
    pane->setEnabled(state.known);
  }
}

}  // namespace fw
