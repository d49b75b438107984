#pragma once

#include <memory>
#include <string>

#include "app/core/PidWindowBase.h"

namespace orlex::app {

// The operations packet handling and INIT processing call outside the registry. The main window
// implements them; window-free tests use a fake that records the calls.
class TRegistryHost {
 public:
  virtual ~TRegistryHost() = default;

  // Status line; lets pending messages be processed before it returns (so it may re-enter).
  virtual void updatemsg(const std::string& text) = 0;
  // One line of the debug listing.
  virtual void DebugListing(const std::string& line) = 0;
  // A modal message box that returns when the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;
  // A malformed packet: the modal box, then the process ends with exit code 0. Never returns
  // (test fakes throw). Callers set the status line themselves first where the packet rules say so.
  virtual void FailAndEnd(const std::string& boxText) = 0;

  // PID windows.
  virtual std::unique_ptr<TPidWindowBase> CreatePidWindow() = 0;  // hidden, owned by the main window
  virtual void RestartCascade() = 0;                                // LastCascadedWindow := none
  virtual void CascadePidWindow(int n) = 0;
  virtual void LoadPidWindowSettings(int n) = 0;

  // Slot layout.
  virtual void ResetGrid() = 0;  // also empties the table (destroys records and windows)
  virtual void RestoreGridPosition(int n) = 0;
  virtual void PlaceUnplacedPids() = 0;
  virtual void RefreshGridValues() = 0;

  // Settings file.
  virtual void OpenSettingsFile() = 0;
  virtual void SaveSettings() = 0;
};

}  // namespace orlex::app
