// Speech: how soon the first PCM reaches the sink after Speak, for a short
// and a 1 MiB text, how long the Speak call itself keeps the interface
// thread, and how much faster than real time synthesis runs.
#include "platform/speech/audiosink.h"
#include "platform/speech/speechapi.h"
#include "text/codepage.h"

#include <QCoreApplication>
#include <QString>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

using namespace speech;

namespace {

using Clock = std::chrono::steady_clock;

CRef<ISpVoice>& Voice() {
  static CRef<ISpVoice> voice = [] {
    CoInitialize(nullptr);
    CRef<ISpVoice> v;
    CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&v));
    return v;
  }();
  return voice;
}

// Input-pane bytes: English and Chinese sentences, as a learner pastes them.
std::string PaneText(std::size_t bytes) {
  const std::string english = "The quick brown fox jumps over the lazy dog, and then it runs away. ";
  const std::string chinese = text::FromUnicode(u"我们每天早上学习英语，晚上复习单词。");
  std::string s;
  while (s.size() < bytes) s += s.size() % 3 == 2 ? chinese : english;
  s.resize(bytes);
  return s;
}

void SpeakToFirstPcm(benchmark::State& state) {
  const std::string bytes =
      state.range(0) == 20 ? std::string("Hello, how are you?.") : PaneText(state.range(0));
  CRef<ISpVoice>& voice = Voice();
  double speakCallMs = 0;
  for (auto _ : state) {
    auto sink = std::make_shared<CMemorySink>(false);
    voice->SetOutput(sink);
    // As the Speak command does it: the pane's bytes to text, then Speak.
    const Clock::time_point start = Clock::now();
    const QString text = text::ToUnicode(bytes);
    voice->Speak(reinterpret_cast<const char16_t*>(text.utf16()), SPF_ASYNC, nullptr);
    speakCallMs += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    while (!sink->FirstWriteTime()) std::this_thread::yield();
    state.SetIterationTime(std::chrono::duration<double>(*sink->FirstWriteTime() - start).count());
    voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
    voice->WaitUntilDone(0xFFFFFFFF);
  }
  state.counters["speak_call_ms"] = benchmark::Counter(speakCallMs / static_cast<double>(state.iterations()));
  state.SetLabel(std::to_string(bytes.size()) + " bytes");
}
BENCHMARK(SpeakToFirstPcm)
    ->Arg(20)
    ->Arg(1 << 20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

void RealTimeFactor(benchmark::State& state) {
  const QString text = text::ToUnicode(PaneText(4000));
  CRef<ISpVoice>& voice = Voice();
  double audio = 0, wall = 0;
  for (auto _ : state) {
    auto sink = std::make_shared<CMemorySink>(false);
    voice->SetOutput(sink);
    const Clock::time_point start = Clock::now();
    voice->Speak(reinterpret_cast<const char16_t*>(text.utf16()), SPF_DEFAULT, nullptr);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    wall += seconds;
    audio += static_cast<double>(sink->Position()) / sink->SampleRate();
  }
  state.counters["audio_s"] = benchmark::Counter(audio / static_cast<double>(state.iterations()));
  state.counters["x_real_time"] = benchmark::Counter(audio / wall);
}
BENCHMARK(RealTimeFactor)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Voice().Release();
  return 0;
}
