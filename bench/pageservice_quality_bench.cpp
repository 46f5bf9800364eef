// How well the offline engine translates the development set, by chrF, one
// benchmark per direction (the "chrF" counter), and how long the whole set
// takes. LEX_DEVSET_DUMP=FILE also writes source, output and reference;
// LEX_DEVSET_DIR=DIR reads DIR/en_zh.tsv and DIR/zh_en.tsv instead.
#include "pageservice/chrf.h"
#include "pageservice/dictengine.h"
#include "pageservice/dictionary.h"
#include "text/codepage.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <utility>
#include <vector>

namespace {

using namespace pageservice;

std::vector<std::pair<QString, QString>> DevSet(const char* name) {
  std::vector<std::pair<QString, QString>> pairs;
  // LEX_DEVSET_DIR scores another set of the same form (a held-out one).
  const char* dir = std::getenv("LEX_DEVSET_DIR");
  QFile file(QString::fromLocal8Bit(dir && *dir ? dir : LEX_DEVSET_DIR) + u'/' + QLatin1String(name));
  if (!file.open(QIODevice::ReadOnly)) return pairs;
  for (const QByteArray& line : file.readAll().split('\n')) {
    const QList<QByteArray> fields = line.trimmed().split('\t');
    if (fields.size() == 2) pairs.emplace_back(QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]));
  }
  return pairs;
}

void BM_DevSetChrF(benchmark::State& state) {
  const bool toChinese = state.range(0) == 1;
  const auto pairs = DevSet(toChinese ? "en_zh.tsv" : "zh_en.tsv");
  CDictionary dict;
  std::string error;
  if (pairs.empty() || !dict.Open(DefaultDictionaryPath(), error)) {
    state.SkipWithError("no development set or dictionary");
    return;
  }
  CDictionaryEngine engine(dict);
  std::vector<std::string> sources;
  for (const auto& [source, reference] : pairs) sources.push_back(text::FromUnicode(source));
  std::vector<std::string> outputs(sources.size());
  for (auto _ : state) {
    for (std::size_t i = 0; i < sources.size(); ++i) {
      outputs[i] = toChinese ? engine.EnglishToChinese(sources[i]) : engine.ChineseToEnglish(sources[i]).strEnglish;
    }
    benchmark::DoNotOptimize(outputs.data());
  }
  CChrF chrf;
  for (std::size_t i = 0; i < pairs.size(); ++i) chrf.Add(text::ToUnicode(outputs[i]), pairs[i].second);
  state.counters["chrF"] = chrf.Score();
  state.counters["pairs"] = static_cast<double>(pairs.size());
  if (const char* dump = std::getenv("LEX_DEVSET_DUMP"); dump && *dump) {
    std::ofstream out(std::string(dump) + (toChinese ? ".en_zh" : ".zh_en"));
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      out << pairs[i].first.toStdString() << '\t' << text::ToUnicode(outputs[i]).toStdString() << '\t'
          << pairs[i].second.toStdString() << '\n';
    }
  }
}
BENCHMARK(BM_DevSetChrF)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
