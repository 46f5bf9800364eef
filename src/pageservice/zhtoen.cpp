// Chinese to English. The words of a clause are read as [time] subject
// [adverbs] [不/没] [modal] [在 place] verb [了/过] [object] [吗/呢/吧], or
// as an adjective after 很, a 比 comparison, a 有 of existence or a question
// word, and written in English order: subject and verb agreeing, "be" before
// an adjective, tense from 了, 过, 在 and the time words, a question
// inverted, articles and plurals where English wants them, time at the end.
#include "pageservice/corelexicon.h"
#include "pageservice/dictformat.h"
#include "pageservice/transfer.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <array>
#include <optional>

namespace pageservice {

namespace {

bool IsOneOf(std::string_view w, std::initializer_list<std::string_view> set) {
  return std::find(set.begin(), set.end(), w) != set.end();
}

// Word classes of the grammar words; content words take the core's.
enum : char {
  kPronoun = 'r',
  kDemonstrative = 'S',
  kNumber = 'm',
  kMeasure = 'q',
  kDe = 'U',        // 的
  kDe2 = 'G',       // 得
  kLe = 'L',        // 了
  kGuo = 'K',       // 过
  kMa = 'A',        // 吗 呢
  kBa = 'Y',        // 吧
  kDegree = 'g',    // 很 非常 太
  kNeg = 'N',       // 不 没 没有
  kDont = 'X',      // 别 不要
  kModal = 'M',
  kZai = 'Z',       // 在 正在
  kShi = 'B',       // 是
  kYou = 'H',       // 有
  kBi = 'C',        // 比
  kWith = 'W',      // 和 跟
  kPost = 'P',      // 上 里 下面 旁边
  kWh = 'Q',
  kConj = 'J',
  kSign = '.',
  kPlease = 'E',
  kAdverb = 'd',
  kPrep = 'R',      // 从 离 给 坐
  kCall = 'I',      // 叫
};

struct Grammar {
  std::string_view zh;
  char pos;
  std::string_view en;
};
constexpr std::array<Grammar, 94> kGrammar = {{
    {"我", kPronoun, "I"},       {"你", kPronoun, "you"},     {"您", kPronoun, "you"},     {"他", kPronoun, "he"},
    {"她", kPronoun, "she"},     {"它", kPronoun, "it"},      {"我们", kPronoun, "we"},    {"咱们", kPronoun, "we"},
    {"你们", kPronoun, "you"},   {"他们", kPronoun, "they"},  {"她们", kPronoun, "they"},  {"大家", kPronoun, "everyone"},
    {"这", kDemonstrative, "this"}, {"那", kDemonstrative, "that"}, {"这个", kDemonstrative, "this"},
    {"那个", kDemonstrative, "that"}, {"这些", kDemonstrative, "these"}, {"那些", kDemonstrative, "those"},
    {"的", kDe, ""},             {"得", kDe2, ""},            {"了", kLe, ""},             {"过", kGuo, ""},
    {"着", kGuo, ""},            {"吗", kMa, ""},             {"呢", kMa, ""},             {"吧", kBa, ""},
    {"很", kDegree, "very"},     {"非常", kDegree, "very"},   {"太", kDegree, "too"},      {"真", kDegree, "really"},
    {"特别", kDegree, "especially"}, {"最", kDegree, "most"}, {"更", kDegree, "more"},     {"比较", kDegree, "quite"},
    {"有点", kDegree, "a little"}, {"有点儿", kDegree, "a little"}, {"挺", kDegree, "quite"}, {"不", kNeg, "not"},
    {"没", kNeg, "not"},         {"没有", kNeg, "not"},       {"别", kDont, "don't"},      {"不要", kDont, "don't"},
    {"会", kModal, "can"},       {"能", kModal, "can"},       {"可以", kModal, "can"},     {"想", kModal, "want to"},
    {"要", kModal, "want to"},   {"应该", kModal, "should"},  {"必须", kModal, "must"},    {"得", kDe2, ""},
    {"在", kZai, "in"},          {"正在", kZai, ""},          {"是", kShi, "be"},          {"有", kYou, "have"},
    {"比", kBi, "than"},         {"和", kWith, "and"},        {"跟", kWith, "with"},       {"上", kPost, "on"},
    {"里", kPost, "in"},         {"里面", kPost, "in"},       {"下", kPost, "under"},      {"下面", kPost, "under"},
    {"上面", kPost, "on"},       {"旁边", kPost, "next to"},  {"附近", kPost, "near"},     {"前面", kPost, "in front of"},
    {"后面", kPost, "behind"},   {"什么", kWh, "what"},       {"哪里", kWh, "where"},      {"哪儿", kWh, "where"},
    {"谁", kWh, "who"},          {"什么时候", kWh, "when"},   {"为什么", kWh, "why"},      {"怎么", kWh, "how"},
    {"怎么样", kWh, "how"},      {"几", kWh, "how many"},     {"多少", kWh, "how many"},   {"多少钱", kWh, "how much"},
    {"哪", kWh, "which"},        {"因为", kConj, "because"},  {"所以", kConj, "so"},       {"但是", kConj, "but"},
    {"可是", kConj, "but"},      {"如果", kConj, "if"},       {"请", kPlease, "please"},   {"也", kAdverb, "also"},
    {"都", kAdverb, "all"},      {"还", kAdverb, "still"},    {"就", kAdverb, ""},         {"从", kPrep, "from"},
    {"离", kPrep, "from"},       {"给", kPrep, "give"},       {"坐", kPrep, "by"},         {"叫", kCall, "be called"},
}};

const Grammar* GrammarWord(std::string_view zh) {
  for (const Grammar& g : kGrammar) {
    if (g.zh == zh) return &g;
  }
  return nullptr;
}

struct Measure {
  std::string_view zh;
  std::string_view unit;  // an English partitive, or empty
};
constexpr std::array<Measure, 22> kMeasures = {{{"个", ""},      {"本", ""},         {"只", ""},     {"杯", "glass"},
                                               {"瓶", "bottle"}, {"双", "pair"},    {"件", "piece"}, {"条", ""},
                                               {"张", ""},      {"位", ""},         {"部", ""},     {"辆", ""},
                                               {"节", ""},      {"口", ""},         {"块", "piece"}, {"次", ""},
                                               {"种", "kind"},  {"家", ""},         {"所", ""},     {"碗", "bowl"},
                                               {"首", ""},      {"支", ""}}};

const Measure* MeasureWord(std::string_view zh) {
  for (const Measure& m : kMeasures) {
    if (m.zh == zh) return &m;
  }
  return nullptr;
}

std::optional<int> NumberOf(std::string_view zh) {
  static constexpr std::array<std::string_view, 11> kDigits = {"零", "一", "二", "三", "四", "五",
                                                                "六", "七", "八", "九", "十"};
  if (zh == "两") return 2;
  int value = 0;
  int pending = -1;
  bool any = false;
  for (std::size_t i = 0; i < zh.size(); i += 3) {
    const std::string_view c = zh.substr(i, 3);
    const auto it = std::find(kDigits.begin(), kDigits.end(), c);
    if (it == kDigits.end()) {
      if (c == "百" && pending >= 0) {
        value += pending * 100;
        pending = -1;
        any = true;
        continue;
      }
      return std::nullopt;
    }
    const int d = static_cast<int>(it - kDigits.begin());
    any = true;
    if (d == 10) {
      value += (pending < 0 ? 1 : pending) * 10;
      pending = -1;
    } else {
      pending = d;
    }
  }
  if (!any) return std::nullopt;
  return value + std::max(pending, 0);
}

std::string EnglishNumber(int n) {
  static constexpr std::array<std::string_view, 20> kOnes = {
      "zero",    "one",     "two",     "three",     "four",     "five",    "six",
      "seven",   "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
      "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
  static constexpr std::array<std::string_view, 10> kTens = {"",      "",      "twenty",  "thirty", "forty",
                                                              "fifty", "sixty", "seventy", "eighty", "ninety"};
  if (n < 0 || n >= 100) return std::to_string(n);
  if (n < 20) return std::string(kOnes[static_cast<std::size_t>(n)]);
  std::string s(kTens[static_cast<std::size_t>(n / 10)]);
  if (n % 10) s += "-" + std::string(kOnes[static_cast<std::size_t>(n % 10)]);
  return s;
}

// English verb forms. The first word of a phrase inflects: "get up" ->
// "got up".
struct Irregular {
  std::string_view base, past, participle;
};
constexpr std::array<Irregular, 62> kIrregular = {{
    {"be", "was", "been"},         {"have", "had", "had"},        {"do", "did", "done"},
    {"go", "went", "gone"},        {"come", "came", "come"},      {"eat", "ate", "eaten"},
    {"drink", "drank", "drunk"},   {"see", "saw", "seen"},        {"buy", "bought", "bought"},
    {"get", "got", "got"},         {"make", "made", "made"},      {"take", "took", "taken"},
    {"give", "gave", "given"},     {"say", "said", "said"},       {"tell", "told", "told"},
    {"write", "wrote", "written"}, {"read", "read", "read"},      {"sing", "sang", "sung"},
    {"swim", "swam", "swum"},      {"run", "ran", "run"},         {"sit", "sat", "sat"},
    {"stand", "stood", "stood"},   {"meet", "met", "met"},        {"lose", "lost", "lost"},
    {"find", "found", "found"},    {"forget", "forgot", "forgotten"}, {"leave", "left", "left"},
    {"sleep", "slept", "slept"},   {"feel", "felt", "felt"},      {"think", "thought", "thought"},
    {"know", "knew", "known"},     {"teach", "taught", "taught"}, {"bring", "brought", "brought"},
    {"pay", "paid", "paid"},       {"sell", "sold", "sold"},      {"speak", "spoke", "spoken"},
    {"hear", "heard", "heard"},    {"begin", "began", "begun"},   {"wake", "woke", "woken"},
    {"fly", "flew", "flown"},      {"drive", "drove", "driven"},  {"ride", "rode", "ridden"},
    {"become", "became", "become"}, {"put", "put", "put"},        {"cut", "cut", "cut"},
    {"understand", "understood", "understood"}, {"keep", "kept", "kept"}, {"spend", "spent", "spent"},
    {"win", "won", "won"},         {"break", "broke", "broken"},  {"draw", "drew", "drawn"},
    {"wear", "wore", "worn"},      {"cost", "cost", "cost"},      {"hurt", "hurt", "hurt"},
    {"let", "let", "let"},         {"send", "sent", "sent"},      {"build", "built", "built"},
    {"lend", "lent", "lent"},      {"hold", "held", "held"},      {"fall", "fell", "fallen"},
    {"grow", "grew", "grown"},     {"throw", "threw", "thrown"},
}};

bool IsVowel(char c) { return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u'; }

enum class Form { Base, Third, Past, Participle, Ing };

std::string Inflect(const std::string& phrase, Form form) {
  const std::size_t space = phrase.find(' ');
  std::string w = phrase.substr(0, space);
  const std::string rest = space == std::string::npos ? "" : phrase.substr(space);
  if (form == Form::Base || w.empty()) return phrase;
  for (const Irregular& v : kIrregular) {
    if (v.base != w) continue;
    if (form == Form::Past) return std::string(v.past) + rest;
    if (form == Form::Participle) return std::string(v.participle) + rest;
    if (form == Form::Third && w == "have") return "has" + rest;
    if (form == Form::Third && w == "do") return "does" + rest;
    if (form == Form::Third && w == "go") return "goes" + rest;
    if (form == Form::Ing && w == "be") return "being" + rest;
    break;
  }
  const std::size_t n = w.size();
  const bool consonantY = n >= 2 && w[n - 1] == 'y' && !IsVowel(w[n - 2]);
  // run -> running, stop -> stopped: one short vowel before one consonant.
  const bool doubles = n >= 3 && n <= 4 && !IsVowel(w[n - 1]) && IsVowel(w[n - 2]) && !IsVowel(w[n - 3]) &&
                       w[n - 1] != 'w' && w[n - 1] != 'x' && w[n - 1] != 'y';
  switch (form) {
    case Form::Third:
      if (consonantY) return w.substr(0, n - 1) + "ies" + rest;
      if (w.ends_with("s") || w.ends_with("sh") || w.ends_with("ch") || w.ends_with("x") || w.ends_with("o"))
        return w + "es" + rest;
      return w + "s" + rest;
    case Form::Past:
    case Form::Participle:
      if (w.ends_with("e")) return w + "d" + rest;
      if (consonantY) return w.substr(0, n - 1) + "ied" + rest;
      if (doubles) return w + w.back() + "ed" + rest;
      return w + "ed" + rest;
    case Form::Ing:
      if (w.ends_with("ie")) return w.substr(0, n - 2) + "ying" + rest;
      if (w.ends_with("e") && w != "be" && w != "see") return w.substr(0, n - 1) + "ing" + rest;
      if (doubles) return w + w.back() + "ing" + rest;
      return w + "ing" + rest;
    case Form::Base:
      break;
  }
  return phrase;
}

std::string Plural(const std::string& noun) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kIrregularPlural = {
      {{"child", "children"}, {"man", "men"}, {"woman", "women"}, {"person", "people"}, {"foot", "feet"},
       {"tooth", "teeth"}, {"fish", "fish"}}};
  const std::size_t space = noun.rfind(' ');
  const std::string head = space == std::string::npos ? noun : noun.substr(space + 1);
  const std::string lead = space == std::string::npos ? "" : noun.substr(0, space + 1);
  for (const auto& [one, many] : kIrregularPlural) {
    if (head == one) return lead + std::string(many);
  }
  if (head.ends_with("s") || head.ends_with("sh") || head.ends_with("ch") || head.ends_with("x")) return noun + "es";
  if (head.size() >= 2 && head.back() == 'y' && !IsVowel(head[head.size() - 2]))
    return lead + head.substr(0, head.size() - 1) + "ies";
  return noun + "s";
}

std::string Comparative(const std::string& adj) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kForms = {
      {{"good", "better"}, {"bad", "worse"}, {"many", "more"}, {"far", "farther"}, {"old", "older"}}};
  for (const auto& [base, comp] : kForms) {
    if (adj == base) return std::string(comp);
  }
  const std::size_t n = adj.size();
  if (adj.find(' ') != std::string::npos || n > 6 || adj.ends_with("ful") || adj.ends_with("ous") ||
      adj.ends_with("ing") || adj.ends_with("ive"))
    return "more " + adj;
  if (adj.ends_with("e")) return adj + "r";
  if (n >= 2 && adj.back() == 'y' && !IsVowel(adj[n - 2])) return adj.substr(0, n - 1) + "ier";
  if (n >= 3 && n <= 4 && !IsVowel(adj[n - 1]) && IsVowel(adj[n - 2]) && !IsVowel(adj[n - 3]) && adj[n - 1] != 'w')
    return adj + adj.back() + "er";
  return adj + "er";
}

std::string Article(const std::string& noun) {
  if (noun.empty()) return noun;
  const char c = noun[0];
  const bool an = (IsVowel(c) && !noun.starts_with("uni") && !noun.starts_with("use")) || noun.starts_with("hour");
  return (an ? "an " : "a ") + noun;
}

struct Tok {
  std::string zh;
  char pos = 'n';
  std::string en;
  bool bPlace = false;
  bool bKin = false;
  bool bPlural = false;
  bool bCountable = false;
  bool bProper = false;
  bool bZai = false;  // 住在: the place follows
  int number = -1;
  std::string pinyin;
};

// 王芳 -> "Wang Fang": a name is spelled in pinyin without tone marks.
std::string Romanized(const std::string& pinyin) {
  QString s = QString::fromStdString(pinyin).normalized(QString::NormalizationForm_D);
  QString out;
  bool start = true;
  for (const QChar c : s) {
    if (c.isMark()) continue;
    out += start ? c.toUpper() : c;
    start = c == u' ';
  }
  return out.toStdString();
}

std::string ObjectForm(const std::string& pronoun) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kForms = {
      {{"I", "me"}, {"he", "him"}, {"she", "her"}, {"we", "us"}, {"they", "them"}}};
  for (const auto& [subject, object] : kForms) {
    if (pronoun == subject) return std::string(object);
  }
  return pronoun;
}

std::string PossessiveOf(const std::string& owner) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kForms = {
      {{"I", "my"}, {"you", "your"}, {"he", "his"}, {"she", "her"}, {"it", "its"}, {"we", "our"}, {"they", "their"}}};
  for (const auto& [pronoun, possessive] : kForms) {
    if (owner == pronoun) return std::string(possessive);
  }
  if (owner.starts_with("the ")) return owner.substr(4) + "'s";
  return owner + (owner.ends_with('s') ? "'" : "'s");
}

