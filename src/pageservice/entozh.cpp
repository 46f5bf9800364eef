// English to Chinese. A sentence is cut at its commas into clauses; each
// clause is read as [time] subject [adverbs] [modal] [not] verb [object]
// [places], or as a question, and written in Chinese order: time and place
// before the verb, 很 before a predicate adjective, 在 for the progressive,
// 了 for a completed action, 吗 for a yes/no question, question words where
// the answer would stand, a measure word between number and noun.
#include "pageservice/corelexicon.h"
#include "pageservice/english.h"
#include "pageservice/transfer.h"
#include "text/codepage.h"

#include <QString>

#include <algorithm>
#include <array>
#include <optional>

namespace pageservice {

namespace {

using english::TokenKind;

// Word classes beyond the core lexicon's own (n v a d t i p m).
enum : char {
  kPronoun = 'r',
  kPossessive = 'o',
  kArticle = 'D',
  kDemonstrative = 'S',
  kBe = 'B',
  kDo = 'O',
  kHave = 'H',
  kModal = 'M',
  kNot = 'N',
  kPrep = 'P',
  kConj = 'C',
  kWh = 'W',
  kTo = 'T',
  kThere = 'E',
  kLet = 'L',
  kPlease = 'Q',
  kPunct = '.',
  kNumber = 'm',
  kUnknown = 'x',
  kQuantifier = 'q',
};

struct W {
  std::string text;
  std::string low;
  std::string base;
  char pos = kUnknown;
  std::string zh;
  std::string measure;
  bool bKin = false;
  bool bPlace = false;
  bool bPlural = false;
  bool bPast = false;
  bool bIng = false;
  bool bParticiple = false;
  bool bComparative = false;
  bool bSuperlative = false;
  bool bCapital = false;
  bool bDictVerb = false;
  int number = -1;
  // The core's other readings of the same word: verb, adjective, adverb, noun.
  std::string asVerb, asAdjective, asAdverb, asNoun;
  bool Can(char p) const {
    return pos == p || (p == 'v' && !asVerb.empty()) || (p == 'a' && !asAdjective.empty()) ||
           (p == 'd' && !asAdverb.empty()) || (p == 'n' && !asNoun.empty());
  }
  void Become(char p) {
    const std::string* zhOf = p == 'v' ? &asVerb : p == 'a' ? &asAdjective : p == 'd' ? &asAdverb : &asNoun;
    if (pos == p || zhOf->empty()) return;
    zh = *zhOf;
    pos = p;
    if (p == 'a' || p == 'd') bPast = false;
  }
};

struct Closed {
  std::string_view en;
  char pos;
  std::string_view zh;
};
constexpr std::array<Closed, 74> kClosed = {{
    {"i", kPronoun, "我"},         {"me", kPronoun, "我"},         {"you", kPronoun, "你"},
    {"he", kPronoun, "他"},        {"him", kPronoun, "他"},        {"she", kPronoun, "她"},
    {"it", kPronoun, "它"},        {"we", kPronoun, "我们"},       {"us", kPronoun, "我们"},
    {"they", kPronoun, "他们"},    {"them", kPronoun, "他们"},     {"mine", kPronoun, "我的"},
    {"yours", kPronoun, "你的"},   {"my", kPossessive, "我"},      {"your", kPossessive, "你"},
    {"his", kPossessive, "他"},    {"her", kPossessive, "她"},     {"its", kPossessive, "它"},
    {"our", kPossessive, "我们"},  {"their", kPossessive, "他们"}, {"a", kArticle, "一"},
    {"an", kArticle, "一"},        {"the", kArticle, ""},          {"this", kDemonstrative, "这"},
    {"that", kDemonstrative, "那"}, {"these", kDemonstrative, "这些"}, {"those", kDemonstrative, "那些"},
    {"am", kBe, "是"},             {"is", kBe, "是"},              {"are", kBe, "是"},
    {"was", kBe, "是"},            {"were", kBe, "是"},            {"be", kBe, "是"},
    {"been", kBe, "是"},           {"do", kDo, "做"},              {"does", kDo, "做"},
    {"did", kDo, "做"},            {"have", kHave, "有"},          {"has", kHave, "有"},
    {"had", kHave, "有"},          {"can", kModal, "能"},          {"could", kModal, "能"},
    {"will", kModal, "会"},        {"would", kModal, "会"},        {"should", kModal, "应该"},
    {"must", kModal, "必须"},      {"may", kModal, "可以"},        {"might", kModal, "可能"},
    {"not", kNot, "不"},           {"in", kPrep, "在"},            {"on", kPrep, "在"},
    {"at", kPrep, "在"},           {"under", kPrep, "在"},         {"near", kPrep, "在"},
    {"behind", kPrep, "在"},       {"with", kPrep, "和"},          {"from", kPrep, "从"},
    {"to", kTo, ""},               {"for", kPrep, "为"},           {"by", kPrep, "坐"},
    {"of", kPrep, "的"},           {"about", kPrep, "关于"},       {"and", kConj, "和"},
    {"but", kConj, "但是"},        {"or", kConj, "还是"},          {"because", kConj, "因为"},
    {"so", kConj, "所以"},         {"what", kWh, "什么"},          {"where", kWh, "哪里"},
    {"who", kWh, "谁"},            {"when", kWh, "什么时候"},      {"why", kWh, "为什么"},
    {"how", kWh, "怎么"},          {"which", kWh, "哪"},
}};

constexpr std::array<std::string_view, 21> kNumbers = {
    "zero",    "one",     "two",       "three",    "four",     "five",    "six",
    "seven",   "eight",   "nine",      "ten",      "eleven",   "twelve",  "thirteen",
    "fourteen", "fifteen", "sixteen",  "seventeen", "eighteen", "nineteen", "twenty"};
constexpr std::array<std::string_view, 8> kTens = {"thirty", "forty",   "fifty", "sixty",
                                                    "seventy", "eighty", "ninety", "hundred"};

std::string ChineseNumber(int n, bool beforeMeasure) {
  static constexpr std::array<std::string_view, 11> kDigits = {"零", "一", "二", "三", "四", "五",
                                                                "六", "七", "八", "九", "十"};
  if (n == 2 && beforeMeasure) return "两";
  if (n < 0 || n > 999) return std::to_string(n);
  if (n <= 10) return std::string(kDigits[static_cast<std::size_t>(n)]);
  if (n < 20) return "十" + std::string(kDigits[static_cast<std::size_t>(n - 10)]);
  if (n < 100) {
    std::string s = std::string(kDigits[static_cast<std::size_t>(n / 10)]) + "十";
    if (n % 10) s += kDigits[static_cast<std::size_t>(n % 10)];
    return s;
  }
  std::string s = std::string(kDigits[static_cast<std::size_t>(n / 100)]) + "百";
  if (n % 100) s += (n % 100 < 10 ? "零" : "") + ChineseNumber(n % 100, false);
  return s;
}

// Containers that measure what follows "of": a cup of tea = 一杯茶.
std::optional<std::string_view> Container(std::string_view base) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kUnits = {{{"cup", "杯"},
                                                                                          {"glass", "杯"},
                                                                                          {"bottle", "瓶"},
                                                                                          {"pair", "双"},
                                                                                          {"piece", "块"},
                                                                                          {"bowl", "碗"},
                                                                                          {"box", "盒"},
                                                                                          {"kind", "种"},
                                                                                          {"bag", "袋"}}};
  for (const auto& [en, zh] : kUnits) {
    if (en == base) return zh;
  }
  return std::nullopt;
}

bool IsOneOf(std::string_view w, std::initializer_list<std::string_view> set) {
  return std::find(set.begin(), set.end(), w) != set.end();
}

bool IsMotion(std::string_view base) {
  return IsOneOf(base, {"go", "come", "walk", "run", "fly", "drive", "get", "return", "ride", "travel", "move"});
}

std::string Utf8(std::string_view gb) { return text::ToUnicode(gb).toStdString(); }

// One clause's words read from the line.
class CReader {
 public:
  explicit CReader(const CDictionary& dict) : m_dict(dict), m_core(CCoreLexicon::Get()) {}

