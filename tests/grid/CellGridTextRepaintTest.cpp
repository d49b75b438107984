// A cell whose text alone changed repaints only where its old and new text can have pixels. Whatever
// the sequence of changes, the screen must show exactly what a full repaint of the grid shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "grid/CellGrid.h"
#include "tests/grid/GridPixels.h"
#include "tests/grid/SystemGridWidget.h"

using namespace orlex::grid;

namespace {

using TStep = std::function<void(TCellGrid&)>;

TStep Text(int col, int row, std::string text) {
  return [col, row, text = std::move(text)](TCellGrid& grid) { grid.SetCells(col, row, text); };
}
// Steps taken together, in one flush.
TStep Together(std::vector<TStep> steps) {
  return [steps = std::move(steps)](TCellGrid& grid) {
    for (const TStep& step : steps) step(grid);
  };
}
TStep Look(std::function<void(TGridLook&)> edit) {
  return [edit = std::move(edit)](TCellGrid& grid) { grid.ChangeLook(edit); };
}
// The record's alignment, as a form sets it: the field, then the cell's repaint.
TStep Align(int col, int row, TAlignment alignment) {
  return [=](TCellGrid& grid) {
    grid.GetCellProperties(col, row)->Alignment = alignment;
    grid.RepaintCell(col, row);
  };
}
TStep Italic(int col, int row) {
  return [=](TCellGrid& grid) {
    grid.GetCellProperties(col, row)->FontStyle = fsItalic;
    grid.RepaintCell(col, row);
  };
}
TStep Brush(int col, int row, TColor color) {
  return [=](TCellGrid& grid) { grid.GetCellProperties(col, row)->SetBrushColor(color); };
}
TStep Width(int col, int width) {
  return [=](TCellGrid& grid) { grid.SetColWidths(col, width); };
}
TStep Focus() {
  return [](TCellGrid& grid) {
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  };
}
// Moves the current cell; with the anchor left behind the cells between are selected.
TStep Current(int col, int row, bool moveAnchor) {
  return [=](TCellGrid& grid) { grid.MoveCurrent(col, row, moveAnchor, false); };
}
TStep Resize(int width, int height) {
  return [=](TCellGrid& grid) { grid.resize(width, height); };
}
// A picture of the grid (a drag image takes one) paints into a pixmap, not the screen.
TStep Picture() {
  return [](TCellGrid& grid) { grid.viewport()->grab(); };
}

struct TextRepaintCase {
  const char* name;
  std::vector<TStep> steps;
};

void PrintTo(const TextRepaintCase& c, std::ostream* os) { *os << c.name; }

// First differing pixel and the number of them, or nothing when the two images are equal.
std::string Differences(const QImage& shown, const QImage& full) {
  if (shown.size() != full.size()) return "sizes differ";
  int count = 0;
  QPoint first;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      if (shown.pixel(x, y) != full.pixel(x, y) && count++ == 0) first = QPoint(x, y);
    }
  }
  if (count == 0) return std::string();
  return std::to_string(count) + " pixels differ, the first at " + std::to_string(first.x()) + "," +
         std::to_string(first.y());
}

class CellGridTextRepaintTest : public testing::Test {
 protected:
  void SetUp() override {
    ShowFilledSystemGrid(grid);
    Settle();
  }
  void Settle() {
    grid.FlushRepaints();
    QApplication::processEvents();
  }

  TCellGrid grid;
};

class CellGridTextSequenceTest : public CellGridTextRepaintTest, public testing::WithParamInterface<TextRepaintCase> {};

TEST_P(CellGridTextSequenceTest, ScreenMatchesAFullRepaintAfterEveryStep) {
  ASSERT_FALSE(ShownGrid(grid).isNull());
  int index = 0;
  for (const TStep& step : GetParam().steps) {
    step(grid);
    Settle();
    const QImage shown = ShownGrid(grid);
    EXPECT_EQ(Differences(shown, RenderGrid(grid)), "") << "after step " << index;
    ++index;
  }
}

