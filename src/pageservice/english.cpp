#include "pageservice/english.h"

#include "text/codepage.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pageservice::english {

namespace {

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n'; }
bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }
bool IsVowel(char c) { return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u'; }

// Irregular forms learners meet first. Sorted for binary search.
constexpr std::array<std::pair<std::string_view, std::string_view>, 109> kIrregular = {{
    {"am", "be"},
    {"are", "be"},
    {"ate", "eat"},
    {"been", "be"},
    {"began", "begin"},
    {"begun", "begin"},
    {"being", "be"},
    {"best", "good"},
    {"better", "good"},
    {"bought", "buy"},
    {"broke", "break"},
    {"broken", "break"},
    {"brought", "bring"},
    {"built", "build"},
    {"came", "come"},
    {"caught", "catch"},
    {"children", "child"},
    {"chose", "choose"},
    {"chosen", "choose"},
    {"did", "do"},
    {"does", "do"},
    {"done", "do"},
    {"drank", "drink"},
    {"drawn", "draw"},
    {"drew", "draw"},
    {"driven", "drive"},
    {"drove", "drive"},
    {"drunk", "drink"},
    {"eaten", "eat"},
    {"fallen", "fall"},
    {"feet", "foot"},
    {"fell", "fall"},
    {"felt", "feel"},
    {"flew", "fly"},
    {"flies", "fly"},
    {"flown", "fly"},
    {"forgot", "forget"},
    {"forgotten", "forget"},
    {"found", "find"},
    {"gave", "give"},
    {"geese", "goose"},
    {"given", "give"},
    {"gone", "go"},
    {"got", "get"},
    {"gotten", "get"},
    {"grew", "grow"},
    {"grown", "grow"},
    {"had", "have"},
    {"has", "have"},
    {"having", "have"},
    {"heard", "hear"},
    {"held", "hold"},
    {"hid", "hide"},
    {"is", "be"},
    {"kept", "keep"},
    {"knew", "know"},
    {"known", "know"},
    {"led", "lead"},
    {"left", "leave"},
    {"lent", "lend"},
    {"lost", "lose"},
    {"lying", "lie"},
    {"made", "make"},
    {"meant", "mean"},
    {"men", "man"},
    {"met", "meet"},
    {"mice", "mouse"},
    {"paid", "pay"},
    {"ran", "run"},
    {"rang", "ring"},
    {"rode", "ride"},
    {"rose", "rise"},
    {"said", "say"},
    {"sang", "sing"},
    {"sat", "sit"},
    {"saw", "see"},
    {"seen", "see"},
    {"sent", "send"},
    {"shook", "shake"},
    {"slept", "sleep"},
    {"sold", "sell"},
    {"spent", "spend"},
    {"spoke", "speak"},
    {"spoken", "speak"},
    {"stole", "steal"},
    {"stood", "stand"},
    {"sung", "sing"},
    {"swam", "swim"},
    {"taken", "take"},
    {"taught", "teach"},
    {"teeth", "tooth"},
    {"thought", "think"},
    {"threw", "throw"},
    {"thrown", "throw"},
    {"told", "tell"},
    {"took", "take"},
    {"understood", "understand"},
    {"was", "be"},
    {"went", "go"},
    {"were", "be"},
    {"woke", "wake"},
    {"women", "woman"},
    {"won", "win"},
    {"wore", "wear"},
    {"worn", "wear"},
    {"worse", "bad"},
    {"worst", "bad"},
    {"written", "write"},
    {"wrote", "write"},
}};
static_assert(std::is_sorted(kIrregular.begin(), kIrregular.end()));

// "it's" is "it is"; "Tom's" is Tom's.
constexpr std::array<std::string_view, 12> kIsPronouns = {"he",    "here", "how",  "it",    "she", "that",
                                                          "there", "what", "when", "where", "who", "why"};

}  // namespace

std::vector<Token> Tokenize(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    const std::size_t start = i;
    const char c = line[i];
    TokenKind kind;
    if (IsAlpha(c)) {
      kind = TokenKind::Word;
      ++i;
      while (i < line.size() && (IsAlpha(line[i]) || ((line[i] == '\'' || line[i] == '-') &&
                                                      i + 1 < line.size() && IsAlpha(line[i + 1])))) {
        ++i;
      }
    } else if (IsDigit(c)) {
      kind = TokenKind::Number;
      ++i;
      while (i < line.size() && (IsDigit(line[i]) || ((line[i] == '.' || line[i] == ',') &&
                                                      i + 1 < line.size() && IsDigit(line[i + 1])))) {
        ++i;
      }
    } else if (IsSpace(c)) {
      kind = TokenKind::Space;
      while (i < line.size() && IsSpace(line[i])) ++i;
    } else if (IsAscii(c)) {
      kind = TokenKind::Punct;
      ++i;
    } else {
      kind = TokenKind::Other;
      while (i < line.size() && !IsAscii(line[i])) i += text::CharLength(line, i);
    }
    tokens.push_back({kind, line.substr(start, i - start)});
  }
  return tokens;
}

