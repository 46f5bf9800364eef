// The offline engine on the real converted CC-CEDICT data: what a learner
// gets for common words, phrases and short sentences.
#include "pageservice/dictengine.h"
#include "pageservice/dictionary.h"
#include "text/codepage.h"

#include <QString>

#include <gtest/gtest.h>

#include <regex>

namespace pageservice {
namespace {

std::string Gb(const char16_t* s) { return text::FromUnicode(QStringView(s)); }
std::string Utf8(std::string_view gb) { return text::ToUnicode(gb).toStdString(); }

class RealDictionary : public ::testing::Test {
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
  std::string ToChinese(const char* english) const {
    return Utf8(CDictionaryEngine(*s_pDict).EnglishToChinese(english));
  }
  CDictionaryEngine::ChineseLine ToEnglish(const char16_t* chinese) const {
    CDictionaryEngine::ChineseLine line = CDictionaryEngine(*s_pDict).ChineseToEnglish(Gb(chinese));
    line.strPinyin = Utf8(line.strPinyin);
    return line;
  }
  static CDictionary* s_pDict;
};
CDictionary* RealDictionary::s_pDict = nullptr;

// Matches the whole text against one of the renderings a learner would
// accept.
void ExpectOneOf(const std::string& got, const char* pattern) {
  EXPECT_TRUE(std::regex_match(got, std::regex(pattern))) << got << " is none of " << pattern;
}

TEST_F(RealDictionary, CommonEnglishWordsAndPhrases) {
  ExpectOneOf(ToChinese("apple"), "苹果");
  ExpectOneOf(ToChinese("good morning"), "早上好|早安");
  ExpectOneOf(ToChinese("Good morning!"), "(早上好|早安)！");
  ExpectOneOf(ToChinese("thank you"), "谢谢");
  ExpectOneOf(ToChinese("water"), "水");
  ExpectOneOf(ToChinese("friend"), "朋友");
  ExpectOneOf(ToChinese("student"), "学生");
  ExpectOneOf(ToChinese("computer"), "电脑|计算机");
  ExpectOneOf(ToChinese("English"), "英语|英文");
  ExpectOneOf(ToChinese("today"), "今天|今日");
  ExpectOneOf(ToChinese("teacher"), "老师|教师|先生");
  ExpectOneOf(ToChinese("hospital"), "医院");
  ExpectOneOf(ToChinese("ice cream"), "冰淇淋|冰激凌");
}

TEST_F(RealDictionary, CommonChineseWords) {
  auto english = [this](const char16_t* zh) { return ToEnglish(zh).strEnglish; };
  ExpectOneOf(english(u"你好"), "(H|h)ello|(H|h)i");
  ExpectOneOf(english(u"学习"), "(L|l)earn|(S|s)tudy");
  ExpectOneOf(english(u"苹果"), "(A|a)pple");
  ExpectOneOf(english(u"谢谢"), "(T|t)hank.*");
  ExpectOneOf(english(u"朋友"), "(F|f)riend");
  ExpectOneOf(english(u"中国"), "China");
}

TEST_F(RealDictionary, ShortSentencesBothWays) {
  // Phrase before words, punctuation made full-width.
  ExpectOneOf(ToChinese("Good morning, teacher."), "(早上好|早安)，(老师|教师|先生)。");
  // Articles dropped, "to" before a verb too, "like" after "I" read as the
  // verb, plurals and "are" found under their base forms.
  ExpectOneOf(ToChinese("I like to study English."), "我喜欢(学习|研究)(英语|英文)。");
  ExpectOneOf(ToChinese("The apples are red."), "苹果(是红(色)?的?|很红)。");
  // "doesn't" is "does not": no word for "does".
  const std::string neg = ToChinese("She doesn't eat apples.");
  EXPECT_EQ(neg.find("她"), 0u) << neg;
  EXPECT_NE(neg.find("吃苹果"), std::string::npos) << neg;
  ExpectOneOf(ToChinese("went"), "去|走");
  ExpectOneOf(ToChinese("cats"), "猫");
  // What the dictionary does not know stays as it was.
  ExpectOneOf(ToChinese("Lexiphon apple"), "Lexiphon ?苹果");

  const auto line = ToEnglish(u"我喜欢学习英语。");
  EXPECT_EQ(line.strEnglish, "I like to learn English.");
  // The gloss: each word with its pinyin and English.
  EXPECT_EQ(line.strPinyin, "我(wǒ) I  喜欢(xǐhuan) like  学习(xuéxí) learn  英语(Yīngyǔ) English");
  // Traditional characters, "的" after a pronoun, "是" after its subject.
  EXPECT_EQ(ToEnglish(u"這是我的書。").strEnglish, "This is my book.");
  EXPECT_EQ(ToEnglish(u"他是我的朋友！").strEnglish, "He is my friend!");
  // English inside Chinese stays as it is.
  ExpectOneOf(ToEnglish(u"我用Qt 6").strEnglish, "I (use|with) Qt 6");
}

TEST_F(RealDictionary, SegmentationPrefersCommonWordsOverTheGreedyCut) {
  const std::string text = Gb(u"我不知道");
  std::vector<std::string> words;
  for (const auto& segment : CDictionaryEngine(*s_pDict).Segments(text)) words.push_back(Utf8(segment.text));
  EXPECT_EQ(words, (std::vector<std::string>{"我", "不", "知道"}));
  // A character the dictionary lacks stands alone, between words.
  const std::string odd = Gb(u"学习") + "\x81\x30\x81\x30" + Gb(u"英语");
  const auto segments = CDictionaryEngine(*s_pDict).Segments(odd);
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_FALSE(segments[1].word.has_value());
  EXPECT_EQ(segments[1].text, "\x81\x30\x81\x30");
}

TEST_F(RealDictionary, TheResultIsTranslationThenGlossThenWhatItIs) {
  CDictionaryEngine engine(*s_pDict);
  const EngineResult zh = engine.Translate(Direction::EnToZh, {"apple", "", "water"});
  // The lines, a gap, one gloss line per line with words, a gap, the note.
  ASSERT_EQ(zh.lines.size(), 8u);
  EXPECT_FALSE(zh.bFailed);
  EXPECT_EQ(Utf8(zh.lines[0]), "苹果");
  EXPECT_EQ(zh.lines[1], "");
  EXPECT_EQ(Utf8(zh.lines[2]), "水");
  EXPECT_EQ(zh.lines[3], "");
  EXPECT_EQ(Utf8(zh.lines[4]).rfind("apple /ˈæpəl/ 苹果(píngguǒ)", 0), 0u) << Utf8(zh.lines[4]);
  EXPECT_EQ(Utf8(zh.lines[5]).rfind("water /", 0), 0u) << Utf8(zh.lines[5]);
  EXPECT_EQ(zh.lines[6], "");
  EXPECT_NE(Utf8(zh.lines.back()).find("CC-CEDICT"), std::string::npos);
  const EngineResult en = engine.Translate(Direction::ZhToEn, {Gb(u"你好")});
  ASSERT_EQ(en.lines.size(), 5u);  // English, gap, gloss, gap, note
  EXPECT_EQ(en.lines[1], "");
  EXPECT_EQ(Utf8(en.lines[2]).rfind("你好(nǐhǎo) ", 0), 0u) << Utf8(en.lines[2]);
  EXPECT_NE(en.lines.back().find("dictionary translation"), std::string::npos);
}

}  // namespace
}  // namespace pageservice
