// Cutting the translation out of a page of the largest size read, and a
// whole request in the real frame: the command, the post to the loopback page
// server, the extraction and the text in the result pane.
#include "app/lexiphonapp.h"
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "support/pageserver.h"
#include "translate/session.h"
#include "translate/translation.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using translate::TranslationDirection;

// A page of exactly the read limit: the echo of an 8000-byte text, the
// anchor, then a long translation of Chinese and English lines full of the
// forms that get replaced, the end tag, and markup after it.
struct BigPage {
  std::string sent;
  std::string page;
  BigPage() {
    std::string text;
    while (text.size() < 7990) text += "Good morning \xC4\xE3\xBA\xC3 ";
    sent = translate::SentText(text);
    page = "<html><textarea>" + sent + std::string(testing_support::PageServer::kAnchor) +
           std::string(translate::kSearchMarker) + "<br>";
    const std::string line =
        "\xD4\xE7\xC9\xCF\xBA\xC3\xA3\xAC it&#39;s &quot;fine&quot;&#160;today \xC4\xE3\xBA\xC3<br>";
    while (page.size() + line.size() < translate::kMaxPageBytes - 4096) page += line;
    page += "</div></td>";
    page.resize(translate::kMaxPageBytes, ' ');
  }
};

void BM_ExtractTranslation(benchmark::State& state) {
  static const BigPage big;
  for (auto _ : state)
    benchmark::DoNotOptimize(translate::ExtractTranslation(big.page, big.sent, TranslationDirection::EnToZh));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * big.page.size()));
}
BENCHMARK(BM_ExtractTranslation)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

frame::CMainFrame* Frame() { return static_cast<frame::CMainFrame*>(app::theApp.GetMainWnd()); }

// From the command to the translation in the pane; one request per run so
// that the median is that of single requests.
void BM_CommandToPane(benchmark::State& state) {
  const unsigned id = state.range(0) ? translate::Traits(TranslationDirection::ZhToEn).nCommand
                                     : translate::Traits(TranslationDirection::EnToZh).nCommand;
  Frame()->Input()->SetWindowTextBytes("Good morning, \xC4\xE3\xBA\xC3!");
  QAction* action = Frame()->GetCommandAction(id);
  for (auto _ : state) {
    Frame()->Result()->SetWindowTextBytes("");
    action->trigger();
    // Until the commands are back, as the user would wait for them.
    while (translate::g_bEnToZhBusy || !action->isEnabled())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  if (Frame()->Result()->GetWindowTextBytes().find("Good morning") == std::string::npos)
    state.SkipWithError("no translation in the pane");
}
BENCHMARK(BM_CommandToPane)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(60)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  Q_INIT_RESOURCE(lexiphon);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  QDir::setCurrent(home.path());
  QApplication qapp(argc, argv);
  auto server = std::make_unique<testing_support::PageServer>();
  qputenv("LEXIPHON_TRANSLATE_HOST", QByteArray::fromStdString(server->HostPort()));
  if (!app::theApp.InitInstance()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  app::theApp.GetMainWnd()->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  const int code = app::theApp.ExitInstance();
  server.reset();
  return code;
}
