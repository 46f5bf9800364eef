// The voice on a memory sink, for each synthesiser: queueing, exact pause,
// volume, rate, purge, the word being heard; and the default voice's switch
// between natural English and Mandarin.
#include "pcmcompare.h"
#include "platform/speech/audiosink.h"
#include "platform/speech/espeakbackend.h"
#include "platform/speech/synthbackend.h"
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
  int Rate() const { return m_sink->SampleRate(); }
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

// The same behaviour from each synthesiser, through one of its English voices.
class EngineTest : public VoiceTest, public ::testing::WithParamInterface<const char16_t*> {
 protected:
  void SetUp() override {
    VoiceTest::SetUp();
    ASSERT_EQ(m_voice->SetVoice(Token(GetParam()).get()), S_OK);
  }
  // Seconds of PCM at the sink's rate.
  double Seconds(const Pcm& pcm) const { return static_cast<double>(pcm.size()) / Rate(); }
};

INSTANTIATE_TEST_SUITE_P(Synthesisers, EngineTest, ::testing::Values(u"gmw/en-US", u"flite/cmu_us_slt"),
                         [](const auto& param) {
                           return std::string(param.param[0] == u'f' ? "Flite" : "Espeak");
                         });

TEST_P(EngineTest, SecondSpeakWaitsBehindTheFirstAndBothComeOutWhole) {
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
  EXPECT_GT(Resembles(both, 0, a.size(), a, Rate()), 0.9);
  EXPECT_GT(Resembles(both, a.size(), SIZE_MAX, b, Rate()), 0.9);
  // The other order would not look like this.
  EXPECT_LT(Resembles(both, 0, a.size(), Pcm(b.begin(), b.begin() + static_cast<long>(a.size())), Rate()), 0.7);
}

TEST_P(EngineTest, PauseStopsAtTheSampleReachedAndResumeGoesOnFromThere) {
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
  EXPECT_GT(Resembles(out, ref, Rate()), 0.95);
}

TEST_P(EngineTest, TextSpokenWhilePausedWaitsForResume) {
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

TEST_P(EngineTest, VolumeIsAGainThatTakesEffectAtOnce) {
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

TEST_P(EngineTest, EveryRateStepIsItsOwnSpeedFromAThirdToThreeTimesNormal) {
  Solo(kLonger);
  std::vector<double> seconds;
  for (int rate = -10; rate <= 10; ++rate) {
    ASSERT_EQ(m_voice->SetRate(rate), S_OK);
    seconds.push_back(Seconds(Solo(kLonger)));
  }
  const double normal = seconds[10];
  std::string table;
  for (int i = 0; i < 21; ++i) {
    table += std::to_string(i - 10) + ":" + std::to_string(seconds[static_cast<std::size_t>(i)]) + " ";
    // Every step faster than the one below it, by a noticeable amount.
    if (i > 0) {
      EXPECT_LT(seconds[static_cast<std::size_t>(i)], 0.97 * seconds[static_cast<std::size_t>(i - 1)]) << i - 10;
    }
  }
  RecordProperty("seconds", table);
  std::printf("[ rates    ] %s\n", table.c_str());
  // Pauses do not scale as much as words do.
  EXPECT_NEAR(seconds[0] / normal, 3.0, 0.6);
  EXPECT_NEAR(normal / seconds[20], 3.0, 0.8);
  EXPECT_NEAR(seconds[5] / normal, 1.73, 0.3);

  std::int32_t rate = 0;
  ASSERT_EQ(m_voice->SetRate(15), S_OK);
  ASSERT_EQ(m_voice->GetRate(&rate), S_OK);
  EXPECT_EQ(rate, 10);
  ASSERT_EQ(m_voice->SetRate(-99), S_OK);
  ASSERT_EQ(m_voice->GetRate(&rate), S_OK);
  EXPECT_EQ(rate, -10);
}

// The words heard as the "device" plays on, a twentieth of a second at a time.
std::vector<std::u16string> WordsHeard(ISpVoice* voice, CMemorySink& sink, const std::u16string& text) {
  std::vector<std::u16string> words;
  std::uint64_t limit = sink.Position();
  sink.SetLimit(limit);
  EXPECT_EQ(voice->Speak(text.c_str(), SPF_ASYNC, nullptr), S_OK);
  SPVOICESTATUS status;
  std::uint32_t lastPos = UINT32_MAX;
  for (;;) {
    const bool waiting = QTest::qWaitFor([&] { return sink.IsWriterWaiting() || voice->WaitUntilDone(0) == S_OK; }, 20000);
    EXPECT_TRUE(waiting);
    EXPECT_EQ(voice->GetStatus(&status), S_OK);
    if (status.ulInputWordLen > 0 && status.ulInputWordPos != lastPos) {
      lastPos = status.ulInputWordPos;
      EXPECT_LE(status.ulInputWordPos + status.ulInputWordLen, text.size());
      words.push_back(text.substr(status.ulInputWordPos, status.ulInputWordLen));
    }
    if (!waiting || voice->WaitUntilDone(0) == S_OK) break;
    limit += static_cast<std::uint64_t>(sink.SampleRate() / 20);
    sink.SetLimit(limit);
  }
  sink.SetLimit(std::nullopt);
  EXPECT_EQ(voice->GetStatus(&status), S_OK);
  EXPECT_EQ(status.dwRunningState, SPRS_DONE);
  return words;
}

TEST_P(EngineTest, TheWordHeardFollowsThePlayedSampleAndStopsWithAPause) {
  const std::u16string text = u"Good morning, my friends.\nHow are you?";
  const std::vector<std::u16string> words = WordsHeard(m_voice.get(), *m_sink, text);
  const std::vector<std::u16string> want = {u"Good", u"morning", u"my", u"friends", u"How", u"are", u"you"};
  EXPECT_EQ(words, want);

  // Paused mid-text the word stays; after Resume it moves on.
  m_sink->SetLimit(m_sink->Position() + static_cast<std::uint64_t>(Rate()) / 2);
  ASSERT_EQ(m_voice->Speak(kStory, SPF_ASYNC, nullptr), S_OK);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_sink->IsWriterWaiting(); }, 20000));
  ASSERT_EQ(m_voice->Pause(), S_OK);
  m_sink->SetLimit(std::nullopt);
  SPVOICESTATUS before, after;
  ASSERT_EQ(m_voice->GetStatus(&before), S_OK);
  QTest::qWait(100);
  ASSERT_EQ(m_voice->GetStatus(&after), S_OK);
  EXPECT_EQ(after.dwRunningState, SPRS_IS_SPEAKING);
  EXPECT_EQ(after.ulInputWordPos, before.ulInputWordPos);
  EXPECT_LT(before.ulInputWordPos, 20u);
  ASSERT_EQ(m_voice->Resume(), S_OK);
  ASSERT_EQ(m_voice->WaitUntilDone(kLong), S_OK);
  ASSERT_EQ(m_voice->GetStatus(&after), S_OK);
  EXPECT_EQ(std::u16string(kStory).substr(after.ulInputWordPos, after.ulInputWordLen), u"home");
  EXPECT_EQ(after.dwRunningState, SPRS_DONE);
}

