#include "platform/FeedPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempDir.h"

#include "tests/support/ParamPrinting.h"

namespace {

struct PathCase {
  const char* socketEnv;
  const char* runtimeDirEnv;
  const char* expected;
};

// Readable test names in listings.
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.expected; }

class FeedSocketPathRules : public testing::TestWithParam<PathCase> {};

TEST_P(FeedSocketPathRules, PicksTheFirstRuleThatApplies) {
  const PathCase& c = GetParam();
  EXPECT_EQ(orlex::FeedSocketPathFrom(c.socketEnv, c.runtimeDirEnv, 1000), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FeedSocketPathRules,
    testing::Values(PathCase{"/srv/feed.sock", "/run/user/1000", "/srv/feed.sock"},
                    PathCase{"", "/run/user/1000", "/run/user/1000/orlexgauges.sock"},
                    PathCase{nullptr, "/run/user/1000/", "/run/user/1000/orlexgauges.sock"},
                    PathCase{nullptr, "", "/tmp/orlexgauges-1000/orlexgauges.sock"},
                    PathCase{nullptr, "relative/dir", "/tmp/orlexgauges-1000/orlexgauges.sock"},
                    PathCase{nullptr, nullptr, "/tmp/orlexgauges-1000/orlexgauges.sock"}),
                         orlex::test::CaseName);

enum class TSetup { Missing, Private, OpenToOthers, ReadableByOthers, Symlink, RegularFile, OtherOwner };

struct DirCase {
  const char* name;
  TSetup setup;
  bool create;
  bool accepted;
  const char* errorPart;  // part of the refusal text
  mode_t modeAfter;       // 0: not checked
};

// Readable test names in listings.
void PrintTo(const DirCase& c, std::ostream* os) { *os << c.name; }

class PrivateSocketDir : public testing::TestWithParam<DirCase> {};

TEST_P(PrivateSocketDir, IsMadeOrRefused) {
  const DirCase& c = GetParam();
  TTempDir temp;
  const std::string dir = temp.File("sockdir");
  const std::string target = temp.File("elsewhere");
  unsigned uid = getuid();
  switch (c.setup) {
    case TSetup::Missing:
      break;
    case TSetup::Private:
      ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
      break;
    case TSetup::OpenToOthers:
      ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
      ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
      break;
    case TSetup::ReadableByOthers:
      ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
      ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
      break;
    case TSetup::Symlink:
      ASSERT_EQ(mkdir(target.c_str(), 0700), 0);
      ASSERT_EQ(symlink(target.c_str(), dir.c_str()), 0);
      break;
    case TSetup::RegularFile:
      std::ofstream(dir) << "x";
      break;
    case TSetup::OtherOwner:
      ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
      uid += 1;  // the directory belongs to someone other than the user asking
      break;
  }
  std::string error;
  EXPECT_EQ(orlex::CheckPrivateSocketDir(dir, uid, c.create, error), c.accepted) << error;
  if (c.accepted) {
    EXPECT_TRUE(error.empty());
  } else {
    EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
  }
  if (c.modeAfter != 0) {
    struct stat st {};
    ASSERT_EQ(lstat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.modeAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrivateSocketDir,
    testing::Values(DirCase{"DisplayCreatesIt", TSetup::Missing, true, true, "", 0700},
                    DirCase{"FeedDoesNotCreateIt", TSetup::Missing, false, false, "cannot use", 0},
                    DirCase{"PrivateIsFine", TSetup::Private, false, true, "", 0700},
                    DirCase{"DisplayNarrowsItsOwnOpenDir", TSetup::OpenToOthers, true, true, "", 0700},
                    DirCase{"FeedRefusesWritableByOthers", TSetup::OpenToOthers, false, false, "writable", 0777},
                    DirCase{"FeedAcceptsReadableByOthers", TSetup::ReadableByOthers, false, true, "", 0755},
                    DirCase{"DisplayRefusesSymlink", TSetup::Symlink, true, false, "symbolic link", 0},
                    DirCase{"FeedRefusesSymlink", TSetup::Symlink, false, false, "symbolic link", 0},
                    DirCase{"RegularFileRefused", TSetup::RegularFile, true, false, "not a directory", 0},
                    DirCase{"OtherOwnerRefused", TSetup::OtherOwner, true, false, "another user", 0700}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrepareFeedSocketDir, LeavesDirectoriesTheUserChoseAlone) {
  TTempDir temp;
  ASSERT_EQ(chmod(temp.Path().c_str(), 0777), 0);
  std::string error;
  EXPECT_TRUE(orlex::PrepareFeedSocketDir(temp.File("feed.sock"), false, error)) << error;
  struct stat st {};
  ASSERT_EQ(lstat(temp.Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0777u);
}

}  // namespace