struct NounPhrase {
  std::string en;
  bool bPronoun = false;
  bool bPlural = false;
  bool bPlace = false;  // a place word: 学校, 北京, 桌子上
  bool bThird = true;
  bool bDefinite = false;
  bool bBare = false;        // a countable noun without article yet
  bool bCountable = false;
  std::string head;
  std::string postposition;  // on, in, under ...
  bool bMass = false;
  std::string plain;  // without the article the rules added: a word on its own
};

class CClause {
 public:
  CClause(std::vector<Tok> toks, bool question) : m_t(std::move(toks)), m_bQuestion(question) {}

  std::string Write() {
    PullTime();
    if (m_t.empty() && !m_clock.empty()) return "It is " + m_clock.substr(3) + " o'clock" + TimesOnly();
    if (m_t.empty() && m_times.size() == 2) return m_times[0] + " is " + m_times[1];
    if (m_t.empty()) return Times();
    if (m_t.size() == 1 && m_t[0].pos == 'i') return m_t[0].en + Times(true);
    std::string lead;
    while (Has() && At().pos == kConj) lead += Take().en + " ";
    if (Has() && At().pos == kPlease) {
      Take();
      m_bPlease = true;
    }
    // 老师好, 同学们好: a greeting.
    if (m_t.size() >= 2 && m_t.back().zh == "好" && std::all_of(m_t.begin(), m_t.end() - 1, [](const Tok& t) {
          return t.pos == 'n' || t.pos == kPronoun || t.zh == "们";
        })) {
      m_t.pop_back();
      const NounPhrase np = Noun(false);
      return "Hello, " + np.en;
    }
    // The subject, unless the clause starts with what it does.
    if (Has() && StartsNoun()) {
      m_subject = Noun(true);
      m_bHasSubject = true;
    }
    return lead + Predicate();
  }

