#pragma once

#include <string>

namespace orlex {

// Where the settings file and the log live: beside the executable, or, when that directory is not
// writable or the executable is an installed copy (PREFIX/bin with PREFIX/share/applications/
// orlexgauges.desktop beside it), $XDG_CONFIG_HOME/orlexgauges/ for settings and
// $XDG_STATE_HOME/orlexgauges/ for the log (defaults ~/.config and ~/.local/state).
// Without a home directory both go to this user's private /tmp/orlexgauges-<uid>/ (mode 0700, refused
// when another user owns it or it is a link; then a fresh private folder is made instead).
// `executableDir` is QCoreApplication::applicationDirPath() in the program.
std::string SettingsFilePath(const std::string& executableDir);
std::string LogFilePath(const std::string& executableDir);

// The rules over given values (null: unset); `tmpRoot` stands for /tmp. Tests use it.
std::string AppFilePathFrom(const std::string& executableDir, const char* xdgValue, const char* homeValue,
                            const char* homeRelative, const char* fileName, const std::string& tmpRoot,
                            unsigned uid);

inline constexpr const char* kSettingsFileName = "orlexgauges_pidgrid.ini";
inline constexpr const char* kLogFileName = "orlexgauges_pidgrid.log";

}  // namespace orlex
