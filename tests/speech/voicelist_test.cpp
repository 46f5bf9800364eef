// Filling a list with the installed voices: the interface language from the
// locale, descriptions with their fallback, what happens to each token's
// reference, the running result, and the engine's own voices.
#include "speech/voicelist.h"
#include "platform/speech/tokens.h"
#include "testvoices.h"
#include "text/codepage.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace speech;
using namespace speech_testing;

namespace {

class VoiceListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kLocaleVars) m_saved[name] = qgetenv(name);
    Locale("zh_CN.UTF-8");
    m_pCategory.Attach(new CTestCategory);
    SetTokenCategoryFactoryForTesting([this](ISpObjectTokenCategory** pp) {
      m_pCategory->AddRef();
      *pp = m_pCategory.get();
      return S_OK;
    });
  }
  void TearDown() override {
    SetTokenCategoryFactoryForTesting(nullptr);
    for (auto& [name, value] : m_saved) value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }
  // LANG as given, the others unset.
  static void Locale(const char* lang) {
    for (const char* name : kLocaleVars) qunsetenv(name);
    qputenv("LANG", lang);
  }

  // Fills a plain list, which refuses the texts in m_refused.
  HRESULT Fill(const char16_t* pszCat = u"Test", const char16_t* pszReq = nullptr,
               const char16_t* pszOpt = nullptr) {
    const auto add = [this](const std::string& s) {
      if (m_refused.count(s)) return CB_ERRSPACE;
      m_texts.push_back(s);
      return static_cast<int>(m_texts.size()) - 1;
    };
    return FillVoiceList(
        add, [this](int i, ISpObjectToken* p) { m_items[i].Attach(p); },
        [this](int i) { m_selections.push_back(i); }, pszCat, pszReq, pszOpt);
  }

  static constexpr const char* kLocaleVars[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  std::map<const char*, QByteArray> m_saved;
  CRef<CTestCategory> m_pCategory;
  std::vector<std::string> m_texts;
  std::map<int, CRef<ISpObjectToken>> m_items;
  std::vector<int> m_selections;
  std::set<std::string> m_refused;
};

TEST(VoiceLanguage, ValueNamesAreBareUpperCaseHex) {
  const struct {
    std::uint32_t nValue;
    const char16_t* expected;
  } cases[] = {{0x804, u"804"}, {0x409, u"409"},   {0, u"0"},
               {0xC04, u"C04"}, {0x1004, u"1004"}, {~0u, u"FFFFFFFF"}};
  char16_t name[10];
  for (const auto& c : cases) {
    FormatLangIdHex(name, c.nValue);
    EXPECT_EQ(std::u16string(name), c.expected);
  }
}

TEST_F(VoiceListTest, InterfaceLanguageFollowsTheLocaleEnvironmentInCatalogueOrder) {
  EXPECT_EQ(DetermineUiLanguage(), 0x804);
  Locale("en_US.UTF-8");
  EXPECT_EQ(DetermineUiLanguage(), 0x409);
  qputenv("LC_MESSAGES", "zh_TW.UTF-8");
  EXPECT_EQ(DetermineUiLanguage(), 0x404);
  qputenv("LC_ALL", "ja_JP.UTF-8");
  EXPECT_EQ(DetermineUiLanguage(), 0x411);
  // Preferences first, unknown ones skipped.
  qputenv("LANGUAGE", "xx_YY:de_AT:en");
  EXPECT_EQ(DetermineUiLanguage(), 0x0C07);
  // ...but never under the C locale.
  qputenv("LC_ALL", "C.UTF-8");
  EXPECT_EQ(DetermineUiLanguage(), GetUserDefaultLangID());
  EXPECT_NE(GetUserDefaultLangID(), 0);
  // An unknown territory is the language's main one.
  EXPECT_EQ(LangIdOfLocale("fr_XX.ISO-8859-1@euro"), 0x040C);
  EXPECT_EQ(LangIdOfLocale("pt_BR"), 0x0416);
  EXPECT_EQ(LangIdOfLocale("klingon"), 0);
}

TEST_F(VoiceListTest, EachVoiceShowsItsDescriptionInTheInterfaceLanguageElseItsName) {
  m_pCategory->m_tokens = {Token(u"Zulu", {{u"804", u"祖鲁语"}}), Token(u"Alpha", {{u"409", u"Alpha (US)"}}),
                           Token(u"Alpha"), Token(u"Broken \xD800")};
  EXPECT_EQ(Fill(u"Test", u"Gender=Female", u"Age=30"), S_OK);
  EXPECT_EQ(m_pCategory->m_strId, u"Test");
  EXPECT_FALSE(m_pCategory->m_bCreate);
  EXPECT_EQ(m_pCategory->m_strFilters, u"Gender=Female|Age=30");
  // Code-page texts; two voices of one name are two items; a lone surrogate
  // has no bytes.
  EXPECT_EQ(m_texts, (std::vector<std::string>{text::FromUnicode(u"祖鲁语"), "Alpha", "Alpha", "Broken ?"}));
  EXPECT_EQ(m_selections, std::vector<int>{0});
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(m_items[i].get(), m_pCategory->m_tokens[i].get());
    EXPECT_EQ(Refs(m_items[i].get()), 2u) << "ours and the item's";
  }

  m_texts.clear();
  m_items.clear();
  Locale("en_US.UTF-8");
  EXPECT_EQ(Fill(), S_OK);
  EXPECT_EQ(m_texts, (std::vector<std::string>{"Zulu", "Alpha (US)", "Alpha", "Broken ?"}));
}

