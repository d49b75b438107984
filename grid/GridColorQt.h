#pragma once

#include <QColor>
#include <QPalette>

#include "grid/core/GridColor.h"

namespace orlex::grid {

// The Qt colour of a grid colour. System colours are looked up in the palette (button face ->
// Button, highlight -> Highlight, highlight text -> HighlightedText, window text -> WindowText,
// window -> Base, caption text -> HighlightedText, info background -> ToolTipBase, the others by the
// nearest role); RGB colours are taken as they are. clNone yields a transparent colour, so a
// missing colour never paints.
QColor ColorToQColor(TColor color, const QPalette& palette);

// The colour to draw text of colour `text` on background `background`: theme text colours stay
// readable on fixed backgrounds (grid/core/ReadableColor.h); chosen colours are drawn as they are.
QColor ReadableTextQColor(TColor text, TColor background, const QPalette& palette);

// The palette role that stands for system colour number `index`.
QPalette::ColorRole SystemColorRole(std::uint8_t index);

}  // namespace orlex::grid
