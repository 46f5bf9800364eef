// The voice on a memory sink: queueing, exact pause, volume, rate, the
// default voice's switch between English and Mandarin, purge.
#include "pcmcompare.h"
#include "platform/speech/audiosink.h"
#include "platform/speech/espeakbackend.h"
#include "platform/speech/speechapi.h"
#include "platform/speech/tokens.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace speech;
using namespace speech_testing;

namespace {

constexpr std::uint32_t kLong = 60000;

const char16_t kShort[] = u"Good morning.";
const char16_t kLonger[] =
    u"This second sentence is a good deal longer than the first one, and it ends here.";
const char16_t kStory[] =
    u"Once upon a time there was a small village by the sea. Every morning the fishermen went out in their "
    u"boats, and every evening they came back with their nets full of fish. The children waited for them on "
    u"the beach and helped to carry the baskets home.";

class VoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(CoInitialize(nullptr), 0);
    ASSERT_EQ(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                               reinterpret_cast<void**>(&m_voice)),
              S_OK);
    m_sink = std::make_shared<CMemorySink>();
    ASSERT_EQ(m_voice->SetOutput(m_sink), S_OK);
  }
  void TearDown() override {
    m_voice.Release();
    CoUninitialize();
  }

  // Speaks one text alone and answers its PCM.
  Pcm Solo(const char16_t* text) {
    m_sink->Clear();
    EXPECT_EQ(m_voice->Speak(text, SPF_DEFAULT, nullptr), S_OK);
    return m_sink->Samples();
  }
  bool WaitForWriterAt(std::uint64_t position) {
    return QTest::qWaitFor([&] { return m_sink->IsWriterWaiting() && m_sink->Position() == position; },
                           20000);
  }
  CRef<ISpObjectToken> Token(const char16_t* name) {
    CRef<ISpObjectToken> token;
    token.Attach(new CSpObjectToken(SPCAT_VOICES, name));
    return token;
  }

  CRef<ISpVoice> m_voice;
  std::shared_ptr<CMemorySink> m_sink;
};

TEST_F(VoiceTest, SecondSpeakWaitsBehindTheFirstAndBothComeOutWhole) {
  Solo(kShort);  // the voices are loaded from here on
  const Pcm a = Solo(kShort);
  const Pcm b = Solo(kLonger);
  ASSERT_GT(a.size(), 5000u);
  ASSERT_GT(b.size(), 2 * a.size());

  m_sink->Clear();
  std::uint32_t first = 0, second = 0;
  ASSERT_EQ(m_voice->Speak(kShort, SPF_ASYNC, &first), S_OK);
  ASSERT_EQ(m_voice->Speak(kLonger, SPF_ASYNC, &second), S_OK);
  EXPECT_EQ(second, first + 1);
  ASSERT_EQ(m_voice->WaitUntilDone(kLong), S_OK);
  const Pcm both = m_sink->Samples();

  EXPECT_NEAR(Ratio(both.size(), a.size() + b.size()), 1.0, 0.02);
  EXPECT_GT(Resembles(both, 0, a.size(), a), 0.9);
  EXPECT_GT(Resembles(both, a.size(), SIZE_MAX, b), 0.9);
  // The other order would not look like this.
  EXPECT_LT(Resembles(both, 0, a.size(), Pcm(b.begin(), b.begin() + static_cast<long>(a.size()))), 0.7);
}

TEST_F(VoiceTest, PauseStopsAtTheSampleReachedAndResumeGoesOnFromThere) {
  Solo(kShort);
  const Pcm ref = Solo(kLonger);
  m_sink->Clear();

  // The "device" has played half a second when the user pauses.
  const std::uint64_t at = 11025;
  const std::uint64_t before = m_sink->Position();
  m_sink->SetLimit(before + at);
  ASSERT_EQ(m_voice->Speak(kLonger, SPF_ASYNC, nullptr), S_OK);
  ASSERT_TRUE(WaitForWriterAt(before + at));
  ASSERT_EQ(m_voice->Pause(), S_OK);
  m_sink->SetLimit(std::nullopt);
  // Held by the pause now, not by the limit: nothing more is played.
  ASSERT_TRUE(WaitForWriterAt(before + at));
  EXPECT_EQ(m_voice->WaitUntilDone(0), S_FALSE);

  ASSERT_EQ(m_voice->Resume(), S_OK);
  ASSERT_EQ(m_voice->WaitUntilDone(kLong), S_OK);
  const Pcm out = m_sink->Samples();
  // Nothing lost, nothing twice: as long as and shaped like the unpaused text.
  EXPECT_NEAR(Ratio(out.size(), ref.size()), 1.0, 0.01);
  EXPECT_GT(Resembles(out, ref), 0.95);
}

