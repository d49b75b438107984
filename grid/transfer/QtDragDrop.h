#pragma once

// The three drag and drop calls of the platform over Qt: DoDragDrop runs a QDrag (installed as the
// drag loop at start), RegisterDragDrop hands a widget's drag events to a drop target.

#include "platform/ole/OleTypes.h"

class QWidget;

namespace orlex::grid {

// Installs the QDrag loop behind DoDragDrop. The drag carries a snapshot of the data object's
// formats; a short timer polls the source (continue query, picture following the pointer) while Qt
// runs its own loop; the source hears of every change of the target's answer (feedback). Escape, or
// a release where nothing accepts, gives DRAGDROP_S_CANCEL; a drop gives DRAGDROP_S_DROP with the
// effect the target chose.
void InstallQtDragDropLoop();

// Forwards the widget's drag enter, move, leave and drop events to the target, which is held until
// RevokeDragDrop or the widget's end. A second registration of the same widget fails with
// DRAGDROP_E_ALREADYREGISTERED, revoking an unregistered one with DRAGDROP_E_NOTREGISTERED.
HRESULT RegisterDragDrop(QWidget* window, IDropTarget* target);
HRESULT RevokeDragDrop(QWidget* window);
// The target registered for a widget, or nullptr.
IDropTarget* RegisteredDropTarget(QWidget* window);

}  // namespace orlex::grid
