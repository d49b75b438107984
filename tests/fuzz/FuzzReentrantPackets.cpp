// Copy-data messages through the whole intake with a host that behaves as the real one: setting the
// status line and every box let the next waiting messages run inside the current one, up to the
// display's nesting bound. An input is a sequence of messages, each a 4-byte little-endian kind
// followed by its text up to a NUL byte. After every message, at any depth, the table must be sound,
// and a save must only ever be taken from a table that no INIT packet is rebuilding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
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

struct TMessage {
  std::uint32_t kind;
  std::string text;
};

class TReentrantHost : public TRegistryHost {
 public:
  static constexpr int kMaxNesting = 8;  // as the Feed server allows

  TReentrantHost(TPidTable& table, std::deque<TMessage>& waiting) : table_(table), waiting_(waiting) {}
  ~TReentrantHost() override { table_.Clear(); }

  // One message, as the Feed server hands it over; checks the table afterwards.
  void Deliver(const TMessage& message) {
    ++depth_;
    const int result = WMCopyData(table_, *this, message.kind, message.text);
    --depth_;
    Check(result == 0 || result == 1);
    CheckTable();
  }

  void updatemsg(const std::string&) override { LetOthersRun(); }
  void DebugListing(const std::string&) override {}
  void ShowMessage(const std::string&) override { LetOthersRun(); }
  void FailAndEnd(const std::string&) override {
    Check(table_.Ending);
    LetOthersRun();  // the box is open: others still run, and a save now must write nothing
    throw TProcessEnd{};
  }
  std::unique_ptr<TPidWindowBase> CreatePidWindow() override { return std::make_unique<TCountedPidWindow>(&liveWindows); }
  void RestartCascade() override {}
  void CascadePidWindow(int n) override { Check(table_.Record(n) != nullptr); }
  void LoadPidWindowSettings(int n) override { Check(table_.Record(n) != nullptr); }
  void ResetGrid() override { table_.Clear(); }
  void RestoreGridPosition(int n) override { Check(table_.Record(n) != nullptr); }
  void PlaceUnplacedPids() override {
    for (int n = 1; n <= table_.PidCount; ++n) {
      if (PidRecord* pid = table_.Record(n)) pid->NeedsPlacement = false;
    }
    LetOthersRun();  // as the "No room Left" box would
  }
  void RefreshGridValues() override {
    for (int n = 1; n <= table_.PidCount; ++n) {
      if (PidRecord* pid = table_.Record(n)) pid->Window->UpdateValue(pid->Value);
    }
  }
  void OpenSettingsFile() override {}
  void SaveSettings() override {
    if (!table_.Saveable()) return;
    Check(table_.InitsInProgress == 0 && !table_.Ending && table_.InitDone);
    for (int n = 1; n <= table_.PidCount; ++n) Check(table_.Record(n) != nullptr);
  }

  int liveWindows = 0;

 private:
  void LetOthersRun() {
    while (depth_ < kMaxNesting && !waiting_.empty()) {
      const TMessage next = waiting_.front();
      waiting_.pop_front();
      Deliver(next);
    }
  }

  void CheckTable() const {
    Check(table_.PidCount >= 0 && table_.PidCount <= TPidTable::kSlots);
    Check(table_.InitsInProgress >= 0 && table_.InitsInProgress <= depth_ + 1);
    int records = 0;
    for (int n = 1; n <= TPidTable::kSlots; ++n) {
      if (table_.Record(n) != nullptr) {
        ++records;
        Check(table_.Record(n)->Window != nullptr);
      }
    }
    Check(records == liveWindows);
    if (table_.InitsInProgress == 0 && table_.InitDone) {
      for (int n = 1; n <= table_.PidCount; ++n) Check(table_.Record(n) != nullptr);
    }
  }

  TPidTable& table_;
  std::deque<TMessage>& waiting_;
  int depth_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::deque<TMessage> waiting;
  std::size_t pos = 0;
  while (size - pos >= 4) {
    // Kinds 0, 1, 3 and 4 matter; the low bits of the first byte choose among them.
    const std::uint32_t kind = data[pos] & 7;
    pos += 4;
    std::size_t end = pos;
    while (end < size && data[end] != 0) ++end;
    waiting.push_back({kind, std::string(reinterpret_cast<const char*>(data + pos), end - pos)});
    pos = end < size ? end + 1 : end;
  }
  TPidTable table;
  TReentrantHost host(table, waiting);
  try {
    while (!waiting.empty()) {
      const TMessage next = waiting.front();
      waiting.pop_front();
      host.Deliver(next);
    }
  } catch (const TProcessEnd&) {
    // The process would end here.
  }
  return 0;
}
