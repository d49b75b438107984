#pragma once

// The generic drop source: answers the drag loop's continue and feedback queries and starts text and
// column drags. The grid's own source derives from it and fills in the hooks.

#include <cstdint>
#include <string>

#include "platform/ole/ComObject.h"

namespace orlex::grid {

class TOleDropSource : public TComObject<IDropSource> {
 public:
  bool LastFeedbackNone = false;  // the last feedback was for the effect none

  // Escape: DRAGDROP_S_CANCEL; the left button up: ButtonReleased, DRAGDROP_S_DROP; else S_OK.
  // DragPolled runs last in every case.
  HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) override;
  // Records whether the effect is none, calls FeedbackGiven, and leaves the cursors to the platform.
  HRESULT GiveFeedback(DWORD effect) override;

  // Runs a drag of a new data object (text, rich text, no column) through DoDragDrop and returns its
  // result, or DRAGDROP_S_CANCEL when the last feedback was for the effect none. This object and the
  // data object are held for the call and released on return: a source nothing else holds is freed
  // then, so the caller must not touch it afterwards.
  HRESULT BeginTextDrag(const std::string& text, const std::string& richText, DWORD allowedEffects, DWORD* effect);
  // The same for a column index with empty texts.
  HRESULT BeginColumnDrag(std::int32_t column, DWORD allowedEffects, DWORD* effect);

 protected:
  virtual void ButtonReleased() {}
  virtual void FeedbackGiven(DWORD /*effect*/) {}
  virtual void DragPolled() {}

 private:
  HRESULT RunDrag(IDataObject* data, DWORD allowedEffects, DWORD* effect);
};

}  // namespace orlex::grid
