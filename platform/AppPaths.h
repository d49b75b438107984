#pragma once

#include <string>

namespace orlex {

// Where the settings file and the log live: beside the executable, or, when that directory is not
// writable or the executable is an installed copy (PREFIX/bin with PREFIX/share/applications/
// orlexgauges.desktop beside it), $XDG_CONFIG_HOME/orlexgauges/ for settings and
// $XDG_STATE_HOME/orlexgauges/ for the log (defaults ~/.config and ~/.local/state).
// `executableDir` is QCoreApplication::applicationDirPath() in the program.
std::string SettingsFilePath(const std::string& executableDir);
std::string LogFilePath(const std::string& executableDir);

inline constexpr const char* kSettingsFileName = "orlexgauges_pidgrid.ini";
inline constexpr const char* kLogFileName = "orlexgauges_pidgrid.log";

}  // namespace orlex
