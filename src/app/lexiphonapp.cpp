#include "app/lexiphonapp.h"

#include "about/aboutdialog.h"
#include "res/resource.h"
#include "res/stringtable.h"
#include "frame/mainframe.h"
#include "framework/doctemplate.h"
#include "framework/msgbox.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "platform/netstartup.h"
#include "platform/skin.h"
#include "app/quitsignals.h"

#include <QApplication>
#include <QSessionManager>

namespace app {

CLexiphonApp theApp;
int g_bSkinActive = 0;

// The program's texts reach the framework before anything asks for one.
CLexiphonApp::CLexiphonApp() { res::InstallStringTable(); }

bool CLexiphonApp::InitInstance() {
  if (!platform::NetStartup()) {
    fw::AfxMessageBox(res::LoadString(res::IDS_SOCKETS_INIT_FAILED));
    return false;
  }
  // (The 3-D control drawing of old platforms has no counterpart here.)
  SetRegistryKey(QStringLiteral("Local AppWizard-Generated Applications"));
  LoadStdProfileSettings(4);

  AddDocTemplate(std::make_unique<fw::CDocTemplate>(
      res::IDR_MAINFRAME, [] { return new panes::CLexiphonDoc(); }, [] { return new frame::CMainFrame(); },
      [] { return new panes::CLexiphonView(); }));

  fw::CCommandLineInfo cmdInfo;
  ParseCommandLine(cmdInfo, m_arguments);
  if (!ProcessShellCommand(cmdInfo)) return false;

  fw::CFrameWnd* pMainWnd = GetMainWnd();
  platform::SkinInit(QCoreApplication::instance(), 0, 0, 0);
  platform::SkinLoadFile("corona.smf");
  g_bSkinActive = 1;
  platform::SkinSetWindow(pMainWnd, "MainFrame");
  platform::SkinSetDialogs("Dialog");

  pMainWnd->setWindowTitle(res::LoadString(res::AFX_IDS_APP_TITLE));
  pMainWnd->show();

  // A signal or the end of the session keeps the text exactly as a close.
  InstallQuitSignals([this] {
    if (fw::CFrameWnd* frame = GetMainWnd()) frame->close();
  });
  if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QObject::connect(gui, &QGuiApplication::commitDataRequest, pMainWnd, [this](QSessionManager&) {
      if (auto* frame = dynamic_cast<frame::CMainFrame*>(GetMainWnd())) frame->SaveLastText();
    });
    QObject::connect(gui, &QCoreApplication::aboutToQuit, pMainWnd, [this] {
      if (auto* frame = dynamic_cast<frame::CMainFrame*>(GetMainWnd())) frame->SaveLastText();
    });
  }
  if (auto* frame = dynamic_cast<frame::CMainFrame*>(pMainWnd)) frame->OnStartupShown();
  return true;
}

int CLexiphonApp::ExitInstance() {
  RemoveQuitSignals();
  if (g_bSkinActive == 1) {
    platform::SkinExit();
    g_bSkinActive = 0;
  }
  return fw::CWinApp::ExitInstance();
}

void CLexiphonApp::OnAppAbout() {
  about::CAboutDialog aboutDlg;
  aboutDlg.DoModal();
}

bool CLexiphonApp::OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) {
  static const fw::CmdEntry<CLexiphonApp> table[] = {
      {res::ID_APP_ABOUT, &CLexiphonApp::OnAppAbout, nullptr},
      {res::ID_FILE_NEW, &CLexiphonApp::OnFileNew, nullptr},
      {res::ID_FILE_OPEN, &CLexiphonApp::OnFileOpen, nullptr},
  };
  if (fw::DispatchCmdMsg(this, table, nID, pCmdUI)) return true;
  return fw::CWinApp::OnOwnCmdMsg(nID, pCmdUI);
}

}  // namespace app
