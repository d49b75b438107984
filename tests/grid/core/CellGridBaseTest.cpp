#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "grid/core/CellGridBase.h"
#include "grid/core/CellStyle.h"
#include "tests/grid/core/SystemGrid.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

constexpr TColor kValueColor = 0x8CF0F9;
constexpr TColor kDescriptionColor = 0xFDF8C3;

// Records every invalidation the store asks for.
class TRecordingGrid : public TCellGridBase {
 public:
  std::vector<std::string> Log;
  int CountsChangedCalls = 0;
  void RepaintCell(int c, int r) override { Log.push_back("cell " + std::to_string(c) + "," + std::to_string(r)); }
  void RepaintRow(int r) override { Log.push_back("row " + std::to_string(r)); }
  void RepaintCol(int c) override { Log.push_back("col " + std::to_string(c)); }
  void RepaintGrid() override { Log.push_back("grid"); }

 protected:
  void CountsChanged() override { ++CountsChangedCalls; }
};

TEST(CellStore, ReadsNeverCreateEntriesOrRecords) {
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  const std::size_t headerCells = grid.StoredCellCount();
  EXPECT_EQ(grid.Objects(2, 5), 0);
  EXPECT_EQ(grid.Cells(2, 5), "");
  EXPECT_EQ(grid.Cells(1000000, 1000000), "");
  EXPECT_EQ(grid.FindCellProperties(2, 5), nullptr);
  EXPECT_FALSE(grid.HasCellProperties(2, 5));
  EXPECT_EQ(grid.StoredCellCount(), headerCells);
}

TEST(CellStore, TagOnEmptyCellCreatesSnapshottedRecordAndKeepsEmptyText) {
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  grid.SetObjects(3, 1, 7);
  EXPECT_EQ(grid.Objects(3, 1), 7);
  EXPECT_EQ(grid.Cells(3, 1), "");
  ASSERT_TRUE(grid.HasCellProperties(3, 1));
  EXPECT_EQ(grid.GetCellProperties(3, 1)->BrushColor(), clBtnFace);

  grid.SetObjects(4, 2, 0);  // 0 still creates the record
  EXPECT_TRUE(grid.HasCellProperties(4, 2));
}

struct SnapshotCase {
  const char* name;
  int col, row;
  TColor brush;
  TFontDesc font;
};

