#include "framework/splitter.h"

#include "framework/document.h"
#include "framework/editview.h"
#include "framework/framewnd.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

namespace fw {

namespace {

constexpr unsigned AFX_IDW_PANE_FIRST = 0xE900;

// Draws the trackers as the framework does: a halftone pattern XORed onto
// whatever the panes painted, so inverting the same rectangle twice erases
// it. It covers the splitter but takes no input.
class CTrackerWnd : public QWidget {
 public:
  explicit CTrackerWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SplitterTracker"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
  }

  void Invert(const QRect& rect) {
    m_rgnInverted ^= QRegion(rect);
    if (m_rgnInverted.isEmpty()) {
      hide();
      return;
    }
    if (!isVisible()) {
      setGeometry(parentWidget()->rect());
      raise();
      show();
    } else {
      update(rect);
    }
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    p.setClipRegion(m_rgnInverted & e->region());
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(rect(), QBrush(Qt::white, Qt::Dense4Pattern));
  }

 private:
  QRegion m_rgnInverted;
};

Qt::CursorShape SplitCursorShape(int ht) {
  if (ht == vSplitterBox || IsRowBar(ht)) return Qt::SplitVCursor;
  if (ht == hSplitterBox || IsColumnBar(ht)) return Qt::SplitHCursor;
  if (ht == bothSplitterBox || IsIntersection(ht)) return Qt::SizeAllCursor;
  return Qt::ArrowCursor;
}

}  // namespace

CSplitterWnd::CSplitterWnd() = default;
CSplitterWnd::~CSplitterWnd() = default;

bool CSplitterWnd::CreateStatic(QWidget* pParent, int nRows, int nCols, std::uint32_t dwStyle, unsigned nID) {
  if (nRows < 1 || nCols < 1 || nRows > kMaxRowCol || nCols > kMaxRowCol || m_nRows != 0) return false;
  setParent(pParent);
  setObjectName(QStringLiteral("Splitter%1").arg(nID));
  m_nRows = nRows;
  m_nCols = nCols;
  m_rowInfo.assign(static_cast<std::size_t>(nRows), {});
  m_colInfo.assign(static_cast<std::size_t>(nCols), {});
  m_panes.assign(static_cast<std::size_t>(nRows * nCols), nullptr);
  for (int c = 0; c + 1 < nCols; ++c) {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("SplitterBar"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setAutoFillBackground(true);
    bar->setBackgroundRole(QPalette::Window);
    bar->setCursor(Qt::SplitHCursor);
    m_colBars.push_back(bar);
  }
  // Hovering a bar shows its cursor even where the bar widget does not
  // reach (crossings, row gaps).
  setMouseTracking(true);
  setVisible((dwStyle & WS_VISIBLE) != 0);
  return true;
}

bool CSplitterWnd::CreateView(int row, int col, const std::function<CEditView*()>& viewClass, QSize sizeInit,
                              CCreateContext* pContext) {
  if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || GetPane(row, col) || !viewClass) return false;
  CEditView* view = viewClass();
  if (!view) return false;
  CREATESTRUCT cs;
  cs.cx = sizeInit.width();
  cs.cy = sizeInit.height();
  if (!view->PreCreateWindow(cs)) {
    delete view;
    return false;
  }
  view->setParent(this);
  view->ApplyStyle(cs.style);
  view->setObjectName(QStringLiteral("Pane%1").arg(IdFromRowCol(row, col), 0, 16));
  m_panes[static_cast<std::size_t>(row * m_nCols + col)] = view;
  m_colInfo[static_cast<std::size_t>(col)].nIdealSize = sizeInit.width();
  m_rowInfo[static_cast<std::size_t>(row)].nIdealSize = sizeInit.height();
  if (pContext && pContext->m_pCurrentDoc) pContext->m_pCurrentDoc->AddView(view);
  return true;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin) {
  CRowColInfo& info = m_colInfo.at(static_cast<std::size_t>(col));
  info.nIdealSize = cxIdeal;
  info.nMinSize = cxMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const {
  const CRowColInfo& info = m_colInfo.at(static_cast<std::size_t>(col));
  cxCur = info.nCurSize;
  cxMin = info.nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin) {
  CRowColInfo& info = m_rowInfo.at(static_cast<std::size_t>(row));
  info.nIdealSize = cyIdeal;
  info.nMinSize = cyMin;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const {
  const CRowColInfo& info = m_rowInfo.at(static_cast<std::size_t>(row));
  cyCur = info.nCurSize;
  cyMin = info.nMinSize;
}

QWidget* CSplitterWnd::GetPane(int row, int col) const {
  if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols) return nullptr;
  return m_panes[static_cast<std::size_t>(row * m_nCols + col)];
}

unsigned CSplitterWnd::IdFromRowCol(int row, int col) const {
  return AFX_IDW_PANE_FIRST + static_cast<unsigned>(row * 16 + col);
}

void CSplitterWnd::RecalcLayout() {
  if (m_nRows == 0) return;
  // A single row (or column) just fills the height (or width).
  if (m_nRows == 1) m_rowInfo[0].nCurSize = height();
  else LayoutRowCol(m_rowInfo, height(), kSplitterGap);
  LayoutRowCol(m_colInfo, width(), kSplitterGap);

  int y = 0;
  for (int r = 0; r < m_nRows; ++r) {
    const int cy = m_rowInfo[static_cast<std::size_t>(r)].nCurSize;
    int x = 0;
    for (int c = 0; c < m_nCols; ++c) {
      const int cx = m_colInfo[static_cast<std::size_t>(c)].nCurSize;
      if (QWidget* pane = GetPane(r, c)) {
        pane->setGeometry(x, y, cx, cy);
        pane->setVisible(cx > 0 && cy > 0);
      }
      x += cx;
      if (c + 1 < m_nCols) {
        QWidget* bar = m_colBars[static_cast<std::size_t>(c)];
        const int gap = std::max(0, std::min(kSplitterGap, width() - x));
        bar->setGeometry(x, 0, gap, height());
        bar->setVisible(gap > 0);
        x += gap;
      }
    }
    y += cy + kSplitterGap;
  }
}

void CSplitterWnd::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (m_pTrackerWnd) m_pTrackerWnd->setGeometry(rect());
  RecalcLayout();
}

