// The transfer rules on the real dictionary, with sentences outside the
// development set: each group is one construction a learner meets early.
#include "pageservice/chrf.h"
#include "pageservice/dictengine.h"
#include "pageservice/dictionary.h"
#include "pageservice/page.h"
#include "pageservice/transfer.h"
#include "text/codepage.h"
#include "translate/translation.h"

#include <QString>

#include <gtest/gtest.h>

namespace pageservice {
namespace {

std::string Gb(const char* utf8) { return text::FromUnicode(QString::fromUtf8(utf8)); }
std::string Utf8(std::string_view gb) { return text::ToUnicode(gb).toStdString(); }

class Transfer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_pDict = new CDictionary;
    std::string error;
    ASSERT_TRUE(s_pDict->Open(DefaultDictionaryPath(), error)) << error;
  }
  static void TearDownTestSuite() {
    delete s_pDict;
    s_pDict = nullptr;
  }
  static std::string Zh(const char* english) { return Utf8(CDictionaryEngine(*s_pDict).EnglishToChinese(english)); }
  static std::string En(const char* chinese) {
    return Utf8(CDictionaryEngine(*s_pDict).ChineseToEnglish(Gb(chinese)).strEnglish);
  }
  static CDictionary* s_pDict;
};
CDictionary* Transfer::s_pDict = nullptr;

struct Case {
  const char* source;
  const char* expected;
};

TEST_F(Transfer, EnglishWordOrderAndGrammarWordsBecomeChinese) {
  const Case cases[] = {
      // Time before the verb, 很 for "be" + adjective, no article.
      {"The weather is nice today.", "今天天气很好。"},
      {"My room is small.", "我的房间很小。"},
      {"We play football every day.", "我们每天踢足球。"},
      // Progressive, past with its object counted, negation.
      {"He is eating an apple.", "他在吃一个苹果。"},
      {"I bought a pen.", "我买了一支笔。"},
      {"They don't like tea.", "他们不喜欢茶。"},
      {"She didn't go to school.", "她没去学校。"},
      {"I can't swim.", "我不会游泳。"},
      // Questions: 吗, or the question word where the answer goes.
      {"Is he a teacher?", "他是老师吗？"},
      {"Where is my pen?", "我的笔在哪里？"},
      {"What is his name?", "他叫什么名字？"},
      {"What does she want?", "她想要什么？"},
      // Measure words, kin without 的, comparison, set phrases.
      {"I have three cats.", "我有三只猫。"},
      {"This car is new.", "这辆汽车很新。"},
      {"My sister is taller than my mother.", "我姐姐比我妈妈高。"},
      {"Thank you very much!", "非常感谢！"},
      {"There is a cat under the chair.", "椅子下面有一只猫。"},
  };
  for (const Case& c : cases) EXPECT_EQ(Zh(c.source), c.expected) << c.source;
}

TEST_F(Transfer, ChineseGrammarBecomesEnglish) {
  const Case cases[] = {
      // "be" for an adjective, comparison, time at the end.
      {"他比我高。", "He is taller than me."},
      {"今天天气很好。", "The weather is very good today."},
      {"他们都很高兴。", "They are all very happy."},
      // Agreement and tense from 了, 在 and the time words.
      {"他每天去学校。", "He goes to school every day."},
      {"她在看电视。", "She is watching TV."},
      {"我昨天买了一本书。", "I bought a book yesterday."},
      {"她有三个孩子。", "She has three children."},
      {"他不是老师。", "He is not a teacher."},
      // Questions with inversion, question words first.
      {"你喜欢狗吗？", "Do you like dogs?"},
      {"我的猫在哪里？", "Where is my cat?"},
      {"你想吃什么？", "What do you want to eat?"},
      {"这个多少钱？", "How much is this?"},
      // A measure word as an English partitive, or gone.
      {"一杯水", "A glass of water"},
      {"请给我两本书。", "Please give me two books."},
  };
  for (const Case& c : cases) EXPECT_EQ(En(c.source), c.expected) << c.source;
}

TEST_F(Transfer, TextTheRulesCannotReadStaysWhole) {
  // Latin text, digits and unknown words survive; odd lines do not trip.
  EXPECT_EQ(En("我用Qt 6"), "I use Qt 6");
  EXPECT_NE(Zh("I like Lexiphon.").find("Lexiphon"), std::string::npos);
  for (const char* odd : {"?", "!!!", ",,,", "'s", "a the an", "not not", "very very very", "is", "at 7 at"}) {
    EXPECT_NO_THROW(Zh(odd)) << odd;
  }
  for (const char* odd : {"？", "了了了", "吗", "的的", "很", "在在在", "一一", "比"}) EXPECT_NO_THROW(En(odd)) << odd;
  EXPECT_EQ(Zh("?"), "？");
  // Numbers too long to count stay as written.
  EXPECT_NE(Zh("I have 99999999999999999999 cats.").find("99999999999999999999"), std::string::npos);
  EXPECT_NE(En("我有99999999999999999999只猫。").find("99999999999999999999"), std::string::npos);
  EXPECT_EQ(SmallNumber("1,000"), 1);
  EXPECT_EQ(SmallNumber("12"), 12);
  EXPECT_EQ(En("？"), "?");
  // Every sentence of a long line is translated, none lost.
  std::string longLine;
  for (int i = 0; i < 200; ++i) longLine += "She is very happy. ";
  const std::string zh = Zh(longLine.c_str());
  std::size_t count = 0;
  for (std::size_t at = zh.find("她很高兴。"); at != std::string::npos; at = zh.find("她很高兴。", at + 1)) ++count;
  EXPECT_EQ(count, 200u);
}

