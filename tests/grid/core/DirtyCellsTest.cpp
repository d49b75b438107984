#include "grid/core/DirtyCells.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using orlex::grid::TDirtyCells;

std::vector<std::pair<int, int>> ColRows(TDirtyCells& cells) {
  std::vector<std::pair<int, int>> out;
  for (const std::uint64_t key : cells.Cells()) out.emplace_back(TDirtyCells::Col(key), TDirtyCells::Row(key));
  return out;
}

// Each cell once, row by row and left to right within a row, however often and in whatever order
// it was added; columns and rows far apart do not mix up.
TEST(DirtyCells, GivesEveryCellOnceInRowOrder) {
  TDirtyCells cells;
  for (const auto& [col, row] : std::vector<std::pair<int, int>>{
           {5, 2}, {1, 2}, {5, 2}, {3, 1}, {1, 2}, {70000, 0}, {0, 70000}, {3, 1}, {1, 2}}) {
    cells.Add(col, row);
  }
  EXPECT_EQ(ColRows(cells), (std::vector<std::pair<int, int>>{{70000, 0}, {3, 1}, {1, 2}, {5, 2}, {0, 70000}}));
  cells.Clear();
  EXPECT_TRUE(cells.Empty());
  EXPECT_TRUE(ColRows(cells).empty());
}

// A cell whose text alone changed stays text-only; any other change of it, before or after, makes it
// whole. Either way it comes once, in row order.
TEST(DirtyCells, TextOnlyUnlessTheWholeCellWasAddedToo) {
  TDirtyCells cells;
  cells.AddText(3, 1);
  cells.AddText(2, 1);
  cells.Add(2, 1);
  cells.Add(1, 1);
  cells.AddText(1, 1);
  cells.AddText(3, 1);
  cells.AddText(70000, 70000);
  std::vector<std::tuple<int, int, bool>> seen;
  for (const std::uint64_t key : cells.Cells()) {
    seen.emplace_back(TDirtyCells::Col(key), TDirtyCells::Row(key), TDirtyCells::TextOnly(key));
  }
  EXPECT_EQ(seen, (std::vector<std::tuple<int, int, bool>>{
                      {1, 1, false}, {2, 1, false}, {3, 1, true}, {70000, 70000, true}}));
}

// Values written thousands of times between two passes keep the list near the number of cells.
TEST(DirtyCells, RepeatedWritesKeepTheListSmall) {
  TDirtyCells cells;
  std::size_t most = 0;
  for (int i = 0; i < 100000; ++i) {
    cells.Add(1 + 2 * (i % 3), 1 + i % 20);
    most = std::max(most, cells.Held());
  }
  EXPECT_EQ(cells.Cells().size(), 60u);
  EXPECT_LE(most, 512u);
}

}  // namespace
