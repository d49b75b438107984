// Copy-data messages through the whole intake, with a host whose process end throws. An input is a
// sequence of messages, each a 4-byte little-endian kind followed by its text up to a NUL byte, so a
// run can register PIDs and then update them. After every message the table must be sound.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/core/FeedIntake.h"
#include "tests/support/CountedPidWindow.h"

using namespace orlex::app;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

struct TProcessEnd {};

class TFuzzHost : public TRegistryHost {
 public:
  explicit TFuzzHost(TPidTable& table) : table_(table) {}
  // The windows count themselves here: they must go before the host does.
  ~TFuzzHost() override { table_.Clear(); }
  void updatemsg(const std::string&) override {}
  void DebugListing(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  void FailAndEnd(const std::string&) override { throw TProcessEnd{}; }
  std::unique_ptr<TPidWindowBase> CreatePidWindow() override { return std::make_unique<TCountedPidWindow>(&liveWindows); }
  void RestartCascade() override {}
  void CascadePidWindow(int n) override { Check(n >= 1 && n <= TPidTable::kSlots); }
  void LoadPidWindowSettings(int n) override { Check(n >= 1 && n <= TPidTable::kSlots); }
  void ResetGrid() override { table_.Clear(); }
  void RestoreGridPosition(int n) override { Check(table_.Record(n) != nullptr); }
  void PlaceUnplacedPids() override {
    for (int n = 1; n <= table_.PidCount; ++n) table_.Record(n)->NeedsPlacement = false;
  }
  void RefreshGridValues() override {
    for (int n = 1; n <= table_.PidCount; ++n) table_.Record(n)->Window->UpdateValue(table_.Record(n)->Value);
  }
  void OpenSettingsFile() override {}
  void SaveSettings() override {}

  int liveWindows = 0;

 private:
  TPidTable& table_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TPidTable table;
  TFuzzHost host(table);
  std::size_t pos = 0;
  while (size - pos >= 4) {
    const std::uint32_t kind = data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16) |
                               (static_cast<std::uint32_t>(data[pos + 3]) << 24);
    pos += 4;
    std::size_t end = pos;
    while (end < size && data[end] != 0) ++end;
    const std::string text(reinterpret_cast<const char*>(data + pos), end - pos);
    pos = end < size ? end + 1 : end;

    int result = -1;
    try {
      result = WMCopyData(table, host, kind, text);
    } catch (const TProcessEnd&) {
      return 0;  // the process would end here
    }
    Check(result == 0 || result == 1);
    Check(table.PidCount >= 0 && table.PidCount <= TPidTable::kSlots);
    if (table.InitDone) {
      Check(host.liveWindows == table.PidCount);
      for (int n = 1; n <= TPidTable::kSlots; ++n) {
        Check((table.Record(n) != nullptr) == (n <= table.PidCount));
      }
    }
    table.HideAll();
    table.EnableChecking();
  }
  return 0;
}
