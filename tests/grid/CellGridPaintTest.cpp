#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <string>
#include <vector>

#include "grid/CellGrid.h"
#include "grid/GridColorQt.h"
#include "tests/grid/GridPixels.h"
#include "tests/grid/SystemGridWidget.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

constexpr TColor kValueColor = 0x8CF0F9;
constexpr TColor kDescriptionColor = 0xFDF8C3;

class CellGridPaintTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGridWidget(grid);
    SystemColumnColors(grid);
  }
  QRgb Colour(TColor color) const { return Rgb(ColorToQColor(color, grid.palette())); }
  // Ink of one cell's text area (inside the lines), against the cell's own background.
  QRect CellInk(int col, int row, TColor background) {
    const QImage image = RenderGrid(grid);
    const QRect cell = grid.CellRect(col, row);
    return InkBox(image, cell.adjusted(0, 0, -1, -1), Colour(background));
  }

  TCellGrid grid;
};

struct LinePixel {
  const char* name;
  int x, y;
  enum { kLine, kFixedFace, kDescription, kValue } expect;
};

void PrintTo(const LinePixel& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class CellGridLineTest : public CellGridPaintTest, public testing::WithParamInterface<LinePixel> {};

TEST_P(CellGridLineTest, LinesLieInTheLastPixelColumnAndRowOfEachCell) {
  const QImage image = RenderGrid(grid);
  const LinePixel& p = GetParam();
  const QRgb expected = p.expect == LinePixel::kLine          ? Colour(clBlack)
                        : p.expect == LinePixel::kFixedFace   ? Colour(orlex::app::kPidGridFixedColor)
                        : p.expect == LinePixel::kDescription ? Colour(kDescriptionColor)
                                                              : Colour(kValueColor);
  EXPECT_EQ(image.pixel(p.x, p.y) | 0xFF000000u, expected) << p.x << "," << p.y;
}

// Columns are 128 wide, rows 22 high: header row y 0..21, row 1 y 22..43; column 1 x 128..255.
INSTANTIATE_TEST_SUITE_P(
    Probes, CellGridLineTest,
    testing::Values(LinePixel{"HeaderRightLine", 255, 5, LinePixel::kLine},
                    LinePixel{"HeaderBottomLine", 200, 21, LinePixel::kLine},
                    LinePixel{"HeaderFirstPixelIsFace", 128, 5, LinePixel::kFixedFace},
                    LinePixel{"HeaderBeforeLine", 254, 20, LinePixel::kFixedFace},
                    LinePixel{"CellRightLine", 255, 30, LinePixel::kLine},
                    LinePixel{"CellBottomLine", 200, 43, LinePixel::kLine},
                    LinePixel{"CellFirstColumn", 128, 30, LinePixel::kValue},
                    LinePixel{"CellFirstRow", 200, 22, LinePixel::kValue},
                    LinePixel{"CellBeforeRightLine", 254, 42, LinePixel::kValue},
                    LinePixel{"NextColumnStartsAfterLine", 256, 30, LinePixel::kDescription}),
    [](const testing::TestParamInfo<LinePixel>& info) { return std::string(info.param.name); });

TEST_F(CellGridPaintTest, TextStaysThreePixelsInsideLeftTopAndRightAndOneAboveBottom) {
  grid.SetRowHeights(1, 80);
  // A word longer than the column is broken at the width, so the text reaches the right edge too.
  grid.SetCells(1, 1, std::string(200, 'l'));
  const QRect ink = CellInk(1, 1, kValueColor);
  const QRect cell = grid.CellRect(1, 1);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left(), cell.left() + 3);
  EXPECT_LE(ink.left(), cell.left() + 4);  // an l starts at its origin, give or take a pixel
  EXPECT_GE(ink.top(), cell.top() + 3);
  EXPECT_LE(ink.right(), cell.right() - 3);
  EXPECT_GE(ink.right(), cell.right() - 8);  // the broken line uses the width
  EXPECT_LE(ink.bottom(), cell.bottom() - 1);
}

TEST_F(CellGridPaintTest, HeaderRowKeepsFixedColourAndFontWhateverTheColumnColour) {
  grid.SetColumnColor(1, clRed);
  grid.SetCells(1, 1, "Value");
  const QImage image = RenderGrid(grid);
  EXPECT_EQ(image.pixel(250, 5) | 0xFF000000u, Colour(orlex::app::kPidGridFixedColor));
  EXPECT_EQ(image.pixel(250, 30) | 0xFF000000u, Colour(clRed));
  // The same word is smaller in the header's 8-point font than in the cells' 10-point font.
  const QRect header = InkBox(image, grid.CellRect(1, 0).adjusted(0, 0, -2, -2), Colour(orlex::app::kPidGridFixedColor));
  const QRect cell = InkBox(image, grid.CellRect(1, 1).adjusted(0, 0, -2, -2), Colour(clRed));
  ASSERT_FALSE(header.isEmpty());
  ASSERT_FALSE(cell.isEmpty());
  EXPECT_LT(header.width(), cell.width());
  EXPECT_LT(header.height(), cell.height());
}

