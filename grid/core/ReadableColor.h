#pragma once

#include <cstdint>
#include <functional>

#include "grid/core/GridColor.h"

namespace orlex::grid {

// Text colours that come from the desktop theme stay readable on backgrounds that do not.
//
// The grid and the PID windows paint fixed colours (column colours, the header face, good and bad
// colours) next to colours taken from the theme (window text, highlight, caption text). A dark theme
// turns the theme's text colours light while the fixed backgrounds stay light. The rule:
//  - a text colour the user or the program chose as an RGB value is drawn as it is, always;
//  - a theme text colour drawn on the theme background it was designed for (window text on the
//    window, base or button face; highlight text on the highlight; tooltip text on the tooltip
//    background; button text on the button face) is drawn as it is: the theme answers for that pair;
//  - any other theme text colour is drawn as it is when it contrasts at least 4.5:1 (WCAG AA) with
//    the background actually drawn, otherwise in black or white, whichever contrasts more.
// A light theme's black window text on the light fixed colours passes, so its look does not change.

// The minimum contrast ratio of readable body text.
constexpr double kReadableContrast = 4.5;

// WCAG relative luminance (0 black .. 1 white) of an RGB colour; the system-colour and clNone bits
// are ignored.
double RelativeLuminance(TColor rgb);

// WCAG contrast ratio of two RGB colours, from 1 (equal luminance) to 21 (black on white).
double ContrastRatio(TColor a, TColor b);

// Whether the theme designed text colour `text` to be drawn on background `background` (both system
// colours of a related pair, as listed above).
bool ThemeDesignedPair(TColor text, TColor background);

// Turns a system colour into the RGB colour the theme gives it.
using TSystemColorResolver = std::function<TColor(TColor systemColor)>;

// The RGB colour to draw text of colour `text` on background `background` (either may be a system
// colour; clNone as the background means the text is drawn over nothing known and stays as it is).
TColor ReadableTextColor(TColor text, TColor background, const TSystemColorResolver& resolve);

}  // namespace orlex::grid
