#include "grid/core/CellTextBlock.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "grid/core/CellGridBase.h"
#include "tests/grid/core/SystemGrid.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

struct TSizeCase {
  const char* name;
  std::string text;
  TTextBlockSize expected;
};

void PrintTo(const TSizeCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class TextBlockSizeTest : public testing::TestWithParam<TSizeCase> {};

TEST_P(TextBlockSizeTest, CountsFieldsAndLineSeparatorsLessEmptyLines) {
  EXPECT_EQ(TextBlockSize(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextBlockSizeTest,
                         testing::Values(TSizeCase{"one_cell", "abc", {1, 0}},
                                         TSizeCase{"two_by_two_less_one", "a\tb\r\nc", {2, 1}},
                                         TSizeCase{"trailing_line_end", "abc\r\n", {1, 0}},
                                         TSizeCase{"empty", "", {1, -1}},
                                         TSizeCase{"empty_line_inside", "a\r\n\r\nb", {1, 1}},
                                         TSizeCase{"bare_cr", "a\rb", {1, 1}},
                                         TSizeCase{"widest_line_counts", "a\r\nb\tc\td\r\ne\tf", {3, 2}}),
                         [](const testing::TestParamInfo<TSizeCase>& info) { return std::string(info.param.name); });

// The main window's grid: 6 x 21, editing off, clipboard writes always allowed.
class PasteTextBlockTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGrid(grid);
    grid.Navigation.AllowClipboardAlways = true;
    grid.OnCellsChanged = [this](TCellGridBase&, const TGridRect& rect) { changed.push_back(rect); };
  }
  TCellGridBase grid;
  std::vector<TGridRect> changed;
};

TEST_F(PasteTextBlockTest, WritesTheBlockRowByRowAndCountsTheEmptyLastLine) {
  EXPECT_EQ(grid.PasteTextBlock(2, 3, "a\tb\r\nc\td\r\n"), 5);
  EXPECT_EQ(grid.Cells(2, 3), "a");
  EXPECT_EQ(grid.Cells(3, 3), "b");
  EXPECT_EQ(grid.Cells(2, 4), "c");
  EXPECT_EQ(grid.Cells(3, 4), "d");
  EXPECT_EQ(grid.StoredCellCount(), 4u + 6u);  // and the six headers
  EXPECT_EQ(changed, (std::vector<TGridRect>{{2, 3, 3, 4}}));
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.RowCount(), 21);
}

TEST_F(PasteTextBlockTest, ADraggedDescriptionFillsExactlyOneCell) {
  EXPECT_EQ(grid.PasteTextBlock(4, 20, "Coolant temp"), 1);
  EXPECT_EQ(grid.Cells(4, 20), "Coolant temp");
  EXPECT_EQ(changed, (std::vector<TGridRect>{{4, 20, 4, 20}}));
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.RowCount(), 21);
}

struct TValueCase {
  const char* name;
  std::string field;
  std::string stored;
};

