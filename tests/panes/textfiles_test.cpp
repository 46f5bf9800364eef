// Open, Save As, New and the autosave to last.txt, byte for byte on real
// files; every failure keeps the user's text somewhere.
#include "app/lexiphonapp.h"
#include "res/resource.h"
#include "frame/mainframe.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "support/appfixture.h"

#include <QDir>
#include <QInputMethodEvent>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>


using testing_support::AppFixture;
using testing_support::MessageBoxWatcher;
using testing_support::ModalWatcher;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

class TextFilesTest : public AppFixture {};

TEST_F(TextFilesTest, LastTextGetsLineEndsAtStartAndGoesBackByteForByteAtClose) {
  WriteFileBytes(m_cwd->file("last.txt"), "a\r\nb");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Input()->GetWindowTextBytes(), "a\r\nb\r\n");
  Stop();
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), "a\r\nb\r\n");
}

TEST_F(TextFilesTest, TextOutsideGbkAndInvalidBytesSurviveCloseAndRestart) {
  // 😀 and € exist only in GB18030's 4-byte and extended ranges; 0x80 and a
  // truncated lead byte are not text at all.
  const std::string text = std::string("\x94\x39\xFC\x36 \xA2\xE3 x\x80y\x81\r\n", 14);
  WriteFileBytes(m_cwd->file("last.txt"), text);
  ASSERT_TRUE(Start());
  // Typed through the input method, as Chinese is.
  QInputMethodEvent ime;
  ime.setCommitString(QStringLiteral("我😀"));
  QCoreApplication::sendEvent(Input(), &ime);
  const std::string shown = Input()->GetWindowTextBytes();
  EXPECT_EQ(shown, std::string("\xCE\xD2\x94\x39\xFC\x36", 6) + text);
  Stop();
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), shown);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Input()->GetWindowTextBytes(), shown);
}

TEST_F(TextFilesTest, OpenReadsTextModeAndNeverMovesTheCurrentFolder) {
  ASSERT_TRUE(Start());
  Result()->SetWindowTextBytes("result stays");
  QDir(m_cwd->path()).mkdir("elsewhere");
  const QString other = m_cwd->file("elsewhere/lf.txt");
  WriteFileBytes(other, "x\ny\n");
  testing_support::SeenFileDialog seen;
  {
    ModalWatcher answer = testing_support::AnswerDialogs(other, &seen);
    Frame()->SendCommand(res::ID_FILE_OPEN);
    EXPECT_EQ(answer.seen(), 1);
  }
  EXPECT_EQ(seen.title, "打开");
  EXPECT_EQ(seen.filters, QStringList{"文本文件   (*.txt)"});
  EXPECT_EQ(Input()->GetWindowTextBytes(), "x\r\ny\r\n");
  EXPECT_EQ(Result()->GetWindowTextBytes(), "result stays");
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_EQ(QDir::currentPath(), m_cwd->path());

  WriteFileBytes(other, "ab\x1A" "cd");
  ModalWatcher again = testing_support::AnswerDialogs(other);
  Frame()->SendCommand(res::ID_FILE_OPEN);
  EXPECT_EQ(Input()->GetWindowTextBytes(), "ab\r\n");
  Stop();
  // The autosave stays where the program started.
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), "ab\r\n");
  EXPECT_FALSE(QFile::exists(m_cwd->file("elsewhere/last.txt")));
}

TEST_F(TextFilesTest, OpenFailuresSayWhyAndLeaveThePane) {
  ASSERT_TRUE(Start());
  Input()->SetWindowTextBytes("precious");
  QFile big(m_cwd->file("big.txt"));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(qint64(fw::CEditView::kMaxLoadBytes) + 1));
  big.close();
  MessageBoxWatcher boxes;
  EXPECT_FALSE(Input()->ReadTextIntoPane(m_cwd->file("big.txt")));
  EXPECT_FALSE(Input()->ReadTextIntoPane(m_cwd->path()));
  EXPECT_EQ(boxes.texts(), (QStringList{"该文件太大，无法打开。",
                                        QStringLiteral("%1 是一个文件夹，不是文件。").arg(m_cwd->path())}));
  EXPECT_EQ(Input()->GetWindowTextBytes(), "precious");
}

