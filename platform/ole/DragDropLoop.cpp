#include "platform/ole/DragDropLoop.h"

#include <utility>

namespace orlex {

namespace {
TDragDropLoop& InstalledLoop() {
  static TDragDropLoop loop;
  return loop;
}
}  // namespace

TDragDropLoop SetDragDropLoop(TDragDropLoop loop) { return std::exchange(InstalledLoop(), std::move(loop)); }

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD allowedEffects, DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  if (data == nullptr || source == nullptr || effect == nullptr) return E_INVALIDARG;
  // A copy, so that a loop that installs another one while it runs stays alive until it returns.
  const TDragDropLoop loop = InstalledLoop();
  if (!loop) return E_UNEXPECTED;
  return loop(data, source, allowedEffects, effect);
}

}  // namespace orlex
