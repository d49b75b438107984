#pragma once

// Texts composed from ready-blended glyph images. Drawing a glyph blends its coverage into each pixel
// under it, one pixel at a time: on a pixel of a known colour the result is always the same. A stamp
// holds that result for one glyph, one colour pair and one sub-pixel offset, and which of its pixels
// the glyph covers at all. A text whose glyphs cover no pixel twice, drawn where every covered pixel
// is the stamp's background, is then the destination with the stamps' covered pixels laid over it,
// exactly as drawing the glyphs one by one would leave it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orlex::grid {

// One glyph drawn on a background: its box relative to the pixel its origin falls in (x) and its
// baseline (y), the blended pixels and a mark for each pixel the glyph covers. Prepare lays the
// pixels out again for composing: each row in groups of four, a pixel the glyph does not cover (or
// that pads a row's last group) zero, so that its alpha tells a covered pixel and a group is composed
// in one go without a branch per pixel.
struct TGlyphStamp {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::vector<std::uint8_t> covered;
  int groups = 0;  // groups of four pixels a row
  std::vector<std::uint32_t> groupLanes;  // row by row, groups a row of four pixels each

  static constexpr int kGroup = 4;
  bool Empty() const { return width <= 0 || height <= 0; }
  // Makes the groups from pixels and covered; composing reads only those. A covered pixel that is
  // not opaque cannot be told apart: the stamp is then left unprepared.
  void Prepare();
  std::size_t Bytes() const {
    return sizeof(TGlyphStamp) + pixels.size() * sizeof(std::uint32_t) + covered.size() +
           groupLanes.size() * sizeof(std::uint32_t);
  }
};

// A stamp where a text puts it: its first pixel at (x, y) on the destination.
struct TPlacedStamp {
  const TGlyphStamp* stamp = nullptr;
  int x = 0;
  int y = 0;
};

// Pixels [left, right) x [top, bottom).
struct TPixelBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Rows of 32-bit pixels; stride in pixels.
struct TPixelRows {
  const std::uint32_t* first = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

// The smallest box holding every non-empty stamp; empty when there is none.
TPixelBox StampsBox(std::span<const TPlacedStamp> stamps);

// Composes box: the destination's pixels, each pixel a stamp covers replaced by the stamp's pixel.
// out holds box.Width() x box.Height() pixels, outStride pixels a row. False (out then holds nothing
// to use) when the result could differ from drawing the glyphs: two stamps cover a common pixel, a
// covered pixel of the destination is not background, a pixel of the box is not opaque (alpha 255),
// the box does not lie inside the destination, or a stamp is not prepared. used is scratch space for
// stamps whose columns interleave, kept by the caller so that composing allocates nothing once it has
// grown.
bool ComposeStamps(const TPixelRows& destination, const TPixelBox& box, std::span<const TPlacedStamp> stamps,
                   std::uint32_t background, std::uint32_t* out, std::ptrdiff_t outStride,
                   std::vector<std::uint8_t>& used);

}  // namespace orlex::grid
