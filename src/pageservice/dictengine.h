#pragma once
// The offline engine: word-by-word translation through the CC-CEDICT data.
// Chinese is cut into dictionary words, long and common ones first, and each
// gives its main
// English sense, with a second line of the words and their pinyin; English
// phrases are matched before single words (under their base forms too), and
// each gives its most common Chinese rendering. Words the dictionary does not
// know stay as they are. The result says it is a dictionary translation.
#include "pageservice/dictionary.h"
#include "pageservice/engine.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pageservice {

class CDictionaryEngine : public CTranslationEngine {
 public:
  explicit CDictionaryEngine(const CDictionary& dict) : m_dict(dict) {}

  EngineResult Translate(Direction dir, const std::vector<std::string>& lines) override;

  std::string EnglishToChinese(std::string_view line) const;
  struct ChineseLine {
    std::string strEnglish;
    std::string strPinyin;  // "学习(xuéxí) 英语(Yīngyǔ)"; empty when no word was found
  };
  ChineseLine ChineseToEnglish(std::string_view line) const;

  // A run of Chinese cut into dictionary words; a character the dictionary
  // lacks stands alone without a word.
  struct Segment {
    std::string_view text;
    std::optional<CDictionary::Word> word;
  };
  std::vector<Segment> Segments(std::string_view text) const;

 private:
  const CDictionary& m_dict;
};

}  // namespace pageservice
