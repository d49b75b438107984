#include "grid/core/GlyphStamps.h"

#include <algorithm>
#include <cstring>

namespace orlex::grid {

namespace {
constexpr int kGroup = TGlyphStamp::kGroup;
constexpr std::uint32_t kOpaque = 0xFF000000u;
}  // namespace

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
  groupLanes.assign(static_cast<std::size_t>(groups) * kGroup * static_cast<std::size_t>(std::max(height, 0)), 0);
  for (int y = 0; y < height && groups > 0; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t from = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
      if (!covered[from]) continue;
      // A covered pixel is told by its alpha, which a blend on an opaque background always has full.
      if ((pixels[from] & kOpaque) != kOpaque) {
        groups = 0;
        groupLanes.clear();
        return;
      }
      groupLanes[static_cast<std::size_t>(y) * groups * kGroup + x] = pixels[from];
    }
  }
}

namespace {

// Four pixels as one value: the compiler does each operation on all four at once where it can.
using TFour = std::uint32_t __attribute__((vector_size(16)));
static_assert(sizeof(TFour) == kGroup * sizeof(std::uint32_t));

TFour LoadFour(const std::uint32_t* from) {
  TFour four;
  std::memcpy(&four, from, sizeof four);
  return four;
}

void StoreFour(std::uint32_t* to, TFour four) { std::memcpy(to, &four, sizeof four); }

// All ones in a lane whose pixel is covered (its top bit, of the alpha, set), else zero.
TFour CoveredMask(TFour pixels) {
  using TSignedFour = std::int32_t __attribute__((vector_size(16)));
  return reinterpret_cast<TFour>(reinterpret_cast<TSignedFour>(pixels) >> 31);
}

// What composing finds on the way, tested once at the end rather than at every pixel: a pixel that
// is not opaque or a covered one that is not background is rare.
struct TFindings {
  TFour opaque = TFour{} + kOpaque;  // the alpha bits every pixel read has
  std::uint32_t opaqueRest = kOpaque;
  TFour differs = {};  // bits where a covered pixel of the destination is not background
  std::uint32_t differsRest = 0;