  std::vector<W> Read(std::string_view line) const {
    std::vector<W> raw;
    for (const english::Token& t : english::Tokenize(line)) {
      if (t.kind == TokenKind::Space) continue;
      if (t.kind == TokenKind::Word) {
        for (std::string& piece : english::SplitContraction(t.text)) {
          W w;
          w.text = piece;
          w.low = english::Lower(piece);
          w.bCapital = english::IsCapitalised(piece);
          w.pos = 0;
          raw.push_back(std::move(w));
        }
      } else {
        W w;
        w.text = std::string(t.text);
        w.low = w.text;
        w.pos = t.kind == TokenKind::Number ? kNumber : kPunct;
        if (t.kind == TokenKind::Number) w.number = SmallNumber(w.text);
        if (t.kind == TokenKind::Number && w.number < 0) w.pos = kUnknown;  // kept as written
        if (t.kind == TokenKind::Other) w.pos = kUnknown;
        w.zh = w.text;
        raw.push_back(std::move(w));
      }
    }
    std::vector<W> out;
    for (std::size_t i = 0; i < raw.size();) {
      m_bInside = i > 0 && raw[i - 1].pos != kPunct;
      const std::size_t n = Phrase(raw, i, out);
      if (n) {
        i += n;
        continue;
      }
      out.push_back(Word(raw[i]));
      ++i;
    }
    return out;
  }

 private:
  static bool IsWord(const W& w) { return w.pos != kPunct && w.pos != kNumber && !w.low.empty() && w.low[0] >= 'a'; }

  // The longest core phrase at raw[i], its words as written or as base forms.
  std::size_t Phrase(const std::vector<W>& raw, std::size_t i, std::vector<W>& out) const {
    // The dictionary's phrases too ("ice cream"), where one can start here.
    // Not after a grammar word: "not eat" is no phrase of its own.
    // Only for words the rules do not know themselves: "very happy" is 很高兴,
    // not the dictionary's 美滋滋.
    bool dictPhrase = IsWord(raw[i]) && m_dict.HasKeyWithPrefix(raw[i].low + ' ');
    if (dictPhrase) {
      const std::string& w = raw[i].low;
      bool known = std::any_of(kClosed.begin(), kClosed.end(), [&](const Closed& c) { return c.en == w; }) ||
                   std::find(kNumbers.begin(), kNumbers.end(), w) != kNumbers.end() ||
                   std::find(kTens.begin(), kTens.end(), w) != kTens.end() || m_core.KnowsWord(w);
      for (const std::string& base : english::BaseForms(w)) known = known || m_core.KnowsWord(base);
      dictPhrase = !known;
    }
    // A core phrase begins with a word the core knows, as it is or as its base.
    const std::string& head = raw[i].low;
    const std::string headBase = IsWord(raw[i]) ? FirstBase(head) : std::string();
    const bool corePhrase = IsWord(raw[i]) && (m_core.KnowsWord(head) || m_core.KnowsWord(headBase));
    if (!corePhrase && !dictPhrase) return 0;
    const std::size_t longest = std::max<std::size_t>(m_core.MaxEnglishWords(), dictPhrase ? 4 : 0);
    for (std::size_t n = std::min(longest, raw.size() - i); n >= 2; --n) {
      bool words = true;
      for (std::size_t k = 0; k < n; ++k) words = words && IsWord(raw[i + k]);
      if (!words) continue;
      for (int variant = 0; variant < 3; ++variant) {
        std::string key;
        bool past = false;
        bool ing = false;
        for (std::size_t k = 0; k < n; ++k) {
          std::string w = raw[i + k].low;
          if ((variant == 1 && k == 0) || variant == 2) {
            std::string base = k == 0 ? headBase : FirstBase(w);
            if (!base.empty()) {
              past = past || (k == 0 && (w.ends_with("ed") || IsPastIrregular(w)));
              ing = ing || (k == 0 && w.ends_with("ing"));
              w = std::move(base);
            }
          }
          if (!key.empty()) key += ' ';
          key += w;
        }
        if (const CoreWord* c = m_core.English(key)) {
          W w = FromCore(*c);
          w.text = key;
          w.low = key;
          w.base = key;
          w.bPast = past;
          w.bIng = ing;
          out.push_back(std::move(w));
          return n;
        }
        if (!dictPhrase || variant == 1) continue;
        if (const auto r = m_dict.Renderings(key); !r.empty() && !(r.front().flags & dictfile::kHeadNoun)) {
          W w;
          w.text = w.low = w.base = key;
          w.zh = Utf8(m_dict.Text(r.front().zh));
          w.pos = (r.front().flags & dictfile::kVerb) ? 'v' : 'n';
          w.bPast = past;
          w.bIng = ing;
          out.push_back(std::move(w));
          return n;
        }
      }
    }
    return 0;
  }

  static std::string FirstBase(const std::string& w) {
    auto forms = english::BaseForms(w);
    return forms.empty() ? std::string() : std::move(forms.front());
  }

