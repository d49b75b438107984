#include "app/core/SlotSwap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/PidGridSetup.h"
#include "app/core/PidRegistry.h"
#include "app/core/SlotLayout.h"
#include "grid/transfer/core/CellRange.h"

#include "tests/support/ParamPrinting.h"

namespace orlex::app {
namespace {

// The main window's grid after start-up, with a few occupied slots; the grid's own part of a drag
// (writing the dropped text, emptying a moved source) is played by hand as the grid does it.
class SlotSwap : public testing::Test {
 protected:
  void SetUp() override {
    ConfigurePidGrid(grid);
    ResetGrid(grid, table);
    Occupy(0, 1, 7, "Engine RPM", "812");
    Occupy(0, 2, 8, "Coolant", "91");
    Occupy(2, 5, 9, "Boost", "1.2");
  }
  void Occupy(int col, int row, int tag, const std::string& text, const std::string& value) {
    grid.SetCells(col, row, text);
    grid.SetCells(col + 1, row, value);
    grid.SetObjects(col, row, tag);
    grid.SetObjects(col + 1, row, tag);
  }
  void Select(int col, int row) {
    grid.SetCurrentCell(col, row);
    grid.SetAnchor(col, row);
  }
  // One whole drag from (sc, sr) to (tc, tr) as the grid runs it; the grid names the cell under the
  // pointer when the drag starts, which is (nc, nr) when given. Returns false when refused.
  bool Drag(int sc, int sr, int tc, int tr, bool copy = false, int nc = -1, int nr = -1) {
    Select(sc, sr);
    if (!SlotDragAllowed(state, grid, nr < 0 ? sr : nr, nc < 0 ? sc : nc)) return false;
    const std::string text = grid.Cells(sc, sr);
    if (!SlotDropAllowed(grid, tr, tc)) return false;  // no drop: the drag is cancelled
    if (RecordSlotDrop(state, grid, tr, tc, text)) grid.SetCells(tc, tr, text);
    if (!copy) grid::ClearCellRange(grid, {sc, sr, sc, sr});
    FinishSlotDrag(state, grid, [this](int row) { sizedRows.push_back(row); });
    return true;
  }
  struct TSlot {
    std::string Text;
    std::string Value;
    std::intptr_t Tag;
    std::intptr_t ValueTag;
    friend bool operator==(const TSlot&, const TSlot&) = default;
  };
  TSlot Slot(int col, int row) const {
    return {grid.Cells(col, row), grid.Cells(col + 1, row), grid.Objects(col, row), grid.Objects(col + 1, row)};
  }
  void ExpectColumnColors() const {
    for (int row = 1; row < grid.RowCount(); ++row)
      for (int col = 0; col < grid.ColCount(); ++col) {
        const grid::TCellProperties* props = grid.FindCellProperties(col, row);
        ASSERT_NE(props, nullptr) << col << "," << row;
        EXPECT_EQ(props->BrushColor(), HexToColor(col % 2 ? kValueColumnColor : kDescriptionColumnColor))
            << col << "," << row;
      }
  }

