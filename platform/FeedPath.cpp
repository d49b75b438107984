#include "platform/FeedPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace orlex {

namespace {
bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }
}  // namespace

std::string FallbackFeedSocketDir(unsigned uid) { return "/tmp/orlexgauges-" + std::to_string(uid); }

std::string FeedSocketPathFrom(const char* socketEnv, const char* runtimeDirEnv, unsigned uid) {
  if (IsSet(socketEnv)) {
    return socketEnv;
  }
  if (IsSet(runtimeDirEnv) && runtimeDirEnv[0] == '/') {
    return (std::filesystem::path(runtimeDirEnv) / "orlexgauges.sock").string();
  }
  return FallbackFeedSocketDir(uid) + "/orlexgauges.sock";
}

std::string FeedSocketPath() {
  return FeedSocketPathFrom(std::getenv("ORLEXGAUGES_SOCKET"), std::getenv("XDG_RUNTIME_DIR"), getuid());
}

bool CheckPrivateSocketDir(const std::string& dir, unsigned uid, bool create, std::string& error) {
  if (create && mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot create " + dir + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0) {
    error = "cannot use " + dir + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISLNK(st.st_mode)) {
    error = dir + " is a symbolic link";
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    error = dir + " is not a directory";
    return false;
  }
  if (st.st_uid != uid) {
    error = dir + " is owned by another user";
    return false;
  }
  if ((st.st_mode & 077) != 0) {
    if (!create && (st.st_mode & 022) != 0) {
      error = dir + " is writable by other users";
      return false;
    }
    if (create && chmod(dir.c_str(), 0700) != 0) {
      error = "cannot make " + dir + " private: " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

bool PrepareFeedSocketDir(const std::string& socketPath, bool create, std::string& error) {
  const unsigned uid = getuid();
  const std::string dir = std::filesystem::path(socketPath).parent_path().string();
  if (dir != FallbackFeedSocketDir(uid)) {
    return true;
  }
  return CheckPrivateSocketDir(dir, uid, create, error);
}

}  // namespace orlex
