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

// Reads path and converts it as above. The pane's limit applies to the
// converted text: longer gives tooLarge and out stays empty.
fw::FileResult ReadTextFile(const QString& path, std::string& out, std::size_t maxBytes);

}  // namespace panes
