#pragma once

namespace orlex::grid {

// The grid's drag and drop settings, as far as a left press needs them to decide whether it arms a
// drag. The drag and drop code owns the rest of this group.
struct TDragDropSettings {
  bool OleDropSource = false;  // the grid can start drags
};

}  // namespace orlex::grid
