#pragma once
// Byte strings in the program's code page, GB18030 (a superset of GBK: every
// GBK text has the same bytes). Lengths and offsets are byte counts; every
// scan steps over whole characters (1, 2 or 4 bytes) so that a match never
// starts inside a character.

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Length in bytes of the character starting at s[pos]: 2 for a lead byte
// 0x81-0xFE followed by a trail byte 0x40-0x7E/0x80-0xFE, 4 for the form
// lead 0x81-0xFE, 0x30-0x39, 0x81-0xFE, 0x30-0x39, otherwise 1 (ASCII and
// any byte that starts no well-formed sequence, including a truncated one at
// the end). Never runs past s.size(); pos must be < s.size().
std::size_t CharLength(std::string_view s, std::size_t pos);

// True when pos is the start of a character, scanning from the beginning;
// s.size() counts as one (the end of the last character).
bool IsCharBoundary(std::string_view s, std::size_t pos);

// Byte offset of the first occurrence of needle in hay at or after from,
// starting and ending on character boundaries (a needle ending in a lead byte
// never matches half of a character); -1 when there is none. An empty needle
// is found at from (when from <= size).
long long Find(std::string_view hay, std::string_view needle, std::size_t from = 0);

// The first / last n bytes; n below 0 gives "", n >= size gives s whole.
std::string Left(std::string_view s, long long n);
std::string Right(std::string_view s, long long n);

// Replaces every occurrence of from by to, left to right, without overlap,
// never rescanning inserted text, matching on character boundaries only.
// An empty from changes nothing. Returns the number of replacements.
int ReplaceAll(std::string& s, std::string_view from, std::string_view to);

// Removes leading then trailing ASCII white space: exactly space, tab, LF,
// VT, FF and CR. A multi-byte character is never white space.
void TrimLeft(std::string& s);
void TrimRight(std::string& s);
void Trim(std::string& s);

// Strict conversions for text that is known to be well formed (messages,
// texts of the program's own). Bytes that cannot be decoded become U+FFFD;
// characters GB18030 has no bytes for cannot occur (it covers all of
// Unicode), but a lone surrogate (broken UTF-16) becomes '?'. For text a user
// owns use the pane bridge instead.
QString ToUnicode(std::string_view bytes);
std::string FromUnicode(QStringView text);

namespace detail {
// The code page's converters, one of each per thread (they keep state).
QStringDecoder& Decoder();
QStringEncoder& Encoder();
}  // namespace detail

}  // namespace text
