// The settings file at INIT time: every PID's window settings and slot are read one value at a time,
// and each read parses the file afresh. Also the save of a full table.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/core/PidRegistry.h"
#include "app/core/PidWindowLayout.h"
#include "app/core/SettingsFile.h"
#include "grid/core/CellGridBase.h"
#include "tests/support/NullPidWindow.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

namespace fs = std::filesystem;

class TStillWindow : public TNullPidWindow {
 public:
  TPidWindowSettings CurrentSettings() const override {
    return TPidWindowSettings{100, 200, 174, 150, 87.5, 65280, 255, true, 0, 15, "Arial"};
  }
};

struct TFullTable {
  TCellGridBase grid;
  TPidTable table;
  TFullTable() {
    grid.SetColCount(6);
    grid.SetRowCount(21);
    for (int n = 1; n <= TPidTable::kSlots; ++n) {
      auto record = std::make_unique<PidRecord>();
      record->ID = n;
      record->Key = "PID_KEY_" + std::to_string(n);
      record->Description = "Description " + std::to_string(n);
      record->Window = std::make_unique<TStillWindow>();
      if (n <= 60) {
        const int col = 2 * ((n - 1) / 20);
        const int row = 1 + (n - 1) % 20;
        grid.SetCells(col, row, record->Description);
        grid.SetObjects(col, row, n);
      }
      table.Put(n, std::move(record));
    }
    table.PidCount = TPidTable::kSlots;
    table.InitDone = true;
  }
};

std::string TempSettingsPath() {
  std::string pattern = (fs::temp_directory_path() / "settingsbench.XXXXXX").string();
  return (fs::path(::mkdtemp(pattern.data())) / "orlexgauges_pidgrid.ini").string();
}

// All reads of one INIT packet of 80 PIDs against a file holding 60 full sections.
void BM_InitReads(benchmark::State& state) {
  TFullTable full;
  const std::string path = TempSettingsPath();
  TSettingsFile file(path);
  file.SaveSettings(full.grid, full.table);
  file.OpenSettingsFile();
  const TSettingsSource& source = *file.SettingsFile();
  for (auto _ : state) {
    for (int n = 1; n <= TPidTable::kSlots; ++n) {
      const std::string& key = full.table.Record(n)->Key;
      benchmark::DoNotOptimize(ReadPidWindowSettings(source, key));
      benchmark::DoNotOptimize(source.ReadInteger(key, "XPOS", -1));
      benchmark::DoNotOptimize(source.ReadInteger(key, "YPOS", -1));
      benchmark::DoNotOptimize(source.ReadInteger(key, "ID", -1));
    }
  }
  fs::remove_all(fs::path(path).parent_path());
}
BENCHMARK(BM_InitReads)->Unit(benchmark::kMillisecond);

// A save of 60 slotted PIDs, written to a new file and renamed into place (with its fsync).
void BM_SaveSettings(benchmark::State& state) {
  TFullTable full;
  const std::string path = TempSettingsPath();
  const TSettingsFile file(path);
  for (auto _ : state) file.SaveSettings(full.grid, full.table);
  fs::remove_all(fs::path(path).parent_path());
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
