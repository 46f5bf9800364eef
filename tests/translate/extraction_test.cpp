#include "support/pageserver.h"
#include "translate/translation.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace translate {
namespace {

const std::string kM(kSearchMarker);
const std::string kA(testing_support::PageServer::kAnchor);
const std::string kHao = "\xBA\xC3";  // 好

TEST(ExtractTranslation, WorkedExamples) {
  ASSERT_EQ(kA.size(), kAnchorLength);
  {
    SCOPED_TRACE("EnToZh, Good");
    const std::string s = SentText("Good");
    ASSERT_EQ(s.size(), 22u);
    const std::string page = "<p><textarea>" + s + kA + kM + "<br>" + kHao + "</div></p>";
    ASSERT_EQ(page.size(), 161u);
    EXPECT_EQ(ExtractTranslation(page, s, TranslationDirection::EnToZh), kM + "\r\n" + kHao);
  }
  {
    SCOPED_TRACE("ZhToEn, the heading in a span, entities");
    const std::string s = SentText("\xC4\xE3" + kHao);
    const std::string page =
        "<textarea>" + s + kA +
        "<span>Following is the translation:<br>Hello, it&#39;s &quot;me&quot;</span></div>";
    EXPECT_EQ(ExtractTranslation(page, s, TranslationDirection::ZhToEn),
              "Following is the translation:\r\nHello, it's  me </span>");
  }
  {
    SCOPED_TRACE("no marker: the translation starts at 93 + len(S); no heading: all of it");
    const std::string s = SentText("Good");
    std::string page = std::string(115, 'x') + "abc</div>";
    page += std::string(300 - page.size(), 'y');
    EXPECT_EQ(ExtractTranslation(page, s, TranslationDirection::EnToZh), "abc");
    EXPECT_EQ(ExtractTranslation(page, s, TranslationDirection::ZhToEn), "abc");
  }
}

TEST(ExtractTranslation, EmptyWithoutEndTagOrWhenThePageIsTooShort) {
  const std::string s = SentText("Good");
  const std::string echo = "<textarea>" + s + kA;
  EXPECT_EQ(ExtractTranslation(echo + kM + "<br>" + kHao, s, TranslationDirection::EnToZh), "");
  // The only "</div>" lies before the computed offset.
  EXPECT_EQ(ExtractTranslation("</div>" + echo + kM, s, TranslationDirection::EnToZh), "");
  EXPECT_EQ(ExtractTranslation("<textarea>" + s + "</div>", s, TranslationDirection::EnToZh), "");
  EXPECT_EQ(ExtractTranslation("", s, TranslationDirection::ZhToEn), "");
}

TEST(ExtractTranslation, ReplacesOnlyItsFourFormsEverywhere) {
  const std::string s = SentText("x");
  const std::string body = kM + "<br>a<br>b<BR>c<br/>&amp;&lt;&gt;&nbsp;&#160;&#160;&quot;&#39;&#39;<p>";
  const std::string page = "<textarea>" + s + kA + body + "</div>";
  EXPECT_EQ(ExtractTranslation(page, s, TranslationDirection::EnToZh),
            kM + "\r\na\r\nb<BR>c<br/>&amp;&lt;&gt;&nbsp;   ''<p>");
}

TEST(ExtractTranslation, HeadingMatchesOnlyAtCharacterBoundaries) {
  // 0xB0 'F' is one character, so the first "Following" is not the heading.
  const std::string s = SentText("\xC4\xE3" + kHao);
  const std::string page = "<textarea>" + s + kA +
                           "\xB0"
                           "Following is the translation: no. Following is the translation:<br>Hi</div>";
  EXPECT_EQ(ExtractTranslation(page, s, TranslationDirection::ZhToEn), "Following is the translation:\r\nHi");
}

TEST(PrepareText, TrimsChecksTheLimitThenSubstitutesPerDirection) {
  std::string text = " \t\r\n\v\f ";
  EXPECT_EQ(PrepareText(text, TranslationDirection::EnToZh), TextCheck::Empty);

  text = "a<b>&c";
  ASSERT_EQ(PrepareText(text, TranslationDirection::EnToZh), TextCheck::Ok);
  EXPECT_EQ(text, "a(b)andc");
  text = "a<b>&c";
  ASSERT_EQ(PrepareText(text, TranslationDirection::ZhToEn), TextCheck::Ok);
  EXPECT_EQ(text, "a<b>andc");

  // Bytes count, white space at the ends does not; the limit comes before
  // "&" grows the text.
  text = "\r\n " + std::string(8000, '&') + "\t";
  ASSERT_EQ(PrepareText(text, TranslationDirection::EnToZh), TextCheck::Ok);
  EXPECT_EQ(text.size(), 24000u);
  text = std::string(8001, 'a');
  EXPECT_EQ(PrepareText(text, TranslationDirection::EnToZh), TextCheck::TooLong);
  std::string chinese;
  for (int i = 0; i < 4000; ++i) chinese += kHao;
  text = chinese;
  EXPECT_EQ(PrepareText(text, TranslationDirection::ZhToEn), TextCheck::Ok);
  text = chinese + kHao;
  EXPECT_EQ(PrepareText(text, TranslationDirection::ZhToEn), TextCheck::TooLong);
}

TEST(FormBody, IsPrefixSentTextSuffixWithNothingEncoded) {
  const std::string body = FormBody(SentText("Good morning"), TranslationDirection::EnToZh);
  EXPECT_EQ(body, "hl=en&ie=GB2312&text=" + kM + "\r\nGood morning&langpair=en|zh-CN");
  EXPECT_EQ(body.size(), 69u);
  EXPECT_EQ(FormBody("S", TranslationDirection::ZhToEn), "hl=zh-CN&ie=GB2312&text=S&langpair=zh|en");
}

}  // namespace
}  // namespace translate