QWidget* CSplitterWnd::GetActivePane(int* pRow, int* pCol) const {
  auto* frame = dynamic_cast<CFrameWnd*>(window());
  QWidget* active = frame ? frame->GetActiveView() : nullptr;
  for (int r = 0; r < m_nRows; ++r)
    for (int c = 0; c < m_nCols; ++c)
      if (active && GetPane(r, c) == active) {
        if (pRow) *pRow = r;
        if (pCol) *pCol = c;
        return active;
      }
  return nullptr;
}

void CSplitterWnd::SetActivePane(int row, int col, QWidget* pWnd) {
  QWidget* pane = pWnd ? pWnd : GetPane(row, col);
  if (!pane) return;
  auto* view = dynamic_cast<CEditView*>(pane);
  auto* frame = dynamic_cast<CFrameWnd*>(window());
  if (view && frame) frame->SetActiveView(view);
  else pane->setFocus(Qt::OtherFocusReason);
}

void CSplitterWnd::ActivateNext(bool bPrev) {
  int row = 0;
  int col = 0;
  if (!GetActivePane(&row, &col)) return;
  const int count = m_nRows * m_nCols;
  int index = row * m_nCols + col;
  // Step over panes that are hidden (a column laid out at zero width).
  for (int i = 0; i < count; ++i) {
    index = (index + (bPrev ? count - 1 : 1)) % count;
    QWidget* pane = m_panes[static_cast<std::size_t>(index)];
    if (pane && pane->isVisible()) {
      SetActivePane(index / m_nCols, index % m_nCols);
      return;
    }
  }
}

// Hit-testing and tracking.

CSplitterGeom CSplitterWnd::Geom() const {
  QRect inside;
  GetInsideRect(inside);
  return CSplitterGeom{m_rowInfo, m_colInfo, inside, kSplitterGap};
}

void CSplitterWnd::GetInsideRect(QRect& rect) const { rect = QRect(QPoint(0, 0), size()); }

int CSplitterWnd::HitTest(QPoint pt) const { return SplitterHitTest(Geom(), pt); }

void CSplitterWnd::GetHitRect(int ht, QRect& rectHit) {
  rectHit = SplitterHitRect(Geom(), ht, m_ptTrackOffset, m_rectLimit);
}