TEST_F(CellGridPaintTest, CurrentCellUsesSelectionColoursWithAndWithoutFocusFrameOnlyWithFocus) {
  grid.SetCells(0, 1, "WWW");
  const QRgb highlight = Rgb(grid.palette().color(QPalette::Highlight));
  const QRgb highlightText = Rgb(grid.palette().color(QPalette::HighlightedText));
  const QRect text(3, 25, 60, 15);
  // Without focus: selection colours, no frame.
  QImage image = RenderGrid(grid);
  EXPECT_EQ(image.pixel(100, 30) | 0xFF000000u, highlight);
  EXPECT_TRUE(HasPixel(image, text, highlightText));
  EXPECT_EQ(image.pixel(0, 22) | 0xFF000000u, highlight);
  EXPECT_EQ(image.pixel(126, 30) | 0xFF000000u, highlight);

  grid.show();
  grid.activateWindow();
  grid.setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(grid.hasFocus());
  image = RenderGrid(grid);
  EXPECT_EQ(image.pixel(100, 31) | 0xFF000000u, highlight);
  EXPECT_TRUE(HasPixel(image, text, highlightText));
  // The dotted frame inverts every other pixel along the left and top edges and just inside the
  // right and bottom lines (x 126, y 42).
  const QRgb inverted = (~highlight & 0x00FFFFFFu) | 0xFF000000u;
  for (auto [x, y, dotted] : std::vector<std::tuple<int, int, bool>>{
           {0, 22, true}, {1, 22, false}, {2, 22, true}, {0, 24, true}, {126, 30, true}, {126, 31, false},
           {60, 42, true}, {61, 42, false}, {127, 30, false}}) {
    const QRgb pixel = image.pixel(x, y) | 0xFF000000u;
    if (x == 127) {
      EXPECT_EQ(pixel, Colour(clBlack)) << x << "," << y;  // the line itself is untouched
    } else {
      EXPECT_EQ(pixel, dotted ? inverted : highlight) << x << "," << y;
    }
  }
}

TEST_F(CellGridPaintTest, WrappedTextShowsOnlyWholeLines) {
  // Two words that do not fit side by side in 60 pixels wrap onto two lines.
  grid.SetColWidths(1, 60);
  grid.SetCells(1, 1, "Alpha Bravo");
  grid.SetCells(1, 2, "one\r\ntwo");
  const QFontMetrics metrics(grid.Canvas().SelectFont("Arial", 10, 0).font);
  const int line = metrics.height();
  // Row 1 has room for one line: the second is not drawn at all, not even its top.
  QRect ink = CellInk(1, 1, kValueColor);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_LT(ink.bottom(), grid.CellRect(1, 1).top() + 3 + line);
  // Taller rows show both lines, for a wrapped text and for a CR LF.
  grid.SetRowHeights(1, 2 * line + 6);
  grid.SetRowHeights(2, 2 * line + 6);
  for (int row : {1, 2}) {
    ink = CellInk(1, row, kValueColor);
    EXPECT_GE(ink.bottom(), grid.CellRect(1, row).top() + 3 + line) << row;
  }
}

TEST_F(CellGridPaintTest, TabsAreExpandedAndAmpersandsDrawn) {
  const TCanvasFont& font = grid.Canvas().SelectFont("Arial", 10, 0);
  const int tabStop = 8 * font.metrics.averageCharWidth();
  grid.SetColWidths(1, 200);
  grid.SetCells(1, 1, "i\tI");
  const QImage image = RenderGrid(grid);
  const QRect cell = grid.CellRect(1, 1);
  const int origin = cell.left() + 3;
  // Nothing between the "i" and the tab stop, where the "I" begins.
  const QRect gap(origin + font.metrics.horizontalAdvance("i") + 1, cell.top() + 3,
                  tabStop - font.metrics.horizontalAdvance("i") - 2, 15);
  EXPECT_TRUE(InkBox(image, gap, Colour(kValueColor)).isEmpty());
  const QRect after = InkBox(image, QRect(origin + tabStop - 1, cell.top() + 3, 10, 15), Colour(kValueColor));
  EXPECT_FALSE(after.isEmpty());

  // "A&B" keeps its ampersand: wider than "AB".
  grid.SetCells(1, 1, "A&B");
  grid.SetCells(1, 2, "AB");
  EXPECT_GT(CellInk(1, 1, kValueColor).width(), CellInk(1, 2, kValueColor).width() + 4);
}