 private:
  bool Has(std::size_t k = 0) const { return m_i + k < m_t.size(); }
  const Tok& At() const { return m_t[m_i]; }
  const Tok& Peek(std::size_t k) const { return m_t[std::min(m_i + k, m_t.size() - 1)]; }
  Tok Take() { return m_t[m_i++]; }

  bool StartsNoun(std::size_t k = 0) const {
    if (!Has(k)) return false;
    const Tok& t = Peek(k);
    if (t.pos == kWh && IsOneOf(t.zh, {"谁", "什么"})) return true;
    return t.pos == kPronoun || t.pos == kDemonstrative || t.pos == 'n' || t.pos == 'x' ||
           (t.pos == kNumber && Has(k + 1) && (Peek(k + 1).pos == kMeasure || Peek(k + 1).pos == 'n'));
  }

  // Time words leave the clause for its end: 我昨天去了北京 -> ... yesterday.
  void PullTime() {
    std::vector<Tok> kept;
    for (std::size_t i = 0; i < m_t.size(); ++i) {
      const Tok& t = m_t[i];
      const bool subjectOfShi = i + 1 < m_t.size() && m_t[i + 1].pos == kShi && kept.empty();
      if (t.pos == 't' && !subjectOfShi && !(i + 1 < m_t.size() && m_t[i + 1].pos == kDe)) {
        m_times.push_back(t.en);
        if (IsOneOf(t.zh, {"昨天", "去年", "上个星期", "昨天晚上", "刚才"})) m_bPastTime = true;
        if (IsOneOf(t.zh, {"明天", "明年", "下个星期", "今晚"})) m_bFutureTime = true;
        continue;
      }
      // 六点: at six.
      if (t.pos == kNumber && i + 1 < m_t.size() && m_t[i + 1].zh == "点" && !subjectOfShi) {
        m_clock = "at " + EnglishNumber(t.number);
        ++i;
        continue;
      }
      kept.push_back(t);
    }
    m_t = std::move(kept);
  }

  std::string TimesOnly() const {
    std::string s;
    for (const std::string& t : m_times) s += " " + t;
    return s;
  }

  std::string Times(bool alone = false) const {
    std::string s;
    if (!m_clock.empty()) s += " " + m_clock;
    for (const std::string& t : m_times) s += " " + t;
    if (alone || s.empty()) return s;
    return s;
  }

