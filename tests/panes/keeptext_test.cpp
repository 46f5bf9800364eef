// The user's text survives every way the program can end: long autosaves,
// files it cannot load, signals, a crash, New and Open, odd file types.
#include "app/lexiphonapp.h"
#include "frame/mainframe.h"
#include "framework/editview.h"
#include "framework/fileio.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "panes/recoverycopy.h"
#include "panes/textfile.h"
#include "res/resource.h"
#include "support/appfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::AppFixture;
using testing_support::ModalWatcher;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

class KeepTextTest : public AppFixture {
 protected:
  // Every message box, with whether the main window was on screen under it.
  ModalWatcher WatchBoxes(const QString& button = QStringLiteral("OK")) {
    return ModalWatcher([this, button](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box) return;
      m_texts << box->text();
      m_overWindow << (Frame() && Frame()->isVisible() && box->parentWidget());
      for (QAbstractButton* b : box->buttons())
        if (b->text() == button) {
          b->click();
          return;
        }
      if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
    });
  }
  static bool WaitUntil(const std::function<bool()>& done, int ms = 8000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QTest::qWait(20);
    return done();
  }
  QStringList m_texts;
  QList<bool> m_overWindow;
};

TEST_F(KeepTextTest, LongestTypedTextSurvivesTwoRestartsByteForByte) {
  // What a long paste leaves: the typing limit exactly, no final line end.
  std::string text;
  while (text.size() + 80 < fw::CEditView::kMaxTextBytes) text += std::string(78, 'w') + "\r\n";
  text.resize(fw::CEditView::kMaxTextBytes, 'z');
  WriteFileBytes(m_cwd->file("last.txt"), text);
  const std::string loaded = text + "\r\n";
  for (int run = 0; run < 2; ++run) {
    ModalWatcher boxes = WatchBoxes();
    ASSERT_TRUE(Start());
    EXPECT_EQ(boxes.seen(), 0) << m_texts.join('\n').toStdString();
    EXPECT_EQ(Input()->GetTextByteLength(), loaded.size());
    Stop();
    ASSERT_EQ(ReadFileBytes(m_cwd->file("last.txt")), loaded) << "run " << run;
  }
}

TEST_F(KeepTextTest, UnloadableLastTextIsNamedOverTheWindowAndNeverReplaced) {
  const QString last = m_cwd->file("last.txt");
  const QString full = QFileInfo(last).absoluteFilePath();
  const auto check = [&](const char* what) {
    m_texts.clear();
    m_overWindow.clear();
    {
      ModalWatcher boxes = WatchBoxes(QStringLiteral("退出"));
      ASSERT_TRUE(Start()) << what;
      ASSERT_EQ(m_texts.size(), 1) << what;
      EXPECT_TRUE(m_texts[0].contains(full)) << what << ": " << m_texts[0].toStdString();
      EXPECT_TRUE(m_overWindow[0]) << what;
      // Typed text cannot go to last.txt: the close asks, the answer is 退出.
      QTest::keyClicks(Input(), "new words");
      Stop();
      EXPECT_EQ(m_texts.size(), 2) << what;
    }
  };

  // Too large for memory (sparse, so no disk is used).
  {
    QFile f(last);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(qint64(fw::CEditView::kMaxLoadBytes) + 1));
  }
  check("too large");
  EXPECT_EQ(QFileInfo(last).size(), qint64(fw::CEditView::kMaxLoadBytes) + 1);
  ASSERT_TRUE(QFile::remove(last));

  // A FIFO: start-up must neither hang nor replace it.
  ASSERT_EQ(::mkfifo(QFile::encodeName(last).constData(), 0600), 0);
  check("fifo");
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(last).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_TRUE(QFile::remove(last));

  // A link to a FIFO elsewhere is no better.
  const QString fifo = m_cwd->file("pipe");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(fifo, last));
  check("link to fifo");
  EXPECT_TRUE(QFileInfo(last).isSymLink());
  ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(KeepTextTest, LinkToTheUsersOwnFileIsWrittenThroughAndKept) {
  QDir(m_cwd->path()).mkdir("notes");
  const QString target = m_cwd->file("notes/real.txt");
  WriteFileBytes(target, "old\r\n");
  ASSERT_TRUE(QFile::link(target, m_cwd->file("last.txt")));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Input()->GetWindowTextBytes(), "old\r\n");
  QTest::keyClicks(Input(), "more ");
  Stop();
  EXPECT_TRUE(QFileInfo(m_cwd->file("last.txt")).isSymLink());
  EXPECT_EQ(ReadFileBytes(target), "more old\r\n");
}

