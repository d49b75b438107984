// A reader keeps the file it parsed only while nothing can have changed it: whatever happens to the
// file between two reads, the second read gives what a fresh reader gives, whether a file watch
// vouches for the kept text or, where no watch can be had, only the file's stamp and a comparison.
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
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/FileWatch.h"
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
    {"AFolderAboveReplaced",  // the path leads through other folders to another file
     [](const TTempDir& dir, const std::string& path) {
       const fs::path folder = fs::path(path).parent_path();
       fs::rename(folder, dir.File("old"));
       fs::create_directories(folder);
       WriteRaw(path, kNew);
       SetModified(path);
     },
     2},
    {"ReplacedByADirectory",
     [](const TTempDir&, const std::string& path) {
       fs::remove(path);
       fs::create_directory(path);
     },
     -1},
};

// The process's own watches, passed through; each watch runs `beforeArm` before it starts, and with
// `refuse` set no watch starts at all, as when inotify's limits are reached.
class TTestWatches : public orlex::TFileWatchSource {
 public:
  std::function<void()> beforeArm;
  bool refuse = false;
  bool armed = false;  // the last start succeeded

  std::unique_ptr<orlex::TFileWatch> Watch(const std::string& path) override {
    std::unique_ptr<orlex::TFileWatch> real = shared_->Watch(path);
    if (!real) return nullptr;
    return std::make_unique<TWatch>(std::move(real), *this);
  }

 private:
  class TWatch : public orlex::TFileWatch {
   public:
    TWatch(std::unique_ptr<orlex::TFileWatch> real, TTestWatches& owner) : real_(std::move(real)), owner_(owner) {}
    bool Arm() override {
      if (owner_.beforeArm) owner_.beforeArm();
      owner_.armed = !owner_.refuse && real_->Arm();
      return owner_.armed;
    }
    bool Unchanged() override { return real_->Unchanged(); }

   private:
    std::unique_ptr<orlex::TFileWatch> real_;
    TTestWatches& owner_;
  };

  std::shared_ptr<orlex::TFileWatchSource> shared_ = orlex::SharedFileWatches();
};

// Whether the reader has a file watch: the process's own, or one that cannot be had (inotify's limits
// reached, a file system it cannot watch), when the reader falls back on the stamp and comparison.
enum class TWatches { Shared, Refused };

void PrintTo(TWatches watches, std::ostream* os) { *os << (watches == TWatches::Shared ? "Watched" : "Refused"); }

void Choose(orlex::TProfileReader& reader, TWatches watches) {
  if (watches == TWatches::Refused) {
    auto refusing = std::make_shared<TTestWatches>();
    refusing->refuse = true;
    reader.UseFileWatches(refusing);
  }
}

std::int64_t AnHourAhead() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             (std::chrono::system_clock::now() + std::chrono::hours(1)).time_since_epoch())
      .count();
}

// `clockAhead`: how far the reader's clock is set ahead of the real one. An hour ahead, the file's
// stamps look old, so the reader trusts them and the test shows that the stamp sees every change.
void ReadChangeRead(const ChangeCase& c, std::chrono::seconds clockAhead, TWatches watches) {
  TTempDir dir;
  fs::create_directory(dir.File("cfg"));  // a folder of its own, which can be replaced
  const std::string path = dir.File("cfg/a.ini");
  WriteRaw(path, kOld);
  SetModified(path);
  orlex::TProfileReader reader(path);
  Choose(reader, watches);
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

class ProfileReadCache : public testing::TestWithParam<std::tuple<ChangeCase, TWatches>> {};

TEST_P(ProfileReadCache, SeesTheChangeRightAfterIt) {
  ReadChangeRead(std::get<0>(GetParam()), std::chrono::seconds(0), std::get<1>(GetParam()));
}

TEST_P(ProfileReadCache, SeesTheChangeWhenTheStampLooksOld) {
  ReadChangeRead(std::get<0>(GetParam()), std::chrono::hours(1), std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadCache,
                         testing::Combine(testing::ValuesIn(kChanges), testing::Values(TWatches::Shared, TWatches::Refused)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == TWatches::Shared ? "_Watched" : "_Refused");
                         });

class ProfileReadCacheRacing : public testing::TestWithParam<TWatches> {};

// Rewrites of the same size following each other at once, as fast as the file system takes them:
// many land in one tick of its clock and leave size, inode and times as they were.
TEST_P(ProfileReadCacheRacing, RewritesWithinOneClockTickAreSeen) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  orlex::TProfileReader reader(path);
  Choose(reader, GetParam());
  for (int round = 0; round < 50; ++round) {
    const int value = round % 10;
    WriteRaw(path, "[s]\r\nk=" + std::to_string(value) + "\r\n");
    ASSERT_EQ(reader.ReadInteger("s", "k", -1), value) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, ProfileReadCacheRacing, testing::Values(TWatches::Shared, TWatches::Refused),
                         [](const auto& info) {
                           return std::string(info.param == TWatches::Shared ? "Watched" : "Refused");
                         });

// A file mapped shared for writing, open and mapped for as long as the test runs.
struct TSharedMapping {
  int fd = -1;
  char* text = nullptr;
  std::size_t size = 0;
  TSharedMapping(const std::string& path, std::size_t length) : size(length) {
    fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped != MAP_FAILED) text = static_cast<char*>(mapped);
  }
  ~TSharedMapping() {
    if (text) ::munmap(text, size);
    if (fd >= 0) ::close(fd);
  }
  TSharedMapping(const TSharedMapping&) = delete;
  TSharedMapping& operator=(const TSharedMapping&) = delete;
  bool Mapped() const { return text != nullptr; }
};