  grid::TCellGridBase grid;
  TPidTable table;
  TDragState state;
  std::vector<int> sizedRows;
};

TEST_F(SlotSwap, OccupiedOntoOccupiedExchangesTextsAndTagsAndEmptiesBothValues) {
  ASSERT_TRUE(Drag(0, 1, 2, 5));
  EXPECT_EQ(Slot(0, 1), (TSlot{"Boost", "", 9, 9}));
  EXPECT_EQ(Slot(2, 5), (TSlot{"Engine RPM", "", 7, 7}));
  EXPECT_EQ(sizedRows, (std::vector<int>{5, 1}));
  ExpectColumnColors();
  EXPECT_FALSE(state.DropRecorded());
  EXPECT_EQ(state.DragSourceTag, -1);
}

TEST_F(SlotSwap, PointerAlreadyOnTheNextCellWhenTheDragStartsSwapsTheSelectedSlot) {
  // A quick first movement: the grid names (0, 2) although it drags the selected (0, 1).
  ASSERT_TRUE(Drag(0, 1, 2, 5, false, 0, 2));
  EXPECT_EQ(Slot(0, 1), (TSlot{"Boost", "", 9, 9}));
  EXPECT_EQ(Slot(0, 2), (TSlot{"Coolant", "91", 8, 8}));
  EXPECT_EQ(Slot(2, 5), (TSlot{"Engine RPM", "", 7, 7}));
}

TEST_F(SlotSwap, OccupiedOntoFreeMovesThePidAndFreesTheSource) {
  ASSERT_TRUE(Drag(0, 2, 4, 20));
  EXPECT_EQ(Slot(0, 2), (TSlot{"", "", 0, 0}));
  EXPECT_EQ(Slot(4, 20), (TSlot{"Coolant", "", 8, 8}));
  EXPECT_EQ(FindFreeSlot(grid), (TGridSlot{0, 2}));
  ExpectColumnColors();
}

TEST_F(SlotSwap, OntoItselfKeepsTextAndTagAndEmptiesTheValue) {
  ASSERT_TRUE(Drag(0, 1, 0, 1));
  EXPECT_EQ(Slot(0, 1), (TSlot{"Engine RPM", "", 7, 7}));
  ExpectColumnColors();
}

TEST_F(SlotSwap, CopyWithCtrlSwapsAsAMoveDoes) {
  ASSERT_TRUE(Drag(0, 1, 0, 2, /*copy=*/true));
  EXPECT_EQ(Slot(0, 1), (TSlot{"Coolant", "", 8, 8}));
  EXPECT_EQ(Slot(0, 2), (TSlot{"Engine RPM", "", 7, 7}));
}

struct TRefusedStart {
  const char* name;
  int col;
  int row;
};

void PrintTo(const TRefusedStart& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class SlotSwapRefusedStart : public SlotSwap, public testing::WithParamInterface<TRefusedStart> {};

TEST_P(SlotSwapRefusedStart, RecordsTheSourceButRefuses) {
  const TRefusedStart& c = GetParam();
  // The pressed cell is the selected one; a header press leaves the occupied (0, 1) selected.
  const int selectedRow = c.row < 1 ? 1 : c.row;
  Select(c.col, selectedRow);
  EXPECT_FALSE(SlotDragAllowed(state, grid, c.row, c.col));
  EXPECT_EQ(state.DragSourceCol, c.col);
  EXPECT_EQ(state.DragSourceRow, selectedRow);
  EXPECT_EQ(state.DragSourceTag, grid.Objects(c.col, selectedRow));
}

INSTANTIATE_TEST_SUITE_P(Cases, SlotSwapRefusedStart,
                         testing::Values(TRefusedStart{"ValueCell", 1, 1}, TRefusedStart{"FreeSlot", 0, 3},
                                         TRefusedStart{"HeaderRow", 0, 0}, TRefusedStart{"LastValueColumn", 5, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SlotSwap, StartIsRefusedWhileSeveralCellsAreSelected) {
  grid.SetCurrentCell(0, 1);
  grid.SetAnchor(0, 2);
  EXPECT_FALSE(SlotDragAllowed(state, grid, 1, 0));
  grid.SetAnchor(0, 1);
  EXPECT_TRUE(SlotDragAllowed(state, grid, 1, 0));
}

TEST_F(SlotSwap, DropsAreAllowedOnDescriptionCellsOfSlotRowsOnly) {
  struct TCase {
    int col, row;
    bool allowed;
  };
  for (const TCase c : {TCase{0, 1, true}, TCase{2, 20, true}, TCase{4, 3, true}, TCase{1, 1, false},
                        TCase{3, 4, false}, TCase{5, 20, false}, TCase{0, 0, false}, TCase{2, 21, false},
                        TCase{-1, -1, false}})
    EXPECT_EQ(SlotDropAllowed(grid, c.row, c.col), c.allowed) << c.col << "," << c.row;
}

TEST_F(SlotSwap, DropOnAValueColumnLeavesTheDropStateClearedAndTheStopRestoresTheSource) {
  Select(0, 1);
  ASSERT_TRUE(SlotDragAllowed(state, grid, 1, 0));
  state.DropTargetTag = 3;  // left over from nowhere: the drop clears it first
  EXPECT_FALSE(RecordSlotDrop(state, grid, 5, 3, "Engine RPM"));
  EXPECT_FALSE(state.DropRecorded());
  EXPECT_EQ(state.DropTargetTag, -1);
  // The grid still empties a moved source after a refused drop.
  grid::ClearCellRange(grid, {0, 1, 0, 1});
  FinishSlotDrag(state, grid, {});
  EXPECT_EQ(Slot(0, 1), (TSlot{"Engine RPM", "812", 7, 7}));
  EXPECT_EQ(Slot(2, 5), (TSlot{"Boost", "1.2", 9, 9}));
  ExpectColumnColors();
}

TEST_F(SlotSwap, ForeignTextThatWouldSpillIntoOtherCellsIsRefused) {
  for (const char* text : {"a\tb", "a\r\nb", "line\n", "x\r"}) {
    EXPECT_FALSE(RecordSlotDrop(state, grid, 3, 0, text)) << text;
    EXPECT_FALSE(state.DropRecorded());
  }
  EXPECT_TRUE(RecordSlotDrop(state, grid, 3, 0, "one line from elsewhere"));
  EXPECT_EQ(state.DropTargetTag, 0);
}

TEST_F(SlotSwap, MoveThatEndedInAnotherApplicationPutsTheSourceBack) {
  Select(2, 5);
  ASSERT_TRUE(SlotDragAllowed(state, grid, 5, 2));
  grid::ClearCellRange(grid, {2, 5, 2, 5});  // the move emptied the source, text and tag
  FinishSlotDrag(state, grid, {});
  EXPECT_EQ(Slot(2, 5), (TSlot{"Boost", "1.2", 9, 9}));
  ExpectColumnColors();
  EXPECT_EQ(state.DragSourceTag, -1);
}

TEST_F(SlotSwap, DropFromAnotherProgramIsNotTakenForTheNextDragsTarget) {
  // Another program's line lands on the free (4, 10): recorded, but no drag stop of ours follows.
  ASSERT_TRUE(RecordSlotDrop(state, grid, 10, 4, "A line from elsewhere"));
  grid.SetCells(4, 10, "A line from elsewhere");
  // Then a slot is dragged out into another program as a move.
  Select(0, 2);
  ASSERT_TRUE(SlotDragAllowed(state, grid, 2, 0));
  grid::ClearCellRange(grid, {0, 2, 0, 2});
  FinishSlotDrag(state, grid, {});
  EXPECT_EQ(Slot(0, 2), (TSlot{"Coolant", "91", 8, 8}));
  EXPECT_EQ(grid.Objects(4, 10), 0);
}

TEST_F(SlotSwap, CancelledDragChangesNothing) {
  // Escape: the grid raises no drop and no stop; only the start was asked.
  Select(0, 1);
  ASSERT_TRUE(SlotDragAllowed(state, grid, 1, 0));
  EXPECT_EQ(Slot(0, 1), (TSlot{"Engine RPM", "812", 7, 7}));
  EXPECT_EQ(Slot(0, 2), (TSlot{"Coolant", "91", 8, 8}));
  EXPECT_FALSE(state.DropRecorded());
}

}  // namespace
}  // namespace orlex::app
