// INI files: lookups by case-insensitive names, writes that touch one line.
#include "platform/profile.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using testing_support::ReadFileBytes;
using testing_support::ScopedTempCwd;
using testing_support::WriteFileBytes;

namespace {

TEST(PrivateProfile, ReadsByCaseInsensitiveNamesWithDefaultsAndTheBufferCut) {
  ScopedTempCwd cwd;
  const QString ini = cwd.file("setting.ini");
  EXPECT_EQ(platform::GetPrivateProfileString("lexiphon", "pos", "", ini), "");
  WriteFileBytes(ini, "; comment\r\n[Other]\r\npos=1\r\n[ LEXIPHON ]\r\n  Pos = 42xyz \r\nrate=\"-3\"\r\n[x]\nlong=" +
                          std::string(100, 'L') + "\n");
  EXPECT_EQ(platform::GetPrivateProfileString("lexiphon", "POS", "", ini), "42xyz");
  EXPECT_EQ(platform::GetPrivateProfileString("lexiphon", "rate", "", ini), "-3");
  EXPECT_EQ(platform::GetPrivateProfileString("lexiphon", "none", "dflt", ini), "dflt");
  EXPECT_EQ(platform::GetPrivateProfileString("missing", "pos", "d", ini), "d");
  EXPECT_EQ(platform::GetPrivateProfileString("x", "long", "", ini).size(), 79u);
}

TEST(PrivateProfile, WritesChangeOneLineAndKeepEverythingElse) {
  ScopedTempCwd cwd;
  const QString ini = cwd.file("setting.ini");
  ASSERT_TRUE(platform::WritePrivateProfileString("lexiphon", "pos", "50", ini));
  ASSERT_TRUE(platform::WritePrivateProfileString("lexiphon", "rate", "-2", ini));
  EXPECT_EQ(ReadFileBytes(ini), "[lexiphon]\r\npos=50\r\nrate=-2\r\n");

  WriteFileBytes(ini, "# mine\n[translate]\nhost=example.org:8080\n\n[LexiPhon]\n; keep\nPOS=7\n\n[z]\nk=v");
  ASSERT_TRUE(platform::WritePrivateProfileString("lexiphon", "pos", "80", ini));
  ASSERT_TRUE(platform::WritePrivateProfileString("lexiphon", "rate", "3", ini));
  ASSERT_TRUE(platform::WritePrivateProfileString("z", "new", "1", ini));
  EXPECT_EQ(ReadFileBytes(ini),
            "# mine\n[translate]\nhost=example.org:8080\n\n[LexiPhon]\n; keep\npos=80\nrate=3\r\n\n[z]\nk=v\r\nnew=1\r\n");
  EXPECT_EQ(platform::GetPrivateProfileString("translate", "host", "", ini), "example.org:8080");
}

TEST(PrivateProfile, AFileThatCannotBeReadWholeIsNeverRewritten) {
  ScopedTempCwd cwd;
  const QString ini = cwd.file("setting.ini");
  // Beyond what a read takes in: rewriting from the part read would lose the
  // tail (the user's other sections).
  const std::string big = "[other]\r\nk=" + std::string(16 << 20, 'x') + "\r\n[tail]\r\nkeep=1\r\n";
  WriteFileBytes(ini, big);
  EXPECT_FALSE(platform::WritePrivateProfileString("lexiphon", "pos", "50", ini));
  EXPECT_EQ(ReadFileBytes(ini), big);
  // A folder in the file's place cannot be read either.
  const QString folder = cwd.file("folder.ini");
  ASSERT_TRUE(QDir().mkdir(folder));
  EXPECT_FALSE(platform::WritePrivateProfileString("lexiphon", "pos", "50", folder));
  EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(DecimalToInt, FollowsTheCLibraryRule) {
  EXPECT_EQ(platform::DecimalToInt("abc"), 0);
  EXPECT_EQ(platform::DecimalToInt("42xyz"), 42);
  EXPECT_EQ(platform::DecimalToInt("  -10"), -10);
  EXPECT_EQ(platform::DecimalToInt("+7"), 7);
  EXPECT_EQ(platform::DecimalToInt(""), 0);
  EXPECT_EQ(platform::DecimalToInt("- 5"), 0);
  EXPECT_EQ(platform::DecimalToInt("99999999999"), INT_MAX);
  EXPECT_EQ(platform::DecimalToInt("-99999999999"), INT_MIN);
}

}  // namespace
