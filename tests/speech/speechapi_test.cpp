// The engine interface as its callers rely on it: the counted runtime, the
// creation results, the voice category and its tokens.
#include "platform/speech/speechapi.h"
#include "platform/speech/espeakbackend.h"
#include "platform/speech/tokens.h"

#include <QString>

#include <gtest/gtest.h>

#include <thread>

using namespace speech;

namespace {

std::u16string Take(char16_t* p) {
  std::u16string s = p ? std::u16string(p) : std::u16string();
  CoTaskMemFree(p);
  return s;
}

TEST(SpeechRuntime, IsCountedPerThreadAndNeededToCreateObjects) {
  const int before = CoInitializeCount();
  std::thread([] {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, &p), CO_E_NOTINITIALIZED);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeCount(), 2);
    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many changes nothing
    EXPECT_EQ(CoInitializeCount(), 0);
  }).join();
  // Another thread's starts are not this one's.
  EXPECT_EQ(CoInitializeCount(), before);
}

class SpeechObjects : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GE(CoInitialize(nullptr), 0); }
  void TearDown() override { CoUninitialize(); }

  CRef<ISpObjectTokenCategory> Voices() {
    CRef<ISpObjectTokenCategory> cat;
    EXPECT_EQ(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                               reinterpret_cast<void**>(&cat)),
              S_OK);
    EXPECT_EQ(cat->SetId(SPCAT_VOICES, false), S_OK);
    return cat;
  }
  std::vector<CRef<ISpObjectToken>> All(IEnumSpObjectTokens* e) {
    std::vector<CRef<ISpObjectToken>> out;
    CRef<ISpObjectToken> t;
    while (e->Next(1, &t, nullptr) == S_OK) out.push_back(std::move(t));
    return out;
  }
};

TEST_F(SpeechObjects, CreationAnswersTheResultsCallersTest) {
  CRef<ISpVoice> voice;
  EXPECT_EQ(
      CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice)),
      S_OK);
  ASSERT_TRUE(voice);
  // A new voice: full volume, normal rate.
  std::uint16_t volume = 0;
  std::int32_t rate = 1;
  EXPECT_EQ(voice->GetVolume(&volume), S_OK);
  EXPECT_EQ(voice->GetRate(&rate), S_OK);
  EXPECT_EQ(volume, 100);
  EXPECT_EQ(rate, 0);

  void* p = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory, &p),
            E_NOINTERFACE);
  EXPECT_EQ(CoCreateInstance(IID_ISpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, &p), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_SpVoice, voice.get(), CLSCTX_ALL, IID_ISpVoice, &p),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(voice->QueryInterface(IID_IUnknown, &p), S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(p), static_cast<IUnknown*>(voice.get()));
  // The reference QueryInterface added, and ours: two dropped, none left over.
  EXPECT_EQ(static_cast<IUnknown*>(p)->Release(), 1u);
}

TEST_F(SpeechObjects, VoiceCategoryListsTheDefaultThenEveryInstalledVoice) {
  CRef<ISpObjectTokenCategory> cat = Voices();
  CRef<IEnumSpObjectTokens> e;
  ASSERT_EQ(cat->EnumTokens(nullptr, nullptr, &e), S_OK);
  std::uint32_t count = 0;
  ASSERT_EQ(e->GetCount(&count), S_OK);
  const auto tokens = All(e.get());
  ASSERT_EQ(tokens.size(), count);
  EXPECT_EQ(count, EspeakBackend().Voices().size() + FliteBackend().Voices().size() + 1);
  ASSERT_GT(count, 20u);
  EXPECT_EQ(VoiceIdentifierOf(tokens[0].get()), std::string());
  // The walk is over: S_FALSE and nothing handed out, until Reset.
  CRef<ISpObjectToken> none;
  EXPECT_EQ(e->Next(1, &none, nullptr), S_FALSE);
  EXPECT_FALSE(none);
  ASSERT_EQ(e->Reset(), S_OK);
  ISpObjectToken* two[2] = {};
  std::uint32_t fetched = 0;
  EXPECT_EQ(e->Next(2, two, nullptr), E_POINTER);
  EXPECT_EQ(e->Next(2, two, &fetched), S_OK);
  EXPECT_EQ(fetched, 2u);
  for (ISpObjectToken* t : two) t->Release();

  bool mandarin = false, english = false;
  for (const auto& t : tokens) {
    char16_t* id = nullptr;
    ASSERT_EQ(t->GetId(&id), S_OK);
    const std::u16string full = Take(id);
    if (full == std::u16string(SPCAT_VOICES) + u"\\Tokens\\sit/cmn") mandarin = true;
    if (full == std::u16string(SPCAT_VOICES) + u"\\Tokens\\gmw/en-US") english = true;
  }
  EXPECT_TRUE(mandarin);
  EXPECT_TRUE(english);
}