TEST_F(VoiceTest, TextSpokenWhilePausedWaitsForResume) {
  ASSERT_EQ(m_voice->Pause(), S_OK);
  ASSERT_EQ(m_voice->Pause(), S_OK);
  ASSERT_EQ(m_voice->Speak(kShort, SPF_ASYNC, nullptr), S_OK);
  ASSERT_TRUE(WaitForWriterAt(0));
  EXPECT_EQ(m_voice->WaitUntilDone(0), S_FALSE);
  // One Resume undoes both Pauses.
  ASSERT_EQ(m_voice->Resume(), S_OK);
  ASSERT_EQ(m_voice->WaitUntilDone(kLong), S_OK);
  EXPECT_GT(m_sink->Position(), 5000u);
}

TEST_F(VoiceTest, VolumeIsAGainThatTakesEffectAtOnce) {
  Solo(kShort);
  const Pcm loud = Solo(kShort);
  ASSERT_EQ(m_voice->SetVolume(0), S_OK);
  const Pcm silent = Solo(kShort);
  EXPECT_NEAR(Ratio(silent.size(), loud.size()), 1.0, 0.02);
  EXPECT_GT(Peak(loud), 3000);
  EXPECT_EQ(Peak(silent), 0);

  ASSERT_EQ(m_voice->SetVolume(101), E_INVALIDARG);
  std::uint16_t volume = 1;
  ASSERT_EQ(m_voice->GetVolume(&volume), S_OK);
  EXPECT_EQ(volume, 0);

  // Turned down in the middle of a text: what is already played stays loud,
  // everything after is silent, though it was synthesised before.
  ASSERT_EQ(m_voice->SetVolume(100), S_OK);
  m_sink->Clear();
  const std::uint64_t start = m_sink->Position();
  const std::uint64_t at = 11025;
  m_sink->SetLimit(start + at);
  ASSERT_EQ(m_voice->Speak(kStory, SPF_ASYNC, nullptr), S_OK);
  ASSERT_TRUE(WaitForWriterAt(start + at));
  ASSERT_EQ(m_voice->SetVolume(0), S_OK);
  m_sink->SetLimit(std::nullopt);
  ASSERT_EQ(m_voice->WaitUntilDone(kLong), S_OK);
  const Pcm out = m_sink->Samples();
  ASSERT_GT(out.size(), 4 * at);
  EXPECT_GT(Peak(out, 0, at), 1000);
  EXPECT_EQ(Peak(out, at), 0);
}

TEST_F(VoiceTest, RateTriplesOrThirdsTheSpeedEveryTenSteps) {
  Solo(kLonger);
  const Pcm normal = Solo(kLonger);
  ASSERT_EQ(m_voice->SetRate(10), S_OK);
  const Pcm fast = Solo(kLonger);
  ASSERT_EQ(m_voice->SetRate(-5), S_OK);
  const Pcm slow = Solo(kLonger);
  // Pauses do not scale as much as words do.
  EXPECT_NEAR(Ratio(normal.size(), fast.size()), 3.0, 0.6);
  EXPECT_NEAR(Ratio(slow.size(), normal.size()), 1.73, 0.3);

  std::int32_t rate = 0;
  ASSERT_EQ(m_voice->SetRate(15), S_OK);
  ASSERT_EQ(m_voice->GetRate(&rate), S_OK);
  EXPECT_EQ(rate, 10);
  ASSERT_EQ(m_voice->SetRate(-99), S_OK);
  ASSERT_EQ(m_voice->GetRate(&rate), S_OK);
  EXPECT_EQ(rate, -10);
  EXPECT_EQ(CEspeak::WordsPerMinute(-10), CEspeak::WordsPerMinute(-8));  // the synthesiser's slowest
  EXPECT_EQ(CEspeak::WordsPerMinute(10), 525);
}

