// The cell text block: a 60-cell block dropped or pasted into the slot grid, and the text of the
// whole slot area as a drag of every slot would carry it.
#include <benchmark/benchmark.h>

#include <string>

#include "app/core/PidGridSetup.h"
#include "grid/core/CellGridBase.h"

using namespace orlex::grid;
using orlex::app::ConfigurePidGrid;

namespace {

// Description and value cells as the demo Feed fills them.
std::string CellFor(int col, int row) {
  return col % 2 == 0 ? "Coolant temperature " + std::to_string(row) : std::to_string(80 + row) + ".5";
}

void BM_PasteTextBlock60Cells(benchmark::State& state) {
  TCellGridBase grid;
  ConfigurePidGrid(grid);
  std::string block;  // 6 columns x 10 rows
  for (int row = 0; row < 10; ++row) {
    if (row > 0) block += "\r\n";
    for (int col = 0; col < 6; ++col) {
      if (col > 0) block += '\t';
      block += CellFor(col, row);
    }
  }
  int count = 0;
  for (auto _ : state) {
    grid.SetCells(0, 1, "");  // one changed cell per round, so the paste always writes something
    count = grid.PasteTextBlock(0, 1, block);
    benchmark::DoNotOptimize(count);
  }
  state.counters["cells"] = count;
}
BENCHMARK(BM_PasteTextBlock60Cells);

void BM_SelectionTextOfSlotArea(benchmark::State& state) {
  TCellGridBase grid;
  ConfigurePidGrid(grid);
  for (int row = 1; row <= 20; ++row) {
    for (int col = 0; col < 6; ++col) grid.SetCells(col, row, CellFor(col, row));
  }
  grid.SetCurrentCell(0, 1);
  grid.SetAnchor(5, 20);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = grid.SelectionText();
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SelectionTextOfSlotArea);

}  // namespace

BENCHMARK_MAIN();
