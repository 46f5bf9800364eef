// The learner's gloss of an English line: each content word once, with its
// pronunciation from the CMU lexicon that Flite carries (letter-to-sound
// rules for words it lacks) written in IPA, and its usual Chinese.
#include "pageservice/corelexicon.h"
#include "pageservice/english.h"
#include "pageservice/transfer.h"
#include "text/codepage.h"

#include <QString>

extern "C" {
#include <flite/cst_lexicon.h>
#include <flite/cst_val.h>
cst_lexicon* cmu_lex_init(void);
}

#include <algorithm>
#include <array>
#include <mutex>
#include <set>

namespace pageservice {

namespace {

std::string Utf8(std::string_view gb) { return text::ToUnicode(gb).toStdString(); }
std::string ToGb(const std::string& utf8) { return text::FromUnicode(QString::fromStdString(utf8)); }

// Grammar words learners know: no gloss of their own.
bool IsFunctionWord(std::string_view w) {
  static constexpr std::array<std::string_view, 72> kWords = {
      "a",     "an",    "the",   "i",     "me",    "my",    "you",   "your",  "he",    "him",   "his",   "she",
      "her",   "it",    "its",   "we",    "us",    "our",   "they",  "them",  "their", "this",  "that",  "these",
      "those", "am",    "is",    "are",   "was",   "were",  "be",    "been",  "do",    "does",  "did",   "have",
      "has",   "had",   "can",   "could", "will",  "would", "shall", "should", "may",  "might", "must",  "not",
      "to",    "of",    "in",    "on",    "at",    "by",    "for",   "with",  "from",  "and",   "or",    "but",
      "so",    "if",    "'s",    "what",  "who",   "where", "when",  "why",   "how",   "which", "there", "let"};
  return std::find(kWords.begin(), kWords.end(), w) != kWords.end();
}

struct Phone {
  std::string_view arpabet;
  std::string_view ipa;
};
constexpr std::array<Phone, 40> kPhones = {{
    {"aa", "ɑ"}, {"ae", "æ"},  {"ah", "ʌ"},  {"ao", "ɔ"}, {"aw", "aʊ"}, {"ax", "ə"},  {"axr", "ɚ"}, {"ay", "aɪ"},
    {"eh", "ɛ"}, {"er", "ɝ"},  {"ey", "eɪ"}, {"ih", "ɪ"}, {"iy", "i"},  {"ow", "oʊ"}, {"oy", "ɔɪ"}, {"uh", "ʊ"},
    {"uw", "u"}, {"b", "b"},   {"ch", "tʃ"}, {"d", "d"},  {"dh", "ð"},  {"f", "f"},   {"g", "ɡ"},   {"hh", "h"},
    {"jh", "dʒ"}, {"k", "k"},  {"l", "l"},   {"m", "m"},  {"n", "n"},   {"ng", "ŋ"},  {"p", "p"},   {"r", "r"},
    {"s", "s"},  {"sh", "ʃ"},  {"t", "t"},   {"th", "θ"}, {"v", "v"},   {"w", "w"},   {"y", "j"},   {"z", "z"},
}};

std::string_view Ipa(std::string_view arpabet) {
  if (arpabet == "zh") return "ʒ";
  for (const Phone& p : kPhones) {
    if (p.arpabet == arpabet) return p.ipa;
  }
  return {};
}

}  // namespace

int SmallNumber(std::string_view digits) {
  int value = 0;
  std::size_t n = 0;
  for (; n < digits.size() && digits[n] >= '0' && digits[n] <= '9'; ++n) {
    if (n >= 9) return -1;
    value = value * 10 + (digits[n] - '0');
  }
  return n == 0 ? -1 : value;
}

std::string PhoneticTranscription(std::string_view lowerWord) {
  // The lexicon is shared and its lookups allocate: one at a time.
  static std::mutex mutex;
  static cst_lexicon* lexicon = nullptr;
  std::vector<std::string> phones;
  {
    const std::lock_guard lock(mutex);
    if (!lexicon) lexicon = cmu_lex_init();
    const std::string word(lowerWord);
    cst_val* list = lex_lookup(lexicon, word.c_str(), nullptr, nullptr);
    for (const cst_val* p = list; p; p = val_cdr(p)) phones.emplace_back(val_string(val_car(p)));
    delete_val(list);
  }
  struct Sound {
    std::string_view ipa;
    bool bVowel;
    char stress;
  };
  std::vector<Sound> sounds;
  int vowels = 0;
  for (const std::string& phone : phones) {
    const char last = phone.empty() ? '\0' : phone.back();
    const bool vowel = last >= '0' && last <= '2';
    const std::string_view base = vowel ? std::string_view(phone).substr(0, phone.size() - 1) : std::string_view(phone);
    std::string_view ipa = Ipa(base);
    if (last == '0' && base == "ah") ipa = "ə";
    if (last == '0' && base == "er") ipa = "ɚ";
    sounds.push_back({ipa, vowel, vowel ? last : '\0'});
    vowels += vowel ? 1 : 0;
  }
  // The stress mark opens the stressed syllable: one consonant before its
  // vowel belongs to it, or two that can begin an English word.
  static constexpr std::array<std::string_view, 17> kOnsets = {"st", "sp", "sk", "pl", "pr", "bl", "br", "tr", "dr",
                                                                "kl", "kr", "ɡl", "ɡr", "fl", "fr", "θr", "ʃr"};
  std::vector<bool> markBefore(sounds.size() + 1, false);
  bool firstVowel = true;
  for (std::size_t k = 0; k < sounds.size(); ++k) {
    if (!sounds[k].bVowel) continue;
    if (sounds[k].stress == '1' && vowels > 1) {
      std::size_t start = k;
      while (start > 0 && !sounds[start - 1].bVowel) --start;
      std::size_t consonants = k - start;
      if (!firstVowel && consonants >= 2) {
        const std::string pair = std::string(sounds[k - 2].ipa) + std::string(sounds[k - 1].ipa);
        start = std::find(kOnsets.begin(), kOnsets.end(), pair) != kOnsets.end() ? k - 2 : k - 1;
      }
      markBefore[start] = true;
    }
    firstVowel = false;
  }
  std::string ipa;
  for (std::size_t k = 0; k < sounds.size(); ++k) {
    if (markBefore[k]) ipa += "ˈ";
    ipa += sounds[k].ipa;
  }
  return ipa;
}

std::vector<Rendering> EnglishRenderings(const CDictionary& dict, std::string_view lower, std::size_t max) {
  std::vector<Rendering> out;
  auto add = [&](const std::string& zh) {
    if (zh.empty() || out.size() >= max) return;
    if (std::any_of(out.begin(), out.end(), [&](const Rendering& r) { return r.zh == zh; })) return;
    Rendering r{zh, {}};
    const std::string gb = ToGb(zh);
    CDictionary::Word word;
    if (dict.LongestMatch(gb, 0, word) == gb.size()) r.pinyin = Utf8(word.pinyin);
    out.push_back(std::move(r));
  };
  std::vector<std::string> keys{std::string(lower)};
  for (std::string& b : english::BaseForms(lower)) keys.push_back(std::move(b));
  const CCoreLexicon& core = CCoreLexicon::Get();
  for (const std::string& key : keys) {
    if (const CoreWord* c = core.English(key)) {
      add(c->zh);
      break;
    }
  }
  for (const std::string& key : keys) {
    const auto found = dict.Renderings(key);
    for (const auto& c : found) {
      // A place called Nice is no rendering of "nice".
      if (!(c.flags & (dictfile::kHeadNoun | dictfile::kProper))) add(Utf8(dict.Text(c.zh)));
    }
    if (!found.empty()) break;
  }
  return out;
}

std::string EnglishLearnerGloss(const CDictionary& dict, std::string_view utf8, std::set<std::string>* pSeen) {
  std::string gloss;
  std::set<std::string> own;
  std::set<std::string>& seen = pSeen ? *pSeen : own;
  for (const english::Token& token : english::Tokenize(utf8)) {
    if (token.kind != english::TokenKind::Word) continue;
    for (const std::string& piece : english::SplitContraction(token.text)) {
      const std::string lower = english::Lower(piece);
      if (IsFunctionWord(lower) || lower == "n't" || !seen.insert(lower).second) continue;
      std::string entry = lower + " /" + PhoneticTranscription(lower) + "/";
      for (const Rendering& r : EnglishRenderings(dict, lower, 3)) {
        entry += " " + r.zh;
        if (!r.pinyin.empty()) entry += "(" + r.pinyin + ")";
      }
      if (!gloss.empty()) gloss += "  ";
      gloss += entry;
    }
  }
  return gloss;
}

}  // namespace pageservice
