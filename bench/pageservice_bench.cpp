// The page service: opening the dictionary, an 8000-byte text each way
// through the whole page answer, and one request over loopback as the
// translation commands send it.
#include "pageservice/dictengine.h"
#include "pageservice/dictionary.h"
#include "pageservice/page.h"
#include "pageservice/pageserver.h"
#include "text/codepage.h"
#include "translate/request.h"
#include "translate/translation.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

using namespace pageservice;

std::string Gb(const char16_t* s) { return text::FromUnicode(QStringView(s)); }

// A text of exactly n bytes made of whole repeats of piece and spaces.
std::string TextOf(const std::string& piece, std::size_t n) {
  std::string text;
  while (text.size() + piece.size() + 2 <= n) text += piece + "\r\n";
  text.resize(n, ' ');
  return text;
}

const std::string& EnglishText() {
  static const std::string text = TextOf(
      "Good morning, teacher. I like to study English, and my friends are reading books in the library. "
      "The children don't want to go to school today because it's raining.",
      8000);
  return text;
}

const std::string& ChineseText() {
  static const std::string text = TextOf(
      Gb(u"老师，早上好！我喜欢学习英语，我的朋友们在图书馆看书。今天下雨了，孩子们不想去学校。"), 8000);
  return text;
}

// Resident memory of this process in MB, from /proc.
double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

// The first translation of the process: the dictionary opened, the core
// vocabulary read and the pronouncing lexicon set up. Runs once.
void BM_FirstTranslationLoad(benchmark::State& state) {
  const double before = ResidentMb();
  for (auto _ : state) {
    CDictionary dict;
    std::string error;
    if (!dict.Open(DefaultDictionaryPath(), error)) state.SkipWithError(error.c_str());
    CDictionaryEngine engine(dict);
    benchmark::DoNotOptimize(engine.Translate(Direction::EnToZh, {"The weather is nice today."}));
    benchmark::DoNotOptimize(engine.Translate(Direction::ZhToEn, {Gb(u"他比我高。")}));
  }
  state.counters["rss_added_mb"] = ResidentMb() - before;
}
BENCHMARK(BM_FirstTranslationLoad)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_DictionaryOpen(benchmark::State& state) {
  const std::string path = DefaultDictionaryPath();
  const double before = ResidentMb();
  for (auto _ : state) {
    CDictionary dict;
    std::string error;
    if (!dict.Open(path, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(dict.FileSize());
  }
  CDictionary kept;
  std::string error;
  kept.Open(path, error);
  CDictionaryEngine engine(kept);
  engine.Translate(Direction::EnToZh, {EnglishText()});
  engine.Translate(Direction::ZhToEn, {ChineseText()});
  state.counters["rss_added_mb"] = ResidentMb() - before;
}
BENCHMARK(BM_DictionaryOpen)->Unit(benchmark::kMillisecond);

void AnswerBench(benchmark::State& state, Direction dir, const std::string& text) {
  CDictionary dict;
  std::string error;
  if (!dict.Open(DefaultDictionaryPath(), error)) state.SkipWithError(error.c_str());
  CDictionaryEngine engine(dict);
  const std::string body = std::string(dir == Direction::EnToZh ? "hl=en" : "hl=zh-CN") +
                           "&ie=GB2312&text=" + translate::SentText(text) +
                           "&langpair=" + (dir == Direction::EnToZh ? "en|zh-CN" : "zh|en");
  for (auto _ : state) {
    benchmark::DoNotOptimize(AnswerTranslate(std::nullopt, body, {&engine, {}, "about"}));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_Answer8000BytesEnToZh(benchmark::State& state) {
  AnswerBench(state, Direction::EnToZh, EnglishText());
}
BENCHMARK(BM_Answer8000BytesEnToZh)->Unit(benchmark::kMillisecond);

void BM_Answer8000BytesZhToEn(benchmark::State& state) {
  AnswerBench(state, Direction::ZhToEn, ChineseText());
}
BENCHMARK(BM_Answer8000BytesZhToEn)->Unit(benchmark::kMillisecond);

// The translation commands' own request: a new connection, HTTP/1.0.
void BM_LoopbackRequest(benchmark::State& state) {
  CPageServer server({});
  const int port = server.Bind("127.0.0.1", 0);
  std::string error;
  if (port < 0 || !server.Prepare(error) || !server.Start()) state.SkipWithError("no server");
  const auto dir =
      state.range(0) ? translate::TranslationDirection::EnToZh : translate::TranslationDirection::ZhToEn;
  const std::string text = state.range(0) ? EnglishText() : ChineseText();
  const std::string body = translate::FormBody(translate::SentText(text), dir);
  for (auto _ : state) {
    benchmark::DoNotOptimize(translate::FetchPage({"127.0.0.1", port}, dir, body));
  }
}
BENCHMARK(BM_LoopbackRequest)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
