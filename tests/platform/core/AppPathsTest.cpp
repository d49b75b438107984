#include "platform/AppPaths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object.
class TEnvGuard {
 public:
  TEnvGuard(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~TEnvGuard() {
    if (old_.empty()) {
      ::unsetenv(name_);
    } else {
      ::setenv(name_, old_.c_str(), 1);
    }
  }

 private:
  const char* name_;
  std::string old_;
};

TEST(AppPaths, AWritableBuildDirectoryKeepsTheFilesBesideTheExecutable) {
  TTempDir temp;
  TEnvGuard config("XDG_CONFIG_HOME", temp.File("config"));
  EXPECT_EQ(orlex::SettingsFilePath(temp.Path()), temp.File("orlexgauges_pidgrid.ini"));
  EXPECT_EQ(orlex::LogFilePath(temp.Path()), temp.File("orlexgauges_pidgrid.log"));
}

// An installed copy is known by its desktop entry, however writable its directory is (root runs
// /usr/bin/orlexgauges in a writable /usr/bin).
TEST(AppPaths, AnInstalledCopyKeepsItsFilesInTheXdgDirectories) {
  TTempDir temp;
  fs::create_directories(temp.File("prefix/bin"));
  fs::create_directories(temp.File("prefix/share/applications"));
  std::ofstream(temp.File("prefix/share/applications/orlexgauges.desktop")) << "[Desktop Entry]\n";
  TEnvGuard config("XDG_CONFIG_HOME", temp.File("config"));
  TEnvGuard state("XDG_STATE_HOME", temp.File("state"));
  EXPECT_EQ(orlex::SettingsFilePath(temp.File("prefix/bin")), temp.File("config/orlexgauges/orlexgauges_pidgrid.ini"));
  EXPECT_EQ(orlex::LogFilePath(temp.File("prefix/bin")), temp.File("state/orlexgauges/orlexgauges_pidgrid.log"));
  EXPECT_TRUE(fs::is_directory(temp.File("config/orlexgauges"))) << "made for the first save";
}

}  // namespace