  NounPhrase Noun(bool subject) {
    NounPhrase np;
    std::string determiner;
    std::optional<int> number;
    std::string unit;
    bool counted = false;
    // Owner: 我的 / 我 before kin / noun 的.
    std::string owner;
    if (Has() && At().pos == kWh && IsOneOf(At().zh, {"谁", "什么"})) {
      np.en = Take().en;
      np.bPronoun = true;
      return np;
    }
    if (Has() && At().pos == kPronoun) {
      if (Has(1) && Peek(1).pos == kDe && Has(2) && (Peek(2).pos == 'n' || Peek(2).pos == 'a')) {
        owner = PossessiveOf(Take().en);
        Take();
      } else if (Has(1) && Peek(1).pos == 'n' && (Peek(1).bKin || Peek(1).bPlace)) {
        owner = PossessiveOf(Take().en);
      } else if (Has(1) && Peek(1).pos == 'n' && Peek(1).zh == "班") {
        owner = PossessiveOf(Take().en);
      } else {
        const Tok t = Take();
        np.en = t.en;
        np.bPronoun = true;
        np.bThird = IsOneOf(t.en, {"he", "she", "it", "everyone"});
        np.bPlural = IsOneOf(t.en, {"we", "they"});
        return np;
      }
    }
    if (Has() && At().pos == kDemonstrative) {
      const Tok d = Take();
      determiner = d.en;
      np.bPlural = d.en == "these" || d.en == "those";
      if (Has() && At().pos == kMeasure) {
        unit = std::string(MeasureWord(At().zh)->unit);
        Take();
      }
      if (!Has() || (At().pos != 'n' && At().pos != 'a')) {
        np.en = determiner;
        np.bPronoun = true;
        return np;
      }
    }
    if (Has() && At().pos == kNumber && Has(1) && (Peek(1).pos == kMeasure || Peek(1).pos == 'n')) {
      number = Take().number;
      counted = true;
      if (Has() && At().pos == kMeasure) unit = std::string(MeasureWord(Take().zh)->unit);
    }
    std::string adjectives;
    while (Has() && At().pos == 'a' && Has(1) && (Peek(1).pos == 'n' || (Peek(1).pos == kDe && Has(2) && Peek(2).pos == 'n'))) {
      adjectives += Take().en + " ";
      if (Has() && At().pos == kDe) Take();
    }
    std::string nouns;
    Tok head;
    while (Has() && (At().pos == 'n' || At().pos == 'x')) {
      if (!nouns.empty()) nouns += " ";
      head = Take();
      nouns += head.en;
      // 老师的书: the teacher's book.
      if (Has(1) && At().pos == kDe && (Peek(1).pos == 'n' || Peek(1).pos == 'a')) {
        Take();
        owner = PossessiveOf((head.bProper ? "" : "the ") + nouns);
        nouns.clear();
      }
    }
    bool men = false;
    if (Has() && At().zh == "们") Take(), np.bPlural = men = true;
    np.head = head.zh;
    np.bPlace = head.bPlace;
    np.bCountable = head.bCountable;
    np.bMass = !head.bCountable && !head.bPlural && !nouns.empty();
    if (head.bPlural) np.bPlural = true;
    if (number && *number != 1) np.bPlural = true;
    std::string noun = adjectives + nouns;
    if (np.bPlural && !head.bPlural && !nouns.empty() && unit.empty()) noun = adjectives + Plural(nouns);
    if (unit == "glass" && IsOneOf(nouns, {"coffee", "tea"})) unit = "cup";
    if (!unit.empty()) {
      const std::string units = number && *number != 1 ? Plural(unit) : unit;
      noun = units + " of " + noun;
      np.bPlural = number && *number != 1;
    }
    std::string en;
    if (!owner.empty()) {
      en = owner + " " + noun;
      np.bDefinite = true;
    } else if (!determiner.empty()) {
      en = determiner + " " + noun;
      np.bDefinite = true;
    } else if (number) {
      en = *number == 1 ? Article(noun) : EnglishNumber(*number) + " " + noun;
    } else if (head.bKin && !subject) {
      en = noun;
    } else if (subject && men) {
      en = "the " + noun;
    } else if (head.bProper || np.bPlural || nouns.empty() || (!head.bCountable && !subject)) {
      en = noun;
    } else if (subject) {
      en = "the " + noun;
      np.plain = noun;
      np.bDefinite = true;
    } else {
      en = noun;
      np.bBare = true;
    }
    (void)counted;
    // 桌子上: on the table.
    if (Has() && At().pos == kPost) {
      np.postposition = Take().en;
      np.bPlace = true;
      if (!np.bDefinite && !head.bProper && !np.bPlural && head.bCountable) en = "the " + noun;
    }
    np.en = en;
    np.bThird = !np.bPlural;
    return np;
  }

  // "at school", "in Beijing", "on the table".
  static std::string Where(const NounPhrase& np) {
    if (!np.postposition.empty()) return np.postposition + " " + np.en;
    if (IsOneOf(np.en, {"home", "school", "work"})) return "at " + np.en;
    if (np.bPronoun) return np.en == "this" ? "here" : np.en == "that" ? "there" : "at " + np.en;
    if (np.bBare) return "in the " + np.en;
    return "in " + np.en;
  }

  std::string Object(NounPhrase np, std::string_view verb) {
    if (np.bPronoun) return ObjectForm(np.en);
    if (np.bBare) {
      if (IsOneOf(verb, {"like", "love", "hate"})) return Plural(np.en);
      if (verb == "be") return m_subject.bPlural ? Plural(np.en) : Article(np.en);
    }
    // "They are my classmates."
    if (verb == "be" && m_subject.bPlural && !np.bPlural && np.bCountable && !np.bPronoun) return Plural(np.en);
    if (np.bBare) {
      if (m_bImperative || np.bPlace) return "the " + np.en;
      return Article(np.en);
    }
    return np.en;
  }

  std::string Be(bool past) const {
    if (past) return m_subject.bPlural || m_subject.en == "you" ? "were" : "was";
    if (m_subject.en == "I") return "am";
    return !m_bHasSubject || (m_subject.bThird && m_subject.en != "you") ? "is" : "are";
  }

  std::string Do(bool past) const {
    if (past) return "did";
    return m_bHasSubject && m_subject.bThird && m_subject.en != "you" && m_subject.en != "I" ? "does" : "do";
  }

  bool Third() const { return m_bHasSubject && m_subject.bThird && m_subject.en != "you" && m_subject.en != "I"; }

  std::string Subject() const {
    if (!m_bHasSubject) return "it";
    return m_subject.en;
  }

