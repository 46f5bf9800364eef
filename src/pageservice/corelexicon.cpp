#include "pageservice/corelexicon.h"

#include <algorithm>
#include <sstream>

namespace pageservice {

extern const char kCoreLexiconData[];

CCoreLexicon::CCoreLexicon() {
  std::istringstream in(kCoreLexiconData);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string en, pos, zh, rest;
    if (!(fields >> en >> pos >> zh)) continue;
    CoreWord word;
    std::replace(en.begin(), en.end(), '_', ' ');
    word.en = en;
    word.pos = pos[0];
    word.zh = zh;
    bool toChinese = true;
    bool toEnglish = true;
    while (fields >> rest) {
      if (rest.find_first_of("KPp<>") != 0 || static_cast<unsigned char>(rest[0]) >= 0x80) {
        word.measure = rest;
        continue;
      }
      for (const char c : rest) {
        if (c == 'K') word.bKin = true;
        if (c == 'P') word.bPlural = true;
        if (c == 'p') word.bPlace = true;
        if (c == '<') toChinese = false;
        if (c == '>') toEnglish = false;
      }
    }
    const std::size_t index = m_words.size();
    m_words.push_back(std::move(word));
    const CoreWord& w = m_words.back();
    if (toChinese) {
      m_english.emplace(w.en, index);
      std::istringstream words(w.en);
      for (std::string part; words >> part;) m_known.insert(part);
      m_nMaxWords = std::max<std::size_t>(m_nMaxWords, 1 + std::count(w.en.begin(), w.en.end(), ' '));
    }
    if (toEnglish) m_chinese.emplace(w.zh, index);  // the first one wins
  }
}

const CCoreLexicon& CCoreLexicon::Get() {
  // Immortal: server threads may still translate while the process exits.
  static const auto* lexicon = new CCoreLexicon;
  return *lexicon;
}

const CoreWord* CCoreLexicon::English(std::string_view key, char pos) const {
  const auto [begin, end] = m_english.equal_range(std::string(key));
  const CoreWord* first = nullptr;
  // equal_range order is unspecified: the earliest line is the main sense.
  for (auto it = begin; it != end; ++it) {
    const CoreWord& w = m_words[it->second];
    if (pos && w.pos == pos && (!first || first->pos != pos || &w < first)) first = &w;
    if (!first || (!(pos && first->pos == pos) && &w < first)) first = &w;
  }
  return first;
}

const CoreWord* CCoreLexicon::Chinese(std::string_view zh) const {
  const auto it = m_chinese.find(std::string(zh));
  return it == m_chinese.end() ? nullptr : &m_words[it->second];
}

}  // namespace pageservice
