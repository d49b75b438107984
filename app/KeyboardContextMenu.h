#pragma once

class QWidget;

namespace orlex::app {

// Shift+F10 opens a widget's context menu as the Menu key does: at the widget's keyboard position
// (for the grid, its current cell), not under the mouse pointer.
void AddKeyboardContextMenu(QWidget* widget);

}  // namespace orlex::app
