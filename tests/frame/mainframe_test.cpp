// The main frame as the user meets it: toolbar, status bar, two even panes.
#include "res/resource.h"
#include "frame/mainframe.h"
#include "frame/translatewaitdialog.h"
#include "panes/lexiphondoc.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "app/lexiphonapp.h"
#include "support/appfixture.h"

#include <QAction>
#include <QFontMetricsF>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

using testing_support::AppFixture;

namespace {

class MainFrameTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    Frame()->resize(1000, 700);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
  }
};

TEST_F(MainFrameTest, ToolbarHasSeventeenSlotsTwelveExactLabelsAllSizedLikeNew) {
  fw::CToolBar& bar = Frame()->m_wndToolBar;
  ASSERT_EQ(bar.GetButtonCount(), 17);
  const QStringList expected = {"新建", "打开", "保存", "", "剪切", " 复制", " 粘贴", "", "发音 ",
                                "暂停", "", "英译汉", "汉译英", "", "设置", "", "关于"};
  const QSize newSize = bar.GetButton(0)->size();
  int labelled = 0;
  for (int i = 0; i < 17; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(bar.GetItemID(i), res::kToolbarSlots[i]);
    if (res::kToolbarSlots[i] == 0) {
      EXPECT_EQ(bar.GetButton(i), nullptr);
      continue;
    }
    ++labelled;
    EXPECT_EQ(bar.GetButtonText(i), expected[i]);
    EXPECT_EQ(bar.GetButton(i)->size(), newSize);
    EXPECT_FALSE(bar.GetButton(i)->icon().isNull());
    EXPECT_EQ(bar.GetButton(i)->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    // Every label fits: the shared size is at least each button's own wish.
    EXPECT_GE(newSize.width(), bar.GetButton(i)->sizeHint().width());
    EXPECT_GE(newSize.height(), bar.GetButton(i)->sizeHint().height());
    // And none starts hidden behind the overflow arrow.
    EXPECT_TRUE(bar.GetButton(i)->isVisible());
    EXPECT_TRUE(bar.rect().contains(bar.GetButton(i)->geometry()));
  }
  EXPECT_EQ(labelled, 12);
  EXPECT_EQ(bar.iconSize(), QSize(25, 24));
}

TEST_F(MainFrameTest, StatusBarShowsIdleTextAndThreeIndicators) {
  fw::CStatusBar& status = Frame()->m_wndStatusBar;
  fw::CStatusBar::SetLockKeyQueryForTesting([] { return fw::LockKeyState{true, true, false, true}; });
  status.UpdateIndicators();
  fw::CStatusBar::SetLockKeyQueryForTesting(nullptr);
  ASSERT_EQ(status.GetCount(), 4);
  EXPECT_EQ(status.GetPaneText(0), "就绪");
  EXPECT_EQ(status.GetItemID(1), res::ID_INDICATOR_CAPS);
  EXPECT_EQ(status.GetPaneText(1), "大写");
  EXPECT_EQ(status.GetPaneText(2), "");
  EXPECT_EQ(status.GetPaneText(3), "滚动");
  EXPECT_TRUE(status.IsPaneEnabled(1));

  // Where the state cannot be read the text shows greyed, never as "on".
  fw::CStatusBar::SetLockKeyQueryForTesting([] { return fw::LockKeyState{}; });
  status.UpdateIndicators();
  fw::CStatusBar::SetLockKeyQueryForTesting(nullptr);
  EXPECT_EQ(status.GetPaneText(2), "数字");
  EXPECT_FALSE(status.IsPaneEnabled(2));
}

TEST_F(MainFrameTest, PanesAreEvenAndEvenAgainAfterEveryResize) {
  fw::CSplitterWnd& split = Frame()->m_wndSplitter;
  const auto check = [&](int width) {
    SCOPED_TRACE(width);
    EXPECT_EQ(split.GetIdealColumnWidth(0), width / 2);
    EXPECT_EQ(split.GetIdealColumnWidth(1), width / 2);
    int cur0 = 0, min0 = 0, cur1 = 0, min1 = 0;
    split.GetColumnInfo(0, cur0, min0);
    split.GetColumnInfo(1, cur1, min1);
    EXPECT_EQ(min0, 100);
    EXPECT_EQ(min1, 100);
    EXPECT_EQ(Frame()->Input()->width(), width / 2);
    EXPECT_EQ(cur0 + cur1 + fw::CSplitterWnd::kSplitterGap, width);
    EXPECT_EQ(Frame()->Input()->x() + Frame()->Input()->width() + fw::CSplitterWnd::kSplitterGap,
              Frame()->Result()->x());
  };
  check(1000);
  // A user-set split lasts only until the next resize.
  split.SetColumnInfo(0, 250, 100);
  split.RecalcLayout();
  EXPECT_EQ(Frame()->Input()->width(), 250);
  Frame()->resize(801, 600);
  QCoreApplication::processEvents();
  check(801);
}

TEST_F(MainFrameTest, PanesAreTheRightViewsWithFontWrapAndNoHorizontalBar) {
  auto* input = dynamic_cast<panes::CLexiphonView*>(Frame()->m_wndSplitter.GetPane(0, 0));
  auto* result = dynamic_cast<panes::CMyEditView*>(Frame()->m_wndSplitter.GetPane(0, 1));
  ASSERT_NE(input, nullptr);
  ASSERT_NE(result, nullptr);
  for (fw::CEditView* v : {static_cast<fw::CEditView*>(input), static_cast<fw::CEditView*>(result)}) {
    EXPECT_EQ(v->GetStyle(), 0x50B001C4u & 0xFFEFFF7Fu);
    EXPECT_EQ(v->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(v->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(v->font().pixelSize(), 16);
    EXPECT_FALSE(v->isReadOnly());
    // 32 dialog units = 8 Latin average widths; the 16 px CJK face's own
    // average (its wide glyphs) would make it about twice as wide.
    const QFontMetricsF fm(v->font());
    const double latin = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    EXPECT_NEAR(v->tabStopDistance(), 8 * latin, 0.5);
    EXPECT_GT(v->tabStopDistance(), 40.0);
    EXPECT_LT(v->tabStopDistance(), 90.0);
    // And where a typed tab really puts the next character.
    v->setPlainText(QStringLiteral("\tx"));
    QTextCursor at(v->document());
    const int start = v->cursorRect(at).left();
    at.setPosition(1);
    EXPECT_NEAR(v->cursorRect(at).left() - start, v->tabStopDistance(), 1.0);
  }
  EXPECT_EQ(Frame()->GetActiveView(), input);
  // The document's views: the input pane first.
  ASSERT_EQ(Doc()->GetViews().size(), 2u);
  EXPECT_EQ(Doc()->GetFirstView(), input);
}

TEST_F(MainFrameTest, WaitDialogObjectLivesWithTheFrameWithoutAWindow) {
  frame::CTranslateWaitDialog* wait = Frame()->m_pWaitDialog;
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(wait->GetSafeHwnd(), nullptr);
  EXPECT_FALSE(Frame()->m_bPaused);
  EXPECT_TRUE(Frame()->m_bSplitterReady);

  ASSERT_TRUE(wait->Create(res::IDD_TRANSLATE_WAIT, Frame()));
  QPointer<QDialog> window = wait->GetSafeHwnd();
  ASSERT_TRUE(window);
  window->show();
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  auto* label = window->findChild<QLabel*>();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "正在翻译，请稍等片刻...");
  EXPECT_GE(label->width(), label->sizeHint().width());
  // Esc closes the window only; the object stays for the next request.
  QTest::keyClick(window, Qt::Key_Escape);
  testing_support::ProcessDeferred();
  EXPECT_FALSE(window);
  EXPECT_EQ(wait->GetSafeHwnd(), nullptr);
  EXPECT_EQ(Frame()->m_pWaitDialog, wait);
  EXPECT_TRUE(Frame()->isVisible());
}

TEST_F(MainFrameTest, ClosingDestroysFrameViewsAndDocument) {
  QPointer<QWidget> input = Input();
  QPointer<QWidget> frame = Frame();
  Frame()->close();
  testing_support::ProcessDeferred();
  EXPECT_FALSE(frame);
  EXPECT_FALSE(input);
  EXPECT_EQ(app::theApp.GetMainWnd(), nullptr);
}

}  // namespace
