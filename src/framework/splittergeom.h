#pragma once
// Pure geometry of a static splitter: how ideal and minimum sizes become the
// current sizes of its rows or columns.
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

}  // namespace fw
