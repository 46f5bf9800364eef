#pragma once
// The splitter of the main frame's two panes. While a bar is dragged it lays
// the panes out and repaints them at every mouse move, instead of showing an
// inverted tracker and laying out once at the release.
#include "framework/splitter.h"

namespace frame {

// No runtime class of its own: it is found and cast as the framework's.
class CLiveSplitterWnd : public fw::CSplitterWnd {
 public:
  CLiveSplitterWnd();
  ~CLiveSplitterWnd() override;

 protected:
  void OnInvertTracker(const QRect& rect) override;
  void StartTracking(int ht) override;
  void StopTracking(bool bAccept) override;

  void mouseMoveEvent(QMouseEvent* e) override;
  void OnMouseMove(unsigned nFlags, QPoint point);

  int m_nLastX = -10000;  // the last tracked point that was repainted;
  int m_nLastY = -10000;  // -10000: none yet
  bool m_bLive = true;    // off: behaves as the framework's splitter
};

}  // namespace frame
