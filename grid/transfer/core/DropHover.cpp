#include "grid/transfer/core/DropHover.h"

namespace orlex::grid {

TDropScroll DropAutoScroll(const TGridAxis& cols, const TGridAxis& rows, int leftCol, int topRow, int col, int row,
                           int clientY, int tickCount) {
  TDropScroll next{leftCol, topRow, tickCount};
  if ((row == 0 && topRow > rows.Fixed) || (clientY < 8 && rows.Fixed == 0 && topRow > 0)) {
    next.TopRow = topRow - 1;
  } else if (row == rows.LastFullyVisible(topRow) + 1) {
    next.TopRow = rows.LimitTopLeft(topRow + 1);
  }
  if (tickCount % 2 == 0) {
    next.TickCount = tickCount + 1;
    if (col == 0 && leftCol > cols.Fixed) {
      next.LeftCol = leftCol - 1;
    } else if (col == cols.LastFullyVisible(leftCol) + 1) {
      next.LeftCol = cols.LimitTopLeft(leftCol + 1);
    }
  }
  return next;
}

bool GridDropVerdict(bool allow, const TDropVerdictFacts& f) {
  if (f.ColumnDrag) {
    if (f.Row >= f.FixedRows || f.Col < f.FixedCols) return false;
    return allow;
  }
  if (f.Row >= 0 && f.Row < f.FixedRows && !(f.RowCount == 1 && f.FixedRowAlways)) return false;
  return allow;
}

}  // namespace orlex::grid
