#include "grid/transfer/core/OleDropSource.h"

#include "grid/transfer/core/SourceDataObject.h"
#include "platform/ole/DragDropLoop.h"

namespace orlex::grid {

HRESULT TOleDropSource::QueryContinueDrag(bool escapePressed, DWORD keyState) {
  HRESULT result = S_OK;
  if (escapePressed) {
    result = DRAGDROP_S_CANCEL;
  } else if (!(keyState & MK_LBUTTON)) {
    ButtonReleased();
    result = DRAGDROP_S_DROP;
  }
  DragPolled();
  return result;
}

HRESULT TOleDropSource::GiveFeedback(DWORD effect) {
  LastFeedbackNone = effect == DROPEFFECT_NONE;
  FeedbackGiven(effect);
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT TOleDropSource::BeginTextDrag(const std::string& text, const std::string& richText, DWORD allowedEffects,
                                      DWORD* effect) {
  TComPtr<IDataObject> data(new TSourceDataObject(text, richText, -1));
  return RunDrag(data.Get(), allowedEffects, effect);
}

HRESULT TOleDropSource::BeginColumnDrag(std::int32_t column, DWORD allowedEffects, DWORD* effect) {
  TComPtr<IDataObject> data(new TSourceDataObject({}, {}, column));
  return RunDrag(data.Get(), allowedEffects, effect);
}

HRESULT TOleDropSource::RunDrag(IDataObject* data, DWORD allowedEffects, DWORD* effect) {
  TComPtr<IDropSource> self(this);
  DWORD localEffect = DROPEFFECT_NONE;
  HRESULT result = DoDragDrop(data, this, allowedEffects, effect ? effect : &localEffect);
  if (LastFeedbackNone) result = DRAGDROP_S_CANCEL;
  return result;  // `self` goes last and may free this object
}

}  // namespace orlex::grid
