// The cell store under a long mix of writes, clears and reads, against a plain model of it: cells
// emptied and written again, tags set and cleared, read back in any order, never give an old entry.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "grid/core/CellGridBase.h"

using namespace orlex::grid;

namespace {

TEST(CellStoreChurn, ReadsAlwaysGiveTheLastWrite) {
  TCellGridBase grid;
  grid.SetColCount(24);
  grid.SetRowCount(24);
  std::map<std::pair<int, int>, std::string> texts;
  std::map<std::pair<int, int>, std::intptr_t> tags;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> cell(0, 23);
  std::uniform_int_distribution<int> action(0, 9);
  for (int step = 0; step < 20000; ++step) {
    const int c = cell(random), r = cell(random);
    const auto at = std::make_pair(c, r);
    switch (action(random)) {
      case 0:
      case 1:
      case 2:  // an empty text removes the entry unless the cell has a record
        texts[at] = step % 3 == 0 ? std::string() : std::to_string(step) + "t";
        grid.SetCells(c, r, texts[at]);
        break;
      case 3:
        tags[at] = step % 4 == 0 ? 0 : step;
        grid.SetObjects(c, r, tags[at]);
        break;
      default:
        ASSERT_EQ(grid.CellText(c, r), texts[at]) << "step " << step << " at " << c << "," << r;
        ASSERT_EQ(grid.Objects(c, r), tags[at]) << "step " << step << " at " << c << "," << r;
    }
  }
}

}  // namespace
