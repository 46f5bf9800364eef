#include "pageservice/dictengine.h"

#include "pageservice/english.h"
#include "pageservice/transfer.h"
#include "text/codepage.h"

#include <QString>

#include <algorithm>
#include <array>
#include <optional>

namespace pageservice {

namespace {

using dictfile::Candidate;
using english::Token;
using english::TokenKind;

std::string Gb(const char16_t* s) { return text::FromUnicode(QStringView(s)); }

// Chinese punctuation in English text: the ASCII sign and how it sits.
enum class SignPlace { Closing, Opening, Ending };
struct Sign {
  std::string gb;
  std::string_view ascii;
  SignPlace place;
};
const std::vector<Sign>& ChineseSigns() {
  static const auto* kSigns = new std::vector<Sign>{
      {Gb(u"。"), ".", SignPlace::Ending},   {Gb(u"？"), "?", SignPlace::Ending},
      {Gb(u"！"), "!", SignPlace::Ending},   {Gb(u"，"), ",", SignPlace::Closing},
      {Gb(u"、"), ",", SignPlace::Closing},  {Gb(u"："), ":", SignPlace::Closing},
      {Gb(u"；"), ";", SignPlace::Closing},  {Gb(u"”"), "\"", SignPlace::Closing},
      {Gb(u"’"), "'", SignPlace::Closing},   {Gb(u"）"), ")", SignPlace::Closing},
      {Gb(u"》"), "\"", SignPlace::Closing}, {Gb(u"…"), "...", SignPlace::Closing},
      {Gb(u"“"), "\"", SignPlace::Opening},  {Gb(u"‘"), "'", SignPlace::Opening},
      {Gb(u"（"), "(", SignPlace::Opening},  {Gb(u"《"), "\"", SignPlace::Opening},
      {Gb(u"—"), "-", SignPlace::Closing},   {Gb(u"～"), "~", SignPlace::Closing},
      {Gb(u"　"), "", SignPlace::Closing},
  };
  return *kSigns;
}

const std::string& EnToZhNote() {
  static const auto* note = new std::string(Gb(u"（CC-CEDICT 词典逐词翻译，仅供参考）"));
  return *note;
}
constexpr std::string_view kZhToEnNote =
    "(Word-by-word dictionary translation from CC-CEDICT; for reference only.)";

}  // namespace

std::string CDictionaryEngine::EnglishToChinese(std::string_view line) const {
  return text::FromUnicode(QString::fromStdString(TransferEnglishToChinese(m_dict, text::ToUnicode(line).toStdString())));
}

std::vector<CDictionaryEngine::Segment> CDictionaryEngine::Segments(std::string_view text) const {
  // Each word scores log2 of its share of running text (its count against
  // about 2^26 words); a character the dictionary lacks scores lower than
  // any word. The best sum prefers few, long, common words: 我|不|知道
  // rather than the greedy 我|不知|道.
  constexpr double kWordCost = 26;
  constexpr double kUnknownCost = 32;
  struct Best {
    double score = -1e300;
    std::size_t from = 0;
    std::optional<CDictionary::Word> word;
  };
  std::vector<Best> best(text.size() + 1);
  best[0].score = 0;
  std::vector<CDictionary::Match> matches;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t charLen = text::CharLength(text, i);
    if (best[i].score > -1e300) {
      m_dict.Matches(text, i, matches);
      bool single = false;
      for (const CDictionary::Match& m : matches) {
        const double score = best[i].score + m.word.CountBits() - kWordCost;
        if (score > best[i + m.length].score) best[i + m.length] = {score, i, m.word};
        single = single || m.length == charLen;
      }
      if (!single && best[i].score - kUnknownCost > best[i + charLen].score) {
        best[i + charLen] = {best[i].score - kUnknownCost, i, std::nullopt};
      }
    }
    i += charLen;
  }
  std::vector<Segment> segments;
  for (std::size_t end = text.size(); end > 0; end = best[end].from) {
    segments.push_back({text.substr(best[end].from, end - best[end].from), best[end].word});
  }
  std::reverse(segments.begin(), segments.end());
  return segments;
}

namespace {

// "我的" is "my": the possessive of a pronoun, else "'s".
std::string Possessive(std::string_view word) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kForms = {
      {{"I", "my"},
       {"you", "your"},
       {"he", "his"},
       {"she", "her"},
       {"it", "its"},
       {"we", "our"},
       {"they", "their"}}};
  for (const auto& [pronoun, possessive] : kForms) {
    if (english::Lower(word) == english::Lower(pronoun)) {
      std::string out(possessive);
      if (english::IsCapitalised(word) && pronoun != "I") out[0] = static_cast<char>(out[0] - 'a' + 'A');
      return out;
    }
  }
  return std::string(word) + (word.ends_with('s') ? "'" : "'s");
}

// "be" after its subject.
std::string_view Be(std::string_view subject) {
  const std::string lower = english::Lower(subject);
  if (lower == "i") return "am";
  if (lower == "you" || lower == "we" || lower == "they") return "are";
  return "is";
}

}  // namespace

