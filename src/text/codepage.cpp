#include "text/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstdint>
#include <string>

namespace text {
namespace {

std::uint8_t ByteAt(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

bool IsLead(std::uint8_t b) { return b >= 0x81 && b <= 0xFE; }
bool IsDigit(std::uint8_t b) { return b >= 0x30 && b <= 0x39; }

// A byte no multi-byte character contains, so the position after it is
// always a character boundary. Lets scans start near their target instead of
// at the beginning of the string.
bool IsStandalone(std::uint8_t b) {
  return b < 0x30 || (b > 0x39 && b < 0x40) || b == 0x7F || b == 0xFF;
}

// The first boundary at or after pos, given a boundary known <= pos.
std::size_t BoundaryFrom(std::string_view s, std::size_t known, std::size_t pos) {
  std::size_t q = pos;
  while (q > known && !IsStandalone(ByteAt(s, q - 1))) --q;
  while (q < pos) q += CharLength(s, q);
  return q;
}

// Find with a character boundary known to lie at or before from.
long long FindFrom(std::string_view hay, std::string_view needle, std::size_t from,
                   std::size_t known) {
  std::size_t cur = known;
  std::size_t p = from;
  while (p <= hay.size()) {
    const std::size_t m = hay.find(needle, p);
    if (m == std::string_view::npos) return -1;
    cur = BoundaryFrom(hay, cur, m);
    if (cur != m) {  // m lies inside a character
      p = cur;
      continue;
    }
    // The match must end on a boundary too, or replacing it would leave half
    // a character behind.
    const std::size_t end = BoundaryFrom(hay, m, m + needle.size());
    if (end == m + needle.size()) return static_cast<long long>(m);
    cur = m + CharLength(hay, m);
    p = cur;
  }
  return -1;
}

bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::size_t CharLength(std::string_view s, std::size_t pos) {
  const std::size_t left = s.size() - pos;
  if (left < 2 || !IsLead(ByteAt(s, pos))) return 1;
  const std::uint8_t b1 = ByteAt(s, pos + 1);
  if ((b1 >= 0x40 && b1 <= 0x7E) || (b1 >= 0x80 && b1 <= 0xFE)) return 2;
  if (left >= 4 && IsDigit(b1) && IsLead(ByteAt(s, pos + 2)) && IsDigit(ByteAt(s, pos + 3))) {
    return 4;
  }
  return 1;
}

bool IsCharBoundary(std::string_view s, std::size_t pos) {
  return pos <= s.size() && BoundaryFrom(s, 0, pos) == pos;
}

long long Find(std::string_view hay, std::string_view needle, std::size_t from) {
  if (from > hay.size()) return -1;
  if (needle.empty()) return static_cast<long long>(from);
  return FindFrom(hay, needle, from, 0);
}

std::string Left(std::string_view s, long long n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, static_cast<std::size_t>(n)));
}

std::string Right(std::string_view s, long long n) {
  if (n <= 0) return {};
  const std::size_t k = std::min(static_cast<std::size_t>(n), s.size());
  return std::string(s.substr(s.size() - k));
}

int ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  if (from.empty()) return 0;
  std::string out;
  int count = 0;
  std::size_t done = 0;  // always a boundary: 0 or the end of a match
  for (;;) {
    const long long m = FindFrom(s, from, done, done);
    if (m < 0) break;
    if (count == 0) out.reserve(s.size());
    out.append(s, done, static_cast<std::size_t>(m) - done);
    out.append(to);
    done = static_cast<std::size_t>(m) + from.size();
    ++count;
  }
  if (count == 0) return 0;
  out.append(s, done, std::string::npos);
  s = std::move(out);
  return count;
}

// White-space bytes are all below 0x30, a range no multi-byte character
// uses, so stripping bytes can never cut a character.
void TrimLeft(std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && IsAsciiSpace(s[i])) ++i;
  s.erase(0, i);
}

void TrimRight(std::string& s) {
  std::size_t n = s.size();
  while (n > 0 && IsAsciiSpace(s[n - 1])) --n;
  s.resize(n);
}

void Trim(std::string& s) {
  TrimLeft(s);
  TrimRight(s);
}

// ICU holds back an incomplete sequence at the end of the input and never
// reports it, so only whole characters go to the decoder; every byte that
// starts no character becomes U+FFFD here.
QString ToUnicode(std::string_view bytes) {
  QStringDecoder& decoder = detail::Decoder();
  QString out(decoder.requiredSpace(static_cast<qsizetype>(bytes.size())), Qt::Uninitialized);
  QChar* o = out.data();
  std::size_t run = 0;
  auto flush = [&](std::size_t end) {
    if (end > run) o = decoder.appendToBuffer(o, QByteArrayView(bytes.data() + run, end - run));
  };
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = CharLength(bytes, i);
    if (len == 1 && ByteAt(bytes, i) >= 0x80) {
      flush(i);
      *o++ = QChar::ReplacementCharacter;
      run = i + 1;
    }
    i += len;
  }
  flush(bytes.size());
  out.resize(o - out.constData());
  return out;
}

// A lone surrogate becomes '?': ICU would give 0x1A, or nothing at all at the
// end of the input.
std::string FromUnicode(QStringView text) {
  QStringEncoder& encoder = detail::Encoder();
  std::string out(static_cast<std::size_t>(encoder.requiredSpace(text.size())), '\0');
  char* o = out.data();
  qsizetype run = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (!c.isSurrogate()) continue;
    if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      ++i;
      continue;
    }
    if (i > run) o = encoder.appendToBuffer(o, text.sliced(run, i - run));
    *o++ = '?';
    run = i + 1;
  }
  if (n > run) o = encoder.appendToBuffer(o, text.sliced(run));
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

namespace detail {

QStringDecoder& Decoder() {
  thread_local QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
  return decoder;
}

QStringEncoder& Encoder() {
  thread_local QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
  return encoder;
}

}  // namespace detail

}  // namespace text
