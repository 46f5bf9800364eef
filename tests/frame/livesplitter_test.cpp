// Dragging the bar between the panes of the real frame: the panes follow the
// mouse at every move. Mouse events go to the frame's window, so Qt routes
// them as it routes the platform's: to the widget under the mouse or to the
// one holding the grab.
#include "frame/livesplitter.h"
#include "frame/mainframe.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "support/appfixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

using testing_support::AppFixture;

namespace {

constexpr int kHalfBar = fw::CSplitterWnd::kSplitterGap / 2;

// The offscreen platform cannot grab the mouse for a window and says so at
// every grab; Qt's own grab, which decides where mouse events go, works.
class QuietGrabWarnings {
 public:
  QuietGrabWarnings() { s_prev = qInstallMessageHandler(&Filter); }
  ~QuietGrabWarnings() { qInstallMessageHandler(s_prev); }

 private:
  static void Filter(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    if (msg.startsWith(QLatin1String("This plugin does not support grabbing"))) return;
    if (s_prev) s_prev(type, context, msg);
  }
  static inline QtMessageHandler s_prev = nullptr;
};

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int m_nPaints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++m_nPaints;
    return QObject::eventFilter(watched, e);
  }
};

// A mouse event at pt (splitter coordinates), sent to the splitter's window.
// Nothing runs the event loop meanwhile, so whatever paints during the call
// was forced by it.
void SendMouse(fw::CSplitterWnd& split, QEvent::Type type, QPoint pt, Qt::MouseButtons buttons) {
  QWidget* top = split.window();
  const QPointF local = split.mapTo(top, pt);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, local, local, top->mapToGlobal(local), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(top->windowHandle(), &e);
}
void Press(fw::CSplitterWnd& s, QPoint pt) { SendMouse(s, QEvent::MouseButtonPress, pt, Qt::LeftButton); }
void MoveTo(fw::CSplitterWnd& s, QPoint pt) { SendMouse(s, QEvent::MouseMove, pt, Qt::LeftButton); }
void Release(fw::CSplitterWnd& s, QPoint pt) { SendMouse(s, QEvent::MouseButtonRelease, pt, Qt::NoButton); }

class LiveSplitterTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(Start());
    Frame()->resize(1000, 700);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()));
    ASSERT_EQ(Split().width(), 1000);
    m_nY = Split().height() / 2;
  }

  fw::CSplitterWnd& Split() { return Frame()->m_wndSplitter; }
  QWidget* Bar() { return Split().ColumnBars().at(0); }
  QPoint At(int x) const { return {x, m_nY}; }
  QPoint BarCentre() { return At(Bar()->x() + kHalfBar); }

  // The panes when the mouse holds the bar's centre at x.
  void ExpectBarCentredAt(int x) {
    EXPECT_EQ(Input()->geometry(), QRect(0, 0, x - kHalfBar, Split().height()));
    EXPECT_EQ(Bar()->x(), x - kHalfBar);
    EXPECT_EQ(Result()->geometry(), QRect(x + kHalfBar, 0, Split().width() - x - kHalfBar, Split().height()));
  }

  // Leaves repaints of both panes pending, as a new layout does, and counts
  // the pane paints that happen before `step` returns: the forced ones.
  template <class Step>
  int PaintsDuring(Step&& step) {
    PaintCounter input(Input()->viewport());
    PaintCounter result(Result()->viewport());
    Input()->viewport()->update();
    Result()->viewport()->update();
    step();
    return input.m_nPaints + result.m_nPaints;
  }

  int m_nY = 0;
  QuietGrabWarnings m_quiet;
};

TEST_F(LiveSplitterTest, PanesFollowEveryMoveWithoutATrackerUntilTheNextResizeEvensThem) {
  Press(Split(), BarCentre());
  ASSERT_TRUE(Split().IsTracking());
  for (const int x : {502, 300, 777}) {
    SCOPED_TRACE(x);
    EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), At(x)); }), 2);
    ExpectBarCentredAt(x);
    EXPECT_TRUE(Split().IsTracking());
  }
  EXPECT_EQ(Split().findChild<QWidget*>(QStringLiteral("SplitterTracker")), nullptr);
  Release(Split(), At(777));
  EXPECT_FALSE(Split().IsTracking());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  ExpectBarCentredAt(777);

  Frame()->resize(900, 700);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Input()->width() == 450; }));
  ExpectBarCentredAt(450 + kHalfBar);
}

TEST_F(LiveSplitterTest, PastTheLimitsTheBarStopsAndNeitherPaneGoesBelowItsMinimum) {
  const int width = Split().width();
  Press(Split(), BarCentre());
  MoveTo(Split(), At(5));
  ExpectBarCentredAt(100 + kHalfBar);
  // Further out, even off the window, the tracked point stays: no repaint.
  EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), At(-80)); }), 0);
  ExpectBarCentredAt(100 + kHalfBar);
  MoveTo(Split(), At(width + 50));
  EXPECT_EQ(Result()->width(), 100);
  EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), At(width - 20)); }), 0);
  Release(Split(), At(width - 20));
  EXPECT_EQ(Result()->width(), 100);
  EXPECT_TRUE(Result()->isVisible());
}

