#include "support/appfixture.h"

#include "app/lexiphonapp.h"
#include "frame/mainframe.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "platform/skin.h"

#include <QApplication>
#include <QFile>

namespace testing_support {

void ProcessDeferred() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

void AppFixture::SetUp() {
  m_cwd = std::make_unique<ScopedTempCwd>();
  m_state = std::make_unique<QTemporaryDir>();
  qputenv("XDG_STATE_HOME", QFile::encodeName(m_state->path()));
  platform::ClearSkinCallLog();
}

void AppFixture::TearDown() {
  if (m_bStarted) Stop();
  ProcessDeferred();
  m_cwd.reset();
  m_state.reset();
}

bool AppFixture::Start(const QStringList& args) {
  app::theApp.m_arguments = args;
  app::theApp.m_nExitCode = 0;
  m_bStarted = true;
  const bool ok = app::theApp.InitInstance();
  if (!ok) app::theApp.m_nExitCode = 1;
  return ok;
}

int AppFixture::Stop() {
  if (!m_bStarted) return -1;
  m_bStarted = false;
  if (fw::CFrameWnd* frame = app::theApp.GetMainWnd()) frame->close();
  ProcessDeferred();
  return app::theApp.ExitInstance();
}

frame::CMainFrame* AppFixture::Frame() const { return static_cast<frame::CMainFrame*>(app::theApp.GetMainWnd()); }

panes::CLexiphonView* AppFixture::Input() const {
  return Frame() ? dynamic_cast<panes::CLexiphonView*>(Frame()->m_wndSplitter.GetPane(0, 0)) : nullptr;
}

panes::CMyEditView* AppFixture::Result() const {
  return Frame() ? dynamic_cast<panes::CMyEditView*>(Frame()->m_wndSplitter.GetPane(0, 1)) : nullptr;
}

panes::CLexiphonDoc* AppFixture::Doc() const {
  return Input() ? Input()->GetDocument() : nullptr;
}

}  // namespace testing_support
