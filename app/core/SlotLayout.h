#pragma once

#include <functional>
#include <string>

#include "app/core/PidRegistry.h"
#include "app/core/SettingsSource.h"
#include "grid/core/CellGridBase.h"
#include "grid/core/GridColor.h"

namespace orlex::app {

// How PIDs sit in the grid. A slot is a description cell in column 0, 2 or 4 and a row from 1 to
// RowCount - 1, with the value cell to its right; both cells carry the PID's ID as their Objects tag,
// and tag 0 on the description cell marks the slot free. Everything here works on the grid's store
// alone, so it runs without a window.

struct TGridSlot {
  int Col = -1;
  int Row = -1;
  friend bool operator==(const TGridSlot&, const TGridSlot&) = default;
};

inline constexpr int kSlotColumns[] = {0, 2, 4};
inline constexpr const char* kValueColumnColor = "f9f08c";
inline constexpr const char* kDescriptionColumnColor = "c3f8fd";
inline constexpr const char* kNoRoomLeft = "No room Left";

// Six hex digits RRGGBB as a colour value (red + 256 * green + 65536 * blue). Anything but six hex
// digits fails with std::invalid_argument.
grid::TColor HexToColor(const std::string& hex);

// Whether (col, row) is a slot's description cell in this grid.
bool IsSlotCell(const grid::TCellGridBase& grid, int col, int row);

// Empties every cell below the header row and sets its tag to 0, destroys every record of the table
// with its PID window, then colours the value columns and the description columns.
void ResetGrid(grid::TCellGridBase& grid, TPidTable& table);

// Colours the value columns and the description columns (the last step of ResetGrid).
void SetSlotColumnColors(grid::TCellGridBase& grid);

// Puts the PID of table slot n into the slot saved for its key ("XPOS", "YPOS", "ID"; no settings
// file means none saved), tagged with the saved ID, and clears NeedsPlacement. Without a complete
// saved position, or with one outside the slot area, NeedsPlacement is set and the grid untouched.
void RestoreGridPosition(grid::TCellGridBase& grid, TPidTable& table, const TSettingsSource* settings, int n);

// The first free description cell, column by column (0, 2, 4), rows 1 to RowCount - 1; (-1, -1)
// when every slot is taken.
TGridSlot FindFreeSlot(const grid::TCellGridBase& grid);

// Puts every PID that still needs a slot, in table order, into the first free slot. When the grid is
// full, `showMessage` is called once with "No room Left" and the remaining PIDs keep NeedsPlacement.
void PlaceUnplacedPids(grid::TCellGridBase& grid, TPidTable& table,
                       const std::function<void(const std::string&)>& showMessage);

// For every slot, column by column, and every PID in table order whose ID equals the slot's tag:
// the PID's window gets the value, the slot gets the description and the value. A PID in two slots
// updates its window twice; of two PIDs sharing an ID the later one wins the cells. The match is
// kept in the table and made again after any change to the grid's cells or counts or to the table.
void RefreshGridValues(grid::TCellGridBase& grid, TPidTable& table);

}  // namespace orlex::app
