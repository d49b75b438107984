#include "app/core/EventLog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "platform/LocaleInfo.h"
#include "tests/support/LocaleGuard.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::app;

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class EventLogTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orlex-eventlog-" + std::to_string(getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

std::tm Tm(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = 59;  // seconds are not part of the stamp
  return t;
}

struct LineCase {
  std::tm time;
  char separator;
  std::string message;
  std::string expected;
};

void PrintTo(const LineCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class LogLineFormat : public testing::TestWithParam<LineCase> {};

TEST_P(LogLineFormat, PadsFieldsAndUsesTheSeparator) {
  const LineCase& c = GetParam();
  EXPECT_EQ(FormatLogLine(c.time, c.separator, c.message), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogLineFormat,
    testing::Values(LineCase{Tm(2025, 12, 8, 20, 10), ':', "Unable to write to /x", "08.12.2025 20:10 Unable to write to /x\r\n"},
                    LineCase{Tm(2026, 1, 2, 3, 4), '.', "m", "02.01.2026 03.04 m\r\n"},
                    LineCase{Tm(999, 10, 31, 0, 0), ':', "", "31.10.0999 00:00 \r\n"},  // empty message keeps the space
                    LineCase{Tm(2026, 6, 15, 23, 59), ':', "a\xE4\xF6", "15.06.2026 23:59 a\xE4\xF6\r\n"}),
                         orlex::test::CaseName);

// The real time separator comes from the locale; the file gets one CR LF line per entry, appended.
TEST_F(EventLogTest, AppendsStampedLinesUnderTwoLocales) {
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    TLocaleGuard guard(locale);
    if (!guard.Active()) continue;
    const fs::path path = dir_ / (std::string(locale) + ".log");
    std::tm noon = Tm(2026, 3, 7, 14, 5);
    noon.tm_isdst = -1;
    const std::time_t when = std::mktime(&noon);
    TEventLog log(path.string(), [when] { return when; });
    ASSERT_FALSE(fs::exists(path));
    log.WriteLog("first");
    log.WriteLog("second");
    const std::string sep(1, orlex::LocaleTimeSeparator());
    EXPECT_EQ(ReadFile(path), "07.03.2026 14" + sep + "05 first\r\n07.03.2026 14" + sep + "05 second\r\n")
        << locale;
  }
}

TEST_F(EventLogTest, KeepsWhatEarlierRunsWrote) {
  const fs::path path = dir_ / "orlexgauges_pidgrid.log";
  std::ofstream(path, std::ios::binary) << "old line\r\n";
  TEventLog(path.string()).WriteLog("new");
  const std::string text = ReadFile(path);
  EXPECT_TRUE(std::regex_match(text, std::regex("old line\r\n\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d.\\d\\d new\r\n")))
      << text;
}

TEST_F(EventLogTest, DropsTheEntryWhenTheFileCannotBeWritten) {
  const fs::path path = dir_ / "missing-dir" / "orlexgauges_pidgrid.log";
  EXPECT_NO_THROW(TEventLog(path.string()).WriteLog("lost"));
  EXPECT_FALSE(fs::exists(path));
  // A directory where the file should be: nothing is written, nothing is thrown.
  fs::create_directories(dir_ / "adir");
  EXPECT_NO_THROW(TEventLog((dir_ / "adir").string()).WriteLog("lost"));
}

// A link planted in the log's place is not followed: the file it points to stays as it was.
TEST_F(EventLogTest, NeverAppendsThroughALink) {
  const fs::path victim = dir_ / "someone-elses-file";
  std::ofstream(victim, std::ios::binary) << "theirs\r\n";
  const fs::path path = dir_ / "orlexgauges_pidgrid.log";
  fs::create_symlink(victim, path);
  EXPECT_NO_THROW(TEventLog(path.string()).WriteLog("planted"));
  EXPECT_EQ(ReadFile(victim), "theirs\r\n");
}

}  // namespace
