#include "panes/textfile.h"

#include "text/codepage.h"

#include <QStringDecoder>

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

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsStrictUtf8WithMultiByte(std::string_view s) {
  bool multi = false;
  std::size_t i = 0;
  const auto cont = [&](std::size_t k) {
    return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
  };
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    unsigned min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      min = 0x10000;
    } else {
      return false;
    }
    unsigned cp = c & (0xFF >> (len + 1));
    for (std::size_t k = 1; k < len; ++k) {
      if (!cont(k)) return false;
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    multi = true;
    i += len;
  }
  return multi;
}

}  // namespace

TextEncoding DetectEncoding(std::string_view raw) {
  if (raw.starts_with(kUtf8Bom)) return TextEncoding::utf8Bom;
  if (raw.starts_with("\xFF\xFE")) return TextEncoding::utf16le;
  if (raw.starts_with("\xFE\xFF")) return TextEncoding::utf16be;
  return IsStrictUtf8WithMultiByte(raw) ? TextEncoding::utf8 : TextEncoding::gb18030;
}

std::string DecodeToCodePage(std::string_view raw, TextEncoding encoding) {
  QStringDecoder::Encoding from = QStringDecoder::Utf8;
  switch (encoding) {
    case TextEncoding::gb18030: return std::string(raw);
    case TextEncoding::utf8: break;
    case TextEncoding::utf8Bom: raw.remove_prefix(kUtf8Bom.size()); break;
    case TextEncoding::utf16le:
      raw.remove_prefix(2);
      from = QStringDecoder::Utf16LE;
      break;
    case TextEncoding::utf16be:
      raw.remove_prefix(2);
      from = QStringDecoder::Utf16BE;
      break;
  }
  QStringDecoder decode(from, QStringDecoder::Flag::Stateless);
  const QString unicode = decode(QByteArrayView(raw.data(), static_cast<qsizetype>(raw.size())));
  return text::FromUnicode(unicode);
}

std::string EncodeFromCodePage(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::gb18030) return std::string(bytes);
  const QString unicode = text::ToUnicode(bytes);
  std::string out;
  switch (encoding) {
    case TextEncoding::gb18030: break;
    case TextEncoding::utf8Bom: out = kUtf8Bom; [[fallthrough]];
    case TextEncoding::utf8: {
      const QByteArray utf8 = unicode.toUtf8();
      out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
      break;
    }
    case TextEncoding::utf16le:
    case TextEncoding::utf16be: {
      const bool le = encoding == TextEncoding::utf16le;
      out = le ? "\xFF\xFE" : "\xFE\xFF";
      for (QChar ch : unicode) {
        const char16_t u = ch.unicode();
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += le ? lo : hi;
        out += le ? hi : lo;
      }
      break;
    }
  }
  return out;
}

QString EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::gb18030: return QStringLiteral("GB18030");
    case TextEncoding::utf8: return QStringLiteral("UTF-8");
    case TextEncoding::utf8Bom: return QStringLiteral("UTF-8 (带 BOM)");
    case TextEncoding::utf16le: return QStringLiteral("UTF-16 LE");
    case TextEncoding::utf16be: return QStringLiteral("UTF-16 BE");
  }
  return {};
}

TextFormat DetectTextFormat(std::string_view raw, std::string* decoded) {
  TextFormat format;
  format.encoding = DetectEncoding(raw);
  std::string bytes;
  if (format.encoding != TextEncoding::gb18030) {
    bytes = DecodeToCodePage(raw, format.encoding);
    // A lone surrogate or an odd last byte would not come back: such a file
    // is better kept byte for byte.
    if (EncodeFromCodePage(bytes, format.encoding) != raw) {
      format.encoding = TextEncoding::gb18030;
      bytes.clear();
    }
  }
  const std::string_view text = format.encoding == TextEncoding::gb18030 ? raw : std::string_view(bytes);
  format.lfLines = text.find('\n') != std::string_view::npos && text.find("\r\n") == std::string_view::npos;
  if (decoded) *decoded = format.encoding == TextEncoding::gb18030 ? std::string(raw) : std::move(bytes);
  return format;
}

std::string PaneToFile(std::string_view pane, const TextFormat& format) {
  std::string lines(pane);
  if (format.lfLines) text::ReplaceAll(lines, "\r\n", "\n");
  return EncodeFromCodePage(lines, format.encoding);
}

std::string FileToPane(std::string_view raw, const TextFormat& format) {
  std::string bytes = DecodeToCodePage(raw, format.encoding);
  if (format.lfLines) text::ReplaceAll(bytes, "\n", "\r\n");
  return bytes;
}

fw::FileResult ReadTextFile(const QString& path, std::string& out, std::size_t maxBytes, TextFormat* detected) {
  out.clear();
  std::string raw;
  // Line ends only grow on reading, so a file over the limit never fits.
  fw::FileResult r = fw::ReadWholeFile(path, raw, maxBytes);
  if (!r.ok()) return r;
  if (detected) {
    std::string decoded;
    *detected = DetectTextFormat(raw, &decoded);
    raw = std::move(decoded);
  }
  std::string converted = TextModeToPane(raw);
  if (converted.size() > maxBytes) return {fw::FileError::tooLarge};
  out = std::move(converted);
  return {};
}

}  // namespace panes
