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

void TGlyphStamp::Prepare() {
  groups = Empty() ? 0 : (width + kGroup - 1) / kGroup;
  const std::size_t size = static_cast<std::size_t>(groups) * kGroup * static_cast<std::size_t>(std::max(height, 0));
  groupPixels.assign(size, 0);
  groupMasks.assign(size, 0);
  for (int y = 0; y < height && groups > 0; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t from = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
      const std::size_t to = static_cast<std::size_t>(y) * groups * kGroup + x;
      groupPixels[to] = pixels[from];
      groupMasks[to] = covered[from] ? ~std::uint32_t{0} : 0;
    }
  }
}

namespace {

// Four pixels as one value: the compiler does each operation on all four at once where it can.
using TFour = std::uint32_t __attribute__((vector_size(16)));
static_assert(sizeof(TFour) == TGlyphStamp::kGroup * sizeof(std::uint32_t));

TFour LoadFour(const std::uint32_t* from) {
  TFour four;
  std::memcpy(&four, from, sizeof four);
  return four;
}

void StoreFour(std::uint32_t* to, TFour four) { std::memcpy(to, &four, sizeof four); }

// True when every stamp lies right of all the ones before it, column-wise: then no two can cover a
// common pixel, which is how the glyphs of a text on whole pixels and most others come.
bool ColumnsApart(std::span<const TPlacedStamp> stamps) {
  bool any = false;
  int right = 0;
  for (const TPlacedStamp& placed : stamps) {
    if (!placed.stamp || placed.stamp->Empty()) continue;
    if (any && placed.x < right) return false;
    right = any ? std::max(right, placed.x + placed.stamp->width) : placed.x + placed.stamp->width;
    any = true;
  }
  return true;
}

// Lays a stamp that no other stamp shares a column with, group by group. A group takes the stamp's
// pixel where covered and the destination's elsewhere; it may reach a later stamp's columns, which
// that stamp then lays anew. False when a covered pixel of the destination is not background.
bool LayApart(const TPixelRows& destination, const TPixelBox& box, const TPlacedStamp& placed,
              std::uint32_t background, std::uint32_t* out, std::ptrdiff_t outStride) {
  const TGlyphStamp& stamp = *placed.stamp;
  const int left = placed.x - box.left;
  // Groups wholly inside the box row; a last one reaching past it is done pixel by pixel.
  const int whole = std::min(stamp.groups, (box.Width() - left) / TGlyphStamp::kGroup);
  const std::size_t rowSize = static_cast<std::size_t>(stamp.groups) * TGlyphStamp::kGroup;
  // Collected over the whole stamp and tested once: a covered pixel off the background is rare.
  TFour differs = {};
  std::uint32_t differsRest = 0;
  for (int y = 0; y < stamp.height; ++y) {
    const std::uint32_t* pixels = stamp.groupPixels.data() + static_cast<std::size_t>(y) * rowSize;
    const std::uint32_t* masks = stamp.groupMasks.data() + static_cast<std::size_t>(y) * rowSize;
    const std::uint32_t* from = destination.first + (placed.y + y) * destination.stride + placed.x;
    std::uint32_t* to = out + (placed.y - box.top + y) * outStride + left;
    int x = 0;
    for (int group = 0; group < whole; ++group, x += TGlyphStamp::kGroup) {
      const TFour now = LoadFour(from + x);
      const TFour mask = LoadFour(masks + x);
      differs |= (now ^ background) & mask;
      StoreFour(to + x, now ^ ((now ^ LoadFour(pixels + x)) & mask));
    }
    for (; x < stamp.width; ++x) {
      differsRest |= (from[x] ^ background) & masks[x];
      to[x] = from[x] ^ ((from[x] ^ pixels[x]) & masks[x]);
    }
  }
  return (differs[0] | differs[1] | differs[2] | differs[3] | differsRest) == 0;
}

// Lays a stamp pixel by pixel over what earlier stamps laid, marking the pixels it covers. False
// when one was marked before (a pixel two glyphs cover gets both blends, one over the other) or is
// not background.
bool LayMarked(const TPixelBox& box, const TPlacedStamp& placed, std::uint32_t background, std::uint32_t* out,
               std::ptrdiff_t outStride, std::vector<std::uint8_t>& used) {
  const TGlyphStamp& stamp = *placed.stamp;
  const int left = placed.x - box.left;
  for (int y = 0; y < stamp.height; ++y) {
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(stamp.width);
    const int top = placed.y - box.top + y;
    std::uint32_t* to = out + top * outStride + left;
    std::uint8_t* mark = used.data() + static_cast<std::size_t>(top) * static_cast<std::size_t>(box.Width()) +
                         static_cast<std::size_t>(left);
    for (int x = 0; x < stamp.width; ++x) {
      if (!stamp.covered[row + x]) continue;
      if (mark[x] || to[x] != background) return false;
      mark[x] = 1;
      to[x] = stamp.pixels[row + x];
    }
  }
  return true;
}

}  // namespace

bool ComposeStamps(const TPixelRows& destination, const TPixelBox& box, std::span<const TPlacedStamp> stamps,
                   std::uint32_t background, std::uint32_t* out, std::ptrdiff_t outStride,
                   std::vector<std::uint8_t>& used) {
  if (box.Empty() || box.left < 0 || box.top < 0 || box.right > destination.width ||
      box.bottom > destination.height) {
    return false;
  }
  const int width = box.Width();
  const int height = box.Height();
  // The destination as it is, which must be opaque: the composed box replaces it wholesale. One pass
  // copies and checks.
  std::uint32_t alpha = 0xFF000000u;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* from = destination.first + (box.top + y) * destination.stride + box.left;
    std::uint32_t* to = out + y * outStride;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = from[x];
      to[x] = pixel;
      alpha &= pixel;
    }
  }
  if (alpha != 0xFF000000u) return false;
  if (ColumnsApart(stamps)) {
    for (const TPlacedStamp& placed : stamps) {
      if (placed.stamp && !placed.stamp->Empty() && !LayApart(destination, box, placed, background, out, outStride)) {
        return false;
      }
    }
    return true;
  }
  // Stamps whose columns interleave may cover a pixel twice: they mark what they cover.
  used.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (const TPlacedStamp& placed : stamps) {
    if (placed.stamp && !placed.stamp->Empty() && !LayMarked(box, placed, background, out, outStride, used)) {
      return false;
    }
  }
  return true;
}

}  // namespace orlex::grid
