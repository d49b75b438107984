#pragma once

#include <string>

#include "app/core/PidWindowBase.h"

namespace orlex::app {

// A PID window that does nothing: a hidden window with checking off and default settings. Tests and
// benchmarks derive from it and override only what they watch.
class TNullPidWindow : public TPidWindowBase {
 public:
  void UpdateValue(const std::string&) override {}
  void ShowPidWindow() override {}
  void HidePidWindow() override {}
  bool PidWindowVisible() const override { return false; }
  bool CheckingEnabled() const override { return false; }
  void SetCheckingEnabled(bool) override {}
  TPidWindowSettings CurrentSettings() const override { return {}; }
};

}  // namespace orlex::app