  static bool IsPastIrregular(std::string_view w) {
    return IsOneOf(w, {"went", "came", "ate", "drank", "saw", "bought", "got", "had", "did", "made", "took",
                       "gave", "said", "told", "wrote", "read", "sang", "swam", "ran", "sat", "stood", "met",
                       "lost", "found", "forgot", "left", "slept", "felt", "thought", "knew", "taught",
                       "brought", "paid", "sold", "spoke", "heard", "began", "woke", "flew", "drove", "rode",
                       "was", "were", "became", "put", "cut", "understood", "kept", "spent", "won", "broke"});
  }

  void Readings(W& w, const std::string& key) const {
    if (const CoreWord* c = m_core.English(key, 'v'); c && c->pos == 'v') w.asVerb = c->zh;
    if (const CoreWord* c = m_core.English(key, 'a'); c && c->pos == 'a') w.asAdjective = c->zh;
    if (const CoreWord* c = m_core.English(key, 'd'); c && c->pos == 'd') w.asAdverb = c->zh;
    if (const CoreWord* c = m_core.English(key, 'n'); c && c->pos == 'n') w.asNoun = c->zh;
  }

  static W FromCore(const CoreWord& c) {
    W w;
    w.pos = c.pos;
    w.zh = c.zh;
    w.measure = c.measure;
    w.bKin = c.bKin;
    w.bPlace = c.bPlace;
    w.bPlural = c.bPlural;
    return w;
  }

  W Word(const W& in) const {
    W w = in;
    if (w.pos == kPunct || w.pos == kNumber || w.pos == kUnknown) return w;
    w.base = w.low;
    if (const CoreWord* c = m_core.English(w.low, 't'); c && c->pos == 't' && w.bCapital && m_bInside) {
      W core = FromCore(*c);
      core.text = w.text;
      core.low = core.base = w.low;
      return core;
    }
    for (const Closed& c : kClosed) {
      if (c.en == w.low) {
        w.pos = c.pos;
        w.zh = std::string(c.zh);
        w.bPast = IsOneOf(w.low, {"was", "were", "did", "had"});
        return w;
      }
    }
    if (w.low == "let") return w.pos = kLet, w;
    if (w.low == "please") return w.pos = kPlease, w.zh = "请", w;
    if (w.low == "there") {
      w.pos = kThere;
      w.zh = "那里";
      return w;
    }
    if (w.low == "any") return w.pos = kArticle, w.zh = "", w;
    if (w.low == "some") return w.pos = kQuantifier, w.zh = "一些", w;
    for (std::size_t n = 0; n < kNumbers.size(); ++n) {
      if (kNumbers[n] == w.low) return w.pos = kNumber, w.number = static_cast<int>(n), w;
    }
    for (std::size_t n = 0; n < kTens.size(); ++n) {
      if (kTens[n] == w.low) {
        w.pos = kNumber;
        w.number = n == 7 ? 100 : static_cast<int>(n + 3) * 10;
        return w;
      }
    }
    if (const CoreWord* c = m_core.English(w.low)) {
      W core = FromCore(*c);
      core.text = w.text;
      core.low = w.low;
      core.base = w.low;
      core.bCapital = w.bCapital;
      Readings(core, w.low);
      return core;
    }
    const bool verbal = w.low.ends_with("ing") || w.low.ends_with("ed");
    for (const std::string& base : english::BaseForms(w.low)) {
      const CoreWord* c = m_core.English(base, verbal ? 'v' : 0);
      if (!c) continue;
      W core = FromCore(*c);
      core.text = w.text;
      core.low = w.low;
      core.base = base;
      core.bCapital = w.bCapital;
      Readings(core, base);
      Inflection(core);
      return core;
    }
    // The general dictionary: the word, then its base forms.
    std::vector<std::string> keys{w.low};
    for (std::string& b : english::BaseForms(w.low)) keys.push_back(std::move(b));
    for (const std::string& key : keys) {
      const auto r = m_dict.Renderings(key);
      if (r.empty()) continue;
      const dictfile::Candidate* pick = m_bInside && w.bCapital ? nullptr : &r.front();
      for (const auto& c : r) {
        if (w.bCapital && (c.flags & dictfile::kProper)) {
          pick = &c;
          break;
        }
      }
      if (!pick) break;
      w.zh = Utf8(m_dict.Text(pick->zh));
      w.base = key;
      w.bDictVerb = (pick->flags & dictfile::kVerb) != 0;
      w.pos = w.low.ends_with("ly") ? 'd' : w.bDictVerb ? 'v' : 'n';
      Inflection(w);
      return w;
    }
    w.zh = w.text;
    w.pos = w.bCapital ? 'n' : static_cast<char>(kUnknown);
    w.bPlace = w.bCapital;
    return w;
  }

  static void Inflection(W& w) {
    const std::string& s = w.low;
    if (s == w.base) return;
    if (s.ends_with("ing")) w.bIng = true;
    if (s.ends_with("ed") || IsPastIrregular(s)) w.bPast = true;
    if (s.ends_with("en") || s.ends_with("ed") || IsOneOf(s, {"gone", "done", "seen", "been", "made", "had", "lost"}))
      w.bParticiple = true;
    if (w.pos == 'a' || w.pos == 'd') {
      w.bComparative = s.ends_with("er") || s == "better" || s == "worse";
      w.bSuperlative = s.ends_with("est") || s == "best" || s == "worst";
      w.bPast = false;
    }
    if (w.pos == 'n' && s.ends_with('s')) w.bPlural = true;
  }

  const CDictionary& m_dict;
  const CCoreLexicon& m_core;
  mutable bool m_bInside = false;
};

// A clause put back together in Chinese order.
struct Clause {
  std::string time;
  std::string subject;
  bool bPronounSubject = false;
  bool bStative = false;  // an adjective predicate: 今天天气很好, but 火车九点出发
  std::string adverbs;
  std::string neg;
  std::string modal;
  std::string places;  // 在学校, 和朋友一起, 坐公交车
  std::string predicate;
  std::string particle;  // 吗, 吧, 了

  std::string Join() const {
    std::string s;
    if (bPronounSubject || !bStative) {
      s = subject + time;
    } else {
      s = time + subject;
    }
    std::string where = places;
    // The progressive 在 and a place's 在 are one: 在公园里玩.
    if (where.starts_with("在在")) where.erase(0, 3);
    return s + adverbs + neg + modal + where + predicate + particle;
  }
};

class CWriter {
 public:
  CWriter(const std::vector<W>& w, std::size_t begin, std::size_t end, bool question)
      : m_owned(w.begin() + static_cast<std::ptrdiff_t>(begin), w.begin() + static_cast<std::ptrdiff_t>(end)),
        m_i(0),
        m_end(m_owned.size()),
        m_bQuestion(question) {}

