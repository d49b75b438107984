#include "grid/transfer/core/CellRange.h"

namespace orlex::grid {

void ClearCellRange(TCellGridBase& grid, const TGridRect& rect) {
  for (int row = rect.Top; row <= rect.Bottom; ++row)
    for (int col = rect.Left; col <= rect.Right; ++col) {
      grid.ClearCellProperties(col, row);
      if (!grid.CellText(col, row).empty()) grid.SetCells(col, row, "");
    }
  if (grid.OnCellsChanged) grid.OnCellsChanged(grid, rect);
}

}  // namespace orlex::grid