TEST_F(Transfer, EnglishGlossGivesSoundsAndChinese) {
  CDictionaryEngine engine(*s_pDict);
  const std::string gloss = Utf8(engine.EnglishGloss("The teacher is nice, the teacher likes Lexiphon."));
  // The CMU lexicon's words, letter-to-sound rules for the rest; stress on
  // words of more than one syllable.
  EXPECT_NE(gloss.find("teacher /ˈtitʃɚ/ 老师(lǎoshī)"), std::string::npos) << gloss;
  EXPECT_NE(gloss.find("nice /naɪs/ 好(hǎo)"), std::string::npos) << gloss;
  EXPECT_NE(gloss.find("lexiphon /ˈlɛksɪfən/"), std::string::npos) << gloss;
  // Each content word once; grammar words not at all.
  EXPECT_EQ(gloss.find("teacher", gloss.find("teacher") + 1), std::string::npos) << gloss;
  EXPECT_EQ(gloss.find("the /"), std::string::npos) << gloss;
  EXPECT_EQ(gloss.find("is /"), std::string::npos) << gloss;
  EXPECT_EQ(engine.EnglishGloss("the is a"), "");
}

TEST_F(Transfer, ThePageGivesTheClientTranslationThenGloss) {
  CDictionaryEngine engine(*s_pDict);
  const EngineAccess access{&engine, {}, "about"};
  auto shown = [&](translate::TranslationDirection dir, const char* utf8) {
    const std::string sent = translate::SentText(Gb(utf8));
    const PageResponse page = AnswerTranslate(std::nullopt, translate::FormBody(sent, dir), access);
    EXPECT_EQ(page.nStatus, 200);
    return Utf8(translate::ExtractTranslation(page.body, sent, dir));
  };
  const std::string zh = shown(translate::TranslationDirection::EnToZh, "The weather is nice today.");
  EXPECT_EQ(zh.rfind("以下是翻译结果：\r\n今天天气很好。\r\n\r\nweather /ˈwɛðɚ/ 天气(tiānqì)", 0), 0u) << zh;
  EXPECT_NE(zh.find("\r\n\r\n（根据 CC-CEDICT 词典和语法规则自动翻译，仅供参考）"), std::string::npos) << zh;
  const std::string en = shown(translate::TranslationDirection::ZhToEn, "他比我高。");
  EXPECT_EQ(en.rfind("Following is the translation:\r\nHe is taller than me.\r\n\r\n他(tā) he  比(bǐ) than", 0), 0u)
      << en;
}

TEST(ChrF, ScoresCharacterNGramsWithRecallWeighedMore) {
  CChrF same;
  same.Add(QStringLiteral("今天天气很好。"), QStringLiteral("今天天气很好。"));
  EXPECT_DOUBLE_EQ(same.Score(), 100);
  CChrF none;
  none.Add(QStringLiteral("abc"), QStringLiteral("xyz"));
  EXPECT_DOUBLE_EQ(none.Score(), 0);
  EXPECT_DOUBLE_EQ(CChrF().Score(), 0);
  // Spaces do not count.
  CChrF spaced;
  spaced.Add(QStringLiteral("He is tall."), QStringLiteral("Heis tall ."));
  EXPECT_DOUBLE_EQ(spaced.Score(), 100);
  // Half the reference missing costs more than as much text too many.
  CChrF shortOne;
  shortOne.Add(QStringLiteral("abcdef"), QStringLiteral("abcdefghijkl"));
  CChrF longOne;
  longOne.Add(QStringLiteral("abcdefghijklmnopqr"), QStringLiteral("abcdefghijkl"));
  EXPECT_LT(shortOne.Score(), longOne.Score());
  // A closer translation scores higher; the corpus sums before scoring.
  CChrF closer;
  closer.Add(QStringLiteral("今天天气很好。"), QStringLiteral("今天天气很好。"));
  closer.Add(QStringLiteral("天气是宜人今天。"), QStringLiteral("今天天气很好。"));
  EXPECT_EQ(closer.Count(), 2u);
  EXPECT_GT(closer.Score(), none.Score());
  EXPECT_LT(closer.Score(), 100);
}

}  // namespace
}  // namespace pageservice
