#pragma once

#include "grid/core/CellGridBase.h"
#include "grid/core/GridTypes.h"

namespace orlex::grid {

// Empties every cell of a rectangle as a move's source is emptied: a cell's property record goes
// (its tag and colours with it), a non-empty text becomes empty. The grid repaints what changes and
// reports the rectangle as changed.
void ClearCellRange(TCellGridBase& grid, const TGridRect& rect);

}  // namespace orlex::grid
