#pragma once
// Pure geometry of a static splitter: how ideal and minimum sizes become the
// current sizes of its rows or columns, and what dragging a bar needs (hit
// codes, tracker rectangles, the range a tracker may move in).
#include <QPoint>
#include <QRect>

#include <span>
#include <vector>

namespace fw {

struct CRowColInfo {
  int nMinSize = 0;    // below this a pane is not shown
  int nIdealSize = 0;  // user-set size
  int nCurSize = 0;    // laid out size (from the last layout)
};

// Lays out `infos` over nSize pixels with a bar of nSizeSplitter between
// neighbours. Every column but the last takes its ideal size while it fits
// (an ideal below the minimum hides the column); the last takes the rest.
// A column that would be left less than its minimum is hidden and its space
// goes to the column before it. Sizes never go negative and the total of
// sizes and bars never exceeds nSize.
void LayoutRowCol(std::vector<CRowColInfo>& infos, int nSize, int nSizeSplitter);

// The framework's hit codes. A splitter has at most 16 rows and 16 columns,
// so 15 bars each way.
constexpr int noHit = 0;
constexpr int vSplitterBox = 1;     // splits rows
constexpr int hSplitterBox = 2;     // splits columns
constexpr int bothSplitterBox = 3;  // keyboard split
constexpr int vSplitterBar1 = 101;  // bar below row (code - 101)
constexpr int vSplitterBar15 = 115;
constexpr int hSplitterBar1 = 201;  // bar right of column (code - 201)
constexpr int hSplitterBar15 = 215;
constexpr int splitterIntersection1 = 301;  // row (code - 301) / 15, column (code - 301) % 15
constexpr int splitterIntersection225 = 525;
constexpr int kMaxSplitterBars = 15;

constexpr bool IsRowBar(int ht) { return ht >= vSplitterBar1 && ht <= vSplitterBar15; }
constexpr bool IsColumnBar(int ht) { return ht >= hSplitterBar1 && ht <= hSplitterBar15; }
constexpr bool IsIntersection(int ht) { return ht >= splitterIntersection1 && ht <= splitterIntersection225; }

// The tracker sits this far inside its bar; the framework moves it back out
// by the same amount when it applies a drag.
constexpr int kTrackerInset = 1;

// What hit-testing reads from a splitter: the last layout and the area the
// panes and bars share. A bar is nGap pixels wide.
struct CSplitterGeom {
  std::span<const CRowColInfo> rows;
  std::span<const CRowColInfo> cols;
  QRect rectInside;
  int nGap = 0;
};

// Where row (or column) `index` starts, from the current sizes.
int RowColStart(std::span<const CRowColInfo> infos, int index, int nOrigin, int nGap);

// The hit code at pt: a bar, a crossing of two bars, or noHit (a pane, or
// outside). A static splitter has no split boxes, so 1 to 3 never come back.
int SplitterHitTest(const CSplitterGeom& g, QPoint pt);

// The tracker rectangle for ht. Sets ptTrackOffset (mouse to tracker corner;
// the other coordinate becomes 0) and narrows rectLimit along the direction
// ht moves in. rectLimit holds the top-left positions the tracker may take,
// both ends included. A bar's range keeps every row or column it resizes at
// or above its minimum; where that cannot be, the bar stays where it is.
// An unknown code gives an empty rectangle.
QRect SplitterHitRect(const CSplitterGeom& g, int ht, QPoint& ptTrackOffset, QRect& rectLimit);

// pt held inside rectLimit, y first, then x.
QPoint ClampTrackPoint(QPoint pt, const QRect& rectLimit);

// A bar dropped with its border at nPos (splitter coordinates): the new ideal
// size of row or column `index`. Below the minimum it becomes 0, hidden.
void TrackRowColSize(std::vector<CRowColInfo>& infos, int index, int nPos, int nOrigin, int nGap);

}  // namespace fw