TEST_F(VoiceTest, DefaultVoiceReadsEachScriptWithItsOwnVoice) {
  const char16_t kMixed[] = u"Good morning. 早上好，我们学习英语。 Good night.";
  Solo(kMixed);
  const Pcm mixed = Solo(kMixed);

  // The same text said piece by piece with the two voices chosen by hand.
  m_sink->Clear();
  ASSERT_EQ(m_voice->SetVoice(Token(u"gmw/en-US").get()), S_OK);
  ASSERT_EQ(m_voice->Speak(u"Good morning. ", SPF_DEFAULT, nullptr), S_OK);
  ASSERT_EQ(m_voice->SetVoice(Token(u"sit/cmn").get()), S_OK);
  ASSERT_EQ(m_voice->Speak(u"早上好，我们学习英语。 ", SPF_DEFAULT, nullptr), S_OK);
  ASSERT_EQ(m_voice->SetVoice(Token(u"gmw/en-US").get()), S_OK);
  ASSERT_EQ(m_voice->Speak(u"Good night.", SPF_DEFAULT, nullptr), S_OK);
  const Pcm byHand = m_sink->Samples();

  // An English voice alone says something else for the Chinese.
  const Pcm english = Solo(kMixed);

  EXPECT_NEAR(Ratio(mixed.size(), byHand.size()), 1.0, 0.03);
  EXPECT_GT(Resembles(mixed, byHand), 0.85);
  EXPECT_GT(std::abs(Ratio(english.size(), byHand.size()) - 1.0), 0.1);

  // Back to the default with null; GetVoice then names the default token.
  ASSERT_EQ(m_voice->SetVoice(nullptr), S_OK);
  CRef<ISpObjectToken> current;
  ASSERT_EQ(m_voice->GetVoice(&current), S_OK);
  EXPECT_EQ(VoiceIdentifierOf(current.get()), std::string());
}

TEST_F(VoiceTest, PurgeDropsWhatIsQueuedAndPlayingButNotWhatComesAfter) {
  const std::uint64_t start = m_sink->Position();
  m_sink->SetLimit(start + 1000);
  ASSERT_EQ(m_voice->Speak(kStory, SPF_ASYNC, nullptr), S_OK);
  ASSERT_EQ(m_voice->Speak(kStory, SPF_ASYNC, nullptr), S_OK);
  ASSERT_TRUE(WaitForWriterAt(start + 1000));
  ASSERT_EQ(m_voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr), S_OK);
  ASSERT_EQ(m_voice->WaitUntilDone(kLong), S_OK);
  m_sink->SetLimit(std::nullopt);
  EXPECT_EQ(m_sink->Position(), start + 1000);

  ASSERT_EQ(m_voice->Speak(kShort, SPF_PURGEBEFORESPEAK, nullptr), S_OK);
  EXPECT_GT(m_sink->Position(), start + 5000);
}

TEST_F(VoiceTest, ReleasingAPausedVoiceMidTextReturns) {
  ASSERT_EQ(m_voice->Pause(), S_OK);
  ASSERT_EQ(m_voice->Speak(kStory, SPF_ASYNC, nullptr), S_OK);
  ASSERT_TRUE(WaitForWriterAt(0));
  m_voice.Release();
  EXPECT_EQ(m_sink->Position(), 0u);
  EXPECT_FALSE(m_sink->IsWriterWaiting());
}

TEST_F(VoiceTest, SpeakChecksItsArguments) {
  EXPECT_EQ(m_voice->Speak(kShort, 8, nullptr), E_INVALIDARG);  // markup is not supported
  EXPECT_EQ(m_voice->Speak(nullptr, SPF_ASYNC, nullptr), E_POINTER);
  EXPECT_EQ(m_voice->SetVoice(Token(u"no/such-voice").get()), SPERR_NOT_FOUND);
  CRef<ISpObjectToken> other;
  other.Attach(new CSpObjectToken(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Other", u"gmw/en-US"));
  EXPECT_EQ(m_voice->SetVoice(other.get()), E_INVALIDARG);
  EXPECT_EQ(m_sink->Position(), 0u);
}

TEST(WavFileSink, WritesAPlayableFileOfWhatWasSpoken) {
  QTemporaryDir dir;
  const QString path = dir.filePath("out.wav");
  ASSERT_GE(CoInitialize(nullptr), 0);
  {
    CRef<ISpVoice> voice;
    ASSERT_EQ(
        CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice)),
        S_OK);
    auto sink = std::make_shared<CWavFileSink>(path);
    ASSERT_EQ(voice->SetOutput(sink), S_OK);
    ASSERT_EQ(voice->Speak(kShort, SPF_DEFAULT, nullptr), S_OK);
    ASSERT_EQ(voice->SetOutput(nullptr), S_OK);
  }
  CoUninitialize();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray wav = f.readAll();
  ASSERT_GT(wav.size(), 44 + 10000);
  const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
  EXPECT_EQ(wav.left(4), "RIFF");
  EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
  EXPECT_EQ(u32(4), static_cast<quint32>(wav.size() - 8));
  EXPECT_EQ(u32(24), 22050u);
  EXPECT_EQ(u32(40), static_cast<quint32>(wav.size() - 44));
}

}  // namespace