TEST_F(TextFilesTest, SaveAsWritesExactBytesReplacesWholeFilesAndAddsTxt) {
  ASSERT_TRUE(Start());
  Input()->SetWindowTextBytes("short\r\n\xD6\xD0");
  WriteFileBytes(m_cwd->file("old.txt"), std::string(5000, 'o'));
  testing_support::SeenFileDialog seen;
  {
    ModalWatcher answer = testing_support::AnswerDialogs(m_cwd->file("old.txt"), &seen);
    Frame()->SendCommand(res::ID_FILE_SAVE_AS);
    ASSERT_EQ(answer.seen(), 2);  // the dialog and its "replace it?" question
  }
  EXPECT_EQ(seen.title, "另存为");
  EXPECT_EQ(seen.suffix, "txt");
  EXPECT_TRUE(seen.confirmsOverwrite);
  EXPECT_EQ(ReadFileBytes(m_cwd->file("old.txt")), "short\r\n\xD6\xD0");  // no 0x00, nothing left over

  ModalWatcher named = testing_support::AnswerDialogs(m_cwd->file("plain"));
  Frame()->SendCommand(res::ID_FILE_SAVE_AS);
  EXPECT_EQ(ReadFileBytes(m_cwd->file("plain.txt")), "short\r\n\xD6\xD0");
  // Save As of the pane touches neither the document's name nor its flag.
  EXPECT_TRUE(Doc()->GetPathName().isEmpty());
  EXPECT_FALSE(Doc()->IsModified());
}

TEST_F(TextFilesTest, NewFromTheInputPaneReloadsLastTextWithoutAQuestion) {
  WriteFileBytes(m_cwd->file("last.txt"), "one");
  ASSERT_TRUE(Start());
  QTest::keyClicks(Input(), "typed ");
  Result()->SetWindowTextBytes("kept");
  WriteFileBytes(m_cwd->file("last.txt"), "two\n");
  MessageBoxWatcher boxes;
  Frame()->SendCommand(res::ID_FILE_NEW);
  EXPECT_TRUE(boxes.texts().isEmpty());
  EXPECT_EQ(Input()->GetWindowTextBytes(), "two\r\n");
  EXPECT_EQ(Result()->GetWindowTextBytes(), "kept");
  // The document is left alone: still modified by the typing.
  EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(TextFilesTest, CloseThatCannotSaveAsksAndKeepsTheOldFile) {
  ASSERT_TRUE(Start());
  Input()->SetWindowTextBytes("unsaved words");
  // The name is taken by a folder: going back keeps the window and the text.
  ASSERT_TRUE(QFile::remove(m_cwd->file("last.txt")));
  ASSERT_TRUE(QDir(m_cwd->path()).mkdir("last.txt"));
  {
    ModalWatcher back = testing_support::AnswerDialogs({}, nullptr, "返回");
    Frame()->close();
    testing_support::ProcessDeferred();
    EXPECT_EQ(back.seen(), 1);
  }
  ASSERT_NE(app::theApp.GetMainWnd(), nullptr);
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_EQ(Input()->GetWindowTextBytes(), "unsaved words");
  {
    ModalWatcher quit = testing_support::AnswerDialogs({}, nullptr, "退出");
    Frame()->close();
    testing_support::ProcessDeferred();
    EXPECT_EQ(quit.seen(), 1);
  }
  EXPECT_EQ(app::theApp.GetMainWnd(), nullptr);
}

TEST_F(TextFilesTest, FullDiskAtCloseLosesNothing) {
  WriteFileBytes(m_cwd->file("last.txt"), "yesterday\r\n");
  ASSERT_TRUE(Start());
  Input()->SetWindowTextBytes(std::string(200000, 't'));
  {
    testing_support::ScopedFileSizeLimit full(8192);
    ModalWatcher back = testing_support::AnswerDialogs({}, nullptr, "返回");
    Frame()->close();
    testing_support::ProcessDeferred();
    EXPECT_EQ(back.seen(), 1);
  }
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), "yesterday\r\n");
  EXPECT_EQ(QDir(m_cwd->path()).entryList(QDir::Files), QStringList{"last.txt"});
  // With room again the same close saves everything.
  Frame()->close();
  testing_support::ProcessDeferred();
  EXPECT_EQ(ReadFileBytes(m_cwd->file("last.txt")), std::string(200000, 't'));
}

}  // namespace
