#pragma once
// The framework's static splitter: a fixed grid of panes with bars between
// them, each row and column with an ideal and a minimum size.
#include "framework/splittergeom.h"
#include "framework/winstyles.h"

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

class CSplitterWnd : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSplitterGap = 6;  // width of the bar between panes

  CSplitterWnd();
  ~CSplitterWnd() override;

  bool CreateStatic(QWidget* pParent, int nRows, int nCols, std::uint32_t dwStyle, unsigned nID);
  bool CreateView(int row, int col, const std::function<CEditView*()>& viewClass, QSize sizeInit,
                  CCreateContext* pContext);

  void SetColumnInfo(int col, int cxIdeal, int cxMin);
  void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
  void SetRowInfo(int row, int cyIdeal, int cyMin);
  int GetIdealColumnWidth(int col) const { return m_colInfo.at(col).nIdealSize; }

  virtual void RecalcLayout();

  int GetRowCount() const { return m_nRows; }
  int GetColumnCount() const { return m_nCols; }
  QWidget* GetPane(int row, int col) const;
  unsigned IdFromRowCol(int row, int col) const;

  // The pane of the frame's active view, when it is one of ours.
  QWidget* GetActivePane(int* pRow = nullptr, int* pCol = nullptr) const;
  void SetActivePane(int row, int col);
  void ActivateNext(bool bPrev);

  // The bar widgets between columns, for styling and (later) dragging.
  const std::vector<QWidget*>& ColumnBars() const { return m_colBars; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

  int m_nRows = 0;
  int m_nCols = 0;
  std::vector<CRowColInfo> m_rowInfo;
  std::vector<CRowColInfo> m_colInfo;
  std::vector<QWidget*> m_panes;  // row-major
  std::vector<QWidget*> m_colBars;
};

}  // namespace fw
