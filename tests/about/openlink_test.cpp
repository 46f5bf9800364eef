// Opening a link: the desktop's opener and its exit codes, then the fallback
// that starts the registered browser from a command line cut at its
// placeholder, with fake openers and browsers that record their arguments.
#include "about/linklabel.h"
#include "fakeprogram.h"
#include "platform/shellopen.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using about::CLinkLabel;
using about_test::RecordedArgv;
using about_test::WriteRecorder;

namespace {

// Characters a shell would act on, and a space: all must reach the browser
// as one argument.
const QString kTarget = QStringLiteral("https://example.org/a b?q=1&r=$(touch pwned);`id`|x");

class OpenLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_strProgram = m_dir.filePath(QStringLiteral("fake browser/browser"));
    ASSERT_TRUE(WriteRecorder(m_strProgram));
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    m_oldBrowser = qgetenv("BROWSER");
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    qunsetenv("BROWSER");
    // The desktop cannot open anything, so every open falls back.
    platform::SetShellOpenerForTesting([](const QString&) { return platform::SE_ERR_NOASSOC; });
    platform::SetBrowserSettingForTesting([this] { return m_strSetting; });
  }

  void TearDown() override {
    platform::SetShellOpenerForTesting(nullptr);
    platform::SetBrowserSettingForTesting(nullptr);
    qputenv("XDG_DATA_HOME", m_oldDataHome);
    if (m_oldBrowser.isNull())
      qunsetenv("BROWSER");
    else
      qputenv("BROWSER", m_oldBrowser);
  }

  void WriteEntry(const QString& id, const QString& exec) {
    const QString dir = m_dir.filePath(QStringLiteral("data/applications"));
    QDir().mkpath(dir);
    QFile file(dir + u'/' + id);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=Fake\nExec=" + exec.toUtf8() + "\n");
  }

  QString BrowserDir() const { return QFileInfo(m_strProgram).path(); }
  QString Quoted() const { return u'"' + m_strProgram + u'"'; }

  QTemporaryDir m_dir;
  QString m_strProgram;
  QString m_strSetting;
  QByteArray m_oldDataHome;
  QByteArray m_oldBrowser;
  CLinkLabel m_link;
};

struct CutCase {
  const char* name;
  const char* afterProgram;  // the Exec line after the quoted program path
  QStringList expected;      // the browser's arguments before the target
};

class OpenLinkCutTest : public OpenLinkTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(OpenLinkCutTest, StartsTheRegisteredBrowserWithTheCutCommandAndTheTarget) {
  m_strSetting = QStringLiteral("lexfake.desktop");
  WriteEntry(m_strSetting, Quoted() + QString::fromUtf8(GetParam().afterProgram));

  EXPECT_GT(m_link.OpenLink(kTarget, platform::SW_SHOW), 32);
  const auto argv = RecordedArgv(BrowserDir());
  ASSERT_TRUE(argv);
  EXPECT_EQ(*argv, GetParam().expected + QStringList{kTarget});
}

