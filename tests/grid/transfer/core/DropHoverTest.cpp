#include "grid/transfer/core/DropHover.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/core/CellGridBase.h"
#include "grid/transfer/core/CellRange.h"

#include "tests/support/ParamPrinting.h"

namespace orlex::grid {
namespace {

// Six columns of 100 pixels in a 350-pixel view, 21 rows of 20 pixels (one header) in a 150-pixel
// view: from top row 1, rows 1..6 are fully visible and row 7 partly.
struct DropHoverFixture {
  DropHoverFixture() {
    colSizes.SetCount(6);
    rowSizes.SetCount(21);
  }
  TSizeList colSizes{100};
  TSizeList rowSizes{20};
  TGridAxis Cols(int fixed = 0) const { return TGridAxis{colSizes, 6, fixed, 350}; }
  TGridAxis Rows(int fixed = 1) const { return TGridAxis{rowSizes, 21, fixed, 150}; }
};

struct TScrollCase {
  const char* name;
  int leftCol, topRow, col, row, clientY, tick, fixedRows;
  TDropScroll expected;
};

void PrintTo(const TScrollCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class DropAutoScrollTest : public testing::TestWithParam<TScrollCase> {};

TEST_P(DropAutoScrollTest, MovesTheViewAsTheHoverAsks) {
  const TScrollCase& c = GetParam();
  DropHoverFixture f;
  const TDropScroll got = DropAutoScroll(f.Cols(), f.Rows(c.fixedRows), c.leftCol, c.topRow, c.col, c.row,
                                         c.clientY, c.tick);
  EXPECT_EQ(got.LeftCol, c.expected.LeftCol);
  EXPECT_EQ(got.TopRow, c.expected.TopRow);
  EXPECT_EQ(got.TickCount, c.expected.TickCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DropAutoScrollTest,
    testing::Values(
        TScrollCase{"MiddleCellOddTickStays", 0, 1, 1, 3, 50, 1, 1, {0, 1, 1}},
        TScrollCase{"EvenTickIsUsedUpEvenWithoutScrolling", 0, 1, 1, 3, 50, 2, 1, {0, 1, 3}},
        TScrollCase{"PartlyVisibleLastRowScrollsDown", 0, 1, 1, 7, 145, 1, 1, {0, 2, 1}},
        TScrollCase{"FullyVisibleLastRowStays", 0, 1, 1, 6, 125, 1, 1, {0, 1, 1}},
        TScrollCase{"HeaderWhileScrolledDownScrollsUp", 0, 4, 1, 0, 5, 1, 1, {0, 3, 1}},
        TScrollCase{"HeaderAtTheTopStays", 0, 1, 1, 0, 5, 1, 1, {0, 1, 1}},
        TScrollCase{"NearTheTopWithoutFixedRowsScrollsUp", 0, 3, 1, 3, 4, 1, 0, {0, 2, 1}},
        TScrollCase{"PartlyVisibleColumnOnEvenTickScrollsRight", 0, 1, 3, 3, 50, 4, 1, {1, 1, 5}},
        TScrollCase{"PartlyVisibleColumnOnOddTickWaits", 0, 1, 3, 3, 50, 5, 1, {0, 1, 5}},
        TScrollCase{"FirstColumnWhileScrolledRightScrollsLeft", 2, 1, 0, 3, 50, 0, 1, {1, 1, 1}},
        TScrollCase{"ScrolledToTheEndTheLastRowStays", 0, 15, 1, 20, 145, 1, 1, {0, 15, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TVerdictCase {
  const char* name;
  bool allow;
  TDropVerdictFacts facts;
  bool expected;
};

void PrintTo(const TVerdictCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class GridDropVerdictTest : public testing::TestWithParam<TVerdictCase> {};

TEST_P(GridDropVerdictTest, DecidesWhereDataMayLand) {
  const TVerdictCase& c = GetParam();
  EXPECT_EQ(GridDropVerdict(c.allow, c.facts), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridDropVerdictTest,
    testing::Values(TVerdictCase{"TextOnACell", true, {false, 2, 3, 0, 1, 21, false}, true},
                    TVerdictCase{"TextOnTheHeaderRow", true, {false, 2, 0, 0, 1, 21, false}, false},
                    TVerdictCase{"TextOnTheOnlyRowWithFixedRowAlways", true, {false, 2, 0, 0, 1, 1, true}, true},
                    TVerdictCase{"RefusedStaysRefused", false, {false, 2, 3, 0, 1, 21, false}, false},
                    TVerdictCase{"ColumnOnAHeaderCell", true, {true, 2, 0, 0, 1, 21, false}, true},
                    TVerdictCase{"ColumnOnACell", true, {true, 2, 3, 0, 1, 21, false}, false},
                    TVerdictCase{"ColumnOnAFixedColumn", true, {true, 0, 0, 1, 1, 21, false}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClearCellRangeTest, EmptiesTextsAndRecordsOfTheRectangleOnly) {
  TCellGridBase grid;
  grid.SetColCount(4);
  grid.SetRowCount(4);
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      grid.SetCells(c, r, "x");
      grid.SetObjects(c, r, 7);
    }
  std::vector<TGridRect> changed;
  grid.OnCellsChanged = [&](TCellGridBase&, const TGridRect& cells) { changed.push_back(cells); };
  ClearCellRange(grid, {1, 1, 2, 2});
  EXPECT_EQ(changed, std::vector<TGridRect>{(TGridRect{1, 1, 2, 2})});
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      const bool inside = c >= 1 && c <= 2 && r >= 1 && r <= 2;
      EXPECT_EQ(grid.Cells(c, r), inside ? "" : "x") << c << "," << r;
      EXPECT_EQ(grid.HasCellProperties(c, r), !inside) << c << "," << r;
    }
}

}  // namespace
}  // namespace orlex::grid