CDictionaryEngine::ChineseLine CDictionaryEngine::ChineseToEnglish(std::string_view line) const {
  struct Piece {
    std::string text;
    bool bVerb = false;
    std::optional<SignPlace> sign;
  };
  std::vector<Piece> pieces;
  std::string pinyin;
  const auto& signs = ChineseSigns();
  auto signAt = [&](std::size_t pos) {
    const std::string_view ch = line.substr(pos, text::CharLength(line, pos));
    return std::find_if(signs.begin(), signs.end(), [&](const Sign& sign) { return sign.gb == ch; });
  };
  const std::string de = Gb(u"的");
  auto addWord = [&](std::string_view source, const CDictionary::Word& word) {
    if (!pinyin.empty()) pinyin += ' ';
    pinyin.append(source).append("(").append(word.pinyin).append(")");
    if (word.head == de && !pieces.empty() && !pieces.back().sign) {
      pieces.back().text = Possessive(pieces.back().text);
      pieces.back().bVerb = false;
      return;
    }
    if (word.flags & dictfile::kNoGloss) return;
    std::string gloss(word.gloss);
    const bool verb = (word.flags & dictfile::kVerb) != 0;
    if (verb && gloss == "be") gloss = Be(pieces.empty() ? std::string_view() : pieces.back().text);
    pieces.push_back({std::move(gloss), verb, {}});
  };

  for (std::size_t pos = 0; pos < line.size();) {
    if (static_cast<unsigned char>(line[pos]) < 0x80) {
      // English, digits and ASCII signs in Chinese text stay as they are.
      std::size_t end = pos;
      while (end < line.size() && static_cast<unsigned char>(line[end]) < 0x80) ++end;
      for (const Token& token : english::Tokenize(line.substr(pos, end - pos))) {
        if (token.kind == TokenKind::Space) continue;
        std::optional<SignPlace> place;
        if (token.kind == TokenKind::Punct) {
          // Signs that sit against a word; any other ("<", "=", "&") stands
          // apart like a word.
          const std::string_view c = token.text;
          if (c == "." || c == "!" || c == "?") {
            place = SignPlace::Ending;
          } else if (c == "(" || c == "[") {
            place = SignPlace::Opening;
          } else if (c == "," || c == ";" || c == ":" || c == ")" || c == "]" || c == "%") {
            place = SignPlace::Closing;
          }
        }
        pieces.push_back({std::string(token.text), false, place});
      }
      pos = end;
      continue;
    }
    if (const auto sign = signAt(pos); sign != signs.end()) {
      if (!sign->ascii.empty()) pieces.push_back({std::string(sign->ascii), false, sign->place});
      pos += sign->gb.size();
      continue;
    }
    // A run of Chinese up to the next sign or ASCII, cut into words.
    std::size_t end = pos;
    while (end < line.size() && static_cast<unsigned char>(line[end]) >= 0x80 && signAt(end) == signs.end()) {
      end += text::CharLength(line, end);
    }
    for (const Segment& segment : Segments(line.substr(pos, end - pos))) {
      if (segment.word) {
        addWord(segment.text, *segment.word);
      } else {
        pieces.push_back({std::string(segment.text), false, {}});  // not in the dictionary
      }
    }
    pos = end;
  }

  ChineseLine result;
  std::string& out = result.strEnglish;
  bool capitalise = true;
  bool afterOpening = true;
  bool previousVerb = false;
  for (const Piece& piece : pieces) {
    if (piece.sign) {
      if (*piece.sign == SignPlace::Opening && !out.empty()) out += ' ';
      out += piece.text;
      afterOpening = *piece.sign == SignPlace::Opening;
      if (*piece.sign == SignPlace::Ending) capitalise = true;
      previousVerb = false;
      continue;
    }
    if (!afterOpening) out += ' ';
    // "喜欢学习" is "like to learn".
    if (piece.bVerb && previousVerb) out += "to ";
    std::string word = piece.text;
    if (capitalise && !word.empty() && word[0] >= 'a' && word[0] <= 'z')
      word[0] = static_cast<char>(word[0] - 'a' + 'A');
    out += word;
    capitalise = false;
    afterOpening = false;
    previousVerb = piece.bVerb;
  }
  result.strPinyin = std::move(pinyin);
  return result;
}

EngineResult CDictionaryEngine::Translate(Direction dir, const std::vector<std::string>& lines) {
  EngineResult result;
  for (const std::string& line : lines) {
    if (line.find_first_not_of(" \t") == std::string::npos) {
      result.lines.emplace_back();
    } else if (dir == Direction::EnToZh) {
      result.lines.push_back(EnglishToChinese(line));
    } else {
      ChineseLine zh = ChineseToEnglish(line);
      result.lines.push_back(std::move(zh.strEnglish));
      if (!zh.strPinyin.empty()) result.lines.push_back(std::move(zh.strPinyin));
    }
  }
  result.lines.emplace_back();
  result.lines.emplace_back(dir == Direction::EnToZh ? EnToZhNote() : std::string(kZhToEnNote));
  return result;
}

}  // namespace pageservice
