// Where the settings file and the log go when the executable's folder cannot take them, in
// particular without a home directory, where only the shared /tmp is left.
#include "platform/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kNotWritable = "/nonexistent-orlex-dir";

std::string SettingsIn(const std::string& tmpRoot) {
  return orlex::AppFilePathFrom(kNotWritable, nullptr, nullptr, ".config", orlex::kSettingsFileName, tmpRoot,
                                getuid());
}

TEST(AppPaths, BesideAWritableExecutableAndUnderTheUsersFoldersOtherwise) {
  TTempDir temp;
  EXPECT_EQ(orlex::AppFilePathFrom(temp.Path(), "/x", "/h", ".config", "f.ini", "/tmp", getuid()),
            temp.Path() + "/f.ini");
  EXPECT_EQ(orlex::AppFilePathFrom(kNotWritable, (temp.Path() + "/xdg").c_str(), "/h", ".config", "f.ini", "/tmp",
                                   getuid()),
            temp.Path() + "/xdg/orlexgauges/f.ini");
  EXPECT_EQ(orlex::AppFilePathFrom(kNotWritable, "relative", temp.Path().c_str(), ".local/state", "f.log", "/tmp",
                                   getuid()),
            temp.Path() + "/.local/state/orlexgauges/f.log");
}

TEST(AppPaths, WithoutAHomeAPrivateFolderOfThisUserIsMadeInTmp) {
  TTempDir temp;
  const std::string dir = temp.Path() + "/orlexgauges-" + std::to_string(getuid());
  EXPECT_EQ(SettingsIn(temp.Path()), dir + "/" + orlex::kSettingsFileName);
  struct stat st {};
  ASSERT_EQ(lstat(dir.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, getuid());

  // Ours but open to others: narrowed, then used.
  ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
  EXPECT_EQ(SettingsIn(temp.Path()), dir + "/" + orlex::kSettingsFileName);
  ASSERT_EQ(lstat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

enum class TPlanted { Link, OtherUsersFolder };

struct PlantCase {
  const char* name;
  TPlanted planted;
};

void PrintTo(const PlantCase& c, std::ostream* os) { *os << c.name; }

class AppPathsPlanted : public testing::TestWithParam<PlantCase> {};

// Another user got there first: the folder is not used; a fresh private one is.
TEST_P(AppPathsPlanted, AFolderSomeoneElsePlantedIsNotUsed) {
  TTempDir temp;
  const std::string dir = temp.Path() + "/orlexgauges-" + std::to_string(getuid());
  const std::string elsewhere = temp.Path() + "/attacker";
  fs::create_directory(elsewhere);
  std::ofstream(elsewhere + "/" + orlex::kSettingsFileName) << "[k1]\r\nWidth=99999\r\n";
  if (GetParam().planted == TPlanted::Link) {
    fs::create_directory_symlink(elsewhere, dir);
  } else {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    fs::create_directory(dir);
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    ASSERT_EQ(chown(dir.c_str(), getuid() + 4242, getgid()), 0);
  }
  const std::string path = SettingsIn(temp.Path());
  const std::string folder = fs::path(path).parent_path().string();
  EXPECT_NE(folder, dir);
  EXPECT_EQ(folder.rfind(dir + "-", 0), 0u) << folder;
  struct stat st {};
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, getuid());
  EXPECT_FALSE(fs::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Cases, AppPathsPlanted,
                         testing::Values(PlantCase{"SymbolicLink", TPlanted::Link},
                                         PlantCase{"OtherUsersFolder", TPlanted::OtherUsersFolder}),
                         [](const auto& info) { return std::string(info.param.name); });

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
