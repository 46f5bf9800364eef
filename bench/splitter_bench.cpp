// One step of a live drag of the bar between the two panes of the real main
// frame (started as the program starts, skinned), each pane holding about
// 1 MiB of text: the mouse move, the new layout and the forced repaint.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "app/lexiphonapp.h"
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// Dictionary-like lines of about 80 characters, English and Chinese
// (GB18030), CR LF ends, just under the panes' byte limit.
std::string PaneText() {
  const char* words[] = {"apple", "river", "knowledge", "quickly", "station", "bright"};
  const char* glosses[] = {"\xC6\xBB\xB9\xFB", "\xBA\xD3\xC1\xF7", "\xD6\xAA\xCA\xB6",
                           "\xBF\xEC\xCB\xD9\xB5\xD8", "\xB3\xB5\xD5\xBE", "\xC3\xF7\xC1\xC1\xB5\xC4"};
  std::string s;
  std::string line;
  for (unsigned i = 0;; ++i) {
    line = words[i % 6];
    line += " n. ";
    line += glosses[(i * 7) % 6];
    line += "\xA3\xBB";
    line += glosses[(i * 5 + 1) % 6];
    line += " e.g. The word is used here, in a sentence long enough to wrap.\r\n";
    if (s.size() + line.size() > fw::CEditView::kMaxTextBytes) break;
    s += line;
  }
  return s;
}

// The program started in a folder of its own with the skin it ships with.
struct DragSetup {
  frame::CMainFrame* pFrame = nullptr;
  int y = 0;

  DragSetup() {
    QFile::copy(QStringLiteral(":/skins/CORONA"), QStringLiteral("corona.smf"));
    if (!app::theApp.InitInstance()) return;
    pFrame = static_cast<frame::CMainFrame*>(app::theApp.GetMainWnd());
    const std::string text = PaneText();
    pFrame->Input()->SetWindowTextBytes(text);
    pFrame->Result()->SetWindowTextBytes(text);
  }

  ~DragSetup() {
    if (!pFrame) return;
    Release();
    pFrame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app::theApp.ExitInstance();
  }

  // The frame at this size, the left button held on the bar.
  void HoldBar(QSize size) {
    if (pFrame->size() != size || !pFrame->m_wndSplitter.IsTracking()) {
      Release();
      pFrame->resize(size);
      for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
      y = pFrame->m_wndSplitter.height() / 2;
      Send(QEvent::MouseButtonPress, Bar()->x() + fw::CSplitterWnd::kSplitterGap / 2);
    }
  }

  void Release() {
    if (pFrame->m_wndSplitter.IsTracking()) Send(QEvent::MouseButtonRelease, Bar()->x());
  }

  QWidget* Bar() const { return pFrame->m_wndSplitter.ColumnBars().at(0); }

  // x in the splitter's coordinates.
  void Send(QEvent::Type type, int x) {
    const QPointF pt = pFrame->m_wndSplitter.mapTo(pFrame, QPointF(x, y));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, pt, pt, pFrame->mapToGlobal(pt), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(pFrame->windowHandle(), &e);
  }
};

// Made in main, so that it goes before the application does.
std::unique_ptr<DragSetup> g_pSetup;

// The frame at the size of the benchmark's arguments, the bar held.
bool Ready(benchmark::State& state) {
  if (g_pSetup->pFrame) g_pSetup->HoldBar(QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
  if (g_pSetup->pFrame && g_pSetup->pFrame->m_wndSplitter.IsTracking()) return true;
  state.SkipWithError("no drag in progress");
  return false;
}

// Each step moves the bar 8 pixels, back and forth around the middle. One
// step per repetition, so the median is the median of single steps. Sizes:
// the largest the frame opens with, and what it opens with on a 1920 x 1080
// screen.
void BM_LiveDragStep(benchmark::State& state) {
  if (!Ready(state)) return;
  static int step = 0;  // repetitions carry on where the last one stopped
  const int centre = static_cast<int>(state.range(0)) / 2;
  for (auto _ : state) g_pSetup->Send(QEvent::MouseMove, centre + ((step++ % 2) ? 8 : 0));
}
BENCHMARK(BM_LiveDragStep)
    ->Args({1200, 800})
    ->Args({1200, 720})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(400)
    ->ReportAggregatesOnly(true);

// A fast sweep across most of the window, 40 pixels a step.
void BM_LiveDragSweep(benchmark::State& state) {
  if (!Ready(state)) return;
  int step = 0;
  for (auto _ : state) {
    const int phase = step++ % 40;
    g_pSetup->Send(QEvent::MouseMove, 200 + 40 * (phase < 20 ? phase : 40 - phase));
  }
}
BENCHMARK(BM_LiveDragSweep)->Args({1200, 800})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  Q_INIT_RESOURCE(lexiphon);
  // Never the user's settings, files or display.
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QDir::setCurrent(home.path());
  QApplication app(argc, argv);
  g_pSetup = std::make_unique<DragSetup>();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_pSetup.reset();
  return 0;
}
