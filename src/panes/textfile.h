#pragma once
// Plain-text files as the input pane reads them: line by line through a
// text-mode stream, every line (the last one too) ending in CR LF.
#include "framework/fileio.h"

#include <QString>

#include <string>
#include <string_view>

namespace panes {

// CR LF and a lone LF end a line, a lone CR stays in the line, 0x1A ends the
// file; each line is appended with "\r\n".
std::string TextModeToPane(std::string_view raw);

// The encodings a file may come in. The program's own is GB18030; files
// from elsewhere are often UTF-8, or UTF-16 with a byte-order mark.
enum class TextEncoding { gb18030, utf8, utf8Bom, utf16le, utf16be };

// A byte-order mark decides; otherwise strictly valid UTF-8 with at least
// one multi-byte sequence is UTF-8, and everything else (pure ASCII too) is
// GB18030, whose bytes then pass through unchanged.
TextEncoding DetectEncoding(std::string_view raw);
// File bytes -> code page bytes, and back. GB18030 is returned as it is.
std::string DecodeToCodePage(std::string_view raw, TextEncoding encoding);
std::string EncodeFromCodePage(std::string_view bytes, TextEncoding encoding);
// How the encoding is named to the user.
QString EncodingName(TextEncoding encoding);

// Reads path and converts it as above (from the encoding it detects when
// detected is given, storing it there). The limit applies to the converted
// text: longer gives tooLarge and out stays empty.
fw::FileResult ReadTextFile(const QString& path, std::string& out, std::size_t maxBytes,
                            TextEncoding* detected = nullptr);

}  // namespace panes
