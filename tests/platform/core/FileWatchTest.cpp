// A file watch answers exactly: every change to the file or to its name in its folder is seen, and
// nothing else counts as one.
#include "platform/FileWatch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "platform/ProfileFile.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

void WriteRaw(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

const std::string kText = "[s]\r\nk=1\r\n";

// The watched file lies in a folder of its own, so that the folder can change too.
struct TWatchedFile {
  TTempDir root;
  std::string directory = root.File("cfg");
  std::string path = directory + "/a.ini";
  TWatchedFile() {
    fs::create_directories(directory);
    WriteRaw(path, kText);
  }
};

struct EventCase {
  const char* name;
  std::function<void(const TWatchedFile& file)> act;
  bool unchanged;  // what the watch says afterwards
};

void PrintTo(const EventCase& c, std::ostream* os) { *os << c.name; }

const EventCase kEvents[] = {
    {"NothingHappens", [](const TWatchedFile&) {}, true},
    {"TheFileIsRead",
     [](const TWatchedFile& f) {
       std::ifstream in(f.path, std::ios::binary);
       const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
     },
     true},
    {"AnotherFileBesideIsWrittenRenamedAndDeleted",
     [](const TWatchedFile& f) {
       WriteRaw(f.directory + "/a.ini.tmp", kText);
       fs::rename(f.directory + "/a.ini.tmp", f.directory + "/b.ini");
       fs::permissions(f.directory + "/b.ini", fs::perms::owner_read);
       fs::remove(f.directory + "/b.ini");
     },
     true},
    {"RewrittenWithTheSameBytes", [](const TWatchedFile& f) { WriteRaw(f.path, kText); }, false},
    {"OneByteWrittenInPlace",
     [](const TWatchedFile& f) {
       const int fd = ::open(f.path.c_str(), O_WRONLY | O_CLOEXEC);
       ASSERT_EQ(::pwrite(fd, "2", 1, 7), 1);
       ::close(fd);
     },
     false},
    {"ModeChanged", [](const TWatchedFile& f) { fs::permissions(f.path, fs::perms::owner_read); }, false},
    {"TimesSet",
     [](const TWatchedFile& f) {
       const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
       ASSERT_EQ(::utimensat(AT_FDCWD, f.path.c_str(), times, 0), 0);
     },
     false},
    {"ReplacedByRename",
     [](const TWatchedFile& f) {
       WriteRaw(f.directory + "/new", kText);
       fs::rename(f.directory + "/new", f.path);
     },
     false},
    {"Deleted", [](const TWatchedFile& f) { fs::remove(f.path); }, false},
    {"DeletedWhileStillOpen",  // the file lives on, only its name goes
     [](const TWatchedFile& f) {
       const int fd = ::open(f.path.c_str(), O_RDONLY | O_CLOEXEC);
       fs::remove(f.path);
       WriteRaw(f.path, kText);
       ::close(fd);
     },
     false},
    {"RenamedAwayAndBack",
     [](const TWatchedFile& f) {
       fs::rename(f.path, f.path + ".away");
       fs::rename(f.path + ".away", f.path);
     },
     false},
    {"ItsFolderRenamedAwayAndBack",
     [](const TWatchedFile& f) {
       fs::rename(f.directory, f.directory + ".away");
       fs::rename(f.directory + ".away", f.directory);
     },
     false},
};

class FileWatchEvents : public testing::TestWithParam<EventCase> {};

TEST_P(FileWatchEvents, SeeEveryChangeAndNothingElse) {
  TWatchedFile file;
  std::unique_ptr<orlex::TFileWatch> watch = orlex::SharedFileWatches()->Watch(file.path);
  ASSERT_NE(watch, nullptr);
  if (!watch->Arm()) GTEST_SKIP() << "no file watch on this file system";
  EXPECT_TRUE(watch->Unchanged());
  GetParam().act(file);
  EXPECT_EQ(watch->Unchanged(), GetParam().unchanged);
  EXPECT_EQ(watch->Unchanged(), GetParam().unchanged) << "a change stays seen until the watch starts again";
}

INSTANTIATE_TEST_SUITE_P(Cases, FileWatchEvents, testing::ValuesIn(kEvents),
                         [](const auto& info) { return std::string(info.param.name); });

// After the file was replaced, a new start watches the file the name leads to now, and no longer the
// old one.
TEST(FileWatch, StartingAgainWatchesTheFileThePathNamesNow) {
  TWatchedFile file;
  std::unique_ptr<orlex::TFileWatch> watch = orlex::SharedFileWatches()->Watch(file.path);
  if (!watch->Arm()) GTEST_SKIP() << "no file watch on this file system";
  const int old = ::open(file.path.c_str(), O_WRONLY | O_CLOEXEC);
  WriteRaw(file.directory + "/new", kText);
  fs::rename(file.directory + "/new", file.path);
  EXPECT_FALSE(watch->Unchanged());
  ASSERT_TRUE(watch->Arm());
  EXPECT_TRUE(watch->Unchanged());
  ASSERT_EQ(::pwrite(old, "2", 1, 7), 1);  // the replaced file, no longer named
  ::close(old);
  EXPECT_TRUE(watch->Unchanged());
  WriteRaw(file.path, kText);
  EXPECT_FALSE(watch->Unchanged());
}

struct RefusalCase {
  const char* name;
  std::function<void(const TWatchedFile& file)> make;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class FileWatchRefusal : public testing::TestWithParam<RefusalCase> {};

// What a watch cannot vouch for: no file, a link (the file it leads to may change elsewhere), a folder.
TEST_P(FileWatchRefusal, StartsNoWatch) {
  TWatchedFile file;
  GetParam().make(file);
  std::unique_ptr<orlex::TFileWatch> watch = orlex::SharedFileWatches()->Watch(file.path);
  ASSERT_NE(watch, nullptr);
  EXPECT_FALSE(watch->Arm());
  EXPECT_FALSE(watch->Unchanged());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileWatchRefusal,
    testing::Values(RefusalCase{"NoFile", [](const TWatchedFile& f) { fs::remove(f.path); }},
                    RefusalCase{"ASymbolicLink",
                                [](const TWatchedFile& f) {
                                  fs::rename(f.path, f.directory + "/real.ini");
                                  fs::create_symlink(f.directory + "/real.ini", f.path);
                                }},
                    RefusalCase{"AFolder",
                                [](const TWatchedFile& f) {
                                  fs::remove(f.path);
                                  fs::create_directory(f.path);
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

// The inotify descriptors of this process and the kernel watches they hold.
struct TInotifyUse {
  int descriptors = 0;
  int watches = 0;
};

TInotifyUse InotifyUse() {
  TInotifyUse use;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(entry.path(), error).string() != "anon_inode:inotify") continue;
    ++use.descriptors;
    std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
    for (std::string line; std::getline(info, line);) {
      if (line.rfind("inotify wd:", 0) == 0) ++use.watches;
    }
  }
  return use;
}

// Readers share the process's one descriptor and a folder's watch; each watch goes with the last
// reader of its file.
TEST(FileWatch, ReadersShareOneDescriptorAndReleaseTheirWatches) {
  TWatchedFile file;
  const std::string other = file.directory + "/b.ini";
  WriteRaw(other, kText);
  {
    std::unique_ptr<orlex::TFileWatch> probe = orlex::SharedFileWatches()->Watch(file.path);
    if (!probe->Arm()) GTEST_SKIP() << "no file watch on this file system";
  }
  ASSERT_EQ(InotifyUse().watches, 0) << "a watch outlived its reader";
  std::optional<orlex::TProfileReader> first(file.path);
  std::optional<orlex::TProfileReader> second(file.path);
  std::optional<orlex::TProfileReader> third(other);
  for (auto* reader : {&first, &second, &third}) ASSERT_EQ((*reader)->ReadInteger("s", "k", -1), 1);
  EXPECT_EQ(InotifyUse().descriptors, 1);
  EXPECT_EQ(InotifyUse().watches, 3);  // the folder, a.ini, b.ini
  third.reset();
  EXPECT_EQ(InotifyUse().watches, 2);
  first.reset();
  EXPECT_EQ(InotifyUse().watches, 2) << "the second reader still reads a.ini";
  EXPECT_EQ(second->ReadInteger("s", "k", -1), 1);
  WriteRaw(file.path, "[s]\r\nk=7\r\n");
  EXPECT_EQ(second->ReadInteger("s", "k", -1), 7);
  second.reset();
  EXPECT_EQ(InotifyUse().watches, 0);
  EXPECT_EQ(InotifyUse().descriptors, 1);
}

}  // namespace
