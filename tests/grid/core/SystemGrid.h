#pragma once

#include "app/core/PidGridSetup.h"
#include "app/core/PidRegistry.h"
#include "app/core/SlotLayout.h"
#include "grid/core/CellGridBase.h"

namespace orlex::grid {

// The grid as the main window's form configures it (6 x 21, one header row, no fixed column), at
// the end of loading.
inline void ConfigureSystemGrid(TCellGridBase& grid) {
  app::ConfigurePidGrid(grid);
  grid.Loaded();
}

// What the main window does at start-up with no PID yet: empty rows 1 to 20 with tag 0 (giving every
// cell a record), then the column colours.
inline void StartUpClear(TCellGridBase& grid) {
  app::TPidTable noPids;
  app::ResetGrid(grid, noPids);
}

}  // namespace orlex::grid
