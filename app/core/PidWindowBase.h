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

  // A value from the slot refresh. While the window only keeps values (it said so: hidden, nothing to
  // work out), the text is kept here without a call into it: a refresh reaches every window on every
  // packet, and a window nobody sees has nothing else to do with it.
  void TakeValue(const std::string& text) {
    if (keepsValuesOnly_) {
      keptValue_ = text;
      valueKept_ = true;
    } else {
      UpdateValue(text);
    }
  }
  virtual void UpdateValue(const std::string& text) = 0;
  virtual void ShowPidWindow() = 0;
  virtual void HidePidWindow() = 0;
  virtual bool PidWindowVisible() const = 0;
  virtual bool CheckingEnabled() const = 0;
  virtual void SetCheckingEnabled(bool enabled) = 0;

  // Everything the settings file saves of the window.
  virtual TPidWindowSettings CurrentSettings() const = 0;

 protected:
  void KeepValuesOnly(bool keep) { keepsValuesOnly_ = keep; }
  bool keepsValuesOnly_ = false;
  // The latest value kept while hidden, for the window to take when it is shown.
  bool valueKept_ = false;
  std::string keptValue_;
};

}  // namespace orlex::app
