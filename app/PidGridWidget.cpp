#include "app/PidGridWidget.h"

#include "app/core/PidGridSetup.h"
#include "grid/CellGrid.h"

namespace orlex::app {

void ConfigurePidGridWidget(grid::TCellGrid& grid) {
  ConfigurePidGrid(grid);
  grid.SetDefaultColWidth(kPidGridColWidth);
  grid.SetFixedColWidth(kPidGridColWidth);
  grid.SetFixedRowHeight(kPidGridRowHeight);
  grid.SetCtl3D(false);
  grid.ScrollBars = grid::ssBoth;
}

}  // namespace orlex::app
