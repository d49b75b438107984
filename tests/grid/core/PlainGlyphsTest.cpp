#include "grid/core/PlainGlyphs.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace orlex::grid;

// A made-up font with the interactions real fonts have: "AV" kerns (the A's advance shrinks), "To"
// kerns on the second glyph (the o's advance shrinks, its position does not move), "fi" is one
// ligature glyph, '~' and anything past ASCII come from a fallback font, '`' carries an offset of its
// own, and the blank has an advance (of whole pixels) but no glyph. Other advances are fractions of a
// pixel. Glyphs cover 6 x 9 pixels above the baseline, 'j' one more to the left and 3 below. As a real
// font may, it kerns some pairs only in the script a text is shaped in: "11" in a text with letters,
// "-1" in a text without.
TShapedText FakeShape(std::u16string_view text) {
  TShapedText shaped;
  shaped.ownFont = true;
  bool letters = false;
  for (const char16_t c : text) letters = letters || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
  TFixed64 x = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
    const char16_t before = i > 0 ? text[i - 1] : u'\0';
    if (c == u'~' || c > 0x7F) shaped.ownFont = false;
    if (c == u'f' && next == u'i') {
      shaped.glyphs.push_back(900);
      shaped.x.push_back(x);
      x += 500;
      ++i;
      continue;
    }
    TFixed64 advance = 400 + (c % 7) * 13;
    if (c == u'A' && next == u'V') advance -= 70;
    if (c == u'o' && before == u'T') advance -= 20;
    if (c == u' ') advance = 256;
    if (c == u'1' && next == u'1' && letters) advance -= 30;
    if (c == u'-' && next == u'1' && !letters) advance -= 30;
    if (c != u' ') {
      shaped.glyphs.push_back(c + 3u);
      shaped.x.push_back(c == u'`' ? x + 64 : x);
    }
    x += advance;
  }
  shaped.advance = x;
  if (text.size() == 1 && text[0] != u' ') shaped.ink = TInkBox{text[0] == u'j' ? -1 : 0, -9, 6, text[0] == u'j' ? 3 : 0};
  return shaped;
}

struct TPlaceCase {
  const char* name;
  std::u16string text;
  bool placed;
};

void PrintTo(const TPlaceCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PlainGlyphsPlace : public testing::TestWithParam<TPlaceCase> {};

// Whatever the table places is exactly what shaping the whole text gives; what it cannot vouch for it
// refuses.
TEST_P(PlainGlyphsPlace, PlacesOnlyWhatShapingTheWholeTextGives) {
  const TPlaceCase& c = GetParam();
  TPlainGlyphs table(FakeShape);
  TPlacedText placed;
  ASSERT_EQ(table.Place(c.text, placed), c.placed);
  if (!c.placed) return;
  const TShapedText whole = FakeShape(c.text);
  EXPECT_EQ(placed.glyphs, whole.glyphs);
  EXPECT_EQ(placed.x, whole.x);
  EXPECT_EQ(placed.advance, whole.advance);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlainGlyphsPlace,
    testing::Values(TPlaceCase{"Decimal", u"127.5", true}, TPlaceCase{"Negative", u"-0.25", true},
                    TPlaceCase{"WithUnit", u"+3 rpm", true}, TPlaceCase{"BlankOnly", u" ", true},
                    TPlaceCase{"BlanksAtTheEnd", u"end  ", true},
                    // Kerning characters are fine beside others; only their pair is refused.
                    TPlaceCase{"KerningLettersApart", u"A1V", true}, TPlaceCase{"KerningPair", u"xAVx", false},
                    TPlaceCase{"SecondGlyphKerned", u"To", false}, TPlaceCase{"Ligature", u"fish", false},
                    TPlaceCase{"FallbackFont", u"1~", false}, TPlaceCase{"OffsetGlyph", u"a`", false},
                    // Pairs kerned in one script only.
                    TPlaceCase{"DigitPairAlone", u"11", true}, TPlaceCase{"DigitPairWithLetters", u"x 11", false},
                    TPlaceCase{"SignAlone", u"-1", false}, TPlaceCase{"SignWithLetters", u"-1 V", true},
                    TPlaceCase{"NotAscii", u"10\u00B0C", false}, TPlaceCase{"ControlCharacter", u"1\t2", false},
                    TPlaceCase{"Empty", u"", false}, TPlaceCase{"TooLong", std::u16string(1025, u'8'), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlainGlyphs, ShapesEachCharacterAndPairOnlyOnce) {
  TPlainGlyphs table(FakeShape);
  TPlacedText placed;
  ASSERT_TRUE(table.Place(u"1212121", placed));
  // '1', '2', "12", "21".
  EXPECT_EQ(table.Shapings(), 4u);
  ASSERT_TRUE(table.Place(u"2121", placed));
  EXPECT_FALSE(table.Place(u"AV", placed));
  const std::size_t learned = table.Shapings();
  EXPECT_FALSE(table.Place(u"AV", placed));
  EXPECT_TRUE(table.Place(u"21", placed));
  EXPECT_EQ(table.Shapings(), learned);
}

struct TInkCase {
  const char* name;
  std::u16string text;
  TInkBox ink;
};

void PrintTo(const TInkCase& c, std::ostream* os) { *os << c.name; }

class PlainGlyphsInk : public testing::TestWithParam<TInkCase> {};

// The ink box decides whether a text needs clipping: it must hold every glyph's pixels where the
// glyph lands, with room for a glyph drawn at a fraction of a pixel.
TEST_P(PlainGlyphsInk, HoldsEveryGlyphWhereItLands) {
  const TInkCase& c = GetParam();
  TPlainGlyphs table(FakeShape);
  TPlacedText placed;
  ASSERT_TRUE(table.Place(c.text, placed));
  EXPECT_EQ(placed.ink.left, c.ink.left);
  EXPECT_EQ(placed.ink.top, c.ink.top);
  EXPECT_EQ(placed.ink.right, c.ink.right);
  EXPECT_EQ(placed.ink.bottom, c.ink.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlainGlyphsInk,
    testing::Values(TInkCase{"OneGlyph", u"1", {0, -10, 6, 1}},
                    // The second '1' lands at 6.25 pixels: drawn from pixel 6, up to two further right.
                    TInkCase{"FractionalPosition", u"11", {0, -10, 14, 1}},
                    // 'j' reaches left and below its origin, at 6.25 pixels.
                    TInkCase{"Descender", u"1j", {0, -10, 14, 4}},
                    // After a blank of 4 whole pixels the glyph is drawn exactly there.
                    TInkCase{"WholePixelPosition", u" 1", {4, -10, 10, 1}},
                    TInkCase{"BlanksOnly", u"  ", {0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlainGlyphs, RoundsAsTheLayoutRounds) {
  for (const auto& [fixed, pixels] : std::initializer_list<std::pair<TFixed64, int>>{
           {0, 0}, {31, 0}, {32, 1}, {95, 1}, {96, 2}, {-32, 0}, {-33, -1}, {-96, -1}, {-97, -2}}) {
    EXPECT_EQ(RoundFixed64(fixed), pixels) << fixed;
  }
}

}  // namespace
