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

// The latest value of a window that only keeps values for now (hidden, with nothing to work out for
// them). Its PID record holds it, beside the PID's value, so the slot refresh keeps the value there
// without a call into the window: a refresh reaches every window on every packet, and a window nobody
// sees has nothing else to do with it.
struct TKeptValue {
  bool keepsOnly = false;  // the window said so; values go into `value` instead of UpdateValue
  bool kept = false;       // `value` waits for the window to take it
  std::string value;

  // A value from the slot refresh: true when kept here, false when the window must be given it.
  bool Keep(const std::string& text) {
    if (!keepsOnly) return false;
    value = text;
    kept = true;
    return true;
  }
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

  // The value as the slot refresh delivers it.
  void TakeValue(const std::string& text) {
    if (!kept_->Keep(text)) UpdateValue(text);
  }
  // Moves the kept value where the refresh finds it (the PID record, which outlives its window).
  void KeepValuesIn(TKeptValue& place) {
    if (&place == kept_) return;
    place = std::move(*kept_);
    kept_ = &place;
  }

 protected:
  TKeptValue& Kept() { return *kept_; }
  const TKeptValue& Kept() const { return *kept_; }

 private:
  TKeptValue ownKept_;
  TKeptValue* kept_ = &ownKept_;
};

}  // namespace orlex::app
