#pragma once

#include <string>

namespace orlex::app {

// What the registry, the slot layout and the settings file need from a PID's floating window.
// TPidWnd implements it; window-free tests use fakes.

struct TPidWindowSettings {
  int Top = -1;
  int Left = -1;
  int Width = -1;   // outer size
  int Height = -1;
  double Threshold = 0.0;
  int GoodColor = 0;
  int BadColor = 0;
  bool CheckingEnabled = false;
  int FontColor = 0;
  int FontSize = 15;  // points
  std::string FontName = "Arial";
};

class TPidWindowBase {
 public:
  virtual ~TPidWindowBase() = default;

  virtual void UpdateValue(const std::string& text) = 0;
  virtual void ShowPidWindow() = 0;
  virtual void HidePidWindow() = 0;
  virtual bool PidWindowVisible() const = 0;
  virtual bool CheckingEnabled() const = 0;
  virtual void SetCheckingEnabled(bool enabled) = 0;

  // Everything the settings file saves of the window.
  virtual TPidWindowSettings CurrentSettings() const = 0;
};

}  // namespace orlex::app