  std::string Write() {
    PullTime();
    if (m_i >= m_end) return m_c.time;
    // A greeting or set phrase on its own.
    if (m_end - m_i == 1 && At().pos == 'i') return m_c.time + At().zh;
    std::string lead;
    while (m_i < m_end && At().pos == kConj) lead += Take().zh;
    while (m_i < m_end && At().pos == 'i') lead += Take().zh + "，";
    if (m_i >= m_end) {
      if (lead.ends_with("，")) lead.resize(lead.size() - std::string_view("，").size());
      return lead;
    }
    if (At().pos == kPlease) {
      Take();
      lead += "请";
    }
    if (At().pos == kWh) return lead + WhQuestion();
    if (m_bQuestion && At().pos == kBe && Has(1) && Peek(1).pos == kThere) {
      Take();
      Take();
      return lead + Existential();
    }
    if (m_bQuestion && IsAux(At().pos) && m_i + 1 < m_end && StartsNounPhrase(m_i + 1)) {
      const W aux = Take();
      m_bDidQuestion = aux.low == "did";
      Subject();
      VerbGroup(&aux);
      m_c.particle = aux.low == "did" ? "了吗" : "吗";
      return lead + m_c.Join();
    }
    if (At().pos == kThere && m_i + 1 < m_end && Peek(1).pos == kBe) {
      Take();
      Take();
      return lead + Existential();
    }
    if (At().pos == kLet) {
      Take();
      if (m_i < m_end && At().low == "us") Take();
      m_c.subject = "我们";
      m_c.bPronounSubject = true;
      Predicate(nullptr);
      m_c.particle = "吧";
      return lead + m_c.Join();
    }
    const bool imperative = At().pos == 'v' || (At().pos == kDo && m_i + 1 < m_end && Peek(1).pos == kNot) ||
                            (At().pos == kBe && m_i + 1 < m_end && Peek(1).pos != kNot);
    if (!imperative) Subject();
    if (imperative && At().pos == kDo) {
      Take();
      Take();
      m_c.neg = lead.ends_with("请") ? "不要" : "别";
      if (m_i < m_end && At().pos == kBe) {
        Take();
        m_c.neg = "不要";
      }
    } else if (imperative && At().pos == kBe) {
      Take();
    }
    VerbGroup(nullptr);
    return lead + m_c.Join();
  }

 private:
  const W& At() const { return m_owned[m_i]; }
  W& Here() { return m_owned[m_i]; }
  const W& Peek(std::size_t k) const { return m_owned[std::min(m_i + k, m_end - 1)]; }
  W Take() { return m_owned[m_i++]; }
  bool Has(std::size_t k = 0) const { return m_i + k < m_end; }
  static bool IsAux(char pos) { return pos == kBe || pos == kDo || pos == kModal || pos == kHave; }

  bool StartsNounPhrase(std::size_t i) const {
    if (i >= m_end) return false;
    const char p = m_owned[i].pos;
    if (p == 'a') {
      return IsOneOf(m_owned[i].base, {"many", "much", "a lot of", "lots of"}) ||
             (i + 1 < m_end && m_owned[i + 1].pos == 'n');
    }
    return p == kPronoun || p == kPossessive || p == kArticle || p == kDemonstrative || p == 'n' || p == kNumber ||
           p == kUnknown || p == kThere || p == kQuantifier || p == 't' || m_owned[i].base == "here";
  }

  // Time words, wherever they are, go to the front ("at seven" is 七点,
  // after the day); one that is the subject or what it is stays.
  void PullTime() {
    std::vector<W> kept;
    std::string clock;
    const auto& w = m_owned;
    auto held = [&](std::size_t i) {
      const bool afterBe = i > 0 && (w[i - 1].pos == kBe || w[i - 1].low == "than" ||
                                     (i > 1 && w[i - 2].pos == kBe && IsOneOf(w[i - 1].low, {"in", "on"})));
      return afterBe || (i + 1 < m_end && w[i + 1].pos == kBe) || (i + 1 < m_end && w[i + 1].low == "'s");
    };
    for (std::size_t i = 0; i < m_end; ++i) {
      if (w[i].pos == 't' && !held(i)) {
        m_c.time += w[i].zh;
        continue;
      }
      if (IsOneOf(w[i].low, {"in", "on"}) && i + 1 < m_end && w[i + 1].pos == 't' && !held(i + 1)) continue;
      // every evening = 每天晚上, last weekend = 上个周末.
      if (IsOneOf(w[i].low, {"every", "last", "next"}) && i + 1 < m_end && w[i + 1].pos == 't') {
        const std::string& zh = w[i + 1].zh;
        const bool partOfDay = IsOneOf(w[i + 1].base, {"morning", "afternoon", "evening", "night"});
        if (w[i].low == "every") m_c.time += (partOfDay ? "每天" : "每个") + zh;
        else m_c.time += (w[i].low == "last" ? "上个" : "下个") + zh;
        ++i;
        continue;
      }
      if (w[i].low == "at" && i + 1 < m_end && w[i + 1].pos == kNumber) {
        clock += ChineseNumber(w[i + 1].number, false) + "点";
        i += 1 + (i + 2 < m_end && w[i + 2].low == "o'clock");
        continue;
      }
      kept.push_back(w[i]);
    }
    m_c.time += clock;
    m_owned = std::move(kept);
    m_i = 0;
    m_end = m_owned.size();
  }

  struct NounPhrase {
    std::string zh;
    bool bPlace = false;
    bool bPronoun = false;
    bool bIt = false;
    std::string owner;  // "your name": 你
    std::string head;
  };

