#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "grid/core/GridSizing.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

TEST(GridSizingTest, RoundHalfEvenSendsHalvesToTheEvenNeighbour) {
  const std::vector<std::pair<double, int>> cases{{0.5, 0}, {1.5, 2},   {2.5, 2},  {3.5, 4}, {-0.5, 0},
                                                  {-1.5, -2}, {2.4, 2}, {2.6, 3}, {127.0, 127}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

struct FitCase {
  const char* name;
  std::vector<int> widths;
  int outerWidth;
  TFitAllowances allowances;
  std::vector<int> expected;
};

void PrintTo(const FitCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class FitColumnWidthsTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitColumnWidthsTest, FillsTheWidthLessScrollBarAndBorder) {
  const FitCase& c = GetParam();
  std::vector<int> widths = c.widths;
  FitColumnWidths(widths, c.outerWidth, c.allowances);
  EXPECT_EQ(widths, c.expected);
  EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0),
            c.outerWidth - c.allowances.scrollBar - c.allowances.border);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitColumnWidthsTest,
    testing::Values(
        // The main window's grid: 774 wide, single border without 3D, six vertical lines.
        FitCase{"SixColumnsNoScrollBar", std::vector<int>(6, 128), 774, {0, 2, 6}, {132, 128, 128, 128, 128, 128}},
        // Rows no longer fit: the scroll bar's 16 pixels come off the space to fill.
        FitCase{"SixColumnsWithScrollBar", std::vector<int>(6, 128), 774, {16, 2, 6}, {131, 125, 125, 125, 125, 125}},
        FitCase{"OneColumn", {64}, 200, {0, 2, 1}, {198}},
        FitCase{"OneColumn3DBorder", {64}, 200, {16, 4, 1}, {180}},
        // 2 x 1.25 = 2.5 rounds to 2 and 6 x 1.25 = 7.5 to 8; rounding halves up would give 3 and 7.
        FitCase{"HalvesRoundToEven", {2, 6}, 10, {0, 0, 0}, {2, 8}},
        // A remainder larger than the column count is spread evenly first, the rest to the widest.
        FitCase{"RemainderSpreadThenWidest", {100, 50, 50}, 420, {0, 0, 20}, {208, 106, 106}},
        FitCase{"WidestIsTheFirstOfEqualOnes", {50, 80, 80}, 213, {0, 2, 3}, {50, 82, 79}},
        // Columns of width 0 cannot be scaled (no division by a zero sum); the remainder steps fill them.
        FitCase{"AllColumnsZeroWide", {0, 0}, 101, {0, 2, 2}, {50, 49}}),
    [](const testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

TEST(GridSizingTest, Allowances) {
  EXPECT_EQ(FitBorderAllowance(false, true), 0);
  EXPECT_EQ(FitBorderAllowance(true, true), 4);
  EXPECT_EQ(FitBorderAllowance(true, false), 2);
  // Normal columns count their line width; fixed columns count once each.
  EXPECT_EQ(FitLineAllowance(6, 0, 0, 1, true, true), 6);
  EXPECT_EQ(FitLineAllowance(6, 2, 0, 3, true, true), 14);
  EXPECT_EQ(FitLineAllowance(6, 2, 0, 3, false, true), 2);
  EXPECT_EQ(FitLineAllowance(6, 2, 0, 3, true, false), 12);
}

TEST(GridSizingTest, SizeListKeepsOwnSizesUntilTheDefaultIsSet) {
  TSizeList list(64);
  list.SetCount(3);
  EXPECT_FALSE(list.HasOwnSizes());
  EXPECT_EQ(list.Get(2), 64);
  EXPECT_TRUE(list.Set(1, 100));
  EXPECT_FALSE(list.Set(1, 100));
  EXPECT_EQ(list.All(), (std::vector<int>{64, 100, 64}));
  list.SetCount(5);  // new entries take the default
  EXPECT_EQ(list.All(), (std::vector<int>{64, 100, 64, 64, 64}));
  list.SetCount(2);
  EXPECT_EQ(list.Sum(0, 2), 164);
  list.ResetToDefault(128);
  EXPECT_FALSE(list.HasOwnSizes());
  EXPECT_EQ(list.All(), (std::vector<int>{128, 128}));
}

TEST(GridSizingTest, AutoSizeFormulasAndClamps) {
  // Row: 2 x line + extent + vertical margin, never below a positive minimum, never above a positive maximum.
  EXPECT_EQ(AutoSizeRowHeight(19, 1, 2, 22, 0), 23);
  EXPECT_EQ(AutoSizeRowHeight(15, 1, 2, 22, 0), 22);
  EXPECT_EQ(AutoSizeRowHeight(15, 1, 2, 0, 0), 19);
  EXPECT_EQ(AutoSizeRowHeight(60, 1, 2, 22, 40), 40);
  // Column: T + 4 of margins (extent) + 2 x line + margin + 2 = T + 10 for a plain single line.
  EXPECT_EQ(AutoSizeColumnWidth(50 + 4, 1, 2, 10, 0), 60);
  EXPECT_EQ(AutoSizeColumnWidth(0, 1, 2, 10, 0), 10);
}

TEST(GridSizingTest, MouseResizeStoresOnlyWidthsAboveOnePixel) {
  const std::vector<std::pair<int, bool>> cases{{-5, false}, {0, false}, {1, false}, {2, true}, {128, true}};
  for (const auto& [width, accepted] : cases) EXPECT_EQ(AcceptsResizedWidth(width), accepted) << width;
}

TEST(GridSizingTest, BorderHitZoneIsThreeLeftAndFourRight) {
  const std::vector<int> edges{132, 260, 388};
  const std::vector<std::pair<int, int>> cases{{128, -1}, {129, 0}, {132, 0}, {136, 0}, {137, -1},
                                               {257, 1},  {264, 1}, {392, 2}, {393, -1}};
  for (const auto& [x, hit] : cases) EXPECT_EQ(HitColumnBorder(edges, 400, x), hit) << x;
  // An edge beyond the drawn part of the grid is not a border, nor is any after it.
  EXPECT_EQ(HitColumnBorder({132, 500}, 400, 500), -1);
}

TEST(GridSizingTest, ZoomSizesKeepsEverySizePositive) {
  std::vector<int> sizes{128, 0, 2, 22};
  ZoomSizes(sizes, 3);
  EXPECT_EQ(sizes, (std::vector<int>{131, 0, 5, 25}));
  ZoomSizes(sizes, -5);
  EXPECT_EQ(sizes, (std::vector<int>{126, 0, 5, 20}));
}

}  // namespace
