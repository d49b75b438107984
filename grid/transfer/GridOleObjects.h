#pragma once

#include <cstdint>
#include <string>

namespace orlex::grid {

class TCellGrid;

// The grid's side of the data transfer objects: a drop source whose hooks free and move the grid's
// drag picture, and a drop target that hands hover and drops to the grid. Kept apart from the grid's
// own code, which sees only these calls.

// Runs a text drag from the grid through a new drop source: the platform's drag loop result
// (DRAGDROP_S_DROP or DRAGDROP_S_CANCEL, or a failure), and the effect in `effect`.
long RunGridTextDrag(TCellGrid& grid, const std::string& text, const std::string& richText,
                     std::uint32_t allowedEffects, std::uint32_t* effect);

// The grid's drop target object, registered for its viewport; RevokeGridDropTarget undoes it.
// RegisterGridDropTarget returns whether the registration succeeded.
bool RegisterGridDropTarget(TCellGrid& grid);
void RevokeGridDropTarget(TCellGrid& grid);
// Copies the accept settings into the registered target (text, files, URLs).
void SetGridDropTargetAccepts(TCellGrid& grid, bool text, bool files, bool urls);

}  // namespace orlex::grid
