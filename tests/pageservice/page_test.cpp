// The page as the client reads it: the real extraction of the translation
// commands runs over every page built here.
#include "pageservice/page.h"
#include "text/codepage.h"
#include "translate/translation.h"

#include <QString>

#include <gtest/gtest.h>

namespace pageservice {
namespace {

using translate::TranslationDirection;

std::string Gb(const char16_t* s) { return text::FromUnicode(QStringView(s)); }

TranslationDirection ClientDirection(Direction dir) {
  return dir == Direction::EnToZh ? TranslationDirection::EnToZh : TranslationDirection::ZhToEn;
}

// Gives back its lines, or fails with them.
class CEchoEngine : public CTranslationEngine {
 public:
  explicit CEchoEngine(bool bFail = false) : m_bFail(bFail) {}
  EngineResult Translate(Direction, const std::vector<std::string>& lines) override {
    m_seen = lines;
    return {lines, m_bFail};
  }
  std::vector<std::string> m_seen;
  bool m_bFail;
};

TEST(Page, FormFieldsAsTheClientSendsThem) {
  const std::string sent = std::string(translate::kResultMarker) + "a&b text= &langpair=x";
  const std::string body = "hl=en&ie=GB2312&text=" + sent + "&langpair=en|zh-CN";
  const auto form = ParseForm(body);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->text, sent);  // up to the last "&langpair="
  EXPECT_EQ(form->langpair, "en|zh-CN");
  // "text=" counts only as a field of its own.
  const auto inner = ParseForm("hl=context=x&text=abc&langpair=zh|en&more=1");
  ASSERT_TRUE(inner);
  EXPECT_EQ(inner->text, "abc");
  EXPECT_EQ(inner->langpair, "zh|en");
  EXPECT_TRUE(ParseForm("text=&langpair=zh|en"));
  EXPECT_FALSE(ParseForm("hl=en&langpair=en|zh-CN"));
  EXPECT_FALSE(ParseForm("hl=en&text=abc"));
  EXPECT_FALSE(ParseForm("langpair=en|zh-CN&text=abc"));
  EXPECT_FALSE(ParseForm(""));
}

TEST(Page, LanguagePairs) {
  EXPECT_EQ(DirectionOf("en|zh-CN"), Direction::EnToZh);
  EXPECT_EQ(DirectionOf("EN|zh"), Direction::EnToZh);
  EXPECT_EQ(DirectionOf("zh|en"), Direction::ZhToEn);
  EXPECT_EQ(DirectionOf("zh-CN|en"), Direction::ZhToEn);
  EXPECT_FALSE(DirectionOf("en|fr"));
  EXPECT_FALSE(DirectionOf("en"));
  EXPECT_FALSE(DirectionOf(""));
}

TEST(Page, Gb18030Validity) {
  EXPECT_TRUE(IsValidGb18030(""));
  EXPECT_TRUE(IsValidGb18030("plain\r\n" + Gb(u"汉字，€ 𠀀")));
  EXPECT_TRUE(IsValidGb18030("\x81\x30\x81\x30"));  // first four-byte form
  EXPECT_TRUE(IsValidGb18030("\xE3\x32\x9A\x35"));  // last one
  EXPECT_FALSE(IsValidGb18030("\x80"));
  EXPECT_FALSE(IsValidGb18030("\xFF"));
  EXPECT_FALSE(IsValidGb18030("ab\xB0"));            // lead byte at the end
  EXPECT_FALSE(IsValidGb18030("\x81\x7F"));          // no trail byte
  EXPECT_FALSE(IsValidGb18030("\xFE\x39\xFE\x39"));  // four bytes beyond Unicode
  EXPECT_FALSE(IsValidGb18030("\x85\x30\x81\x30"));
}

TEST(Page, TheClientReadsBackExactlyWhatTheEngineSaid) {
  // The marker line is answered by the heading, not translated.
  EXPECT_EQ(SourceLines(std::string(kMarker) + "\r\nline one\nline two\rthree\r\n"),
            (std::vector<std::string>{"line one", "line two", "three", ""}));
  for (Direction dir : {Direction::EnToZh, Direction::ZhToEn}) {
    const std::string sent = translate::SentText("Tom's <b>text</b> & " + Gb(u"以下是翻译结果："));
    const std::vector<std::string> lines = {"it's \"fine\"", Gb(u"苹果 ") + "x > y", "", "a < b"};
    const std::string page = RenderPage(sent, dir, lines, "about <this>");
    const std::string shown = translate::ExtractTranslation(page, sent, ClientDirection(dir));
    std::string expected(Heading(dir));
    for (const std::string& line : lines) expected += "\r\n" + line;
    EXPECT_EQ(shown, expected);
  }
}

TEST(Page, SequencesTheClientWouldTakeForMarkupAreBroken) {
  // These cannot come back as they were: the client turns them into line
  // breaks, spaces or an early end. They come back with a full-width sign
  // instead, and nothing after them is lost.
  const std::string sent = translate::SentText("x");
  const std::string page = RenderPage(
      sent, Direction::ZhToEn, {"a<br>b</div>c&quot;d&#160;e&#39;f", std::string("zero\0byte", 9)}, "");
  const std::string shown = translate::ExtractTranslation(page, sent, TranslationDirection::ZhToEn);
  EXPECT_EQ(text::ToUnicode(shown).toStdString(),
            "Following is the translation:\r\na＜br>b＜/div>c＆quot;d＆#160;e＆#39;f\r\nzero byte");
}

TEST(Page, AnswersByStatusAndAlwaysInThePageForm) {
  CEchoEngine engine;
  const EngineAccess access{&engine, {}, "about"};
  const std::string sent = translate::SentText("hello");
  const std::string body = "hl=en&ie=GB2312&text=" + sent + "&langpair=en|zh-CN";
  auto shown = [&](const PageResponse& r, Direction dir) {
    return translate::ExtractTranslation(r.body, sent, ClientDirection(dir));
  };

  PageResponse ok = AnswerTranslate(std::nullopt, body, access);
  EXPECT_EQ(ok.nStatus, 200);
  EXPECT_EQ(engine.m_seen, std::vector<std::string>{"hello"});
  EXPECT_EQ(shown(ok, Direction::EnToZh), std::string(kMarker) + "\r\nhello");
  // The query's pair wins over the body's.
  EXPECT_EQ(shown(AnswerTranslate("zh|en", body, access), Direction::ZhToEn),
            "Following is the translation:\r\nhello");

  EXPECT_EQ(AnswerTranslate(std::nullopt, "hl=en&text=hello", access).nStatus, 400);
  EXPECT_EQ(AnswerTranslate("de|fr", body, access).nStatus, 400);

  // Bad bytes, a missing dictionary, a failing engine: the user reads why.
  const std::string bad = "hl=en&ie=GB2312&text=" + sent + "\xFF&langpair=en|zh-CN";
  const PageResponse badBytes = AnswerTranslate(std::nullopt, bad, access);
  EXPECT_EQ(badBytes.nStatus, 400);
  EXPECT_NE(text::ToUnicode(
                translate::ExtractTranslation(badBytes.body, sent + "\xFF", TranslationDirection::EnToZh))
                .indexOf(QStringLiteral("GB18030")),
            -1);
  const PageResponse missing = AnswerTranslate(std::nullopt, body, {nullptr, Gb(u"词典无法加载"), ""});
  EXPECT_EQ(missing.nStatus, 503);
  EXPECT_EQ(shown(missing, Direction::EnToZh), std::string(kMarker) + "\r\n" + Gb(u"词典无法加载"));
  CEchoEngine failing(true);
  EXPECT_EQ(AnswerTranslate(std::nullopt, body, {&failing, {}, ""}).nStatus, 502);
}

}  // namespace
}  // namespace pageservice
