#include "grid/core/GlyphStamps.h"

#include <algorithm>
#include <cstring>

namespace orlex::grid {

TPixelBox StampsBox(std::span<const TPlacedStamp> stamps) {
  TPixelBox box;
  bool any = false;
  for (const TPlacedStamp& placed : stamps) {
    if (!placed.stamp || placed.stamp->Empty()) continue;
    const TPixelBox own{placed.x, placed.y, placed.x + placed.stamp->width, placed.y + placed.stamp->height};
    if (!any) {
      box = own;
      any = true;
      continue;
    }
    box.left = std::min(box.left, own.left);
    box.top = std::min(box.top, own.top);
    box.right = std::max(box.right, own.right);
    box.bottom = std::max(box.bottom, own.bottom);
  }
  return box;
}

bool ComposeStamps(const TPixelRows& destination, const TPixelBox& box, std::span<const TPlacedStamp> stamps,
                   std::uint32_t background, std::uint32_t* out, std::ptrdiff_t outStride,
                   std::vector<std::uint8_t>& used) {
  if (box.Empty() || box.left < 0 || box.top < 0 || box.right > destination.width ||
      box.bottom > destination.height) {
    return false;
  }
  const int width = box.Width();
  const int height = box.Height();
  // The destination as it is, which must be opaque: the composed box replaces it wholesale.
  std::uint32_t alpha = 0xFF000000u;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* from = destination.first + (box.top + y) * destination.stride + box.left;
    std::uint32_t* to = out + y * outStride;
    std::memcpy(to, from, static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    for (int x = 0; x < width; ++x) alpha &= from[x];
  }
  if (alpha != 0xFF000000u) return false;
  used.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (const TPlacedStamp& placed : stamps) {
    const TGlyphStamp* stamp = placed.stamp;
    if (!stamp || stamp->Empty()) continue;
    for (int y = 0; y < stamp->height; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(stamp->width);
      const int boxY = placed.y + y - box.top;
      std::uint32_t* to = out + boxY * outStride;
      std::uint8_t* mark = used.data() + static_cast<std::size_t>(boxY) * static_cast<std::size_t>(width);
      for (int x = 0; x < stamp->width; ++x) {
        if (!stamp->covered[row + x]) continue;
        const int boxX = placed.x + x - box.left;
        // A pixel two glyphs cover gets both blends, one over the other; a pixel that is not the
        // stamp's background blends to something else.
        if (mark[boxX] || to[boxX] != background) return false;
        mark[boxX] = 1;
        to[boxX] = stamp->pixels[row + x];
      }
    }
  }
  return true;
}

}  // namespace orlex::grid