TEST_F(CellGridPaintTest, HtmlTextIsFormattedAndStartsWherePlainTextStarts) {
  // "Speed</b>" and "<B>RPM" are HTML, "<b>RPM" and "a < b" are not; all start at the same x.
  const std::vector<std::string> texts{"<B>RPM", "Speed</b>", "<b>RPM", "a < b", "RPM"};
  for (int i = 0; i < 5; ++i) grid.SetCells(1, i + 1, texts[i]);
  std::vector<QRect> inks;
  for (int i = 0; i < 5; ++i) {
    inks.push_back(CellInk(1, i + 1, kValueColor).translated(-grid.CellRect(1, i + 1).topLeft()));
    ASSERT_FALSE(inks.back().isEmpty()) << texts[i];
  }
  for (int i = 0; i < 4; ++i) EXPECT_LE(inks[i].left(), 4) << texts[i];
  EXPECT_NEAR(inks[0].left(), inks[4].left(), 1);
  // The HTML text shows bold RPM without its tags; the lower-case tag is shown as written.
  EXPECT_GE(inks[0].width(), inks[4].width());
  EXPECT_LT(inks[0].width(), inks[2].width());
}

TEST_F(CellGridPaintTest, SpecialTextKindsDrawTheirText) {
  // A formula is drawn literally, a wide text decoded, rich text as its plain text.
  grid.SetCells(1, 1, "=1+2");
  grid.SetCells(1, 2, std::string("|\\\0=\0x", 6));
  grid.SetCells(1, 3, std::string("|\\\x00W\x00W", 6));
  grid.SetCells(1, 4, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 WW\\par}");
  grid.SetCells(1, 5, "WW");
  const int plainWidth = CellInk(1, 5, kValueColor).width();
  EXPECT_FALSE(CellInk(1, 1, kValueColor).isEmpty());
  EXPECT_NEAR(CellInk(1, 3, kValueColor).width(), plainWidth, 1);
  EXPECT_NEAR(CellInk(1, 4, kValueColor).width(), plainWidth, 1);
}

TEST_F(CellGridPaintTest, ZoomEnlargesEveryFont) {
  grid.SetRowHeights(1, 60);
  grid.SetCells(1, 1, "Value");
  const QRect normal = CellInk(1, 1, kValueColor);
  const QRect header = InkBox(RenderGrid(grid), grid.CellRect(1, 0).adjusted(0, 0, -2, -2), Colour(orlex::app::kPidGridFixedColor));
  grid.ChangeLook([&](TGridLook& look) { look.ZoomFactor = 6; });
  grid.SetRowHeights(0, 40);
  EXPECT_GT(CellInk(1, 1, kValueColor).height(), normal.height());
  EXPECT_GT(InkBox(RenderGrid(grid), grid.CellRect(1, 0).adjusted(0, 0, -2, -2), Colour(orlex::app::kPidGridFixedColor)).height(),
            header.height());
}

// A look change shows at the next pass without anything else asking for a repaint, and Flat takes the
// 3D edge away (and gives it back) at once, not at some later paint.
TEST_F(CellGridPaintTest, LookChangesRepaintAndFlatSetsTheBorderAtOnce) {
  grid.show();
  QApplication::processEvents();
  grid.FlushRepaints();
  QApplication::processEvents();
  const std::uint64_t before = grid.PaintPassNumber();
  grid.ChangeLook([](TGridLook& look) { look.Color = clWhite; });
  grid.FlushRepaints();
  QApplication::processEvents();
  EXPECT_EQ(grid.PaintPassNumber(), before + 1);
  const QImage image = grid.viewport()->grab().toImage();
  EXPECT_EQ(image.pixel(grid.viewport()->width() - 2, grid.viewport()->height() - 2) | 0xFF000000u, 0xFFFFFFFFu)
      << "the area right of and below the cells takes the grid's colour";

  ASSERT_TRUE(grid.Look().Flat);
  EXPECT_FALSE(grid.Ctl3D());
  grid.ChangeLook([](TGridLook& look) { look.Flat = false; });
  EXPECT_TRUE(grid.Ctl3D());
  EXPECT_EQ(grid.frameWidth(), 2);
  grid.ChangeLook([](TGridLook& look) { look.Flat = true; });
  EXPECT_FALSE(grid.Ctl3D());
  EXPECT_EQ(grid.frameWidth(), 1);
}

// A packet of new values costs the paint of the value cells alone: the pass draws those 60 cells,
// none of the descriptions or headers around them.
TEST_F(CellGridPaintTest, APassAfterAPacketDrawsOnlyTheChangedCells) {
  FillSixtySlots(grid);
  grid.show();
  QApplication::processEvents();  // the focus the shown grid takes repaints the current cell
  grid.FlushRepaints();
  QApplication::processEvents();
  const std::uint64_t before = grid.PaintPassNumber();
  for (int i = 0; i < 60; ++i) grid.SetCells(1 + 2 * (i / 20), 1 + i % 20, std::to_string(1000 + i) + ".5");
  grid.FlushRepaints();
  QApplication::processEvents();
  ASSERT_EQ(grid.PaintPassNumber(), before + 1);
  EXPECT_EQ(grid.CellsInLastPaintPass(), 60);
}

}  // namespace