TEST_F(LiveSplitterTest, OnlyAMoveToANewPointForcesRepaintsAndTheLastPointOutlivesTheDrag) {
  const QPoint centre = BarCentre();
  EXPECT_EQ(PaintsDuring([&] { Press(Split(), centre); }), 0);
  // The first move of the first drag forces them, though the bar stays.
  EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), centre); }), 2);
  EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), centre); }), 0);
  EXPECT_EQ(PaintsDuring([&] { Release(Split(), centre); }), 0);
  Press(Split(), centre);
  EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), centre); }), 0);
  EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), centre + QPoint(10, 0)); }), 2);
  // Along the bar is a new point too.
  EXPECT_EQ(PaintsDuring([&] { MoveTo(Split(), centre + QPoint(10, 40)); }), 2);
  Release(Split(), centre);
}

TEST_F(LiveSplitterTest, KeyboardFocusStaysInThePaneThatHadIt) {
  Split().SetActivePane(0, 1);
  QApplication::setActiveWindow(Frame());
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == Result(); }));
  Press(Split(), BarCentre());
  for (const int x : {450, 610}) {
    MoveTo(Split(), At(x));
    EXPECT_EQ(QApplication::focusWidget(), Result());
    EXPECT_EQ(Frame()->GetActiveView(), Result());
  }
  Release(Split(), At(610));
  EXPECT_EQ(QApplication::focusWidget(), Result());
  // F6 still switches panes.
  QTest::keyClick(Result(), Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), Input());
}

TEST_F(LiveSplitterTest, LosingTheMouseOrTheActivationEndsTheDragWithoutThatMove) {
  QWidget other;
  other.setGeometry(50, 50, 80, 60);
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  Frame()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));

  Press(Split(), BarCentre());
  MoveTo(Split(), At(400));
  // Another window takes the mouse: the moves go there, and the first one
  // that reaches the splitter afterwards ends the drag.
  other.grabMouse();
  MoveTo(Split(), At(300));
  other.releaseMouse();
  MoveTo(Split(), At(250));
  EXPECT_FALSE(Split().IsTracking());
  MoveTo(Split(), At(200));
  Release(Split(), At(200));
  ExpectBarCentredAt(400);

  Press(Split(), BarCentre());
  MoveTo(Split(), At(450));
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Split().IsTracking(); }));
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  Release(Split(), At(500));
  ExpectBarCentredAt(450);
}

// The class on its own, in the framework splitter's other cases.
class StandaloneSplitter : public ::testing::Test {
 protected:
  void Create(fw::CSplitterWnd& split, int nRows) {
    m_host.resize(600, 400);
    ASSERT_TRUE(split.CreateStatic(&m_host, nRows, 2, fw::WS_CHILD | fw::WS_VISIBLE, 0xE900));
    for (int r = 0; r < nRows; ++r)
      for (int c = 0; c < 2; ++c)
        ASSERT_TRUE(split.CreateView(r, c, [] { return new fw::CEditView(); }, QSize(0, 0), nullptr));
    split.SetColumnInfo(0, 300, 50);
    split.SetRowInfo(0, 200, 50);
    split.setGeometry(m_host.rect());
    m_host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_host));
  }

  QuietGrabWarnings m_quiet;
  QWidget m_host;
};

TEST_F(StandaloneSplitter, DraggingACrossingMovesBothBarsLive) {
  frame::CLiveSplitterWnd split;
  Create(split, 2);
  const QPoint crossing(300 + kHalfBar, 200 + kHalfBar);
  Press(split, crossing);
  EXPECT_EQ(split.cursor().shape(), Qt::SizeAllCursor);
  MoveTo(split, crossing + QPoint(40, -30));
  EXPECT_EQ(split.GetPane(0, 0)->size(), QSize(340, 170));
  EXPECT_EQ(split.GetPane(1, 1)->geometry(), QRect(346, 176, 600 - 346, 400 - 176));
  Release(split, crossing + QPoint(40, -30));
}

class CFrameworkSplitter : public frame::CLiveSplitterWnd {
 public:
  CFrameworkSplitter() { m_bLive = false; }
};

TEST_F(StandaloneSplitter, WithLiveResizingOffAnInvertedTrackerMovesAndOnlyTheReleaseApplies) {
  CFrameworkSplitter split;
  Create(split, 1);
  QWidget* left = split.GetPane(0, 0);
  const QImage before = m_host.grab().toImage();
  Press(split, {300 + kHalfBar, 100});
  MoveTo(split, {200, 100});
  EXPECT_EQ(left->width(), 300);
  const QImage during = m_host.grab().toImage();
  const auto inverted = [&](int x) {
    for (int y = 100; y < 104; ++y)
      if (during.pixel(x, y) == (~before.pixel(x, y) | 0xFF000000u)) return true;
    return false;
  };
  EXPECT_TRUE(inverted(199));
  EXPECT_FALSE(inverted(150));
  EXPECT_FALSE(inverted(302));
  Release(split, {200, 100});
  EXPECT_EQ(left->width(), 200 - kHalfBar);
  EXPECT_FALSE(split.findChild<QWidget*>(QStringLiteral("SplitterTracker"))->isVisible());

  // Esc gives a drag up; the framework's tracking holds the focus for it.
  Press(split, {200, 100});
  MoveTo(split, {400, 100});
  QTest::keyClick(&split, Qt::Key_Escape);
  Release(split, {400, 100});
  EXPECT_EQ(left->width(), 200 - kHalfBar);
}

}  // namespace
