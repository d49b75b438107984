#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/LocaleGuard.h"

#include "tests/support/ParamPrinting.h"

namespace {

namespace fs = std::filesystem;

class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (fs::temp_directory_path() / "profiletest.XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TTempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, ignored);
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

void WriteRaw(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

std::string ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- reading: names, trimming, quotes ----

struct ReadCase {
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ProfileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, MatchesNamesWithoutCaseAndTrimsValues) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path,
           "[PID_rpm]\r\n"
           "Xpos=2\r\n"
           "  FontName  =   Arial Narrow  \r\n"
           "Quoted=\"  spaced  \"\r\n"
           "Single='x'\r\n"
           "Half=\"abc\r\n"
           "Empty=\r\n"
           "Eq=a=b\r\n"
           "no equals sign here\r\n"
           "\r\n"
           "[ Other ]\r\n"
           "Xpos=4\n"  // a line ended by LF alone still reads
           "Ypos=7\r\n"
           "[\xC3\x89lan]\r\n"  // "Élan" in UTF-8
           "k=accented\r\n"
           // A second section of a name already seen is never read, not even for keys the first lacks.
           "[pid_RPM]\r\n"
           "Ypos=9\r\n"
           "Xpos=5\r\n");
  const ReadCase& c = GetParam();
  EXPECT_EQ(orlex::TProfileReader(path).ReadValue(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    testing::Values(ReadCase{"PID_rpm", "Xpos", "2"}, ReadCase{"pid_RPM", "XPOS", "2"},
                    ReadCase{"PID_rpm", "fontname", "Arial Narrow"}, ReadCase{"PID_rpm", "Quoted", "  spaced  "},
                    ReadCase{"PID_rpm", "Single", "x"}, ReadCase{"PID_rpm", "Half", "\"abc"},
                    ReadCase{"PID_rpm", "Empty", ""}, ReadCase{"PID_rpm", "Eq", "a=b"},
                    ReadCase{"PID_rpm", "Ypos", std::nullopt}, ReadCase{"other", "XPOS", "4"},
                    ReadCase{"Other", "Ypos", "7"}, ReadCase{"Missing", "Xpos", std::nullopt},
                    ReadCase{"PID_rp", "Xpos", std::nullopt}, ReadCase{"\xC3\xA9LAN", "K", "accented"},
                    ReadCase{"\xE9lan", "k", "accented"}),
                         orlex::test::CaseName);  // "élan" in UTF-8, and in Windows-1252

TEST(ProfileRead, ValuesAreCutTo2047Characters) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, "[s]\r\nlong=" + std::string(3000, 'v') + "\r\nexact=" + std::string(2047, 'w') + "\r\n");
  const orlex::TProfileReader reader(path);
  EXPECT_EQ(reader.ReadString("s", "long", ""), std::string(2047, 'v'));
  EXPECT_EQ(reader.ReadString("s", "exact", ""), std::string(2047, 'w'));
}

TEST(ProfileRead, EveryReadSeesTheFileAsItIsNow) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  const orlex::TProfileReader reader(path);
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), -1);  // no file yet
  WriteRaw(path, "[s]\r\nk=5\r\n");
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), 5);
  fs::remove(path);
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), -1);
}

// A read that fails gives the default, as a missing file does, and only the failure is reported.
TEST(ProfileRead, AFailedReadGivesTheDefaultAndIsReported) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  orlex::TProfileReader reader(path);
  std::vector<std::string> reports;
  reader.OnReadFailure([&](const std::string& message) { reports.push_back(message); });
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), -1);
  EXPECT_TRUE(reports.empty()) << "a missing file is no failure";
  fs::create_directory(path);
  EXPECT_EQ(reader.ReadInteger("s", "k", -1), -1);
  EXPECT_EQ(reader.ReadString("s", "k", "Arial"), "Arial");
  EXPECT_EQ(reader.ReadFloat("s", "k", -1.0), -1.0);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], "Unable to read " + path + ": Is a directory");
}

// ---- conversions ----

struct IntCase {
  const char* text;
  int expected;  // kDefault when the text does not convert
};

void PrintTo(const IntCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }
constexpr int kDefault = -77;

