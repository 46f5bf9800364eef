#pragma once
// The only way bytes enter or leave a text pane. CR LF becomes a paragraph
// break and back, a lone LF a line break inside the paragraph (U+2028) and
// back; every other byte sequence that would not survive the trip unchanged
// (a lone CR, a NUL, bytes the code page cannot decode, and the rare
// characters that themselves mean something to the pane: U+2028, U+2029,
// U+FDD0, U+FDD1 and the escape range) is carried as escape characters, one
// per byte, so bytes the program put into a pane come back byte for byte.

#include <QString>

#include <string>
#include <string_view>

namespace text {

// Escape characters: U+10FF00 + byte value, in plane 16's private use area,
// which no real text uses.
constexpr char32_t kEscapeBase = 0x10FF00;

// Bytes -> what the pane widget holds (paragraphs separated by U+2029, the
// form QTextDocument::toRawText() gives back).
QString BytesToPaneText(std::string_view bytes);

// Pane text -> bytes. U+2029 and '\n' are paragraph breaks (-> CR LF),
// U+2028 -> LF, escape characters -> their byte, everything else encoded in
// GB18030.
std::string PaneTextToBytes(QStringView text);

// Byte length PaneTextToBytes would give, without building the string.
std::size_t PaneTextByteLength(QStringView text);

}  // namespace text
