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

// How a text file that came from elsewhere is written back: its encoding and
// its line ends (LF when it used only LF).
struct TextFormat {
  TextEncoding encoding = TextEncoding::gb18030;
  bool lfLines = false;
};

// The encoding of raw as DetectEncoding says, kept only when converting back
// gives the same bytes (otherwise GB18030, which passes every byte), and
// whether its lines end in LF alone.
// When decoded is given it receives raw in the code page.
TextFormat DetectTextFormat(std::string_view raw, std::string* decoded = nullptr);
// The pane's CR LF line ends as the format has them, then the encoding.
std::string PaneToFile(std::string_view pane, const TextFormat& format);
// A file's bytes as pane text, every LF of an LF file read as CR LF and
// nothing else changed, so PaneToFile gives the same bytes back.
std::string FileToPane(std::string_view raw, const TextFormat& format);

// Reads path and converts it as above (from the encoding it detects when
// detected is given, storing the format there). The limit applies to the converted
// text: longer gives tooLarge and out stays empty.
fw::FileResult ReadTextFile(const QString& path, std::string& out, std::size_t maxBytes,
                            TextFormat* detected = nullptr);

}  // namespace panes
