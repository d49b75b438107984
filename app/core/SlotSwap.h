#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "grid/core/CellGridBase.h"

namespace orlex::app {

// What the main window remembers between the grid's drag events while a slot is dragged onto
// another one. The source fields are set when the grid asks whether a drag may start, the target
// fields when a drop lands on a description cell; the swap at the end of the drag reads both.
struct TDragState {
  int DragSourceCol = 0;
  int DragSourceRow = 0;
  std::intptr_t DragSourceTag = -1;
  // The source description as it was when the drag started, so a slot whose drop never reached
  // this grid can be put back.
  std::string DragSourceText;
  int DropTargetCol = -1;
  int DropTargetRow = -1;
  std::intptr_t DropTargetTag = -1;
  std::string DropTargetText;

  bool DropRecorded() const { return DropTargetTag != -1 && DropTargetRow != -1 && DropTargetCol != -1; }
};

// Forgets the recorded drop target.
void ClearDropTarget(TDragState& state);

// May a drag start at (row, col)? Only the description cell of an occupied slot, and only when one
// cell is selected: a block of cells would carry several slots' texts and lose their tags. The
// source is the selected cell, which is what the grid drags and empties, even when the pointer has
// already moved on to the next cell (row, col) by the time the drag starts. The source fields are
// recorded whatever the answer, and a drop target left from an earlier drop is forgotten.
bool SlotDragAllowed(TDragState& state, const grid::TCellGridBase& grid, int row, int col);

// May the pointer drop at (row, col)? Description cells of slot rows, free or occupied.
bool SlotDropAllowed(const grid::TCellGridBase& grid, int row, int col);

// A drop at (row, col) carrying `data`: records the target slot as it is before the grid writes the
// dropped text into it. A value column, or text that would spill over into other cells (TAB or a
// line break, as text from another application may carry), is refused and leaves nothing recorded.
bool RecordSlotDrop(TDragState& state, const grid::TCellGridBase& grid, int row, int col, const std::string& data);

// The drag that started here ended in a drop. With a drop recorded in this grid: the two slots
// exchange texts and tags, both value cells are emptied until the next refresh, both rows are
// re-sized and the column colours are laid again (the grid's move removed the source cell's record
// with its colour). Without one (the text went to another application, or the drop was refused
// after the grid had cleared the source), the source slot gets its text and tag back.
void FinishSlotDrag(TDragState& state, grid::TCellGridBase& grid, const std::function<void(int row)>& autoSizeRow);

}  // namespace orlex::app
