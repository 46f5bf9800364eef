#include "framework/splitter.h"

#include "framework/document.h"
#include "framework/editview.h"
#include "framework/framewnd.h"

#include <QResizeEvent>

namespace fw {

namespace {
constexpr unsigned AFX_IDW_PANE_FIRST = 0xE900;
}

CSplitterWnd::CSplitterWnd() = default;
CSplitterWnd::~CSplitterWnd() = default;

bool CSplitterWnd::CreateStatic(QWidget* pParent, int nRows, int nCols, std::uint32_t dwStyle, unsigned nID) {
  if (nRows < 1 || nCols < 1 || m_nRows != 0) return false;
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

void CSplitterWnd::SetActivePane(int row, int col) {
  auto* view = dynamic_cast<CEditView*>(GetPane(row, col));
  auto* frame = dynamic_cast<CFrameWnd*>(window());
  if (view && frame) frame->SetActiveView(view);
  else if (QWidget* pane = GetPane(row, col)) pane->setFocus(Qt::OtherFocusReason);
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

}  // namespace fw
