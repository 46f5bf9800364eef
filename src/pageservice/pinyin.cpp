#include "pageservice/pinyin.h"

#include <QStringList>

namespace pageservice {

namespace {

// Rows: a e i o u ü, lower then upper case; columns: tones 1-4.
const char16_t kMarked[12][4] = {
    {u'ā', u'á', u'ǎ', u'à'}, {u'ē', u'é', u'ě', u'è'}, {u'ī', u'í', u'ǐ', u'ì'}, {u'ō', u'ó', u'ǒ', u'ò'},
    {u'ū', u'ú', u'ǔ', u'ù'}, {u'ǖ', u'ǘ', u'ǚ', u'ǜ'}, {u'Ā', u'Á', u'Ǎ', u'À'}, {u'Ē', u'É', u'Ě', u'È'},
    {u'Ī', u'Í', u'Ǐ', u'Ì'}, {u'Ō', u'Ó', u'Ǒ', u'Ò'}, {u'Ū', u'Ú', u'Ǔ', u'Ù'}, {u'Ǖ', u'Ǘ', u'Ǚ', u'Ǜ'},
};

int VowelRow(QChar c) {
  switch (c.unicode()) {
    case u'a': return 0;
    case u'e': return 1;
    case u'i': return 2;
    case u'o': return 3;
    case u'u': return 4;
    case u'ü': return 5;
    case u'A': return 6;
    case u'E': return 7;
    case u'I': return 8;
    case u'O': return 9;
    case u'U': return 10;
    case u'Ü': return 11;
    default: return -1;
  }
}

bool IsSyllable(const QString& s) {
  if (s.size() < 2 || s.back() < u'1' || s.back() > u'5') return false;
  for (qsizetype i = 0; i + 1 < s.size(); ++i) {
    const QChar c = s[i];
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u':')) return false;
  }
  return true;
}

// One syllable: "lu:4" -> "lǜ", "hao3" -> "hǎo", "ma5" -> "ma".
QString MarkSyllable(const QString& numbered) {
  const int tone = numbered.back().unicode() - u'0';
  QString s = numbered.left(numbered.size() - 1);
  s.replace(QLatin1String("u:"), QStringLiteral("ü")).replace(QLatin1String("U:"), QStringLiteral("Ü"));
  if (tone < 1 || tone > 4) return s;
  // The mark goes on a or e, on the o of "ou", otherwise on the last vowel.
  qsizetype at = -1;
  const QString lower = s.toLower();
  if (const qsizetype a = lower.indexOf(u'a'); a >= 0) {
    at = a;
  } else if (const qsizetype e = lower.indexOf(u'e'); e >= 0) {
    at = e;
  } else if (const qsizetype ou = lower.indexOf(QLatin1String("ou")); ou >= 0) {
    at = ou;
  } else {
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
      if (VowelRow(s[i]) >= 0) {
        at = i;
        break;
      }
    }
  }
  if (at >= 0) s[at] = QChar(kMarked[VowelRow(s[at])][tone - 1]);
  return s;
}

bool StartsWithAoe(const QString& syllable) {
  const QChar c = syllable.isEmpty() ? QChar() : syllable[0].toLower();
  return c == u'a' || c == u'o' || c == u'e';
}

}  // namespace

QString ToneMarkedPinyin(const QString& numbered) {
  QString out;
  bool previousWasSyllable = false;
  for (const QString& part : numbered.split(u' ', Qt::SkipEmptyParts)) {
    const bool syllable = IsSyllable(part);
    const QString text = syllable ? MarkSyllable(part) : part;
    if (!out.isEmpty()) {
      if (!syllable || !previousWasSyllable) {
        out += u' ';
      } else if (StartsWithAoe(part)) {
        out += u'\'';
      }
    }
    out += text;
    previousWasSyllable = syllable;
  }
  return out;
}

}  // namespace pageservice