void CSplitterWnd::TrackRowSize(int y, int row) {
  QRect inside;
  GetInsideRect(inside);
  TrackRowColSize(m_rowInfo, row, y, inside.top(), kSplitterGap);
}

void CSplitterWnd::TrackColumnSize(int x, int col) {
  QRect inside;
  GetInsideRect(inside);
  TrackRowColSize(m_colInfo, col, x, inside.left(), kSplitterGap);
}

bool CSplitterWnd::SplitRow(int cyBefore) {
  (void)cyBefore;
  return false;
}

bool CSplitterWnd::SplitColumn(int cxBefore) {
  (void)cxBefore;
  return false;
}

void CSplitterWnd::SetSplitCursor(int ht) {
  const Qt::CursorShape shape = SplitCursorShape(ht);
  if (shape == Qt::ArrowCursor) {
    if (testAttribute(Qt::WA_SetCursor)) unsetCursor();
  } else if (!testAttribute(Qt::WA_SetCursor) || cursor().shape() != shape) {
    setCursor(shape);
  }
}

void CSplitterWnd::OnInvertTracker(const QRect& rect) {
  if (rect.isEmpty()) return;
  if (!m_pTrackerWnd) m_pTrackerWnd = new CTrackerWnd(this);
  static_cast<CTrackerWnd*>(m_pTrackerWnd.data())->Invert(rect);
}

void CSplitterWnd::SetTrackers(int ht) {
  // GetHitRect narrows the limit to what the tracked bar allows.
  GetInsideRect(m_rectLimit);
  if (IsIntersection(ht)) {
    GetHitRect((ht - splitterIntersection1) / kMaxSplitterBars + vSplitterBar1, m_rectTracker);
    const int yTrackOffset = m_ptTrackOffset.y();
    m_bTracking2 = true;
    GetHitRect((ht - splitterIntersection1) % kMaxSplitterBars + hSplitterBar1, m_rectTracker2);
    m_ptTrackOffset.setY(yTrackOffset);
  } else if (ht == bothSplitterBox) {
    GetHitRect(vSplitterBox, m_rectTracker);
    const int yTrackOffset = m_ptTrackOffset.y();
    m_bTracking2 = true;
    GetHitRect(hSplitterBox, m_rectTracker2);
    m_ptTrackOffset.setY(yTrackOffset);
    // start from the middle
    m_rectTracker.translate(0, m_rectLimit.height() / 2);
    m_rectTracker2.translate(m_rectLimit.width() / 2, 0);
  } else {
    GetHitRect(ht, m_rectTracker);
  }
}

void CSplitterWnd::StartTracking(int ht) {
  if (ht == noHit) return;
  SetTrackers(ht);

  // The focus comes here so that Esc and Enter reach the drag.
  grabMouse();
  setFocus(Qt::OtherFocusReason);
  // No pending repaints need forcing first: the tracker is a widget of its
  // own, drawn over whatever the panes paint.

  m_bTracking = true;
  OnInvertTracker(m_rectTracker);
  if (m_bTracking2) OnInvertTracker(m_rectTracker2);
  m_htTrack = ht;
  SetSplitCursor(ht);
}

void CSplitterWnd::StopTracking(bool bAccept) {
  if (!m_bTracking) return;
  releaseMouse();

  OnInvertTracker(m_rectTracker);
  if (m_bTracking2) OnInvertTracker(m_rectTracker2);
  m_bTracking = m_bTracking2 = false;

  QWidget* pOldActiveView = GetActivePane();

  // From the tracker back to the border of the bar it stands for.
  m_rectTracker.translate(-kTrackerInset, -kTrackerInset);
  m_rectTracker2.translate(-kTrackerInset, -kTrackerInset);
  if (bAccept) ApplyTrackers();

  // Re-activating gives back the focus that tracking took.
  if (pOldActiveView && pOldActiveView == GetActivePane()) SetActivePane(-1, -1, pOldActiveView);
}

