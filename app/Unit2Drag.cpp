// The main window's side of dragging a slot onto another one: the grid runs the drag and asks these
// handlers; the rules and the swap itself work on the grid model (app/core/SlotSwap).
#include "app/Unit2.h"

namespace orlex::app {

void TForm2::ConnectDragHandlers() {
  pidgrid->OnOleDrag = [this](grid::TCellGrid& sender, int row, int col, const std::string& data, bool& allow) {
    pidgridOleDrag(sender, row, col, data, allow);
  };
  pidgrid->OnOleDragStart = [this](grid::TCellGrid& sender, int row, int col) { pidgridOleDragStart(sender, row, col); };
  pidgrid->OnOleDragOver = [this](grid::TCellGrid& sender, int row, int col, bool& allow) {
    pidgridOleDragOver(sender, row, col, allow);
  };
  pidgrid->OnOleDrop = [this](grid::TCellGrid& sender, int row, int col, const std::string& data, bool& allow) {
    pidgridOleDrop(sender, row, col, data, allow);
  };
  pidgrid->OnOleDragStop = [this](grid::TCellGrid& sender, int effect) { pidgridOleDragStop(sender, effect); };
  pidgrid->OnOleDragEnded = [this](grid::TCellGrid& sender, long result) { pidgridOleDragEnded(sender, result); };
}

void TForm2::pidgridOleDrag(grid::TCellGrid&, int ARow, int ACol, const std::string&, bool& Allow) {
  Allow = SlotDragAllowed(dragState_, *pidgrid, ARow, ACol);
}

void TForm2::pidgridOleDragStart(grid::TCellGrid&, int, int) {
  // The pointer stays over this window while a slot is dragged.
  confinement_.Confine(frameGeometry());
}

void TForm2::pidgridOleDragOver(grid::TCellGrid&, int ARow, int ACol, bool& Allow) {
  Allow = SlotDropAllowed(*pidgrid, ARow, ACol);
}

void TForm2::pidgridOleDrop(grid::TCellGrid&, int ARow, int ACol, const std::string& data, bool& Allow) {
  Allow = RecordSlotDrop(dragState_, *pidgrid, ARow, ACol, data);
}

void TForm2::pidgridOleDragStop(grid::TCellGrid&, int) {
  confinement_.Release();
  FinishSlotDrag(dragState_, *pidgrid, [this](int row) { pidgrid->AutoSizeRow(row); });
}

void TForm2::pidgridOleDragEnded(grid::TCellGrid&, long) { confinement_.Release(); }

}  // namespace orlex::app
