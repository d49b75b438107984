#include "app/core/SlotSwap.h"

#include "app/core/SlotLayout.h"

namespace orlex::app {

void ClearDropTarget(TDragState& state) {
  state.DropTargetText.clear();
  state.DropTargetTag = -1;
  state.DropTargetCol = -1;
  state.DropTargetRow = -1;
}

bool SlotDragAllowed(TDragState& state, const grid::TCellGridBase& grid, int row, int col) {
  // A drop of another program's drag is recorded too, and no drag stop of ours follows it; what it
  // left must not be taken for this drag's target.
  ClearDropTarget(state);
  const grid::TGridRect selection = grid.Selection();
  const bool singleCell = selection.Left == selection.Right && selection.Top == selection.Bottom;
  // The grid names the cell under the pointer, which a quick first movement may already have left;
  // what travels and what a move empties is the selected cell, so that is the slot that swaps.
  // A press on the header row is no slot drag, whatever is selected.
  const bool headerRow = row < 1;
  if (singleCell) {
    col = selection.Left;
    row = selection.Top;
  }
  state.DragSourceCol = col;
  state.DragSourceRow = row;
  state.DragSourceTag = grid.Objects(col, row);
  state.DragSourceText = grid.Cells(col, row);
  return IsSlotCell(grid, col, row) && state.DragSourceTag != 0 && singleCell && !headerRow;
}

bool SlotDropAllowed(const grid::TCellGridBase& grid, int row, int col) { return IsSlotCell(grid, col, row); }

bool RecordSlotDrop(TDragState& state, const grid::TCellGridBase& grid, int row, int col, const std::string& data) {
  ClearDropTarget(state);
  if (!IsSlotCell(grid, col, row)) return false;
  if (data.find_first_of("\t\r\n") != std::string::npos) return false;
  state.DropTargetText = grid.Cells(col, row);
  state.DropTargetTag = grid.Objects(col, row);
  state.DropTargetCol = col;
  state.DropTargetRow = row;
  return true;
}

void FinishSlotDrag(TDragState& state, grid::TCellGridBase& grid, const std::function<void(int row)>& autoSizeRow) {
  const int sourceCol = state.DragSourceCol;
  const int sourceRow = state.DragSourceRow;
  if (!state.DropRecorded()) {
    if (state.DragSourceTag > 0 && IsSlotCell(grid, sourceCol, sourceRow)) {
      grid.SetCells(sourceCol, sourceRow, state.DragSourceText);
      grid.SetObjects(sourceCol, sourceRow, state.DragSourceTag);
      grid.SetObjects(sourceCol + 1, sourceRow, state.DragSourceTag);
      SetSlotColumnColors(grid);
    }
    state.DragSourceTag = -1;
    return;
  }
  grid.SetCells(state.DropTargetCol + 1, state.DropTargetRow, "");
  grid.SetCells(sourceCol + 1, sourceRow, "");
  grid.SetCells(sourceCol, sourceRow, state.DropTargetText);
  grid.SetObjects(sourceCol, sourceRow, state.DropTargetTag);
  grid.SetObjects(sourceCol + 1, sourceRow, state.DropTargetTag);
  grid.SetObjects(state.DropTargetCol, state.DropTargetRow, state.DragSourceTag);
  grid.SetObjects(state.DropTargetCol + 1, state.DropTargetRow, state.DragSourceTag);
  if (autoSizeRow) {
    autoSizeRow(state.DropTargetRow);
    autoSizeRow(sourceRow);
  }
  SetSlotColumnColors(grid);
  state.DropTargetRow = -1;
  state.DropTargetCol = -1;
  state.DropTargetText.clear();
  state.DropTargetTag = -1;
  state.DragSourceTag = -1;
}

}  // namespace orlex::app