TEST_F(SpeechObjects, DescriptionsInChineseWhereKnownElseTheNameByDefaultValue) {
  CRef<ISpObjectTokenCategory> cat = Voices();
  CRef<IEnumSpObjectTokens> e;
  ASSERT_EQ(cat->EnumTokens(u"Language=804", nullptr, &e), S_OK);
  const auto chinese = All(e.get());
  // The default voice and Mandarin; not Cantonese (C04) or English (409).
  ASSERT_GE(chinese.size(), 2u);
  for (const auto& t : chinese) {
    char16_t* value = nullptr;
    ASSERT_EQ(t->GetStringValue(u"804", &value), S_OK);
    EXPECT_NE(Take(value).find(u"普通话"), std::u16string::npos);
    ASSERT_EQ(t->GetAttribute(u"language", &value), S_OK);
    EXPECT_NE(Take(value).find(u"804"), std::u16string::npos);
  }

  // A voice without a Chinese description: the language value is missing,
  // the default value (null or "") is its name.
  ASSERT_EQ(cat->EnumTokens(u"Name=Amharic", nullptr, &e), S_OK);
  const auto found = All(e.get());
  ASSERT_EQ(found.size(), 1u);
  char16_t* value = reinterpret_cast<char16_t*>(1);
  EXPECT_EQ(found[0]->GetStringValue(u"804", &value), SPERR_NOT_FOUND);
  EXPECT_EQ(value, nullptr);
  ASSERT_EQ(found[0]->GetStringValue(nullptr, &value), S_OK);
  EXPECT_EQ(Take(value), u"Amharic");
  ASSERT_EQ(found[0]->GetStringValue(u"", &value), S_OK);
  EXPECT_EQ(Take(value), u"Amharic");

  // Optional attributes order, never filter.
  ASSERT_EQ(cat->EnumTokens(nullptr, u"Language=804", &e), S_OK);
  const auto ordered = All(e.get());
  EXPECT_EQ(ordered.size(), EspeakBackend().Voices().size() + FliteBackend().Voices().size() + 1);
  ASSERT_EQ(ordered[1]->GetAttribute(u"Language", &value), S_OK);
  EXPECT_NE(Take(value).find(u"804"), std::u16string::npos);
}

TEST_F(SpeechObjects, CategoryMustBeSelectedAndUnknownOnesExistOnlyWhenMade) {
  CRef<ISpObjectTokenCategory> cat;
  ASSERT_EQ(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                             reinterpret_cast<void**>(&cat)),
            S_OK);
  CRef<IEnumSpObjectTokens> e;
  EXPECT_EQ(cat->EnumTokens(nullptr, nullptr, &e), SPERR_UNINITIALIZED);
  const char16_t kOther[] = u"Lexiphon\\Tests\\Empty";
  EXPECT_EQ(cat->SetId(kOther, false), SPERR_NOT_FOUND);
  EXPECT_EQ(cat->SetId(kOther, true), S_OK);
  ASSERT_EQ(cat->EnumTokens(nullptr, nullptr, &e), S_OK);
  CRef<ISpObjectToken> t;
  EXPECT_EQ(e->Next(1, &t, nullptr), S_FALSE);
  // The name is matched without regard to case.
  const std::u16string lower = QString::fromStdU16String(SPCAT_VOICES).toLower().toStdU16String();
  EXPECT_EQ(cat->SetId(lower.c_str(), false), S_OK);
  char16_t* id = nullptr;
  ASSERT_EQ(cat->GetId(&id), S_OK);
  EXPECT_EQ(Take(id), lower);
}

}  // namespace
