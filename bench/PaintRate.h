#pragma once

// A Feed that refreshes the grid as fast as it can for one second: cell writes and paint passes per
// second, as benchmark counters (the paint rate is capped near the screen's 60).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdint>

#include "grid/CellGrid.h"

namespace orlex::bench {

// refreshSlot(slot, write) rewrites one of the 60 slots (0 to 59) as the write-th value written.
template <typename RefreshSlot>
void MeasurePaintRate(benchmark::State& state, const grid::TCellGrid& grid, RefreshSlot refreshSlot) {
  for (auto _ : state) {
    const std::uint64_t passes = grid.PaintPassNumber();
    QElapsedTimer timer;
    timer.start();
    long writes = 0;
    while (timer.elapsed() < 1000) {
      for (int slot = 0; slot < 60; ++slot, ++writes) refreshSlot(slot, writes);
      QApplication::processEvents();
    }
    const double seconds = timer.elapsed() / 1000.0;
    state.counters["writes_per_s"] = writes / seconds;
    state.counters["paints_per_s"] = (grid.PaintPassNumber() - passes) / seconds;
  }
}

}  // namespace orlex::bench
