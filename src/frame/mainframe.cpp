#include "frame/mainframe.h"

#include "res/commands.h"
#include "res/resource.h"
#include "res/stringtable.h"
#include "frame/translatewaitdialog.h"
#include "framework/fileio.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "panes/lexiphondoc.h"
#include "panes/recoverycopy.h"
#include "framework/document.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <array>

namespace frame {

namespace {

constexpr int kMinPaneWidth = 100;

struct ButtonText {
  int index;
  const char* text;
};

// Indices count the separators; the texts are exact, spaces included.
constexpr std::array<ButtonText, 12> kButtonTexts = {{
    {0, "新建"},
    {1, "打开"},
    {2, "保存"},
    {4, "剪切"},
    {5, " 复制"},
    {6, " 粘贴"},
    {8, "发音 "},
    {9, "暂停"},
    {11, "英译汉"},
    {12, "汉译英"},
    {14, "设置"},
    {16, "关于"},
}};

}  // namespace

CMainFrame::CMainFrame() {
  // Items that no class handles stay enabled in the menus.
  m_bAutoMenuEnable = false;
  m_pWaitDialog = new CTranslateWaitDialog();
}

CMainFrame::~CMainFrame() {
  m_pRecovery.reset();
  ReleaseSpeech();
  if (m_pWaitDialog) {
    if (m_pWaitDialog->GetSafeHwnd()) m_pWaitDialog->DestroyWindow();
    delete m_pWaitDialog;
    m_pWaitDialog = nullptr;
  }
}

bool CMainFrame::PreCreateWindow(fw::CREATESTRUCT& cs) {
  if (!fw::CFrameWnd::PreCreateWindow(cs)) return false;
  // The caption is never given the document's name.
  cs.style &= ~fw::FWS_ADDTOTITLE;
  return PreCreateSpeech();
}

int CMainFrame::OnCreate(fw::CREATESTRUCT& cs) {
  setObjectName(QStringLiteral("MainFrame"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/lexiphon.svg")));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize avail = screen->availableGeometry().size();
    resize(std::clamp(avail.width() * 2 / 3, 640, 1200), std::clamp(avail.height() * 2 / 3, 480, 800));
  }

  // Menu and accelerators 128 come with the frame's resource.
  LoadMenu(res::MainMenu());
  LoadAccelTable(res::MainAccelerators());

  if (fw::CFrameWnd::OnCreate(cs) == -1) return -1;

  if (!m_wndToolBar.CreateEx(this, fw::AFX_IDW_TOOLBAR) ||
      !m_wndToolBar.LoadToolBar(res::kToolbarSlots, [this](unsigned id) { return GetCommandAction(id); }))
    return -1;

  static constexpr unsigned kIndicators[] = {res::ID_SEPARATOR, res::ID_INDICATOR_CAPS, res::ID_INDICATOR_NUM,
                                             res::ID_INDICATOR_SCRL};
  if (!m_wndStatusBar.Create(this, fw::AFX_IDW_STATUS_BAR) || !m_wndStatusBar.SetIndicators(kIndicators)) return -1;
  setStatusBar(&m_wndStatusBar);

  for (const ButtonText& b : kButtonTexts) m_wndToolBar.SetButtonText(b.index, QString::fromUtf8(b.text));

  // Every button takes the size of the first, labelled New button (one size
  // for all, wide enough for the longest label).
  QRect rect;
  for (int i = m_wndToolBar.GetButtonCount() - 1; i >= 0; --i) rect = m_wndToolBar.GetItemRect(i);
  m_wndToolBar.SetSizes(rect.size(), QSize(25, 24));

  m_wndToolBar.setAllowedAreas(Qt::AllToolBarAreas);
  setDockOptions(dockOptions() | QMainWindow::AnimatedDocks);
  addToolBar(Qt::TopToolBarArea, &m_wndToolBar);
  // Wide enough at first for the whole toolbar, so no button starts hidden
  // behind the overflow arrow (as far as the screen allows).
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const int needed = std::min(m_wndToolBar.sizeHint().width(), screen->availableGeometry().width());
    resize(std::max(width(), needed), height());
  }
  return 0;
}

bool CMainFrame::OnCreateClient(fw::CREATESTRUCT& cs, fw::CCreateContext* pContext) {
  (void)cs;
  if (!pContext || !m_wndSplitter.CreateStatic(this, 1, 2, fw::WS_CHILD | fw::WS_VISIBLE, fw::AFX_IDW_PANE_FIRST))
    return false;
  setCentralWidget(&m_wndSplitter);
  if (!m_wndSplitter.CreateView(0, 0, pContext->m_pNewViewClass, QSize(150, 150), pContext)) return false;
  if (!m_wndSplitter.CreateView(0, 1, [] { return new panes::CMyEditView(); }, QSize(0, 0), pContext))
    return false;
  EvenColumns();
  m_bSplitterReady = true;
  if (auto* input = Input()) m_pRecovery = std::make_unique<panes::CRecoveryCopy>(input);
  return true;
}

void CMainFrame::EvenColumns() {
  const int half = width() / 2;
  m_wndSplitter.SetColumnInfo(0, half, kMinPaneWidth);
  m_wndSplitter.SetColumnInfo(1, half, kMinPaneWidth);
  m_wndSplitter.RecalcLayout();
}

void CMainFrame::OnSize(unsigned nType, int cx, int cy) {
  fw::CFrameWnd::OnSize(nType, cx, cy);
  if (m_bSplitterReady) EvenColumns();
}

void CMainFrame::InitCommandAction(QAction* action, unsigned nID) {
  const QString icon = res::CommandIconPath(nID);
  if (!icon.isEmpty()) action->setIcon(QIcon(icon));
  action->setStatusTip(res::CommandPrompt(nID));
  action->setToolTip(res::CommandTip(nID));
}

bool CMainFrame::OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) {
  static const fw::CmdEntry<CMainFrame> table[] = {
      {res::ID_HELP_TOPICS, &CMainFrame::OnHelpTopics, nullptr},
      {res::ID_SPEECH_SPEAK, &CMainFrame::OnSpeak, nullptr},
      {res::ID_SPEECH_PAUSE, &CMainFrame::OnPause, nullptr},
      {res::ID_SPEECH_STOP, &CMainFrame::OnSpeechStop, &CMainFrame::OnUpdateSpeechStop},
      {res::ID_SPEECH_SETTINGS, &CMainFrame::OnSpeechSettings, nullptr},
      {res::ID_TRANSLATE_EN_TO_ZH, &CMainFrame::OnTranslateEnToZh, &CMainFrame::OnUpdateTranslateEnToZh},
      {res::ID_TRANSLATE_ZH_TO_EN, &CMainFrame::OnTranslateZhToEn, &CMainFrame::OnUpdateTranslateZhToEn},
  };
  if (fw::DispatchCmdMsg(this, table, nID, pCmdUI)) return true;
  if (OnSpeechStudyCmdMsg(nID, pCmdUI)) return true;
  return fw::CFrameWnd::OnOwnCmdMsg(nID, pCmdUI);
}

