#pragma once

#include <QRect>

namespace orlex::grid {
class TCellGrid;
}

namespace orlex::app {

// Where the grid sits in the main window's designed client area (it follows all four edges).
inline constexpr QRect kPidGridDesignRect{8, 8, 774, 540};

// The main window's grid widget as the form sets it up: the store's configuration, column width and
// row height, the flat border without 3D, both scroll bars. Drag and drop, the handlers and the end of
// loading are the main window's part.
void ConfigurePidGridWidget(grid::TCellGrid& grid);

}  // namespace orlex::app