TEST_F(KeepTextTest, PlantedLinkToSomeoneElsesFileIsNeitherShownNorOverwritten) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a link owned by another user needs root";
  const QString target = m_cwd->file("victim");
  WriteFileBytes(target, "secret\n");
  const QString last = m_cwd->file("last.txt");
  ASSERT_TRUE(QFile::link(target, last));
  ASSERT_EQ(::lchown(QFile::encodeName(last).constData(), 65534, 65534), 0);
  ModalWatcher boxes = WatchBoxes(QStringLiteral("退出"));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Input()->GetWindowTextBytes(), "");
  QTest::keyClicks(Input(), "x");
  Stop();
  EXPECT_EQ(ReadFileBytes(target), "secret\n");
}

TEST_F(KeepTextTest, TermHangUpAndInterruptSaveTypedTextAsACloseDoes) {
  for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
    WriteFileBytes(m_cwd->file("last.txt"), "before\r\n");
    ASSERT_TRUE(Start());
    QTest::keyClicks(Input(), "typed ");
    ::raise(sig);
    ASSERT_TRUE(WaitUntil([] { return app::theApp.GetMainWnd() == nullptr; })) << sig;
    EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), "typed before\r\n") << sig;
    Stop();
  }
}

TEST_F(KeepTextTest, FileSizeLimitFailsTheWriteInsteadOfKillingTheClose) {
  // The limit alone, without the test's own SIG_IGN: the program must
  // ignore SIGXFSZ itself.
  std::signal(SIGXFSZ, SIG_DFL);
  WriteFileBytes(m_cwd->file("last.txt"), "yesterday\r\n");
  ASSERT_TRUE(Start());
  Input()->SetWindowTextBytes(std::string(100000, 't'));
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  {
    ModalWatcher back = testing_support::AnswerDialogs({}, nullptr, "返回");
    Frame()->close();
    testing_support::ProcessDeferred();
    EXPECT_EQ(back.seen(), 1);
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), "yesterday\r\n");
  ASSERT_NE(app::theApp.GetMainWnd(), nullptr);
}

TEST_F(KeepTextTest, CrashLeavesARecoveryCopyThatIsOfferedOnce) {
  WriteFileBytes(m_cwd->file("last.txt"), "saved\r\n");
  ASSERT_TRUE(Start());
  Frame()->m_pRecovery->SetDelay(50);
  QTest::keyClicks(Input(), "unsaved ");
  const QString copy = panes::CRecoveryCopy::FilePath();
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(copy); }));
  EXPECT_EQ(ReadFileBytes(copy), "unsaved saved\r\n");
  EXPECT_FALSE(copy.startsWith(m_cwd->path()));
  // A crash leaves the copy and an old last.txt: keep the copy through a
  // close, which removes it.
  const std::string left = ReadFileBytes(copy);
  Stop();
  EXPECT_FALSE(QFile::exists(copy));
  WriteFileBytes(m_cwd->file("last.txt"), "saved\r\n");
  WriteFileBytes(copy, left);

  {
    ModalWatcher boxes = WatchBoxes(QStringLiteral("恢复"));
    ASSERT_TRUE(Start());
    ASSERT_EQ(boxes.seen(), 1);
    EXPECT_TRUE(m_overWindow[0]);
  }
  EXPECT_EQ(Input()->GetWindowTextBytes(), left);
  // Restored text is unsaved text: the close keeps it.
  Stop();
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), left);
  EXPECT_FALSE(QFile::exists(copy));

  // Declined: the autosaved text stays and the copy is gone for good.
  WriteFileBytes(copy, "other words");
  {
    ModalWatcher boxes = WatchBoxes(QStringLiteral("放弃"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(boxes.seen(), 1);
  }
  EXPECT_EQ(Input()->GetWindowTextBytes(), left);
  EXPECT_FALSE(QFile::exists(copy));
  Stop();
  EXPECT_EQ(QDir(m_cwd->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"last.txt"});
}

TEST_F(KeepTextTest, UndoRightAfterNewOrOpenBringsTheReplacedTextBack) {
  WriteFileBytes(m_cwd->file("last.txt"), "autosaved");
  WriteFileBytes(m_cwd->file("other.txt"), "opened");
  ASSERT_TRUE(Start());
  const std::string start = Input()->GetWindowTextBytes();
  QTest::keyClicks(Input(), "an hour of typing ");
  const std::string typed = Input()->GetWindowTextBytes();

  Frame()->SendCommand(res::ID_FILE_NEW);
  EXPECT_EQ(Input()->GetWindowTextBytes(), start);
  Frame()->SendCommand(res::ID_EDIT_UNDO);
  EXPECT_EQ(Input()->GetWindowTextBytes(), typed);

  {
    ModalWatcher answer = testing_support::AnswerDialogs(m_cwd->file("other.txt"));
    Frame()->SendCommand(res::ID_FILE_OPEN);
  }
  EXPECT_EQ(Input()->GetWindowTextBytes(), "opened\r\n");
  Frame()->SendCommand(res::ID_EDIT_UNDO);
  EXPECT_EQ(Input()->GetWindowTextBytes(), typed);

  // The framework's New (result pane active) empties and reloads: still one step.
  Frame()->m_wndSplitter.SetActivePane(0, 1);
  Frame()->SendCommand(res::ID_FILE_NEW);
  EXPECT_EQ(Input()->GetWindowTextBytes(), start);
  Frame()->m_wndSplitter.SetActivePane(0, 0);
  Frame()->SendCommand(res::ID_EDIT_UNDO);
  EXPECT_EQ(Input()->GetWindowTextBytes(), typed);
}

}  // namespace

