// Conversion and lookups on a small made-up dictionary in the package's
// format, so that each ranking rule and each file check can be seen at work.
#include "pageservice/dictionary.h"
#include "pageservice/dictbuild.h"
#include "pageservice/pinyin.h"
#include "text/codepage.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstring>

namespace pageservice {
namespace {

using namespace dictfile;

const char kData[] = R"json(export default {"all":[
["蘋果","苹果","Ping2 guo3","Apple (American tech company)",[],[]],
["蘋果","苹果","ping2 guo3","apple",[],[]],
["老師","老师","lao3 shi1","teacher",[],[]],
["師","师","shi1",["teacher","master","expert"],[],[]],
["學習","学习","xue2 xi2",["to learn","to study"],[],[]],
["學","学","xue2",["to learn","to study","science"],[],[]],
["早上好","早上好","zao3 shang5 hao3","Good morning!",[],[]],
["早","早","zao3",["early","morning","Good morning!"],[],[]],
["了","了","le5","(completed action marker)",[],[]],
["了","了","liao3",["to finish","to understand clearly"],[],[]],
["女","女","nu:3","female; woman",[],[]],
["西安","西安","Xi1 an1","Xi'an",[],[]],
["不","不","bu4","(negative prefix); not; no",[],[]],
["知道","知道","zhi1 dao5","to know",[],[]],
["不知","不知","bu4 zhi1","not to know",[],[]],
["道","道","dao4","road; path",[],[]],
["哥哥","哥哥","ge1 ge5","older brother",[],[]],
["那","那","na4",["that; those","then (in that case)"],[],[]],
["那","那","nuo2",["(archaic) many","beautiful"],[],[]],
["美","美","mei3","beautiful",[],[]],
["趙","赵","Zhao4","surname Zhao",[],[]],
["𠀀","𠀀","he1","(made up) a word of the supplementary planes",[],[]]
],"variantLookup":[],"classifierLookup":[]})json";

const char kCounts[] =
    "苹果 1334 n\n老师 6415 n\n师 12194 ng\n学习 13482 v\n学 17482 n\n知道 20000 v\n"
    "不知 500 v\n不 400000 d\n道 15000 n\n那 200000 r\n美 8000 a\n早 14429 a\n";

std::string Gb(const char16_t* s) { return text::FromUnicode(QStringView(s)); }

class SmallDictionary : public ::testing::Test {
 protected:
  void SetUp() override {
    const DictBuildResult built = BuildDictionary(QByteArray(kData), QByteArray(kCounts));
    ASSERT_FALSE(built.bytes.empty()) << built.strError.toStdString();
    m_bytes = built.bytes;
    std::string error;
    ASSERT_TRUE(m_dict.OpenBytes(m_bytes, error)) << error;
  }
  std::string First(std::string_view key) const {
    const auto r = m_dict.Renderings(key);
    return r.empty() ? std::string() : std::string(m_dict.Text(r.front().zh));
  }
  CDictionary::Word Lookup(const char16_t* head) const {
    CDictionary::Word word;
    const std::string text = Gb(head);
    EXPECT_EQ(m_dict.LongestMatch(text, 0, word), text.size());
    return word;
  }
  std::string m_bytes;
  CDictionary m_dict;
};

TEST_F(SmallDictionary, EnglishKeysRankTheCommonModernRenderingFirst) {
  // The compound over the more frequent bound character, the word whose
  // main sense it is over the character that also means it.
  EXPECT_EQ(First("teacher"), Gb(u"老师"));
  EXPECT_EQ(First("learn"), Gb(u"学习"));
  EXPECT_EQ(First("study"), Gb(u"学习"));
  EXPECT_EQ(First("apple"), Gb(u"苹果"));
  // A phrase's own word beats a character where it is a later sense.
  EXPECT_EQ(First("good morning"), Gb(u"早上好"));
  // The count of 那 belongs to its common reading, not to "beautiful".
  EXPECT_EQ(First("beautiful"), Gb(u"美"));
  // Found only inside a phrase, and marked so.
  ASSERT_EQ(First("brother"), Gb(u"哥哥"));
  EXPECT_TRUE(m_dict.Renderings("brother").front().flags & kHeadNoun);
  EXPECT_TRUE(m_dict.Renderings("learn").front().flags & kVerb);
  EXPECT_FALSE(m_dict.Renderings("apple").front().flags & kVerb);
  EXPECT_TRUE(m_dict.Renderings("surname zhao").empty());
  EXPECT_TRUE(m_dict.HasKeyWithPrefix("good "));
  EXPECT_FALSE(m_dict.HasKeyWithPrefix("apple "));
}

