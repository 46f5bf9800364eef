// Speak, Pause and Stop in the real frame, with the voice playing into memory:
// start-up settings, the empty-text message, the paused state's table.
#include "res/resource.h"
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "pcmcompare.h"
#include "platform/speech/audiosink.h"
#include "speech/voiceglobals.h"
#include "support/appfixture.h"

#include <QAction>
#include <QTest>

using namespace speech;
using namespace speech_testing;
using testing_support::AppFixture;
using testing_support::MessageBoxWatcher;
using testing_support::WriteFileBytes;

namespace {

constexpr std::uint32_t kLong = 60000;
const char kStory[] =
    "Once upon a time there was a small village by the sea. Every morning the fishermen went out in their "
    "boats, and every evening they came back with their nets full of fish.";

class SpeechCommandsTest : public AppFixture {
 protected:
  bool StartWithSettings(const std::string& ini) {
    if (!ini.empty()) WriteFileBytes(m_cwd->file("setting.ini"), ini);
    m_nInitsBefore = CoInitializeCount();
    return Start();
  }
  void UseMemorySink() {
    m_sink = std::make_shared<CMemorySink>();
    ASSERT_EQ(g_pVoice->SetOutput(m_sink), S_OK);
  }
  void Press(unsigned nID) { Frame()->GetCommandAction(nID)->trigger(); }
  void Type(const std::string& text) { Input()->SetWindowTextBytes(text); }
  bool Done() { return g_pVoice->WaitUntilDone(kLong) == S_OK; }
  std::uint16_t Volume() {
    std::uint16_t v = 0;
    g_pVoice->GetVolume(&v);
    return v;
  }
  std::int32_t Rate() {
    std::int32_t r = 0;
    g_pVoice->GetRate(&r);
    return r;
  }

  int m_nInitsBefore = 0;
  std::shared_ptr<CMemorySink> m_sink;
};

TEST_F(SpeechCommandsTest, WithoutSettingsTheVoiceStartsAudibleAndTheRuntimeIsBalancedAtTheEnd) {
  ASSERT_TRUE(StartWithSettings(""));
  ASSERT_TRUE(g_pVoice);
  EXPECT_EQ(g_hrSpeech, S_OK);
  EXPECT_EQ(g_nVolume, 50);
  EXPECT_EQ(Volume(), 50);
  EXPECT_EQ(Frame()->m_nRate, 0);
  EXPECT_EQ(Rate(), 0);
  EXPECT_FALSE(Frame()->m_bPaused);
  EXPECT_EQ(CoInitializeCount(), m_nInitsBefore + 1);

  Stop();
  EXPECT_FALSE(g_pVoice);
  EXPECT_EQ(CoInitializeCount(), m_nInitsBefore);
}

TEST_F(SpeechCommandsTest, StoredSettingsReachTheVoiceWithLowVolumesRaised) {
  ASSERT_TRUE(StartWithSettings("[Lexiphon]\r\npos=5\r\nrate=15\r\n"));
  EXPECT_EQ(g_nVolume, 20);
  EXPECT_EQ(Volume(), 20);
  // The frame keeps the value as read; the voice holds it to its range.
  EXPECT_EQ(Frame()->m_nRate, 15);
  EXPECT_EQ(Rate(), 10);
  // Nothing is written at start or at exit.
  Frame()->m_nRate = -4;
  g_nVolume = 77;
  Stop();
  EXPECT_EQ(testing_support::ReadFileBytes(m_cwd->file("setting.ini")), "[Lexiphon]\r\npos=5\r\nrate=15\r\n");
}

TEST_F(SpeechCommandsTest, SaveSpeechSettingsWritesTheLiveValues) {
  ASSERT_TRUE(StartWithSettings(""));
  g_nVolume = 65;
  Frame()->m_nRate = -3;
  Frame()->SaveSpeechSettings();
  EXPECT_EQ(testing_support::ReadFileBytes(m_cwd->file("setting.ini")),
            "[lexiphon]\r\npos=65\r\nrate=-3\r\n");
}

TEST_F(SpeechCommandsTest, AnEmptyPaneIsRefusedWithAMessageAndBlanksAreSpoken) {
  ASSERT_TRUE(StartWithSettings(""));
  UseMemorySink();
  {
    MessageBoxWatcher boxes;
    Press(res::ID_SPEECH_SPEAK);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "字符串不能为空");
    EXPECT_EQ(boxes.boxes()[0].title, "Lexiphon");
    EXPECT_EQ(boxes.boxes()[0].buttons, QMessageBox::Ok);
  }
  EXPECT_EQ(g_hrSpeech, S_OK);
  EXPECT_EQ(m_sink->Position(), 0u);