TEST_F(VoiceListTest, LeftOutAndRefusedVoicesAreReleasedAndTheLastOneWalkedDecidesTheResult) {
  // Only a missing language value falls back to the name; any other failure
  // leaves the voice out.
  CRef<ISpObjectToken> noName = Token(u""), refused = Token(u"Refused");
  struct CDeniedToken : CUnknownImpl<ISpObjectToken> {
    HRESULT QueryInterface(const GUID&, void**) override { return E_NOINTERFACE; }
    HRESULT GetId(char16_t**) override { return E_NOTIMPL; }
    HRESULT GetStringValue(const char16_t* n, char16_t** pp) override {
      return n ? E_FAIL : (*pp = CoTaskMemStrDup(u"Denied"), S_OK);
    }
    HRESULT GetAttribute(const char16_t*, char16_t**) override { return E_NOTIMPL; }
  };
  CRef<ISpObjectToken> denied;
  denied.Attach(new CDeniedToken);
  CRef<ISpObjectToken> good = Token(u"Good");
  m_refused = {"Refused"};

  m_pCategory->m_tokens = {noName, denied, good, refused};
  EXPECT_EQ(Fill(), E_OUTOFMEMORY);
  m_pCategory->m_tokens = {refused, good, denied};
  EXPECT_EQ(Fill(), E_FAIL);
  m_pCategory->m_tokens = {denied, refused, noName, good};
  EXPECT_EQ(Fill(), S_OK);
  EXPECT_EQ(m_texts, (std::vector<std::string>{"Good", "Good", "Good"}));
  // The first voice added is selected once per fill, whatever came before.
  EXPECT_EQ(m_selections, (std::vector<int>{0, 1, 2}));
  m_pCategory->m_tokens.clear();
  for (IUnknown* p : {noName.get(), denied.get(), refused.get()}) EXPECT_EQ(Refs(p), 1u);
  EXPECT_EQ(Refs(good.get()), 4u);
}

TEST_F(VoiceListTest, ACategoryThatCannotBeOpenedOrWalkedLeavesTheListAlone) {
  m_pCategory->m_tokens = {Token(u"Voice")};
  EXPECT_EQ(Fill(), S_OK);
  ASSERT_EQ(m_texts.size(), 1u);
  for (auto [hrSetId, hrEnum] :
       std::vector<std::pair<HRESULT, HRESULT>>{{SPERR_NOT_FOUND, S_OK}, {S_OK, E_FAIL}, {S_OK, S_FALSE}}) {
    m_pCategory->m_hrSetId = hrSetId;
    m_pCategory->m_hrEnum = hrEnum;
    EXPECT_EQ(Fill(), SPERR_NO_MORE_ITEMS);
  }
  SetTokenCategoryFactoryForTesting([](ISpObjectTokenCategory**) { return REGDB_E_CLASSNOTREG; });
  EXPECT_EQ(Fill(), SPERR_NO_MORE_ITEMS);
  EXPECT_EQ(m_texts.size(), 1u);
  EXPECT_EQ(m_selections.size(), 1u);
  // Nothing kept: the category and the voice the S_FALSE walk held are ours
  // alone again.
  EXPECT_EQ(Refs(m_pCategory.get()), 1u);
  EXPECT_EQ(Refs(m_pCategory->m_tokens[0].get()), 2u);
}

TEST_F(VoiceListTest, InstalledVoicesAreNamedInChineseForAChineseUserAndInEnglishOtherwise) {
  ASSERT_GE(CoInitialize(nullptr), 0);
  SetTokenCategoryFactoryForTesting(nullptr);
  const auto hasChinese = [](const std::string& s) {
    const QString text = text::ToUnicode(s);
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c >= QChar(0x4E00) && c <= QChar(0x9FFF); });
  };
  for (const char* locale : {"zh_CN.UTF-8", "en_US.UTF-8"}) {
    Locale(locale);
    m_texts.clear();
    m_items.clear();
    ASSERT_EQ(Fill(SPCAT_VOICES), S_OK);
    ASSERT_GT(m_texts.size(), 20u);
    int nChecked = 0;
    for (auto& [i, token] : m_items) {
      char16_t* language = nullptr;
      if (FAILED(token->GetAttribute(u"Language", &language))) continue;
      const std::u16string lang(language);
      CoTaskMemFree(language);
      if (lang.find(u"409") == std::u16string::npos && lang.find(u"804") == std::u16string::npos) continue;
      // English and Chinese voices have both descriptions.
      for (const char16_t* name : {u"409", u"804"}) {
        char16_t* value = nullptr;
        EXPECT_EQ(token->GetStringValue(name, &value), S_OK);
        CoTaskMemFree(value);
      }
      EXPECT_EQ(hasChinese(m_texts[i]), locale[0] == 'z') << m_texts[i];
      ++nChecked;
    }
    EXPECT_GE(nChecked, 3) << "the default voice, English and Mandarin";
  }
  m_items.clear();
  CoUninitialize();
}

}  // namespace
