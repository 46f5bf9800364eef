// setting.ini: read as the C library reads numbers, written without
// touching the rest of the file, always in the current directory.
#include "speech/speechsettings.h"
#include "support/tempdir.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace speech;
using testing_support::ReadFileBytes;
using testing_support::ScopedTempCwd;
using testing_support::WriteFileBytes;

namespace {

TEST(SpeechSettingsFile, MissingOrBadValuesReadAsZeroAndNumbersAsFarAsTheyGo) {
  ScopedTempCwd cwd;
  SpeechSettings s = LoadSpeechSettings();
  EXPECT_EQ(s.nVolume, 0);
  EXPECT_EQ(s.nRate, 0);
  WriteFileBytes(cwd.file("setting.ini"), "[LEXIPHON]\r\nPos=42xyz\r\nrate=abc\r\n");
  s = LoadSpeechSettings();
  EXPECT_EQ(s.nVolume, 42);
  EXPECT_EQ(s.nRate, 0);
  WriteFileBytes(cwd.file("setting.ini"), "[lexiphon]\nrate= -7\n");
  EXPECT_EQ(LoadSpeechSettings().nRate, -7);
}

TEST(SpeechSettingsFile, SaveWritesTheTwoKeysAndKeepsEverythingElse) {
  ScopedTempCwd cwd;
  SaveSpeechSettings({50, -2, ""});
  EXPECT_EQ(ReadFileBytes(cwd.file("setting.ini")), "[lexiphon]\r\npos=50\r\nrate=-2\r\n");

  WriteFileBytes(cwd.file("setting.ini"), "; mine\r\n[other]\r\nrate=9\r\n[lexiphon]\r\npos=1\r\n");
  SaveSpeechSettings({80, 10, ""});
  EXPECT_EQ(ReadFileBytes(cwd.file("setting.ini")),
            "; mine\r\n[other]\r\nrate=9\r\n[lexiphon]\r\npos=80\r\nrate=10\r\n");
  const SpeechSettings s = LoadSpeechSettings();
  EXPECT_EQ(s.nVolume, 80);
  EXPECT_EQ(s.nRate, 10);
}

TEST(SpeechSettingsFile, TheVoiceIsReadWholeAndAVoiceNeverChosenLeavesItsKeyAlone) {
  ScopedTempCwd cwd;
  // A long token id with backslashes and a slash is kept to the byte.
  const std::string id = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Voices\\Tokens\\" + std::string(120, 'x') + "/en-us";
  WriteFileBytes(cwd.file("setting.ini"), "[lexiphon]\r\n; pick\r\nvoice=" + id + "\r\n[next]\r\nvoice=b\r\n");
  EXPECT_EQ(LoadSpeechSettings().strVoice, id);
  SaveSpeechSettings({40, 1, ""});
  EXPECT_EQ(ReadFileBytes(cwd.file("setting.ini")),
            "[lexiphon]\r\n; pick\r\nvoice=" + id + "\r\npos=40\r\nrate=1\r\n[next]\r\nvoice=b\r\n");
  SaveSpeechSettings({40, 1, "other"});
  EXPECT_EQ(ReadFileBytes(cwd.file("setting.ini")),
            "[lexiphon]\r\n; pick\r\nvoice=other\r\npos=40\r\nrate=1\r\n[next]\r\nvoice=b\r\n");
  EXPECT_EQ(LoadSpeechSettings().strVoice, "other");
}

TEST(SpeechSettingsFile, FollowsTheCurrentDirectory) {
  ScopedTempCwd cwd;
  QDir(cwd.path()).mkdir("sub");
  SaveSpeechSettings({30, 1, ""});
  ASSERT_TRUE(QDir::setCurrent(cwd.file("sub")));
  EXPECT_EQ(LoadSpeechSettings().nVolume, 0);
  SaveSpeechSettings({70, 2, ""});
  EXPECT_EQ(LoadSpeechSettings().nVolume, 70);
  ASSERT_TRUE(QDir::setCurrent(cwd.path()));
  EXPECT_EQ(LoadSpeechSettings().nVolume, 30);
}

TEST(SpeechSettingsFile, AStoredVolumeOfZeroMeansNotSetAndLowOnesAreRaised) {
  EXPECT_EQ(EffectiveVolume(0), 50);
  EXPECT_EQ(EffectiveVolume(5), 20);
  EXPECT_EQ(EffectiveVolume(-3), 20);
  EXPECT_EQ(EffectiveVolume(20), 20);
  EXPECT_EQ(EffectiveVolume(150), 150);
}

}  // namespace
