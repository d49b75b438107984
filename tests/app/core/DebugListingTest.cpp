#include "app/core/DebugListing.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orlex::app;

namespace {

using Lines = std::vector<std::string>;

Lines Numbered(int from, int to) {
  Lines lines;
  for (int i = from; i < to; ++i) lines.push_back(std::to_string(i));
  return lines;
}

TEST(DebugListing, KeepsTheNewestLinesInOrder) {
  TDebugListing listing;
  for (int i = 0; i < static_cast<int>(TDebugListing::kMaxLines) + 5; ++i) listing.Append(std::to_string(i));
  ASSERT_EQ(listing.LineCount(), TDebugListing::kMaxLines);
  EXPECT_EQ(listing.Line(0), "5");
  EXPECT_EQ(listing.Line(listing.LineCount() - 1), std::to_string(TDebugListing::kMaxLines + 4));
  EXPECT_EQ(listing.FirstSequence(), 5u);
}

TEST(DebugListing, BoundsTheBytesButKeepsTheNewestLine) {
  TDebugListing listing(100, 10);
  listing.Append("aaaa");
  listing.Append("bbbb");
  listing.Append("cccc");  // 12 bytes: the oldest goes
  EXPECT_EQ(listing.Lines(), (Lines{"bbbb", "cccc"}));
  listing.Append(std::string(50, 'x'));  // longer than the bound on its own
  EXPECT_EQ(listing.Lines(), (Lines{std::string(50, 'x')}));
}

struct SinceCase {
  const char* name;
  int appended;        // lines 0..appended-1 appended to a listing that keeps 10
  std::uint64_t shownUpTo;
  bool reload;
  Lines lines;
};

void PrintTo(const SinceCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class DebugListingSince : public testing::TestWithParam<SinceCase> {};

TEST_P(DebugListingSince, GivesAViewerWhatItHasNotShown) {
  const SinceCase& c = GetParam();
  TDebugListing listing(10);
  for (int i = 0; i < c.appended; ++i) listing.Append(std::to_string(i));
  const TDebugListing::TUpdate update = listing.Since(c.shownUpTo);
  EXPECT_EQ(update.reload, c.reload);
  EXPECT_EQ(update.lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugListingSince,
    testing::Values(SinceCase{"nothing_shown_yet", 3, 0, false, Numbered(0, 3)},
                    SinceCase{"up_to_date", 3, 3, false, {}},
                    SinceCase{"two_new", 5, 3, false, Numbered(3, 5)},
                    SinceCase{"exactly_at_the_oldest_kept", 15, 5, false, Numbered(5, 15)},
                    SinceCase{"missed_dropped_lines", 15, 4, true, Numbered(5, 15)},
                    SinceCase{"viewer_ahead_of_the_listing", 2, 7, true, Numbered(0, 2)}),
    [](const testing::TestParamInfo<SinceCase>& info) { return std::string(info.param.name); });

}  // namespace
