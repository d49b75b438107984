// Reads of cells that were never written, and tag reads of cells without a record, must cost no
// allocation: this file counts every operator new of the test program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "grid/core/CellStyle.h"
#include "tests/grid/core/SystemGrid.h"

using namespace orlex::grid;

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(StoreAllocation, UnwrittenReadsAndTagReadsAllocateNothing) {
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  grid.SetRowCount(1000000);
  grid.SetColCount(1000000);
  grid.SetCells(3, 3, "a text long enough to live on the heap, not in the string object");
  grid.SetObjects(4, 4, 11);

  long cellsFound = 0;
  std::intptr_t tagSum = 0;
  const long before = allocations.load();
  for (int r = 0; r < 2000; r += 7)
    for (int c = 0; c < 2000; c += 13) {
      cellsFound += !grid.CellText(c * 499 + 1, r * 499 + 1).empty();
      cellsFound += !grid.Cells(c + 999000, r).empty();
      tagSum += grid.Objects(c, r + 5);
      cellsFound += grid.HasCellProperties(c * 3, r * 3);
    }
  tagSum += grid.Objects(4, 4);
  TGridDrawState state = 0;
  const TCellStyle look = ResolveCellStyle(grid, 7, 7, true, state);  // no record, short font name
  const long after = allocations.load();

  EXPECT_EQ(after - before, 0);
  EXPECT_EQ(cellsFound, 0);
  EXPECT_EQ(tagSum, 11);
  EXPECT_EQ(look.BrushColor, clBtnFace);
  // Memory follows the cells written: the six headers and the two cells above.
  EXPECT_EQ(grid.StoredCellCount(), 8u);
}

}  // namespace
