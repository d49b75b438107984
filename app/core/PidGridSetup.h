#pragma once

namespace orlex::grid {
class TCellGridBase;
}

namespace orlex::app {

// The main window's grid as the form sets it up: counts, headers, colours, fonts and options. The
// widget's own settings (sizes, scroll bars, drag and drop) are set by the main window.
void ConfigurePidGrid(grid::TCellGridBase& grid);

inline constexpr int kPidGridCols = 6;
inline constexpr int kPidGridRows = 21;

}  // namespace orlex::app
