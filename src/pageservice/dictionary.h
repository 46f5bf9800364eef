#pragma once
// The converted CC-CEDICT data, mapped read-only from its file and searched
// in place: Chinese headwords for the longest match at a position, English
// words and phrases for their Chinese renderings. Safe to use from many
// threads at once; nothing changes after Open.
#include "pageservice/dictformat.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pageservice {

class CDictionary {
 public:
  CDictionary() = default;
  ~CDictionary();
  CDictionary(const CDictionary&) = delete;
  CDictionary& operator=(const CDictionary&) = delete;

  // Maps the file. False, with the reason in error, when it cannot be read or
  // is not a dictionary file of this version (a truncated or foreign file
  // never gets as far as a lookup).
  bool Open(const std::string& strPath, std::string& error);
  // The same over bytes the object keeps (tests build small dictionaries).
  bool OpenBytes(std::string bytes, std::string& error);
  bool IsOpen() const { return m_pHeader != nullptr; }

  struct Word {
    std::string_view head;    // simplified
    std::string_view pinyin;  // tone marks
    std::string_view gloss;   // main English sense
    std::uint32_t flags = 0;  // dictfile::kVerb, kProper, kNoGloss and the count
    // log2(1 + how often the word occurs in running text), 0 when unknown.
    unsigned CountBits() const { return (flags >> dictfile::kCountShift) & 0xFFu; }
  };
  // Byte length of the longest headword that text holds at pos, 0 when none
  // starts there; word receives it. Matches end on character boundaries.
  std::size_t LongestMatch(std::string_view text, std::size_t pos, Word& word) const;
  // Every headword that text holds at pos, shortest first.
  struct Match {
    std::size_t length;
    Word word;
  };
  void Matches(std::string_view text, std::size_t pos, std::vector<Match>& out) const;

  // The Chinese renderings of a lower-case English word or phrase, most
  // common first; empty when the dictionary has none.
  std::span<const dictfile::Candidate> Renderings(std::string_view key) const;
  // True when some English key begins with prefix (phrase matching stops
  // as soon as no longer phrase can follow).
  bool HasKeyWithPrefix(std::string_view prefix) const;
  std::string_view Text(const dictfile::Str& s) const { return {m_pStrings + s.offset, s.length}; }

  std::size_t FileSize() const { return m_nSize; }

 private:
  bool Attach(const char* pData, std::size_t nSize, std::string& error);
  void Close();

  const char* m_pData = nullptr;
  std::size_t m_nSize = 0;
  bool m_bMapped = false;
  std::string m_strOwned;
  const dictfile::Header* m_pHeader = nullptr;
  std::span<const dictfile::Entry> m_entries;
  std::span<const dictfile::ZhKey> m_zhKeys;
  std::span<const dictfile::EnKey> m_enKeys;
  std::span<const dictfile::Candidate> m_candidates;
  const char* m_pStrings = nullptr;
};

// Where the dictionary file is: LEXIPHON_DICTIONARY when set, else next to
// the installed program's data (share/lexiphon), else the build folder's.
std::string DefaultDictionaryPath();

}  // namespace pageservice
