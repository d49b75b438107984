#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "grid/core/CellStyle.h"
#include "tests/grid/core/SystemGrid.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

using namespace std::string_literals;

struct ClassifyCase {
  std::string text;
  bool html;
  CellTextKind kind;
};

void PrintTo(const ClassifyCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class Classify : public testing::TestWithParam<ClassifyCase> {};

TEST_P(Classify, DecidesTheTextKind) {
  EXPECT_EQ(ClassifyCellText(GetParam().text, GetParam().html), GetParam().kind) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Classify,
    testing::Values(ClassifyCase{"", true, ctkPlain}, ClassifyCase{"1450", true, ctkPlain},
                    ClassifyCase{"Speed</b>", true, ctkHTML}, ClassifyCase{"<B>RPM", true, ctkHTML},
                    ClassifyCase{"x<I>y", true, ctkHTML}, ClassifyCase{"a<BR>b", true, ctkHTML},
                    ClassifyCase{"<b>RPM", true, ctkPlain}, ClassifyCase{"a < b", true, ctkPlain},
                    ClassifyCase{"<i>oil", true, ctkPlain}, ClassifyCase{"Speed</b>", false, ctkPlain},
                    ClassifyCase{"<B>RPM", false, ctkPlain}, ClassifyCase{"=1+2", true, ctkFormula},
                    ClassifyCase{"=</b>", true, ctkFormula}, ClassifyCase{"{\\rtf1 x}", true, ctkRTF},
                    ClassifyCase{"{x</b>", true, ctkHTML}, ClassifyCase{"|\\\0A"s, true, ctkWide},
                    ClassifyCase{"|\\\0=\0"s, true, ctkFormula}, ClassifyCase{"|\\\0=\0A"s, true, ctkFormula},
                    ClassifyCase{"|\\\0=A"s, true, ctkWide}, ClassifyCase{"|\\"s, true, ctkWide},
                    ClassifyCase{"|x</b>", true, ctkHTML}, ClassifyCase{"<"s, true, ctkPlain}),
                         orlex::test::CaseName);

constexpr TColor kValueColor = 0x8CF0F9;
constexpr TColor kDescriptionColor = 0xFDF8C3;
constexpr TColor kFixedColor = orlex::app::kPidGridFixedColor;

struct StyleCase {
  const char* name;
  std::function<void(TCellGridBase&)> setup;
  int col, row;
  bool applySelection;
  TGridDrawState stateIn;
  TColor brush;
  TColor fontColor;
  int fontSize;
  TGridDrawState stateOut;
};

void PrintTo(const StyleCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ResolveStyle : public testing::TestWithParam<StyleCase> {};

TEST_P(ResolveStyle, GivesBrushFontAndState) {
  const StyleCase& c = GetParam();
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  StartUpClear(grid);
  grid.SetCurrentCell(2, 5);
  grid.SetAnchor(2, 5);
  if (c.setup) c.setup(grid);
  TGridDrawState state = c.stateIn;
  const TCellStyle s = ResolveCellStyle(grid, c.col, c.row, c.applySelection, state);
  EXPECT_EQ(s.BrushColor, c.brush);
  EXPECT_EQ(s.Font.Color, c.fontColor);
  EXPECT_EQ(s.Font.Size, c.fontSize);
  EXPECT_EQ(state, c.stateOut);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, ResolveStyle,
    testing::Values(
        StyleCase{"ValueColumn", nullptr, 1, 3, true, 0, kValueColor, clWindowText, 10, 0},
        StyleCase{"DescriptionColumn", nullptr, 4, 20, true, 0, kDescriptionColor, clWindowText, 10, 0},
        StyleCase{"HeaderIgnoresColumnColour", nullptr, 1, 0, true, 0, kFixedColor, clWindowText, 8, gdFixed},
        // A header record's own colour comes back after the fixed look.
        StyleCase{"HeaderRecordColour",
                  [](TCellGridBase& g) { g.GetCellProperties(1, 0)->SetBrushColor(clRed); }, 1, 0, true, 0, clRed,
                  clWindowText, 8, gdFixed},
        StyleCase{"HeaderSelectedNever", [](TCellGridBase& g) { g.SetCurrentCell(1, 0); }, 1, 0, true, 0,
                  kFixedColor, clWindowText, 8, gdFixed},
        StyleCase{"CurrentCellSelected", nullptr, 2, 5, true, gdFocused, clHighlight, clHighlightText, 10,
                  gdFocused | gdSelected},
        StyleCase{"CurrentCellUnselectedPass", nullptr, 2, 5, false, 0, kDescriptionColor, clWindowText, 10, 0},
        StyleCase{"InsideAnchorRectangle", [](TCellGridBase& g) { g.SetAnchor(4, 8); }, 3, 7, true, 0, clHighlight,
                  clHighlightText, 10, gdSelected},
        StyleCase{"OutsideAnchorRectangle", [](TCellGridBase& g) { g.SetAnchor(4, 8); }, 5, 7, true, 0,
                  kValueColor, clWindowText, 10, 0},
        StyleCase{"ShowSelectionOff", [](TCellGridBase& g) { g.ChangeLook([](TGridLook& look) { look.ShowSelection = false; }); }, 2, 5, true, 0,
                  kDescriptionColor, clWindowText, 10, 0},
        StyleCase{"SelectionTextNoneKeepsFont",
                  [](TCellGridBase& g) {
                    g.ChangeLook([](TGridLook& look) { look.SelectionTextColor = clNone; });
                    g.GetCellProperties(2, 5)->FontColor = clRed;
                  },
                  2, 5, true, 0, clHighlight, clRed, 10, gdSelected},
        StyleCase{"RecordFontOverridesGrid",
                  [](TCellGridBase& g) {
                    g.GetCellProperties(3, 2)->FontSize = 14;
                    g.GetCellProperties(3, 2)->FontColor = clBlue;
                  },
                  3, 2, true, 0, kValueColor, clBlue, 14, 0},
        StyleCase{"RecordlessCellTakesGridColour", [](TCellGridBase& g) { g.SetColumnColor(1, clNone); }, 1, 3,
                  true, 0, clBtnFace, clWindowText, 10, 0},
        StyleCase{"FooterRowFixed", [](TCellGridBase& g) { g.ChangeLook([](TGridLook& look) { look.FixedFooters = 1; }); }, 1, 20, true, 0, kValueColor,
                  clWindowText, 10, gdFixed},
        StyleCase{"CellColorHook",
                  [](TCellGridBase& g) {
                    g.OnGetCellColor = [](const TCellGridBase&, int row, int col, TGridDrawState, TFontDesc& f,
                                          TColor& b) {
                      if (row == 4 && col == 0) {
                        b = clYellow;
                        f.Color = clMaroon;
                      }
                    };
                  },
                  0, 4, true, 0, clYellow, clMaroon, 10, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResolveStyle, GradientAndWordWrapComeFromTheRecord) {
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  TCellProperties* p = grid.GetCellProperties(1, 1);
  p->SetBrushColorTo(clBlue);
  p->GradientDirection = 1;
  p->SetWordWrap(false);
  TGridDrawState state = 0;
  TCellStyle s = ResolveCellStyle(grid, 1, 1, false, state);
  EXPECT_EQ(s.GradientTo, clBlue);
  EXPECT_EQ(s.GradientDirection, 1);
  EXPECT_FALSE(s.WordWrap);
  state = gdSelected;  // an already selected cell loses the gradient direction
  s = ResolveCellStyle(grid, 1, 1, false, state);
  EXPECT_EQ(s.GradientDirection, 0);
  // Without a record the grid's word wrap holds.
  state = 0;
  EXPECT_TRUE(ResolveCellStyle(grid, 2, 2, false, state).WordWrap);
}

TEST(ResolveAlignment, HorizontalFromRecordVerticalFromGrid) {
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  grid.ChangeLook([](TGridLook& look) { look.VAlignment = vtaCenter; });
  TCellProperties* p = grid.GetCellProperties(1, 1);
  p->Alignment = taRightJustify;
  p->SetVAlignment(vtaBottom);  // not read by painting
  EXPECT_EQ(ResolveCellAlignment(grid, 1, 1), std::pair(taRightJustify, vtaCenter));
  EXPECT_EQ(ResolveCellAlignment(grid, 2, 1), std::pair(taLeftJustify, vtaCenter));
  grid.OnGetAlignment = [](const TCellGridBase&, int, int col, TAlignment& h, TVAlignment&) {
    if (col == 2) h = taCenter;
  };
  EXPECT_EQ(ResolveCellAlignment(grid, 2, 1), std::pair(taCenter, vtaCenter));
}

TEST(CountsAsFixed, FixedRowsColsFootersRightColsAndHook) {
  TCellGridBase grid;  // 5 x 10, one fixed row and column
  grid.ChangeLook([](TGridLook& look) {
    look.FixedFooters = 2;
    look.FixedRightCols = 1;
  });
  EXPECT_TRUE(CellCountsAsFixed(grid, 0, 5));
  EXPECT_TRUE(CellCountsAsFixed(grid, 2, 0));
  EXPECT_TRUE(CellCountsAsFixed(grid, 2, 8));
  EXPECT_FALSE(CellCountsAsFixed(grid, 2, 7));
  EXPECT_TRUE(CellCountsAsFixed(grid, 4, 3));
  EXPECT_FALSE(CellCountsAsFixed(grid, 3, 3));
  grid.OnIsFixedCell = [](const TCellGridBase&, int row, int col, bool& fixed) { fixed = fixed || (row == 3 && col == 3); };
  EXPECT_TRUE(CellCountsAsFixed(grid, 3, 3));
}

}  // namespace