namespace {

class EncodingTest : public AppFixture {};

TEST_F(EncodingTest, Utf8FileOpensAsItsCharactersAndSaveAsWritesTheSameBytes) {
  // 中文 in UTF-8, then with a BOM, then with LF line ends.
  for (const std::string& file : {std::string("\xE4\xB8\xAD\xE6\x96\x87 ok\r\n"),
                                  std::string("\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87\r\n"),
                                  std::string("\xE4\xB8\xAD\xE6\x96\x87\nsecond\n")}) {
    WriteFileBytes(m_cwd->file("in.txt"), file);
    ASSERT_TRUE(Start());
    {
      ModalWatcher answer = testing_support::AnswerDialogs(m_cwd->file("in.txt"));
      Frame()->SendCommand(res::ID_FILE_OPEN);
    }
    EXPECT_TRUE(Input()->GetWindowTextBytes().starts_with("\xD6\xD0\xCE\xC4"));  // 中文 in GB18030
    {
      ModalWatcher answer = testing_support::AnswerDialogs(m_cwd->file("out.txt"));
      Frame()->SendCommand(res::ID_FILE_SAVE_AS);
    }
    EXPECT_EQ(ReadFileBytes(m_cwd->file("out.txt")), file);
    QFile::remove(m_cwd->file("out.txt"));
    Stop();
  }
}

TEST_F(EncodingTest, Utf16WithBomIsReadAndOtherBytesPassUnchanged) {
  WriteFileBytes(m_cwd->file("wide.txt"), std::string("\xFF\xFE\x2D\x4E\x0D\x00\x0A\x00", 8));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Input()->ReadTextIntoPane(m_cwd->file("wide.txt")));
  EXPECT_EQ(Input()->GetWindowTextBytes(), "\xD6\xD0\r\n");
  // GBK bytes that happen not to be UTF-8, a broken UTF-8 tail, and ASCII:
  // all GB18030, byte for byte.
  for (const std::string& bytes : {std::string("\xD6\xD0\xCE\xC4\r\n"), std::string("\xE4\xB8\r\n"),
                                   std::string("plain\r\n")}) {
    WriteFileBytes(m_cwd->file("gb.txt"), bytes);
    EXPECT_TRUE(Input()->ReadTextIntoPane(m_cwd->file("gb.txt")));
    EXPECT_EQ(Input()->GetWindowTextBytes(), bytes);
  }
}

TEST_F(EncodingTest, Utf16ThatWouldNotComeBackIsKeptByteForByte) {
  // A lone surrogate, and an odd last byte.
  for (const std::string& raw : {std::string("\xFF\xFE\x00\xD8" "A\x00", 6), std::string("\xFF\xFE" "A\x00" "B", 5)}) {
    EXPECT_EQ(panes::DetectTextFormat(raw).encoding, panes::TextEncoding::gb18030);
  }
  const std::string good("\xFE\xFF\x4E\x2D\x00\x0A", 6);
  const panes::TextFormat format = panes::DetectTextFormat(good);
  EXPECT_EQ(format.encoding, panes::TextEncoding::utf16be);
  EXPECT_TRUE(format.lfLines);
  EXPECT_EQ(panes::FileToPane(good, format), "\xD6\xD0\r\n");
  EXPECT_EQ(panes::PaneToFile("\xD6\xD0\r\n", format), good);
}

