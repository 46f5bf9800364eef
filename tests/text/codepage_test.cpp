#include "text/codepage.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;

namespace text {
namespace {

const std::string kKao = "\x81\x40";  // 丂, whose trail byte is '@'
const std::string kFullWidthSpace = "\xA1\xA1";

// Bytes biased towards lead bytes, trail bytes and digits so that 2- and
// 4-byte characters, broken ones and ASCII all turn up.
std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  static const std::string pool = "\x81\x90\xFE\x40\x7F\x80\xFF\x30\x39" "ab@ "s;
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += pool[rng() % pool.size()];
  return s;
}

TEST(CharLength, RecognisesOneTwoAndFourByteForms) {
  const std::pair<std::string, std::size_t> cases[] = {
      {"a", 1}, {kKao, 2}, {"\xA2\xE3", 2}, {"\xFE\xFE", 2}, {"\x90\x30\x81\x30", 4},
      {"\xFE\x39\xFE\x39", 4}, {"\x81\x7F", 1}, {"\x81\xFF", 1}, {"\x80\x40", 1}, {"\xFF\x40", 1},
      {"\x81", 1}, {"\x81\x30", 1}, {"\x81\x30\x81", 1}, {"\x81\x30\x81\x7F", 1}, {"\x81\x30\x30\x30", 1}};
  for (const auto& [s, len] : cases) EXPECT_EQ(CharLength(s, 0), len) << testing::PrintToString(s);
  EXPECT_EQ(CharLength("a" + kKao, 1), 2u);
}

TEST(CharBoundary, DependsOnEverythingBefore) {
  const std::string s = "\x81\x81\x40";  // 81 81 is one character, then '@'
  EXPECT_FALSE(IsCharBoundary(s, 1));
  EXPECT_TRUE(IsCharBoundary(s, 2));
  EXPECT_TRUE(IsCharBoundary(s, 3));
  EXPECT_FALSE(IsCharBoundary(s, 4));

  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    const std::string r = RandomBytes(rng, rng() % 40);
    std::string expected(r.size() + 1, '0');
    for (std::size_t i = 0; i <= r.size(); i += i < r.size() ? CharLength(r, i) : 1) expected[i] = '1';
    for (std::size_t i = 0; i <= r.size(); ++i) ASSERT_EQ(IsCharBoundary(r, i), expected[i] == '1') << i;
  }
}

TEST(Find, MatchesOnlyWholeCharacters) {
  EXPECT_EQ(Find(kKao, "@"), -1);
  EXPECT_EQ(Find(kKao + "@", "@"), 2);
  EXPECT_EQ(Find("a" + kKao, "a\x81"), -1);  // would end inside 丂
  EXPECT_EQ(Find(kKao + kKao, "\x40\x81"), -1);
  EXPECT_EQ(Find("x" + kKao, kKao), 1);
  EXPECT_EQ(Find(kKao + "@", "@", 1), 2);  // from inside a character
}

TEST(Find, HonoursFromAndEmptyNeedle) {
  EXPECT_EQ(Find("abcabc", "abc", 1), 3);
  EXPECT_EQ(Find("abc", "", 2), 2);
  EXPECT_EQ(Find("abc", "", 3), 3);
  EXPECT_EQ(Find("abc", "", 4), -1);
}

TEST(Find, AgreesWithBruteForce) {
  std::mt19937 rng(11);
  for (int round = 0; round < 2000; ++round) {
    const std::string hay = RandomBytes(rng, 1 + rng() % 30);
    const std::size_t at = rng() % hay.size();
    const std::string needle = hay.substr(at, 1 + rng() % 3);
    const std::size_t from = rng() % (hay.size() + 1);
    long long expected = -1;
    for (std::size_t p = from; p + needle.size() <= hay.size() && expected < 0; ++p) {
      if (hay.compare(p, needle.size(), needle) == 0 && IsCharBoundary(hay, p) &&
          IsCharBoundary(hay, p + needle.size())) {
        expected = static_cast<long long>(p);
      }
    }
    ASSERT_EQ(Find(hay, needle, from), expected) << testing::PrintToString(hay) << " / "
                                                 << testing::PrintToString(needle) << " from " << from;
  }
}

TEST(LeftRight, ClampCounts) {
  for (const long long n : {-1LL, 0LL}) EXPECT_EQ(Left("abc", n) + Right("abc", n), "");
  EXPECT_EQ(Left("abcdef", 2) + "|" + Right("abcdef", 2), "ab|ef");
  for (const long long n : {6LL, 99LL}) EXPECT_EQ(Left("abcdef", n) + Right("abcdef", n), "abcdefabcdef");
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning) {
  const struct {
    std::string s, from, to, result;
    int count;
  } cases[] = {{"banana", "a", "aa", "baanaanaa", 3},   {"aaaaa", "aa", "b", "bba", 2},
               {kKao + "@", "@", "at", kKao + "at", 1}, {"a" + kKao, "a\x81", "X", "a" + kKao, 0},
               {"abc", "", "X", "abc", 0},              {"a-b-c", "-", "", "abc", 2}};
  for (const auto& c : cases) {
    std::string s = c.s;
    EXPECT_EQ(ReplaceAll(s, c.from, c.to), c.count) << c.s;
    EXPECT_EQ(s, c.result);
  }
  std::string self = "abc";
  EXPECT_EQ(ReplaceAll(self, self, "x"), 1);
  EXPECT_EQ(self, "x");
}

TEST(Trim, StripsTheSixAsciiSpacesOnly) {
  std::string s = " \t\n\v\f\rmid dle \t\n\v\f\r";
  Trim(s);
  EXPECT_EQ(s, "mid dle");
  for (const std::string& kept : {kFullWidthSpace + "x" + kFullWidthSpace, "\xA0" "x\x85"s}) {
    std::string t = kept;
    Trim(t);
    EXPECT_EQ(t, kept);
  }
  std::string left = "  a  ", right = left, blank = " \r\n";
  TrimLeft(left);
  TrimRight(right);
  Trim(blank);
  EXPECT_EQ(left, "a  ");
  EXPECT_EQ(right, "  a");
  EXPECT_EQ(blank, "");
}

TEST(Conversion, KnownCharactersBothWays) {
  const std::pair<QString, std::string> cases[] = {
      {"A", "A"}, {QStringLiteral("丂"), kKao}, {QStringLiteral("€"), "\xA2\xE3"},
      {QString::fromUcs4(U"\U00010000"), "\x90\x30\x81\x30"}, {QStringLiteral("\uFFFD"), "\x84\x31\xA4\x37"}};
  for (const auto& [u, bytes] : cases) {
    EXPECT_EQ(ToUnicode(bytes), u);
    EXPECT_EQ(FromUnicode(u), bytes);
  }
}

TEST(Conversion, BrokenInputIsMarkedNotDropped) {
  EXPECT_EQ(ToUnicode("a\x80" "b"), QStringLiteral("a\uFFFDb"));
  EXPECT_EQ(ToUnicode("a\x81"), QStringLiteral("a\uFFFD"));  // ICU alone loses this byte
  EXPECT_EQ(ToUnicode("\x81\x30\x81"), QStringLiteral("\uFFFD0\uFFFD"));
  const QChar lone[] = {QChar('a'), QChar(0xDC00), QChar('b'), QChar(0xD800)};
  EXPECT_EQ(FromUnicode(QStringView(lone, 4)), "a?b?");
}

}  // namespace
}  // namespace text
