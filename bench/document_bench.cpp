// Storing and loading a document, opening a text file into the input pane,
// the autosave and the recovery copy, at 1 MiB and 16 MiB, in the real frame.
#include "app/lexiphonapp.h"
#include "frame/mainframe.h"
#include "framework/fileio.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/recoverycopy.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

panes::CLexiphonView* Input() {
  return static_cast<frame::CMainFrame*>(app::theApp.GetMainWnd())->Input();
}

// About mib MiB of mixed English and Chinese lines, as a learner's text.
std::string MiBOfText(std::int64_t mib) {
  const std::string en = "The quick brown fox jumps over the lazy dog, again and again. ";
  const std::string zh = "\xce\xd2\xcf\xb2\xbb\xb6\xd1\xa7\xcf\xb0\xd3\xa2\xd3\xef\xa3\xac\xd2\xb2\xcf\xb2\xbb\xb6\xb6\xc1\xca\xe9\xa1\xa3";
  std::string s;
  while (s.size() < (static_cast<std::size_t>(mib) << 20) - 200) s += en + zh + "\r\n";
  return s;
}

void BM_StoreDocument(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Input()->GetDocument()->DoSave(QDir::current().filePath("doc.lex")));
}
BENCHMARK(BM_StoreDocument)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_LoadDocument(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText(state.range(0)));
  Input()->GetDocument()->DoSave(QDir::current().filePath("doc.lex"));
  for (auto _ : state) benchmark::DoNotOptimize(app::theApp.OpenDocumentFile(QDir::current().filePath("doc.lex")));
}
BENCHMARK(BM_LoadDocument)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_OpenTextFile(benchmark::State& state) {
  const std::string text = MiBOfText(state.range(0));
  fw::WriteFileAtomic(QDir::current().filePath("text.txt"), text);
  for (auto _ : state) benchmark::DoNotOptimize(Input()->ReadTextIntoPane(QDir::current().filePath("text.txt")));
}
BENCHMARK(BM_OpenTextFile)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The close's autosave: the pane's bytes through a temporary file and a rename.
void BM_Autosave(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(fw::WriteFileAtomic("last.txt", Input()->GetWindowTextBytes()));
}
BENCHMARK(BM_Autosave)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// What a keystroke burst costs the interface thread: the timer's snapshot of
// the pane; converting and writing happen on the copy's own thread.
void BM_RecoverySnapshot(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Input()->document()->toRawText());
}
BENCHMARK(BM_RecoverySnapshot)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The whole copy, snapshot to renamed file, waited for.
void BM_RecoveryWrite(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText(state.range(0)));
  panes::CRecoveryCopy copy(Input());
  for (auto _ : state) copy.WriteNow();
  copy.Discard();
}
BENCHMARK(BM_RecoveryWrite)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  Q_INIT_RESOURCE(lexiphon);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
  qputenv("XDG_STATE_HOME", (home.path() + "/state").toLocal8Bit());
  QDir::setCurrent(home.path());
  QApplication qapp(argc, argv);
  if (!app::theApp.InitInstance()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  app::theApp.GetMainWnd()->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return app::theApp.ExitInstance();
}
