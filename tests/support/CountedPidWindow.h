#pragma once

#include <string>

#include "tests/support/NullPidWindow.h"

namespace orlex::app {

// A PID window that counts the windows alive in *live and keeps its value, visibility and checking
// state, so a host can check that every window goes with its record.
class TCountedPidWindow : public TNullPidWindow {
 public:
  explicit TCountedPidWindow(int* live) : live_(live) { ++*live_; }
  ~TCountedPidWindow() override { --*live_; }
  void UpdateValue(const std::string& text) override { last_ = text; }
  void ShowPidWindow() override { visible_ = true; }
  void HidePidWindow() override { visible_ = false; }
  bool PidWindowVisible() const override { return visible_; }
  bool CheckingEnabled() const override { return checking_; }
  void SetCheckingEnabled(bool enabled) override { checking_ = enabled; }

 private:
  int* live_;
  std::string last_;
  bool visible_ = false;
  bool checking_ = false;
};

}  // namespace orlex::app