// Without a watch, writes through a shared mapping change the text without moving any stamp once the
// page is dirty: the stand-in for a change within one tick of the file system's clock. Right after a
// stamp, the stamp vouches for nothing. (Such writes raise no watch event either: a watched reader
// sees them only once they move the stamp.)
TEST(ProfileReadCacheRefused, ChangesThatLeaveEveryStampAsItWasAreSeen) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, kOld);
  TSharedMapping mapping(path, kOld.size());
  ASSERT_TRUE(mapping.Mapped());
  char* text = mapping.text;
  const std::size_t digit = kOld.find('1');
  text[digit] = '1';  // the page is now dirty: later writes to it go unstamped
  const auto stamped = std::chrono::steady_clock::now();
  orlex::TProfileReader reader(path);
  Choose(reader, TWatches::Refused);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  for (const char value : {'2', '3', '4'}) {
    text[digit] = value;
    const int read = reader.ReadInteger("s", "k", -1);
    // Well after a stamp, a change that leaves it as it was is no change the reader looks for.
    if (std::chrono::steady_clock::now() - stamped > std::chrono::milliseconds(40)) {
      GTEST_SKIP() << "the machine was too slow to read within the file system's clock tick";
    }
    EXPECT_EQ(read, value - '0');
  }
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  // Only meaningful where the stamps really stood still, as they do on the usual file systems.
  if (before.st_mtim.tv_nsec != after.st_mtim.tv_nsec || before.st_ctim.tv_nsec != after.st_ctim.tv_nsec) {
    GTEST_SKIP() << "this file system stamps every write through a mapping";
  }
}

// The watch starts before the read that fills the kept text: a change that slips in between is in
// that read. Made here through a shared mapping, which moves no stamp and raises no event, so that
// nothing could make up for a watch started after the read: the watch vouches for the text read.
TEST(ProfileReadCacheWatched, AChangeBetweenStartingTheWatchAndTheReadIsInTheRead) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, kOld);
  TSharedMapping mapping(path, kOld.size());
  ASSERT_TRUE(mapping.Mapped());
  char* text = mapping.text;
  const int fd = mapping.fd;
  const std::size_t digit = kOld.find('1');
  text[digit] = '1';  // the page is now dirty: later writes to it go unstamped

  auto watches = std::make_shared<TTestWatches>();
  orlex::TProfileReader reader(path);
  reader.UseFileWatches(watches);
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), 1);
  if (!watches->armed) {
    GTEST_SKIP() << "no file watch on this file system";
  }
  // An ordinary write, which the watch sees; the next read starts the watch again, and just before it
  // starts, the mapping changes the digit once more.
  ASSERT_EQ(::pwrite(fd, "2", 1, static_cast<off_t>(digit)), 1);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  watches->beforeArm = [&] { text[digit] = '3'; };
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), 3);
  watches->beforeArm = nullptr;
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), 3);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  // Only meaningful where the mapping's write really moved no stamp, as on the usual file systems.
  if (before.st_mtim.tv_nsec != after.st_mtim.tv_nsec || before.st_ctim.tv_nsec != after.st_ctim.tv_nsec) {
    GTEST_SKIP() << "this file system stamps every write through a mapping";
  }
}

// A settings file may be a symbolic link to one shared elsewhere: it is read through the link, by the
// reader that keeps the text as by a fresh read, whatever becomes of the link or the file it names.
TEST(ProfileReadCacheLinks, AReaderFollowsTheLinkAsAFreshReadDoes) {
  for (const TWatches watches : {TWatches::Shared, TWatches::Refused}) {
    SCOPED_TRACE(watches == TWatches::Shared ? "watched" : "refused");
    TTempDir dir;
    const std::string path = dir.File("a.ini");
    const std::string shared = dir.File("shared.ini");
    const std::string other = dir.File("other.ini");
    WriteRaw(shared, "[s]\r\nk=1\r\n");
    WriteRaw(other, "[s]\r\nk=2\r\n");
    fs::create_symlink(shared, path);
    orlex::TProfileReader reader(path);
    Choose(reader, watches);
    reader.UseClock(AnHourAhead);  // only what really vouches for the kept text counts
    const auto readsAgree = [&](int expected) {
      EXPECT_EQ(reader.ReadInteger("s", "k", -1), expected);
      EXPECT_EQ(orlex::TProfileReader(path).ReadInteger("s", "k", -1), expected);
      const orlex::TProfileText text = orlex::TProfileReader(path).ReadText();
      EXPECT_EQ(text.sections.size(), expected < 0 ? 0u : 1u);
    };
    readsAgree(1);
    readsAgree(1);  // from what was kept
    WriteRaw(shared, "[s]\r\nk=3\r\n");  // the shared file rewritten
    readsAgree(3);
    const std::string relinked = dir.File("relinked");
    fs::create_symlink(other, relinked);  // the link pointed elsewhere, as "ln -sf" does it
    fs::rename(relinked, path);
    readsAgree(2);
    fs::remove(other);  // the link left dangling
    readsAgree(-1);
  }
}

}  // namespace
