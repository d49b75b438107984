// The main window's slot drag through the real grid, with the platform's drag loop scripted: the
// loop plays the drop the user would make and ends the drag as the platform would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "app/Unit2.h"
#include "grid/transfer/QtDragDrop.h"
#include "grid/transfer/core/OleDropTarget.h"
#include "platform/ProcessEnd.h"
#include "platform/ole/DragDropLoop.h"
#include "tests/support/TempDir.h"

namespace {

using namespace orlex;
using namespace orlex::app;
using orlex::grid::TCellGrid;

struct TProcessEnded {};

class MainWindowDragTest : public testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm2>(dir.Path());
    std::string init = "25;";
    for (int i = 1; i <= 25; ++i) init += "k" + std::to_string(i) + ";\"PID " + std::to_string(i) + "\";" +
                                          std::to_string(i) + ";";
    ASSERT_EQ(form->WMCopyData(0, init), 1);
    std::string values;
    for (int i = 1; i <= 25; ++i) values += "k" + std::to_string(i) + "," + std::to_string(i) + ".5;";
    ASSERT_EQ(form->WMCopyData(1, values), 1);
    form->show();
    QApplication::processEvents();
    previousLoop = SetDragDropLoop([this](IDataObject*, IDropSource* source, DWORD, DWORD* effect) {
      confinedDuringDrag = form->PointerConfinement().Rect();
      if (dropAt.first >= 0) {
        TCellGrid& grid = *form->pidgrid;
        const QPoint screen = grid.viewport()->mapToGlobal(grid.CellRect(dropAt.first, dropAt.second).center());
        bool allow = true;
        grid.DragMoving(screen, allow, 1);
        if (allow) grid.TextDropped(screen, grid.Cells(grid.Col(), grid.Row()));
      }
      if (duringDrag) duringDrag();
      *effect = endEffect;
      source->QueryContinueDrag(endResult == DRAGDROP_S_CANCEL, 0);
      return endResult;
    });
  }
  void TearDown() override { SetDragDropLoop(previousLoop); }

  // Selects the slot, presses on it again and moves far enough for the drag to start.
  void DragFrom(int col, int row) {
    TCellGrid& grid = *form->pidgrid;
    grid.MoveCurrent(col, row, true, true);
    const QPoint press = grid.CellRect(col, row).center();
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, press);
    ASSERT_TRUE(grid.DragArmed());
    const QPoint to = press + QPoint(0, 8);
    QMouseEvent move(QEvent::MouseMove, to, grid.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &move);
  }
  std::pair<std::string, std::intptr_t> Slot(int col, int row) const {
    return {form->pidgrid->Cells(col, row), form->pidgrid->Objects(col, row)};
  }

  TTempDir dir;
  std::unique_ptr<TForm2> form;
  TDragDropLoop previousLoop;
  std::pair<int, int> dropAt{-1, -1};
  std::function<void()> duringDrag;
  HRESULT endResult = DRAGDROP_S_DROP;
  DWORD endEffect = DROPEFFECT_MOVE;
  QRect confinedDuringDrag;
};

TEST_F(MainWindowDragTest, DropOnAnotherSlotSwapsAndTheNextPacketFillsBoth) {
  dropAt = {2, 5};
  DragFrom(0, 1);
  EXPECT_EQ(Slot(0, 1), (std::pair<std::string, std::intptr_t>{"PID 25", 25}));
  EXPECT_EQ(Slot(2, 5), (std::pair<std::string, std::intptr_t>{"PID 1", 1}));
  EXPECT_EQ(form->pidgrid->Cells(1, 1), "");
  EXPECT_EQ(form->pidgrid->Cells(3, 5), "");
  ASSERT_EQ(form->WMCopyData(1, "k1,7;k25,8;"), 1);
  EXPECT_EQ(form->pidgrid->Cells(1, 1), "8");
  EXPECT_EQ(form->pidgrid->Cells(3, 5), "7");
}

TEST_F(MainWindowDragTest, PointerIsHeldInsideTheWindowDuringTheDragOnly) {
  dropAt = {0, 3};
  DragFrom(0, 1);
  EXPECT_EQ(confinedDuringDrag, form->frameGeometry());
  EXPECT_FALSE(form->PointerConfinement().Active());
}

TEST_F(MainWindowDragTest, EscapeChangesNothingAndFreesThePointer) {
  endResult = DRAGDROP_S_CANCEL;
  endEffect = DROPEFFECT_NONE;
  DragFrom(0, 1);
  EXPECT_FALSE(confinedDuringDrag.isEmpty());
  EXPECT_EQ(Slot(0, 1), (std::pair<std::string, std::intptr_t>{"PID 1", 1}));
  EXPECT_EQ(form->pidgrid->Cells(1, 1), "1.5");
  EXPECT_FALSE(form->PointerConfinement().Active());
}

TEST_F(MainWindowDragTest, MoveIntoAnotherApplicationKeepsThePid) {
  // No drop in this grid; the foreign target answered move, so the grid emptied the source.
  DragFrom(2, 4);
  EXPECT_EQ(Slot(2, 4), (std::pair<std::string, std::intptr_t>{"PID 24", 24}));
  EXPECT_EQ(form->pidgrid->Objects(3, 4), 24);
  EXPECT_FALSE(form->PointerConfinement().Active());
}

TEST_F(MainWindowDragTest, WatchdogEndingTheProcessDuringADragFreesThePointer) {
  SetEndProcessInterceptor([] { throw TProcessEnded{}; });
  bool ended = false;
  duringDrag = [&] {
    try {
      for (int i = 0; i <= TForm2::kWatchdogLimit; ++i) form->Timer1Timer();
    } catch (const TProcessEnded&) {
      ended = true;
      EXPECT_FALSE(form->PointerConfinement().Active());
    }
  };
  endResult = DRAGDROP_S_CANCEL;
  DragFrom(0, 1);
  SetEndProcessInterceptor({});
  EXPECT_TRUE(ended);
}

TEST_F(MainWindowDragTest, ClosingTheWindowDuringADragFreesThePointer) {
  duringDrag = [&] {
    EXPECT_TRUE(form->PointerConfinement().Active());
    form->close();
    EXPECT_FALSE(form->PointerConfinement().Active());
  };
  endResult = DRAGDROP_S_CANCEL;
  DragFrom(0, 1);
}

TEST_F(MainWindowDragTest, GridAcceptsTextOnlyAsTheFormSetsIt) {
  EXPECT_TRUE(form->pidgrid->DropTargetRegistered());
  auto* target = static_cast<grid::TOleDropTarget*>(grid::RegisteredDropTarget(form->pidgrid->viewport()));
  ASSERT_NE(target, nullptr);
  EXPECT_TRUE(target->AcceptsText);
  EXPECT_FALSE(target->AcceptsFiles);
  EXPECT_FALSE(target->AcceptsURLs);
  EXPECT_FALSE(target->AcceptsColumns);
}

}  // namespace
