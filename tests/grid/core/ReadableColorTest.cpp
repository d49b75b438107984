#include "grid/core/ReadableColor.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace orlex::grid;

// Two themes as the palette resolves their system colours.
const std::map<TColor, TColor> kLight = {
    {clWindowText, clBlack}, {clBtnFace, 0xEFEFEF}, {clHighlight, 0xC68C30}, {clHighlightText, clWhite},
    {clCaptionText, clWhite}, {clWindow, clWhite}};
const std::map<TColor, TColor> kDark = {
    {clWindowText, 0xECEEEE}, {clBtnFace, 0x3A3A3A}, {clHighlight, 0x9E5315}, {clHighlightText, clWhite},
    {clCaptionText, clWhite}, {clWindow, 0x2D2D2D}};

TSystemColorResolver From(const std::map<TColor, TColor>& theme) {
  return [&theme](TColor c) { return theme.at(c); };
}

constexpr TColor kLightCyan = 0xFDF8C3;    // the description columns
constexpr TColor kLightYellow = 0x8CF0F9;  // the value columns
constexpr TColor kHeaderFace = 0xE3E8EA;

struct TCase {
  const char* name;
  const std::map<TColor, TColor>* theme;
  TColor text;
  TColor background;
  TColor drawn;
};

void PrintTo(const TCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ReadableTextColorTest : public testing::TestWithParam<TCase> {};

TEST_P(ReadableTextColorTest, DrawsTheExpectedColour) {
  const TCase& c = GetParam();
  EXPECT_EQ(ReadableTextColor(c.text, c.background, From(*c.theme)), c.drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadableTextColorTest,
    testing::Values(
        // The light theme's look stays: black window text passes on every fixed colour.
        TCase{"LightTextOnCyan", &kLight, clWindowText, kLightCyan, clBlack},
        TCase{"LightTextOnHeader", &kLight, clWindowText, kHeaderFace, clBlack},
        // Highlight text on the highlight is the theme's own pair, even at 3.7:1.
        TCase{"LightSelection", &kLight, clHighlightText, clHighlight, clWhite},
        // A dark theme's light text on the fixed light colours turns black.
        TCase{"DarkTextOnCyan", &kDark, clWindowText, kLightCyan, clBlack},
        TCase{"DarkTextOnYellow", &kDark, clWindowText, kLightYellow, clBlack},
        TCase{"DarkTextOnHeader", &kDark, clWindowText, kHeaderFace, clBlack},
        // Theme text on a theme background of another pair (the PID window's caption-text face).
        TCase{"DarkTextOnCaptionTextFace", &kDark, clWindowText, clCaptionText, clBlack},
        // ... and on a dark chosen colour it stays light, or turns white when it would vanish.
        TCase{"DarkTextOnNavy", &kDark, clWindowText, clNavy, 0xECEEEE},
        TCase{"LightTextOnNavy", &kLight, clWindowText, clNavy, clWhite},
        // The theme's own pairs are its concern.
        TCase{"DarkTextOnButtonFace", &kDark, clWindowText, clBtnFace, 0xECEEEE},
        // A chosen colour is drawn as chosen, however it reads.
        TCase{"ChosenWhiteOnWhite", &kDark, clWhite, clWhite, clWhite},
        TCase{"ChosenRedOnCyan", &kLight, clRed, kLightCyan, clRed},
        // Nothing known underneath: the theme's colour as it is.
        TCase{"NoBackground", &kDark, clWindowText, clNone, 0xECEEEE}),
    [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.name); });

TEST(ContrastRatio, SpansOneToTwentyOne) {
  EXPECT_DOUBLE_EQ(ContrastRatio(clBlack, clWhite), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(clWhite, clBlack), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kLightCyan, kLightCyan), 1.0);
  // The WCAG reference: mid grey #767676 on white is just above 4.5:1.
  EXPECT_NEAR(ContrastRatio(0x767676, clWhite), 4.54, 0.01);
}

}  // namespace