std::string Lower(std::string_view word) {
  std::string s(word);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool IsCapitalised(std::string_view word) { return !word.empty() && word[0] >= 'A' && word[0] <= 'Z'; }

std::vector<std::string> BaseForms(std::string_view w) {
  std::vector<std::string> forms;
  auto add = [&forms](std::string form) {
    if (form.size() >= 2 && std::find(forms.begin(), forms.end(), form) == forms.end())
      forms.push_back(std::move(form));
  };
  const auto irregular =
      std::lower_bound(kIrregular.begin(), kIrregular.end(), w,
                       [](const auto& entry, std::string_view key) { return entry.first < key; });
  if (irregular != kIrregular.end() && irregular->first == w) add(std::string(irregular->second));

  auto stem = [w](std::size_t suffix) { return std::string(w.substr(0, w.size() - suffix)); };
  // "stopped" -> "stop", "running" -> "run", "bigger" -> "big".
  auto undoubled = [](const std::string& s) {
    const std::size_t n = s.size();
    if (n >= 3 && s[n - 1] == s[n - 2] && !IsVowel(s[n - 1]) && s[n - 1] != 'l' && s[n - 1] != 's') {
      return s.substr(0, n - 1);
    }
    return std::string();
  };
  auto regular = [&](std::string_view suffix, bool withE) {
    if (w.size() < suffix.size() + 2 || !w.ends_with(suffix)) return;
    const std::string s = stem(suffix.size());
    add(s);
    if (const std::string u = undoubled(s); !u.empty()) add(u);
    if (withE) add(s + "e");
  };

  if (w.ends_with("ies") && w.size() > 4) add(stem(3) + "y");
  if (w.ends_with("ves") && w.size() > 4) {
    add(stem(3) + "f");
    add(stem(3) + "fe");
  }
  if (w.ends_with("es")) add(stem(2));
  if (w.ends_with("s") && !w.ends_with("ss") && !w.ends_with("us") && !w.ends_with("is")) add(stem(1));
  if (w.ends_with("ied") && w.size() > 4) add(stem(3) + "y");
  regular("ed", false);
  if (w.ends_with("ed")) add(stem(1));  // "liked" -> "like"
  regular("ing", true);
  if (w.ends_with("ier") || w.ends_with("iest")) add(stem(w.ends_with("ier") ? 3 : 4) + "y");
  regular("er", true);
  regular("est", true);
  if (w.ends_with("ily") && w.size() > 4) add(stem(3) + "y");
  regular("ly", false);
  return forms;
}

std::vector<std::string> SplitContraction(std::string_view word) {
  const std::size_t apostrophe = word.rfind('\'');
  if (apostrophe == std::string_view::npos || apostrophe == 0) return {std::string(word)};
  const std::string lower = Lower(word);
  const std::string_view suffix = std::string_view(lower).substr(apostrophe);
  const std::string head(word.substr(0, apostrophe));
  if (suffix == "'t" && lower.ends_with("n't")) {
    const std::string base = Lower(word.substr(0, apostrophe - 1));
    if (base == "won") return {"will", "not"};
    if (base == "can" || base == "ca") return {"can", "not"};
    if (base == "shan") return {"shall", "not"};
    return {std::string(word.substr(0, apostrophe - 1)), "not"};
  }
  if (suffix == "'m") return {head, "am"};
  if (suffix == "'re") return {head, "are"};
  if (suffix == "'ve") return {head, "have"};
  if (suffix == "'ll") return {head, "will"};
  if (suffix == "'d") return {head, "would"};
  if (suffix == "'s") {
    const std::string lowerHead = Lower(head);
    if (std::find(kIsPronouns.begin(), kIsPronouns.end(), lowerHead) != kIsPronouns.end())
      return {head, "is"};
    if (lowerHead == "let") return {head, "us"};
    return {head, "'s"};
  }
  return {std::string(word)};
}

}  // namespace pageservice::english
