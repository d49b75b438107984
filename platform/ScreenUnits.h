#pragma once

#include <limits>

// Font sizes are stored in points and drawn at 96 dots per inch, whatever the screen reports, so a
// saved size looks as it did on the desktop it was chosen on.

namespace orlex {

inline constexpr int kPointsPerInch = 72;
inline constexpr int kScreenDotsPerInch = 96;

// Pixel height of a font of `points` points, rounded half away from zero; a negative size (a
// character height) counts by its magnitude. At least 1, so a zoom far below a font's size never
// gives an invalid font, and at most maxPixels.
int PointsToPixels(int points, int maxPixels = std::numeric_limits<int>::max());

// Point size of a pixel height, rounded to the nearest point.
int PixelsToPoints(int pixels);

}  // namespace orlex
