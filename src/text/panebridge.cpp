#include "text/panebridge.h"

#include "text/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>

// Bytes are decoded in runs of whole characters, one ICU call per run; only a
// run whose output shows a character that cannot be carried as itself is
// looked at character by character. Pane text is encoded in runs between
// line breaks, escapes and lone surrogates.

namespace text {
namespace {

constexpr char16_t kParagraph = 0x2029;
constexpr char16_t kLine = 0x2028;
constexpr char16_t kEscapeHigh = 0xDBFF;  // high surrogate of the whole escape range
constexpr char16_t kEscapeLowMin = 0xDF00;
// U+FFFD is a character of its own in GB18030; it is also what ICU gives for
// the bytes it cannot decode, so only these bytes may stay U+FFFD.
constexpr std::string_view kReplacementBytes("\x84\x31\xA4\x37", 4);

// Bounds the work of a run that needs the careful path and the headroom ICU
// asks for per call.
constexpr std::size_t kMaxRun = 4096;

std::uint8_t ByteAt(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

bool IsReserved(char32_t c) {
  return c == kLine || c == kParagraph || c == 0xFDD0 || c == 0xFDD1 || c >= kEscapeBase;
}

// Suspicious UTF-16 unit in a decoded run: a reserved character, or U+FFFD.
bool NeedsCare(const QChar* p, const QChar* end) {
  const char16_t c = p->unicode();
  if (c == 0xFFFD || c == kLine || c == kParagraph || c == 0xFDD0 || c == 0xFDD1) return true;
  return c == kEscapeHigh && p + 1 < end && p[1].unicode() >= kEscapeLowMin;
}

// ASCII other than CR and NUL, which a run can hold as it is.
bool IsPlainByte(std::uint8_t b) { return b < 0x80 && b != '\r' && b != 0; }

// Pane units that encode as part of a run: all but line breaks and surrogates.
bool IsPlainPaneUnit(char16_t c) {
  return c != '\n' && c != kLine && c != kParagraph && !QChar::isSurrogate(c);
}

// Cheap first test on decoded units: most are neither line ends nor suspicious.
bool IsPlainDecodedUnit(char16_t c) {
  return (c > '\r' && c < kLine) || (c > kParagraph && c < kEscapeHigh);
}

class PaneWriter {
 public:
  explicit PaneWriter(std::size_t expected)
      : buf_(static_cast<qsizetype>(expected) + 16, Qt::Uninitialized) {}

  // Room for n more units; commit with Advance.
  QChar* Reserve(qsizetype n) {
    if (len_ + n > buf_.size()) buf_.resize(std::max(len_ + n, buf_.size() + buf_.size() / 2));
    return buf_.data() + len_;
  }
  void Advance(const QChar* end) { len_ = end - buf_.constData(); }
  void Truncate(qsizetype len) { len_ = len; }
  qsizetype Size() const { return len_; }

  void Put(char16_t c) {
    *Reserve(1) = QChar(c);
    ++len_;
  }
  void PutCodePoint(char32_t c) {
    QChar* o = Reserve(2);
    if (QChar::requiresSurrogates(c)) {
      o[0] = QChar(QChar::highSurrogate(c));
      o[1] = QChar(QChar::lowSurrogate(c));
      len_ += 2;
    } else {
      o[0] = QChar(static_cast<char16_t>(c));
      ++len_;
    }
  }
  void Escape(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) PutCodePoint(kEscapeBase + ByteAt(bytes, i));
  }

  QString Take() {
    buf_.resize(len_);
    return std::move(buf_);
  }

 private:
  QString buf_;
  qsizetype len_ = 0;
};

// One character other than a line end, given its bytes and what it decoded
// to (all its units).
void PutChecked(std::string_view bytes, QStringView decoded, PaneWriter& w) {
  char32_t c = 0xFFFD;
  bool single = false;
  if (decoded.size() == 1 && !decoded[0].isSurrogate()) {
    c = decoded[0].unicode();
    single = true;
  } else if (decoded.size() == 2 && decoded[0].isHighSurrogate() && decoded[1].isLowSurrogate()) {
    c = QChar::surrogateToUcs4(decoded[0], decoded[1]);
    single = true;
  }
  if (single && !IsReserved(c) && (c != 0xFFFD || bytes == kReplacementBytes)) {
    w.PutCodePoint(c);
  } else {
    w.Escape(bytes);
  }
}

// Character by character through ICU, re-encoding each one: the fallback
// when ICU's output does not line up with the characters of the run.
void DecodeEachChar(std::string_view run, PaneWriter& w) {
  QStringDecoder& decoder = detail::Decoder();
  QStringEncoder& encoder = detail::Encoder();
  std::array<QChar, 16> units;
  std::array<char, 32> back;
  for (std::size_t i = 0; i < run.size();) {
    if (run[i] == '\r') {  // runs hold CR only as part of CR LF
      w.Put(kParagraph);
      i += 2;
      continue;
    }
    if (run[i] == '\n') {
      w.Put(kLine);
      ++i;
      continue;
    }
    const std::size_t len = CharLength(run, i);
    const std::string_view bytes = run.substr(i, len);
    const QChar* end = decoder.appendToBuffer(units.data(), QByteArrayView(bytes.data(), len));
    const QStringView decoded(units.data(), end);
    const char* back_end = encoder.appendToBuffer(back.data(), decoded);
    if (std::string_view(back.data(), static_cast<std::size_t>(back_end - back.data())) == bytes) {
      PutChecked(bytes, decoded, w);
    } else {
      w.Escape(bytes);
    }
    i += len;
  }
}

// The careful path: decode again and pair each character's bytes with its
// code point, which holds as long as ICU gave one code point per character.
void DecodeCarefully(std::string_view run, PaneWriter& w) {
  QStringDecoder& decoder = detail::Decoder();
  QString scratch(decoder.requiredSpace(static_cast<qsizetype>(run.size())), Qt::Uninitialized);
  const QChar* begin = scratch.constData();
  const QChar* end = decoder.appendToBuffer(scratch.data(), QByteArrayView(run.data(), run.size()));
  const QStringView decoded(begin, end);
  qsizetype points = 0;
  for (qsizetype k = 0; k < decoded.size(); ++k) {
    if (!(decoded[k].isLowSurrogate() && k > 0 && decoded[k - 1].isHighSurrogate())) ++points;
  }
  qsizetype chars = 0;
  for (std::size_t i = 0; i < run.size(); i += CharLength(run, i)) ++chars;
  if (points != chars) return DecodeEachChar(run, w);

  qsizetype k = 0;
  for (std::size_t i = 0; i < run.size();) {
    const std::size_t len = CharLength(run, i);
    qsizetype units = 1;
    if (decoded[k].isHighSurrogate() && k + 1 < decoded.size() && decoded[k + 1].isLowSurrogate()) {
      units = 2;
    }
    if (run[i] == '\r') {  // CR LF: two characters, one paragraph break
      w.Put(kParagraph);
      i += 2;
      k += 2;
      continue;
    }
    if (run[i] == '\n') {
      w.Put(kLine);
      ++i;
      ++k;
      continue;
    }
    PutChecked(run.substr(i, len), decoded.sliced(k, units), w);
    i += len;
    k += units;
  }
}

// A run of whole characters holding no NUL and no CR except in CR LF.
void DecodeRun(std::string_view run, bool ascii, PaneWriter& w) {
  if (ascii) {
    QChar* o = w.Reserve(static_cast<qsizetype>(run.size()));
    for (std::size_t i = 0; i < run.size(); ++i) {
      const char c = run[i];
      if (c == '\r') {
        *o++ = QChar(kParagraph);
        ++i;
      } else if (c == '\n') {
        *o++ = QChar(kLine);
      } else {
        *o++ = QChar(static_cast<char16_t>(c));
      }
    }
    w.Advance(o);
    return;
  }

  QStringDecoder& decoder = detail::Decoder();
  const qsizetype start = w.Size();
  QChar* begin = w.Reserve(decoder.requiredSpace(static_cast<qsizetype>(run.size())));
  const QChar* end = decoder.appendToBuffer(begin, QByteArrayView(run.data(), run.size()));
  // Line ends shrink in place, so the output never overtakes the input.
  QChar* o = begin;
  for (const QChar* p = begin; p < end; ++p) {
    const char16_t c = p->unicode();
    if (IsPlainDecodedUnit(c)) {
      *o++ = *p;
    } else if (c == '\r') {
      *o++ = QChar(kParagraph);
      ++p;
    } else if (c == '\n') {
      *o++ = QChar(kLine);
    } else if (NeedsCare(p, end)) {
      w.Truncate(start);
      return DecodeCarefully(run, w);
    } else {
      *o++ = *p;
    }
  }
  w.Advance(o);
}

// Which BMP characters GB18030 gives two bytes (the rest beyond ASCII take
// four), learnt once from the encoder itself; if its output cannot be read
// that way, lengths are measured by encoding.
class TwoByteTable {
 public:
  TwoByteTable() {
    QString all;
    all.reserve(0x10000);
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
      if (!QChar::isSurrogate(c)) all.append(QChar(static_cast<char16_t>(c)));
    }
    const std::string bytes = FromUnicode(all);
    qsizetype k = 0;
    ok_ = true;
    for (std::size_t i = 0; i < bytes.size() && ok_; ++k) {
      const std::size_t len = CharLength(bytes, i);
      ok_ = len != 1 && k < all.size();
      if (ok_ && len == 2) bits_.set(all[k].unicode());
      i += len;
    }
    ok_ = ok_ && k == all.size();
  }

