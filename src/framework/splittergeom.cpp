#include "framework/splittergeom.h"

#include <algorithm>
#include <climits>

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

}  // namespace fw
