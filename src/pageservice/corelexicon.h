#pragma once
// The core vocabulary of everyday and classroom language (corelexicon.txt,
// compiled in): the usual word for each sense a learner meets first, with
// its part of speech and measure word. It comes before the general
// dictionary in both directions. Text is UTF-8; built once, never changed.
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pageservice {

struct CoreWord {
  std::string en;  // lower case, words separated by spaces
  char pos = 'n';  // n v a d t i p m, as in the data file
  std::string zh;
  std::string measure;
  bool bKin = false;
  bool bPlace = false;   // a place name or building: 在学校, not 在学校里
  bool bPlural = false;  // "people", "shoes"
};

class CCoreLexicon {
 public:
  static const CCoreLexicon& Get();
  // The entry for an English word or phrase, the one of that part of speech
  // when pos is given and there is one.
  const CoreWord* English(std::string_view key, char pos = 0) const;
  const CoreWord* Chinese(std::string_view zh) const;
  std::size_t MaxEnglishWords() const { return m_nMaxWords; }
  // True when the word is in some English key, alone or in a phrase.
  bool KnowsWord(const std::string& lower) const { return m_known.count(lower) > 0; }

 private:
  CCoreLexicon();
  std::vector<CoreWord> m_words;
  std::unordered_multimap<std::string, std::size_t> m_english;
  std::unordered_map<std::string, std::size_t> m_chinese;
  std::unordered_set<std::string> m_known;
  std::size_t m_nMaxWords = 1;
};

}  // namespace pageservice