void PrintTo(const SnapshotCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class CreationSnapshot : public testing::TestWithParam<SnapshotCase> {};

TEST_P(CreationSnapshot, CopiesTheCellsLookAsPaintingComputesIt) {
  const SnapshotCase& c = GetParam();
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  const TCellProperties& p = *grid.GetCellProperties(c.col, c.row);
  EXPECT_EQ(p.OwnerCol, c.col);
  EXPECT_EQ(p.OwnerRow, c.row);
  EXPECT_EQ(p.CellObject, 0);
  EXPECT_EQ(p.BrushColor(), c.brush);
  EXPECT_EQ(p.BrushColorTo(), clNone);
  EXPECT_EQ(p.FontName, c.font.Name);
  EXPECT_EQ(p.FontSize, c.font.Size);
  EXPECT_EQ(p.FontStyle, c.font.Style);
  EXPECT_EQ(p.FontColor, c.font.Color);
  EXPECT_EQ(p.Alignment, taLeftJustify);
  EXPECT_EQ(p.VAlignment(), vtaTop);
  EXPECT_TRUE(p.WordWrap());
  EXPECT_EQ(p.GradientDirection, 0);
  EXPECT_TRUE(p.IsBaseCell);
  EXPECT_EQ(p.CellSpanX, -1);
  EXPECT_EQ(p.CellSpanY, -1);
  EXPECT_EQ(p.BorderWidth, 0);
  EXPECT_EQ(p.BorderColor, 0u);
  EXPECT_FALSE(p.ReadOnly);
  EXPECT_EQ(p.CellGraphic, nullptr);

  // Taken once: later grid changes do not reach the record.
  grid.ChangeLook([](TGridLook& look) {
    look.Color = clWhite;
    look.FixedColor = clWhite;
    look.Font.Name = look.FixedFont.Name = "Courier";
  });
  EXPECT_EQ(grid.GetCellProperties(c.col, c.row)->BrushColor(), c.brush);
  EXPECT_EQ(grid.GetCellProperties(c.col, c.row)->FontName, c.font.Name);
}

INSTANTIATE_TEST_SUITE_P(
    SystemGrid, CreationSnapshot,
    testing::Values(SnapshotCase{"NormalRow", 1, 1, clBtnFace, {"Arial", 10, 0, clWindowText}},
                    SnapshotCase{"LastRow", 5, 20, clBtnFace, {"Arial", 10, 0, clWindowText}},
                    SnapshotCase{"HeaderRow", 2, 0, orlex::app::kPidGridFixedColor, {"Arial", 8, 0, clWindowText}},
                    // Beyond the counts the cell is still a normal one.
                    SnapshotCase{"BeyondCounts", 40, 300, clBtnFace, {"Arial", 10, 0, clWindowText}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CellStore, SnapshotIgnoresTheSelection) {
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  ASSERT_EQ(grid.Col(), 0);
  ASSERT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.GetCellProperties(0, 1)->BrushColor(), clBtnFace);
}

TEST(CellStore, EmptyTextRemovesEntryButNotRecord) {
  TCellGridBase grid;
  grid.SetCells(1, 1, "a");
  grid.SetCells(1, 1, "");
  EXPECT_EQ(grid.StoredCellCount(), 0u);

  grid.SetCells(2, 2, "b");
  grid.SetObjects(2, 2, 9);
  grid.SetCells(2, 2, "");
  EXPECT_EQ(grid.Objects(2, 2), 9);
  EXPECT_EQ(grid.StoredCellCount(), 1u);

  grid.ClearCellProperties(2, 2);
  EXPECT_EQ(grid.Objects(2, 2), 0);
  EXPECT_EQ(grid.StoredCellCount(), 0u);

  grid.SetCells(3, 3, "kept");
  grid.SetObjects(3, 3, 4);
  grid.ClearCellProperties(3, 3);
  EXPECT_EQ(grid.Cells(3, 3), "kept");
  EXPECT_FALSE(grid.HasCellProperties(3, 3));
}

struct ColumnColorCase {
  const char* name;
  TColor color;
  bool recordsRemain;
};

void PrintTo(const ColumnColorCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ColumnColor : public testing::TestWithParam<ColumnColorCase> {};

TEST_P(ColumnColor, ChangesScrollableRowsOnlyAndClNoneDropsRecords) {
  const ColumnColorCase& c = GetParam();
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  StartUpClear(grid);
  grid.SetCells(1, 5, "12.5");
  grid.SetObjects(1, 5, 7);
  grid.GetCellProperties(1, 6)->FontSize = 20;

  grid.SetColumnColor(1, c.color);

  for (int r = 1; r <= 20; ++r) {
    ASSERT_EQ(grid.HasCellProperties(1, r), c.recordsRemain) << "row " << r;
    if (c.recordsRemain) {
      EXPECT_EQ(grid.GetCellProperties(1, r)->BrushColor(), c.color) << "row " << r;
    }
  }
  EXPECT_EQ(grid.Cells(1, 5), "12.5");
  EXPECT_EQ(grid.Objects(1, 5), c.recordsRemain ? 7 : 0);
  // The whole record goes with clNone, font settings included.
  EXPECT_EQ(grid.HasCellProperties(1, 6), c.recordsRemain);
  // The header row and the neighbouring columns are untouched.
  EXPECT_FALSE(grid.HasCellProperties(1, 0));
  EXPECT_EQ(grid.Cells(1, 0), "Value");
  EXPECT_EQ(grid.GetCellProperties(2, 5)->BrushColor(), kDescriptionColor);
  TGridDrawState state = 0;
  EXPECT_EQ(ResolveCellStyle(grid, 1, 0, true, state).BrushColor, orlex::app::kPidGridFixedColor);
}

INSTANTIATE_TEST_SUITE_P(Colors, ColumnColor,
                         testing::Values(ColumnColorCase{"RealColor", 0x0000FF, true},
                                         ColumnColorCase{"SystemColor", clInfoBk, true},
                                         ColumnColorCase{"None", clNone, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct HeaderCase {
  const char* name;
  int fixedRows;
  std::vector<std::string> headers;
  std::vector<std::string> row0;  // expected Cells(0..7, 0)
};

void PrintTo(const HeaderCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ColumnHeaders : public testing::TestWithParam<HeaderCase> {};

TEST_P(ColumnHeaders, AssignmentClearsRowZeroThenApplies) {
  const HeaderCase& c = GetParam();
  TCellGridBase grid;
  grid.SetColCount(6);
  grid.SetRowCount(21);
  grid.SetFixedCols(0);
  grid.SetFixedRows(c.fixedRows);
  for (int i = 0; i < 8; ++i) grid.SetCells(i, 0, "old" + std::to_string(i));
  grid.SetColumnHeaders(c.headers);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(grid.Cells(i, 0), c.row0[i]) << "column " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ColumnHeaders,
    testing::Values(
        HeaderCase{"LongerThanColumns", 1, {"a", "b", "c", "d", "e", "f", "g", "h"},
                   {"a", "b", "c", "d", "e", "f", "old6", "old7"}},
        HeaderCase{"ShorterThanColumns", 1, {"a", "b"}, {"a", "b", "", "", "", "", "old6", "old7"}},
        HeaderCase{"NoFixedRow", 0, {"a", "b", "c"},
                   {"old0", "old1", "old2", "old3", "old4", "old5", "old6", "old7"}},
        HeaderCase{"BackslashN", 1, {"Two\\nLines", "a\\\\nb", "end\\", "\\n\\n"},
                   {"Two\rLines", "a\\\rb", "end\\", "\r\r", "", "", "old6", "old7"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColumnHeadersEdit, InPlaceChangeAndLoadingApplyWithoutClearing) {
  TCellGridBase grid;
  grid.SetColCount(4);
  grid.SetColumnHeaders({"a", "b", "c", "d"});
  grid.EditColumnHeaders([](std::vector<std::string>& list) { list.resize(2); list[1] = "B"; });
  EXPECT_EQ(grid.Cells(0, 0), "a");
  EXPECT_EQ(grid.Cells(1, 0), "B");
  EXPECT_EQ(grid.Cells(2, 0), "c");  // columns beyond the list keep their text
  grid.SetCells(0, 0, "typed");
  grid.Loaded();
  EXPECT_EQ(grid.Cells(0, 0), "a");
  EXPECT_EQ(grid.Cells(3, 0), "d");
}

TEST(Counts, DefaultsOfANewGrid) {
  TCellGridBase grid;
  EXPECT_EQ(std::tuple(grid.ColCount(), grid.RowCount(), grid.FixedCols(), grid.FixedRows()),
            std::tuple(5, 10, 1, 1));
  EXPECT_EQ(std::tuple(grid.Col(), grid.Row(), grid.AnchorCol(), grid.AnchorRow(), grid.LeftCol(), grid.TopRow()),
            std::tuple(1, 1, 1, 1, 1, 1));
  EXPECT_TRUE(grid.Look().WordWrap);
  EXPECT_TRUE(grid.ColumnHeaders().empty());
}

TEST(Counts, RowCountZeroGivesOneRowAndLowersFixedRows) {
  TRecordingGrid grid;
  ConfigureSystemGrid(grid);
  grid.SetCurrentCell(3, 7);
  grid.SetRowCount(0);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(std::tuple(grid.Col(), grid.Row()), std::tuple(0, 0));
  EXPECT_EQ(grid.Cells(1, 0), "Value");
  grid.SetColCount(-5);
  EXPECT_EQ(grid.ColCount(), 1);
  EXPECT_EQ(grid.FixedCols(), 0);
}

TEST(Counts, ShrinkAndGrowKeepsTextsAndRecords) {
  TRecordingGrid grid;
  ConfigureSystemGrid(grid);
  for (int r = 1; r <= 20; ++r) {
    grid.SetCells(2, r, "row" + std::to_string(r));
    grid.SetObjects(2, r, r);
  }
  grid.SetCurrentCell(4, 15);
  grid.SetAnchor(4, 15);
  const int hookCalls = grid.CountsChangedCalls;
  grid.Log.clear();

  grid.SetRowCount(10);
  EXPECT_EQ(grid.CountsChangedCalls, hookCalls + 1);
  EXPECT_EQ(grid.Log, std::vector<std::string>{"grid"});
  EXPECT_EQ(std::tuple(grid.Col(), grid.Row(), grid.AnchorCol(), grid.AnchorRow()), std::tuple(4, 9, 4, 9));
  EXPECT_EQ(grid.FixedRows(), 1);

  grid.SetRowCount(21);
  for (int r = 1; r <= 20; ++r) {
    EXPECT_EQ(grid.Cells(2, r), "row" + std::to_string(r));
    EXPECT_EQ(grid.Objects(2, r), r);
  }
  EXPECT_EQ(grid.MaxRowCount(), 21);
}

struct FixedErrorCase {
  const char* name;
  std::function<void(TCellGridBase&)> act;
  const char* message;
};

void PrintTo(const FixedErrorCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class FixedCountErrors : public testing::TestWithParam<FixedErrorCase> {};

TEST_P(FixedCountErrors, FailWithTheGridTextAndChangeNothing) {
  const FixedErrorCase& c = GetParam();
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  grid.SetCurrentCell(3, 4);
  grid.SetAnchor(2, 6);
  grid.SetTopLeft(1, 2);
  try {
    c.act(grid);
    FAIL() << "no error";
  } catch (const TGridError& e) {
    EXPECT_STREQ(e.what(), c.message);
  }
  EXPECT_EQ(std::tuple(grid.ColCount(), grid.RowCount(), grid.FixedCols(), grid.FixedRows()),
            std::tuple(6, 21, 0, 1));
  EXPECT_EQ(std::tuple(grid.Col(), grid.Row(), grid.AnchorCol(), grid.AnchorRow(), grid.LeftCol(), grid.TopRow()),
            std::tuple(3, 4, 2, 6, 1, 2));
}

INSTANTIATE_TEST_SUITE_P(
    Setters, FixedCountErrors,
    testing::Values(
        FixedErrorCase{"NegativeRows", [](TCellGridBase& g) { g.SetFixedRows(-1); }, "Grid index out of range"},
        FixedErrorCase{"NegativeCols", [](TCellGridBase& g) { g.SetFixedCols(-1); }, "Grid index out of range"},
        FixedErrorCase{"RowsEqualCount", [](TCellGridBase& g) { g.SetFixedRows(21); },
                       "Fixed row count must be less than row count"},
        FixedErrorCase{"ColsBeyondCount", [](TCellGridBase& g) { g.SetFixedCols(9); },
                       "Fixed column count must be less than column count"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Counts, FixedCountSetResetsCurrentAnchorAndTopLeft) {
  TCellGridBase grid;
  ConfigureSystemGrid(grid);
  grid.SetCurrentCell(3, 4);
  grid.SetAnchor(2, 6);
  grid.SetTopLeft(1, 2);
  grid.SetFixedCols(2);
  EXPECT_EQ(std::tuple(grid.Col(), grid.Row(), grid.AnchorCol(), grid.AnchorRow(), grid.LeftCol(), grid.TopRow()),
            std::tuple(2, 1, 2, 1, 2, 1));
}

TEST(Repaint, SettersInvalidateWhatTheyChange) {
  TRecordingGrid grid;
  ConfigureSystemGrid(grid);
  grid.Log.clear();
  grid.SetCells(2, 3, "x");
  TCellProperties* p = grid.GetCellProperties(4, 5);  // creating repaints nothing
  p->Alignment = taCenter;
  p->FontSize = 14;
  p->SetBrushColor(clRed);
  p->SetBrushColorTo(clBlue);
  p->SetVAlignment(vtaBottom);
  p->SetWordWrap(false);
  grid.ClearCellProperties(4, 5);
  grid.SetColumnColor(3, clRed);
  std::vector<std::string> expected{"cell 2,3", "cell 4,5", "cell 4,5", "cell 4,5", "cell 4,5", "cell 4,5"};
  for (int r = 1; r <= 20; ++r) expected.push_back("cell 3," + std::to_string(r));
  expected.push_back("col 3");
  EXPECT_EQ(grid.Log, expected);
}

TEST(CellStore, ACellCoveredByAMergedBlockReadsAndWritesAtItsBaseCell) {
  TRecordingGrid grid;
  ConfigureSystemGrid(grid);
  grid.SetCells(2, 3, "base");
  TCellProperties* covered = grid.GetCellProperties(3, 4);
  covered->IsBaseCell = false;
  covered->CellSpanX = 1;
  covered->CellSpanY = 1;
  EXPECT_EQ(grid.Cells(3, 4), "base");
  grid.Log.clear();
  grid.SetCells(3, 4, "new");
  EXPECT_EQ(grid.Cells(2, 3), "new");
  EXPECT_EQ(grid.Log, (std::vector<std::string>{"cell 2,3"}));
  grid.SetCells(3, 4, "new");  // the base cell holds it already
  EXPECT_EQ(grid.Log.size(), 1u);
  // Without both spans the record does not redirect.
  covered->CellSpanY = -1;
  EXPECT_EQ(grid.Cells(3, 4), "");
  grid.SetCells(3, 4, "own");
  EXPECT_EQ(grid.Cells(3, 4), "own");
  EXPECT_EQ(grid.Cells(2, 3), "new");
}

TEST(Repaint, WritingTheTextACellAlreadyHoldsRepaintsNothing) {
  TRecordingGrid grid;
  ConfigureSystemGrid(grid);
  const std::size_t headerCells = grid.StoredCellCount();
  grid.SetCells(2, 3, "x");
  grid.Log.clear();
  grid.SetCells(2, 3, "x");
  grid.SetCells(4, 4, "");  // empty stays empty
  EXPECT_TRUE(grid.Log.empty());
  EXPECT_EQ(grid.StoredCellCount(), headerCells + 1);
  grid.SetCells(2, 3, "y");
  grid.SetCells(2, 3, "");
  EXPECT_EQ(grid.Log, (std::vector<std::string>{"cell 2,3", "cell 2,3"}));
  EXPECT_EQ(grid.Cells(2, 3), "");
  EXPECT_EQ(grid.StoredCellCount(), headerCells);
}

TEST(Destruction, FreesEveryRecordAndItsGraphic) {
  static int alive = 0;
  struct TCountedGraphic : TCellGraphic {
    TCountedGraphic() { ++alive; }
    ~TCountedGraphic() override { --alive; }
  };
  {
    TCellGridBase grid;
    grid.GetCellProperties(1, 1)->CellGraphic = std::make_unique<TCountedGraphic>();
    // Written beyond every count the grid ever had: freed too.
    grid.GetCellProperties(500, 900)->CellGraphic = std::make_unique<TCountedGraphic>();
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0);
}

// The look changes through one setter, and a change repaints the whole grid once; setting the look it
// already has repaints nothing.
TEST(GridLook, AChangeRepaintsTheGridOnce) {
  TRecordingGrid grid;
  grid.ChangeLook([](TGridLook& look) {
    look.Color = clWhite;
    look.GridLineWidth = 2;
  });
  EXPECT_EQ(grid.Look().Color, clWhite);
  EXPECT_EQ(grid.Look().GridLineWidth, 2);
  EXPECT_EQ(grid.Log, std::vector<std::string>{"grid"});
  grid.Log.clear();
  grid.SetLook(grid.Look());
  grid.ChangeLook([](TGridLook& look) { look.Color = clWhite; });
  EXPECT_TRUE(grid.Log.empty());
}

}  // namespace