  MessageBoxWatcher none;
  Type("  \r\n\t ");
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(Done());
  EXPECT_TRUE(none.boxes().empty());
  EXPECT_EQ(g_hrSpeech, S_OK);
  // Said, as a moment of silence.
  EXPECT_GT(m_sink->Position(), 0u);
  EXPECT_EQ(Peak(m_sink->Samples()), 0);
}

TEST_F(SpeechCommandsTest, PauseWhileIdleDoesNothingSoTheNextSpeakReads) {
  ASSERT_TRUE(StartWithSettings(""));
  UseMemorySink();
  Type("Good morning.");
  Press(res::ID_SPEECH_PAUSE);
  EXPECT_FALSE(Frame()->m_bPaused);
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(Done());
  EXPECT_GT(m_sink->Position(), 5000u);
}

TEST_F(SpeechCommandsTest, EscStopsALongPassageAndTheNextSpeakStartsAfresh) {
  ASSERT_TRUE(StartWithSettings(""));
  UseMemorySink();
  QAction* stop = Frame()->GetCommandAction(res::ID_SPEECH_STOP);
  testing_support::ProcessDeferred();
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_EQ(stop->text(), QStringLiteral("停止(&S)\tEsc"));

  // Held after a little of the passage, as a slow device would.
  Type(kStory);
  m_sink->SetLimit(5000);
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_sink->IsWriterWaiting() && stop->isEnabled(); }, 20000));
  QTest::keyClick(Input(), Qt::Key_Escape);
  ASSERT_EQ(g_pVoice->WaitUntilDone(5000), S_OK);
  EXPECT_EQ(m_sink->Position(), 5000u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !stop->isEnabled(); }));

  // Stopped while paused: Speak reads the pane again instead of resuming.
  m_sink->Clear();
  m_sink->SetLimit(m_sink->Position() + 5000);
  Type("Good morning.");
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_sink->IsWriterWaiting(); }, 20000));
  Press(res::ID_SPEECH_PAUSE);
  ASSERT_TRUE(Frame()->m_bPaused);
  Press(res::ID_SPEECH_STOP);
  EXPECT_FALSE(Frame()->m_bPaused);
  ASSERT_TRUE(Done());
  m_sink->SetLimit(std::nullopt);
  m_sink->Clear();
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(Done());
  const std::size_t fresh = m_sink->Samples().size();
  m_sink->Clear();
  g_pVoice->Speak(u"Good morning.", SPF_DEFAULT, nullptr);
  EXPECT_NEAR(Ratio(fresh, m_sink->Samples().size()), 1.0, 0.02);
}

TEST_F(SpeechCommandsTest, SpeakWhilePausedGoesOnWithTheQueuedTextNotTheNewOne) {
  ASSERT_TRUE(StartWithSettings(""));
  UseMemorySink();
  const QString story = QString::fromLatin1(kStory);
  g_pVoice->Speak(reinterpret_cast<const char16_t*>(story.utf16()), SPF_DEFAULT, nullptr);
  const std::size_t solo = m_sink->Samples().size();
  m_sink->Clear();
  const std::uint64_t start = m_sink->Position();

  Type(kStory);
  m_sink->SetLimit(start + 5000);
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_sink->IsWriterWaiting(); }, 20000));
  Press(res::ID_SPEECH_PAUSE);
  Type("Something else entirely, which is not to be read.");
  m_sink->SetLimit(std::nullopt);
  Press(res::ID_SPEECH_SPEAK);
  EXPECT_FALSE(Frame()->m_bPaused);
  ASSERT_TRUE(Done());
  EXPECT_NEAR(Ratio(m_sink->Samples().size(), solo), 1.0, 0.02);

  // Not paused: two presses read the pane twice, one after the other.
  m_sink->Clear();
  Press(res::ID_SPEECH_SPEAK);
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(Done());
  const Pcm twice = m_sink->Samples();
  m_sink->Clear();
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(Done());
  EXPECT_NEAR(Ratio(twice.size(), 2 * m_sink->Samples().size()), 1.0, 0.02);
}

TEST_F(SpeechCommandsTest, ChineseInThePaneIsReadFromItsCodePage) {
  ASSERT_TRUE(StartWithSettings(""));
  UseMemorySink();
  // "你好，世界。" in the pane's code page.
  Type("\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA1\xA3");
  Press(res::ID_SPEECH_SPEAK);
  ASSERT_TRUE(Done());
  const Pcm fromPane = m_sink->Samples();
  m_sink->Clear();
  g_pVoice->Speak(u"你好，世界。", SPF_DEFAULT, nullptr);
  const Pcm direct = m_sink->Samples();
  ASSERT_GT(direct.size(), 10000u);
  EXPECT_NEAR(Ratio(fromPane.size(), direct.size()), 1.0, 0.03);
  EXPECT_GT(Resembles(fromPane, direct, m_sink->SampleRate()), 0.9);
}

}  // namespace
