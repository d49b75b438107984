#include "platform/AppPaths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace orlex {

namespace {

std::string FallbackDir(const char* xdgVariable, const char* homeRelative) {
  std::filesystem::path base;
  if (const char* xdg = std::getenv(xdgVariable); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::filesystem::path(home) / homeRelative;
  } else {
    base = "/tmp";
  }
  const std::filesystem::path dir = base / "orlexgauges";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir.string();
}

// An installed copy sits in PREFIX/bin beside PREFIX/share/applications/orlexgauges.desktop. Its
// directory may well be writable (root running /usr/bin/orlexgauges), but its files belong to the user.
bool IsInstalledCopy(const std::string& executableDir) {
  std::error_code ignored;
  const std::filesystem::path dir(executableDir);
  return std::filesystem::exists(dir / ".." / "share" / "applications" / "orlexgauges.desktop", ignored);
}

std::string PathIn(const std::string& executableDir, const char* xdgVariable, const char* homeRelative,
                   const char* fileName) {
  if (!executableDir.empty() && access(executableDir.c_str(), W_OK) == 0 && !IsInstalledCopy(executableDir)) {
    return (std::filesystem::path(executableDir) / fileName).string();
  }
  return (std::filesystem::path(FallbackDir(xdgVariable, homeRelative)) / fileName).string();
}

}  // namespace

std::string SettingsFilePath(const std::string& executableDir) {
  return PathIn(executableDir, "XDG_CONFIG_HOME", ".config", kSettingsFileName);
}

std::string LogFilePath(const std::string& executableDir) {
  return PathIn(executableDir, "XDG_STATE_HOME", ".local/state", kLogFileName);
}

}  // namespace orlex
