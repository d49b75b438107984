// The main window's side of dragging a slot onto another one: the grid runs the drag and asks these
// handlers; the rules and the swap itself work on the grid model (app/core/SlotSwap).
#include "app/Unit2.h"

void TForm2::ConnectDragHandlers() {
  pidgrid->OnOleDrag = [this](TCellGrid& sender, int row, int col, const std::string& data, bool& allow) {
    pidgridOleDrag(sender, row, col, data, allow);
  };
  pidgrid->OnOleDragStart = [this](TCellGrid& sender, int row, int col) { pidgridOleDragStart(sender, row, col); };
  pidgrid->OnOleDragOver = [this](TCellGrid& sender, int row, int col, bool& allow) {
    pidgridOleDragOver(sender, row, col, allow);
  };
  pidgrid->OnOleDrop = [this](TCellGrid& sender, int row, int col, const std::string& data, bool& allow) {
    pidgridOleDrop(sender, row, col, data, allow);
  };
  pidgrid->OnOleDragStop = [this](TCellGrid& sender, int effect) { pidgridOleDragStop(sender, effect); };
  pidgrid->OnOleDragEnded = [this](TCellGrid& sender, long result) { pidgridOleDragEnded(sender, result); };
}

void TForm2::pidgridOleDrag(TCellGrid&, int ARow, int ACol, const std::string&, bool& Allow) {
  Allow = orlex::app::SlotDragAllowed(dragState_, *pidgrid, ARow, ACol);
}

void TForm2::pidgridOleDragStart(TCellGrid&, int, int) {
  // The pointer stays over this window while a slot is dragged.
  confinement_.Confine(frameGeometry());
}

void TForm2::pidgridOleDragOver(TCellGrid&, int ARow, int ACol, bool& Allow) {
  Allow = orlex::app::SlotDropAllowed(*pidgrid, ARow, ACol);
}

void TForm2::pidgridOleDrop(TCellGrid&, int ARow, int ACol, const std::string& data, bool& Allow) {
  Allow = orlex::app::RecordSlotDrop(dragState_, *pidgrid, ARow, ACol, data);
}

void TForm2::pidgridOleDragStop(TCellGrid&, int) {
  confinement_.Release();
  orlex::app::FinishSlotDrag(dragState_, *pidgrid, [this](int row) { pidgrid->AutoSizeRow(row); });
}

void TForm2::pidgridOleDragEnded(TCellGrid&, long) { confinement_.Release(); }
