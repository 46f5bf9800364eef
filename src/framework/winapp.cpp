#include "framework/winapp.h"

#include "framework/afxres.h"
#include "framework/afxstrings.h"
#include "framework/doctemplate.h"
#include "framework/document.h"
#include "framework/fileio.h"
#include "framework/framewnd.h"

#include <QApplication>
#include <QFileDialog>
#include <QSettings>

namespace fw {

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

QString CWinApp::GetAppName() const { return LoadString(AFX_IDS_APP_TITLE); }

void CWinApp::SetRegistryKey(const QString& company) { m_strRegistryKey = company; }

std::unique_ptr<QSettings> CWinApp::OpenProfile() const {
  return std::make_unique<QSettings>(m_strRegistryKey, GetAppName());
}

void CWinApp::LoadStdProfileSettings(int nMaxMRU) {
  m_nMaxMRU = nMaxMRU;
  m_recentFiles.clear();
  auto profile = OpenProfile();
  for (int i = 1; i <= nMaxMRU; ++i) {
    const QString name = profile->value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
    if (!name.isEmpty()) m_recentFiles << name;
  }
  // Read for the framework's print preview; nothing here prints.
  (void)profile->value(QStringLiteral("Settings/PreviewPages"), 0).toInt();
  m_bProfileLoaded = true;
}

void CWinApp::AddToRecentFileList(const QString& path) {
  if (m_nMaxMRU <= 0) return;
  m_recentFiles.removeAll(path);
  m_recentFiles.prepend(path);
  while (m_recentFiles.size() > m_nMaxMRU) m_recentFiles.removeLast();
}

void CWinApp::SaveStdProfileSettings() {
  if (!m_bProfileLoaded) return;
  auto profile = OpenProfile();
  profile->remove(QStringLiteral("Recent File List"));
  for (int i = 0; i < m_recentFiles.size(); ++i)
    profile->setValue(QStringLiteral("Recent File List/File%1").arg(i + 1), m_recentFiles[i]);
  profile->sync();
}

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate) { m_pDocTemplate = std::move(pTemplate); }

void CWinApp::ParseCommandLine(CCommandLineInfo& info, const QStringList& args) {
  info = CCommandLineInfo();
  for (const QString& arg : args) {
    // Options are the framework's; the program has none of its own. The first
    // plain argument names the file.
    if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) continue;
    if (info.m_nShellCommand == CCommandLineInfo::FileNew) {
      info.m_nShellCommand = CCommandLineInfo::FileOpen;
      info.m_strFileName = arg;
    }
  }
}

bool CWinApp::ProcessShellCommand(const CCommandLineInfo& info) {
  switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      OnFileNew();
      return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
      break;
  }
  return true;
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
  return m_pDocTemplate ? m_pDocTemplate->OpenDocumentFile(path) : nullptr;
}

void CWinApp::OnFileNew() {
  if (m_pDocTemplate) m_pDocTemplate->OpenDocumentFile(QString());
}

void CWinApp::OnFileOpen() {
  QFileDialog dlg(m_pMainWnd, LoadString(AFX_IDS_OPENFILE));
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::ExistingFile);
  SetAllFilesFilter(dlg);
  StartInLastFolder(dlg);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  RememberLastFolder(dlg.selectedFiles().constFirst());
  OpenDocumentFile(dlg.selectedFiles().constFirst());
}

void CWinApp::OnAppExit() {
  // The same close request as the window's close box.
  if (m_pMainWnd) m_pMainWnd->close();
}

bool CWinApp::OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI) {
  static const CmdEntry<CWinApp> table[] = {
      {ID_APP_EXIT, &CWinApp::OnAppExit, nullptr},
  };
  return DispatchCmdMsg(this, table, nID, pCmdUI);
}

bool CWinApp::OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) { return OnOwnCmdMsg(nID, pCmdUI); }

int CWinApp::Run() {
  const int code = QApplication::exec();
  // The frame deletes itself once the loop is done with it; its destructor
  // must run before ExitInstance.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return code;
}

int CWinApp::ExitInstance() {
  if (m_pMainWnd) {
    delete m_pMainWnd.data();
    m_pMainWnd = nullptr;
  }
  SaveStdProfileSettings();
  m_pDocTemplate.reset();
  return m_nExitCode;
}

int AfxWinMain(CWinApp* app) {
  if (!app) return 1;
  app->m_arguments = QCoreApplication::arguments().mid(1);
  if (!app->InitInstance()) {
    app->m_nExitCode = 1;
    return app->ExitInstance();
  }
  app->m_nExitCode = app->Run();
  return app->ExitInstance();
}

}  // namespace fw
