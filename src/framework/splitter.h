#pragma once
// The framework's static splitter: a fixed grid of panes with bars between
// them, each row and column with an ideal and a minimum size. A bar is moved
// by dragging it: the drag shows an inverted tracker and applies the new
// size when the button is released.
#include "framework/splittergeom.h"
#include "framework/winstyles.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace fw {

class CEditView;
class CDocument;

struct CCreateContext {
  CDocument* m_pCurrentDoc = nullptr;
  std::function<CEditView*()> m_pNewViewClass;
};

// Key flags of the mouse handlers.
constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;
constexpr unsigned MK_MBUTTON = 0x0010;

class CSplitterWnd : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSplitterGap = 6;  // width of the bar between panes
  static constexpr int kMaxRowCol = kMaxSplitterBars + 1;

  CSplitterWnd();
  ~CSplitterWnd() override;

  bool CreateStatic(QWidget* pParent, int nRows, int nCols, std::uint32_t dwStyle, unsigned nID);
  bool CreateView(int row, int col, const std::function<CEditView*()>& viewClass, QSize sizeInit,
                  CCreateContext* pContext);

  void SetColumnInfo(int col, int cxIdeal, int cxMin);
  void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
  void SetRowInfo(int row, int cyIdeal, int cyMin);
  void GetRowInfo(int row, int& cyCur, int& cyMin) const;
  int GetIdealColumnWidth(int col) const { return m_colInfo.at(col).nIdealSize; }

  virtual void RecalcLayout();

  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  QWidget* GetPane(int row, int col) const;
  unsigned IdFromRowCol(int row, int col) const;

  // The pane of the frame's active view, when it is one of ours.
  QWidget* GetActivePane(int* pRow = nullptr, int* pCol = nullptr) const;
  // Makes pWnd (or else the pane at row, col) the frame's active view, which
  // also gives it the keyboard focus.
  virtual void SetActivePane(int row, int col, QWidget* pWnd = nullptr);
  void ActivateNext(bool bPrev);

  // The bar widgets between columns, for styling and dragging.
  const std::vector<QWidget*>& ColumnBars() const { return m_colBars; }

  // Hit-testing and tracking geometry, in the splitter's coordinates.
  virtual int HitTest(QPoint pt) const;
  virtual void GetInsideRect(QRect& rect) const;
  // The tracker rectangle for ht; also sets m_ptTrackOffset and narrows
  // m_rectLimit to where that tracker may go.
  virtual void GetHitRect(int ht, QRect& rectHit);
  // A bar dropped with its border at y (x): the new ideal size of the row
  // (column) above (left of) it.
  virtual void TrackRowSize(int y, int row);
  virtual void TrackColumnSize(int x, int col);
  // Adding panes by the split boxes; a static splitter has none.
  virtual bool SplitRow(int cyBefore);
  virtual bool SplitColumn(int cxBefore);
  virtual void SetSplitCursor(int ht);

  bool IsTracking() const { return m_bTracking; }

 protected:
  virtual void OnInvertTracker(const QRect& rect);
  virtual void StartTracking(int ht);
  virtual void StopTracking(bool bAccept);

  // The mouse and cancel-mode handlers.
  void OnLButtonDown(unsigned nFlags, QPoint pt);
  void OnLButtonUp(unsigned nFlags, QPoint pt);
  void OnMouseMove(unsigned nFlags, QPoint pt);
  void OnCancelMode();

  // Sets m_rectLimit and the tracker rectangles (both, for a crossing or
  // both split boxes) for a drag of ht.
  void SetTrackers(int ht);
  // Moves the trackers that m_htTrack drives to the tracked point pt,
  // inverting each before and after it moves.
  void MoveTrackers(QPoint pt);
  // Applies the trackers (already moved back onto the bars' borders) by
  // m_htTrack.
  void ApplyTrackers();

  static unsigned KeyFlags(const QMouseEvent* e);

  bool event(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void hideEvent(QHideEvent* e) override;

  int m_nRows = 0;
  int m_nCols = 0;
  std::vector<CRowColInfo> m_rowInfo;
  std::vector<CRowColInfo> m_colInfo;
  std::vector<QWidget*> m_panes;  // row-major
  std::vector<QWidget*> m_colBars;

  // Tracking state.
  bool m_bTracking = false;
  bool m_bTracking2 = false;    // a second tracker: crossings, both split boxes
  QPoint m_ptTrackOffset;       // mouse to tracker corner
  QRect m_rectLimit;            // where the tracker's corner may go
  QRect m_rectTracker;
  QRect m_rectTracker2;
  int m_htTrack = noHit;

 private:
  CSplitterGeom Geom() const;

  QPointer<QWidget> m_pTrackerWnd;  // shows the inverted trackers
};

}  // namespace fw
