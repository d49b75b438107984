// What laying out a long text costs, counted in characters handed to the measuring function (the
// platform's measuring takes time in the length of the run it is given).
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "grid/core/TextLayout.h"

using namespace orlex::grid;

namespace {

struct TCountingMeasure {
  std::size_t* measured;
  int operator()(std::u16string_view run) const {
    *measured += run.size();
    return static_cast<int>(run.size()) * 7;
  }
};

std::u16string Repeat(std::u16string_view unit, std::size_t length) {
  std::u16string text;
  text.reserve(length + unit.size());
  while (text.size() < length) text += unit;
  text.resize(length);
  return text;
}

struct CostCase {
  const char* name;
  std::u16string text;
  int width;
};

void PrintTo(const CostCase& c, std::ostream* os) { *os << c.name; }

class TextLayoutCost : public testing::TestWithParam<CostCase> {};

constexpr unsigned kCellFlags = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;

// Laying out every line measures a bounded multiple of each character, whatever the shape of the text
// and however long it is: the whole paragraph is never measured once per line.
TEST_P(TextLayoutCost, AllLinesCostLinearTimeInTheText) {
  const CostCase& c = GetParam();
  std::size_t measured = 0;
  const auto lines = BreakTextLines(c.text, c.width, kCellFlags, 56, TCountingMeasure{&measured});
  ASSERT_GT(lines.size(), 1u);
  const std::size_t lastVisible = c.text.find_last_not_of(u" \t") + 1;  // blanks at the end hang
  EXPECT_EQ(lines.back().start + lines.back().length, lastVisible);
  EXPECT_LE(measured, 40 * c.text.size()) << lines.size() << " lines";
}

// Drawing lays out only the lines a cell can show: the cost does not depend on the text's length.
TEST_P(TextLayoutCost, DrawableLinesCostNothingForTheRest) {
  const CostCase& c = GetParam();
  const int lineHeight = 15;
  const std::size_t limit = DrawableLineLimit(lineHeight, 3 * lineHeight, kCellFlags);
  std::size_t measured = 0;
  const auto lines = BreakTextLines(c.text, c.width, kCellFlags, 56, TCountingMeasure{&measured}, limit);
  EXPECT_EQ(lines.size(), 4u) << "three that show and one that tells more is hidden";
  EXPECT_EQ(PlaceLines(lines.size(), lineHeight, 3 * lineHeight, kCellFlags).visibleCount, 3u);
  EXPECT_LE(measured, 40u * static_cast<std::size_t>(c.width));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLayoutCost,
    testing::Values(CostCase{"OneMegabyteWord", std::u16string(1000000, u'x'), 121},
                    CostCase{"ShortWords", Repeat(u"ab ", 300000), 121},
                    CostCase{"WideCellOfShortWords", Repeat(u"a ", 300000), 2000},
                    CostCase{"LongWordsBetweenBlanks", Repeat(std::u16string(5000, u'y') + u"   ", 300000), 121},
                    CostCase{"TabsAndWords", Repeat(u"ab\tcd ", 300000), 300}),
    [](const auto& info) { return std::string(info.param.name); });

// A grid paints its cells many times a second, and nearly every cell text fits its line: such a text
// is measured once, its whole run, which is also the line's width.
TEST(TextLayoutCost, ATextThatFitsItsLineIsMeasuredOnce) {
  for (const std::u16string& text : {std::u16string(u"127.1"), std::u16string(u"Bench PID 21"), std::u16string(200, u'x')}) {
    std::size_t measured = 0;
    const auto lines = BreakTextLines(text, 7 * 200, kCellFlags, 56, TCountingMeasure{&measured});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].width, static_cast<int>(text.size()) * 7);
    EXPECT_EQ(measured, text.size()) << text.size() << " characters";
  }
}

TEST(TextLayoutCost, EllipsisOfAHugeSingleLineMeasuresLittleMoreThanWhatShows) {
  const std::u16string text(1000000, u'x');
  std::size_t measured = 0;
  const std::u16string shown = ApplyEndEllipsis(text, 121, false, 56, TCountingMeasure{&measured});
  EXPECT_EQ(shown, std::u16string(14, u'x') + u"...");
  EXPECT_LE(measured, text.size() + 1000) << "one measure of the whole line, then short probes";
}

}  // namespace
