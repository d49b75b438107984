#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "app/core/DebugListing.h"
#include "app/debugform.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::app;

namespace {

// Lines reach the window in batches; every listing line must stay a line of its own, the empty ones
// included, wherever a batch starts.
struct BatchCase {
  const char* name;
  std::vector<std::vector<std::string>> batches;
  const char* shown;
};

void PrintTo(const BatchCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class DebugWindowBatches : public testing::TestWithParam<BatchCase> {};

TEST_P(DebugWindowBatches, EveryLineStaysALine) {
  TDebugListing listing;
  Tdebugfrm window(listing);
  window.show();
  for (const std::vector<std::string>& batch : GetParam().batches) {
    for (const std::string& line : batch) listing.Append(line);
    window.Flush();
  }
  EXPECT_EQ(window.Memo1->toPlainText().toStdString(), GetParam().shown);
  EXPECT_EQ(static_cast<std::size_t>(window.Memo1->blockCount()), listing.LineCount());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugWindowBatches,
    testing::Values(BatchCase{"BatchStartingEmpty", {{"", "b"}}, "\nb"},
                    BatchCase{"EmptyLineAloneThenAnother", {{""}, {"x"}}, "\nx"},
                    BatchCase{"LaterBatchStartingEmpty", {{"a"}, {"", "b"}}, "a\n\nb"},
                    BatchCase{"OnlyEmptyLines", {{"", ""}, {""}}, "\n\n"},
                    BatchCase{"PlainLines", {{"a", "--"}, {"b"}}, "a\n--\nb"}),
    [](const testing::TestParamInfo<BatchCase>& info) { return std::string(info.param.name); });

TEST(DebugWindow, ListingShownWholeAfterLinesWereDroppedKeepsItsEmptyLines) {
  TDebugListing listing(3);
  for (const char* line : {"a", "b", "", "c", ""}) listing.Append(line);
  Tdebugfrm window(listing);
  window.show();
  EXPECT_EQ(window.Memo1->toPlainText().toStdString(), "\nc\n");
}

}  // namespace
