#pragma once

// The platform's drag loop behind DoDragDrop. The loop itself needs windows, so the windowed layer
// installs it at start; window-free code (and its tests) calls DoDragDrop through this seam.

#include <functional>

#include "platform/ole/OleTypes.h"

namespace orlex {

// Runs a drag of `data` with `source` answering the continue and feedback queries: DRAGDROP_S_DROP
// with the effect the target chose, or DRAGDROP_S_CANCEL.
using TDragDropLoop = std::function<HRESULT(IDataObject* data, IDropSource* source, DWORD allowedEffects,
                                            DWORD* effect)>;

// Installs the loop (an empty function removes it) and returns the one installed before.
TDragDropLoop SetDragDropLoop(TDragDropLoop loop);

// Runs the installed loop; without one, or with a null argument, the drag cannot run: E_UNEXPECTED
// (E_INVALIDARG) and the effect none.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect);

}  // namespace orlex
