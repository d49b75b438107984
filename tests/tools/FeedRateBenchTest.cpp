// What the rate bench reads of the display's process: CPU ticks from /proc/PID/stat, whose process
// name may hold blanks and parentheses, and resident memory from /proc/PID/status.
#include <gtest/gtest.h>

#include <string>

#include "tools/FeedRateBench.h"

namespace {

struct TStatCase {
  const char* name;
  std::string stat;
  long long ticks;
};

void PrintTo(const TStatCase& c, std::ostream* os) { *os << c.name; }

class StatCpuTicks : public testing::TestWithParam<TStatCase> {};

TEST_P(StatCpuTicks, AddsUserAndSystemTime) { EXPECT_EQ(orlexfeed::StatCpuTicks(GetParam().stat), GetParam().ticks); }

// Fields after the name: state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime stime ...
INSTANTIATE_TEST_SUITE_P(
    Cases, StatCpuTicks,
    testing::Values(
        TStatCase{"PlainName", "4242 (orlexgauges) S 1 4242 4242 0 -1 4194304 5000 0 3 0 1234 56 0 0 20 0 3 0", 1290},
        TStatCase{"NameWithBlanksAndParentheses", "77 (my (odd) name) R 1 77 77 0 -1 0 1 2 3 4 10 20 30 40", 30},
        TStatCase{"CutShort", "77 (x) R 1 77 77 0 -1 0 1 2 3 4 10", -1},
        TStatCase{"NoName", "77 x R 1 77 77 0 -1 0 1 2 3 4 10 20", -1},
        TStatCase{"NotANumber", "77 (x) R 1 77 77 0 -1 0 1 2 3 4 ten 20", -1},
        TStatCase{"Empty", "", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StatusResidentKiB, ReadsTheVmRssLine) {
  EXPECT_EQ(orlexfeed::StatusResidentKiB("Name:\torlexgauges\nVmPeak:\t  900000 kB\nVmRSS:\t   69876 kB\nThreads:\t3\n"),
            69876);
  EXPECT_EQ(orlexfeed::StatusResidentKiB("Name:\tkworker\nThreads:\t1\n"), -1) << "kernel threads have none";
}

}  // namespace