void PrintTo(const TValueCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PastedValueTest : public PasteTextBlockTest, public testing::WithParamInterface<TValueCase> {};

TEST_P(PastedValueTest, QuotedMultiLineValuesLoseTheirQuotes) {
  EXPECT_EQ(grid.PasteTextBlock(1, 1, GetParam().field), 1);
  EXPECT_EQ(grid.Cells(1, 1), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Cases, PastedValueTest,
                         testing::Values(TValueCase{"quoted_two_lines", "\"x\ny\"", "x\ny"},
                                         TValueCase{"vertical_tab_is_cr_lf", "\"x\vy\nz\"", "x\r\ny\nz"},
                                         TValueCase{"single_line_keeps_quotes", "\"a\" b", "\"a\" b"},
                                         TValueCase{"inner_quote_stays", "\"x\ny\"z", "x\ny\"z"}),
                         [](const testing::TestParamInfo<TValueCase>& info) { return std::string(info.param.name); });

TEST_F(PasteTextBlockTest, WithoutEditingOrClipboardPermissionNothingIsWritten) {
  grid.Navigation.AllowClipboardAlways = false;
  EXPECT_EQ(grid.PasteTextBlock(1, 1, "a\tb"), 0);
  EXPECT_EQ(grid.Cells(1, 1), "");
  EXPECT_TRUE(changed.empty());

  // Range-select-and-edit lets the paste run, but cells that cannot be edited are only counted.
  grid.MouseActions.RangeSelectAndEdit = true;
  EXPECT_EQ(grid.PasteTextBlock(1, 1, "a\tb"), 2);
  EXPECT_EQ(grid.Cells(1, 1), "");

  // With editing on, fixed and read-only cells are skipped and still counted.
  grid.ChangeLook([](TGridLook& look) { look.Options |= goEditing; });
  grid.GetCellProperties(2, 1)->ReadOnly = true;
  EXPECT_EQ(grid.PasteTextBlock(1, 0, "h\tx\r\na\tro\tc"), 5);
  EXPECT_EQ(grid.Cells(1, 0), "Value");
  EXPECT_EQ(grid.Cells(1, 1), "a");
  EXPECT_EQ(grid.Cells(2, 1), "");
  EXPECT_EQ(grid.Cells(3, 1), "c");

  EXPECT_EQ(grid.PasteTextBlock(-1, 1, "a"), 0);
  EXPECT_EQ(grid.PasteTextBlock(1, -1, "a"), 0);
}

TEST_F(PasteTextBlockTest, ClipboardPermissionWritesEveryCellInRange) {
  EXPECT_EQ(grid.PasteTextBlock(0, 0, "h0\th1\r\nd\tv"), 4);
  EXPECT_EQ(grid.Cells(0, 0), "h0");  // the header row too: nothing is editable, everything writable
  EXPECT_EQ(grid.Cells(1, 1), "v");
}

TEST_F(PasteTextBlockTest, ColumnsAndRowsGrowToTakeTheBlockWhenAllowed) {
  EXPECT_EQ(grid.PasteTextBlock(5, 19, "a\tb\tc\r\nd\r\ne"), 5);
  EXPECT_EQ(grid.ColCount(), 8);
  EXPECT_EQ(grid.RowCount(), 22);
  EXPECT_EQ(grid.Cells(7, 19), "c");
  EXPECT_EQ(grid.Cells(5, 21), "e");
  EXPECT_EQ(changed, (std::vector<TGridRect>{{5, 19, 7, 21}}));
}

TEST_F(PasteTextBlockTest, WithoutGrowthOnlyTheCellsJustPastTheEdgeAreStored) {
  grid.Navigation.AllowClipboardColGrow = false;
  grid.Navigation.AllowClipboardRowGrow = false;
  EXPECT_EQ(grid.PasteTextBlock(5, 19, "a\tb\tc\r\nd\r\ne\r\nf"), 6);
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.RowCount(), 21);
  EXPECT_EQ(grid.Cells(6, 19), "b");
  EXPECT_EQ(grid.Cells(7, 19), "");
  EXPECT_EQ(grid.Cells(5, 21), "e");
  EXPECT_EQ(grid.Cells(5, 22), "");
}

TEST_F(PasteTextBlockTest, ForeignTextThatWouldGrowTheGridBeyondTheLimitIsRefusedUntouched) {
  const std::string wide(kPasteGrowthLimit / 21 + 10, '\t');  // one line, that many columns
  EXPECT_EQ(grid.PasteTextBlock(0, 1, "first" + wide), 0);
  EXPECT_EQ(grid.Cells(0, 1), "");
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_TRUE(changed.empty());

  EXPECT_EQ(grid.PasteTextBlock(2'000'000'000, 1, "far"), 0);
  EXPECT_EQ(grid.ColCount(), 6);

  std::string tall;
  for (int i = 0; i < 200'000; ++i) tall += "x\r\n";
  EXPECT_EQ(grid.PasteTextBlock(0, 1, tall + "x"), 0);
  EXPECT_EQ(grid.RowCount(), 21);

  // Growth within the limit is taken.
  EXPECT_EQ(grid.PasteTextBlock(0, 1, std::string(1000, '\t')), 1001);
  EXPECT_EQ(grid.ColCount(), 1001);
}

TEST_F(PasteTextBlockTest, BeforePasteEventsMayChangeOrRefuseEachCell) {
  grid.OnClipboardBeforePasteCell = [](TCellGridBase&, int col, int, std::string& value, bool& allow) {
    if (col == 2) allow = false;
    value += "!";
  };
  std::u16string seen;
  grid.OnClipboardBeforePasteWideCell = [&](TCellGridBase&, int, int, std::u16string& value, bool&) {
    seen = value;
    value = u"\u00B0C";
  };
  EXPECT_EQ(grid.PasteTextBlock(1, 1, std::string("a\tb\t|\\\x00" "A", 8)), 3);
  EXPECT_EQ(grid.Cells(1, 1), "a!");
  EXPECT_EQ(grid.Cells(2, 1), "");
  EXPECT_EQ(seen, u"A");
  EXPECT_EQ(grid.Cells(3, 1), std::string("|\\\x00\xB0\x00" "C", 6));
}

TEST_F(PasteTextBlockTest, SelectionTextJoinsCellsWithTabsAndRowsWithCrLf) {
  grid.SetCells(1, 2, "a");
  grid.SetCells(2, 2, "b");
  grid.SetCells(1, 3, "c");
  grid.SetCells(2, 3, "{\\rtf1\\ansi d}");
  grid.SetCurrentCell(1, 2);
  grid.SetAnchor(2, 3);
  EXPECT_EQ(grid.SelectionText(), "a\tb\r\nc\td");
  grid.SetAnchor(1, 2);
  EXPECT_EQ(grid.SelectionText(), "a");

  // Whole rows only with row selection and entire-row drags together.
  struct TEntireRowsGrid : TCellGridBase {
    bool DragsEntireRows() const override { return true; }
  } rows;
  rows.SetCells(0, 1, "d");
  rows.SetCells(4, 1, "v");
  rows.SetCurrentCell(2, 1);
  rows.SetAnchor(2, 1);
  EXPECT_EQ(rows.SelectionText(), "");
  rows.ChangeLook([](TGridLook& look) { look.Options |= goRowSelect; });
  EXPECT_EQ(rows.SelectionText(), "d\t\t\t\tv");

  // What a drag carries pastes back as the same block.
  grid.SetAnchor(2, 3);
  const std::string text = grid.SelectionText();
  EXPECT_EQ(grid.PasteTextBlock(3, 5, text), 4);
  EXPECT_EQ(grid.Cells(4, 6), "d");
}

}  // namespace
