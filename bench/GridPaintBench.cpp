// Painting and zooming the main window's grid: 774 x 540, 60 filled slots, the form's settings.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "app/core/PidGridSetup.h"
#include "grid/CellGrid.h"
#include "bench/PaintRate.h"
#include "tests/grid/GridPixels.h"
#include "tests/grid/SystemGridWidget.h"

using namespace orlex::grid;

namespace {

// One full paint pass of every cell. The argument turns the canvas's glyph images off (0, as before
// them) or on (1), so one run shows both.
void BM_FullPaint(benchmark::State& state) {
  TCellGrid grid;
  ShowFilledSystemGrid(grid);
  grid.Canvas().SetGlyphImages(state.range(0) != 0);
  const std::size_t composedBefore = grid.Canvas().GlyphImageRunsDrawn();
  for (auto _ : state) grid.viewport()->repaint();
  state.counters["cells_painted"] = grid.CellsInLastPaintPass();
  // Texts composed from ready-blended glyph images per pass.
  state.counters["glyph_image_texts"] = static_cast<double>(grid.Canvas().GlyphImageRunsDrawn() - composedBefore) /
                                        static_cast<double>(state.iterations());
}
BENCHMARK(BM_FullPaint)->ArgName("glyph_images")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The paint that follows one packet of 60 new values: the values are written outside the timing,
// then the flush (the changed cells' region and the paint pass it runs) is timed. Every packet's
// values are new, so no text is drawn from an earlier pass. Arguments: glyph_images as for
// BM_FullPaint; narrow 1: a text change repaints only where the old and the new value can have pixels
// (the grid's default), 0: the whole cell.
void BM_PaintAfterPacket(benchmark::State& state) {
  TCellGrid grid;
  ShowFilledSystemGrid(grid);
  grid.Canvas().SetGlyphImages(state.range(0) != 0);
  grid.SetNarrowTextRepaints(state.range(1) != 0);
  TPaintedPixels painted(grid.viewport());
  long packet = 0;
  const std::size_t plainBefore = grid.Canvas().PlainRunsDrawn();
  const std::size_t composedBefore = grid.Canvas().GlyphImageRunsDrawn();
  for (auto _ : state) {
    state.PauseTiming();
    ++packet;
    for (int i = 0; i < 60; ++i) {
      grid.SetCells(1 + 2 * (i / 20), 1 + i % 20, std::to_string((packet * 60 + i) % 1000003) + "." + std::to_string(i % 10));
    }
    state.ResumeTiming();
    grid.FlushRepaints();
    QApplication::processEvents();
  }
  state.counters["cells_painted"] = grid.CellsInLastPaintPass();
  // Pixels in a pass's paint region: what is written and sent to the display.
  state.counters["region_pixels"] = static_cast<double>(painted.Take()) / static_cast<double>(state.iterations());
  // Values drawn from the canvas's glyph table rather than shaped anew (60 when every value is).
  state.counters["plain_values"] =
      static_cast<double>(grid.Canvas().PlainRunsDrawn() - plainBefore) / static_cast<double>(state.iterations());
  // Of those, values composed from ready-blended glyph images.
  state.counters["glyph_image_values"] =
      static_cast<double>(grid.Canvas().GlyphImageRunsDrawn() - composedBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PaintAfterPacket)
    ->ArgNames({"glyph_images", "narrow"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond);

// One zoom step as the main window takes it: ZoomFactor, AutoSizeRow for every row, the default
// column width, the fit to the width, and the repaint.
void BM_ZoomStep(benchmark::State& state) {
  TCellGrid grid;
  ShowFilledSystemGrid(grid);
  int step = 0;
  const std::size_t fontsBefore = grid.Canvas().FontsBuilt();
  for (auto _ : state) {
    grid.ChangeLook([zoom = (step++ % 2) ? 4 : 3](TGridLook& look) { look.ZoomFactor = zoom; });
    for (int r = 0; r < grid.RowCount(); ++r) grid.AutoSizeRow(r);
    grid.SetDefaultColWidth(orlex::app::kPidGridColWidth);
    grid.FitColumnsToWidth();
    grid.viewport()->repaint();
  }
  state.counters["fonts_built"] = static_cast<double>(grid.Canvas().FontsBuilt() - fontsBefore);
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMicrosecond);

// A Feed that refreshes every value as fast as it can for one second: cell writes and paint passes
// per second (the paint rate is capped near 60).
void BM_ThrottledValueUpdates(benchmark::State& state) {
  TCellGrid grid;
  ShowFilledSystemGrid(grid);
  orlex::bench::MeasurePaintRate(state, grid, [&grid](int slot, long write) {
    grid.SetCells(1 + 2 * (slot / 20), 1 + slot % 20, std::to_string(write % 10007) + ".25");
  });
}
BENCHMARK(BM_ThrottledValueUpdates)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
