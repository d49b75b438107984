#pragma once

// The generic drop target: decides at entry whether a drag offers a format it accepts, answers
// every hover and drop with the effect rule, and hands dropped data to overridable operations that
// the grid's own target fills in.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ole/ComObject.h"

namespace orlex::grid {

// Which recognised formats a drag offers: a set of the flags below.
using TDropFormats = std::uint8_t;
enum TDropFormat : std::uint8_t { dfText = 1, dfFiles = 2, dfColumn = 4, dfRichText = 8, dfURL = 16 };

class TOleDropTarget : public TComObject<IDropTarget> {
 public:
  bool EnterAccepted = false;  // the drag that entered last offers a format accepted here
  bool AcceptsText = true;     // plain text and rich text
  bool AcceptsFiles = true;
  bool AcceptsColumns = false;
  bool AcceptsURLs = true;
  TDropFormats OfferedFormats = 0;  // of the drag that entered last (rich text whatever RtfDropEnabled)

  // Every call answers S_OK. A failure inside (a hook that throws, memory) does not cross the
  // interface: the call answers E_UNEXPECTED with the effect none, so a source never clears cells
  // after a drop that did not complete.
  HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT DragLeave() override;
  // With the drag accepted at entry: a column alone, or rich text (when enabled) or else plain text,
  // then the file list, then the URL (its text read from CF_TEXT); every offered format is delivered.
  HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

 protected:
  virtual void TextDropped(POINTL /*point*/, const std::string& /*text*/) {}
  virtual void ColumnDropped(POINTL /*point*/, std::int32_t /*column*/) {}
  virtual void RtfDropped(POINTL /*point*/, const std::string& /*richText*/) {}
  virtual void FilesDropped(POINTL /*point*/, const std::vector<std::string>& /*names*/) {}
  virtual void UrlDropped(POINTL /*point*/, const std::string& /*url*/) {}
  virtual void DragMoving(POINTL /*point*/, bool& /*allow*/, TDropFormats /*offered*/) {}
  virtual void DragEntering() {}
  virtual void DragLeaving() {}
};

}  // namespace orlex::grid
