#pragma once
// Cuts a text into the pieces the synthesiser is given one at a time: a
// sentence (or a shorter stretch when a sentence is very long), and, for the
// default voice, a stretch of one script, so Chinese goes to the Mandarin
// voice and everything else to the English one. Small pieces keep the first
// sound quick and a purge prompt, whatever the length of the text.
#include <cstddef>
#include <optional>
#include <string>

namespace speech {

enum class Script { Neutral, Latin, Han };

// Han: ideographs, radicals, bopomofo, kana. Neutral: blanks, digits,
// punctuation (ASCII, general, CJK, full-width), which take the script of the
// text around them. Latin: everything else.
Script ScriptOf(char32_t ch);

struct SPiece {
  std::string strUtf8;
  std::size_t nStart = 0;  // where it starts in the text, in UTF-16 units
  bool bChinese = false;
  // Ends a sentence or a line: the synthesiser pauses after it.
  bool bSentenceEnd = false;
};

class CTextPieces {
 public:
  static constexpr std::size_t kMaxPiece = 600;  // UTF-16 units

  CTextPieces(std::u16string text, bool bSplitByScript);
  std::optional<SPiece> Next();
  bool AtEnd() const { return m_nPos >= m_text.size(); }

 private:
  char32_t At(std::size_t pos, std::size_t* pLen) const;
  std::u16string m_text;
  bool m_bSplitByScript;
  std::size_t m_nPos = 0;
};

}  // namespace speech