const std::string kWide = "12345678901234567890123456789012345";
const std::string kWideWords = "123.45 678.90 123.45 678.90 123.45";

INSTANTIATE_TEST_SUITE_P(
    Sequences, CellGridTextSequenceTest,
    testing::Values(
        TextRepaintCase{"ShortLongShort", {Text(1, 3, "7"), Text(1, 3, "123456.789"), Text(1, 3, "8")}},
        TextRepaintCase{"EmptyAndBack", {Text(1, 3, ""), Text(1, 3, "42.5"), Text(1, 3, ""), Text(1, 3, "W")}},
        TextRepaintCase{"PastTheWidthWrapped", {Text(1, 3, "1"), Text(1, 3, kWideWords), Text(1, 3, "2"),
                                                Text(1, 3, kWide), Text(1, 3, "3")}},
        TextRepaintCase{"PastTheWidthWithEllipsis",
                        {Look([](TGridLook& look) {
                           look.WordWrap = false;
                           look.EnhTextSize = true;
                         }),
                         Text(1, 3, "1"), Text(1, 3, kWide), Text(1, 3, "2")}},
        TextRepaintCase{"PastTheWidthClipped",
                        {Look([](TGridLook& look) { look.WordWrap = false; }), Text(1, 3, "1"), Text(1, 3, kWide),
                         Text(1, 3, "2")}},
        TextRepaintCase{"Centred", {Align(1, 3, taCenter), Text(1, 3, "7"), Text(1, 3, "123456.789"), Text(1, 3, "8")}},
        TextRepaintCase{"RightAligned",
                        {Align(1, 3, taRightJustify), Text(1, 3, "7"), Text(1, 3, "123456.789"), Text(1, 3, "8"),
                         Text(1, 3, kWide), Text(1, 3, "9")}},
        TextRepaintCase{"ItalicOverhangs", {Italic(1, 3), Text(1, 3, "ffff"), Text(1, 3, "jWfj"), Text(1, 3, "l")}},
        TextRepaintCase{"FocusedCell", {Focus(), Text(1, 1, "7"), Text(1, 1, "123456.789"), Text(1, 1, "8")}},
        TextRepaintCase{"SelectedCells",
                        {Look([](TGridLook& look) { look.Options |= goRangeSelect; }), Current(3, 4, false),
                         Text(1, 2, "123456.789"), Text(1, 2, "8"), Text(3, 4, "Wide text"),
                         Text(3, 4, "1")}},
        TextRepaintCase{"ActiveRow",
                        {Look([](TGridLook& look) { look.ActiveRowShow = true; }), Text(3, 1, "123456.789"),
                         Text(3, 1, "8"), Current(3, 2, true), Text(3, 1, "9999"), Text(3, 2, "1")}},
        TextRepaintCase{"FixedCell", {Text(1, 0, "V"), Text(1, 0, "Value of it all"), Text(1, 0, "W")}},
        TextRepaintCase{"PartlyOutOfView",
                        {Resize(700, 200), Text(5, 8, "123456.789"), Text(5, 8, "1"), Align(5, 8, taRightJustify),
                         Text(5, 8, "123456.789"), Text(5, 8, "2")}},
        TextRepaintCase{"ZoomBetweenChanges",
                        {Text(1, 3, "12345.5"), Look([](TGridLook& look) { look.ZoomFactor = 4; }), Text(1, 3, "1"),
                         Text(1, 3, "12345.5"), Look([](TGridLook& look) { look.ZoomFactor = 0; }), Text(1, 3, "2")}},
        TextRepaintCase{"ColumnResizeBetweenChanges",
                        {Text(1, 3, "12345.5"), Width(1, 60), Text(1, 3, "1"), Together({Width(1, 128), Text(1, 3, "77")}),
                         Text(1, 3, "8")}},
        TextRepaintCase{"ColourInTheSameFlush",
                        {Text(1, 3, "12345.5"), Together({Text(1, 3, "9"), Brush(1, 3, clRed)}),
                         Together({Brush(1, 3, clYellow), Text(1, 3, "12345.5")})}},
        TextRepaintCase{"PictureBetweenChanges",
                        {Text(1, 3, "123456.789"), Together({Text(1, 3, "1"), Picture()}), Text(1, 3, "2")}},
        TextRepaintCase{"HtmlAndPlain", {Text(1, 3, "<B>123456</B>"), Text(1, 3, "1"), Text(1, 3, "<I>x</I>"), Text(1, 3, "2")}},
        // Rows 3 and 67 on show together share the place where a drawn text is kept.
        TextRepaintCase{"CellsSharingAKeptPlace",
                        {[](TCellGrid& grid) {
                           grid.SetRowCount(80);
                           grid.SetDefaultRowHeight(7);
                           grid.SetCells(1, 67, "777777.5");
                         },
                         Text(1, 3, "123456.789"), Text(1, 67, "1"), Text(1, 3, "2"), Text(1, 67, "123456.789")}},
        // Changes far apart in one flush make a region of many rectangles, which each cell is drawn
        // clipped to on its own.
        TextRepaintCase{"ApartClippedAndCut",
                        {Look([](TGridLook& look) { look.WordWrap = false; }),
                         Together({Text(1, 3, kWide), Text(3, 7, "1"), Text(5, 12, "123456.789")}),
                         Look([](TGridLook& look) { look.EnhTextSize = true; }),
                         Together({Text(1, 3, "2"), Text(3, 7, kWide), Text(5, 12, "3")})}},
        TextRepaintCase{"ApartFocusedSelectedAndHtml",
                        {Look([](TGridLook& look) { look.Options |= goRangeSelect; }), Focus(), Current(3, 4, false),
                         Together({Text(1, 1, "123456.789"), Text(3, 4, "<B>12</B>"), Text(5, 9, "Wide text")}),
                         Together({Text(1, 1, "8"), Text(3, 4, "1"), Text(5, 9, "<I>x</I>"), Text(1, 0, "Value")})}},
        TextRepaintCase{"WholePacket",
                        {[](TCellGrid& grid) {
                           for (int i = 0; i < 60; ++i) grid.SetCells(1 + 2 * (i / 20), 1 + i % 20, std::to_string(i * 7919) + ".5");
                         },
                         [](TCellGrid& grid) {
                           for (int i = 0; i < 60; ++i) grid.SetCells(1 + 2 * (i / 20), 1 + i % 20, std::to_string(i % 7));
                         }}}),
    [](const testing::TestParamInfo<TextRepaintCase>& info) { return std::string(info.param.name); });

// The narrowing must not silently vanish: a new value repaints a strip of its cell, a packet of them
// far less than their cells, and switched off the whole cells again.
TEST_F(CellGridTextRepaintTest, AValueChangeRepaintsLessThanItsCell) {
  TPaintedPixels painted(grid.viewport());
  const QRect cell = grid.CellRect(3, 5);
  const long long cellArea = 1LL * cell.width() * cell.height();
  grid.SetCells(3, 5, "1234.5");
  Settle();
  const long long one = painted.Take();
  EXPECT_GT(one, 0);
  EXPECT_LE(one, cellArea / 2);

  for (int i = 0; i < 60; ++i) grid.SetCells(1 + 2 * (i / 20), 1 + i % 20, std::to_string(1000 + i) + ".5");
  Settle();
  EXPECT_LE(painted.Take(), 60 * cellArea / 2);
  EXPECT_EQ(grid.CellsInLastPaintPass(), 60);

  grid.SetNarrowTextRepaints(false);
  grid.SetCells(3, 5, "1");
  Settle();
  EXPECT_EQ(painted.Take(), cellArea);
}

}  // namespace