  std::string Predicate() {
    std::vector<std::string> adverbs;
    std::string degree;
    bool negative = false;
    bool neverDid = false;  // 没
    std::string modal;
    bool progressive = false;
    bool dont = false;
    std::string places;  // after the verb phrase
    std::string with;
    std::string wh;      // question word before the verb (why, how, when, where)
    for (bool more = true; more && Has();) {
      more = true;
      const Tok& t = At();
      if (t.pos == kAdverb || (t.pos == 'd' && !(Has(1) && Peek(1).pos == kDe2))) {
        // 都 gathers a plural subject: "they are all".
        if (!t.en.empty() && !(t.zh == "都" && !m_subject.bPlural)) adverbs.push_back(t.en);
        Take();
      } else if (t.pos == kNeg && !(t.zh == "没有" && Has(1) && StartsNoun(1))) {
        negative = true;
        neverDid = t.zh != "不";
        Take();
      } else if (t.pos == kDont) {
        dont = true;
        Take();
      } else if (t.pos == kModal && Has(1) && Peek(1).pos != 'n' && Peek(1).pos != kNumber) {
        const Tok m = Take();
        modal = m.en;
        if (m.zh == "会" && (m_bFutureTime || !Has() || !IsSkill(At().en))) modal = "will";
        if (m.zh == "要" && m_bFutureTime) modal = "will";
        if (m.zh == "可以" && m_bQuestion && m_subject.en == "I") modal = "may";
      } else if (t.pos == kZai && Has(1) && (Peek(1).pos == 'v' || Peek(1).pos == kModal)) {
        progressive = true;
        Take();
      } else if (t.pos == kZai && Has(1) && StartsNoun(1) && HasVerbAfterPlace()) {
        Take();
        places += " " + Where(Noun(false));
      } else if (t.pos == kWith && Has(1) && StartsNoun(1)) {
        Take();
        with = " with " + ObjectForm(Noun(false).en);
        if (Has() && At().zh == "一起") Take();
      } else if (t.pos == kPrep && t.zh == "坐" && Has(2) && Peek(2).pos == 'v') {
        Take();
        NounPhrase np = Noun(false);
        places += " by " + np.en;
      } else if (t.pos == kPrep && t.zh == "离" && Has(1)) {
        Take();
        places += " to " + Object(Noun(false), "");
      } else if (t.pos == kWh && IsOneOf(t.en, {"why", "how", "when"}) && !(t.zh == "怎么样")) {
        wh = Take().en;
      } else if (t.zh == "一起") {
        Take();
        adverbs.push_back("together");
      } else {
        more = false;
      }
    }
    m_bImperative = !m_bHasSubject;
    std::string out;
    if (!Has()) {
      // Only a subject: a name, a word looked up.
      if (!m_subject.plain.empty() && m_times.empty() && m_clock.empty()) return m_subject.plain;
      return Subject() + Times();
    }
    const Tok head = At();
    const bool past = m_bPastTime;
    // 这个多少钱, 你几岁, 今天星期几.
    if (head.pos == kWh && IsOneOf(head.en, {"how much", "how old", "what day", "what time"})) {
      Take();
      std::string who = m_bHasSubject ? m_subject.en : "it";
      return Cap(head.en) + " " + Be(past) + " " + who + Times();
    }
    // 我十二岁: twelve years old.
    if (head.pos == kNumber && Has(1) && Peek(1).zh == "岁") {
      const int n = Take().number;
      Take();
      if (Has() && At().pos == kLe) Take();
      return Subject() + " " + Be(past) + " " + EnglishNumber(n) + " years old" + Times();
    }
    // 我叫王芳: my name is Wang Fang.
    if (head.pos == kCall) {
      Take();
      const std::string owner = m_bHasSubject ? PossessiveOf(m_subject.en) : "the";
      if (Has() && At().pos == kWh) return "What is " + owner + " name" + Times();
      std::string name;
      while (Has()) {
        const Tok t = Take();
        name += (name.empty() ? "" : " ") + (t.pinyin.empty() ? t.en : Romanized(t.pinyin));
      }
      return Cap(owner) + " name is " + name + Times();
    }
    if (head.pos == 'v' && head.en.starts_with("be ")) {
      m_t[m_i].pos = 'a';
      m_t[m_i].en = head.en.substr(3);
      return Predicate();
    }
    // Adjective predicate: 天气很好 -> the weather is very good.
    if (head.pos == kDegree || head.pos == 'a' || head.pos == kBi) {
      std::string adjective;
      std::string comparison;
      if (head.pos == kBi) {
        Take();
        const NounPhrase other = Noun(false);
        std::string adj = Has() && At().pos == 'a' ? Take().en : "";
        std::string by;
        if (Has() && At().pos == kNumber) {
          const Tok n = Take();
          std::string unit = Has() && At().zh == "岁" ? (Take(), "years") : "";
          by = EnglishNumber(n.number) + (unit.empty() ? "" : " " + unit) + " ";
          if (adj == "big" || adj == "old") adj = "old";
        }
        adjective = by + Comparative(adj) + " than " + ObjectForm(other.en);
      } else {
        while (Has() && At().pos == kDegree) degree = Take().en;
        if (Has() && At().pos == 'a') adjective = Take().en;
        else if (Has()) adjective = Take().en;
        if (degree == "most") adjective = "the " + (adjective == "good" ? std::string("best") : "most " + adjective);
        else if (degree == "more") adjective = Comparative(adjective);
        else if (!degree.empty()) adjective = degree + " " + adjective;
      }
      if (Has() && At().pos == kLe) {
        Take();
        if (degree == "too") m_bEndLe = true;
      }
      if (!negative && !m_bHasSubject && adjective.empty()) return Times();
      std::string be = Be(past);
      if (m_bQuestion && m_bMa) {
        std::string s = Cap(be) + " " + Subject() + (negative ? " not " : " ") + adjective;
        return s + places + Times();
      }
      if (!wh.empty()) return wh + " " + be + " " + Subject() + " " + adjective + Times();
      return Subject() + " " + be + (negative ? " not " : " ") + JoinAdverbs(adverbs) + adjective + places + Times();
    }
    // 是: what the subject is.
    if (head.pos == kShi) {
      Take();
      if (Has() && At().pos == kWh) {
        const Tok q = Take();
        const std::string word = q.zh == "谁" ? "who" : q.zh == "什么时候" ? "when" : "what";
        return Cap(word) + " " + Be(past) + " " + Subject() + Times();
      }
      const NounPhrase np = Noun(false);
      std::string rest = Object(np, "be");
      if (Has() && At().pos == kDe) Take();
      if (m_bMa) return Cap(Be(past)) + " " + Subject() + (negative ? " not " : " ") + rest + Times();
      if (!adverbs.empty() && adverbs[0] == "all") rest = "all " + rest;
      else if (!adverbs.empty()) rest = JoinAdverbs(adverbs) + rest;
      return Subject() + " " + Be(past) + (negative ? " not " : " ") + rest + Times();
    }
    // 有: have, or there is when the subject is a place.
    if (head.pos == kYou || (head.zh == "没有" && StartsNoun(1))) {
      const bool none = head.zh == "没有" || negative;
      Take();
      if (Has() && At().zh == "没有") Take();  // 有没有
      if (Has() && At().pos == kWh && IsOneOf(At().zh, {"几", "多少"})) {
        Take();
        if (Has() && At().pos == kMeasure) Take();
        const std::string noun = Has() && At().pos == 'n' ? Plural(Take().en) : "";
        return "How many " + noun + " " + Do(past) + " " + Subject() + " have" + Times();
      }
      const NounPhrase np = Noun(false);
      std::string thing = Object(np, "have");
      if (!m_bHasSubject || m_subject.bPlace || !m_subject.postposition.empty() ||
          (m_subject.en.starts_with("my ") && IsOneOf(m_subject.head, {"家"}))) {
        const std::string be = np.bPlural ? "are" : "is";
        std::string where = m_bHasSubject ? " " + (m_subject.postposition.empty() ? "in " + m_subject.en : Where(m_subject)) : "";
        if (m_bQuestion) return Cap(be) + " there " + (none ? "not " : "") + thing + where + Times();
        return "There " + be + (none ? " no " : " ") + thing + where + Times();
      }
      if (m_bQuestion && m_bMa) return Cap(Do(past)) + " " + Subject() + " have " + (np.bBare ? "any " + Plural(np.en) : thing) + Times();
      if (!wh.empty() || (Has() && At().pos == kWh)) {
      }
      if (np.en.starts_with("how many")) return Cap(np.en) + " " + Do(past) + " " + Subject() + " have" + Times();
      if (none) return Subject() + " " + Do(past) + "n't have " + thing + Times();
      return Subject() + " " + JoinAdverbs(adverbs) + (past ? "had" : Third() ? "has" : "have") + " " + thing + Times();
    }
    // 在 + place as the verb: 书在桌子上.
    if (head.pos == kZai && Has(1)) {
      Take();
      if (Has() && At().pos == kWh) {
        Take();
        return "Where " + Be(past) + " " + Subject() + Times();
      }
      const NounPhrase np = Noun(false);
      if (m_bMa) return Cap(Be(past)) + " " + Subject() + " " + Where(np) + Times();
      return Subject() + " " + Be(past) + (negative ? " not " : " ") + Where(np) + Times();
    }
    // A verb phrase.
    if (head.pos == kWh && head.zh == "怎么样") {
      Take();
      return "How " + Be(past) + " " + Subject() + Times();
    }
    if (head.pos == kPrep && head.zh == "给") {
      // 请给我一杯水: give me a glass of water.
    }
    std::vector<std::string> verbs;
    std::string object;
    bool perfect = false;
    bool done = past;
    std::string whObject;
    std::string manner;
    while (Has()) {
      const Tok& t = At();
      if (t.pos == 'v' || (t.pos == kPrep && (t.zh == "给" || t.zh == "坐")) || t.pos == kYou || t.pos == kShi ||
          t.pos == kModal) {
        Tok v = Take();
        if (v.zh == "坐") v.en = Has() && StartsNoun() ? "take" : "sit down";
        // 走路去学校: walk to school; the second verb only says where.
        if (v.en == "go" && !verbs.empty() && IsOneOf(verbs.back(), {"walk", "run", "fly", "drive", "ride"})) {
          m_bMotion = true;
          continue;
        }
        if (v.pos == kYou) v.en = "have";
        if (v.pos == kShi) v.en = "be";
        if (v.pos == kModal) v.en = v.zh == "想" || v.zh == "要" ? "want" : v.en;
        verbs.push_back(v.en);
        // 住在北京: live in Beijing.
        if (Has() && (At().pos == kZai || v.bZai)) {
          if (At().pos == kZai) Take();
          if (Has() && At().pos == kWh) {
            Take();
            whObject = "where";
          } else if (Has()) {
            places += " " + Where(Noun(false));
          }
        }
        continue;
      }
      if (t.pos == kLe) {
        Take();
        if (!negative) done = true;
        continue;
      }
      if (t.pos == kGuo) {
        Take();
        perfect = t.zh == "过";
        continue;
      }
      if (t.pos == kDe2) {
        Take();
        std::string d;
        while (Has() && At().pos == kDegree) d = Take().en;
        if (Has()) manner = " " + (d.empty() ? "" : d + " ") + Adverb(Take().en);
        continue;
      }
      if (t.pos == kWh) {
        const Tok q = Take();
        if (q.zh == "几" || q.zh == "多少") {
          std::string noun;
          if (Has() && At().pos == kMeasure) Take();
          if (Has() && At().pos == 'n') noun = Plural(Take().en);
          whObject = (q.zh == "几" ? "how many " : "how many ") + noun;
        } else if (q.zh == "什么" && Has() && At().pos == 'n') {
          whObject = "what " + Take().en;
        } else if (q.zh == "哪里" || q.zh == "哪儿") {
          whObject = "where";
        } else {
          whObject = q.en;
        }
        continue;
      }
      if (StartsNoun() || t.pos == 'a') {
        NounPhrase np;
        if (t.pos == 'a') {
          np.en = Take().en;
          np.bDefinite = true;
        } else {
          np = Noun(false);
        }
        // 我去北京 / 他去学校: a place after "go" takes "to".
        const std::string verb = verbs.empty() ? "" : verbs.back();
        std::string o = Object(np, verb);
        if (IsOneOf(verb, {"go", "come"}) || m_bMotion) {
          o = np.en == "home" ? "home" : "to " + (np.bBare ? (IsOneOf(np.en, {"school", "work"}) ? np.en : "the " + np.en) : np.en);
        }
        if (verb == "listen" ) o = "to " + o;
        object += (object.empty() ? "" : " ") + o;
        continue;
      }
      if (t.pos == kPost || t.pos == kMa || t.pos == kBa || t.pos == 'd' || t.pos == kDegree) {
        const Tok x = Take();
        if (x.pos == 'd' && !x.en.empty()) manner += " " + x.en;
        if (x.pos == kDegree && x.en == "very") manner += " very much";
        continue;
      }
      // Latin words and digits inside the Chinese stay.
      const Tok other = Take();
      if (other.pos == 'x' || other.pos == kNumber) object += (object.empty() ? "" : " ") + other.en;
    }
    if (verbs.empty()) return Subject() + Times();
    // 来了 at the end after a verb: done; 在 + verb: -ing; 过: have done.
    std::string first = verbs[0];
    std::string rest;
    for (std::size_t k = 1; k < verbs.size(); ++k) rest += (verbs[k - 1] == "want" || verbs[k - 1] == "like" || verbs[k - 1] == "love" || verbs[k - 1] == "need" || verbs[k - 1] == "hope" || verbs[k - 1] == "forget" || verbs[k-1] == "start") ? " to " + verbs[k] : " " + verbs[k];
    if (first == "go" && verbs.size() > 1) rest = " to" + rest.substr(0);
    if (!modal.empty() && (modal == "want to")) {
      rest = " " + first + rest;
      first = "want";
      modal.clear();
      rest = " to" + rest;
    }
    std::string tail = rest + (object.empty() ? "" : " " + object) + with + places + manner;
    std::string subj = Subject();
    const bool weather = IsOneOf(first, {"rain", "snow"});
    if (!m_bHasSubject && !weather) {
      // An order or a request.
      std::string s = dont || negative ? "don't " + first + tail : first + tail;
      if (m_bBa) s = "Let's " + first + tail;
      if (m_bPlease) s = "Please " + s;
      return s + Times();
    }
    if (m_bBa && m_subject.en == "we") return "Let's " + first + tail + Times();
    const std::string adv = JoinAdverbs(adverbs);
    // Questions.
    if (!whObject.empty() || !wh.empty()) {
      const std::string word = !wh.empty() ? wh : whObject;
      if (word == "who" && m_subject.en != "who") {
      }
      if (m_subject.en == "who" || m_subject.en == "what") {
        return Cap(m_subject.en) + " " + Inflect(first, done ? Form::Past : Form::Third) + tail + Times();
      }
      std::string aux = !modal.empty() ? modal : progressive ? Be(false) : perfect ? (Third() ? "has" : "have") : Do(done);
      std::string verb = progressive ? Inflect(first, Form::Ing) : perfect ? Inflect(first, Form::Participle) : first;
      if (word == "where" && tail.empty() && verb == "go") verb = "go";
      return Cap(word) + " " + aux + " " + subj + " " + adv + verb + tail + Times();
    }
    if (m_bMa) {
      std::string aux = !modal.empty() ? modal : progressive ? Be(false) : perfect ? (Third() ? "has" : "have") : Do(done);
      std::string verb = progressive ? Inflect(first, Form::Ing) : perfect ? Inflect(first, Form::Participle) : first;
      if (perfect && first == "go") verb = "been";
      if (perfect && first == "go") tail = " to" + tail.substr(tail.starts_with(" to") ? 3 : 0);
      if (done && !perfect && modal.empty() && !progressive) {
        aux = Third() ? "has" : "have";
        verb = Inflect(first, Form::Participle);
      }
      return Cap(aux) + " " + subj + (negative ? " not " : " ") + adv + verb + tail + Times();
    }
    std::string verb;
    if (!modal.empty()) {
      verb = (negative ? (modal == "can" ? "can't" : modal == "will" ? "won't" : modal + " not") : modal) + " " + adv + first;
    } else if (progressive) {
      verb = Be(false) + (negative ? " not " : " ") + adv + Inflect(first, Form::Ing);
    } else if (perfect) {
      std::string pp = first == "go" ? "been" : Inflect(first, Form::Participle);
      verb = (Third() ? "has" : "have") + std::string(negative ? " never " : " ") + adv + pp;
      if (first == "go" && !tail.starts_with(" to")) tail = " to" + tail;
    } else if (negative) {
      verb = (neverDid ? "didn't" : Do(false) + "n't") + " " + adv + first;
    } else if (done) {
      verb = adv + Inflect(first, Form::Past);
    } else if (m_bFutureTime && !weather) {
      verb = "will " + adv + first;
    } else if (weather && !m_bFutureTime) {
      verb = m_bEndLe || done ? "is " + Inflect(first, Form::Ing) : Be(false) + " " + Inflect(first, Form::Ing);
    } else {
      verb = adv + (Third() ? Inflect(first, Form::Third) : first);
    }
    if (weather && m_bFutureTime && modal.empty()) verb = "will " + first;
    return subj + " " + verb + tail + Times();
  }

