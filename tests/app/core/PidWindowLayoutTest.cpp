#include "app/core/PidWindowLayout.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/core/SettingsFile.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::app;

namespace {

namespace fs = std::filesystem;

struct CascadeCase {
  const char* name;
  int screenWidth;
  int screenHeight;
  int width;
  int height;
  std::vector<std::pair<int, int>> expected;  // (left, top) of each window in turn
};

void PrintTo(const CascadeCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class Cascade : public testing::TestWithParam<CascadeCase> {};

TEST_P(Cascade, StacksDownwardThenOpensColumns) {
  const CascadeCase& c = GetParam();
  bool first = true;
  int lastTop = 0;
  int cascadeLeft = 0;
  std::vector<std::pair<int, int>> placed;
  for (std::size_t i = 0; i < c.expected.size(); ++i) {
    const TCascadePlacement at = CascadeStep(first, lastTop, cascadeLeft, c.width, c.height, c.screenWidth,
                                             c.screenHeight);
    placed.emplace_back(at.Left, at.Top);
    first = false;
    lastTop = at.Top;
    cascadeLeft = at.CascadeLeft;
  }
  EXPECT_EQ(placed, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cascade,
    testing::Values(
        // 768 pixels high: five windows of 150 fit (the fifth ends at 750), the sixth opens a column.
        CascadeCase{"NewColumnOn768",
                    1024,
                    768,
                    174,
                    150,
                    {{0, 0}, {0, 150}, {0, 300}, {0, 450}, {0, 600}, {174, 0}, {174, 150}}},
        // A window ending exactly on the bottom edge counts as reaching it.
        CascadeCase{"ExactBottomEdge", 1024, 300, 174, 150, {{0, 0}, {174, 0}, {348, 0}}},
        // A column that would cross the right edge falls back to the left; the next restarts at the corner.
        CascadeCase{"RightEdge", 400, 300, 174, 150, {{0, 0}, {174, 0}, {0, 0}, {0, 0}, {174, 0}}},
        // A window wider than the screen stays at the corner.
        CascadeCase{"WiderThanScreen", 100, 768, 174, 150, {{0, 0}, {0, 0}, {0, 0}}}),
    [](const testing::TestParamInfo<CascadeCase>& info) { return std::string(info.param.name); });

TEST(CascadeStep, FollowsTheLastWindowWhereverItsSettingsMovedIt) {
  const TCascadePlacement at = CascadeStep(false, 400, 174, 174, 150, 1024, 768);
  EXPECT_EQ(at.Left, 174);
  EXPECT_EQ(at.Top, 550);
}

class PidWindowSettingsRead : public testing::Test {
 protected:
  PidWindowSettingsRead() {
    std::string pattern = (fs::temp_directory_path() / "pidsettings.XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    path_ = (dir_ / "orlexgauges_pidgrid.ini").string();
  }
  ~PidWindowSettingsRead() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
  std::string path_;
};

TEST_F(PidWindowSettingsRead, EveryMissingOrBadValueTakesItsDefault) {
  std::ofstream(path_, std::ios::binary) << "[rpm]\r\nTop=12\r\nWidth=abc\r\nThreshhold=7,5\r\nCEnabled=2\r\n"
                                            "FontName=\"Liberation Mono\"\r\n";
  const TSettingsReader reader(path_);
  const TPidWindowSettings rpm = ReadPidWindowSettings(reader, "RPM");
  EXPECT_EQ(rpm.Top, 12);
  EXPECT_EQ(rpm.Left, -1);
  EXPECT_EQ(rpm.Width, -1);
  EXPECT_DOUBLE_EQ(rpm.Threshold, -1.0);  // a comma where the locale has a point
  EXPECT_TRUE(rpm.CheckingEnabled);
  EXPECT_EQ(rpm.FontName, "Liberation Mono");

  const TPidWindowSettings none = ReadPidWindowSettings(reader, "speed");
  EXPECT_EQ(none.Top, -1);
  EXPECT_EQ(none.Left, -1);
  EXPECT_EQ(none.Width, -1);
  EXPECT_EQ(none.Height, -1);
  EXPECT_DOUBLE_EQ(none.Threshold, -1.0);
  EXPECT_EQ(none.GoodColor, 16777215);
  EXPECT_EQ(none.BadColor, 16777215);
  EXPECT_FALSE(none.CheckingEnabled);
  EXPECT_EQ(none.FontColor, 0);
  EXPECT_EQ(none.FontSize, 15);
  EXPECT_EQ(none.FontName, "Arial");
}

}  // namespace
