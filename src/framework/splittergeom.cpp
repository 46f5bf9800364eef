#include "framework/splittergeom.h"

#include <algorithm>
#include <climits>
#include <cstddef>

namespace fw {

void LayoutRowCol(std::vector<CRowColInfo>& infos, int nSize, int nSizeSplitter) {
  if (infos.empty()) return;
  nSize = std::max(nSize, 0);
  const std::size_t nMax = infos.size();

  for (std::size_t i = 0; i + 1 < nMax; ++i) {
    CRowColInfo& info = infos[i];
    if (info.nIdealSize < info.nMinSize) info.nIdealSize = 0;  // too small to see
    info.nCurSize = info.nIdealSize;
  }
  infos[nMax - 1].nCurSize = INT_MAX;  // the last one takes the rest

  for (std::size_t i = 0; i < nMax; ++i) {
    CRowColInfo& info = infos[i];
    if (nSize == 0) {
      info.nCurSize = 0;  // no room left
      continue;
    }
    if (nSize < info.nMinSize && i != 0) {
      // Too small to be useful: hide it, the space goes to the one before.
      info.nCurSize = 0;
      infos[i - 1].nCurSize += nSize;
      nSize = 0;
      continue;
    }
    if (info.nCurSize == 0) {
      // hidden by its ideal size
    } else if (nSize < info.nCurSize) {
      info.nCurSize = nSize;
      nSize = 0;
    } else {
      nSize -= info.nCurSize;
    }
    if (i != nMax - 1) {
      if (nSize > nSizeSplitter) {
        nSize -= nSizeSplitter;
      } else {
        // Not even room for the bar: the leftover goes to this column.
        info.nCurSize += nSize;
        nSize = 0;
      }
    }
  }
}

namespace {

int Cur(std::span<const CRowColInfo> infos, int i) { return infos[static_cast<std::size_t>(i)].nCurSize; }
int Min(std::span<const CRowColInfo> infos, int i) { return infos[static_cast<std::size_t>(i)].nMinSize; }
int BarCount(std::span<const CRowColInfo> infos) {
  return std::min(static_cast<int>(infos.size()) - 1, kMaxSplitterBars);
}

// The bar (index) whose band holds p, or -1.
int BarAt(std::span<const CRowColInfo> infos, int p, int nOrigin, int nGap) {
  int pos = nOrigin;
  for (int i = 0; i < BarCount(infos); ++i) {
    pos += Cur(infos, i);
    if (p >= pos && p < pos + nGap) return i;
    pos += nGap;
  }
  return -1;
}

struct CBarTrack {
  int nPos = 0;     // tracker's near edge
  int nThick = 0;   // tracker's thickness
  int nOffset = 0;  // from the mouse to the near edge
  int nLo = 0;      // range of the near edge, both ends included
  int nHi = 0;
};

// One axis of the tracker for the bar after row or column `index`, in an
// area of nExtent pixels starting at nOrigin.
CBarTrack BarTrack(std::span<const CRowColInfo> infos, int index, int nOrigin, int nExtent, int nGap) {
  CBarTrack t;
  t.nThick = std::max(1, nGap - 2 * kTrackerInset);
  t.nOffset = -(t.nThick / 2);
  const int start = RowColStart(infos, index, nOrigin, nGap);
  t.nPos = start + Cur(infos, index) + kTrackerInset;
  // The bar's own row or column keeps its minimum; the ones after it keep
  // their sizes except the last, which gives way down to its minimum.
  const int last = static_cast<int>(infos.size()) - 1;
  int tail = nGap + Min(infos, last);
  for (int j = index + 1; j < last; ++j) tail += Cur(infos, j) + nGap;
  t.nLo = start + Min(infos, index) + kTrackerInset;
  t.nHi = std::min(nOrigin + nExtent - tail + kTrackerInset, nOrigin + nExtent - t.nThick);
  if (t.nLo > t.nHi) t.nLo = t.nHi = t.nPos;  // no room to move without squeezing a pane
  return t;
}

}  // namespace

int RowColStart(std::span<const CRowColInfo> infos, int index, int nOrigin, int nGap) {
  int pos = nOrigin;
  for (int i = 0; i < index && i < static_cast<int>(infos.size()); ++i) pos += Cur(infos, i) + nGap;
  return pos;
}

int SplitterHitTest(const CSplitterGeom& g, QPoint pt) {
  if (!g.rectInside.contains(pt)) return noHit;
  const int col = BarAt(g.cols, pt.x(), g.rectInside.left(), g.nGap);
  const int row = BarAt(g.rows, pt.y(), g.rectInside.top(), g.nGap);
  if (col >= 0) return row >= 0 ? splitterIntersection1 + row * kMaxSplitterBars + col : hSplitterBar1 + col;
  if (row >= 0) return vSplitterBar1 + row;
  return noHit;
}

QRect SplitterHitRect(const CSplitterGeom& g, int ht, QPoint& ptTrackOffset, QRect& rectLimit) {
  const QRect& in = g.rectInside;
  const int thick = std::max(1, g.nGap - 2 * kTrackerInset);
  ptTrackOffset = QPoint(0, 0);
  if (ht == vSplitterBox) {
    ptTrackOffset.setY(-(thick / 2));
    rectLimit.setBottom(rectLimit.bottom() + 1 - thick);
    return QRect(in.left(), in.top(), in.width(), thick);
  }
  if (ht == hSplitterBox) {
    ptTrackOffset.setX(-(thick / 2));
    rectLimit.setRight(rectLimit.right() + 1 - thick);
    return QRect(in.left(), in.top(), thick, in.height());
  }
  if (IsRowBar(ht) && ht - vSplitterBar1 < BarCount(g.rows)) {
    const CBarTrack t = BarTrack(g.rows, ht - vSplitterBar1, in.top(), in.height(), g.nGap);
    ptTrackOffset.setY(t.nOffset);
    rectLimit.setTop(t.nLo);
    rectLimit.setBottom(t.nHi);
    return QRect(in.left(), t.nPos, in.width(), t.nThick);
  }
  if (IsColumnBar(ht) && ht - hSplitterBar1 < BarCount(g.cols)) {
    const CBarTrack t = BarTrack(g.cols, ht - hSplitterBar1, in.left(), in.width(), g.nGap);
    ptTrackOffset.setX(t.nOffset);
    rectLimit.setLeft(t.nLo);
    rectLimit.setRight(t.nHi);
    return QRect(t.nPos, in.top(), t.nThick, in.height());
  }
  return QRect();
}

QPoint ClampTrackPoint(QPoint pt, const QRect& rectLimit) {
  if (pt.y() < rectLimit.top()) pt.setY(rectLimit.top());
  else if (pt.y() > rectLimit.bottom()) pt.setY(rectLimit.bottom());
  if (pt.x() < rectLimit.left()) pt.setX(rectLimit.left());
  else if (pt.x() > rectLimit.right()) pt.setX(rectLimit.right());
  return pt;
}

void TrackRowColSize(std::vector<CRowColInfo>& infos, int index, int nPos, int nOrigin, int nGap) {
  if (index < 0 || index >= static_cast<int>(infos.size())) return;
  CRowColInfo& info = infos[static_cast<std::size_t>(index)];
  info.nIdealSize = nPos - RowColStart(infos, index, nOrigin, nGap);
  if (info.nIdealSize < info.nMinSize) info.nIdealSize = 0;  // too small: make it go away
}

}  // namespace fw
