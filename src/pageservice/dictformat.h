#pragma once
// Layout of the converted dictionary file. The file is mapped into memory and
// read in place, so loading it costs nothing but the mapping; every table is
// sorted by its key bytes for binary search. Little-endian, 4-byte aligned.
// Text is GB18030, the program's code page, so a request needs no conversion.
#include <cstdint>

namespace pageservice::dictfile {

inline constexpr char kMagic[8] = {'L', 'X', 'C', 'E', 'D', 'I', 'C', 'T'};
inline constexpr std::uint32_t kVersion = 1;

// A string in the string pool.
struct Str {
  std::uint32_t offset;
  std::uint32_t length;
};

struct Header {
  char magic[8];
  std::uint32_t version;
  std::uint32_t fileSize;
  std::uint32_t entryCount;
  std::uint32_t entriesOffset;
  std::uint32_t zhKeyCount;
  std::uint32_t zhKeysOffset;
  std::uint32_t enKeyCount;
  std::uint32_t enKeysOffset;
  std::uint32_t candidateCount;
  std::uint32_t candidatesOffset;
  std::uint32_t stringsSize;
  std::uint32_t stringsOffset;
  std::uint32_t maxZhKeyChars;  // the longest headword, in characters
  std::uint32_t reserved;
};
static_assert(sizeof(Header) == 64);

// Entry and candidate flags.
inline constexpr std::uint32_t kVerb = 1;      // the English is a verb ("to ..." in the dictionary)
inline constexpr std::uint32_t kProper = 2;    // a name: the English is capitalised
inline constexpr std::uint32_t kNoGloss = 4;   // a particle or measure word: no English of its own
inline constexpr std::uint32_t kHeadNoun = 8;  // found as the last word of a phrase ("older brother")
// Entries keep log2(1 + the word's count in running text) in bits 8-15, 0
// when unknown: segmentation prefers common words.
inline constexpr std::uint32_t kCountShift = 8;

// One word for Chinese to English: the reading that the conversion chose.
struct Entry {
  Str head;    // simplified headword
  Str pinyin;  // with tone marks
  Str gloss;   // the main English sense
  std::uint32_t flags;
};

// A simplified or traditional headword and the entry it reads as.
struct ZhKey {
  Str key;
  std::uint32_t entry;
};

// A lower-case English word or phrase and its Chinese renderings, most
// common first.
struct EnKey {
  Str key;
  std::uint32_t firstCandidate;
  std::uint32_t candidateCount;
};

struct Candidate {
  Str zh;
  std::uint32_t flags;
};

}  // namespace pageservice::dictfile
