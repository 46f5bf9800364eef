#pragma once
// Rule-based transfer between English and Chinese: each sentence is read
// into its parts (time, subject, verb group, objects, places) with the core
// vocabulary and the dictionary, and put back together in the other
// language's order with its grammar words. Text is UTF-8 here; the engine
// converts at its edges.
#include "pageservice/dictionary.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pageservice {

// Digits as a number ("1,000" reads up to the comma); -1 when too long to
// be a count, so a run of digits never overflows.
int SmallNumber(std::string_view digits);

std::string TransferEnglishToChinese(const CDictionary& dict, std::string_view utf8);

// A Chinese word as the transfer read it, for the learner's gloss.
struct ChineseWord {
  std::string zh;  // UTF-8
  std::string pinyin;
  std::string english;  // its senses, "; " between
};
struct ChineseTransfer {
  std::string english;
  std::vector<ChineseWord> words;
};
// The line as the engine cut it: dictionary words, signs and ASCII runs.
struct ChinesePiece {
  std::string text;    // UTF-8, simplified
  std::string source;  // as written, when that differs (traditional)
  std::string pinyin;
  std::string gloss;
  std::uint32_t flags = 0;  // dictfile flags of the word
  bool bWord = false;       // a dictionary word
  bool bSign = false;       // punctuation, as its ASCII sign
};
ChineseTransfer TransferChineseToEnglish(std::vector<ChinesePiece> pieces);

// The Chinese renderings of an English word for the gloss: the core word
// first, then the dictionary's, UTF-8, with pinyin.
struct Rendering {
  std::string zh;
  std::string pinyin;
};
// "weather" -> "ˈwɛðɚ".
std::string PhoneticTranscription(std::string_view lowerWord);

std::vector<Rendering> EnglishRenderings(const CDictionary& dict, std::string_view lower, std::size_t max);

// "weather /ˈwɛðɚ/ 天气(tiānqì)", one entry per content word of the line, each
// word once; seen, when given, holds the words already glossed (earlier
// lines) and receives these.
std::string EnglishLearnerGloss(const CDictionary& dict, std::string_view utf8,
                                std::set<std::string>* pSeen = nullptr);

}  // namespace pageservice
