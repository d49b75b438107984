#include "grid/transfer/core/TransferFormats.h"

namespace orlex::grid {

namespace {
// Process-wide by nature: every grid and every drag of the process uses the same identifiers and
// the same rich-text switch.
CLIPFORMAT richTextFormat = 0;
CLIPFORMAT gridColumnFormat = 0;
CLIPFORMAT urlFormat = 0;
bool rtfDropEnabled = false;
}  // namespace

CLIPFORMAT RichTextFormat() { return richTextFormat; }
CLIPFORMAT GridColumnFormat() { return gridColumnFormat; }
CLIPFORMAT UrlFormat() { return urlFormat; }

void RegisterTransferFormats() {
  // Registration cannot fail here (there is no clipboard to open first); a 0 would keep the old value.
  if (const CLIPFORMAT f = RegisterClipboardFormat(kRichTextFormatName)) richTextFormat = f;
  if (const CLIPFORMAT f = RegisterClipboardFormat(kGridColumnFormatName)) gridColumnFormat = f;
  if (const CLIPFORMAT f = RegisterClipboardFormat(kUrlFormatName)) urlFormat = f;
}

bool RtfDropEnabled() { return rtfDropEnabled; }
void SetRtfDropEnabled(bool enabled) { rtfDropEnabled = enabled; }

DWORD DropEffectFor(DWORD keyState, DWORD allowedEffects) {
  if (keyState & MK_CONTROL) return DROPEFFECT_COPY;
  if (allowedEffects & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
  return DROPEFFECT_COPY;
}

}  // namespace orlex::grid
