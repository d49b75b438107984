// Every text the grid draws stays readable whatever the desktop theme, and the light theme's look is
// the one it always had.
#include <gtest/gtest.h>

#include <QApplication>

#include "grid/CellGrid.h"
#include "grid/GridColorQt.h"
#include "tests/grid/GridPixels.h"
#include "tests/grid/SystemGridWidget.h"
#include "tests/support/ThemePalettes.h"

using namespace orlex::grid;

namespace {

struct TDrawnText {
  const char* name;
  int col;
  int row;
  // Highlight text on the highlight: the theme's own pair, drawn as the theme gives it (the light
  // theme's reaches only 3.7:1, and its look stays).
  bool themePair;
};

// The header, a description and a value in their column colours, a description in markup, and the
// current (selected) cell.
const TDrawnText kTexts[] = {{"Header", 2, 0, false},
                             {"Description", 2, 3, false},
                             {"Value", 3, 3, false},
                             {"HtmlDescription", 4, 3, false},
                             {"CurrentCell", 0, 1, true}};

class CellGridThemeTest : public testing::TestWithParam<TThemePalette> {};

TEST_P(CellGridThemeTest, EveryTextContrastsAtLeastFourAndAHalfToOne) {
  const TPaletteGuard theme(GetParam().palette);
  TCellGrid grid;
  ConfigureSystemGridWidget(grid);
  SystemColumnColors(grid);
  FillSixtySlots(grid);
  grid.SetCells(4, 3, "<B>Engine</B> Speed");
  grid.show();
  const QImage image = RenderGrid(grid);
  for (const TDrawnText& t : kTexts) {
    SCOPED_TRACE(t.name);
    const QRect cell = grid.CellRect(t.col, t.row);
    const QRgb background = image.pixel(cell.left() + 1, cell.top() + 1) | 0xFF000000u;
    const QRect text = cell.adjusted(3, 3, -3, -1);
    if (t.themePair) {
      EXPECT_TRUE(HasPixel(image, text, Rgb(grid.palette().color(QPalette::HighlightedText))));
    } else {
      EXPECT_GE(InkContrast(image, text, background), 4.5);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Themes, CellGridThemeTest, testing::ValuesIn(ThemePalettes()),
                         [](const testing::TestParamInfo<TThemePalette>& info) { return info.param.name; });

TEST(CellGridTheme, LightThemeDrawsTheThemeTextColoursUnchanged) {
  const TPaletteGuard theme(LightThemePalette());
  TCellGrid grid;
  ConfigureSystemGridWidget(grid);
  SystemColumnColors(grid);
  FillSixtySlots(grid);
  grid.show();
  const QImage image = RenderGrid(grid);
  const QRgb windowText = Rgb(grid.palette().color(QPalette::WindowText));
  const QRgb highlightText = Rgb(grid.palette().color(QPalette::HighlightedText));
  EXPECT_TRUE(HasPixel(image, grid.CellRect(2, 0), windowText));
  EXPECT_TRUE(HasPixel(image, grid.CellRect(2, 3), windowText));
  EXPECT_TRUE(HasPixel(image, grid.CellRect(3, 3), windowText));
  EXPECT_TRUE(HasPixel(image, grid.CellRect(0, 1), highlightText));
}

TEST(CellGridTheme, ChosenFontColourIsNeverOverridden) {
  const TPaletteGuard theme(DarkThemePalette());
  TCellGrid grid;
  ConfigureSystemGridWidget(grid);
  SystemColumnColors(grid);
  grid.SetCells(2, 3, "Engine Speed");
  // White on the light description colour reads badly, but it was asked for.
  grid.GetCellProperties(2, 3)->FontColor = clWhite;
  grid.show();
  const QImage image = RenderGrid(grid);
  const QRect text = grid.CellRect(2, 3).adjusted(3, 3, -3, -1);
  EXPECT_TRUE(HasPixel(image, text, Rgb(Qt::white)));
  EXPECT_FALSE(HasPixel(image, text, Rgb(Qt::black)));
}

}  // namespace
