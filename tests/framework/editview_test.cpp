// The edit view's byte limit and the bytes it hands back.
#include "framework/editview.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class EditViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::CREATESTRUCT cs;
    view.PreCreateWindow(cs);
    view.ApplyStyle(cs.style);
    view.resize(400, 300);
  }
  // A text of exactly n bytes, in lines so the widget lays it out quickly.
  static std::string Text(std::size_t n) {
    std::string s;
    while (s.size() + 80 <= n) s += std::string(78, 'w') + "\r\n";
    s.resize(n, 'w');
    return s;
  }
  fw::CEditView view;
};

TEST_F(EditViewTest, DefaultStyleScrollsSidewaysWithoutWrapping) {
  EXPECT_EQ(view.GetStyle(), fw::kEditViewDefaultStyle);
  EXPECT_EQ(view.lineWrapMode(), QPlainTextEdit::NoWrap);
  view.ApplyStyle(fw::kEditViewDefaultStyle & ~(fw::WS_HSCROLL | fw::ES_AUTOHSCROLL));
  EXPECT_EQ(view.lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(view.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(EditViewTest, TypingAndReturnStopAtTheByteLimit) {
  view.SetWindowTextBytes(Text(fw::CEditView::kMaxTextBytes - 3));
  view.moveCursor(QTextCursor::End);
  QTest::keyClicks(&view, "abcd");  // only three fit
  EXPECT_EQ(view.GetTextByteLength(), fw::CEditView::kMaxTextBytes);
  EXPECT_EQ(view.GetWindowTextBytes().substr(fw::CEditView::kMaxTextBytes - 3), "abc");
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(view.GetTextByteLength(), fw::CEditView::kMaxTextBytes);

  // Replacing a selection frees its bytes first.
  view.moveCursor(QTextCursor::End);
  view.moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
  QTest::keyClick(&view, 'z');
  EXPECT_EQ(view.GetWindowTextBytes().back(), 'z');
  EXPECT_EQ(view.GetTextByteLength(), fw::CEditView::kMaxTextBytes);
}

TEST_F(EditViewTest, PasteIsCutToWhatFitsOnACharacterBoundary) {
  view.SetWindowTextBytes(Text(fw::CEditView::kMaxTextBytes - 5));
  view.moveCursor(QTextCursor::End);
  // 中 is two bytes: "ab" + 中 = 4 bytes fit, the next 中 does not.
  QApplication::clipboard()->setText(QStringLiteral("ab中中xyz"));
  view.paste();
  EXPECT_EQ(view.GetTextByteLength(), fw::CEditView::kMaxTextBytes - 1);
  EXPECT_EQ(view.toPlainText().right(3), QStringLiteral("ab中"));
}

TEST_F(EditViewTest, ReturnAlwaysMakesCrLfEvenWithShift) {
  view.SetWindowTextBytes("ab");
  view.moveCursor(QTextCursor::End);
  QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier);
  QTest::keyClick(&view, 'c');
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(view.GetWindowTextBytes(), "ab\r\nc\r\n");
}

}  // namespace
