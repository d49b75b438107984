// HTML description cells against plain ones: a full paint of the main window's grid with 60 slots
// whose descriptions hold bold, colour and a link, against the same texts without tags, and the
// paint rate while every value changes as fast as the grid takes it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "grid/CellGrid.h"
#include "bench/PaintRate.h"
#include "tests/grid/SystemGridWidget.h"

using namespace orlex::grid;

namespace {

std::string Description(int slot, bool html) {
  const std::string n = std::to_string(slot);
  if (!html) return "Engine RPM " + n + " info";
  return "<B>Engine</B> <FONT COLOR=\"clred\">RPM " + n + "</FONT> <A HREF=\"pid:" + n + "\">info</A>";
}

void ShowGrid(TCellGrid& grid, bool html) {
  ConfigureSystemGridWidget(grid);
  SystemColumnColors(grid);
  FillSixtySlots(grid);
  for (int pair = 0; pair < 3; ++pair) {
    for (int row = 1; row <= 20; ++row) grid.SetCells(pair * 2, row, Description(pair * 20 + row, html));
  }
  grid.show();
  QApplication::processEvents();
  grid.FitColumnsToWidth();
  for (int r = 0; r < grid.RowCount(); ++r) grid.AutoSizeRow(r);
  QApplication::processEvents();
}

void BM_FullPaint(benchmark::State& state) {
  const bool html = state.range(0) != 0;
  TCellGrid grid;
  ShowGrid(grid, html);
  for (auto _ : state) grid.viewport()->repaint();
  state.SetLabel(html ? "html descriptions" : "plain descriptions");
}
BENCHMARK(BM_FullPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Auto-sizing every row measures every description.
void BM_AutoSizeRows(benchmark::State& state) {
  const bool html = state.range(0) != 0;
  TCellGrid grid;
  ShowGrid(grid, html);
  for (auto _ : state) {
    for (int r = 0; r < grid.RowCount(); ++r) grid.AutoSizeRow(r);
  }
  state.SetLabel(html ? "html descriptions" : "plain descriptions");
}
BENCHMARK(BM_AutoSizeRows)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Values refreshed as fast as possible for a second, descriptions rewritten as the slot refresh
// does: the paint rate stays at the screen's pace (about 60 a second).
void BM_ThrottledUpdates(benchmark::State& state) {
  const bool html = state.range(0) != 0;
  TCellGrid grid;
  ShowGrid(grid, html);
  orlex::bench::MeasurePaintRate(state, grid, [&grid, html](int slot, long write) {
    const int pair = slot / 20;
    const int row = 1 + slot % 20;
    grid.SetCells(pair * 2, row, Description(slot + 1, html));
    grid.SetCells(pair * 2 + 1, row, std::to_string(write % 10007) + ".25");
  });
  state.SetLabel(html ? "html descriptions" : "plain descriptions");
}
BENCHMARK(BM_ThrottledUpdates)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
