#include "platform/speech/textsplit.h"

#include <QString>

namespace speech {

Script ScriptOf(char32_t ch) {
  if (ch < 0x80) {
    const bool letter = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
    return letter ? Script::Latin : Script::Neutral;
  }
  if ((ch >= 0x2E80 && ch <= 0x2FDF) || (ch >= 0x3040 && ch <= 0x312F) || (ch >= 0x31A0 && ch <= 0x31FF) ||
      (ch >= 0x3400 && ch <= 0x4DBF) || (ch >= 0x4E00 && ch <= 0x9FFF) || (ch >= 0xF900 && ch <= 0xFAFF) ||
      (ch >= 0x20000 && ch <= 0x3FFFF))
    return Script::Han;
  if (ch == 0xA0 || (ch >= 0x2000 && ch <= 0x206F) || (ch >= 0x3000 && ch <= 0x303F) ||
      (ch >= 0xFE30 && ch <= 0xFE4F) || (ch >= 0xFF00 && ch <= 0xFFEF) || ch == 0xFFFD)
    return Script::Neutral;
  return Script::Latin;
}

namespace {

bool IsBlank(char32_t ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == 0x3000 || ch == 0xA0; }
bool IsLineBreak(char32_t ch) { return ch == '\n' || ch == 0x2029 || ch == 0x2028; }
// Ends a sentence wherever it stands.
bool IsWideStop(char32_t ch) { return ch == 0x3002 || ch == 0xFF01 || ch == 0xFF1F || ch == 0xFF1B; }
// Ends a sentence when a blank or the end follows ("3.14" does not).
bool IsNarrowStop(char32_t ch) { return ch == '.' || ch == '!' || ch == '?' || ch == ';'; }
// Closing quotes and brackets stay with the sentence they close.
bool IsCloser(char32_t ch) {
  return ch == '"' || ch == '\'' || ch == ')' || ch == 0x201D || ch == 0x2019 || ch == 0x300D ||
         ch == 0x300F || ch == 0xFF09;
}

}  // namespace

CTextPieces::CTextPieces(std::u16string text, bool bSplitByScript)
    : m_text(std::move(text)), m_bSplitByScript(bSplitByScript) {}

char32_t CTextPieces::At(std::size_t pos, std::size_t* pLen) const {
  const char16_t c = m_text[pos];
  if (c >= 0xD800 && c <= 0xDBFF && pos + 1 < m_text.size()) {
    const char16_t d = m_text[pos + 1];
    if (d >= 0xDC00 && d <= 0xDFFF) {
      *pLen = 2;
      return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (static_cast<char32_t>(d) - 0xDC00);
    }
  }
  *pLen = 1;
  return c;
}

std::optional<SPiece> CTextPieces::Next() {
  if (AtEnd()) return std::nullopt;
  const std::size_t start = m_nPos;
  const std::size_t size = m_text.size();

  // The piece's script is that of its first letter; neutral text before it
  // goes along.
  Script script = Script::Latin;
  for (std::size_t p = start, len = 1; p < size; p += len) {
    const Script s = ScriptOf(At(p, &len));
    if (s != Script::Neutral) {
      script = s;
      break;
    }
  }

  std::size_t pos = start;
  std::size_t lastBlank = 0;
  bool sentenceEnd = false;
  while (pos < size) {
    std::size_t len = 1;
    const char32_t ch = At(pos, &len);
    if (m_bSplitByScript) {
      const Script s = ScriptOf(ch);
      if (s != Script::Neutral && s != script) break;
    }
    if (pos - start >= kMaxPiece) {
      // No sentence end in sight: cut after the last blank, if any.
      if (lastBlank > start) pos = lastBlank;
      break;
    }
    pos += len;
    if (IsBlank(ch)) lastBlank = pos;
    if (IsLineBreak(ch) || IsWideStop(ch) ||
        (IsNarrowStop(ch) &&
         (pos >= size || IsBlank(m_text[pos]) || IsLineBreak(m_text[pos]) || IsCloser(m_text[pos])))) {
      while (pos < size && (IsCloser(m_text[pos]) || IsBlank(m_text[pos]) || IsLineBreak(m_text[pos]))) ++pos;
      sentenceEnd = true;
      break;
    }
  }
  m_nPos = pos;

  SPiece piece;
  piece.strUtf8 =
      QStringView(m_text.data() + start, static_cast<qsizetype>(pos - start)).toUtf8().toStdString();
  piece.nStart = start;
  piece.bChinese = script == Script::Han;
  piece.bSentenceEnd = sentenceEnd || pos >= size;
  return piece;
}

}  // namespace speech
