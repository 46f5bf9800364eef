#pragma once
// The extraction written step for step with the generic code-page helpers,
// copies and a byte-by-byte replacement loop: the oracle that the real one
// (views, memchr jumps) is checked against.
#include "text/codepage.h"
#include "translate/translation.h"

#include <QString>

#include <string>
#include <string_view>

namespace translate {

namespace reference {

inline int DigitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "&#NN;" / "&#xNN;" at s[i]: appends the character and returns the bytes
// taken, or 0 when it is not one (then it stays as it is).
inline std::size_t Numeric(std::string_view s, std::size_t i, std::string& out) {
  if (s.substr(i, 2) != "&#") return 0;
  std::size_t j = i + 2;
  int base = 10;
  if (j < s.size() && (s[j] == 'x' || s[j] == 'X')) base = 16, ++j;
  std::size_t k = j;
  unsigned long long code = 0;
  while (k < s.size() && DigitValue(s[k], base) >= 0) code = code * base + DigitValue(s[k++], base);
  const std::size_t digits = k - j;
  if (digits == 0 || digits > 8 || k >= s.size() || s[k] != ';') return 0;
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  if (code == 0xA0) {
    out += ' ';
  } else {
    const char32_t c = static_cast<char32_t>(code);
    out += text::FromUnicode(QString::fromUcs4(&c, 1));
  }
  return k + 1 - i;
}

inline std::string Replace(std::string_view s) {
  static constexpr std::string_view kFrom[] = {"<br>", "&#160;", "&quot;", "&#39;", "&amp;",
                                               "&lt;", "&gt;",   "&apos;", "&nbsp;"};
  static constexpr std::string_view kTo[] = {"\r\n", " ", "\"", "'", "&", "<", ">", "'", " "};
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    bool done = false;
    for (std::size_t f = 0; f < std::size(kFrom) && !done; ++f) {
      if (s.substr(i, kFrom[f].size()) == kFrom[f]) {
        out += kTo[f];
        i += kFrom[f].size();
        done = true;
      }
    }
    if (done) continue;
    if (const std::size_t n = Numeric(s, i, out)) {
      i += n;
      continue;
    }
    out += s[i++];
  }
  return out;
}

}  // namespace reference

// Empty when the page has no "</div>" after the echo.
inline std::string ReferenceExtraction(std::string_view page, std::string_view sent,
                                       TranslationDirection dir) {
  const auto len = [](std::string_view s) { return static_cast<long long>(s.size()); };
  const long long p = text::Find(page, kSearchMarker);
  const std::string p1 = text::Right(page, len(page) - p - static_cast<long long>(kAnchorLength) - len(sent));
  const long long q = text::Find(p1, "</div>");
  if (q < 0) return {};
  const std::string p2 = text::Left(p1, q);
  const std::string p3 = text::Right(p2, len(p2) - text::Find(p2, Traits(dir).heading));
  return reference::Replace(p3);
}

}  // namespace translate
