#pragma once

#include "grid/core/GridColor.h"

namespace orlex::grid {
class TCellGridBase;
}

namespace orlex::app {

// The main window's grid as the form sets it up: counts, headers, colours, fonts and options. The
// widget's own settings (sizes, scroll bars, drag and drop) are set by the main window.
void ConfigurePidGrid(grid::TCellGridBase& grid);

inline constexpr int kPidGridCols = 6;
inline constexpr int kPidGridRows = 21;
// The header row's face.
inline constexpr grid::TColor kPidGridFixedColor = 14936298;
// Every column's width before the fit to the window's width, at the start and at every resize.
inline constexpr int kPidGridColWidth = 128;
inline constexpr int kPidGridRowHeight = 22;
// The arrows that mark where a dragged slot would land.
inline constexpr grid::TColor kDropArrowColor = grid::clRed;

}  // namespace orlex::app
