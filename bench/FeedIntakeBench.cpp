// Packet handling costs per packet: splitting a PID packet of 60 fields, and the whole intake of such a
// packet (trim, split, value update by key for 60 registered PIDs) with a host that does nothing.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/FeedIntake.h"
#include "app/core/FeedPackets.h"
#include "tests/support/NullPidWindow.h"

using namespace orlex::app;

namespace {

constexpr int kPids = 60;

class TNullHost : public TRegistryHost {
 public:
  explicit TNullHost(TPidTable& table) : table_(table) {}
  void updatemsg(const std::string&) override {}
  void DebugListing(const std::string& line) override { benchmark::DoNotOptimize(line.data()); }
  void ShowMessage(const std::string&) override {}
  void FailAndEnd(const std::string&) override { std::abort(); }
  std::unique_ptr<TPidWindowBase> CreatePidWindow() override { return std::make_unique<TNullPidWindow>(); }
  void RestartCascade() override {}
  void CascadePidWindow(int) override {}
  void LoadPidWindowSettings(int) override {}
  void ResetGrid() override { table_.Clear(); }
  void RestoreGridPosition(int) override {}
  void PlaceUnplacedPids() override {}
  void RefreshGridValues() override {}
  void OpenSettingsFile() override {}
  void SaveSettings() override {}

 private:
  TPidTable& table_;
};

std::string Key(int n) { return "sensor_" + std::to_string(n); }

std::string InitText() {
  std::string text = std::to_string(kPids) + ";";
  for (int n = 1; n <= kPids; ++n) {
    text += Key(n) + ";\"Sensor " + std::to_string(n) + "\";" + std::to_string(n) + ";";
  }
  return text;
}

std::string PidPacket(int round) {
  std::string text;
  for (int n = 1; n <= kPids; ++n) {
    text += Key(n) + "," + std::to_string(1000 + (n * 37 + round) % 5000) + "." + std::to_string(round % 10) + ";";
  }
  return text;
}

void BM_SplitPidPacket(benchmark::State& state) {
  const std::string packet = PidPacket(1);
  std::vector<std::string> fields;
  for (auto _ : state) {
    SplitFields(packet, fields);
    benchmark::DoNotOptimize(fields.data());
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["bytes/packet"] = static_cast<double>(packet.size());
}
BENCHMARK(BM_SplitPidPacket);

void BM_PidPacketIntake(benchmark::State& state) {
  TPidTable table;
  TNullHost host(table);
  WMCopyData(table, host, kInitPacket, InitText());
  // A few distinct packets, so values really change.
  std::vector<std::string> packets;
  for (int round = 0; round < 8; ++round) packets.push_back(PidPacket(round));
  std::size_t next = 0;
  for (auto _ : state) {
    const int result = WMCopyData(table, host, kPidPacket, packets[next]);
    benchmark::DoNotOptimize(result);
    next = (next + 1) % packets.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PidPacketIntake);

void BM_InitPacketIntake(benchmark::State& state) {
  TPidTable table;
  TNullHost host(table);
  const std::string text = InitText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(WMCopyData(table, host, kInitPacket, text));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InitPacketIntake);

}  // namespace

BENCHMARK_MAIN();
