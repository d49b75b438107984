#pragma once

#include "grid/core/GridNavigation.h"

namespace orlex::grid {

// Where the view of a grid goes while a drag hovers over cell (col, row). Vertically at every hover:
// one row up over a header row while scrolled down (or near the top of a grid without fixed rows),
// one row down over the partly visible row at the bottom. Sideways at most once per tick of the
// grid's 500 ms timer: only when tickCount is even, which advances it.
struct TDropScroll {
  int LeftCol = 0;
  int TopRow = 0;
  int TickCount = 0;
};
TDropScroll DropAutoScroll(const TGridAxis& cols, const TGridAxis& rows, int leftCol, int topRow, int col, int row,
                           int clientY, int tickCount);

// The grid's own verdict on a hover: a column can only land on a header cell of a scrollable
// column; anything else never on a header row (unless the grid is that one row and FixedRowAlways).
struct TDropVerdictFacts {
  bool ColumnDrag = false;
  int Col = -1;
  int Row = -1;
  int FixedCols = 0;
  int FixedRows = 0;
  int RowCount = 0;
  bool FixedRowAlways = false;
};
bool GridDropVerdict(bool allow, const TDropVerdictFacts& facts);

}  // namespace orlex::grid
