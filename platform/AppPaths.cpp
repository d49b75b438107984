#include "platform/AppPaths.h"

#include "platform/FeedPath.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <filesystem>
#include <system_error>

namespace orlex {

namespace {

// Without a home, the shared /tmp: there another user could create the folder first and plant a
// settings file or a log link in it. So it is this user's private folder, checked as the socket's is
// (ours, no link, mode 0700, created when missing); when that is refused, a fresh private folder of
// this process's own.
std::string PrivateTmpDir(const std::string& tmpRoot, unsigned uid) {
  const std::string dir = tmpRoot + "/orlexgauges-" + std::to_string(uid);
  std::string refused;
  if (CheckPrivateSocketDir(dir, uid, true, refused)) return dir;
  std::string pattern = dir + "-XXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) return pattern;
  return dir + "-unusable/none";  // nothing is read or written there
}

// An installed copy sits in PREFIX/bin beside PREFIX/share/applications/orlexgauges.desktop. Its
// directory may well be writable (root running /usr/bin/orlexgauges), but its files belong to the user.
bool IsInstalledCopy(const std::string& executableDir) {
  std::error_code ignored;
  const std::filesystem::path dir(executableDir);
  return std::filesystem::exists(dir / ".." / "share" / "applications" / "orlexgauges.desktop", ignored);
}

}  // namespace

std::string AppFilePathFrom(const std::string& executableDir, const char* xdgValue, const char* homeValue,
                            const char* homeRelative, const char* fileName, const std::string& tmpRoot,
                            unsigned uid) {
  if (!executableDir.empty() && access(executableDir.c_str(), W_OK) == 0 && !IsInstalledCopy(executableDir)) {
    return (std::filesystem::path(executableDir) / fileName).string();
  }
  std::filesystem::path dir;
  if (xdgValue != nullptr && xdgValue[0] == '/') {
    dir = std::filesystem::path(xdgValue) / "orlexgauges";
  } else if (homeValue != nullptr && homeValue[0] != '\0') {
    dir = std::filesystem::path(homeValue) / homeRelative / "orlexgauges";
  } else {
    return (std::filesystem::path(PrivateTmpDir(tmpRoot, uid)) / fileName).string();
  }
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return (dir / fileName).string();
}

namespace {

std::string PathIn(const std::string& executableDir, const char* xdgVariable, const char* homeRelative,
                   const char* fileName) {
  return AppFilePathFrom(executableDir, std::getenv(xdgVariable), std::getenv("HOME"), homeRelative, fileName, "/tmp",
                         getuid());
}

}  // namespace

std::string SettingsFilePath(const std::string& executableDir) {
  return PathIn(executableDir, "XDG_CONFIG_HOME", ".config", kSettingsFileName);
}

std::string LogFilePath(const std::string& executableDir) {
  return PathIn(executableDir, "XDG_STATE_HOME", ".local/state", kLogFileName);
}

}  // namespace orlex