TEST_F(VoiceTest, WordPositionsAreExactInMixedTextWithLineBreaksAndSurrogates) {
  // Default voice: English by one synthesiser, Chinese by the other, in one
  // text; U+20BB7 takes two UTF-16 units.
  const std::u16string text = u"Read this line.\r\n我们学习\U00020BB7。\nGood night.";
  const std::vector<std::u16string> words = WordsHeard(m_voice.get(), *m_sink, text);
  const std::vector<std::u16string> want = {u"Read", u"this", u"line", u"我", u"们", u"学", u"习",
                                            u"\U00020BB7", u"Good", u"night"};
  EXPECT_EQ(words, want);
}

TEST_F(VoiceTest, DefaultVoiceReadsEnglishNaturallyAndChineseInMandarin) {
  const char16_t kMixed[] = u"Good morning. 早上好，我们学习英语。 Good night.";
  Solo(kMixed);
  const Pcm mixed = Solo(kMixed);
  // The natural voice's rate: the whole text plays at it.
  EXPECT_EQ(Rate(), FliteBackend().SampleRate());
  const double mixedSeconds = static_cast<double>(mixed.size()) / Rate();

  // The same text said piece by piece with the two voices chosen by hand.
  ASSERT_EQ(m_voice->SetVoice(Token(u"flite/cmu_us_slt").get()), S_OK);
  const Pcm morning = Solo(u"Good morning. ");
  const double english = static_cast<double>(morning.size() + Solo(u"Good night.").size()) / Rate();
  ASSERT_EQ(m_voice->SetVoice(Token(u"sit/cmn").get()), S_OK);
  const Pcm chinese = Solo(u"早上好，我们学习英语。 ");
  EXPECT_EQ(Rate(), EspeakBackend().SampleRate());
  const double byHand = english + static_cast<double>(chinese.size()) / Rate();

  // The formant English voice alone says something else for the Chinese.
  ASSERT_EQ(m_voice->SetVoice(Token(u"gmw/en-US").get()), S_OK);
  const double formant = static_cast<double>(Solo(kMixed).size()) / Rate();

  EXPECT_NEAR(mixedSeconds / byHand, 1.0, 0.03);
  EXPECT_GT(Resembles(mixed, 0, morning.size(), morning, FliteBackend().SampleRate()), 0.9);
  EXPECT_GT(std::abs(formant / byHand - 1.0), 0.1);

  // Back to the default with null; GetVoice then names the default token.
  ASSERT_EQ(m_voice->SetVoice(nullptr), S_OK);
  CRef<ISpObjectToken> current;
  ASSERT_EQ(m_voice->GetVoice(&current), S_OK);
  EXPECT_EQ(VoiceIdentifierOf(current.get()), std::string());
}

TEST_P(EngineTest, PurgeDropsWhatIsQueuedAndPlayingButNotWhatComesAfter) {
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

TEST_P(EngineTest, ReleasingAPausedVoiceMidTextReturns) {
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
  EXPECT_EQ(m_voice->SetVoice(Token(u"flite/no_such_voice").get()), SPERR_NOT_FOUND);
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
  EXPECT_EQ(u32(24), 16000u);  // the natural English voice's rate
  EXPECT_EQ(u32(40), static_cast<quint32>(wav.size() - 44));
}

}  // namespace
