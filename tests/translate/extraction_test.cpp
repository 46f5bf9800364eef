#include "support/pageserver.h"
#include "text/codepage.h"
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
              "Following is the translation:\r\nHello, it's \"me\"</span>");
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

TEST(ExtractTranslation, DecodesLineBreaksAndEntitiesInOnePass) {
  const std::string s = SentText("x");
  const auto shown = [&](const std::string& body) {
    return ExtractTranslation("<textarea>" + s + kA + kM + body + "</div>", s, TranslationDirection::EnToZh)
        .substr(kM.size());
  };
  // Only "<br>" is a line break; other tags stay.
  EXPECT_EQ(shown("<br>a<br>b<BR>c<br/><p>"), "\r\na\r\nb<BR>c<br/><p>");
  EXPECT_EQ(shown("&quot;&amp;&lt;&gt;&apos;&#39;&nbsp;&#160;|"), "\"&<>''  |");
  // Decoded text is not decoded again.
  EXPECT_EQ(shown("&amp;lt; &amp;amp; &amp;#65;"), "&lt; &amp; &#65;");
  // Numeric references, decimal and hex, ASCII or not, become the code
  // page's bytes; a no-break space is an ordinary one.
  EXPECT_EQ(shown("&#65;&#x42;&#X63;&#22909;&#x597D;&#xA0;&#128512;"),
            "ABc" + kHao + kHao + " " + text::FromUnicode(QString::fromUcs4(U"\U0001F600", 1)));
  // Malformed, out of range or unknown: left as they are.
  EXPECT_EQ(shown("&#;&#x;&#65&#0;&#xD800;&#x110000;&#99999999;&copy;&amp"),
            "&#;&#x;&#65&#0;&#xD800;&#x110000;&#99999999;&copy;&amp");
}

TEST(FindTranslation, TellsAPageWithoutResultFromAnEmptyResult) {
  const std::string s = SentText("Good");
  const std::string echo = "<textarea>" + s + kA;
  EXPECT_EQ(FindTranslation(echo + "</div>", s, TranslationDirection::EnToZh), std::string());
  EXPECT_EQ(FindTranslation(echo + kM + "<br>" + kHao, s, TranslationDirection::EnToZh), std::nullopt);
  EXPECT_EQ(FindTranslation("<html>Service unavailable</html>", s, TranslationDirection::ZhToEn), std::nullopt);
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
