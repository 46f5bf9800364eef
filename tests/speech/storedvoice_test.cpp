// The voice chosen in the settings box is kept in setting.ini and comes back
// with the next start: given to the voice before it first speaks, shown
// chosen when the box opens, and an unknown one leaves the default voice.
#include "res/resource.h"
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "platform/speech/audiosink.h"
#include "platform/speech/tokens.h"
#include "speech/speechsettingsdialog.h"
#include "speech/voiceglobals.h"
#include "speech/voicelist.h"
#include "support/appfixture.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace speech;
using testing_support::AppFixture;
using testing_support::ModalWatcher;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

// An installed voice other than the default one, by its token id.
std::string SomeOtherVoiceId(int nSkip = 0) {
  for (const CRef<CSpObjectToken>& token : MakeVoiceTokens()) {
    const std::optional<std::string> voice = VoiceIdentifierOf(token.get());
    if (voice && !voice->empty() && nSkip-- == 0) return TokenIdOf(token.get());
  }
  return {};
}

class StoredVoiceTest : public AppFixture {
 protected:
  bool StartWith(const std::string& ini) {
    WriteFileBytes(m_cwd->file("setting.ini"), ini);
    return Start();
  }
  std::string Ini() const { return ReadFileBytes(m_cwd->file("setting.ini")); }
  std::string VoiceInUse() {
    CRef<ISpObjectToken> token;
    EXPECT_EQ(g_pVoice->GetVoice(&token), S_OK);
    return TokenIdOf(token.get());
  }
  // Speaks a word into memory; false when nothing was heard.
  bool SpeakAWord() {
    auto sink = std::make_shared<CMemorySink>(false);
    EXPECT_EQ(g_pVoice->SetOutput(sink), S_OK);
    Input()->SetWindowTextBytes("Hello.");
    Frame()->GetCommandAction(res::ID_SPEECH_SPEAK)->trigger();
    return g_pVoice->WaitUntilDone(60000) == S_OK && sink->Position() > 0;
  }
  // Opens the settings box: `drive` works it, then OK or Cancel is clicked.
  void OpenBox(bool bOk, const std::function<void(CSpeechSettingsDialog&)>& drive) {
    ModalWatcher watcher([&](QWidget* w) {
      if (auto* dlg = qobject_cast<CSpeechSettingsDialog*>(w)) {
        drive(*dlg);
        QTest::mouseClick(dlg->findChild<QPushButton*>(bOk ? "IDOK" : "IDCANCEL"), Qt::LeftButton);
      }
    });
    Frame()->SendCommand(res::ID_SPEECH_SETTINGS);
    EXPECT_EQ(watcher.seen(), 1);
  }
  static std::string Chosen(CSpeechSettingsDialog& dlg) {
    return TokenIdOf(dlg.m_comboVoice.GetItemData(dlg.m_comboVoice.currentIndex()));
  }
  const std::string m_strDefault = TokenIdOf(MakeDefaultVoiceToken().get());
};

TEST_F(StoredVoiceTest, TheStoredVoiceReachesTheVoiceBeforeItFirstSpeaksAndIsShownChosen) {
  const std::string id = SomeOtherVoiceId();
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(StartWith("[lexiphon]\r\npos=60\r\nvoice=" + id + "\r\n"));
  // Not at start-up: that would start the engines before anyone speaks.
  EXPECT_EQ(VoiceInUse(), m_strDefault);
  ASSERT_TRUE(SpeakAWord());
  EXPECT_EQ(VoiceInUse(), id);
  EXPECT_EQ(Frame()->m_strVoiceId, id);
  OpenBox(false, [&](CSpeechSettingsDialog& dlg) { EXPECT_EQ(Chosen(dlg), id); });
}

TEST_F(StoredVoiceTest, TheBoxShowsTheStoredVoiceEvenBeforeAnythingWasSpoken) {
  const std::string id = SomeOtherVoiceId(1);
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(StartWith("[lexiphon]\r\nvoice=" + id + "\r\n"));
  // OK on the untouched box keeps it, and what the box applied stays.
  OpenBox(true, [&](CSpeechSettingsDialog& dlg) { EXPECT_EQ(Chosen(dlg), id); });
  EXPECT_EQ(VoiceInUse(), id);
  ASSERT_TRUE(SpeakAWord());
  EXPECT_EQ(VoiceInUse(), id);
}

TEST_F(StoredVoiceTest, AnUnknownVoiceLeavesTheDefaultVoiceAndTheFileAsItWas) {
  const std::string ini = "[lexiphon]\r\nvoice=HKEY_NOWHERE\\Tokens\\gone\r\n";
  ASSERT_TRUE(StartWith(ini));
  ASSERT_TRUE(SpeakAWord());
  EXPECT_EQ(VoiceInUse(), m_strDefault);
  EXPECT_TRUE(Frame()->m_strVoiceId.empty());
  OpenBox(false, [&](CSpeechSettingsDialog& dlg) { EXPECT_EQ(dlg.m_comboVoice.currentIndex(), 0); });
  Stop();
  EXPECT_EQ(Ini(), ini);
}

TEST_F(StoredVoiceTest, AVoiceChosenInTheBoxIsWrittenBesideTheRestAndSurvivesARestart) {
  ASSERT_TRUE(StartWith("; kept\r\n[other]\r\nvoice=not ours\r\n\r\n[lexiphon]\r\n; mine too\r\nrate=3\r\n"));
  std::string id;
  OpenBox(true, [&](CSpeechSettingsDialog& dlg) {
    EXPECT_EQ(Chosen(dlg), m_strDefault);
    for (int i = 0; i < dlg.m_comboVoice.count() && id.empty(); ++i)
      if (TokenIdOf(dlg.m_comboVoice.GetItemData(i)) != m_strDefault) {
        dlg.m_comboVoice.setCurrentIndex(i);
        id = Chosen(dlg);
      }
  });
  ASSERT_FALSE(id.empty());
  EXPECT_EQ(Ini(), "; kept\r\n[other]\r\nvoice=not ours\r\n\r\n[lexiphon]\r\n; mine too\r\nrate=3\r\npos=50\r\nvoice=" +
                       id + "\r\n");
  EXPECT_EQ(VoiceInUse(), id);

  Stop();
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame()->m_strVoiceId, id);
  ASSERT_TRUE(SpeakAWord());
  EXPECT_EQ(VoiceInUse(), id);

  // Back to the default voice: that too is a choice the file keeps.
  OpenBox(true, [&](CSpeechSettingsDialog& dlg) {
    EXPECT_EQ(Chosen(dlg), id);
    dlg.m_comboVoice.setCurrentIndex(0);
  });
  EXPECT_NE(Ini().find("voice=" + m_strDefault + "\r\n"), std::string::npos) << Ini();
}

}  // namespace