  bool HasVerbAfterPlace() const {
    for (std::size_t k = m_i + 1; k < m_t.size(); ++k) {
      if (m_t[k].pos == 'v') return true;
    }
    return false;
  }

  static bool IsSkill(std::string_view verb) {
    return IsOneOf(verb, {"swim", "speak", "sing", "dance", "drive", "cook", "play", "write", "ride", "read"});
  }

  static std::string Adverb(const std::string& adj) {
    if (adj == "good") return "well";
    if (adj == "hard" || adj == "fast" || adj == "late" || adj == "early") return adj;
    if (adj == "diligent") return "hard";
    if (adj.ends_with("y")) return adj.substr(0, adj.size() - 1) + "ily";
    return adj + "ly";
  }

  static std::string JoinAdverbs(const std::vector<std::string>& adverbs) {
    std::string s;
    for (const std::string& a : adverbs) s += a + " ";
    return s;
  }

  static std::string Cap(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
  }

 public:
  bool m_bMa = false;
  bool m_bBa = false;

 private:
  std::vector<Tok> m_t;
  std::size_t m_i = 0;
  bool m_bQuestion;
  bool m_bPlease = false;
  bool m_bHasSubject = false;
  bool m_bImperative = false;
  bool m_bPastTime = false;
  bool m_bFutureTime = false;
  bool m_bEndLe = false;
  bool m_bMotion = false;
  NounPhrase m_subject;
  std::vector<std::string> m_times;
  std::string m_clock;
};

