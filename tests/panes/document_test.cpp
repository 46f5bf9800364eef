// The document's stored form, its load, New, and what the panes keep.
#include "app/lexiphonapp.h"
#include "res/resource.h"
#include "frame/mainframe.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "panes/textfile.h"
#include "support/appfixture.h"

#include <QFileDialog>
#include <QTest>

using testing_support::AppFixture;
using testing_support::MessageBoxWatcher;
using testing_support::ModalWatcher;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

class DocumentTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
  }
};

TEST_F(DocumentTest, SaveStoresInputBytesAndOneZeroByteThenWritesStraightToThePath) {
  Input()->SetWindowTextBytes("abc");
  Result()->SetWindowTextBytes("never stored");
  testing_support::SeenFileDialog seen;
  const QString path = m_cwd->file("first.lex");
  {
    ModalWatcher answer = testing_support::AnswerDialogs(path, &seen);
    EXPECT_TRUE(Frame()->SendCommand(res::ID_FILE_SAVE));
    EXPECT_EQ(answer.seen(), 1);
  }
  EXPECT_EQ(seen.title, "保存为");
  EXPECT_EQ(seen.filters, QStringList{"所有文件 (*.*)"});
  EXPECT_EQ(ReadFileBytes(path), std::string("abc\0", 4));
  EXPECT_EQ(Doc()->GetPathName(), path);
  EXPECT_EQ(Doc()->GetTitle(), "first.lex");
  EXPECT_EQ(Frame()->windowTitle(), "Lexiphon");

  // The second save asks nothing.
  Input()->SetWindowTextBytes("");
  ModalWatcher none = testing_support::AnswerDialogs(QString());
  Frame()->SendCommand(res::ID_FILE_SAVE);
  EXPECT_EQ(none.seen(), 0);
  EXPECT_EQ(ReadFileBytes(path), std::string(1, '\0'));
}

TEST_F(DocumentTest, CancelledSaveWritesNothingAndKeepsTheFlag) {
  QTest::keyClicks(Input(), "typed");
  EXPECT_TRUE(Doc()->IsModified());
  ModalWatcher cancel = testing_support::AnswerDialogs(QString());
  Frame()->SendCommand(res::ID_FILE_SAVE);
  EXPECT_EQ(cancel.seen(), 1);
  EXPECT_TRUE(Doc()->IsModified());
  EXPECT_TRUE(Doc()->GetPathName().isEmpty());
}

TEST_F(DocumentTest, StoreThenLoadGivesBackEveryByteEvenInvalidOnes) {
  const std::string samples[] = {
      "abc",
      std::string("line\r\nlone\rcr\nlf\x80\xFF\x81", 17),
      std::string("\xB9\xFA\x81\x40\x90\x30\x81\x30 \x84\x31\xA5\x30 end", 18),
      std::string(1000, 'z') + "\r\n" + std::string("\0mid", 4),
  };
  for (const std::string& text : samples) {
    SCOPED_TRACE(testing::PrintToString(text));
    Input()->SetWindowTextBytes(text);
    const QString path = m_cwd->file("round.lex");
    ASSERT_TRUE(Doc()->DoSave(path));
    EXPECT_EQ(ReadFileBytes(path), text + '\0');
    Input()->SetWindowTextBytes("other");
    ASSERT_NE(app::theApp.OpenDocumentFile(path), nullptr);
    EXPECT_EQ(Input()->GetWindowTextBytes(), text);
  }
}