INSTANTIATE_TEST_SUITE_P(Placeholders, OpenLinkCutTest,
                         ::testing::Values(
                             // Cut at the opening quote; the words after it are dropped.
                             CutCase{"Quoted", " --new-window \"%u\" --extra words", {"--new-window"}},
                             // A quoted one wins over an earlier bare one.
                             CutCase{"QuotedAfterBare", " -a %U \"%u\" tail", {"-a", "%U"}},
                             CutCase{"Bare", " -a %U -b", {"-a"}},
                             // Field codes that do not stand for the target vanish; "%%" is one percent sign.
                             CutCase{"None", " --private %i --rate=100%%", {"--private", "--rate=100%"}}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(OpenLinkTest, BrowserVariableIsTheFallbackOfTheSetting) {
  // No setting: the first $BROWSER command whose program exists, cut at %s.
  qputenv("BROWSER", ("/no/such/browser %s:'" + m_strProgram + "' --tab %s --gone").toLocal8Bit());
  EXPECT_EQ(m_link.OpenLink(QStringLiteral("-rf"), platform::SW_SHOW), platform::kWinExecOk);
  auto argv = RecordedArgv(BrowserDir());
  ASSERT_TRUE(argv);
  // A target is never taken for an option.
  EXPECT_EQ(*argv, (QStringList{"--tab", "./-rf"}));

  // A setting whose entry is too long to trust gives way to $BROWSER too.
  QFile::remove(BrowserDir() + "/argv");
  m_strSetting = QStringLiteral("long.desktop");
  WriteEntry(m_strSetting, Quoted() + " " + QString(platform::kMaxAssocValueChars, u'x') + " %u");
  EXPECT_EQ(m_link.OpenLink(kTarget, platform::SW_SHOW), platform::kWinExecOk);
  argv = RecordedArgv(BrowserDir());
  ASSERT_TRUE(argv);
  EXPECT_EQ(*argv, (QStringList{"--tab", kTarget}));
}

TEST_F(OpenLinkTest, UnusableSettingsAreNeverRunAndTheDesktopsCodeIsReturned) {
  // Each names something that, used as a command, would start the browser.
  WriteEntry(QStringLiteral("long.desktop"), Quoted() + " " + QString(platform::kMaxAssocValueChars, u'x'));
  WriteEntry(QStringLiteral("noexec.desktop"), QString());
  QDir().mkpath(m_dir.filePath(QStringLiteral("data/applications/sub")));
  WriteEntry(QStringLiteral("../../evil.desktop"), Quoted() + " %u");
  for (const QString& setting :
       {QStringLiteral("sub/../../../evil.desktop"), QStringLiteral("missing.desktop"),
        QStringLiteral("long.desktop"), QStringLiteral("noexec.desktop"),
        QString(300, u'a') + QStringLiteral(".desktop")}) {
    SCOPED_TRACE(setting.left(40).toStdString());
    m_strSetting = setting;
    EXPECT_EQ(m_link.OpenLink(kTarget, platform::SW_SHOW), platform::SE_ERR_NOASSOC);
  }
}

TEST_F(OpenLinkTest, StarterCodesSayWhyNothingStarted) {
  m_strSetting = QStringLiteral("lexfake.desktop");
  QFile plain(m_dir.filePath(QStringLiteral("plain.txt")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  const struct {
    QString exec;
    int code;
  } cases[] = {
      {QStringLiteral("\"%1\" %u").arg(m_dir.filePath("nobrowser")), platform::ERROR_FILE_NOT_FOUND},
      {QStringLiteral("\"%1\" %u").arg(m_dir.filePath("nodir/browser")), platform::ERROR_PATH_NOT_FOUND},
      {QStringLiteral("\"%1\" %u").arg(plain.fileName()), platform::SE_ERR_ACCESSDENIED},
      {QStringLiteral("no-such-browser-anywhere %u"), platform::ERROR_FILE_NOT_FOUND},
      {Quoted() + " \"%u", platform::ERROR_BAD_FORMAT},  // a quote left open
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exec.toStdString());
    WriteEntry(m_strSetting, c.exec);
    EXPECT_EQ(m_link.OpenLink(kTarget, platform::SW_SHOW), c.code);
  }
  // Beyond what one argument may hold: refused before anything starts.
  WriteEntry(m_strSetting, Quoted() + " %u");
  EXPECT_EQ(m_link.OpenLink(QString(200000, u'a'), platform::SW_SHOW), platform::ERROR_OUT_OF_RESOURCES);
}

TEST_F(OpenLinkTest, OpenerExitCodesMapOntoTheShellsTable) {
  const QString opener = m_dir.filePath(QStringLiteral("opener/xdg-open"));
  const struct {
    int exitCode;
    int expected;
  } cases[] = {{0, platform::kShellOpenOk},           {1, platform::ERROR_FILE_NOT_FOUND},
               {2, platform::ERROR_FILE_NOT_FOUND},   {3, platform::SE_ERR_NOASSOC},
               {4, platform::SE_ERR_ASSOCINCOMPLETE}, {5, platform::SE_ERR_ACCESSDENIED}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exitCode);
    ASSERT_TRUE(WriteRecorder(opener, "exit " + QByteArray::number(c.exitCode) + "\n"));
    EXPECT_EQ(platform::RunOpener(opener, kTarget, 10000), c.expected);
    const auto argv = RecordedArgv(QFileInfo(opener).path());
    ASSERT_TRUE(argv);
    EXPECT_EQ(*argv, QStringList{kTarget});
  }
  ASSERT_TRUE(WriteRecorder(opener, "kill -9 $$\n"));
  EXPECT_EQ(platform::RunOpener(opener, kTarget, 10000), platform::SE_ERR_ASSOCINCOMPLETE);
  EXPECT_EQ(platform::RunOpener(m_dir.filePath("no-opener"), kTarget, 10000), platform::SE_ERR_NOASSOC);
}

TEST(CommandLineTest, DesktopExecLinesAndCommandsSplitIntoArguments) {
  const QByteArray entry =
      "[Other]\nExec=wrong\n"
      "[Desktop Entry]\n# comment\nName=X\n"
      "Exec = \"/opt/my app/run\" --name=%c \"a\\\\\"b\" \\s--icon-less %i 50%% %u\n"
      "[Desktop Action new]\nExec=other\n";
  const QString exec = platform::DesktopEntryExec(entry);
  EXPECT_EQ(exec, QStringLiteral("\"/opt/my app/run\" --name= \"a\\\"b\"  --icon-less  50%% %u"));
  const auto argv = platform::SplitCommandLine(platform::CutAtPlaceholder(exec));
  ASSERT_TRUE(argv);
  EXPECT_EQ(*argv, (QStringList{"/opt/my app/run", "--name=", "a\"b", "--icon-less", "50%"}));

  EXPECT_EQ(platform::SplitCommandLine(QStringLiteral("a\\ b 'c \"d' \"\" e")),
            (QStringList{"a b", "c \"d", "", "e"}));
  EXPECT_FALSE(platform::SplitCommandLine(QStringLiteral("prog 'open")));
  EXPECT_EQ(platform::DesktopEntryExec("[Desktop Entry]\nName=NoExec\n"), QString());
}

}  // namespace
