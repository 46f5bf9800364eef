#include "text/panebridge.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace Qt::StringLiterals;
using namespace std::string_literals;

namespace text {
namespace {

QString Esc(std::string_view bytes) {
  QString s;
  for (const char b : bytes) {
    const char32_t c = kEscapeBase + static_cast<unsigned char>(b);
    s += QString::fromUcs4(&c, 1);
  }
  return s;
}

const std::string kKao = "\x81\x40";  // 丂
const std::string kReplacement = "\x84\x31\xA4\x37";

void ExpectRoundTrip(const std::string& bytes) {
  const QString pane = BytesToPaneText(bytes);
  EXPECT_EQ(PaneTextToBytes(pane), bytes) << testing::PrintToString(bytes);
  EXPECT_EQ(PaneTextByteLength(pane), bytes.size()) << testing::PrintToString(bytes);
  for (const QChar c : pane) {
    ASSERT_TRUE(c != '\r' && c != '\n' && c != QChar(0xFDD0) && c != QChar(0xFDD1)) << int(c.unicode());
  }
}

TEST(BytesToPane, MapsLineEndsAndEscapesWhatCannotStand) {
  const std::pair<std::string, QString> cases[] = {
      {"a\r\nb", u"a\u2029b"_s}, {"a\nb", u"a\u2028b"_s}, {"a\rb", "a" + Esc("\r") + "b"},
      {"\r\r\n", Esc("\r") + u"\u2029"_s}, {"\r" + kKao, Esc("\r") + u"丂"_s},
      {"a\0b"s, "a" + Esc("\0"s) + "b"}, {"\x80\xFF", Esc("\x80\xFF")}, {"x\x81", "x" + Esc("\x81")},
      {"\x81\x30\x81", Esc("\x81") + "0" + Esc("\x81")}, {kReplacement, u"\uFFFD"_s},
      {"\x90\x30\x81\x30", QString::fromUcs4(U"\U00010000", 1)},
      // unassigned, then U+2028, U+2029, U+FDD0, U+FDD1, U+10FF00, U+10FFFF
      {"\x84\x31\xA5\x30", Esc("\x84\x31\xA5\x30")}, {"\x81\x36\xA6\x35", Esc("\x81\x36\xA6\x35")},
      {"\x81\x36\xA6\x36", Esc("\x81\x36\xA6\x36")}, {"\x84\x30\xFA\x32", Esc("\x84\x30\xFA\x32")},
      {"\x84\x30\xFA\x33", Esc("\x84\x30\xFA\x33")}, {"\xE3\x32\x81\x30", Esc("\xE3\x32\x81\x30")},
      {"\xE3\x32\x9A\x35", Esc("\xE3\x32\x9A\x35")}};
  for (const auto& [bytes, pane] : cases) {
    EXPECT_EQ(BytesToPaneText(bytes), pane) << testing::PrintToString(bytes);
    ExpectRoundTrip(bytes);
  }
}

TEST(BytesToPane, LongRunsKeepEveryCharacterInPlace) {
  std::string bytes;
  QString pane;
  for (int i = 0; i < 3000; ++i) {  // 5-byte lines put CR LF at every offset of a run
    bytes += kKao + "a\r\n";
    pane += u"丂a\u2029"_s;
  }
  bytes += kReplacement + "\n" + "\x84\x31\xA5\x30" + "\r\n" + "\x81\x36\xA6\x35" + bytes;
  pane += u"\uFFFD\u2028"_s + Esc("\x84\x31\xA5\x30") + u"\u2029"_s + Esc("\x81\x36\xA6\x35") + pane;
  EXPECT_EQ(BytesToPaneText(bytes), pane);
  ExpectRoundTrip(bytes);
}

TEST(PaneToBytes, WritesBreaksEscapesAndLoneSurrogates) {
  const QChar lone[] = {QChar(0xD800), QChar('a'), QChar(0xDC00)};
  EXPECT_EQ(PaneTextToBytes(QStringView(lone, 3)), "?a?");
  EXPECT_EQ(PaneTextToBytes(u"a\nb\u2029c\u2028d\re"_s), "a\r\nb\r\nc\nd\re");
  EXPECT_EQ(PaneTextToBytes(u"丂€"_s + Esc("\x80") + QString::fromUcs4(U"\U00010000", 1)),
            kKao + "\xA2\xE3\x80\x90\x30\x81\x30");
}

TEST(RoundTrip, EveryTwoAndFourByteCode) {
  std::string two, four;
  for (int a = 0x81; a <= 0xFE; ++a) {
    for (int b = 0x40; b <= 0xFE; ++b) {
      if (b != 0x7F) two += {char(a), char(b)};
    }
    for (int b = 0x30; b <= 0x39; ++b) {
      for (int c = 0x81; c <= 0xFE; ++c) {
        for (int d = 0x30; d <= 0x39; ++d) four += {char(a), char(b), char(c), char(d)};
      }
    }
  }
  EXPECT_EQ(PaneTextToBytes(BytesToPaneText(two)), two);
  EXPECT_EQ(PaneTextToBytes(BytesToPaneText(four)), four);
}

TEST(RoundTrip, RandomBytes) {
  const std::string pieces[] = {"a", " ", "\r", "\n", "\0"s, "\x80", "\xFF", "\x81", "\xFE", "\x30", "\x40",
                                kKao, "\xA1\xA1", "\x90\x30\x81\x30", kReplacement, "\x81\x36\xA6\x35"};
  std::mt19937 rng(2024);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    for (std::uint32_t k = rng() % 60; k > 0; --k) {
      bytes += rng() % 8 ? pieces[rng() % std::size(pieces)] : std::string(1, char(rng()));
    }
    ExpectRoundTrip(bytes);
    if (HasFailure()) return;
  }
}

TEST(RoundTrip, OrdinaryPaneTextAndItsLength) {
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    QString ordinary, any;
    for (std::uint32_t k = rng() % 40; k > 0; --k) {
      const char32_t c = rng() % 3 ? 0x20 + rng() % 0xFFE0 : 0x10000 + rng() % (kEscapeBase - 0x10000);
      if ((c >= 0xD800 && c < 0xE000) || c == 0xFDD0 || c == 0xFDD1 || c == 0x2028 || c == 0x2029) continue;
      ordinary += QString::fromUcs4(&c, 1);
      any += QString::fromUcs4(&c, 1);
      const char16_t odd[] = {u'\n', 0x2028, 0x2029, 0xD800, 0xDC00};
      if (rng() % 4 == 0) any += QChar(odd[rng() % 5]);
      if (rng() % 8 == 0) any += Esc(std::string(1, char(rng())));
    }
    ASSERT_EQ(BytesToPaneText(PaneTextToBytes(ordinary)), ordinary);
    ASSERT_EQ(PaneTextByteLength(any), PaneTextToBytes(any).size());
  }
}

}  // namespace
}  // namespace text