class ProfileInteger : public testing::TestWithParam<IntCase> {};

TEST_P(ProfileInteger, HexDecimalOrDefault) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, std::string("[s]\r\nk=") + GetParam().text + "\r\n");
  EXPECT_EQ(orlex::TProfileReader(path).ReadInteger("s", "K", kDefault), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileInteger,
    testing::Values(IntCase{"0x10", 16}, IntCase{"0X1f", 31}, IntCase{"$10", 16}, IntCase{"abc", kDefault},
                    IntCase{"0x", kDefault}, IntCase{"0", 0}, IntCase{" 12 ", 12}, IntCase{"-5", -5},
                    IntCase{"+5", 5}, IntCase{"\"42\"", 42}, IntCase{"-16777201", -16777201},
                    IntCase{"$FFFFFFFF", -1}, IntCase{"0xFF00000F", static_cast<int>(0xFF00000Fu)},
                    IntCase{"$123456789", kDefault}, IntCase{"2147483647", INT_MAX},
                    IntCase{"-2147483648", INT_MIN}, IntCase{"2147483648", kDefault}, IntCase{"1.5", kDefault},
                    IntCase{"12abc", kDefault}, IntCase{"", kDefault}, IntCase{"-", kDefault},
                    IntCase{"$", kDefault}, IntCase{"0xg", kDefault}),
                         orlex::test::CaseName);

struct BoolCase {
  const char* line;  // the key line, or "" for none
  bool defaultValue;
  bool expected;
};

void PrintTo(const BoolCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ProfileBool : public testing::TestWithParam<BoolCase> {};

TEST_P(ProfileBool, AnyNonZeroIntegerIsTrue) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, std::string("[s]\r\n") + GetParam().line + "\r\n");
  EXPECT_EQ(orlex::TProfileReader(path).ReadBool("s", "CEnabled", GetParam().defaultValue), GetParam().expected)
      << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileBool,
                         testing::Values(BoolCase{"CEnabled=1", false, true}, BoolCase{"CEnabled=0", true, false},
                                         BoolCase{"CEnabled=-3", false, true}, BoolCase{"CEnabled=$0", true, false},
                                         BoolCase{"CEnabled=yes", false, false}, BoolCase{"CEnabled=yes", true, true},
                                         BoolCase{"", false, false}, BoolCase{"", true, true}),
                         orlex::test::CaseName);

struct FloatCase {
  const char* locale;
  const char* value;
  double expected;
};

void PrintTo(const FloatCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ProfileFloat : public testing::TestWithParam<FloatCase> {};

TEST_P(ProfileFloat, LocaleSeparatorOrDefault) {
  const FloatCase& c = GetParam();
  TLocaleGuard guard(c.locale);
  ASSERT_TRUE(guard.Active()) << c.locale;
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  WriteRaw(path, std::string("[s]\r\nThreshhold=") + c.value + "\r\n");
  EXPECT_DOUBLE_EQ(orlex::TProfileReader(path).ReadFloat("s", "threshhold", -1.0), c.expected) << c.value;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileFloat,
                         testing::Values(FloatCase{"C.UTF-8", "12.5", 12.5}, FloatCase{"C.UTF-8", "12,5", -1.0},
                                         FloatCase{"de_DE.UTF-8", "12,5", 12.5},
                                         FloatCase{"de_DE.UTF-8", "12.5", -1.0}, FloatCase{"C.UTF-8", "", -1.0},
                                         FloatCase{"C.UTF-8", "-3", -3.0}, FloatCase{"C.UTF-8", "abc", -1.0}),
                         orlex::test::CaseName);

// ---- writing ----

TEST(ProfileWrite, SectionsAndKeysKeepTheirFirstWriteOrder) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  orlex::TProfileWriter writer(path);
  writer.WriteInteger("rpm", "ID", 3);
  writer.WriteInteger("rpm", "Xpos", 2);
  writer.WriteString("speed", "FontName", "Arial");
  writer.WriteBool("RPM", "CEnabled", true);  // same section: names ignore case
  writer.WriteInteger("Rpm", "XPOS", 4);      // same key: replaced in place
  writer.Commit();
  EXPECT_EQ(ReadRaw(path),
            "[rpm]\r\nID=3\r\nXpos=4\r\nCEnabled=1\r\n"
            "\r\n[speed]\r\nFontName=Arial\r\n");
  const orlex::TProfileReader reader(path);
  EXPECT_EQ(reader.ReadInteger("RPM", "XPOS", -1), 4);
  EXPECT_TRUE(reader.ReadBool("rpm", "cenabled", false));
}

