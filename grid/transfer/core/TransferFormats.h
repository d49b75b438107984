#pragma once

// The formats cells travel in, the process-wide rich-text switch and the drop effect rule.

#include <cstdint>

#include "platform/ole/ClipboardFormats.h"

namespace orlex::grid {

inline constexpr const char* kRichTextFormatName = "Rich Text Format";
inline constexpr const char* kGridColumnFormatName = "Grid Column";
inline constexpr const char* kUrlFormatName = "UniformResourceLocator";

// The registered identifiers: process-wide, 0 until RegisterTransferFormats has run. A 0 never
// matches an offered format.
CLIPFORMAT RichTextFormat();
CLIPFORMAT GridColumnFormat();
CLIPFORMAT UrlFormat();
void RegisterTransferFormats();

// Rich text is offered by drags and accepted by drops only while this is set (by any grid's
// OleDropRTF setter; the last value written counts for all grids). Off at start.
bool RtfDropEnabled();
void SetRtfDropEnabled(bool enabled);

// The effect of a drop or hover: Ctrl copies; otherwise a move when the source allows one, else a
// copy (also when the source allows neither). Shift and Alt play no part.
DWORD DropEffectFor(DWORD keyState, DWORD allowedEffects);

}  // namespace orlex::grid
