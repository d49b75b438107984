#pragma once

// Fakes for driving packet handling without windows: a host that records every call in order and a
// PID window that records its state. FailAndEnd throws TFakeProcessEnd, which is no std::exception,
// so it passes through the handlers' own error catching as the real process end would.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/PidRegistry.h"
#include "app/core/RegistryHost.h"
#include "tests/support/NullPidWindow.h"

namespace orlex::app {

struct TFakeProcessEnd {
  std::string box;
};

class TFakePidWindow : public TNullPidWindow {
 public:
  explicit TFakePidWindow(int* liveCount) : liveCount_(liveCount) { ++*liveCount_; }
  ~TFakePidWindow() override { --*liveCount_; }

  void UpdateValue(const std::string& text) override { values.push_back(text); }
  void ShowPidWindow() override { visible = true; }
  void HidePidWindow() override {
    visible = false;
    ++hideCalls;
  }
  bool PidWindowVisible() const override { return visible; }
  bool CheckingEnabled() const override { return checking; }
  void SetCheckingEnabled(bool enabled) override { checking = enabled; }

  bool visible = false;
  bool checking = false;
  int hideCalls = 0;
  std::vector<std::string> values;

 private:
  int* liveCount_;
};

class TFakeHost : public TRegistryHost {
 public:
  explicit TFakeHost(TPidTable& table) : table_(table) {}
  // The windows count themselves here: they must go before the host does.
  ~TFakeHost() override { table_.Clear(); }

  void updatemsg(const std::string& text) override {
    calls.push_back("status:" + text);
    if (onStatus) onStatus(text);
  }
  void DebugListing(const std::string& line) override {
    calls.push_back("list:" + line);
    listing.push_back(line);
  }
  void ShowMessage(const std::string& text) override { calls.push_back("box:" + text); }
  void FailAndEnd(const std::string& boxText) override {
    calls.push_back("fail:" + boxText);
    if (onFail) onFail(boxText);
    throw TFakeProcessEnd{boxText};
  }
  std::unique_ptr<TPidWindowBase> CreatePidWindow() override {
    calls.push_back("create");
    return std::make_unique<TFakePidWindow>(&liveWindows);
  }
  void RestartCascade() override { calls.push_back("restart"); }
  void CascadePidWindow(int n) override { calls.push_back("cascade:" + std::to_string(n)); }
  void LoadPidWindowSettings(int n) override { calls.push_back("load:" + std::to_string(n)); }
  void ResetGrid() override {
    calls.push_back("reset");
    table_.Clear();
  }
  void RestoreGridPosition(int n) override { calls.push_back("restore:" + std::to_string(n)); }
  void PlaceUnplacedPids() override { calls.push_back("place"); }
  void RefreshGridValues() override { calls.push_back("refresh"); }
  void OpenSettingsFile() override { calls.push_back("open"); }
  void SaveSettings() override { calls.push_back("save"); }

  std::vector<std::string> calls;
  std::vector<std::string> listing;
  int liveWindows = 0;
  // Run inside the status line and the failure box, where the real ones let other messages run.
  std::function<void(const std::string&)> onStatus;
  std::function<void(const std::string&)> onFail;

 private:
  TPidTable& table_;
};

inline TFakePidWindow& FakeWindow(const TPidTable& table, int n) {
  return static_cast<TFakePidWindow&>(*table.Record(n)->Window);
}

}  // namespace orlex::app
