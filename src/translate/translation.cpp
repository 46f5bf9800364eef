#include "translate/translation.h"

#include "res/resource.h"
#include "text/codepage.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace translate {

namespace {

constexpr DirectionTraits kEnToZh = {
    .nCommand = res::ID_TRANSLATE_EN_TO_ZH,
    .pszTooLong = "待翻译的英语长度不能超过8000字节",
    .bBracketsToParens = true,
    .formPrefix = "hl=en&ie=GB2312&text=",
    .formSuffix = "&langpair=en|zh-CN",
    .path = "/translate_t?langpair=en|zh-CN",
    .heading = kSearchMarker,
};

constexpr DirectionTraits kZhToEn = {
    .nCommand = res::ID_TRANSLATE_ZH_TO_EN,
    .pszTooLong = "待翻译的汉字长度不能超过8000字节",
    .bBracketsToParens = false,
    .formPrefix = "hl=zh-CN&ie=GB2312&text=",
    .formSuffix = "&langpair=zh|en",
    .path = "/translate_t?langpair=zh|en",
    .heading = "Following is the translation:",
};

}  // namespace

const DirectionTraits& Traits(TranslationDirection dir) {
  return dir == TranslationDirection::EnToZh ? kEnToZh : kZhToEn;
}

TextCheck PrepareText(std::string& text, TranslationDirection dir) {
  text::Trim(text);
  if (text.empty()) return TextCheck::Empty;
  if (text.size() > kMaxTextBytes) return TextCheck::TooLong;
  // "&" would split the form field; the limit was applied before, so the
  // text sent may be longer.
  text::ReplaceAll(text, "&", "and");
  if (Traits(dir).bBracketsToParens) {
    text::ReplaceAll(text, "<", "(");
    text::ReplaceAll(text, ">", ")");
  }
  return TextCheck::Ok;
}

std::string SentText(std::string_view text) {
  std::string s(kResultMarker);
  s += text;
  return s;
}

std::string FormBody(std::string_view sent, TranslationDirection dir) {
  const DirectionTraits& t = Traits(dir);
  std::string body;
  body.reserve(t.formPrefix.size() + sent.size() + t.formSuffix.size());
  body += t.formPrefix;
  body += sent;
  body += t.formSuffix;
  return body;
}

namespace {

// right(x, n) and left(x, n) of the extraction without copying: n below 0
// gives "", n of the size or more gives x whole.
std::string_view RightOf(std::string_view s, long long n) {
  if (n <= 0) return {};
  return s.substr(s.size() - std::min(static_cast<std::size_t>(n), s.size()));
}

std::string_view LeftOf(std::string_view s, long long n) {
  if (n <= 0) return {};
  return s.substr(0, std::min(static_cast<std::size_t>(n), s.size()));
}

struct Form {
  std::string_view from;
  std::string_view to;
};
// The page's own line breaks and spaces first, then the character entities
// a translation can hold. "&#160;" is an ordinary space, as before.
constexpr Form kForms[] = {
    {"<br>", "\r\n"}, {"&#160;", " "}, {"&quot;", "\""}, {"&#39;", "'"},  {"&amp;", "&"},
    {"&lt;", "<"},    {"&gt;", ">"},   {"&apos;", "'"},   {"&nbsp;", " "},
};

// "&#NN;" or "&#xNN;" at the start of s: the character it stands for in the
// code page, and how many bytes it took. Nothing for a malformed one, a code
// point out of range or a surrogate, which then stays as it is.
std::optional<std::pair<std::string, std::size_t>> NumericReference(std::string_view s) {
  if (!s.starts_with("&#")) return std::nullopt;
  std::size_t i = 2;
  int base = 10;
  if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  }
  const std::size_t first = i;
  char32_t code = 0;
  // Seven digits reach past the last code point without overflowing.
  for (; i < s.size() && i - first < 8; ++i) {
    const char c = s[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    code = code * static_cast<char32_t>(base) + static_cast<char32_t>(digit);
  }
  if (i == first || i >= s.size() || s[i] != ';') return std::nullopt;
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  if (code == 0xA0) return std::pair{std::string(" "), i + 1};
  const QString ch = QString::fromUcs4(&code, 1);
  return std::pair{text::FromUnicode(ch), i + 1};
}

// All replacements in one pass. Each form is ASCII and begins with '<' or
// '&', bytes that only ever start a character (they are neither trail bytes
// nor the digits of a four-byte form), so a plain byte match is a match on
// character boundaries. No two forms can overlap, and nothing inserted is
// scanned again, so "&amp;lt;" gives "&lt;".
std::string ReplaceForms(std::string_view s) {
  if (s.empty()) return {};  // its data may be null, which memchr may not get
  std::string out;
  out.reserve(s.size());
  const char* const end = s.data() + s.size();
  const auto next = [end](const char* from, char c) {
    const void* hit = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return hit ? static_cast<const char*>(hit) : end;
  };
  const char* copied = s.data();
  const char* p = copied;
  const char* lt = next(p, '<');
  const char* amp = next(p, '&');
  for (;;) {
    if (lt < p) lt = next(p, '<');
    if (amp < p) amp = next(p, '&');
    const char* at = std::min(lt, amp);
    if (at == end) break;
    const std::string_view rest(at, static_cast<std::size_t>(end - at));
    const Form* form = std::find_if(std::begin(kForms), std::end(kForms),
                                    [rest](const Form& f) { return rest.starts_with(f.from); });
    if (form != std::end(kForms)) {
      out.append(copied, at);
      out.append(form->to);
      p = copied = at + form->from.size();
    } else if (const auto ref = NumericReference(rest)) {
      out.append(copied, at);
      out.append(ref->first);
      p = copied = at + ref->second;
    } else {
      p = at + 1;
    }
  }
  out.append(copied, end);
  return out;
}

}  // namespace

std::optional<std::string> FindTranslation(std::string_view page, std::string_view sent,
                                           TranslationDirection dir) {
  const auto len = [](std::string_view s) { return static_cast<long long>(s.size()); };
  // Skip the echo of S and the anchor. Without the marker p is -1, and the
  // offsets still apply as they are.
  const long long p = text::Find(page, kSearchMarker);
  const std::string_view p1 =
      RightOf(page, len(page) - p - static_cast<long long>(kAnchorLength) - len(sent));
  // The translation ends at the first "</div>"; without one there is none.
  const long long q = text::Find(p1, "</div>");
  if (q < 0) return std::nullopt;
  const std::string_view p2 = LeftOf(p1, q);
  // Start at the heading: the page's translation of the marker.
  const std::string_view p3 = RightOf(p2, len(p2) - text::Find(p2, Traits(dir).heading));
  return ReplaceForms(p3);
}

std::string ExtractTranslation(std::string_view page, std::string_view sent, TranslationDirection dir) {
  return FindTranslation(page, sent, dir).value_or(std::string());
}

QString FailureText(int nError) {
  return QStringLiteral("无法连接到服务器,错误码:%1,请检查防火墙设置").arg(nError);
}

QString HttpStatusText(int nStatus) { return QStringLiteral("翻译服务出错（HTTP %1）").arg(nStatus); }

QString NoTranslationText() { return QStringLiteral("翻译页面中没有找到译文"); }

}  // namespace translate