  bool Exact() const {
    const std::uint32_t opaqueAll = opaque[0] & opaque[1] & opaque[2] & opaque[3] & opaqueRest;
    const std::uint32_t differsAny = differs[0] | differs[1] | differs[2] | differs[3] | differsRest;
    return (opaqueAll & kOpaque) == kOpaque && differsAny == 0;
  }
};

// Lays one group: the stamp's pixel where covered, the destination's elsewhere; differs gains the
// bits where a covered destination pixel is not background.
inline void LayFour(const std::uint32_t* from, std::uint32_t* to, const std::uint32_t* lanes, std::uint32_t background,
                    TFour& differs) {
  const TFour now = LoadFour(from);
  const TFour pixels = LoadFour(lanes);
  const TFour mask = CoveredMask(pixels);
  differs |= (now ^ background) & mask;
  StoreFour(to, now ^ ((now ^ pixels) & mask));
}

// Copies width pixels of a row of the destination.
void CopyRow(const std::uint32_t* from, std::uint32_t* to, int width, TFindings& findings) {
  // Accumulated in locals, which stay in registers.
  TFour opaque = findings.opaque;
  std::uint32_t opaqueRest = findings.opaqueRest;
  int x = 0;
  for (; x + kGroup <= width; x += kGroup) {
    const TFour four = LoadFour(from + x);
    StoreFour(to + x, four);
    opaque &= four;
  }
  for (; x < width; ++x) {
    to[x] = from[x];
    opaqueRest &= from[x];
  }
  findings.opaque = opaque;
  findings.opaqueRest = opaqueRest;
}

// Lays one row of a stamp's groups at from/to: each group takes the stamp's pixel where covered and
// the destination's elsewhere. whole groups lie inside the box row; the pixels of a last group that
// would reach past it, up to width, are done one by one.
void LayRow(const std::uint32_t* from, std::uint32_t* to, const std::uint32_t* lanes, int whole, int width,
            std::uint32_t background, TFindings& findings) {
  TFour differs = findings.differs;
  int x = 0;
  for (; x < whole * kGroup; x += kGroup, lanes += kGroup) {
    LayFour(from + x, to + x, lanes, background, differs);
  }
  findings.differs = differs;
  for (int k = 0; x < width; ++x, ++k) {
    const std::uint32_t mask = (lanes[k] & kOpaque) == kOpaque ? ~std::uint32_t{0} : 0;
    findings.differsRest |= (from[x] ^ background) & mask;
    to[x] = from[x] ^ ((from[x] ^ lanes[k]) & mask);
  }
}

// Whether Prepare made the stamp's groups for its present size.
bool Prepared(const TGlyphStamp& stamp) {
  const int groups = (stamp.width + kGroup - 1) / kGroup;
  return stamp.groups == groups &&
         stamp.groupLanes.size() == static_cast<std::size_t>(groups) * kGroup * static_cast<std::size_t>(stamp.height);
}

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

// Lays the rows of a stamp whose rows are all whole groups, groups a row (0: stamp.groups). A
// glyph of a usual size is one or two groups wide; fixing that lets the compiler unroll the row.
template <int kGroups>
void LayWholeRows(const std::uint32_t* from, std::ptrdiff_t fromStride, std::uint32_t* to, std::ptrdiff_t toStride,
                  const TGlyphStamp& stamp, std::uint32_t background, TFindings& findings) {
  const int groups = kGroups > 0 ? kGroups : stamp.groups;
  const std::uint32_t* lanes = stamp.groupLanes.data();
  TFour differs = findings.differs;
  for (int y = 0; y < stamp.height; ++y, from += fromStride, to += toStride) {
    for (int group = 0; group < groups; ++group, lanes += kGroup) {
      const int x = group * kGroup;
      LayFour(from + x, to + x, lanes, background, differs);
    }
  }
  findings.differs = differs;
}

// Lays a stamp that no other stamp shares a column with over the copied box, reading the
// destination: a group may reach into a later stamp's columns, which that stamp then lays anew.
void LayApart(const TPixelRows& destination, const TPixelBox& box, const TPlacedStamp& placed,
              std::uint32_t background, std::uint32_t* out, std::ptrdiff_t outStride, TFindings& findings) {
  const TGlyphStamp& stamp = *placed.stamp;
  const int left = placed.x - box.left;
  const int whole = std::min(stamp.groups, (box.Width() - left) / kGroup);
  const std::uint32_t* from = destination.first + placed.y * destination.stride + placed.x;
  std::uint32_t* to = out + (placed.y - box.top) * outStride + left;
  if (whole == stamp.groups) {
    switch (whole) {
      case 1:
        return LayWholeRows<1>(from, destination.stride, to, outStride, stamp, background, findings);
      case 2:
        return LayWholeRows<2>(from, destination.stride, to, outStride, stamp, background, findings);
      default:
        return LayWholeRows<0>(from, destination.stride, to, outStride, stamp, background, findings);
    }
  }
  const std::size_t rowLanes = static_cast<std::size_t>(stamp.groups) * kGroup;
  const std::uint32_t* lanes = stamp.groupLanes.data();
  for (int y = 0; y < stamp.height; ++y, lanes += rowLanes, from += destination.stride, to += outStride) {
    LayRow(from, to, lanes, whole, stamp.width, background, findings);
  }
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
  for (const TPlacedStamp& placed : stamps) {
    if (placed.stamp && !placed.stamp->Empty() && !Prepared(*placed.stamp)) return false;
  }
  // The destination as it is, which must be opaque: the composed box replaces it wholesale.
  const int width = box.Width();
  const int height = box.Height();
  TFindings findings;
  const std::uint32_t* from = destination.first + box.top * destination.stride + box.left;
  for (int y = 0; y < height; ++y, from += destination.stride) CopyRow(from, out + y * outStride, width, findings);
  if (ColumnsApart(stamps)) {
    for (const TPlacedStamp& placed : stamps) {
      if (placed.stamp && !placed.stamp->Empty()) LayApart(destination, box, placed, background, out, outStride, findings);
    }
    return findings.Exact();
  }
  // Stamps whose columns interleave may cover a pixel twice: each is laid over what the others
  // laid, marking what it covers.
  if (!findings.Exact()) return false;
  used.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (const TPlacedStamp& placed : stamps) {
    if (placed.stamp && !placed.stamp->Empty() && !LayMarked(box, placed, background, out, outStride, used)) {
      return false;
    }
  }
  return true;
}

}  // namespace orlex::grid