fw::FileResult CMainFrame::SaveLastText() {
  panes::CLexiphonView* input = Input();
  if (!input || input->IsLastTextKept()) return {};
  const fw::FileResult r = fw::WriteFileAtomic(QStringLiteral("last.txt"), input->GetWindowTextBytes());
  if (r.ok() && m_pRecovery) m_pRecovery->Discard();
  return r;
}

bool CMainFrame::SaveBeforeClose() {
  panes::CLexiphonView* input = Input();
  if (!input) return true;
  QString problem;
  if (input->IsLastTextKept()) {
    // The file that could not be loaded is left alone; only typed text is
    // at stake.
    if (input->GetTextByteLength() == 0) return true;
    problem = QStringLiteral("last.txt 在启动时无法载入，为保护其中的内容不会改写它，输入的文字不会保存到 last.txt。");
  } else {
    const fw::FileResult r = SaveLastText();
    if (r.ok()) return true;
    problem = QStringLiteral("输入的文字无法保存到 last.txt：\n%1").arg(fw::FileErrorMessage(r.error, QStringLiteral("last.txt")));
  }
  // The text would be gone: say why and let the user keep the window (to
  // save elsewhere). The old last.txt is untouched either way.
  QMessageBox box(QMessageBox::Warning, res::LoadString(res::AFX_IDS_APP_TITLE),
                  problem + QStringLiteral("\n\n仍然退出吗？退出后这些文字将会丢失。"), QMessageBox::NoButton, this);
  QPushButton* quit = box.addButton(QStringLiteral("退出"), QMessageBox::DestructiveRole);
  QPushButton* back = box.addButton(QStringLiteral("返回"), QMessageBox::RejectRole);
  box.setDefaultButton(back);
  box.setEscapeButton(back);
  box.exec();
  if (box.clickedButton() != quit) return false;
  // Quitting on purpose: the recovery copy would only offer the text again.
  if (m_pRecovery) m_pRecovery->Discard();
  return true;
}