TEST_F(DocumentTest, LoadAcceptsFilesWithoutTheZeroAndLongTextsRefusesHugeLeavingThePane) {
  WriteFileBytes(m_cwd->file("plain.txt"), "no terminator");
  ASSERT_NE(app::theApp.OpenDocumentFile(m_cwd->file("plain.txt")), nullptr);
  EXPECT_EQ(Input()->GetWindowTextBytes(), "no terminator");

  // The largest text the pane holds, stored, still opens.
  std::string largest;
  while (largest.size() + 101 <= 0xFFFFF) largest += std::string(99, 'q') + "\r\n";
  largest.resize(0xFFFFF, 'q');
  WriteFileBytes(m_cwd->file("max.lex"), largest + '\0');
  ASSERT_NE(app::theApp.OpenDocumentFile(m_cwd->file("max.lex")), nullptr);
  EXPECT_EQ(Input()->GetTextByteLength(), largest.size());

  // Longer than typing allows is still the program's own text to load.
  WriteFileBytes(m_cwd->file("longer.lex"), largest + "q" + '\0');
  ASSERT_NE(app::theApp.OpenDocumentFile(m_cwd->file("longer.lex")), nullptr);
  EXPECT_EQ(Input()->GetTextByteLength(), largest.size() + 1);

  // Only past the memory ceiling is a file refused (sparse: no disk used).
  Input()->SetWindowTextBytes("keep me");
  QFile big(m_cwd->file("big.lex"));
  ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(qint64(fw::CEditView::kMaxLoadBytes) + 2));
  big.close();
  MessageBoxWatcher boxes;
  EXPECT_EQ(app::theApp.OpenDocumentFile(m_cwd->file("big.lex")), nullptr);
  EXPECT_EQ(boxes.texts(), QStringList{"该文件太大，无法打开。"});
  EXPECT_EQ(Input()->GetWindowTextBytes(), "keep me");
  EXPECT_EQ(Doc()->GetPathName(), m_cwd->file("longer.lex"));
}

TEST_F(DocumentTest, NewEmptiesThenReloadsLastTextKeepingTheResultPane) {
  WriteFileBytes(m_cwd->file("last.txt"), "saved a\nb");
  Input()->SetWindowTextBytes("scratch");
  Result()->SetWindowTextBytes("result");
  ASSERT_TRUE(Doc()->DoSave(m_cwd->file("x.lex")));
  QTest::keyClicks(Input(), "more");
  // The framework's New, as the application handles it.
  Frame()->m_wndSplitter.SetActivePane(0, 1);
  MessageBoxWatcher boxes;
  EXPECT_TRUE(Frame()->SendCommand(res::ID_FILE_NEW));
  EXPECT_TRUE(boxes.texts().isEmpty());
  EXPECT_EQ(Input()->GetWindowTextBytes(), "saved a\r\nb\r\n");
  EXPECT_EQ(Result()->GetWindowTextBytes(), "result");
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_TRUE(Doc()->GetPathName().isEmpty());
  EXPECT_EQ(Doc()->GetTitle(), "无标题");
}

TEST_F(DocumentTest, UserEditsInEitherPaneSetModifiedProgramTextDoesNot) {
  EXPECT_FALSE(Doc()->IsModified());
  Input()->OnInitialUpdate();
  Input()->SetWindowTextBytes("from the program");
  Result()->SetWindowTextBytes("from the program");
  EXPECT_FALSE(Doc()->IsModified());
  QTest::keyClicks(Result(), "x");
  EXPECT_EQ(Result()->GetWindowTextBytes(), "xfrom the program");
  EXPECT_TRUE(Doc()->IsModified());
  Doc()->SetModifiedFlag(false);
  Input()->selectAll();
  Input()->cut();
  EXPECT_TRUE(Doc()->IsModified());
  // Closing never asks, modified or not.
  MessageBoxWatcher boxes;
  Frame()->close();
  testing_support::ProcessDeferred();
  EXPECT_EQ(app::theApp.GetMainWnd(), nullptr);
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST(TextModeReading, LineEndsAndEndOfFileMarker) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"a\r\nb", "a\r\nb\r\n"},
      {"x\ny\n", "x\r\ny\r\n"},
      {"ab\x1A" "cd", "ab\r\n"},
      {"", ""},
      {"\x1A", ""},
      {"lone\rcr", "lone\rcr\r\n"},
      {"cr\r\r\n", "cr\r\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"end\r", "end\r\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(panes::TextModeToPane(c.in), c.out) << testing::PrintToString(c.in);
}

}  // namespace
