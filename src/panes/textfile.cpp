#include "panes/textfile.h"

namespace panes {

std::string TextModeToPane(std::string_view raw) {
  const std::size_t eof = raw.find('\x1A');
  if (eof != std::string_view::npos) raw = raw.substr(0, eof);
  std::string out;
  out.reserve(raw.size() + raw.size() / 16 + 2);
  std::size_t start = 0;
  while (start < raw.size()) {
    std::size_t lf = raw.find('\n', start);
    const bool last = lf == std::string_view::npos;
    std::size_t end = last ? raw.size() : lf;
    // CR LF reads as one line end; a CR elsewhere is part of the line.
    if (!last && end > start && raw[end - 1] == '\r') --end;
    out.append(raw.substr(start, end - start));
    out.append("\r\n");
    start = last ? raw.size() : lf + 1;
  }
  return out;
}

fw::FileResult ReadTextFile(const QString& path, std::string& out, std::size_t maxBytes) {
  out.clear();
  std::string raw;
  // Line ends only grow on reading, so a file over the limit never fits.
  fw::FileResult r = fw::ReadWholeFile(path, raw, maxBytes);
  if (!r.ok()) return r;
  std::string converted = TextModeToPane(raw);
  if (converted.size() > maxBytes) return {fw::FileError::tooLarge};
  out = std::move(converted);
  return {};
}

}  // namespace panes
