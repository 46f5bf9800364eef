// Start-up and shutdown of the whole program, in the order the user sees it.
#include "app/lexiphonapp.h"
#include "frame/mainframe.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "platform/netstartup.h"
#include "platform/profile.h"
#include "platform/skin.h"
#include "support/appfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>

using testing_support::AppFixture;
using testing_support::MessageBoxWatcher;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

std::vector<int> Ordinals() {
  std::vector<int> out;
  for (const auto& c : platform::SkinCallLog()) out.push_back(c.ordinal);
  return out;
}

class StartupTest : public AppFixture {};

TEST_F(StartupTest, PlainStartShowsTitledFrameWithLastTextAndSkinsInOrder) {
  WriteFileBytes(m_cwd->file("last.txt"), "hello \xC4\xE3\xBA\xC3\r\n");  // 你好
  WriteFileBytes(m_cwd->file("corona.smf"), "LEXIPHON-SKIN 1\n[MainFrame]\nQMainWindow { background: #123456; }\n");
  ASSERT_TRUE(Start());
  ASSERT_NE(Frame(), nullptr);
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_EQ(Frame()->windowTitle(), "Lexiphon");
  EXPECT_EQ(Input()->GetWindowTextBytes(), "hello \xC4\xE3\xBA\xC3\r\n");
  EXPECT_EQ(Result()->GetWindowTextBytes(), "");
  EXPECT_EQ(Doc()->GetTitle(), QStringLiteral("无标题"));
  EXPECT_FALSE(Doc()->IsModified());

  const auto& log = platform::SkinCallLog();
  ASSERT_EQ(Ordinals(), (std::vector<int>{1, 3, 5, 8}));
  EXPECT_EQ(log[0].args, (QStringList{"instance", "0", "0", "0"}));
  EXPECT_EQ(log[1].args, QStringList{"corona.smf"});
  EXPECT_EQ(log[2].args, (QStringList{"MainFrame", "MainFrame"}));
  EXPECT_EQ(log[3].args, QStringList{"Dialog"});
  EXPECT_EQ(app::g_bSkinActive, 1);
  EXPECT_TRUE(Frame()->styleSheet().contains("#123456"));

  Stop();
  EXPECT_EQ(Ordinals(), (std::vector<int>{1, 3, 5, 8, 2}));
  EXPECT_EQ(app::g_bSkinActive, 0);
}

TEST_F(StartupTest, MissingSkinFileStillActivatesAndStopsTheSkin) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(app::g_bSkinActive, 1);
  EXPECT_TRUE(Frame()->styleSheet().isEmpty());
  // No last.txt: an empty one is created and the pane is empty.
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), "");
  EXPECT_EQ(Input()->GetWindowTextBytes(), "");
  Stop();
  EXPECT_EQ(Ordinals().back(), 2);
}

TEST_F(StartupTest, FailedNetworkStartupShowsMessageAndNeverSkins) {
  platform::SetNetStartupForTesting([] { return false; });
  MessageBoxWatcher boxes;
  const bool ok = Start();
  platform::SetNetStartupForTesting(nullptr);
  EXPECT_FALSE(ok);
  ASSERT_EQ(boxes.texts(), QStringList{QStringLiteral("Windows 通信端口初始化失败。")});
  EXPECT_EQ(boxes.boxes()[0].title, "Lexiphon");
  EXPECT_EQ(boxes.boxes()[0].icon, QMessageBox::Warning);
  EXPECT_EQ(Frame(), nullptr);
  EXPECT_EQ(Stop(), 1);
  EXPECT_TRUE(platform::SkinCallLog().empty());
  EXPECT_EQ(app::g_bSkinActive, 0);
}

TEST_F(StartupTest, StoredDocumentOnCommandLineOpensIntoInputPaneNotLastText) {
  WriteFileBytes(m_cwd->file("last.txt"), "autosaved\r\n");
  WriteFileBytes(m_cwd->file("doc.lex"), std::string("abc\x81\x30\xFF", 7) + '\0');
  ASSERT_TRUE(Start({m_cwd->file("doc.lex")}));
  EXPECT_EQ(Input()->GetWindowTextBytes(), std::string("abc\x81\x30\xFF", 7));
  EXPECT_EQ(Doc()->GetTitle(), "doc.lex");
  EXPECT_EQ(Frame()->windowTitle(), "Lexiphon");
  EXPECT_EQ(app::theApp.GetRecentFileList().value(0), m_cwd->file("doc.lex"));
}