// A save killed between writing and renaming leaves its temporary file; the next save removes those
// of processes that are gone and its own, but not another live process's running save, nor others'.
TEST(ProfileWrite, TheNextSaveRemovesStaleTemporaryFiles) {
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);  // its pid now names no process
  const std::string dead = path + ".tmp." + std::to_string(child) + ".3";
  const std::string own = path + ".tmp." + std::to_string(getpid()) + ".99";
  const std::string live = path + ".tmp.1.5";  // pid 1 always runs
  const std::vector<std::string> keep = {live, path + ".tmp.x", path + ".tmp." + std::to_string(child),
                                         dir.File("b.ini.tmp.1.1")};
  for (const std::string& file : keep) WriteRaw(file, "x");
  WriteRaw(dead, "half");
  WriteRaw(own, "half");
  orlex::TProfileWriter writer(path);
  writer.WriteInteger("s", "k", 1);
  writer.Commit();
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_FALSE(fs::exists(own));
  for (const std::string& file : keep) EXPECT_TRUE(fs::exists(file)) << file;
  EXPECT_EQ(ReadRaw(path), "[s]\r\nk=1\r\n");
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, keep.size() + 1);
}

TEST(ProfileWrite, FloatsUseTheLocaleSeparatorAndRoundTrip) {
  TLocaleGuard guard("de_DE.UTF-8");
  ASSERT_TRUE(guard.Active());
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  orlex::TProfileWriter writer(path);
  writer.WriteFloat("s", "Threshhold", 12.5);
  writer.WriteFloat("s", "Default", -1.0);
  writer.WriteFloat("s", "Third", 1.0 / 3.0);
  writer.Commit();
  EXPECT_EQ(ReadRaw(path), "[s]\r\nThreshhold=12,5\r\nDefault=-1\r\nThird=0,333333333333333\r\n");
  EXPECT_DOUBLE_EQ(orlex::TProfileReader(path).ReadFloat("s", "Threshhold", 0), 12.5);
}

TEST(ProfileWrite, NamesAndValuesThatWouldBreakTheLineAreRefused) {
  orlex::TProfileWriter writer("/nonexistent/a.ini");
  EXPECT_THROW(writer.WriteString("a\r\n[b]", "k", "v"), std::invalid_argument);
  EXPECT_THROW(writer.WriteString("s", "k=1", "v"), std::invalid_argument);
  EXPECT_THROW(writer.WriteString("s", "[k", "v"), std::invalid_argument);
  EXPECT_THROW(writer.WriteString("s", "k", "v\nID=9"), std::invalid_argument);
  EXPECT_EQ(writer.Text(), "");
  // A bracket inside a section name still reads back.
  TTempDir dir;
  const std::string path = dir.File("a.ini");
  orlex::TProfileWriter odd(path);
  odd.WriteInteger("a]b", "ID", 5);
  odd.Commit();
  EXPECT_EQ(orlex::TProfileReader(path).ReadInteger("A]B", "id", -1), 5);
}

// A failed save must leave the old file whole and no temporary file behind.
enum class Failure { ReadOnlyDirectory, FileSizeLimit };

const char* FailureName(Failure failure) {
  return failure == Failure::ReadOnlyDirectory ? "ReadOnlyDirectory" : "FileSizeLimit";
}

void PrintTo(Failure failure, std::ostream* os) { *os << FailureName(failure); }

class ProfileCommitFailure : public testing::TestWithParam<Failure> {};