  // [determiner] [number] [adjectives] nouns ["of" noun] ['s noun].
  NounPhrase Noun(bool quantify, bool subject = false) {
    NounPhrase np;
    if (!Has()) return np;
    if (At().base == "here" || At().base == "there") {
      np.zh = Take().base == "here" ? "这里" : "那里";
      np.bPlace = np.bPronoun = true;
      return np;
    }
    if (At().pos == kPronoun) {
      np.bPronoun = true;
      np.bIt = At().low == "it";
      np.zh = Take().zh;
      return np;
    }
    std::string owner;
    std::string demonstrative;
    std::optional<int> number;
    bool article = false;
    std::string quantifier;
    if (At().pos == kPossessive) owner = Take().zh;
    if (Has() && At().pos == kDemonstrative) demonstrative = Take().zh;
    if (Has() && At().pos == kArticle) {
      article = At().low == "a" || At().low == "an";
      Take();
    }
    if (Has() && At().pos == kQuantifier) quantifier = Take().zh;
    if (Has() && At().pos == 'a' && IsOneOf(At().base, {"many", "much", "a lot of", "lots of"})) quantifier = Take().zh;
    if (Has() && At().pos == kNumber) number = Take().number;
    // "twelve years old"
    if (number && Has(1) && At().base == "year" && Peek(1).base == "old") {
      Take();
      Take();
      np.zh = ChineseNumber(*number, false) + "岁";
      np.head = "age";
      return np;
    }
    if (number && Has() && At().low == "o'clock") {
      Take();
      np.zh = ChineseNumber(*number, false) + "点";
      np.head = "time";
      return np;
    }
    if (number && !Has() && demonstrative.empty()) {
      np.zh = ChineseNumber(*number, false);
      np.head = "number";
      return np;
    }
    std::string unit;
    if (Has(1) && Container(At().base) && Peek(1).low == "of") {
      unit = std::string(*Container(At().base));
      Take();
      Take();
      if (Has() && At().pos == kArticle) Take();
    }
    std::string adjectives;
    while (Has() && (At().pos == 'a' || (At().pos == 'd' && Has(1) && Peek(1).pos == 'a'))) {
      if (At().pos == 'd') {
        adjectives += Take().zh;
        continue;
      }
      const W adj = Take();
      const bool bare = QString::fromStdString(adj.zh).size() == 1 && adjectives.empty();
      adjectives += adj.zh + (bare ? "" : "的");
    }
    std::string nouns;
    const W* head = nullptr;
    while (Has() && (At().pos == 'n' || At().pos == 't' || At().pos == kUnknown ||
                     (At().pos == 'v' && At().bIng && nouns.empty() && !adjectives.empty()))) {
      // "My parents work": after the subject's noun comes its verb.
      if (subject && !nouns.empty() && At().Can('v')) break;
      head = &At();
      nouns += Take().zh;
    }
    if (head) {
      np.bPlace = head->bPlace || head->pos == 't';
      np.head = head->base;
    }
    if (demonstrative.empty() && !number && !article && adjectives.empty() && nouns.empty() && owner.empty() &&
        quantifier.empty()) {
      return np;
    }
    if (nouns.empty() && !demonstrative.empty() && adjectives.empty()) {
      // "this" alone: 这 as a subject, 这个 elsewhere.
      np.zh = demonstrative + (quantify && demonstrative.size() == 3 ? "个" : "");
      np.bPronoun = true;
      if (Has() && At().low == "one") Take();
      return np;
    }
    const std::string measure = !unit.empty() ? unit : head && !head->measure.empty() ? head->measure : "个";
    std::string zh;
    if (!owner.empty()) {
      np.owner = owner;
      zh += owner + (head && head->bKin && adjectives.empty() ? "" : "的");
    }
    if (!demonstrative.empty()) {
      zh += demonstrative;
      if (demonstrative.size() == 3) zh += number ? ChineseNumber(*number, true) + measure : measure;
    } else if (number) {
      zh += ChineseNumber(*number, true) + measure;
    } else if (article && (quantify || !adjectives.empty() || !unit.empty())) {
      zh += "一" + measure;
    }
    zh += quantifier + adjectives + nouns;
    // "Tom's book", "the book of the teacher".
    if (Has(1) && At().low == "'s") {
      Take();
      NounPhrase owned = Noun(false);
      zh += "的" + owned.zh;
    }
    np.zh = zh;
    return np;
  }

  void Subject() {
    const NounPhrase np = Noun(false, true);
    m_c.subject = np.zh;
    m_c.bPronounSubject = np.bPronoun;
    // "My name is Li Ming": 我叫李明.
    if (np.head == "name" && !np.owner.empty() && Has(1) && At().pos == kBe && !m_bQuestion) {
      m_c.subject = np.owner;
      m_bNamed = true;
    }
    m_bSubjectIt = np.bIt;
    m_bSubjectFirstPerson = np.zh == "我" || np.zh == "我们";
  }

  // Where a thing is: "in the park" is 公园里, "at school" 学校.
  std::string Place(std::string_view prep, const NounPhrase& np) {
    if (prep == "in") return np.zh + (np.bPlace || np.bPronoun ? "" : "里");
    if (prep == "on") return np.zh + "上";
    if (prep == "under") return np.zh + "下面";
    if (prep == "near") return np.zh + "附近";
    if (prep == "behind") return np.zh + "后面";
    if (prep == "next to") return np.zh + "旁边";
    return np.zh;
  }

  bool AtPlacePrep() const {
    if (!Has()) return false;
    return IsOneOf(At().low, {"in", "on", "at", "under", "near", "behind"}) ||
           (At().low == "next" && Has(1) && Peek(1).low == "to");
  }
  std::string TakePlacePrep() {
    std::string prep = Take().low;
    if (prep == "next") {
      Take();
      prep = "next to";
    }
    return prep;
  }

  // What follows the subject: adverbs, "not", a modal, "be" or a verb.
  void VerbGroup(const W* fronted) {
    bool past = false;
    const W* aux = fronted;
    W owned;
    for (;;) {
      if (!aux && Has() && IsAux(At().pos) && !(At().pos == kHave && !(Has(1) && (Peek(1).bParticiple || Peek(1).pos == kTo || Peek(1).pos == kNot))) &&
          !(At().pos == kDo && !(Has(1) && (Peek(1).pos == kNot || Peek(1).pos == 'v' || Peek(1).pos == 'd')))) {
        owned = Take();
        aux = &owned;
        continue;
      }
      if (Has() && At().pos == 'd' && !(Has(1) && (Peek(1).Can('a') || Peek(1).pos == 'd')) && At().base != "a little" &&
          At().base != "here") {
        m_c.adverbs += Take().zh;
        continue;
      }
      if (Has() && At().pos == kNot) {
        Take();
        m_bNegative = true;
        continue;
      }
      break;
    }
    if (aux) {
      past = aux->bPast;
      if (aux->pos == kModal) {
        m_c.modal = aux->zh;
        if (aux->low == "can" || aux->low == "could") {
          if (Has() && IsOneOf(At().base, {"speak", "swim", "sing", "dance", "drive", "cook", "play", "write", "ride"}))
            m_c.modal = "会";
          else if (m_bQuestion && m_bSubjectFirstPerson)
            m_c.modal = "可以";
        }
        if ((aux->low == "would") && Has() && At().base == "like") {
          Take();
          m_c.modal = "";
          m_bWant = true;
        }
      }
      if (aux->pos == kHave && Has() && At().pos == kTo) {
        Take();
        m_c.modal = "必须";
      }
      if (aux->pos == kBe) {
        if (m_bNegative) m_c.neg = "不";
        BePredicate(past);
        return;
      }
      if (aux->pos == kHave && !m_c.modal.size()) m_bPerfect = true;
      if (aux->pos == kDo && aux->low == "did") past = true;
    }
    if (m_bNegative) m_c.neg = past || m_bPerfect ? "没" : "不";
    if (m_bNegative && m_c.modal == "会" && aux && aux->low == "will") m_c.neg = "不";
    Predicate(aux, past);
  }

