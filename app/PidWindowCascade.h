#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace orlex::app {

class PidRecord;
class TSettingsSource;

// The main window's placement of the PID windows of one INIT packet.
class TPidWindowCascade {
 public:
  // LastCascadedWindow := none; every INIT packet starts the cascade again.
  void RestartCascade() { LastCascadedWindow = nullptr; }

  // Places the PID's window below the last one cascaded (on the primary screen), then gives it the
  // PID's description as caption and title and its value. Does nothing for a record without a TPidWnd.
  void CascadePidWindow(const PidRecord& pid);
  void CascadePidWindow(const PidRecord& pid, const QSize& screen);

  QPointer<QWidget> LastCascadedWindow;
  int CascadeLeft = 0;
};

// Applies the settings saved for the PID's key through Setup (every missing one at its default).
// With no settings file open (`settings` nullptr) the window is left as it is.
void LoadPidWindowSettings(const TSettingsSource* settings, const PidRecord& pid, QWidget* mainWindow);

}  // namespace orlex::app
