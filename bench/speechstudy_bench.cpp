// The study aids' speeds, side by side in one run: how much faster than real
// time each synthesiser renders on one core, how soon a 1 MiB pane is heard
// with the default voice, how fast a 10,000-word text is saved as MP3, and
// what lighting one spoken word costs on a 1 MiB pane.
#include "panes/speechhighlight.h"
#include "platform/speech/audioexport.h"
#include "platform/speech/audiosink.h"
#include "platform/speech/speechapi.h"
#include "platform/speech/synthbackend.h"
#include "platform/speech/textsplit.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <thread>

using namespace speech;

namespace {

using Clock = std::chrono::steady_clock;

const char16_t kEnglish[] =
    u"The quick brown fox jumps over the lazy dog, and then it runs away into the forest. "
    u"Every morning the fishermen went out in their boats, and every evening they came back. ";
const char16_t kChinese[] = u"我们每天早上学习英语，晚上复习单词。";

// An English text of about nWords words.
std::u16string Words(int nWords) {
  std::u16string s;
  int words = 0;
  while (words < nWords) {
    s += kEnglish;
    words += 32;
  }
  return s;
}

// A pane as a learner fills it: English paragraphs with Chinese among them.
std::u16string PaneText(std::size_t nUnits) {
  std::u16string s;
  for (int i = 0; s.size() < nUnits; ++i) {
    s += i % 3 == 2 ? std::u16string(kChinese) : std::u16string(kEnglish);
    if (i % 5 == 4) s += u"\n";
  }
  s.resize(nUnits);
  return s;
}

CRef<ISpVoice> NewVoice() {
  CRef<ISpVoice> v;
  CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&v));
  return v;
}

// One synthesiser alone on the calling thread, piece by piece as a voice
// gives them: audio seconds per second of work.
void Synthesis(benchmark::State& state, const char* pszVoice) {
  ISynthBackend& backend = BackendOf(pszVoice);
  if (!backend.Start()) {
    state.SkipWithError("synthesiser did not start");
    return;
  }
  std::vector<SPiece> pieces;
  CTextPieces split(Words(400), false);
  while (std::optional<SPiece> p = split.Next()) pieces.push_back(std::move(*p));
  double audio = 0, wall = 0;
  for (auto _ : state) {
    std::uint64_t samples = 0;
    const Clock::time_point start = Clock::now();
    for (const SPiece& p : pieces)
      backend.Synthesize({pszVoice, 0, p.strUtf8, p.bSentenceEnd},
                         [&](const std::int16_t*, std::size_t n) {
                           samples += n;
                           return true;
                         },
                         {});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    wall += seconds;
    audio += static_cast<double>(samples) / backend.SampleRate();
  }
  state.counters["x_real_time"] = benchmark::Counter(audio / wall);
}
BENCHMARK_CAPTURE(Synthesis, flite_slt, "flite/cmu_us_slt")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Synthesis, flite_rms, "flite/cmu_us_rms")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Synthesis, flite_awb, "flite/cmu_us_awb")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Synthesis, flite_kal16, "flite/cmu_us_kal16")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Synthesis, espeak_en, "gmw/en-US")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Speak (the default voice) to the first sample reaching the sink.
void SpeakToFirstPcm(benchmark::State& state) {
  const std::u16string text = PaneText(static_cast<std::size_t>(state.range(0)));
  CRef<ISpVoice> voice = NewVoice();
  for (auto _ : state) {
    auto sink = std::make_shared<CMemorySink>(false);
    voice->SetOutput(sink);
    const Clock::time_point start = Clock::now();
    voice->Speak(text.c_str(), SPF_ASYNC, nullptr);
    while (!sink->FirstWriteTime()) std::this_thread::yield();
    state.SetIterationTime(std::chrono::duration<double>(*sink->FirstWriteTime() - start).count());
    voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
    voice->WaitUntilDone(0xFFFFFFFF);
  }
}
// 1 MiB of pane text is 512 Ki UTF-16 units at the most (all Chinese), and
// as many as 1 Mi for English; the larger.
BENCHMARK(SpeakToFirstPcm)
    ->Arg(40)
    ->Arg(1 << 20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(11)
    ->ReportAggregatesOnly(true);

// Save Speech of a 10,000-word text as MP3, start to finished file.
void ExportMp3(benchmark::State& state) {
  SSpeechExportRequest request;
  request.strText = Words(static_cast<int>(state.range(0)));
  request.format = SoundFileFormat::Mp3;
  QTemporaryDir dir;
  request.strTarget = dir.filePath(QStringLiteral("speech.mp3"));
  double audio = 0, wall = 0;
  for (auto _ : state) {
    CSpeechExport e(request);
    const Clock::time_point start = Clock::now();
    if (!e.Start()) {
      state.SkipWithError("export did not start");
      return;
    }
    while (e.IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double seconds = e.Seconds();
    if (!e.Finish()) {
      state.SkipWithError("export failed");
      return;
    }
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(took);
    audio += seconds;
    wall += took;
  }
  state.counters["audio_s"] = benchmark::Counter(audio / static_cast<double>(state.iterations()));
  state.counters["x_real_time"] = benchmark::Counter(audio / wall);
}
BENCHMARK(ExportMp3)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// One word lit and painted on a shown 1 MiB pane: words in reading order
// (the pane scrolls now and then), or anywhere (it scrolls every time).
void HighlightWord(benchmark::State& state) {
  const bool bJump = state.range(0) != 0;
  const std::u16string text = PaneText(1 << 20);
  QPlainTextEdit pane;
  pane.resize(600, 400);
  pane.setPlainText(QString::fromStdU16String(text));
  pane.show();
  QApplication::processEvents();
  std::vector<std::pair<int, int>> words;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = text.find_first_of(u" ,.\n，。", i);
    const std::size_t stop = end == std::u16string::npos ? text.size() : end;
    if (stop > i) words.emplace_back(static_cast<int>(i), static_cast<int>(stop - i));
    i = stop + 1;
  }
  std::mt19937 random(7);
  std::size_t next = 0;
  panes::SHeardWord heard{1, false, 0, 0};
  panes::CSpeechHighlight light(&pane, [&] { return heard; });
  light.Follow(1, 0);
  for (auto _ : state) {
    const std::size_t i = bJump ? random() % words.size() : next++ % words.size();
    heard.nPos = words[i].first;
    heard.nLen = words[i].second;
    light.Update();
    pane.viewport()->repaint();
  }
  light.Stop();
}
BENCHMARK(HighlightWord)
    ->ArgName("jump")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  CoInitialize(nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CoUninitialize();
  return 0;
}