TEST_F(EncodingTest, TextFileOpenedAsADocumentIsStoredBackAsText) {
  // What the file manager hands over: a UTF-8 file with LF line ends.
  const QString path = m_cwd->file("plain.txt");
  WriteFileBytes(path, "\xE4\xB8\xAD one\nline two\n");
  ASSERT_TRUE(Start({path}));
  EXPECT_EQ(Input()->GetWindowTextBytes(), "\xD6\xD0 one\r\nline two\r\n");
  QTest::keyClick(Input(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(Input(), "end");
  QTest::keyClick(Input(), Qt::Key_Return);
  {
    ModalWatcher none = testing_support::AnswerDialogs(QString());
    Frame()->SendCommand(res::ID_FILE_SAVE);
    EXPECT_EQ(none.seen(), 0);
  }
  EXPECT_EQ(ReadFileBytes(path), "\xE4\xB8\xAD one\nline two\nend\n");
  // Save As from the pane keeps that form too.
  {
    ModalWatcher answer = testing_support::AnswerDialogs(m_cwd->file("copy.txt"));
    Frame()->SendCommand(res::ID_FILE_SAVE_AS);
  }
  EXPECT_EQ(ReadFileBytes(m_cwd->file("copy.txt")), ReadFileBytes(path));
  Stop();

  // A stored document keeps its form: text, then the single 0x00.
  const QString doc = m_cwd->file("stored.lex");
  WriteFileBytes(doc, std::string("a\nb\0", 4));
  ASSERT_TRUE(Start({doc}));
  QTest::keyClick(Input(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(Input(), Qt::Key_Return);
  Frame()->SendCommand(res::ID_FILE_SAVE);
  EXPECT_EQ(ReadFileBytes(doc), std::string("a\nb\r\n\0", 6));
}

TEST_F(EncodingTest, FileDialogsStartInTheFolderLastUsedNeverTheWorkingFolder) {
  ASSERT_TRUE(Start());
  app::theApp.OpenProfile()->remove("Settings/Last Folder");
  const QString working = QDir::currentPath();
  QStringList starts;
  const auto answer = [&](const QString& path) {
    return ModalWatcher([&starts, path](QWidget* w) {
      auto* dlg = qobject_cast<QFileDialog*>(w);
      if (!dlg) return;
      starts << QFileInfo(dlg->directory().absolutePath()).canonicalFilePath();
      if (path.isEmpty()) {
        dlg->reject();
        return;
      }
      dlg->selectFile(path);
      QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
    });
  };
  ASSERT_TRUE(QDir(m_cwd->path()).mkdir("elsewhere"));
  const QString elsewhere = QFileInfo(m_cwd->file("elsewhere")).canonicalFilePath();
  WriteFileBytes(m_cwd->file("elsewhere/a.txt"), "a\r\n");
  {
    ModalWatcher w = answer(m_cwd->file("elsewhere/a.txt"));
    Frame()->SendCommand(res::ID_FILE_OPEN);
    ASSERT_TRUE(w.waitFor(1));
  }
  {
    ModalWatcher w = answer(QString());
    Frame()->SendCommand(res::ID_FILE_SAVE_AS);
    ASSERT_TRUE(w.waitFor(1));
  }
  Stop();
  ASSERT_TRUE(Start());
  {
    ModalWatcher w = answer(QString());
    Frame()->SetActiveView(Result());
    Frame()->SendCommand(res::ID_FILE_OPEN);
    ASSERT_TRUE(w.waitFor(1));
  }
  ASSERT_EQ(starts.size(), 3);
  // First the documents folder (or home), then where the file was opened.
  EXPECT_NE(starts[0], QFileInfo(working).canonicalFilePath());
  EXPECT_TRUE(starts[0] == QFileInfo(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).canonicalFilePath() ||
              starts[0] == QFileInfo(QDir::homePath()).canonicalFilePath());
  EXPECT_EQ(starts[1], elsewhere);
  EXPECT_EQ(starts[2], elsewhere);
  EXPECT_EQ(QDir::currentPath(), working);
}

TEST_F(EncodingTest, AllFilesFilterListsNamesWithoutADot) {
  ASSERT_TRUE(Start());
  WriteFileBytes(m_cwd->file("README"), "x");
  WriteFileBytes(m_cwd->file("notes.txt"), "x");
  // The framework's Open, reached from the result pane.
  Frame()->SetActiveView(Result());
  QString shown;
  bool readmeEnabled = false, txtEnabled = false;
  {
    ModalWatcher look([&](QWidget* w) {
      auto* dlg = qobject_cast<QFileDialog*>(w);
      if (!dlg) return;
      if (auto* types = dlg->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) shown = types->itemText(0);
      dlg->setDirectory(m_cwd->path());
      // Files the filter does not match are listed greyed out.
      if (auto* model = dlg->findChild<QFileSystemModel*>()) {
        readmeEnabled = model->flags(model->index(m_cwd->file("README"))).testFlag(Qt::ItemIsEnabled);
        txtEnabled = model->flags(model->index(m_cwd->file("notes.txt"))).testFlag(Qt::ItemIsEnabled);
      }
      dlg->reject();
    });
    Frame()->SendCommand(res::ID_FILE_OPEN);
    EXPECT_EQ(look.seen(), 1);
  }
  EXPECT_EQ(shown, "所有文件 (*.*)");
  EXPECT_TRUE(readmeEnabled);
  EXPECT_TRUE(txtEnabled);
}

}  // namespace