void CSplitterWnd::ApplyTrackers() {
  const int ht = m_htTrack;
  if (ht == vSplitterBox) {
    SplitRow(m_rectTracker.top());
  } else if (IsRowBar(ht)) {
    TrackRowSize(m_rectTracker.top(), ht - vSplitterBar1);
    RecalcLayout();
  } else if (ht == hSplitterBox) {
    SplitColumn(m_rectTracker.left());
  } else if (IsColumnBar(ht)) {
    TrackColumnSize(m_rectTracker.left(), ht - hSplitterBar1);
    RecalcLayout();
  } else if (IsIntersection(ht)) {
    TrackRowSize(m_rectTracker.top(), (ht - splitterIntersection1) / kMaxSplitterBars);
    TrackColumnSize(m_rectTracker2.left(), (ht - splitterIntersection1) % kMaxSplitterBars);
    RecalcLayout();
  } else if (ht == bothSplitterBox) {
    SplitRow(m_rectTracker.top());
    SplitColumn(m_rectTracker2.left());
  }
}

void CSplitterWnd::MoveTrackers(QPoint pt) {
  const int ht = m_htTrack;
  const bool moveRow = ht == vSplitterBox || IsRowBar(ht) || ht == bothSplitterBox || IsIntersection(ht);
  const bool moveCol = ht == hSplitterBox || IsColumnBar(ht);
  const bool moveCol2 = ht == bothSplitterBox || IsIntersection(ht);
  if (moveRow && m_rectTracker.top() != pt.y()) {
    OnInvertTracker(m_rectTracker);
    m_rectTracker.translate(0, pt.y() - m_rectTracker.top());
    OnInvertTracker(m_rectTracker);
  }
  if (moveCol && m_rectTracker.left() != pt.x()) {
    OnInvertTracker(m_rectTracker);
    m_rectTracker.translate(pt.x() - m_rectTracker.left(), 0);
    OnInvertTracker(m_rectTracker);
  }
  if (moveCol2 && m_rectTracker2.left() != pt.x()) {
    OnInvertTracker(m_rectTracker2);
    m_rectTracker2.translate(pt.x() - m_rectTracker2.left(), 0);
    OnInvertTracker(m_rectTracker2);
  }
}

void CSplitterWnd::OnLButtonDown(unsigned nFlags, QPoint pt) {
  (void)nFlags;
  if (m_bTracking) return;
  StartTracking(HitTest(pt));
}

void CSplitterWnd::OnLButtonUp(unsigned nFlags, QPoint pt) {
  (void)nFlags;
  (void)pt;
  StopTracking(true);
}

void CSplitterWnd::OnMouseMove(unsigned nFlags, QPoint pt) {
  (void)nFlags;
  // A drag whose mouse grab went elsewhere ends without effect.
  if (QWidget::mouseGrabber() != this) StopTracking(false);
  if (m_bTracking) {
    MoveTrackers(ClampTrackPoint(pt + m_ptTrackOffset, m_rectLimit));
  } else {
    SetSplitCursor(HitTest(pt));
  }
}

void CSplitterWnd::OnCancelMode() { StopTracking(false); }

unsigned CSplitterWnd::KeyFlags(const QMouseEvent* e) {
  unsigned flags = 0;
  if (e->buttons() & Qt::LeftButton) flags |= MK_LBUTTON;
  if (e->buttons() & Qt::RightButton) flags |= MK_RBUTTON;
  if (e->buttons() & Qt::MiddleButton) flags |= MK_MBUTTON;
  if (e->modifiers() & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) flags |= MK_CONTROL;
  return flags;
}

void CSplitterWnd::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(e);
    return;
  }
  OnLButtonDown(KeyFlags(e), e->position().toPoint());
}

void CSplitterWnd::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(e);
    return;
  }
  OnLButtonUp(KeyFlags(e), e->position().toPoint());
}

void CSplitterWnd::mouseMoveEvent(QMouseEvent* e) { OnMouseMove(KeyFlags(e), e->position().toPoint()); }

void CSplitterWnd::keyPressEvent(QKeyEvent* e) {
  if (m_bTracking && e->key() == Qt::Key_Escape) {
    StopTracking(false);
  } else if (m_bTracking && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
    StopTracking(true);
  } else {
    QWidget::keyPressEvent(e);
  }
}

bool CSplitterWnd::event(QEvent* e) {
  // Losing the window's activation is the framework's cancel mode: a drag
  // ends where it is, without applying its last position.
  if (e->type() == QEvent::WindowDeactivate) OnCancelMode();
  return QWidget::event(e);
}

void CSplitterWnd::hideEvent(QHideEvent* e) {
  OnCancelMode();  // a hidden splitter must not keep the mouse
  QWidget::hideEvent(e);
}

}  // namespace fw