TEST_F(StartupTest, BadCommandLineFilesEndCleanlyWithAMessage) {
  QDir(m_cwd->path()).mkdir("folder");
  // Past the load ceiling; sparse, so the test stays cheap.
  {
    QFile huge(m_cwd->file("huge.lex"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize((qint64{64} << 20) + 1));
  }
  const struct {
    QString arg;
    QString message;
  } cases[] = {
      {m_cwd->file("missing.lex"), QStringLiteral("未找到 %1。").arg(m_cwd->file("missing.lex"))},
      {m_cwd->file("folder"), QStringLiteral("%1 是一个文件夹，不是文件。").arg(m_cwd->file("folder"))},
      {m_cwd->file("huge.lex"), QStringLiteral("该文件太大，无法打开。")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg.toStdString());
    platform::ClearSkinCallLog();
    MessageBoxWatcher boxes;
    EXPECT_FALSE(Start({c.arg}));
    EXPECT_EQ(boxes.texts(), QStringList{c.message});
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_EQ(Stop(), 1);
    EXPECT_TRUE(platform::SkinCallLog().empty());
  }
}

TEST_F(StartupTest, SettingsFileThatIsNotARegularFileIsNeitherReadNorReplaced) {
  const QString ini = m_cwd->file("setting.ini");
  const QByteArray native = QFile::encodeName(ini);
  struct stat st {};
  // A FIFO: the start must not wait on it, and a write leaves it be.
  ASSERT_EQ(::mkfifo(native.constData(), 0600), 0);
  ASSERT_TRUE(Start());
  Stop();
  EXPECT_EQ(platform::GetPrivateProfileString("lexiphon", "pos", "none", ini), "none");
  EXPECT_FALSE(platform::WritePrivateProfileString("lexiphon", "pos", "40", ini));
  ASSERT_EQ(::lstat(native.constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_TRUE(QFile::remove(ini));

  // A link to a device is not replaced by a regular file.
  ASSERT_TRUE(QFile::link("/dev/null", ini));
  EXPECT_FALSE(platform::WritePrivateProfileString("lexiphon", "pos", "40", ini));
  EXPECT_EQ(QFileInfo(ini).symLinkTarget(), "/dev/null");
  ASSERT_TRUE(QFile::remove(ini));

  // A link to the user's own file is read and written through, and kept.
  ASSERT_TRUE(QDir(m_cwd->path()).mkdir("conf"));
  const QString real = m_cwd->file("conf/real.ini");
  WriteFileBytes(real, "[lexiphon]\r\npos=40\r\n");
  ASSERT_TRUE(QFile::link(real, ini));
  EXPECT_EQ(platform::GetPrivateProfileString("lexiphon", "pos", "", ini), "40");
  EXPECT_TRUE(platform::WritePrivateProfileString("lexiphon", "rate", "3", ini));
  EXPECT_TRUE(QFileInfo(ini).isSymLink());
  EXPECT_EQ(ReadFileBytes(real), "[lexiphon]\r\npos=40\r\nrate=3\r\n");
}

TEST_F(StartupTest, RecentFileListIsReadAtStartAndWrittenBackAtExit) {
  {
    QSettings profile("Local AppWizard-Generated Applications", "Lexiphon");
    profile.clear();
    profile.setValue("Recent File List/File1", "/old/one.lex");
    profile.setValue("Recent File List/File2", "/old/two.lex");
  }
  WriteFileBytes(m_cwd->file("new.lex"), std::string("x\0", 2));
  ASSERT_TRUE(Start({m_cwd->file("new.lex")}));
  EXPECT_EQ(app::theApp.GetRecentFileList(), (QStringList{m_cwd->file("new.lex"), "/old/one.lex", "/old/two.lex"}));
  Stop();
  QSettings profile("Local AppWizard-Generated Applications", "Lexiphon");
  EXPECT_EQ(profile.value("Recent File List/File1").toString(), m_cwd->file("new.lex"));
  EXPECT_EQ(profile.value("Recent File List/File3").toString(), "/old/two.lex");
  EXPECT_FALSE(profile.contains("Recent File List/File4"));
}

}  // namespace
