#include "grid/transfer/core/GridCellsFormat.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "grid/core/CellGridBase.h"
#include "grid/core/CellTextBlock.h"
#include "grid/transfer/core/GridClipboard.h"
#include "tests/grid/core/SystemGrid.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

// Small record builders for blocks no grid writes (docs/Transfer.md's encoding).
std::string Name(const std::string& name) { return char(name.size()) + name; }
std::string Le(std::uint64_t v, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
  return out;
}
std::string Int(const std::string& name, std::int32_t v) { return Name(name) + 'i' + Le(std::uint32_t(v), 4); }
std::string Word(const std::string& name, std::uint16_t v) { return Name(name) + 'w' + Le(v, 2); }
std::string Bool(const std::string& name, bool v) { return Name(name) + 'b' + char(v); }
std::string Str(const std::string& name, const std::string& v) { return Name(name) + 's' + Le(v.size(), 4) + v; }
std::string Record(const std::string& type, const std::string& props) { return Name(type) + props + '\0'; }
std::string Header(const std::string& props) { return Record("TGridPropIO", props); }
std::string Cell(std::uint16_t col, std::uint16_t row, const std::string& text, const std::string& more = "") {
  return Record("TGridCellIO", Word("Col", col) + Word("Row", row) + Str("Cell", text) + more);
}

// Two grids of the main window's shape that take pastes, with recorded pixel sizes.
class GridCellsFormatTest : public testing::Test {
 protected:
  void SetUp() override {
    for (TCellGridBase* g : {&source, &target}) {
      ConfigureSystemGrid(*g);
      g->Navigation.AllowClipboardAlways = true;
      g->Navigation.AllowFmtClipboard = true;
    }
    sizes.ColWidth = [](int col) { return 100 + col; };
    sizes.RowHeight = [](int row) { return 20 + row; };
    sizes.SetColWidth = [this](int col, int width) { widths[col] = width; };
    sizes.SetRowHeight = [this](int row, int height) { heights[row] = height; };
  }
  std::string Copy(const TGridRect& block) { return *WriteGridCells(source, block, sizes, 77); }
  int Paste(const std::string& bytes, int col, int row) {
    TClipboardContents contents;
    contents.Cells = bytes;
    contents.Text = "plain text is not used while the own format is on";
    return ClipPasteContents(target, col, row, contents, sizes);
  }
  // Every cell's text and record of the target, to see that a refused paste changed nothing.
  std::string Snapshot() const {
    std::string out = std::to_string(target.ColCount()) + "x" + std::to_string(target.RowCount()) + ";";
    for (int r = 0; r < target.RowCount(); ++r)
      for (int c = 0; c < target.ColCount(); ++c) {
        out += target.Cells(c, r) + "|";
        if (const TCellProperties* p = target.FindCellProperties(c, r)) out += std::to_string(p->BrushColor()) + "|";
      }
    return out;
  }

  TCellGridBase source;
  TCellGridBase target;
  TGridSizeAccess sizes;
  std::map<int, int> widths;
  std::map<int, int> heights;
};

TEST_F(GridCellsFormatTest, TextsAndPropertyRecordsTravelBetweenGrids) {
  // Top-left cell of the block empty, and the first non-empty cell right of a later one: the block
  // must land in its own shape all the same.
  source.SetCells(3, 2, "b");
  source.SetCells(2, 3, "c");
  TCellProperties& p = *source.GetCellProperties(3, 3);
  p.SetBrushColor(0x123456);
  p.FontColor = 0xFF000008;
  p.FontStyle = fsBold | fsItalic;
  p.FontSize = 14;
  p.FontName = "Liberation Sans";
  p.Alignment = taCenter;
  p.SetVAlignment(vtaBottom);
  p.SetWordWrap(true);
  p.ReadOnly = true;
  p.CellObject = -7;
  source.SetCells(3, 3, "d\r\nwith a line break");

  const std::string bytes = Copy({2, 2, 3, 3});
  const std::optional<TGridCellsBlock> block = ReadGridCells(bytes);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->ColWidths, (std::vector<int>{102, 103}));
  EXPECT_EQ(block->RowHeights, (std::vector<int>{22, 23}));
  EXPECT_EQ(block->ID, 77);

  EXPECT_EQ(Paste(bytes, 4, 10), 4);
  EXPECT_EQ(target.Cells(4, 10), "");
  EXPECT_EQ(target.Cells(5, 10), "b");
  EXPECT_EQ(target.Cells(4, 11), "c");
  EXPECT_EQ(target.Cells(5, 11), "d\r\nwith a line break");
  const TCellProperties* q = target.FindCellProperties(5, 11);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(TCellPropValues::Of(*q), TCellPropValues::Of(p));
  EXPECT_EQ(q->OwnerCol, 5);
  EXPECT_EQ(q->OwnerRow, 11);
  EXPECT_FALSE(target.HasCellProperties(5, 10));
  EXPECT_EQ(target.ColCount(), 6);  // the block fitted
  EXPECT_TRUE(widths.empty());      // sizes are taken only with a whole grid
}