  bool ok() const { return ok_; }
  bool TwoBytes(char16_t c) const { return bits_.test(c); }

 private:
  std::bitset<0x10000> bits_;
  bool ok_ = false;
};

const TwoByteTable& Table() {
  static const TwoByteTable table;
  return table;
}

class ByteWriter {
 public:
  explicit ByteWriter(std::size_t expected) : buf_(expected + 16, '\0') {}

  char* Reserve(std::size_t n) {
    if (len_ + n > buf_.size()) buf_.resize(std::max(len_ + n, buf_.size() + buf_.size() / 2));
    return buf_.data() + len_;
  }
  void Advance(const char* end) { len_ = static_cast<std::size_t>(end - buf_.data()); }
  void Put(char c) {
    *Reserve(1) = c;
    ++len_;
  }

  std::string Take() {
    buf_.resize(len_);
    return std::move(buf_);
  }

 private:
  std::string buf_;
  std::size_t len_ = 0;
};

// Units of a run free of line breaks, escapes and lone surrogates.
void EncodeRun(QStringView run, bool ascii, ByteWriter& w) {
  if (ascii) {
    char* o = w.Reserve(static_cast<std::size_t>(run.size()));
    for (const QChar c : run) *o++ = static_cast<char>(c.unicode());
    w.Advance(o);
    return;
  }
  QStringEncoder& encoder = detail::Encoder();
  char* o = w.Reserve(static_cast<std::size_t>(encoder.requiredSpace(run.size())));
  w.Advance(encoder.appendToBuffer(o, run));
}

}  // namespace

