// How a text is cut for the synthesiser: by sentence, by script for the
// default voice, and at a blank when a sentence will not end.
#include "platform/speech/textsplit.h"

#include <gtest/gtest.h>

using speech::CTextPieces;
using speech::SPiece;

namespace {

std::vector<SPiece> Cut(const std::u16string& text, bool byScript = true) {
  CTextPieces pieces(text, byScript);
  std::vector<SPiece> out;
  while (auto p = pieces.Next()) out.push_back(*p);
  return out;
}

std::string Show(const std::vector<SPiece>& pieces) {
  std::string s;
  for (const SPiece& p : pieces)
    s += (p.bChinese ? "Z[" : "E[") + p.strUtf8 + (p.bSentenceEnd ? "]. " : "] ");
  return s;
}

TEST(TextPieces, ScriptsSplitAndNeutralTextGoesWithWhatPrecedes) {
  EXPECT_EQ(Show(Cut(u"I like 苹果 very much, 3 个! OK")),
            "E[I like ] Z[苹果 ] E[very much, 3 ] Z[个! ]. E[OK]. ");
  // Leading digits and punctuation take the first letter's script.
  EXPECT_EQ(Show(Cut(u"2024年，“Hello”")), "Z[2024年，“] E[Hello”]. ");
  // Surrogate pairs (rare ideographs) are Chinese and stay whole.
  EXPECT_EQ(Show(Cut(u"a\U00020000b")), "E[a] Z[\U00020000] E[b]. ");
  // A chosen voice reads everything: only sentences split.
  EXPECT_EQ(Show(Cut(u"I like 苹果. 你好", false)), "E[I like 苹果. ]. Z[你好]. ");
  // Blanks alone are still a piece to say.
  EXPECT_EQ(Show(Cut(u"  \n")), "E[  \n]. ");
  EXPECT_TRUE(Cut(u"").empty());
}

TEST(TextPieces, SentencesEndAtStopsFollowedByBlanksWithTheirClosers) {
  EXPECT_EQ(Show(Cut(u"Pi is 3.14 or so. He said \"yes.\" Then\nnew line")),
            "E[Pi is 3.14 or so. ]. E[He said \"yes.\" ]. E[Then\n]. E[new line]. ");
  EXPECT_EQ(Show(Cut(u"你好。我很好！（真的？）是")), "Z[你好。]. Z[我很好！]. Z[（真的？）]. Z[是]. ");
}

TEST(TextPieces, LongStretchesWithoutStopsAreCutAtABlank) {
  std::u16string words;
  while (words.size() < 3 * CTextPieces::kMaxPiece) words += u"word ";
  const auto pieces = Cut(words);
  ASSERT_GE(pieces.size(), 3u);
  std::string joined;
  for (const SPiece& p : pieces) {
    EXPECT_LE(p.strUtf8.size(), CTextPieces::kMaxPiece);
    EXPECT_EQ(p.strUtf8.back(), ' ');
    joined += p.strUtf8;
  }
  EXPECT_EQ(joined.size(), words.size());
  // Without any blank the cut is hard, but nothing is lost.
  const auto solid = Cut(std::u16string(CTextPieces::kMaxPiece + 10, u'x'));
  ASSERT_EQ(solid.size(), 2u);
  EXPECT_EQ(solid[1].strUtf8.size(), 10u);
}

}  // namespace