TEST_P(ProfileCommitFailure, LeavesTheOldFileIntact) {
  TTempDir dir;
  const std::string path = dir.File("settings.ini");
  const std::string old = "[old]\r\nID=1\r\n";
  WriteRaw(path, old);
  orlex::TProfileWriter writer(path);
  writer.WriteString("new", "FontName", std::string(4000, 'x'));

  bool threw = false;
  if (GetParam() == Failure::ReadOnlyDirectory) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    try {
      writer.Commit();
    } catch (const std::runtime_error& e) {
      threw = true;
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    fs::permissions(dir.Path(), fs::perms::owner_all);
  } else {
    // The disk fills up in the middle of the new file.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
      writer.Commit();
    } catch (const std::runtime_error& e) {
      threw = true;
      ::setrlimit(RLIMIT_FSIZE, &saved);
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
  }
  EXPECT_TRUE(threw);
  EXPECT_EQ(ReadRaw(path), old);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileCommitFailure,
                         testing::Values(Failure::ReadOnlyDirectory, Failure::FileSizeLimit),
                         [](const auto& info) { return std::string(FailureName(info.param)); });

TEST(ProfileWrite, CommitReplacesTheFileAndKeepsItsPermissions) {
  TTempDir dir;
  const std::string path = dir.File("settings.ini");
  WriteRaw(path, "[old]\r\nID=1\r\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  orlex::TProfileWriter writer(path);
  writer.WriteInteger("new", "ID", 2);
  writer.Commit();
  EXPECT_EQ(ReadRaw(path), "[new]\r\nID=2\r\n");
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// A settings file that is a link to one shared elsewhere stays a link: the save replaces the file it
// leads to (keeping that file's permissions), and leaves no temporary file in either folder.
TEST(ProfileWrite, CommitThroughALinkReplacesTheFileItLeadsTo) {
  TTempDir dir;
  fs::create_directory(dir.Path() / "shared");
  const std::string shared = dir.File("shared/all.ini");
  const std::string path = dir.File("settings.ini");
  WriteRaw(shared, "[old]\r\nID=1\r\n");
  fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("shared/all.ini", path);
  orlex::TProfileWriter writer(path);
  writer.WriteInteger("new", "ID", 2);
  writer.Commit();
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(ReadRaw(shared), "[new]\r\nID=2\r\n");
  EXPECT_EQ(fs::status(shared).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(orlex::TProfileReader(path).ReadInteger("new", "ID", -1), 2);
  int entries = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) entries += entry.is_directory() ? 0 : 1;
  EXPECT_EQ(entries, 2) << "a temporary file was left behind";
}

// ---- reading a whole file as pieces to carry over ----

TEST(ProfileText, PiecesKeepTheirBytesAndLoseOnlyTrailingBlankLines) {
  const orlex::TProfileText text =
      orlex::SplitProfileText("; note\r\n \r\n[a]\r\nk=1\r\n\r\n  [ b ] \nk = 2\n; c\n\t\n[c]\r\nk=3");
  EXPECT_EQ(text.preamble, "; note\r\n");
  ASSERT_EQ(text.sections.size(), 3u);
  EXPECT_EQ(text.sections[0].name, "a");
  EXPECT_EQ(text.sections[0].text, "[a]\r\nk=1\r\n");
  EXPECT_EQ(text.sections[1].name, "b");
  EXPECT_EQ(text.sections[1].text, "  [ b ] \nk = 2\n; c\n");
  EXPECT_EQ(text.sections[2].text, "[c]\r\nk=3");
}

TEST(ProfileText, MissingFileIsEmptyAndUnreadableFileThrows) {
  TTempDir dir;
  EXPECT_TRUE(orlex::TProfileReader(dir.File("none.ini")).ReadText().sections.empty());
  // A directory in the file's place opens but cannot be read.
  EXPECT_THROW(orlex::TProfileReader(dir.Path().string()).ReadText(), std::runtime_error);
}

TEST(ProfileWrite, KeptPiecesSurroundTheWrittenSections) {
  orlex::TProfileWriter writer("unused.ini");
  writer.KeepPreamble("; note\n");
  writer.WriteInteger("new", "ID", 2);
  writer.KeepSection("[old]\nID=1");  // the old file's last line had no line end
  EXPECT_EQ(writer.Text(), "; note\n\r\n[new]\r\nID=2\r\n\r\n[old]\nID=1\r\n");
}

}  // namespace
