#include "grid/core/PlainGlyphs.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace orlex::grid;

// A made-up font with the interactions real fonts have: "AV" kerns (the A's advance shrinks), "To"
// kerns on the second glyph (the o's advance shrinks, its position does not move), "fi" is one
// ligature glyph, '~' and anything past ASCII come from a fallback font, '`' carries an offset of its
// own, and the blank has an advance but no glyph. Advances are fractions of a pixel. As a real
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
    if (c == u'1' && next == u'1' && letters) advance -= 30;
    if (c == u'-' && next == u'1' && !letters) advance -= 30;
    if (c != u' ') {
      shaped.glyphs.push_back(c + 3u);
      shaped.x.push_back(c == u'`' ? x + 64 : x);
    }
    x += advance;
  }
  shaped.advance = x;
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

TEST(PlainGlyphs, RoundsAsTheLayoutRounds) {
  for (const auto& [fixed, pixels] : std::initializer_list<std::pair<TFixed64, int>>{
           {0, 0}, {31, 0}, {32, 1}, {95, 1}, {96, 2}, {-32, 0}, {-33, -1}, {-96, -1}, {-97, -2}}) {
    EXPECT_EQ(RoundFixed64(fixed), pixels) << fixed;
  }
}

}  // namespace