// The dictionary's main sense, made into a word the rules can use.
Tok FromDictionary(const ChinesePiece& p) {
  Tok t;
  t.zh = p.text;
  t.en = p.gloss;
  if (p.flags & dictfile::kNoGloss) {
    t.pos = 'u';
    return t;
  }
  t.bProper = (p.flags & dictfile::kProper) != 0;
  t.pos = (p.flags & dictfile::kVerb) ? 'v' : 'n';
  t.bCountable = !t.bProper;
  t.bPlace = t.bProper;
  return t;
}

}  // namespace

ChineseTransfer TransferChineseToEnglish(std::vector<ChinesePiece> pieces) {
  const CCoreLexicon& core = CCoreLexicon::Get();
  ChineseTransfer result;
  // Words the dictionary joined that the grammar reads apart: 很好, 吃了.
  std::vector<ChinesePiece> split;
  for (ChinesePiece& p : pieces) {
    if (p.bWord && !core.Chinese(p.text) && !GrammarWord(p.text) && p.text.size() >= 6) {
      const std::string_view s = p.text;
      bool done = false;
      for (const std::size_t cut : {std::size_t{3}, s.size() - 3}) {
        const std::string a(s.substr(0, cut));
        const std::string b(s.substr(cut));
        const bool aKnown = GrammarWord(a) || core.Chinese(a) || NumberOf(a);
        const bool plural = b == "们";  // 同学们
        const bool bKnown = GrammarWord(b) || core.Chinese(b) || NumberOf(b) || MeasureWord(b) || plural;
        if (aKnown && bKnown && (GrammarWord(a) || GrammarWord(b) || MeasureWord(b) || NumberOf(a) || plural)) {
          // The gloss keeps the word whole, on its first part.
          ChinesePiece first;
          first.text = a;
          first.source = p.source.empty() ? p.text : p.source;
          first.pinyin = p.pinyin;
          first.gloss = p.gloss;
          first.bWord = true;
          ChinesePiece second;
          second.text = b;
          second.bWord = true;
          split.push_back(std::move(first));
          split.push_back(std::move(second));
          done = true;
          break;
        }
      }
      if (done) continue;
    }
    split.push_back(std::move(p));
  }
  // Core words across the dictionary's cut: 看|电视 is "watch TV".
  std::vector<Tok> toks;
  std::vector<std::string> signs;
  std::string out;
  auto flush = [&](const std::string& sign) {
    const bool question = sign == "?";
    CClause clause(std::move(toks), question);
    toks.clear();
    return clause;
  };
  (void)flush;
  std::vector<std::pair<std::vector<Tok>, std::string>> clauses;
  for (std::size_t i = 0; i < split.size();) {
    const ChinesePiece& p = split[i];
    if (p.bSign || !p.bWord) {
      if (p.bSign) {
        clauses.emplace_back(std::move(toks), p.text);
        toks.clear();
      } else {
        Tok t;
        t.zh = p.text;
        t.en = p.text;
        t.pos = 'x';
        bool digits = !p.text.empty() && std::all_of(p.text.begin(), p.text.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (digits && SmallNumber(p.text) >= 0) {
          t.pos = kNumber;
          t.number = SmallNumber(p.text);
        }
        t.bProper = true;
        if (digits && !toks.empty() && toks.back().pos == 'x') {
          toks.back().en += " " + t.en;  // "Qt 6"
          toks.back().zh += " " + t.zh;
        } else {
          toks.push_back(std::move(t));
        }
      }
      ++i;
      continue;
    }
    std::size_t taken = 1;
    const CoreWord* best = nullptr;
    std::string joined;
    for (std::size_t n = 1; n <= 4 && i + n <= split.size(); ++n) {
      if (!split[i + n - 1].bWord || split[i + n - 1].bSign) break;
      joined += split[i + n - 1].text;
      const Grammar* first = GrammarWord(split[i].text);
      if (const CoreWord* c = core.Chinese(joined);
          c && (n == 1 || !first || first->pos == kDegree || c->pos == 'i' || c->pos == 't')) {
        best = c;
        taken = n;
      }
    }
    // Question words of two pieces: 什么|时候, 星期|几, 几|岁.
    if (taken == 1) {
      const bool pairs = i + 1 < split.size() && split[i + 1].bWord;
      const std::string two = p.text + (pairs ? split[i + 1].text : std::string());
      static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kPairs = {
          {{"星期几", "what day"}, {"几点", "what time"}, {"几岁", "how old"}, {"多少钱", "how much"}, {"什么时候", "when"}}};
      const auto pair = std::find_if(kPairs.begin(), kPairs.end(), [&](const auto& x) { return x.first == two; });
      if (pair != kPairs.end()) {
        Tok q;
        q.zh = two;
        q.pos = kWh;
        q.en = std::string(pair->second);
        result.words.push_back({p.text, p.pinyin, p.gloss});
        if (pairs) result.words.push_back({split[i + 1].text, split[i + 1].pinyin, split[i + 1].gloss});
        toks.push_back(std::move(q));
        i += pairs ? 2 : 1;
        continue;
      }
      if (const auto one = std::find_if(kPairs.begin(), kPairs.end(), [&](const auto& x) { return x.first == p.text; });
          one != kPairs.end()) {
        Tok q;
        q.zh = p.text;
        q.pos = kWh;
        q.en = std::string(one->second);
        result.words.push_back({p.text, p.pinyin, p.gloss});
        toks.push_back(std::move(q));
        ++i;
        continue;
      }
    }
    Tok t;
    const Grammar* g = taken == 1 ? GrammarWord(p.text) : nullptr;
    if (g && !(best && best->pos == 'i')) {
      t.zh = p.text;
      t.pos = g->pos;
      t.en = std::string(g->en);
    } else if (best) {
      t.zh = best->zh;
      t.pos = best->pos == 'p' ? 'n' : best->pos;
      t.en = best->en;
      if (best->en == "i" || best->en.starts_with("i ")) t.en[0] = 'I';
      t.bPlace = best->bPlace;
      t.bKin = best->bKin;
      if (best->pos == 'i' && t.en[0] >= 'a' && t.en[0] <= 'z') t.en[0] = static_cast<char>(t.en[0] - 'a' + 'A');
      t.bPlural = best->bPlural;
      t.bCountable = !best->measure.empty() && best->measure != "p";
      const bool proper = IsOneOf(best->en, {"china", "beijing", "shanghai", "america", "england", "japan", "english", "chinese", "french", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday", "tv"});
      if (proper) {
        t.bProper = true;
        t.en[0] = static_cast<char>(t.en[0] - 'a' + 'A');
        if (t.en == "Tv") t.en = "TV";
        t.bCountable = false;
      }
      if (t.pos == 't' && (t.en.starts_with("monday") || t.en.size() > 2)) {
        for (const char* day : {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"}) {
          if (t.en == day) t.en[0] = static_cast<char>(t.en[0] - 'a' + 'A');
        }
      }
    } else if (const auto n = NumberOf(p.text)) {
      t.zh = p.text;
      t.pos = kNumber;
      t.number = *n;
    } else if (MeasureWord(p.text)) {
      t.zh = p.text;
      t.pos = kMeasure;
    } else {
      t = FromDictionary(p);
    }
    if (taken == 1) t.pinyin = p.pinyin;
    if (best && best->zh.ends_with("在") && best->zh.size() > 3) t.bZai = true;
    for (std::size_t k = 0; k < taken; ++k) {
      const ChinesePiece& w = split[i + k];
      // The sense the rules read first, then the dictionary's main one.
      std::string senses = w.gloss;
      if (taken == 1 && !t.en.empty() && t.pos != kNumber && t.en != w.gloss && !w.pinyin.empty()) {
        senses = t.en + (w.gloss.empty() ? "" : "; " + w.gloss);
      }
      result.words.push_back({w.source.empty() ? w.text : w.source, w.pinyin, senses});
    }
    // 七|十 is seventy.
    if (t.pos == kNumber && !toks.empty() && toks.back().pos == kNumber) {
      if (const auto n = NumberOf(toks.back().zh + t.zh)) {
        toks.back().zh += t.zh;
        toks.back().number = *n;
        i += taken;
        continue;
      }
    }
    if (t.zh == "们") t.pos = 'u';  // a plural, not a word of its own
    if (t.pos != 'u' || t.zh == "们") toks.push_back(std::move(t));
    i += taken;
  }
  if (!toks.empty()) clauses.emplace_back(std::move(toks), "");

  // A sentence's question mark makes all its clauses questions; its last
  // particle says which kind.
  std::string sentence;
  std::size_t start = 0;
  for (std::size_t c = 0; c < clauses.size(); ++c) {
    const std::string& sign = clauses[c].second;
    const bool ends = sign == "." || sign == "?" || sign == "!" || c + 1 == clauses.size();
    if (!ends) continue;
    for (std::size_t k = start; k <= c; ++k) {
      auto& [words, mark] = clauses[k];
      bool ma = false;
      bool ba = false;
      while (!words.empty() && (words.back().pos == kMa || words.back().pos == kBa)) {
        if (words.back().zh == "吗") ma = true;
        if (words.back().pos == kBa) ba = true;
        words.pop_back();
      }
      const bool question = clauses[c].second == "?";
      CClause clause(std::move(words), question);
      clause.m_bMa = ma && question;
      clause.m_bBa = ba;
      std::string text = clause.Write();
      while (text.find("  ") != std::string::npos) text.replace(text.find("  "), 2, " ");
      while (!text.empty() && text.back() == ' ') text.pop_back();
      while (!text.empty() && text.front() == ' ') text.erase(0, 1);
      if (k == start && !text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
      if (!sentence.empty() && !text.empty() && sentence.back() != ' ' && sentence.back() != '(') sentence += ' ';
      sentence += text;
      if (mark != "(" ) sentence += mark;
      else sentence += " (";
    }
    out += (out.empty() ? "" : " ") + sentence;
    sentence.clear();
    start = c + 1;
  }
  for (std::size_t at = out.find("tv"); at != std::string::npos; at = out.find("tv", at + 2)) {
    const bool alone = (at == 0 || out[at - 1] == ' ') && (at + 2 == out.size() || out[at + 2] < 'a');
    if (alone) out.replace(at, 2, "TV");
  }
  result.english = out;
  return result;
}

}  // namespace pageservice