TEST_F(SmallDictionary, ChineseHeadwordsReadAsTheirModernReading) {
  const CDictionary::Word apple = Lookup(u"苹果");
  EXPECT_EQ(apple.gloss, "apple");  // not the company
  EXPECT_EQ(apple.pinyin, Gb(u"píngguǒ"));
  EXPECT_EQ(apple.CountBits(), 10u);
  const CDictionary::Word learn = Lookup(u"學習");  // traditional
  EXPECT_EQ(learn.head, Gb(u"学习"));
  EXPECT_EQ(learn.gloss, "learn");
  EXPECT_TRUE(learn.flags & kVerb);
  const CDictionary::Word le = Lookup(u"了");
  EXPECT_EQ(le.pinyin, "le");
  EXPECT_TRUE(le.flags & kNoGloss);
  EXPECT_EQ(Lookup(u"赵").gloss, "Zhao");
  EXPECT_EQ(Lookup(u"女").pinyin, Gb(u"nǚ"));
  EXPECT_EQ(Lookup(u"西安").pinyin, Gb(u"Xī'ān"));
  EXPECT_EQ(Lookup(u"𠀀").gloss, "a word of the supplementary planes");
}

TEST_F(SmallDictionary, MatchesEndOnCharacterBoundaries) {
  const std::string text = Gb(u"不知道");
  std::vector<CDictionary::Match> matches;
  m_dict.Matches(text, 0, matches);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0].length, 2u);
  EXPECT_EQ(matches[1].length, 4u);
  // Half of a four-byte character is no match, and nothing is read past
  // the end.
  const std::string four = Gb(u"𠀀");
  ASSERT_EQ(four.size(), 4u);
  CDictionary::Word word;
  EXPECT_EQ(m_dict.LongestMatch(std::string_view(four).substr(0, 2), 0, word), 0u);
  EXPECT_EQ(m_dict.LongestMatch(Gb(u"天") + four, 2, word), 4u);
  EXPECT_EQ(m_dict.LongestMatch("xyz", 0, word), 0u);
}

TEST_F(SmallDictionary, DamagedFilesAreRefusedBeforeAnyLookup) {
  auto refused = [](std::string bytes) {
    CDictionary dict;
    std::string error;
    const bool opened = dict.OpenBytes(std::move(bytes), error);
    return !opened && !error.empty() && !dict.IsOpen();
  };
  EXPECT_TRUE(refused(""));
  EXPECT_TRUE(refused(m_bytes.substr(0, m_bytes.size() - 4)));
  std::string magic = m_bytes;
  magic[0] = 'X';
  EXPECT_TRUE(refused(magic));
  Header header;
  std::memcpy(&header, m_bytes.data(), sizeof header);
  auto patched = [&](auto change) {
    Header h = header;
    change(h);
    std::string bytes = m_bytes;
    std::memcpy(bytes.data(), &h, sizeof h);
    return bytes;
  };
  EXPECT_TRUE(refused(patched([](Header& h) { h.version = kVersion + 1; })));
  EXPECT_TRUE(refused(patched([](Header& h) { h.enKeyCount += 1000; })));
  EXPECT_TRUE(refused(patched([](Header& h) { h.zhKeysOffset += 2; })));
  // A string reference past the pool.
  std::string bytes = m_bytes;
  Entry entry;
  std::memcpy(&entry, bytes.data() + header.entriesOffset, sizeof entry);
  entry.gloss.offset = header.stringsSize;
  entry.gloss.length = 1;
  std::memcpy(bytes.data() + header.entriesOffset, &entry, sizeof entry);
  EXPECT_TRUE(refused(bytes));

  CDictionary missing;
  std::string error;
  EXPECT_FALSE(missing.Open("/nonexistent/cedict.lxd", error));
  EXPECT_NE(error.find("/nonexistent/cedict.lxd"), std::string::npos);
}

TEST(DictionaryConversion, RefusesDataOfAnotherForm) {
  EXPECT_FALSE(BuildDictionary("export default []", {}).strError.isEmpty());
  EXPECT_FALSE(BuildDictionary(R"(export default {"all":[]})", {}).strError.isEmpty());
  EXPECT_TRUE(BuildDictionary("not json at all", {}).bytes.empty());
}

TEST(Pinyin, ToneMarksFollowTheSpellingRules) {
  auto marked = [](const char* numbered) {
    return ToneMarkedPinyin(QString::fromLatin1(numbered)).toStdU16String();
  };
  EXPECT_EQ(marked("xue2 xi2"), u"xuéxí");
  EXPECT_EQ(marked("lu:4 se4"), u"lǜsè");
  EXPECT_EQ(marked("liu2 shui3 gui4"), u"liúshuǐguì");  // the last vowel of iu, ui
  EXPECT_EQ(marked("Ou1 zhou1"), u"Ōuzhōu");            // o of ou
  EXPECT_EQ(marked("Tian1 an1 men2"), u"Tiān'ānmén");
  EXPECT_EQ(marked("ma1 ma5"), u"māma");
  EXPECT_EQ(marked("gou3 r5"), u"gǒur");
  EXPECT_EQ(marked("A B zhi4"), u"A B zhì");
}

}  // namespace
}  // namespace pageservice
