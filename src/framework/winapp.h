#pragma once
// The framework's application object: the profile, the recent-file list, the
// document template, the command line, the message loop.
#include "framework/cmdtarget.h"
#include "framework/framewnd.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace fw {

class CDocTemplate;
class CDocument;

struct CCommandLineInfo {
  enum Shell { FileNew, FileOpen, FileNothing };
  Shell m_nShellCommand = FileNew;
  QString m_strFileName;
};

class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual bool InitInstance() { return true; }
  // The process exit code.
  virtual int ExitInstance();
  int Run();

  QString GetAppName() const;

  void SetRegistryKey(const QString& company);
  QString GetRegistryKey() const { return m_strRegistryKey; }
  std::unique_ptr<QSettings> OpenProfile() const;
  void LoadStdProfileSettings(int nMaxMRU);
  const QStringList& GetRecentFileList() const { return m_recentFiles; }
  void AddToRecentFileList(const QString& path);

  void AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }

  // args: the arguments after the program name.
  static void ParseCommandLine(CCommandLineInfo& info, const QStringList& args);
  bool ProcessShellCommand(const CCommandLineInfo& info);
  CDocument* OpenDocumentFile(const QString& path);

  CFrameWnd* GetMainWnd() const { return m_pMainWnd; }
  void SetMainWnd(CFrameWnd* pFrame) { m_pMainWnd = pFrame; }
  void OnMainWndDestroyed() { m_pMainWnd = nullptr; }

  bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) override;

  // The arguments after the program name (filled by AfxWinMain).
  QStringList m_arguments;
  // The process exit code ExitInstance returns.
  int m_nExitCode = 0;

 protected:
  virtual bool OnOwnCmdMsg(unsigned nID, CCmdUI* pCmdUI);
  // The framework's New and Open (the application's handlers).
  void OnFileNew();
  void OnFileOpen();
  void OnAppExit();

 private:
  void SaveStdProfileSettings();

  QString m_strRegistryKey;
  QStringList m_recentFiles;
  int m_nMaxMRU = 0;
  bool m_bProfileLoaded = false;
  std::unique_ptr<CDocTemplate> m_pDocTemplate;
  QPointer<CFrameWnd> m_pMainWnd;
};

CWinApp* AfxGetApp();

// Runs the application object the way the framework's entry point does:
// InitInstance, the message loop when it succeeded, ExitInstance.
int AfxWinMain(CWinApp* pApp);

}  // namespace fw