QString BytesToPaneText(std::string_view bytes) {
  const std::size_t n = bytes.size();
  PaneWriter w(n + std::min(n, 2 * kMaxRun));
  std::size_t run = 0;
  bool ascii = true;
  auto flush = [&](std::size_t end) {
    if (end > run) DecodeRun(bytes.substr(run, end - run), ascii, w);
    run = end;
    ascii = true;
  };

  for (std::size_t i = 0; i < n;) {
    if (i - run >= kMaxRun) flush(i);
    const std::size_t limit = std::min(n, run + kMaxRun);
    while (i < limit && IsPlainByte(ByteAt(bytes, i))) ++i;
    if (i == limit) continue;
    const std::uint8_t b = ByteAt(bytes, i);
    if (b >= 0x80) {
      const std::size_t len = CharLength(bytes, i);
      if (len > 1) {
        ascii = false;
        i += len;
        continue;
      }
    } else if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
      i += 2;
      continue;
    }
    // A lone CR, a NUL or a byte that starts no character.
    flush(i);
    w.Escape(bytes.substr(i, 1));
    run = ++i;
  }
  flush(n);
  return w.Take();
}

std::string PaneTextToBytes(QStringView text) {
  const qsizetype n = text.size();
  const std::size_t units = static_cast<std::size_t>(n);
  ByteWriter w(2 * units + 8 * std::min(units, kMaxRun));
  qsizetype run = 0;
  bool ascii = true;
  auto flush = [&](qsizetype end) {
    if (end > run) EncodeRun(text.sliced(run, end - run), ascii, w);
    run = end;
    ascii = true;
  };

  for (qsizetype i = 0; i < n;) {
    if (i - run >= static_cast<qsizetype>(kMaxRun)) flush(i);
    const qsizetype limit = std::min(n, run + static_cast<qsizetype>(kMaxRun));
    char16_t seen = 0;
    for (; i < limit && IsPlainPaneUnit(text[i].unicode()); ++i) seen |= text[i].unicode();
    if (seen >= 0x80) ascii = false;
    if (i == limit) continue;
    const char16_t c = text[i].unicode();
    qsizetype len = 1;
    if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
      len = 2;
      if (c != kEscapeHigh || text[i + 1].unicode() < kEscapeLowMin) {
        ascii = false;
        i += 2;
        continue;
      }
    }
    // A character that has bytes of its own ends the run.
    flush(i);
    if (len == 2) {
      w.Put(static_cast<char>(text[i + 1].unicode() - kEscapeLowMin));
    } else if (c == kLine) {
      w.Put('\n');
    } else if (c == '\n' || c == kParagraph) {
      w.Put('\r');
      w.Put('\n');
    } else {
      w.Put('?');  // lone surrogate
    }
    i += len;
    run = i;
  }
  flush(n);
  return w.Take();
}

std::size_t PaneTextByteLength(QStringView text) {
  const TwoByteTable& table = Table();
  if (!table.ok()) return PaneTextToBytes(text).size();
  std::size_t total = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = text[i].unicode();
    if (c < 0x80) {
      total += c == '\n' ? 2 : 1;
    } else if (c == kParagraph) {
      total += 2;
    } else if (c == kLine) {
      total += 1;
    } else if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
      total += c == kEscapeHigh && text[i + 1].unicode() >= kEscapeLowMin ? 1 : 4;
      ++i;
    } else if (QChar::isSurrogate(c)) {
      total += 1;
    } else {
      total += table.TwoBytes(c) ? 2 : 4;
    }
  }
  return total;
}

}  // namespace text
