// Splitter geometry without a window: hit codes, tracker rectangles and
// their limits, and that a dropped tracker lays out where it was dropped.
#include "framework/splittergeom.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kGap = 6;

std::vector<fw::CRowColInfo> Laid(std::vector<int> ideals, int nMin, int nSize) {
  std::vector<fw::CRowColInfo> infos;
  for (int ideal : ideals) infos.push_back({nMin, ideal, 0});
  fw::LayoutRowCol(infos, nSize, kGap);
  return infos;
}

TEST(SplitterGeom, HitCodesOfBarsCrossingsPanesAndOutside) {
  // Columns 100 | 150 | 200 and rows 80 / 90, bars 6 wide.
  const auto cols = Laid({100, 150, 0}, 50, 462);
  const auto rows = Laid({80, 0}, 50, 176);
  const fw::CSplitterGeom g{rows, cols, QRect(0, 0, 462, 176), kGap};
  EXPECT_EQ(fw::SplitterHitTest(g, {99, 10}), fw::noHit);
  EXPECT_EQ(fw::SplitterHitTest(g, {100, 10}), fw::hSplitterBar1);
  EXPECT_EQ(fw::SplitterHitTest(g, {105, 175}), fw::hSplitterBar1);
  EXPECT_EQ(fw::SplitterHitTest(g, {106, 10}), fw::noHit);
  EXPECT_EQ(fw::SplitterHitTest(g, {256, 10}), fw::hSplitterBar1 + 1);
  EXPECT_EQ(fw::SplitterHitTest(g, {300, 80}), fw::vSplitterBar1);
  EXPECT_EQ(fw::SplitterHitTest(g, {300, 86}), fw::noHit);
  EXPECT_EQ(fw::SplitterHitTest(g, {258, 83}), fw::splitterIntersection1 + 1);  // row 0, column 1
  EXPECT_EQ(fw::SplitterHitTest(g, {-1, 83}), fw::noHit);
  EXPECT_EQ(fw::SplitterHitTest(g, {102, 176}), fw::noHit);
  // One row has no row bar, whatever its size.
  const std::vector<fw::CRowColInfo> one{{0, 0, 176}};
  EXPECT_EQ(fw::SplitterHitTest({one, cols, g.rectInside, kGap}, {102, 83}), fw::hSplitterBar1);
}

TEST(SplitterGeom, TrackersSitInsideTheirBarsAndTheirLimitsKeepEveryMinimum) {
  const auto cols = Laid({300, 0}, 100, 800);
  const auto rows = Laid({200, 0}, 60, 500);
  const fw::CSplitterGeom g{rows, cols, QRect(0, 0, 800, 500), kGap};
  QRect limit = g.rectInside;
  QPoint offset;
  EXPECT_EQ(fw::SplitterHitRect(g, fw::vSplitterBar1, offset, limit), QRect(0, 201, 800, 4));
  EXPECT_EQ(offset, QPoint(0, -2));
  EXPECT_EQ(fw::SplitterHitRect(g, fw::hSplitterBar1, offset, limit), QRect(301, 0, 4, 500));
  EXPECT_EQ(offset, QPoint(-2, 0));  // each call starts over; a crossing keeps y itself
  // Pane above and left at least their minimum, pane below and right too.
  EXPECT_EQ(limit, QRect(QPoint(101, 61), QPoint(800 - 106 + 1, 500 - 66 + 1)));
  EXPECT_EQ(fw::ClampTrackPoint({-40, 700}, limit), QPoint(101, 435));
  EXPECT_TRUE(fw::SplitterHitRect(g, fw::hSplitterBar1 + 1, offset, limit).isEmpty());

  // Too narrow for both minimums: the bar stays put rather than hide a pane.
  const auto narrow = Laid({100, 0}, 100, 200);
  limit = g.rectInside;
  const QRect stuck = fw::SplitterHitRect({rows, narrow, QRect(0, 0, 200, 500), kGap}, fw::hSplitterBar1, offset,
                                          limit);
  EXPECT_EQ(limit.left(), stuck.left());
  EXPECT_EQ(limit.right(), stuck.left());

  // The first of three bars takes room from the last column only.
  auto three = Laid({100, 150, 0}, 50, 462);
  limit = QRect(0, 0, 462, 100);
  fw::SplitterHitRect({rows, three, limit, kGap}, fw::hSplitterBar1, offset, limit);
  fw::TrackRowColSize(three, 0, limit.right() - fw::kTrackerInset, 0, kGap);
  fw::LayoutRowCol(three, 462, kGap);
  EXPECT_EQ(three[1].nCurSize, 150);
  EXPECT_EQ(three[2].nCurSize, 50);
}

// Wherever inside its limits a bar is dropped, the layout puts it exactly
// there and keeps both minimums, and picking the bar up again gives the same
// tracker: a drag that restarts at every move never creeps.
TEST(SplitterGeom, EveryPointInTheLimitsLaysOutThereAndRoundTrips) {
  for (const int width : {206, 207, 640, 1001}) {
    SCOPED_TRACE(width);
    auto cols = Laid({width / 2, width / 2}, 100, width);
    const std::vector<fw::CRowColInfo> rows{{0, 0, 300}};
    const QRect inside(0, 0, width, 300);
    QRect limit = inside;
    QPoint offset;
    fw::SplitterHitRect({rows, cols, inside, kGap}, fw::hSplitterBar1, offset, limit);
    ASSERT_LE(limit.left(), limit.right());
    for (int x = limit.left(); x <= limit.right(); ++x) {
      fw::TrackRowColSize(cols, 0, x - fw::kTrackerInset, 0, kGap);
      fw::LayoutRowCol(cols, width, kGap);
      ASSERT_EQ(cols[0].nCurSize, x - 1) << x;
      ASSERT_GE(cols[1].nCurSize, 100) << x;
      ASSERT_EQ(cols[0].nCurSize + kGap + cols[1].nCurSize, width) << x;
      const fw::CSplitterGeom g{rows, cols, inside, kGap};
      ASSERT_EQ(fw::SplitterHitTest(g, {x, 150}), fw::hSplitterBar1) << x;
      QRect again = inside;
      ASSERT_EQ(fw::SplitterHitRect(g, fw::hSplitterBar1, offset, again).left(), x) << x;
    }
  }
  // Dropped below the minimum (only the framework's own callers can), a
  // column is hidden; sizes count from the column's own start.
  auto cols = Laid({100, 150, 0}, 50, 462);
  fw::TrackRowColSize(cols, 1, 300, 0, kGap);
  EXPECT_EQ(cols[1].nIdealSize, 194);
  fw::TrackRowColSize(cols, 1, 106 + 49, 0, kGap);
  fw::LayoutRowCol(cols, 462, kGap);
  EXPECT_EQ(cols[1].nCurSize, 0);
  EXPECT_EQ(cols[2].nCurSize, 462 - 100 - 2 * kGap);
}

}  // namespace
