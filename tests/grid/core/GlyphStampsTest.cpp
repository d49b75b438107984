// Composing a text from glyph stamps: covered pixels take the stamp's blend, the rest stay as they
// were, and anything that would make the result differ from drawing the glyphs refuses to compose.
#include "grid/core/GlyphStamps.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orlex::grid;

constexpr std::uint32_t kBack = 0xFF102030u;
constexpr std::uint32_t kOther = 0xFF405060u;

// A 3 x 2 glyph covering its left column and its top right pixel, blended to distinct values.
TGlyphStamp Glyph(std::uint32_t tint) {
  TGlyphStamp stamp;
  stamp.width = 3;
  stamp.height = 2;
  stamp.pixels = {tint + 1, kBack, tint + 3, tint + 4, kBack, kBack};
  stamp.covered = {1, 0, 1, 1, 0, 0};
  stamp.Prepare();
  return stamp;
}

struct TComposeCase {
  const char* name;
  int secondX;                    // where the second glyph's first pixel lands (the first is at 1, 1)
  int paintX, paintY;             // a pixel of the destination painted kOther (-1: none)
  std::uint32_t firstPixelAlpha;  // alpha of the destination's first pixel
  bool composes;
};

void PrintTo(const TComposeCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class GlyphStampsCompose : public testing::TestWithParam<TComposeCase> {};

TEST_P(GlyphStampsCompose, ComposesExactlyWhenDrawingCouldNotDiffer) {
  const TComposeCase& c = GetParam();
  constexpr int kWidth = 9;
  constexpr int kHeight = 4;
  std::vector<std::uint32_t> destination(kWidth * kHeight, kBack);
  if (c.paintX >= 0) destination[c.paintY * kWidth + c.paintX] = kOther;
  destination[0] = (destination[0] & 0x00FFFFFFu) | (c.firstPixelAlpha << 24);
  const TGlyphStamp first = Glyph(0xFFA00000u);
  const TGlyphStamp second = Glyph(0xFF00B000u);
  const std::vector<TPlacedStamp> stamps = {{&first, 1, 1}, {&second, c.secondX, 1}};
  // The box reaches the destination's first pixel, so its alpha counts.
  TPixelBox box = StampsBox(stamps);
  box.left = 0;
  box.top = 0;
  std::vector<std::uint32_t> out(box.Width() * box.Height(), 0);
  std::vector<std::uint8_t> used;
  const bool composed = ComposeStamps({destination.data(), kWidth, kWidth, kHeight}, box, stamps, kBack, out.data(),
                                      box.Width(), used);
  ASSERT_EQ(composed, c.composes);
  if (!composed) return;
  // What drawing the glyphs one by one leaves: each covered pixel takes the glyph's blend.
  std::vector<std::uint32_t> expected(destination);
  for (const TPlacedStamp& placed : stamps) {
    for (int y = 0; y < placed.stamp->height; ++y) {
      for (int x = 0; x < placed.stamp->width; ++x) {
        const int i = y * placed.stamp->width + x;
        if (placed.stamp->covered[i]) expected[(placed.y + y) * kWidth + placed.x + x] = placed.stamp->pixels[i];
      }
    }
  }
  for (int y = 0; y < box.Height(); ++y) {
    for (int x = 0; x < box.Width(); ++x) {
      EXPECT_EQ(out[y * box.Width() + x], expected[y * kWidth + x]) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphStampsCompose,
    testing::Values(
        TComposeCase{"SideBySide", 4, -1, -1, 0xFF, true},
        // The second glyph's covered column lies on the first one's blank middle: no pixel twice.
        TComposeCase{"InterleavedBoxes", 2, -1, -1, 0xFF, true},
        TComposeCase{"CommonPixel", 3, -1, -1, 0xFF, false},
        TComposeCase{"OtherColourUnderBlankPixel", 4, 2, 1, 0xFF, true},
        TComposeCase{"OtherColourUnderCoveredPixel", 4, 1, 2, 0xFF, false},
        TComposeCase{"OtherColourBesideTheGlyphs", 4, 0, 2, 0xFF, true},
        TComposeCase{"TranslucentPixel", 4, -1, -1, 0x80, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A stamp drawn as text: rows split by '|', '#' a covered pixel. Its covered pixels are blended to
// values that name the stamp and the pixel; its others hold a value no composing may let through.
TGlyphStamp Drawn(std::string_view rows, std::uint32_t tint) {
  TGlyphStamp stamp;
  int x = 0;
  for (const char c : rows) {
    if (c == '|') {
      ++stamp.height;
      stamp.width = x;
      x = 0;
      continue;
    }
    stamp.covered.push_back(c == '#');
    stamp.pixels.push_back(c == '#' ? tint + static_cast<std::uint32_t>(stamp.pixels.size()) : 0xFFDEAD00u);
    ++x;
  }
  ++stamp.height;
  stamp.width = x;
  stamp.Prepare();
  return stamp;
}

struct TLaidStamp {
  const char* rows;
  int x, y;
};

struct TLayCase {
  const char* name;
  std::vector<TLaidStamp> stamps;  // in the text's order
  int paintX, paintY;              // a pixel of the destination painted kOther (-1: none)
  bool composes;
};

void PrintTo(const TLayCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class GlyphStampsLay : public testing::TestWithParam<TLayCase> {};

TEST_P(GlyphStampsLay, CoveredPixelsTakeTheStampAndTheRestStay) {
  const TLayCase& c = GetParam();
  constexpr int kWidth = 20;
  constexpr int kHeight = 6;
  std::vector<std::uint32_t> destination(kWidth * kHeight, kBack);
  if (c.paintX >= 0) destination[c.paintY * kWidth + c.paintX] = kOther;
  std::vector<TGlyphStamp> drawn;
  drawn.reserve(c.stamps.size());
  for (std::size_t i = 0; i < c.stamps.size(); ++i) drawn.push_back(Drawn(c.stamps[i].rows, 0xFF000000u + (i + 1) * 0x10000u));
  std::vector<TPlacedStamp> stamps;
  for (std::size_t i = 0; i < c.stamps.size(); ++i) stamps.push_back({&drawn[i], c.stamps[i].x, c.stamps[i].y});
  const TPixelBox box = StampsBox(stamps);
  // Room right of the box that composing must leave alone.
  const int outStride = box.Width() + 5;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(outStride) * box.Height(), 0x12345678u);
  std::vector<std::uint8_t> used;
  const bool composed =
      ComposeStamps({destination.data(), kWidth, kWidth, kHeight}, box, stamps, kBack, out.data(), outStride, used);
  ASSERT_EQ(composed, c.composes);
  if (!composed) return;
  std::vector<std::uint32_t> expected(destination);
  for (const TPlacedStamp& placed : stamps) {
    for (int y = 0; y < placed.stamp->height; ++y) {
      for (int x = 0; x < placed.stamp->width; ++x) {
        const int i = y * placed.stamp->width + x;
        if (placed.stamp->covered[i]) expected[(placed.y + y) * kWidth + placed.x + x] = placed.stamp->pixels[i];
      }
    }
  }
  for (int y = 0; y < box.Height(); ++y) {
    for (int x = 0; x < outStride; ++x) {
      const std::uint32_t want =
          x < box.Width() ? expected[(box.top + y) * kWidth + box.left + x] : 0x12345678u;
      EXPECT_EQ(out[y * outStride + x], want) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphStampsLay,
    testing::Values(
        TLayCase{"SideBySide", {{"##.|#.#", 1, 1}, {"#|#", 4, 1}}, -1, -1, true},
        // The first stamp's row is laid four pixels at a time, over the second one's column: the
        // destination's own pixel there stays where the second stamp has no row.
        TLayCase{"NextStampInTheFirstOnesLastGroup", {{"#.#|###|#..", 2, 0}, {"##", 5, 2}}, 5, 0, true},
        TLayCase{"WideStampEndingTheBox", {{"#.##..#|.#####.", 3, 1}}, 4, 1, true},
        TLayCase{"WideStampOnOtherColourInItsSecondGroup", {{"#.##.##|.#####.", 3, 1}, {"#", 12, 1}}, 8, 1, false},
        TLayCase{"WideStampOnOtherColourAtItsLastPixel", {{"#.##..#|.#####.", 3, 1}}, 9, 1, false},
        // Three groups a row; the other colour lies under the last group's padding.
        TLayCase{"ThreeGroupsWide", {{"#.#.#.#.##|.########.", 1, 1}, {"#", 14, 1}}, 11, 1, true},
        TLayCase{"ThreeGroupsWideOnOtherColourInTheLastGroup", {{"#.#.#.#.##|.########.", 1, 1}, {"#", 14, 1}}, 9, 2,
                 false},
        TLayCase{"OutOfOrderApart", {{"##|.#", 6, 0}, {"#.#|##.", 2, 1}}, -1, -1, true},
        TLayCase{"OutOfOrderOnACommonPixel", {{"##|.#", 4, 1}, {"#.#|##.", 2, 1}}, -1, -1, false},
        TLayCase{"InterleavedColumnsNoCommonPixel", {{"#...#|#...#", 1, 0}, {".#.|#.#", 2, 1}}, -1, -1, true},
        TLayCase{"InterleavedOnOtherColour", {{"#...#|#...#", 1, 0}, {".#.|#.#", 2, 1}}, 4, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GlyphStamps, BoxOutsideTheDestinationDoesNotCompose) {
  std::vector<std::uint32_t> destination(4 * 4, kBack);
  const TGlyphStamp glyph = Glyph(0xFFA00000u);
  std::vector<std::uint32_t> out(16, 0);
  std::vector<std::uint8_t> used;
  for (const TPlacedStamp& placed : {TPlacedStamp{&glyph, -1, 0}, TPlacedStamp{&glyph, 2, 0},
                                     TPlacedStamp{&glyph, 0, 3}}) {
    const std::vector<TPlacedStamp> stamps = {placed};
    EXPECT_FALSE(ComposeStamps({destination.data(), 4, 4, 4}, StampsBox(stamps), stamps, kBack, out.data(), 4, used))
        << placed.x << "," << placed.y;
  }
}

TEST(GlyphStamps, StampNotPreparedForItsSizeDoesNotCompose) {
  std::vector<std::uint32_t> destination(8 * 4, kBack);
  std::vector<std::uint32_t> out(8 * 4, 0);
  std::vector<std::uint8_t> used;
  TGlyphStamp unprepared = Glyph(0xFFA00000u);
  unprepared.groups = 0;
  unprepared.groupLanes.clear();
  TGlyphStamp grown = Glyph(0xFFA00000u);
  grown.width = 5;
  grown.pixels.resize(10, kBack);
  grown.covered.resize(10, 0);
  // A covered pixel that is not opaque cannot be laid: Prepare leaves the stamp unprepared.
  TGlyphStamp translucent = Glyph(0x80A00000u);
  for (const TGlyphStamp* glyph : {&unprepared, &grown, &translucent}) {
    const std::vector<TPlacedStamp> stamps = {{glyph, 1, 1}};
    EXPECT_FALSE(ComposeStamps({destination.data(), 8, 8, 4}, StampsBox(stamps), stamps, kBack, out.data(), 8, used))
        << glyph->width;
  }
}

TEST(GlyphStamps, BoxSkipsEmptyStamps) {
  const TGlyphStamp glyph = Glyph(0xFFA00000u);
  const TGlyphStamp blank;
  const std::vector<TPlacedStamp> stamps = {{&blank, -50, -50}, {&glyph, 2, 5}, {&glyph, 7, 4}};
  const TPixelBox box = StampsBox(stamps);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 4);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 7);
}

}  // namespace
