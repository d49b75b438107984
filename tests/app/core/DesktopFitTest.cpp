// Window settings from a hand-edited file are made fit for the desktop before they are used.
#include <gtest/gtest.h>

#include <climits>

#include "app/core/PidWindowLayout.h"

using namespace orlex::app;

namespace {

struct FitCase {
  const char* name;
  TPidWindowSettings read;  // Top, Left, Width, Height, ..., FontSize
  int top, left, width, height, fontSize;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

TPidWindowSettings Read(int top, int left, int width, int height, int fontSize) {
  TPidWindowSettings s;
  s.Top = top;
  s.Left = left;
  s.Width = width;
  s.Height = height;
  s.FontSize = fontSize;
  return s;
}

class DesktopFit : public testing::TestWithParam<FitCase> {};

TEST_P(DesktopFit, ClampsSizesPositionsAndFontToTheDesktop) {
  const FitCase& c = GetParam();
  TPidWindowSettings s = c.read;
  FitToDesktop(s, TDesktopArea{0, 0, 1920, 1080});
  EXPECT_EQ(s.Top, c.top);
  EXPECT_EQ(s.Left, c.left);
  EXPECT_EQ(s.Width, c.width);
  EXPECT_EQ(s.Height, c.height);
  EXPECT_EQ(s.FontSize, c.fontSize);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopFit,
    testing::Values(FitCase{"OrdinaryValuesStay", Read(150, 174, 174, 150, 15), 150, 174, 174, 150, 15},
                    FitCase{"DefaultsMeanLeaveAsItIs", Read(-1, -1, -1, -1, 15), -1, -1, -1, -1, 15},
                    FitCase{"HugeSizes", Read(0, 0, 20000, 20000, 15), 0, 0, 1920, 1080, 15},
                    FitCase{"LargestIntegers", Read(INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX), 1040, 1880, 1920,
                            1080, 810},
                    FitCase{"NegativeFontSize", Read(0, 0, 174, 150, INT_MIN), 0, 0, 174, 150, 1},
                    FitCase{"ZeroSizesStay", Read(0, 0, 0, 0, 1), 0, 0, 0, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DesktopFitOffset, ADesktopRightOfTheOriginKeepsWindowsThere) {
  TPidWindowSettings s = Read(100, 3000, 174, 150, 15);
  FitToDesktop(s, TDesktopArea{0, 0, 3840, 1080});  // two screens side by side
  EXPECT_EQ(s.Left, 3000);
  FitToDesktop(s, TDesktopArea{0, 0, 1920, 1080});
  EXPECT_EQ(s.Left, 1880);
}

}  // namespace
