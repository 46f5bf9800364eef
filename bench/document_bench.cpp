// Storing and loading a 1 MiB document, opening a 1 MiB text file into the
// input pane and the autosave of 1 MiB, in the real frame.
#include "app/lexiphonapp.h"
#include "frame/mainframe.h"
#include "framework/fileio.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

panes::CLexiphonView* Input() {
  return static_cast<frame::CMainFrame*>(app::theApp.GetMainWnd())->Input();
}

// About 1 MiB of mixed English and Chinese lines, as a learner's text.
std::string MiBOfText() {
  const std::string en = "The quick brown fox jumps over the lazy dog, again and again. ";
  const std::string zh = "\xce\xd2\xcf\xb2\xbb\xb6\xd1\xa7\xcf\xb0\xd3\xa2\xd3\xef\xa3\xac\xd2\xb2\xcf\xb2\xbb\xb6\xb6\xc1\xca\xe9\xa1\xa3";
  std::string s;
  while (s.size() < (1u << 20) - 200) s += en + zh + "\r\n";
  return s;
}

void BM_StoreDocument(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText());
  for (auto _ : state) benchmark::DoNotOptimize(Input()->GetDocument()->DoSave(QDir::current().filePath("doc.lex")));
}
BENCHMARK(BM_StoreDocument)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_LoadDocument(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText());
  Input()->GetDocument()->DoSave(QDir::current().filePath("doc.lex"));
  for (auto _ : state) benchmark::DoNotOptimize(app::theApp.OpenDocumentFile(QDir::current().filePath("doc.lex")));
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_OpenTextFile(benchmark::State& state) {
  const std::string text = MiBOfText();
  fw::WriteFileAtomic(QDir::current().filePath("text.txt"), text);
  for (auto _ : state) benchmark::DoNotOptimize(Input()->ReadTextIntoPane(QDir::current().filePath("text.txt")));
}
BENCHMARK(BM_OpenTextFile)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The close's autosave: the pane's bytes through a temporary file and a rename.
void BM_Autosave(benchmark::State& state) {
  Input()->SetWindowTextBytes(MiBOfText());
  for (auto _ : state) benchmark::DoNotOptimize(fw::WriteFileAtomic("last.txt", Input()->GetWindowTextBytes()));
}
BENCHMARK(BM_Autosave)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  Q_INIT_RESOURCE(lexiphon);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
  QDir::setCurrent(home.path());
  QApplication qapp(argc, argv);
  if (!app::theApp.InitInstance()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  app::theApp.GetMainWnd()->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return app::theApp.ExitInstance();
}
