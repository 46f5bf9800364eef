#include "frame/livesplitter.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace frame {

CLiveSplitterWnd::CLiveSplitterWnd() = default;
CLiveSplitterWnd::~CLiveSplitterWnd() = default;

void CLiveSplitterWnd::OnInvertTracker(const QRect& rect) {
  // The panes themselves show where the bar is.
  if (!m_bLive) fw::CSplitterWnd::OnInvertTracker(rect);
}

void CLiveSplitterWnd::StartTracking(int ht) {
  if (!m_bLive) {
    fw::CSplitterWnd::StartTracking(ht);
    return;
  }
  if (ht == fw::noHit) return;
  SetTrackers(ht);
  // Unlike the framework, leave the focus in its pane and force no repaint:
  // tracking restarts at every move of the drag.
  grabMouse();
  m_bTracking = true;
  m_htTrack = ht;
  SetSplitCursor(ht);
}

void CLiveSplitterWnd::StopTracking(bool bAccept) {
  if (!m_bTracking) return;
  releaseMouse();

  OnInvertTracker(m_rectTracker);
  if (m_bTracking2) OnInvertTracker(m_rectTracker2);
  m_bTracking2 = false;
  m_bTracking = false;

  QWidget* pOldActiveView = GetActivePane();

  m_rectTracker.translate(-fw::kTrackerInset, -fw::kTrackerInset);
  m_rectTracker2.translate(-fw::kTrackerInset, -fw::kTrackerInset);
  if (bAccept) ApplyTrackers();

  // The focus never left the pane; this only keeps it the active view.
  if (pOldActiveView && pOldActiveView == GetActivePane()) SetActivePane(-1, -1, pOldActiveView);
}

void CLiveSplitterWnd::mouseMoveEvent(QMouseEvent* e) { OnMouseMove(KeyFlags(e), e->position().toPoint()); }

void CLiveSplitterWnd::OnMouseMove(unsigned nFlags, QPoint point) {
  if (!m_bLive) {
    fw::CSplitterWnd::OnMouseMove(nFlags, point);
    return;
  }
  // A drag whose mouse grab went elsewhere ends without this move.
  if (QWidget::mouseGrabber() != this) StopTracking(false);
  if (!m_bTracking) {
    SetSplitCursor(HitTest(point));
    return;
  }

  const QPoint pt = fw::ClampTrackPoint(point + m_ptTrackOffset, m_rectLimit);
  MoveTrackers(pt);

  // Apply the point as a release would, then pick the drag up again there.
  // Off every bar (it cannot move any further) the drag ends.
  OnLButtonUp(fw::MK_LBUTTON, pt);
  OnLButtonDown(fw::MK_LBUTTON, pt);

  // The new layout left repaints pending; have them now so the panes follow
  // the mouse, but not when the point has not moved since the last one.
  // Only what is pending is painted: nothing is invalidated anew.
  if (pt.x() != m_nLastX || pt.y() != m_nLastY) {
    QEvent updateNow(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(this, &updateNow);
    m_nLastX = pt.x();
    m_nLastY = pt.y();
  }
}

}  // namespace frame
