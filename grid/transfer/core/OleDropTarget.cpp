#include "grid/transfer/core/OleDropTarget.h"

#include "grid/transfer/core/EnumFormats.h"
#include "grid/transfer/core/TransferFormats.h"

namespace orlex::grid {

namespace {

// Runs one interface call; a failure becomes E_UNEXPECTED with the effect none.
template <class Call>
HRESULT Guarded(DWORD* effect, Call call) {
  try {
    call();
    return S_OK;
  } catch (...) {
    if (effect) *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

}  // namespace

HRESULT TOleDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
  return Guarded(effect, [&] {
    TEnumFormats reader(data);
    const bool text = reader.HasFormat(CF_TEXT);
    const bool files = reader.HasFormat(CF_HDROP);
    const bool rich = reader.HasFormat(RichTextFormat());
    const bool column = reader.HasFormat(GridColumnFormat());
    const bool url = reader.HasFormat(UrlFormat());
    EnterAccepted = (text && AcceptsText) || (files && AcceptsFiles) || (rich && RtfDropEnabled() && AcceptsText) ||
                    (column && AcceptsColumns) || (url && AcceptsURLs);
    OfferedFormats = (text ? dfText : 0) | (files ? dfFiles : 0) | (column ? dfColumn : 0) |
                     (rich ? dfRichText : 0) | (url ? dfURL : 0);
    if (effect) *effect = EnterAccepted ? DropEffectFor(keyState, *effect) : DROPEFFECT_NONE;
    DragEntering();
  });
}

HRESULT TOleDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  return Guarded(effect, [&] {
    DWORD result = EnterAccepted ? DropEffectFor(keyState, effect ? *effect : DROPEFFECT_NONE) : DROPEFFECT_NONE;
    bool allow = result != DROPEFFECT_NONE;
    DragMoving(point, allow, OfferedFormats);
    if (!allow) result = DROPEFFECT_NONE;
    if (effect) *effect = result;
  });
}

HRESULT TOleDropTarget::DragLeave() {
  return Guarded(nullptr, [&] { DragLeaving(); });
}

HRESULT TOleDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  return Guarded(effect, [&] {
    if (!EnterAccepted) {
      if (effect) *effect = DROPEFFECT_NONE;
      return;
    }
    const DWORD allowed = effect ? *effect : DROPEFFECT_NONE;
    TEnumFormats reader(data);
    if (reader.HasFormat(GridColumnFormat())) {
      ColumnDropped(point, reader.Integer(GridColumnFormat()));
    } else {
      if (reader.HasFormat(RichTextFormat()) && RtfDropEnabled()) {
        RtfDropped(point, reader.Text(RichTextFormat()));
      } else if (reader.HasFormat(CF_TEXT)) {
        TextDropped(point, reader.Text(CF_TEXT));
      }
      if (reader.HasFormat(CF_HDROP)) {
        reader.ReadFileNames();
        FilesDropped(point, reader.FileNames);
      }
      if (reader.HasFormat(UrlFormat())) UrlDropped(point, reader.Text(CF_TEXT));
    }
    if (effect) *effect = DropEffectFor(keyState, allowed);
  });
}

}  // namespace orlex::grid
