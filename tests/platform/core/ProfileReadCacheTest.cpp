// A reader keeps the file it parsed only while nothing can have changed it: whatever happens to the
// file between two reads, the second read gives what a fresh reader gives.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ProfileFile.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

void WriteRaw(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

// Every file of these tests carries this modification time, to the second, nanoseconds 0: only what
// the file system itself moves (inode, change time) can tell the versions apart.
constexpr time_t kStampSecond = 1700000000;

void SetModified(const std::string& path) {
  const struct timespec times[2] = {{kStampSecond, 0}, {kStampSecond, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Two versions of one section, of the same size.
const std::string kOld = "[s]\r\nk=1\r\n";
const std::string kNew = "[s]\r\nk=2\r\n";

struct ChangeCase {
  const char* name;
  std::function<void(const TTempDir& dir, const std::string& path)> change;
  int expected;  // what a fresh read gives afterwards; -1 for the default
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

const ChangeCase kChanges[] = {
    {"RewrittenInPlace",
     [](const TTempDir&, const std::string& path) {
       WriteRaw(path, kNew);
       SetModified(path);
     },
     2},
    {"ReplacedByRename",
     [](const TTempDir& dir, const std::string& path) {
       const std::string other = dir.File("other.ini");
       WriteRaw(other, kNew);
       SetModified(other);
       fs::rename(other, path);
     },
     2},
    {"Deleted", [](const TTempDir&, const std::string& path) { fs::remove(path); }, -1},
    {"DeletedAndWrittenAgain",
     [](const TTempDir&, const std::string& path) {
       fs::remove(path);
       WriteRaw(path, kNew);
       SetModified(path);
     },
     2},
    {"ModeChanged",  // a change of mode alone changes no value, but must not break the read
     [](const TTempDir&, const std::string& path) { fs::permissions(path, fs::perms::owner_read); },
     1},
    {"ReplacedByADirectory",
     [](const TTempDir&, const std::string& path) {
       fs::remove(path);
       fs::create_directory(path);
     },
     -1},
};

// `clockAhead`: how far the reader's clock is set ahead of the real one. An hour ahead, the file's
// stamps look old, so the reader trusts them and the test shows that the stamp sees every change.
void ReadChangeRead(const ChangeCase& c, std::chrono::seconds clockAhead) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, kOld);
  SetModified(path);
  orlex::TProfileReader reader(path);
  reader.UseClock([clockAhead] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               (std::chrono::system_clock::now() + clockAhead).time_since_epoch())
        .count();
  });
  std::vector<std::string> failures;
  reader.OnReadFailure([&](const std::string& message) { failures.push_back(message); });
  ASSERT_EQ(reader.ReadInteger("s", "k", -1), 1);
  ASSERT_EQ(reader.ReadInteger("S", "K", -1), 1);  // a second read, from what was kept
  // The file system stamps changes with a coarse clock: a change in the same tick could leave the
  // change time as it was, which only the reader's own margin covers (tested below).
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  c.change(dir, path);
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), c.expected);
  EXPECT_EQ(orlex::TProfileReader(path).ReadInteger("s", "k", -1), c.expected) << "a fresh reader disagrees";
  const bool failing = fs::is_directory(path);
  EXPECT_EQ(failures.size(), failing ? 1u : 0u);
}

class ProfileReadCache : public testing::TestWithParam<ChangeCase> {};

TEST_P(ProfileReadCache, SeesTheChangeRightAfterIt) { ReadChangeRead(GetParam(), std::chrono::seconds(0)); }

TEST_P(ProfileReadCache, SeesTheChangeWhenTheStampLooksOld) { ReadChangeRead(GetParam(), std::chrono::hours(1)); }

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadCache, testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Rewrites of the same size following each other at once, as fast as the file system takes them:
// many land in one tick of its clock and leave size, inode and times as they were.
TEST(ProfileReadCacheRacing, RewritesWithinOneClockTickAreSeen) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  const orlex::TProfileReader reader(path);
  for (int round = 0; round < 50; ++round) {
    const int value = round % 10;
    WriteRaw(path, "[s]\r\nk=" + std::to_string(value) + "\r\n");
    ASSERT_EQ(reader.ReadInteger("s", "k", -1), value) << "round " << round;
  }
}

// Writes through a shared mapping change the text without moving any stamp once the page is dirty: the
// stand-in for a change within one tick of the file system's clock. Right after a stamp, the stamp
// vouches for nothing.
TEST(ProfileReadCacheRacing, ChangesThatLeaveEveryStampAsItWasAreSeen) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, kOld);
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  void* mapped = ::mmap(nullptr, kOld.size(), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  ASSERT_NE(mapped, MAP_FAILED);
  char* text = static_cast<char*>(mapped);
  const std::size_t digit = kOld.find('1');
  text[digit] = '1';  // the page is now dirty: later writes to it go unstamped
  const auto stamped = std::chrono::steady_clock::now();
  const orlex::TProfileReader reader(path);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  for (const char value : {'2', '3', '4'}) {
    text[digit] = value;
    const int read = reader.ReadInteger("s", "k", -1);
    // Well after a stamp, a change that leaves it as it was is no change the reader looks for.
    if (std::chrono::steady_clock::now() - stamped > std::chrono::milliseconds(40)) {
      ::munmap(mapped, kOld.size());
      GTEST_SKIP() << "the machine was too slow to read within the file system's clock tick";
    }
    EXPECT_EQ(read, value - '0');
  }
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  ::munmap(mapped, kOld.size());
  // Only meaningful where the stamps really stood still, as they do on the usual file systems.
  if (before.st_mtim.tv_nsec != after.st_mtim.tv_nsec || before.st_ctim.tv_nsec != after.st_ctim.tv_nsec) {
    GTEST_SKIP() << "this file system stamps every write through a mapping";
  }
}

}  // namespace
