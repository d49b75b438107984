// The settings file at INIT time: every PID's window settings and slot are read one value at a time,
// each read giving what a fresh read of the file gives. Also the save of a full table.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

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

// Sections of other Feeds' keys that a save keeps, about `bytes` of them, after the file's own.
void AddOtherSections(const std::string& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  std::size_t written = 0;
  for (int n = 1; written < bytes; ++n) {
    std::string section = "\r\n[OTHER_FEED_KEY_" + std::to_string(n) + "]\r\nID=" + std::to_string(n) +
                          "\r\nXpos=0\r\nYpos=1\r\nTop=100\r\nLeft=200\r\nWidth=174\r\nHeight=150\r\n"
                          "Threshhold=87.5\r\nGoodColor=65280\r\nBadColor=255\r\nCEnabled=1\r\nFontColor=0\r\n"
                          "FontSize=15\r\nFontName=Arial\r\n";
    out << section;
    written += section.size();
  }
}

// The file the reads run against: the table's own 60 sections and state.range(0) bytes of other keys'.
void WriteBenchFile(benchmark::State& state, const TSettingsFile& file, const TFullTable& full) {
  file.SaveSettings(full.grid, full.table);
  AddOtherSections(file.Path(), static_cast<std::size_t>(state.range(0)));
  state.counters["file_bytes"] = static_cast<double>(fs::file_size(file.Path()));
}

// Every read an INIT packet of 80 PIDs makes: each PID's window settings and slot.
void InitReads(const TSettingsSource& source, const TFullTable& full) {
  for (int n = 1; n <= TPidTable::kSlots; ++n) {
    const std::string& key = full.table.Record(n)->Key;
    benchmark::DoNotOptimize(ReadPidWindowSettings(source, key));
    benchmark::DoNotOptimize(source.ReadInteger(key, "XPOS", -1));
    benchmark::DoNotOptimize(source.ReadInteger(key, "YPOS", -1));
    benchmark::DoNotOptimize(source.ReadInteger(key, "ID", -1));
  }
}

// All reads of one INIT packet of 80 PIDs against a file holding 60 full sections and, with a
// non-zero argument, about that many bytes of other keys' sections besides. Each iteration is a new
// INIT: the settings file is opened afresh, as every INIT packet does.
void BM_InitReads(benchmark::State& state) {
  TFullTable full;
  const std::string path = TempSettingsPath();
  TSettingsFile file(path);
  WriteBenchFile(state, file, full);
  // As at the start of a session: the file was written a while ago.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (auto _ : state) {
    file.OpenSettingsFile();
    InitReads(*file.SettingsFile(), full);
  }
  fs::remove_all(fs::path(path).parent_path());
}
BENCHMARK(BM_InitReads)->Arg(0)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// The same right after the file was written (by a save, or anyone): the file's stamp cannot yet vouch
// for what was read, but the file watch started before the read can (without one, every read would
// compare the file with what was kept).
void BM_InitReadsJustWritten(benchmark::State& state) {
  TFullTable full;
  const std::string path = TempSettingsPath();
  TSettingsFile file(path);
  WriteBenchFile(state, file, full);
  std::ifstream in(path, std::ios::binary);
  const std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    state.ResumeTiming();
    file.OpenSettingsFile();
    InitReads(*file.SettingsFile(), full);
  }
  fs::remove_all(fs::path(path).parent_path());
}
BENCHMARK(BM_InitReadsJustWritten)->Arg(0)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

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