TEST_F(GridCellsFormatTest, AWholeGridReplacesTheTargetWithItsCountsAndSizes) {
  source.SetColCount(3);
  source.SetRowCount(4);
  source.SetCells(2, 3, "corner");
  target.SetCells(5, 20, "old");
  target.SetObjects(4, 20, 9);
  EXPECT_EQ(Paste(Copy({0, 0, 2, 3}), 1, 1), 12);
  EXPECT_EQ(target.ColCount(), 3);
  EXPECT_EQ(target.RowCount(), 4);
  EXPECT_EQ(target.Cells(2, 3), "corner");
  EXPECT_EQ(target.Cells(0, 0), "Description");
  target.SetColCount(6);
  target.SetRowCount(21);
  EXPECT_EQ(target.Cells(5, 20), "");
  EXPECT_FALSE(target.HasCellProperties(4, 20));
  EXPECT_EQ(widths, (std::map<int, int>{{0, 100}, {1, 101}, {2, 102}}));
  EXPECT_EQ(heights, (std::map<int, int>{{0, 20}, {1, 21}, {2, 22}, {3, 23}}));
}

TEST_F(GridCellsFormatTest, AGridThatTakesNoPastesIsLeftAlone) {
  source.SetCells(1, 1, "x");
  target.Navigation.AllowClipboardAlways = false;
  const std::string before = Snapshot();
  EXPECT_EQ(Paste(Copy({1, 1, 1, 1}), 1, 1), 0);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(GridCellsFormatTest, EveryCutShortCopyIsRefusedWithoutAChange) {
  source.SetCells(1, 1, "text");
  source.GetCellProperties(2, 1)->SetBrushColor(0xABCDEF);
  source.GetCellProperties(2, 1)->FontName = "Arial";
  const std::string bytes = Copy({1, 1, 2, 2});
  const std::string before = Snapshot();
  // Records: the header, (1, 1) with its text, (2, 1) with its property record. A cut just after the
  // header or after (1, 1) is itself a complete, smaller block; every other cut is damage.
  int complete = 0;
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    const std::string cut = bytes.substr(0, n);
    if (ReadGridCells(cut)) {
      ++complete;
      continue;
    }
    EXPECT_EQ(Paste(cut, 1, 1), 0) << n;
    ASSERT_EQ(Snapshot(), before) << n;
  }
  EXPECT_EQ(complete, 2);
  EXPECT_TRUE(ReadGridCells(bytes));
}

struct TDamageCase {
  const char* name;
  std::string bytes;
};

