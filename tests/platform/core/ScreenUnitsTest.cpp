#include <gtest/gtest.h>

#include <limits>

#include "platform/ScreenUnits.h"

#include "tests/support/ParamPrinting.h"

using orlex::PixelsToPoints;
using orlex::PointsToPixels;

namespace {

constexpr int kNoLimit = std::numeric_limits<int>::max();

struct PixelCase {
  const char* name;
  int points;
  int maxPixels;
  int expected;
};

void PrintTo(const PixelCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PointsToPixelsTest : public testing::TestWithParam<PixelCase> {};

TEST_P(PointsToPixelsTest, RoundsAndStaysWithinItsBounds) {
  const PixelCase& c = GetParam();
  EXPECT_EQ(PointsToPixels(c.points, c.maxPixels), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PointsToPixelsTest,
                         testing::Values(PixelCase{"TenPoints", 10, kNoLimit, 13},
                                         PixelCase{"EightPoints", 8, kNoLimit, 11},
                                         PixelCase{"SevenPointsRoundDown", 7, kNoLimit, 9},
                                         PixelCase{"ZeroIsOnePixel", 0, kNoLimit, 1},
                                         PixelCase{"NegativeCountsByItsSize", -10, kNoLimit, 13},
                                         PixelCase{"ClampedToTheLimit", 2000, 2000, 2000},
                                         PixelCase{"HugeSizeSaturates", kNoLimit, kNoLimit, kNoLimit},
                                         PixelCase{"LowestSizeSaturates", std::numeric_limits<int>::min(), kNoLimit,
                                                   kNoLimit}),
                         [](const auto& info) { return info.param.name; });

TEST(PixelsToPointsTest, GivesBackEveryPointSize) {
  for (int points = 1; points <= 500; ++points) EXPECT_EQ(PixelsToPoints(PointsToPixels(points)), points) << points;
  EXPECT_EQ(PixelsToPoints(11), 8);
}

}  // namespace