void CMainFrame::OnClose() {
  if (!SaveBeforeClose()) return;
  fw::CFrameWnd::OnClose();
}

void CMainFrame::OnStartupShown() {
  panes::CLexiphonView* input = Input();
  if (!input) return;
  input->ShowDeferredMessage();
  std::string copy;
  if (!panes::CRecoveryCopy::ReadLeftOver(copy)) return;
  if (copy == input->GetWindowTextBytes()) {
    QFile::remove(panes::CRecoveryCopy::FilePath());
    return;
  }
  QMessageBox box(QMessageBox::Warning, res::LoadString(res::AFX_IDS_APP_TITLE),
                  QStringLiteral("上次没有正常退出，留下了尚未保存的输入文字。\n要恢复这些文字吗？"),
                  QMessageBox::NoButton, this);
  QPushButton* restore = box.addButton(QStringLiteral("恢复"), QMessageBox::AcceptRole);
  QPushButton* drop = box.addButton(QStringLiteral("放弃"), QMessageBox::RejectRole);
  box.setDefaultButton(restore);
  box.setEscapeButton(drop);
  box.exec();
  QFile::remove(panes::CRecoveryCopy::FilePath());
  if (box.clickedButton() != restore) return;
  // Undoable, so Ctrl+Z still shows what last.txt held; the restored text
  // is unsaved again and gets its own fresh copy.
  input->ReplaceWindowTextBytes(copy);
  if (input->GetDocument()) input->GetDocument()->SetModifiedFlag(true);
  if (m_pRecovery) m_pRecovery->OnEdited();
}

void CMainFrame::OnHelpTopics() {
  // The help file next to the user's data; without it, or without a viewer,
  // nothing happens and nothing is said.
  const QFileInfo help(QDir::current().filePath(QStringLiteral("lexiphon.chm")));
  if (help.isFile()) QDesktopServices::openUrl(QUrl::fromLocalFile(help.absoluteFilePath()));
}

panes::CLexiphonView* CMainFrame::Input() const {
  return dynamic_cast<panes::CLexiphonView*>(m_wndSplitter.GetPane(0, 0));
}

panes::CMyEditView* CMainFrame::Result() const {
  return dynamic_cast<panes::CMyEditView*>(m_wndSplitter.GetPane(0, 1));
}

void CMainFrame::ShowCommandPrompt(int nID) {
  if (m_wndStatusBar.GetCount() == 0) return;
  m_wndStatusBar.SetPaneText(0, nID < 0 ? res::LoadString(res::AFX_IDS_IDLEMESSAGE)
                                        : res::CommandPrompt(static_cast<unsigned>(nID)));
}

}  // namespace frame
