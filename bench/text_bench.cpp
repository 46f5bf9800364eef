#include "text/codepage.h"
#include "text/panebridge.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// About 1 MiB of dictionary-like lines: English words, their Chinese glosses
// (GB18030 bytes) and CR LF line ends.
const std::string& MixedText() {
  static const std::string text = [] {
    const char* words[] = {"apple", "river", "knowledge", "quickly", "station", "bright"};
    const char* glosses[] = {"\xC6\xBB\xB9\xFB", "\xBA\xD3\xC1\xF7", "\xD6\xAA\xCA\xB6",
                             "\xBF\xEC\xCB\xD9\xB5\xD8", "\xB3\xB5\xD5\xBE", "\xC3\xF7\xC1\xC1\xB5\xC4"};
    std::string s;
    for (unsigned i = 0; s.size() < (1u << 20); ++i) {
      s += words[i % 6];
      s += " n. ";
      s += glosses[(i * 7) % 6];
      s += "\xA3\xBB";  // full-width semicolon
      s += glosses[(i * 5 + 1) % 6];
      s += " e.g. The word is used here.\r\n";
    }
    return s;
  }();
  return text;
}

void BM_BytesToPaneText(benchmark::State& state) {
  const std::string& bytes = MixedText();
  for (auto _ : state) benchmark::DoNotOptimize(text::BytesToPaneText(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_BytesToPaneText)->Unit(benchmark::kMillisecond);

void BM_PaneTextToBytes(benchmark::State& state) {
  const QString pane = text::BytesToPaneText(MixedText());
  for (auto _ : state) benchmark::DoNotOptimize(text::PaneTextToBytes(pane));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MixedText().size()));
}
BENCHMARK(BM_PaneTextToBytes)->Unit(benchmark::kMillisecond);

void BM_PaneTextByteLength(benchmark::State& state) {
  const QString pane = text::BytesToPaneText(MixedText());
  for (auto _ : state) benchmark::DoNotOptimize(text::PaneTextByteLength(pane));
}
BENCHMARK(BM_PaneTextByteLength)->Unit(benchmark::kMillisecond);

// The needle sits at the very end, so the whole text is scanned.
void BM_Find(benchmark::State& state) {
  std::string hay = MixedText();
  hay += "\xD5\xD2\xB5\xBD";
  for (auto _ : state) benchmark::DoNotOptimize(text::Find(hay, "\xD5\xD2\xB5\xBD"));
}
BENCHMARK(BM_Find)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