  // After "be": an adjective, a place, a verb in -ing, or what the subject is.
  void BePredicate(bool past) {
    (void)past;
    if (m_bNamed) {
      m_c.predicate = "叫";
      while (Has()) m_c.predicate += Take().zh;
      return;
    }
    std::string degree;
    while (Has() && At().pos == 'd' && Has(1) && (Peek(1).pos == 'a' || Peek(1).pos == 'd')) degree += Take().zh;
    if (Has() && At().base == "a little") degree = Take().zh;
    if (Has() && At().pos != 'a' && At().Can('a') && !At().bIng) Here().Become('a');
    if (Has(1) && At().low == "going" && Peek(1).pos == kTo) {
      Take();
      Take();
      m_c.modal = "要";
      if (Has() && At().pos != 'v') {
        NounPhrase np = Noun(false);
        m_c.predicate = "去" + np.zh;
      } else {
        Predicate(nullptr);
      }
      return;
    }
    if (Has() && At().pos == 'v' && At().bIng) {
      m_c.places += m_c.neg.empty() ? "在" : "";
      if (!m_c.neg.empty()) m_c.neg = "没在";
      m_c.neg = m_c.neg == "不" ? "没在" : m_c.neg;
      Predicate(nullptr, false, true);
      return;
    }
    if (Has() && At().low == "going") {
      Take();
      m_c.modal = "要";
      m_c.predicate = "去";
      if (Has() && At().pos == kTo) Take();
      m_c.predicate += Noun(false).zh;
      return;
    }
    if (Has() && At().pos == 'v') {
      Predicate(nullptr);
      return;
    }
    if (Has() && At().pos == kPrep && At().low == "from") {
      Take();
      m_c.predicate = "来自" + Noun(false).zh;
      return;
    }
    if (AtPlacePrep()) {
      const std::string prep = TakePlacePrep();
      const NounPhrase np = Noun(false);
      m_c.predicate = m_c.neg.empty() ? "在" + Place(prep, np) : "在" + Place(prep, np);
      return;
    }
    if (Has() && (At().pos == 'a' || (At().pos == kArticle && Has(1) && Peek(1).pos == 'a' && Peek(1).bSuperlative))) {
      if (At().pos == kArticle) Take();
      const W adj = Take();
      // Comparison: 比 and the other side before the adjective.
      if (adj.bComparative || (degree == "更")) {
        if (Has() && At().low == "than") {
          Take();
          const NounPhrase other = Noun(true);
          m_c.predicate = "比" + other.zh + adj.zh;
        } else {
          m_c.predicate = "更" + adj.zh;
        }
        return;
      }
      if (adj.bSuperlative) {
        std::string rest;
        if (AtPlacePrep()) {
          const std::string prep = TakePlacePrep();
          rest = Noun(false).zh;
        }
        m_c.predicate = (rest.empty() ? "" : "是" + rest) + "最" + adj.zh + (rest.empty() ? "" : "的");
        return;
      }
      if (Has() && At().pos == 'n') {
        // "is a good boy" after all: a noun with its adjective.
        --m_i;
        m_c.predicate = "是" + Noun(false).zh;
        return;
      }
      m_c.bStative = true;
      if (adj.zh.ends_with("色")) {
        m_c.predicate = "是" + adj.zh + "的";
      } else if (degree == "太") {
        m_c.predicate = "太" + adj.zh + "了";
      } else if (!m_c.neg.empty() || (m_bQuestion && degree.empty()) || adj.zh.starts_with("最") ||
                 adj.zh.starts_with("很")) {
        m_c.predicate = degree + adj.zh;
      } else {
        m_c.predicate = (degree.empty() ? "很" : degree) + adj.zh;
      }
      if (m_bSubjectIt) m_c.subject.clear();
      RestAfterVerb();
      return;
    }
    if (Has() && At().pos == kNumber && m_bSubjectIt) {
      m_c.subject = "现在";
      m_c.bPronounSubject = false;
    }
    const NounPhrase np = Noun(false);
    m_c.predicate = (np.head == "age" || np.head == "time" ? "" : "是") + np.zh;
    if (np.head == "age" && !m_bNegative) m_c.particle = "了";
    if (m_bSubjectIt && m_c.subject == "它" && np.zh.empty()) m_c.subject.clear();
    RestAfterVerb();
  }

