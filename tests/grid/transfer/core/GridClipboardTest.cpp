#include "grid/transfer/core/GridClipboard.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/core/CellGridBase.h"
#include "tests/grid/core/SystemGrid.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

// A grid of the main window's shape with editing on, as a grid with the clipboard keys would be.
class ClipboardGridTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGrid(grid);
    grid.ChangeLook([](TGridLook& look) { look.Options |= goEditing; });
  }
  TCellGridBase grid;
  const TGridSizeAccess noSizes;
};

// ---- Copied text ----

struct TCopyCase {
  const char* name;
  std::vector<std::string> cells;  // row by row from (1, 1), as many columns as the block is wide
  TGridRect block;
  bool htmlTags;
  std::string expected;
};

void PrintTo(const TCopyCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class CopiedTextTest : public ClipboardGridTest, public testing::WithParamInterface<TCopyCase> {};

TEST_P(CopiedTextTest, BlockBecomesTabAndLineSeparatedText) {
  const TCopyCase& c = GetParam();
  const int width = c.block.Right - c.block.Left + 1;
  for (std::size_t i = 0; i < c.cells.size(); ++i) {
    grid.SetCells(c.block.Left + static_cast<int>(i) % width, c.block.Top + static_cast<int>(i) / width, c.cells[i]);
  }
  grid.Navigation.CopyHTMLTagsToClipboard = c.htmlTags;
  EXPECT_EQ(ClipCopyContents(grid, c.block, noSizes, 0).Text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopiedTextTest,
    testing::Values(
        TCopyCase{"single_cell_has_no_separator", {"abc"}, {1, 1, 1, 1}, true, "abc"},
        TCopyCase{"two_by_two_ends_every_row", {"a", "b", "c", "d"}, {1, 1, 2, 2}, true, "a\tb\r\nc\td\r\n"},
        TCopyCase{"one_row_keeps_empty_last_cell", {"a", ""}, {1, 1, 2, 1}, true, "a\t"},
        TCopyCase{"line_break_is_quoted_without_cr", {"x\r\ny"}, {1, 1, 1, 1}, true, "\"x\ny\""},
        TCopyCase{"html_tags_kept", {"<B>x</B>"}, {1, 1, 1, 1}, true, "<B>x</B>"},
        TCopyCase{"html_tags_stripped", {"<B>x</B>"}, {1, 1, 1, 1}, false, "x"},
        TCopyCase{"italic_alone_is_html", {"<I>x"}, {1, 1, 1, 1}, false, "x"},
        TCopyCase{"lower_case_tag_is_not_looked_for", {"<b>x"}, {1, 1, 1, 1}, false, "<b>x"},
        // A stripped <BR> is a line break, quoted like any other, so the block keeps its one row.
        TCopyCase{"stripped_break_is_quoted", {"<B>a</B><BR>b", "c"}, {1, 1, 2, 1}, false, "\"a\nb\"\tc"},
        TCopyCase{"rich_text_gives_plain_text", {"{\\rtf1 a\\par b}"}, {1, 1, 1, 1}, true, "\"a\nb\""}),
    [](const testing::TestParamInfo<TCopyCase>& info) { return std::string(info.param.name); });

TEST_F(ClipboardGridTest, CheckBoxCellsCopyTheirStateThroughTheirEvents) {
  grid.GetCellProperties(1, 1)->CellGraphic = std::make_unique<TCellCheckBox>(true);
  grid.GetCellProperties(2, 1)->CellGraphic = std::make_unique<TCellCheckBox>(false);
  grid.GetCellProperties(3, 1)->CellGraphic = std::make_unique<TCellCheckBox>(true);
  grid.SetCells(3, 1, "own text");
  EXPECT_EQ(ClipboardText(grid, {1, 1, 3, 1}), "Y\tN\town text");

  std::vector<std::string> calls;
  grid.OnGetCheckTrue = [&](TCellGridBase&, int col, int row, std::string& v) {
    calls.push_back("true " + std::to_string(col) + "," + std::to_string(row));
    v = "yes";
  };
  grid.OnGetCheckFalse = [&](TCellGridBase&, int, int, std::string& v) { v = "no"; };
  grid.OnSaveCell = [&](TCellGridBase&, int col, int, std::string& v) {
    if (col == 2) v += "!";
  };
  EXPECT_EQ(ClipboardText(grid, {1, 1, 3, 1}), "yes\tno!\town text");
  EXPECT_EQ(calls, std::vector<std::string>{"true 1,1"});

  // Pasting the state texts back sets the boxes; the text of the cell stays empty.
  EXPECT_EQ(grid.PasteTextBlock(1, 1, "N\tY"), 2);
  EXPECT_FALSE(grid.CheckBoxAt(1, 1)->Checked);
  EXPECT_TRUE(grid.CheckBoxAt(2, 1)->Checked);
  EXPECT_EQ(grid.Cells(1, 1), "");
}

TEST_F(ClipboardGridTest, MultiLineValueComesBackWithItsLineFeed) {
  grid.SetCells(1, 1, "x\r\ny");
  grid.SetCells(2, 1, "z");
  const TClipboardContents copy = ClipCopyContents(grid, {1, 1, 2, 1}, noSizes, 0);
  EXPECT_EQ(ClipPasteContents(grid, 1, 5, copy, noSizes), 2);
  EXPECT_EQ(grid.Cells(1, 5), "x\ny");
  EXPECT_EQ(grid.Cells(2, 5), "z");
}

TEST_F(ClipboardGridTest, OnlyTheFormatsTheSettingsAskForAreOffered) {
  grid.SetCells(1, 1, "{\\rtf1 rich}");
  TClipboardContents plain = ClipCopyContents(grid, {1, 1, 1, 1}, noSizes, 0);
  EXPECT_FALSE(plain.RichText);
  EXPECT_FALSE(plain.Cells);

  grid.Navigation.AllowRTFClipboard = true;
  grid.Navigation.AllowFmtClipboard = true;
  TClipboardContents all = ClipCopyContents(grid, {1, 1, 2, 2}, noSizes, 0);
  EXPECT_EQ(all.Text, "rich\t\r\n\t\r\n");
  EXPECT_EQ(all.RichText, "{\\rtf1 rich}");
  EXPECT_TRUE(all.Cells);

  // Rich text is offered only for a top-left cell that holds some.
  grid.SetCells(1, 1, "plain");
  EXPECT_FALSE(ClipCopyContents(grid, {1, 1, 1, 1}, noSizes, 0).RichText);
}

// ---- Cut ----

TEST_F(ClipboardGridTest, CutEmptiesTextsAndKeepsRecordsUnlessTheOwnFormatIsOn) {
  const auto fill = [&] {
    for (int col : {1, 2}) {
      grid.SetCells(col, 1, "t" + std::to_string(col));
      grid.SetObjects(col, 1, 40 + col);
      grid.GetCellProperties(col, 1)->SetBrushColor(0x00FF00);
    }
  };
  grid.ChangeLook([](TGridLook& look) { look.Options &= ~goEditing; });
  grid.Navigation.AllowClipboardAlways = true;
  fill();
  ClipCutClear(grid, {1, 1, 2, 1});
  EXPECT_EQ(grid.Cells(1, 1), "");
  EXPECT_EQ(grid.Cells(2, 1), "");
  EXPECT_EQ(grid.Objects(2, 1), 42);
  EXPECT_EQ(grid.FindCellProperties(1, 1)->BrushColor(), 0x00FF00u);

  grid.Navigation.AllowFmtClipboard = true;
  fill();
  ClipCutClear(grid, {1, 1, 2, 1});
  EXPECT_EQ(grid.Cells(1, 1), "");
  EXPECT_FALSE(grid.HasCellProperties(1, 1));
  EXPECT_FALSE(grid.HasCellProperties(2, 1));
}

TEST_F(ClipboardGridTest, CutLeavesTheTextOfCellsThatCannotBeWritten) {
  grid.Navigation.AllowClipboardAlways = false;
  grid.SetCells(1, 1, "locked");
  grid.GetCellProperties(1, 1)->ReadOnly = true;
  grid.SetCells(2, 1, "free");
  ClipCutClear(grid, {1, 1, 2, 1});
  EXPECT_EQ(grid.Cells(1, 1), "locked");
  EXPECT_EQ(grid.Cells(2, 1), "");
}

// ---- Paste ----

TEST_F(ClipboardGridTest, ThreeColumnsPastedAtTheLastColumnAddTwo) {
  TClipboardContents contents;
  contents.Text = "a\tb\tc";
  EXPECT_EQ(ClipPasteContents(grid, 5, 2, contents, noSizes), 3);
  EXPECT_EQ(grid.ColCount(), 8);
  EXPECT_EQ(grid.Cells(7, 2), "c");
}

TEST_F(ClipboardGridTest, PasteTakesTheBestFormatTheSettingsAllow) {
  grid.SetCells(1, 1, "mine");
  grid.Navigation.AllowFmtClipboard = true;
  TClipboardContents contents = ClipCopyContents(grid, {1, 1, 1, 1}, noSizes, 0);
  contents.Text = "text";
  contents.RichText = std::string("{\\rtf1 r}") + '\0' + "after the NUL";

  grid.Navigation.AllowFmtClipboard = false;
  EXPECT_EQ(ClipPasteContents(grid, 2, 2, contents, noSizes), 1);
  EXPECT_EQ(grid.Cells(2, 2), "text");

  grid.Navigation.AllowRTFClipboard = true;
  EXPECT_EQ(ClipPasteContents(grid, 2, 3, contents, noSizes), 0);
  EXPECT_EQ(grid.Cells(2, 3), "{\\rtf1 r}");
  // Rich text goes only into an editable cell: a header cell is not.
  EXPECT_EQ(ClipPasteContents(grid, 2, 0, contents, noSizes), 0);
  EXPECT_EQ(grid.Cells(2, 0), "Description");

  grid.Navigation.AllowFmtClipboard = true;
  EXPECT_EQ(ClipPasteContents(grid, 2, 4, contents, noSizes), 1);
  EXPECT_EQ(grid.Cells(2, 4), "mine");

  EXPECT_EQ(ClipPasteContents(grid, 2, 5, TClipboardContents{}, noSizes), 0);
  EXPECT_EQ(grid.Cells(2, 5), "");
}

TEST_F(ClipboardGridTest, PasteStartsAtTheSelectionsTopLeft) {
  grid.SetCurrentCell(3, 4);
  grid.SetAnchor(2, 6);
  int col = -1;
  int row = -1;
  ClipPasteCell(grid, col, row);
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(2, 4));
  grid.SetFixedCols(1);
  grid.SetCurrentCell(3, 4);
  grid.SetAnchor(3, 4);
  grid.ChangeLook([](TGridLook& look) { look.Options |= goRowSelect; });
  ClipPasteCell(grid, col, row);
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(1, 4));
}

}  // namespace
