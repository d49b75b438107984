#pragma once

class TCellGridBase;

// The main window's grid as the form sets it up: counts, headers, colours, fonts and options. The
// widget's own settings (sizes, scroll bars, drag and drop) are set by the main window.
void ConfigurePidGrid(TCellGridBase& grid);

inline constexpr int kPidGridCols = 6;
inline constexpr int kPidGridRows = 21;