  // The verb and what follows it.
  void Predicate(const W* aux, bool past = false, bool progressive = false) {
    if (!Has()) {
      if (aux && aux->pos == kBe) m_c.predicate = "是";
      if (aux && aux->pos == kDo) m_c.predicate = m_bNegative ? "" : "是";
      return;
    }
    if (m_bWant) {
      m_bWant = false;
      if (Has() && At().pos == kTo) {
        Take();
        m_c.modal += "想";
      } else {
        m_c.predicate = "想要";
        m_c.predicate += Noun(true).zh;
        RestAfterVerb();
        return;
      }
    }
    if (Has() && At().pos != 'v' && At().Can('v') && (aux || m_c.predicate.size() || m_c.subject.size() ||
                                                     m_c.modal.size() || m_c.neg.size())) {
      Here().Become('v');
    }
    if (!Has() || (At().pos != 'v' && At().pos != kHave && At().pos != kDo && At().pos != kBe)) {
      // No verb where one was expected: say what there is.
      if (aux && aux->pos == kHave) {
        m_c.predicate = "有" + Noun(true).zh;
        RestAfterVerb();
        return;
      }
      m_c.predicate += Noun(true).zh;
      RestAfterVerb();
      return;
    }
    const W verb = Take();
    past = past || (verb.bPast && !aux);
    if (m_bSubjectIt && (verb.base == "rain" || verb.base == "snow")) m_c.subject.clear();
    std::string zh = verb.pos == kHave ? "有" : verb.pos == kDo ? "做" : verb.pos == kBe ? "是" : verb.zh;
    if (m_bNegative && zh == "有") m_c.neg = "没";
    // Meals are eaten: have lunch = 吃午饭.
    if (verb.pos == kHave && Has() && IsOneOf(At().base, {"breakfast", "lunch", "dinner"})) zh = "吃";
    // want to / like to / need to: the next verb follows directly.
    if (Has() && At().pos == kTo && Has(1) && Peek(1).pos == 'v') {
      Take();
      if (verb.base == "want") zh = "想";
      if (verb.base == "have") {
        m_c.modal += "必须";
        zh.clear();
      }
      const std::string head = zh;
      m_c.predicate = head;
      Predicate(nullptr, false, false);
      if (past && !m_bNegative) m_c.particle = "了";
      return;
    }
    if (Has() && At().pos == 'v' && At().bIng && IsOneOf(verb.base, {"like", "love", "enjoy", "go", "stop", "start"})) {
      m_c.predicate = zh;
      Predicate(nullptr);
      return;
    }
    std::string object;
    std::string after;
    bool quantified = false;
    bool verbInZai = zh.ends_with("在");
    for (bool more = true; more && Has();) {
      more = false;
      if (At().pos == kThere || At().base == "here") {
        m_c.places += Take().base == "here" ? "在这里" : "在那里";
        more = true;
      } else if (At().pos == kTo && (IsMotion(verb.base) || verb.base == "listen" || verb.base == "talk")) {
        Take();
        if (verb.base == "get") zh = "去";
        else if (!IsOneOf(zh, {"去", "来", "回"})) zh += "去";
        object += Noun(false).zh;
        more = true;
      } else if (AtPlacePrep() && At().low != "at" && verbInZai) {
        const std::string prep = TakePlacePrep();
        object += Place(prep, Noun(false));
        more = true;
      } else if (AtPlacePrep()) {
        const std::string prep = TakePlacePrep();
        const NounPhrase np = Noun(false);
        if (verbInZai) {
          object += Place(prep, np);
        } else {
          m_c.places += "在" + Place(prep, np);
        }
        more = true;
      } else if (Has() && At().low == "with") {
        Take();
        m_c.places += "和" + Noun(false).zh + "一起";
        more = true;
      } else if (Has() && At().low == "by") {
        Take();
        const NounPhrase np = Noun(false);
        m_c.places += (np.head == "card" ? "刷" : np.head == "bike" || np.head == "bicycle" ? "骑" : "坐") + np.zh;
        more = true;
      } else if (Has() && At().low == "from") {
        Take();
        m_c.places += "离" + Noun(false).zh;
        more = true;
      } else if (Has() && At().low == "for") {
        Take();
        m_c.places += "为" + Noun(false).zh;
        more = true;
      } else if (Has() && At().low == "about") {
        Take();
        after += "关于" + Noun(false).zh;
        more = true;
      } else if (object.empty() && StartsNounPhrase(m_i) && At().pos != kThere) {
        quantified = At().pos == kArticle || At().pos == kNumber || At().pos == kQuantifier;
        const NounPhrase np = Noun(true);
        object += np.zh;
        // "give me a book": a second object.
        if (np.bPronoun && StartsNounPhrase(m_i)) {
          quantified = At().pos == kArticle || At().pos == kNumber;
          object += Noun(true).zh;
        }
        more = !np.zh.empty();
      } else if (Has() && At().pos == 'd' && IsOneOf(At().base, {"too", "also"})) {
        Take();
        m_c.adverbs = "也" + m_c.adverbs;
        more = true;
      } else if (Has() && At().pos == 'd' && IsOneOf(At().base, {"again", "together"})) {
        m_c.places += Take().zh;
        more = true;
      } else if (Has() && At().pos == 'd' && IsOneOf(At().base, {"very much", "often", "always", "usually", "sometimes"})) {
        m_c.adverbs += Take().zh;
        more = true;
      } else if (Has() && (At().pos == 'd' || At().pos == 'a')) {
        // How it is done: 唱得很好.
        std::string degree;
        while (Has() && At().pos == 'd' && Has(1) && (Peek(1).pos == 'd' || Peek(1).pos == 'a')) degree += Take().zh;
 if (At().Can('d')) Here().Become('d');
        const W manner = Take();
        after += "得" + (degree.empty() ? std::string("很") : degree) + manner.zh;
        more = true;
      } else if (Has() && (At().pos == kThere || At().base == "here")) {
        m_c.places += Take().base == "here" ? "在这里" : "在那里";
        more = true;
      }
    }
    std::string aspect;
    if (progressive) {
      // 在 already stands before the verb.
    } else if (m_bPerfect && !m_bNegative) {
      aspect = verb.base == "be" ? "过" : "过";
    } else if (past && !m_bNegative && !m_bDidQuestion && (!m_c.subject.empty() || !object.empty())) {
      if (quantified || (!object.empty() && !IsMotion(verb.base))) {
        aspect = "了";
      } else {
        m_c.particle = "了";
      }
    }
    if (verb.base == "be" && m_bPerfect) zh = "去";
    m_c.predicate += zh + aspect + object + after;
    if (m_bQuestion && m_c.particle == "了") {
      m_c.particle = "了";
    }
    RestAfterVerb();
  }

  void RestAfterVerb() {
    while (Has()) {
      if (AtPlacePrep()) {
        const std::string prep = TakePlacePrep();
        const NounPhrase np = Noun(false);
        m_c.places = "在" + Place(prep, np) + m_c.places;
        if (m_c.predicate.starts_with("很") || m_c.predicate.starts_with("是")) {
          // "very hot in summer": the place leads.
        }
        continue;
      }
      if (At().low == "from") {
        Take();
        m_c.places += "离" + Noun(false).zh;
        continue;
      }
      if (At().pos == 'd' && IsOneOf(At().base, {"too", "also"})) {
        Take();
        m_c.adverbs = "也" + m_c.adverbs;
        continue;
      }
      if (At().pos == 'd' || At().pos == 'a' || At().pos == 'n' || At().pos == kUnknown) {
        m_c.predicate += Take().zh;
        continue;
      }
      Take();
    }
  }

  std::string Existential() {
    const NounPhrase np = Noun(true);
    std::string place;
    if (AtPlacePrep()) {
      const std::string prep = TakePlacePrep();
      place = Place(prep, Noun(false));
    }
    m_c.subject = place;
    m_c.predicate = (m_bQuestion ? "有" : "有") + np.zh;
    if (m_bQuestion) m_c.particle = "吗";
    return m_c.Join();
  }

