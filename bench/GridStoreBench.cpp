// The grid store's costs: the slot refresh that runs once per PID packet, and the memory of a huge,
// sparsely written grid. Every operator new of this program is counted, so the memory figure is
// what the store really holds, allocator headers aside.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>

#include "app/core/PidGridSetup.h"
#include "app/core/PidRegistry.h"
#include "app/core/SlotLayout.h"
#include "grid/core/CellGridBase.h"
#include "tests/support/NullPidWindow.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {
std::atomic<long long> liveBytes{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* CountedAlloc(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  liveBytes += static_cast<long long>(size);
  return block + kHeader;
}
void CountedFree(void* p) noexcept {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  liveBytes -= static_cast<long long>(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }

namespace {

class TValueWindow : public TNullPidWindow {
 public:
  void UpdateValue(const std::string& text) override { shown = text; }
  std::string shown;
};

// One PID packet's refresh with 60 PIDs placed in all 60 slots.
void BM_RefreshGridValues60(benchmark::State& state) {
  TCellGridBase grid;
  ConfigurePidGrid(grid);
  TPidTable table;
  ResetGrid(grid, table);
  for (int n = 1; n <= 60; ++n) {
    auto pid = std::make_unique<PidRecord>();
    pid->ID = 1000 + n;
    pid->Key = "PID" + std::to_string(n);
    pid->Description = "Engine parameter " + std::to_string(n);
    pid->Window = std::make_unique<TValueWindow>();
    table.Put(n, std::move(pid));
  }
  table.PidCount = 60;
  PlaceUnplacedPids(grid, table, nullptr);
  for (int n = 1; n <= 60; ++n) table.Record(n)->Value = std::to_string(n * 37) + ".25";
  for (auto _ : state) {
    RefreshGridValues(grid, table);
    benchmark::DoNotOptimize(grid.CellText(5, 20).data());
  }
  state.counters["slots"] = 60;
}
BENCHMARK(BM_RefreshGridValues60);

// A 1,000,000 x 1,000,000 grid with 10,000 cells written at random places. Range 0: texts only;
// range 1: texts and tags (each tag brings a property record).
void BM_HugeGridMemory(benchmark::State& state) {
  const bool withTags = state.range(0) != 0;
  long long storeBytes = 0;
  std::size_t cells = 0;
  for (auto _ : state) {
    const long long before = liveBytes.load();
    auto grid = std::make_unique<TCellGridBase>();
    grid->SetColCount(1000000);
    grid->SetRowCount(1000000);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> index(0, 999999);
    for (int i = 0; i < 10000; ++i) {
      const int c = index(random), r = index(random);
      grid->SetCells(c, r, "12345.67");
      if (withTags) grid->SetObjects(c, r, i + 1);
    }
    storeBytes = liveBytes.load() - before;
    cells = grid->StoredCellCount();
    benchmark::DoNotOptimize(grid.get());
  }
  state.counters["store_bytes"] = static_cast<double>(storeBytes);
  state.counters["cells"] = static_cast<double>(cells);
  state.counters["bytes_per_cell"] = static_cast<double>(storeBytes) / static_cast<double>(cells);
}
BENCHMARK(BM_HugeGridMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
