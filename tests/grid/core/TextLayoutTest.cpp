#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/core/TextLayout.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

// Fixed pitch: every UTF-16 code unit is 10 pixels wide, so widths are easy to reason about.
int FixedPitch(std::u16string_view run) { return static_cast<int>(run.size()) * 10; }

std::vector<std::u16string> LinesOf(std::u16string_view text, int width, unsigned flags) {
  std::vector<std::u16string> out;
  for (const TTextLine& line : BreakTextLines(text, width, flags, 80, FixedPitch)) {
    out.emplace_back(text.substr(line.start, line.length));
  }
  return out;
}

struct BreakCase {
  const char* name;
  std::u16string text;
  int width;
  unsigned flags;
  std::vector<std::u16string> lines;
};

void PrintTo(const BreakCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class BreakTextLinesTest : public testing::TestWithParam<BreakCase> {};

TEST_P(BreakTextLinesTest, SplitsAsAnEditControl) {
  const BreakCase& c = GetParam();
  EXPECT_EQ(LinesOf(c.text, c.width, c.flags), c.lines);
}

constexpr unsigned kWrap = DT_WORDBREAK | DT_EDITCONTROL;

INSTANTIATE_TEST_SUITE_P(
    Cases, BreakTextLinesTest,
    testing::Values(
        BreakCase{"WordsFillTheWidthExactly", u"alpha beta gamma", 100, kWrap, {u"alpha beta", u"gamma"}},
        BreakCase{"BlanksAtTheWrapAreDropped", u"alpha   beta", 60, kWrap, {u"alpha", u"beta"}},
        BreakCase{"LeadingBlanksOfAParagraphStay", u"  ab cd", 50, kWrap, {u"  ab", u"cd"}},
        BreakCase{"LongWordBreaksWhereItNoLongerFits", u"abcdefghijkl", 50, kWrap, {u"abcde", u"fghij", u"kl"}},
        BreakCase{"LongWordAfterAShortOneStartsANewLine", u"ab abcdefgh", 50, kWrap, {u"ab", u"abcde", u"fgh"}},
        BreakCase{"NarrowerThanOneCharacterStillProgresses", u"abc", 5, kWrap, {u"a", u"b", u"c"}},
        BreakCase{"AllThreeLineBreaks", u"one\r\ntwo\rthree\nfour", 1000, kWrap, {u"one", u"two", u"three", u"four"}},
        BreakCase{"EmptyParagraphIsAnEmptyLine", u"a\r\n\r\nb", 1000, kWrap, {u"a", u"", u"b"}},
        BreakCase{"TrailingBreakAddsNoLine", u"abc\r\n", 1000, kWrap, {u"abc"}},
        BreakCase{"EmptyTextIsOneEmptyLine", u"", 100, kWrap, {u""}},
        BreakCase{"NoWordBreakKeepsLongLines", u"alpha beta\r\ngamma", 30, DT_EDITCONTROL, {u"alpha beta", u"gamma"}},
        BreakCase{"SingleLineNeverBreaks", u"alpha beta gamma", 30, DT_SINGLELINE, {u"alpha beta gamma"}},
        BreakCase{"SurrogatePairIsNeverSplit", u"\U0001F600\U0001F600\U0001F600", 30, kWrap,
                  {u"\U0001F600", u"\U0001F600", u"\U0001F600"}}),
    [](const testing::TestParamInfo<BreakCase>& info) { return std::string(info.param.name); });

TEST(TextLayoutTest, TabsAdvanceToTheNextStopWhenExpanded) {
  // Stops every 80 pixels: "a" ends at 10, the tab goes to 80, "b" ends at 90; a second tab from 90 to 160.
  EXPECT_EQ(MeasureLine(u"a\tb", true, 80, FixedPitch), 90);
  EXPECT_EQ(MeasureLine(u"a\tb\t", true, 80, FixedPitch), 160);
  EXPECT_EQ(MeasureLine(u"abcdefgh\tx", true, 80, FixedPitch), 170);
  // Wrapping measures with the expanded tabs: "a<tab>b" is 90 wide and no longer fits in 85.
  EXPECT_EQ(LinesOf(u"a\tb c", 85, kWrap | DT_EXPANDTABS), (std::vector<std::u16string>{u"a", u"b c"}));
  EXPECT_EQ(TabStopWidth({15, 6}), 48);
}

TEST(TextLayoutTest, AmpersandIsLiteralOnlyWithNoPrefix) {
  EXPECT_EQ(ApplyPrefixRule(u"A&&B&c&", DT_NOPREFIX), u"A&&B&c&");
  EXPECT_EQ(ApplyPrefixRule(u"A&&B&c&", 0), u"A&Bc");
}

TEST(TextLayoutTest, EndEllipsisKeepsTheLongestFittingPrefix) {
  EXPECT_EQ(ApplyEndEllipsis(u"abcdefghij", 60, false, 80, FixedPitch), u"abc...");
  EXPECT_EQ(ApplyEndEllipsis(u"abc", 60, false, 80, FixedPitch), u"abc");
  EXPECT_EQ(ApplyEndEllipsis(u"abc", 100, false, 80, FixedPitch, true), u"abc...");
  EXPECT_EQ(ApplyEndEllipsis(u"abcdef", 20, false, 80, FixedPitch), u"...");
}

struct PlaceCase {
  const char* name;
  std::size_t lines;
  int rectHeight;
  unsigned flags;
  std::size_t visible;
  int firstTop;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PlaceLinesTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceLinesTest, DrawsOnlyWholeLinesWithEditControl) {
  const PlaceCase& c = GetParam();
  const TLinePlacement placement = PlaceLines(c.lines, 15, c.rectHeight, c.flags);
  EXPECT_EQ(placement.visibleCount, c.visible);
  EXPECT_EQ(placement.firstTop, c.firstTop);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceLinesTest,
    testing::Values(PlaceCase{"PartialLastLineHidden", 3, 44, kWrap, 2, 0},
                    PlaceCase{"ExactFitShowsAll", 3, 45, kWrap, 3, 0},
                    PlaceCase{"WithoutEditControlAllAreDrawn", 3, 44, DT_WORDBREAK, 3, 0},
                    PlaceCase{"FirstLineAlwaysDrawn", 3, 10, kWrap, 1, 0},
                    PlaceCase{"SingleLineCentred", 1, 21, DT_SINGLELINE | DT_VCENTER, 1, 3},
                    PlaceCase{"SingleLineAtTheBottom", 1, 21, DT_SINGLELINE | DT_BOTTOM, 1, 6},
                    PlaceCase{"CentredBlockOfWholeLines", 3, 40, kWrap | DT_VCENTER, 2, 5}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(TextLayoutTest, HorizontalAlignment) {
  EXPECT_EQ(AlignLine(30, 100, DT_LEFT), 0);
  EXPECT_EQ(AlignLine(30, 100, DT_CENTER), 35);
  EXPECT_EQ(AlignLine(30, 100, DT_RIGHT), 70);
}

}  // namespace