  // Question words stay where the answer would be.
  std::string WhQuestion() {
    const W wh = Take();
    std::string word = wh.zh;
    std::string nounAfter;
    if (wh.low == "how" && Has()) {
      if (At().low == "much") {
        Take();
        word = "多少钱";
        if (Has() && At().pos == 'n') {
          word = "多少" + Take().zh;
        }
      } else if (At().low == "many") {
        Take();
        const W noun = Has() && At().pos == 'n' ? Take() : W{};
        word = "几" + (noun.measure.empty() ? std::string("个") : noun.measure) + noun.zh;
      } else if (At().low == "old") {
        Take();
        word = "几岁";
      } else if (At().pos == 'a' || At().pos == 'd') {
        word = "多" + Take().zh;
      }
    } else if ((wh.low == "what" || wh.low == "which") && Has() && (At().pos == 'n' || At().pos == 't' || At().low == "one")) {
      const W noun = Take();
      if (noun.base == "time") {
        word = "几点";
      } else if (noun.base == "day") {
        word = "星期几";
      } else if (noun.low == "one") {
        word = "哪一个";
      } else {
        word = (wh.low == "which" ? "哪" + (noun.measure.empty() ? std::string("个") : noun.measure) : "什么") +
               noun.zh;
      }
    }
    if (!Has()) return word;
    const bool adverbial = wh.low == "where" || wh.low == "when" || wh.low == "why" || wh.low == "how";
    if (At().pos == kBe) {
      Take();
      if (!StartsNounPhrase(m_i)) return word;
      const NounPhrase np = Noun(word.starts_with("多少") || word.starts_with("几"));
      m_c.subject = np.bIt ? "" : np.zh;
      m_c.bPronounSubject = np.bPronoun;
      if (Has() && At().pos == 'v' && At().bIng) {
        m_c.places = "在";
        const W verb = Take();
        if (adverbial) {
          m_c.predicate = word + verb.zh;
          if (wh.low == "where" && IsMotion(verb.base)) m_c.predicate = verb.zh + word;
        } else {
          m_c.predicate = verb.zh + word;
        }
        if (IsMotion(verb.base) && wh.low == "where") m_c.places.clear();
        return m_c.Join();
      }
      if (Has() && At().low == "from") {
        m_c.predicate = "是" + word + "人";
        return m_c.Join();
      }
      if (Has() && (At().pos == 'a' || At().pos == 'v')) {
        m_c.predicate = (wh.low == "why" ? word : "") + Take().zh;
        return m_c.Join();
      }
      if (np.head == "name" && !np.owner.empty() && wh.low == "what") {
        m_c.subject = np.owner;
        m_c.predicate = "叫什么名字";
        return m_c.Join();
      }
      if (word.starts_with("几") || word.starts_with("多")) {
        if (np.bIt) m_c.subject = word == "几点" ? "现在" : "";
        if (np.bIt) m_c.bPronounSubject = false;
        m_c.predicate = word;
        if (word == "几岁") m_c.particle = "了";
        if (word.starts_with("星期")) m_c.subject.clear();
        return m_c.Join();
      }
      if (wh.low == "where") {
        m_c.predicate = "在哪里";
      } else if (wh.low == "how") {
        m_c.predicate = "怎么样";
      } else {
        m_c.predicate = "是" + word;
      }
      return m_c.Join();
    }
    if (At().pos == kDo || At().pos == kModal) {
      const W aux = Take();
      Subject();
      if (aux.pos == kModal) {
        m_c.modal = aux.zh;
        if (aux.low == "can" && m_c.subject == "我") m_c.modal = "可以";
        if (aux.low == "would" && Has() && At().base == "like") {
          Take();
          m_c.modal.clear();
          m_bWant = true;
        }
      }
      const bool past = aux.low == "did";
      if (!adverbial) {
        // The object's place: "What do you want to eat?" is 你想吃什么.
        Predicate(nullptr, past);
        m_c.predicate += word;
        if (m_c.particle == "了") m_c.particle.clear();
        return m_c.Join();
      }
      if (wh.low == "where" && Has() && At().pos == 'v' && (At().zh.ends_with("在") || IsMotion(At().base))) {
        Predicate(nullptr, past);
        m_c.predicate += "哪里";
        return m_c.Join();
      }
      m_c.adverbs += word.starts_with("几") || word.starts_with("多") ? "" : word;
      Predicate(nullptr, past);
      if (word.starts_with("几") || word.starts_with("多")) m_c.predicate += word;
      return m_c.Join();
    }
    // The question word is the subject: "Who wants tea?"
    m_c.subject = word;
    VerbGroup(nullptr);
    return m_c.Join();
  }

  std::vector<W> m_owned;
  std::size_t m_i;
  std::size_t m_end;
  bool m_bQuestion;
  bool m_bNegative = false;
  bool m_bPerfect = false;
  bool m_bWant = false;
  bool m_bSubjectIt = false;
  bool m_bSubjectFirstPerson = false;
  bool m_bNamed = false;
  bool m_bDidQuestion = false;
  Clause m_c;
};

const char* FullWidth(std::string_view sign) {
  static constexpr std::array<std::pair<std::string_view, const char*>, 9> kSigns = {
      {{",", "，"}, {".", "。"}, {"?", "？"}, {"!", "！"}, {":", "："}, {";", "；"}, {"(", "（"}, {")", "）"}, {"~", "～"}}};
  for (const auto& [ascii, wide] : kSigns) {
    if (ascii == sign) return wide;
  }
  return nullptr;
}

}  // namespace

std::string TransferEnglishToChinese(const CDictionary& dict, std::string_view utf8) {
  const std::vector<W> words = CReader(dict).Read(utf8);
  std::string out;
  std::size_t begin = 0;
  while (begin < words.size()) {
    // One sentence, up to its final sign.
    std::size_t end = begin;
    while (end < words.size() && !IsOneOf(words[end].low, {".", "?", "!"})) ++end;
    const bool question = end < words.size() && words[end].low == "?";
    std::string sentence;
    bool please = false;
    for (std::size_t a = begin; a < end;) {
      std::size_t b = a;
      while (b < end && words[b].pos != kPunct) ++b;
      // A trailing ", please" asks politely for the whole sentence.
      if (b - a == 1 && words[a].pos == kPlease && a > begin) {
        please = true;
        if (sentence.ends_with("，")) sentence.resize(sentence.size() - std::string_view("，").size());
      } else if (b > a) {
        sentence += CWriter(words, a, b, question).Write();
      }
      if (b < end) {
        const char* wide = FullWidth(words[b].low);
        sentence += wide ? wide : words[b].text;
      }
      a = b + 1;
    }
    if (please && !sentence.starts_with("请")) sentence = "请" + sentence;
    out += sentence;
    if (end < words.size()) out += FullWidth(words[end].low);
    begin = end + 1;
  }
  return out;
}

}  // namespace pageservice
