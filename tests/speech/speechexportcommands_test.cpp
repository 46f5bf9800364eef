// Save Speech in the real frame: the selection (or the whole pane) at the
// frame's rate goes into the file behind a box that leaves the window usable,
// and the box's Cancel leaves no file.
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "platform/speech/audiosink.h"
#include "res/resource.h"
#include "speech/voiceglobals.h"
#include "support/appfixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <sndfile.h>

using namespace speech;
using testing_support::AppFixture;
using testing_support::MessageBoxWatcher;

namespace {

double FileSeconds(const QString& path) {
  SF_INFO info{};
  SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
  if (!f) return -1;
  sf_count_t frames = 0;
  short buf[4096];
  for (sf_count_t n; (n = sf_read_short(f, buf, 4096)) > 0;) frames += n;
  sf_close(f);
  return static_cast<double>(frames) / info.samplerate;
}

class SpeechExportCommandsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    m_sink = std::make_shared<CMemorySink>(false);
    ASSERT_EQ(g_pVoice->SetOutput(m_sink), S_OK);
  }
  QAction* Action(unsigned nID) {
    Frame()->UpdateCommandUI();
    return Frame()->GetCommandAction(nID);
  }
  // Speaks a text into memory the way the frame's voice would.
  double SpokenSeconds(const std::u16string& text) {
    m_sink = std::make_shared<CMemorySink>(false);
    g_pVoice->SetOutput(m_sink);
    g_pVoice->Speak(text.c_str(), SPF_DEFAULT, nullptr);
    return static_cast<double>(m_sink->Position()) / m_sink->SampleRate();
  }
  QProgressDialog* Box() const { return Frame()->findChild<QProgressDialog*>(); }
  QStringList Files() const {
    return QDir(m_cwd->path()).entryList({"*.mp3", ".*.mp3.*"}, QDir::Files | QDir::Hidden);
  }

  std::shared_ptr<CMemorySink> m_sink;
};

TEST_F(SpeechExportCommandsTest, TheSelectionIsSavedAtTheFramesRateWhileTheWindowStaysInUse) {
  EXPECT_FALSE(Action(res::ID_SPEECH_SAVE_AUDIO)->isEnabled());
  Input()->SetWindowTextBytes(
      "First sentence, not saved.\r\nThis second sentence is what the learner keeps.");
  EXPECT_TRUE(Action(res::ID_SPEECH_SAVE_AUDIO)->isEnabled());
  QTextCursor c = Input()->textCursor();
  c.setPosition(28);
  c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  Input()->setTextCursor(c);
  Frame()->m_nRate = 5;

  const QString path = m_cwd->file("keep.mp3");
  ASSERT_TRUE(Frame()->SaveSpeechTo(path, SoundFileFormat::Mp3));
  EXPECT_TRUE(Frame()->IsSavingSpeech());
  EXPECT_FALSE(Action(res::ID_SPEECH_SAVE_AUDIO)->isEnabled());
  ASSERT_TRUE(Box());
  EXPECT_FALSE(Box()->isModal());
  // Speak goes on meanwhile, into its own sink.
  Frame()->GetCommandAction(res::ID_SPEECH_SPEAK)->trigger();
  EXPECT_EQ(g_hrSpeech, S_OK);

  ASSERT_TRUE(QTest::qWaitFor([&] { return !Frame()->IsSavingSpeech(); }, 60000));
  EXPECT_TRUE(Frame()->m_wndStatusBar.GetPaneText(0).startsWith(QStringLiteral("语音已保存到")))
      << Frame()->m_wndStatusBar.GetPaneText(0).toStdString();
  EXPECT_EQ(g_pVoice->WaitUntilDone(60000), S_OK);
  EXPECT_GT(m_sink->Position(), 0u);
  EXPECT_EQ(Files(), QStringList{"keep.mp3"});

  g_pVoice->SetRate(5);
  const double expected = SpokenSeconds(u"This second sentence is what the learner keeps.");
  EXPECT_NEAR(FileSeconds(path), expected, expected * 0.1);
  EXPECT_TRUE(Action(res::ID_SPEECH_SAVE_AUDIO)->isEnabled());
}

TEST_F(SpeechExportCommandsTest, CancelInTheBoxLeavesNoFile) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "Every morning the fishermen went out in their boats. ";
  Input()->SetWindowTextBytes(text);
  ASSERT_TRUE(Frame()->SaveSpeechTo(m_cwd->file("long.mp3"), SoundFileFormat::Mp3));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Box() && Box()->value() > 0; }, 20000));
  // The box's own button, as the user presses it.
  QPushButton* cancel = Box()->findChild<QPushButton*>();
  ASSERT_TRUE(cancel);
  cancel->click();
  testing_support::ProcessDeferred();
  EXPECT_FALSE(Frame()->IsSavingSpeech());
  EXPECT_EQ(Frame()->m_wndStatusBar.GetPaneText(0), QStringLiteral("已取消保存语音"));
  EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
}

TEST_F(SpeechExportCommandsTest, ClosingTheWindowMeanwhileAsksAndOnlyThenCancels) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "Every morning the fishermen went out in their boats. ";
  Input()->SetWindowTextBytes(text);
  ASSERT_TRUE(Frame()->SaveSpeechTo(m_cwd->file("long.mp3"), SoundFileFormat::Mp3));
  {
    MessageBoxWatcher boxes(QMessageBox::No);
    Frame()->close();
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(QStringLiteral("语音还没有保存完。")));
  }
  // Back to the window: the export goes on and completes.
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_TRUE(Frame()->IsSavingSpeech());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Frame()->IsSavingSpeech(); }, 120000));
  EXPECT_EQ(Files(), QStringList{"long.mp3"});

  ASSERT_TRUE(Frame()->SaveSpeechTo(m_cwd->file("again.mp3"), SoundFileFormat::Mp3));
  MessageBoxWatcher quit(QMessageBox::Yes);
  Stop();
  EXPECT_EQ(quit.texts().size(), 1);
  EXPECT_EQ(Files(), QStringList{"long.mp3"});
}

TEST_F(SpeechExportCommandsTest, BlanksAndAMissingFolderAreRefusedWithAMessage) {
  MessageBoxWatcher boxes;
  Input()->SetWindowTextBytes("  \r\n ");
  EXPECT_FALSE(Frame()->SaveSpeechTo(m_cwd->file("blank.mp3"), SoundFileFormat::Mp3));
  Input()->SetWindowTextBytes("Hello.");
  EXPECT_FALSE(Frame()->SaveSpeechTo(m_cwd->file("none/x.mp3"), SoundFileFormat::Mp3));
  ASSERT_EQ(boxes.texts().size(), 2);
  EXPECT_EQ(boxes.texts()[0], QStringLiteral("字符串不能为空"));
  EXPECT_TRUE(boxes.texts()[1].startsWith(QStringLiteral("无法保存语音。\n文件夹")))
      << boxes.texts()[1].toStdString();
  EXPECT_FALSE(Frame()->IsSavingSpeech());
  EXPECT_TRUE(Files().isEmpty());
}

}  // namespace
