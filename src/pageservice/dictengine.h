#pragma once
// The offline engine: rule-based transfer through the core vocabulary and
// the CC-CEDICT data (see transfer.h). Chinese is cut into dictionary words,
// long and common ones first. The translation comes first, then a gloss for
// learners: each Chinese word with pinyin and English, or each English word
// with its phonetic transcription and Chinese. Words the dictionary does not
// know stay as they are. The result says it is an automatic translation.
#include "pageservice/dictionary.h"
#include "pageservice/engine.h"

#include <optional>
#include <set>
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
    std::string strPinyin;  // "学习(xuéxí) learn  英语(Yīngyǔ) English"; empty when no word was found
  };
  ChineseLine ChineseToEnglish(std::string_view line) const;
  // For learners: each content word of an English line with its sounds
  // and its usual Chinese renderings; empty when there is none.
  std::string EnglishGloss(std::string_view line, std::set<std::string>* pSeen = nullptr) const;

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
