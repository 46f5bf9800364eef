#include "framework/framewnd.h"

#include "framework/bars.h"
#include "framework/doctemplate.h"
#include "framework/document.h"
#include "framework/editview.h"
#include "framework/splitter.h"
#include "framework/winapp.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QResizeEvent>
#include <QTimer>

namespace fw {

CFrameWnd::CFrameWnd() { setAttribute(Qt::WA_DeleteOnClose, false); }

CFrameWnd::~CFrameWnd() {
  qApp->removeEventFilter(this);
  if (m_pDocTemplate) m_pDocTemplate->OnFrameDestroyed(this);
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  (void)cs;
  return true;
}

bool CFrameWnd::LoadFrame(unsigned nIDResource, std::uint32_t dwDefaultStyle, CCreateContext* pContext) {
  (void)nIDResource;
  CREATESTRUCT cs;
  cs.style = dwDefaultStyle;
  if (!PreCreateWindow(cs)) return false;
  m_dwStyle = cs.style;
  m_pCreateContext = pContext;
  if (pContext) m_pDocument = pContext->m_pCurrentDoc;
  if (m_pDocument) m_pDocTemplate = m_pDocument->GetDocTemplate();
  const int result = OnCreate(cs);
  m_pCreateContext = nullptr;
  if (result == -1) return false;
  qApp->installEventFilter(this);
  return true;
}

int CFrameWnd::OnCreate(CREATESTRUCT& cs) { return OnCreateClient(cs, m_pCreateContext) ? 0 : -1; }

bool CFrameWnd::OnCreateClient(CREATESTRUCT& cs, CCreateContext* pContext) {
  (void)cs;
  (void)pContext;
  return true;
}

void CFrameWnd::OnSize(unsigned nType, int cx, int cy) {
  (void)nType;
  (void)cx;
  (void)cy;
}

void CFrameWnd::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  const unsigned type = isMinimized() ? SIZE_MINIMIZED : isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
  OnSize(type, e->size().width(), e->size().height());
}

void CFrameWnd::closeEvent(QCloseEvent* e) {
  // The frame decides in OnClose; a close it goes on with destroys it there.
  e->ignore();
  if (!m_bDestroying) OnClose();
}

void CFrameWnd::OnClose() {
  if (CDocument* doc = GetActiveDocument(); doc && !doc->SaveModified()) return;
  DestroyWindow();
}

void CFrameWnd::DestroyWindow() {
  if (m_bDestroying) return;
  m_bDestroying = true;
  hide();
  if (CWinApp* app = AfxGetApp(); app && app->GetMainWnd() == this) {
    app->OnMainWndDestroyed();
    QCoreApplication::quit();
  }
  deleteLater();
}

CDocument* CFrameWnd::GetActiveDocument() const {
  if (m_pActiveView && m_pActiveView->GetDocument()) return m_pActiveView->GetDocument();
  return m_pDocument;
}

void CFrameWnd::SetActiveView(CEditView* pView, bool bNotify) {
  m_pActiveView = pView;
  if (bNotify && pView) pView->setFocus(Qt::OtherFocusReason);
  RequestIdleUpdate();
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, bool bMakeVisible) {
  if (!m_pActiveView) {
    if (auto* splitter = findChild<CSplitterWnd*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (auto* first = dynamic_cast<CEditView*>(splitter->GetPane(0, 0))) SetActiveView(first);
    }
  }
  if (pDoc) {
    // A copy: an initial update may not change the list, but must not break it.
    const std::vector<CEditView*> views = pDoc->GetViews();
    for (CEditView* v : views) v->OnInitialUpdate();
  }
  if (bMakeVisible) show();
}

namespace {
constexpr unsigned ID_VIEW_TOOLBAR = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
}  // namespace

QWidget* CFrameWnd::ControlBar(unsigned nID) const {
  if (nID == ID_VIEW_TOOLBAR) return findChild<QToolBar*>(QString(), Qt::FindDirectChildrenOnly);
  return findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
}

void CFrameWnd::OnViewToolbar() {
  if (QWidget* bar = ControlBar(ID_VIEW_TOOLBAR)) bar->setVisible(!bar->isVisible());
}

void CFrameWnd::OnViewStatusBar() {
  if (QWidget* bar = ControlBar(ID_VIEW_STATUS_BAR)) bar->setVisible(!bar->isVisible());
}

void CFrameWnd::OnUpdateViewToolbar(CCmdUI* pCmdUI) {
  QWidget* bar = ControlBar(ID_VIEW_TOOLBAR);
  pCmdUI->Enable(bar != nullptr);
  pCmdUI->SetCheck(bar && !bar->isHidden());
}

void CFrameWnd::OnUpdateViewStatusBar(CCmdUI* pCmdUI) {
  QWidget* bar = ControlBar(ID_VIEW_STATUS_BAR);
  pCmdUI->Enable(bar != nullptr);
  pCmdUI->SetCheck(bar && !bar->isHidden());
}

