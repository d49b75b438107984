#include "platform/ScreenUnits.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace orlex {

int PointsToPixels(int points, int maxPixels) {
  const std::int64_t scaled = static_cast<std::int64_t>(std::llabs(points)) * kScreenDotsPerInch;
  const std::int64_t pixels = (scaled + kPointsPerInch / 2) / kPointsPerInch;
  return static_cast<int>(std::clamp<std::int64_t>(pixels, 1, std::max(1, maxPixels)));
}

int PixelsToPoints(int pixels) {
  return (pixels * kPointsPerInch + kScreenDotsPerInch / 2) / kScreenDotsPerInch;
}

}  // namespace orlex