void PrintTo(const TDamageCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class DamagedBlockTest : public GridCellsFormatTest, public testing::WithParamInterface<TDamageCase> {};

TEST_P(DamagedBlockTest, IsRefusedWithoutAChange) {
  EXPECT_FALSE(ReadGridCells(GetParam().bytes));
  const std::string before = Snapshot();
  EXPECT_EQ(Paste(GetParam().bytes, 1, 1), 0);
  EXPECT_EQ(Snapshot(), before);
}

const std::string kHeader2x2 = Header(Int("ColCount", 2) + Int("RowCount", 2));

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedBlockTest,
    testing::Values(
        TDamageCase{"empty", ""},
        TDamageCase{"unknown_record", kHeader2x2 + Record("TGridCellXY", Str("Cell", "x"))},
        TDamageCase{"unknown_property", kHeader2x2 + Cell(1, 1, "x", Str("Colour", "red"))},
        TDamageCase{"property_twice", kHeader2x2 + Cell(1, 1, "x", Str("Cell", "y"))},
        TDamageCase{"wrong_type", Header(Name("ColCount") + 'u' + Le(2, 4))},
        TDamageCase{"unknown_type", Header(Name("ColCount") + 'z' + Le(2, 4))},
        TDamageCase{"zero_columns", Header(Int("ColCount", 0))},
        TDamageCase{"negative_rows", Header(Int("RowCount", -3))},
        TDamageCase{"no_header", Cell(1, 1, "x")},
        TDamageCase{"second_header", kHeader2x2 + kHeader2x2},
        TDamageCase{"cell_outside_block", kHeader2x2 + Cell(1, 1, "a") + Cell(3, 1, "b")},
        TDamageCase{"cell_left_of_first", kHeader2x2 + Cell(2, 1, "a") + Cell(1, 2, "b")},
        TDamageCase{"record_announced_but_missing", kHeader2x2 + Cell(1, 1, "x", Bool("HasProp", true))},
        TDamageCase{"record_not_announced", kHeader2x2 + Cell(1, 1, "x") + Record("TGridCellPropIO", "")},
        TDamageCase{"picture_content", kHeader2x2 + Cell(1, 1, "x", Bool("HasProp", true)) +
                                           Record("TGridCellPropIO", Bool("HasGraphic", true))},
        TDamageCase{"alignment_out_of_range", kHeader2x2 + Cell(1, 1, "x", Bool("HasProp", true)) +
                                                  Record("TGridCellPropIO", Int("Alignment", 7))},
        TDamageCase{"merge_out_of_range", kHeader2x2 + Cell(1, 1, "x", Bool("HasProp", true)) +
                                              Record("TGridCellPropIO", Int("CellSpanX", -100))},
        TDamageCase{"bool_not_0_or_1", Header(Name("FullGrid") + 'b' + char(2))},
        TDamageCase{"string_longer_than_data", kHeader2x2 + Record("TGridCellIO", Name("Cell") + 's' + Le(1000, 4) + "x")},
        TDamageCase{"sizes_not_numbers", Header(Int("ColCount", 2) + Str("ColWidths", "64,x"))},
        TDamageCase{"more_sizes_than_columns", Header(Int("ColCount", 2) + Str("ColWidths", "1,2,3"))},
        TDamageCase{"bytes_after_the_last_record", kHeader2x2 + Cell(1, 1, "x") + std::string(1, '\0')}),
    [](const testing::TestParamInfo<TDamageCase>& info) { return std::string(info.param.name); });

TEST_F(GridCellsFormatTest, GrowthIsCappedAsForPastedText) {
  // 6 x 21 grows to C x 21 at (0, 0): 47625 columns add 999,999 cells, 47626 add 1,000,020.
  const std::string before = Snapshot();
  EXPECT_EQ(Paste(Header(Int("ColCount", 47626) + Int("RowCount", 21)) + Cell(0, 0, "x"), 0, 0), 0);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Paste(Header(Int("ColCount", 2000000000) + Int("RowCount", 2000000000)), 0, 0), 0);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Paste(Header(Int("ColCount", 47625) + Int("RowCount", 21)) + Cell(0, 0, "x"), 0, 0), 47625 * 21);
  EXPECT_EQ(target.ColCount(), 47625);
  EXPECT_EQ(target.Cells(0, 0), "x");
  // A whole grid's counts are capped the same way.
  EXPECT_EQ(Paste(Header(Int("ColCount", 1 << 20) + Int("RowCount", 4) + Bool("FullGrid", true)), 0, 0), 0);
  EXPECT_EQ(target.ColCount(), 47625);
}

TEST_F(GridCellsFormatTest, WithoutGrowthOnlyTheCountsStay) {
  target.Navigation.AllowClipboardColGrow = false;
  target.Navigation.AllowClipboardRowGrow = false;
  source.SetCells(1, 1, "a");
  source.SetCells(3, 1, "c");
  EXPECT_EQ(Paste(Copy({1, 1, 3, 1}), 4, 1), 3);
  EXPECT_EQ(target.ColCount(), 6);
  EXPECT_EQ(target.Cells(4, 1), "a");
  EXPECT_EQ(target.Cells(6, 1), "c");  // beyond the counts, as a text paste stores the cell past the edge
}

}  // namespace