bool CFrameWnd::OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI) {
  static const CmdEntry<CFrameWnd> table[] = {
      {ID_VIEW_TOOLBAR, &CFrameWnd::OnViewToolbar, &CFrameWnd::OnUpdateViewToolbar},
      {ID_VIEW_STATUS_BAR, &CFrameWnd::OnViewStatusBar, &CFrameWnd::OnUpdateViewStatusBar},
  };
  return DispatchCmdMsg(this, table, nID, pCmdUI);
}

void CFrameWnd::LoadMenu(std::span<const PopupData> popups) {
  QMenuBar* bar = menuBar();
  for (const PopupData& popup : popups) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(popup.text));
    for (const MenuItemData& item : popup.items) {
      if (item.nID == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = GetCommandAction(item.nID);
      action->setText(QString::fromUtf8(item.text));
      menu->addAction(action);
    }
    // Update handlers run as the menu opens; prompts follow the highlight.
    connect(menu, &QMenu::aboutToShow, this, &CFrameWnd::UpdateCommandUI);
    connect(menu, &QMenu::hovered, this,
            [this](QAction* a) { ShowCommandPrompt(a->isSeparator() ? -1 : static_cast<int>(a->data().toUInt())); });
    connect(menu, &QMenu::aboutToHide, this, [this] { ShowCommandPrompt(-1); });
  }
}

void CFrameWnd::LoadAccelTable(std::span<const AccelData> accels) {
  std::map<unsigned, QList<QKeySequence>> keys;
  for (const AccelData& a : accels) {
    const QKeyCombination combo(a.modifiers, a.key);
    keys[a.nID].append(QKeySequence(combo));
    m_accelKeys.push_back(combo);
  }
  for (auto& [nID, list] : keys) {
    QAction* action = GetCommandAction(nID);
    action->setShortcuts(list);
    action->setShortcutContext(Qt::WindowShortcut);
    // Keys work whether or not the command has a menu item.
    addAction(action);
  }
}

bool CFrameWnd::IsAcceleratorKey(QKeyCombination key) const {
  return std::find(m_accelKeys.begin(), m_accelKeys.end(), key) != m_accelKeys.end();
}

bool CFrameWnd::event(QEvent* e) {
  // Prompts go to the message pane through ShowCommandPrompt, not as
  // temporary status bar messages.
  if (e->type() == QEvent::StatusTip) return true;
  return QMainWindow::event(e);
}

bool CFrameWnd::OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) {
  if (m_pActiveView && m_pActiveView->OnCmdMsg(nID, pCmdUI)) return true;
  if (OnOwnCmdMsg(nID, pCmdUI)) return true;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, pCmdUI);
}

void CFrameWnd::InitCommandAction(QAction* action, unsigned nID) {
  (void)action;
  (void)nID;
}

QAction* CFrameWnd::GetCommandAction(unsigned nID) {
  auto it = m_actions.find(nID);
  if (it != m_actions.end()) return it->second;
  auto* action = new QAction(this);
  action->setData(nID);
  connect(action, &QAction::triggered, this, [this, nID] {
    // A command whose update handler disables it is not carried out, even
    // when the idle pass has not greyed it yet.
    CCmdUI state(nID);
    if (OnCmdMsg(nID, &state) && !state.m_bEnabled) return;
    SendCommand(nID);
    RequestIdleUpdate();
  });
  InitCommandAction(action, nID);
  m_actions.emplace(nID, action);
  return action;
}

void CFrameWnd::UpdateCommandUI() {
  m_bIdlePending = false;
  if (m_bDestroying) return;
  std::map<unsigned, bool> buttonEnabled;
  for (auto& [nID, action] : m_actions) {
    CCmdUI state(nID);
    bool menuOn = true;
    bool buttonOn = true;
    if (OnCmdMsg(nID, &state)) {
      menuOn = buttonOn = state.m_bEnabled;
    } else {
      CCmdUI probe(nID);
      probe.m_bProbe = true;
      buttonOn = OnCmdMsg(nID, &probe);
      menuOn = m_bAutoMenuEnable ? buttonOn : true;
    }
    action->setEnabled(menuOn);
    if (state.m_bChecked) {
      action->setCheckable(true);
      action->setChecked(*state.m_bChecked);
    }
    buttonEnabled[nID] = buttonOn;
  }
  for (CToolBarButton* button : findChildren<CToolBarButton*>()) {
    auto it = buttonEnabled.find(button->commandAction()->data().toUInt());
    if (it != buttonEnabled.end()) button->setEnabled(it->second);
  }
}

void CFrameWnd::RequestIdleUpdate() {
  if (m_bIdlePending || m_bDestroying) return;
  m_bIdlePending = true;
  QTimer::singleShot(0, this, &CFrameWnd::UpdateCommandUI);
}

void CFrameWnd::ShowCommandPrompt(int nID) { (void)nID; }

bool CFrameWnd::eventFilter(QObject* watched, QEvent* e) {
  switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
    case QEvent::Clipboard:
    case QEvent::WindowActivate:
      RequestIdleUpdate();
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, e);
}

}  // namespace fw
