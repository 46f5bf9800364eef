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
  static const auto* note = new std::string(Gb(u"（根据 CC-CEDICT 词典和语法规则自动翻译，仅供参考）"));
  return *note;
}
constexpr std::string_view kZhToEnNote =
    "(Automatic dictionary translation by rules, from CC-CEDICT; for reference only.)";

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

std::string Utf8(std::string_view gb) { return text::ToUnicode(gb).toStdString(); }
std::string ToGb(const std::string& utf8) { return text::FromUnicode(QString::fromStdString(utf8)); }

}  // namespace

CDictionaryEngine::ChineseLine CDictionaryEngine::ChineseToEnglish(std::string_view line) const {
  std::vector<ChinesePiece> pieces;
  const auto& signs = ChineseSigns();
  auto signAt = [&](std::size_t pos) {
    const std::string_view ch = line.substr(pos, text::CharLength(line, pos));
    return std::find_if(signs.begin(), signs.end(), [&](const Sign& sign) { return sign.gb == ch; });
  };
  for (std::size_t pos = 0; pos < line.size();) {
    if (static_cast<unsigned char>(line[pos]) < 0x80) {
      // English, digits and ASCII signs in Chinese text stay as they are.
      std::size_t end = pos;
      while (end < line.size() && static_cast<unsigned char>(line[end]) < 0x80) ++end;
      for (const Token& token : english::Tokenize(line.substr(pos, end - pos))) {
        if (token.kind == TokenKind::Space) continue;
        ChinesePiece piece;
        piece.text = std::string(token.text);
        piece.bSign = token.kind == TokenKind::Punct;
        pieces.push_back(std::move(piece));
      }
      pos = end;
      continue;
    }
    if (const auto sign = signAt(pos); sign != signs.end()) {
      if (!sign->ascii.empty()) {
        ChinesePiece piece;
        piece.text = std::string(sign->ascii);
        piece.bSign = true;
        pieces.push_back(std::move(piece));
      }
      pos += sign->gb.size();
      continue;
    }
    // A run of Chinese up to the next sign or ASCII, cut into words.
    std::size_t end = pos;
    while (end < line.size() && static_cast<unsigned char>(line[end]) >= 0x80 && signAt(end) == signs.end()) {
      end += text::CharLength(line, end);
    }
    for (const Segment& segment : Segments(line.substr(pos, end - pos))) {
      ChinesePiece piece;
      piece.text = Utf8(segment.text);
      if (segment.word) {
        if (segment.word->head != segment.text) {
          piece.source = std::move(piece.text);
          piece.text = Utf8(segment.word->head);
        }
        piece.pinyin = Utf8(segment.word->pinyin);
        piece.gloss = Utf8(segment.word->gloss);
        piece.flags = segment.word->flags;
        piece.bWord = true;
      }
      pieces.push_back(std::move(piece));
    }
    pos = end;
  }
  const ChineseTransfer transfer = TransferChineseToEnglish(std::move(pieces));
  ChineseLine result;
  result.strEnglish = ToGb(transfer.english);
  std::string gloss;
  for (const ChineseWord& word : transfer.words) {
    if (word.pinyin.empty()) continue;
    if (!gloss.empty()) gloss += "  ";
    gloss += word.zh + "(" + word.pinyin + ")";
    if (!word.english.empty()) gloss += " " + word.english;
  }
  result.strPinyin = ToGb(gloss);
  return result;
}

std::string CDictionaryEngine::EnglishGloss(std::string_view line, std::set<std::string>* pSeen) const {
  return ToGb(EnglishLearnerGloss(m_dict, Utf8(line), pSeen));
}

EngineResult CDictionaryEngine::Translate(Direction dir, const std::vector<std::string>& lines) {
  // The translation, a blank line, then the words for learners.
  EngineResult result;
  std::vector<std::string> gloss;
  std::set<std::string> glossed;  // an English word is explained once a text
  for (const std::string& line : lines) {
    if (line.find_first_not_of(" \t") == std::string::npos) {
      result.lines.emplace_back();
    } else if (dir == Direction::EnToZh) {
      result.lines.push_back(EnglishToChinese(line));
      if (std::string g = EnglishGloss(line, &glossed); !g.empty()) gloss.push_back(std::move(g));
    } else {
      ChineseLine zh = ChineseToEnglish(line);
      result.lines.push_back(std::move(zh.strEnglish));
      if (!zh.strPinyin.empty()) gloss.push_back(std::move(zh.strPinyin));
    }
  }
  if (!gloss.empty()) {
    result.lines.emplace_back();
    for (std::string& g : gloss) result.lines.push_back(std::move(g));
  }
  result.lines.emplace_back();
  result.lines.emplace_back(dir == Direction::EnToZh ? EnToZhNote() : std::string(kZhToEnNote));
  return result;
}

}  // namespace pageservice
