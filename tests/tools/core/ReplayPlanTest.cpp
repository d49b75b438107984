// Replay timing: recorded gaps divided by the speed, a window of recording time, and the INIT packet a
// window needs.

#include "tools/core/ReplayPlan.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FeedFrame.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex::recording;

TExchange At(uint64_t micros, uint32_t kind) {
  TExchange x;
  x.micros = micros;
  x.msg = orlex::kMsgCopyData;
  x.data = kind;
  return x;
}

// INIT at 0 s, values at 1, 2 and 3 s, a second INIT at 4 s, values at 5 s.
std::vector<TExchange> Session() {
  return {At(0, 0), At(1000000, 1), At(2000000, 1), At(3000000, 1), At(4000000, 0), At(5000000, 1)};
}

struct TPlanCase {
  const char* name;
  TReplayWindow window;
  std::vector<std::pair<size_t, uint64_t>> steps;  // exchange, due
};

void PrintTo(const TPlanCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ReplayPlan : public testing::TestWithParam<TPlanCase> {};

TEST_P(ReplayPlan, SendsTheWindowAtTheScaledGaps) {
  const std::vector<TReplayStep> steps = PlanReplay(Session(), GetParam().window);
  std::vector<std::pair<size_t, uint64_t>> got;
  for (const TReplayStep& s : steps) got.emplace_back(s.exchange, s.dueMicros);
  EXPECT_EQ(got, GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplayPlan,
    testing::Values(
        TPlanCase{"RecordedPace", {1, {}, {}}, {{0, 0}, {1, 1000000}, {2, 2000000}, {3, 3000000}, {4, 4000000}, {5, 5000000}}},
        TPlanCase{"FourTimesFaster", {4, {}, {}}, {{0, 0}, {1, 250000}, {2, 500000}, {3, 750000}, {4, 1000000}, {5, 1250000}}},
        TPlanCase{"HalfSpeed", {0.5, {}, {}}, {{0, 0}, {1, 2000000}, {2, 4000000}, {3, 6000000}, {4, 8000000}, {5, 10000000}}},
        TPlanCase{"AsFastAsAnswered", {0, {}, {}}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}},
        // The window starts at its first frame, after the INIT it needs.
        TPlanCase{"FromTheMiddle", {1, 2.0, {}}, {{0, 0}, {2, 0}, {3, 1000000}, {4, 2000000}, {5, 3000000}}},
        TPlanCase{"FromBetweenFrames", {2, 1.5, 3.0}, {{0, 0}, {2, 0}, {3, 500000}}},
        TPlanCase{"FromPastTheSecondInit", {1, 4.5, {}}, {{4, 0}, {5, 0}}},
        TPlanCase{"FromAnInitNeedsNoOther", {1, 4.0, {}}, {{4, 0}, {5, 1000000}}},
        TPlanCase{"ToOnly", {1, {}, 1.0}, {{0, 0}, {1, 1000000}}},
        TPlanCase{"EmptyWindow", {1, 5.5, {}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplayPlanLimits, ExtremeTimesAndSpeedsStayInRange) {
  const std::vector<TExchange> x = {At(0, 0), At(UINT64_MAX, 1)};
  const std::vector<TReplayStep> slow = PlanReplay(x, {1e-9, {}, {}});
  ASSERT_EQ(slow.size(), 2u);
  EXPECT_EQ(slow[1].dueMicros, UINT64_MAX);
  const std::vector<TReplayStep> late = PlanReplay(x, {1, 1e300, {}});
  ASSERT_EQ(late.size(), 2u);  // the INIT it needs, then the one frame at the very end
  EXPECT_EQ(late[0].exchange, 0u);
  EXPECT_EQ(late[1].exchange, 1u);
}

}  // namespace
