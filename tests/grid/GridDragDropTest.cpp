// The grid's drag and drop with the platform's drag loop replaced by a scripted one: the loop sees
// what the grid offers, can play hover and drop into the grid's own target, and ends the drag with
// the result and effect a test chooses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "grid/CellGrid.h"
#include "grid/transfer/QtDragDrop.h"
#include "platform/ole/ClipboardFormats.h"
#include "platform/ole/DragDropLoop.h"
#include "platform/ole/GlobalMemory.h"
#include "tests/grid/SystemGridWidget.h"

namespace {

using namespace orlex;
using namespace orlex::grid;

std::string TextOf(IDataObject* data) {
  FORMATETC format;
  format.cfFormat = CF_TEXT;
  format.tymed = TYMED_HGLOBAL;
  STGMEDIUM medium;
  if (data->GetData(&format, &medium) != S_OK) return "<none>";
  std::string text(static_cast<const char*>(GlobalLock(medium.hGlobal)));
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return text;
}

class GridDragDropTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGridWidget(grid);
    SystemColumnColors(grid);
    FillSixtySlots(grid);
    grid.DragDropSettings.OleDropSource = true;
    grid.EnhRowColMove = false;
    grid.Navigation.AllowClipboardAlways = true;  // as the main window's form sets it: drops may write
    grid.OnOleDrag = [this](TCellGrid&, int row, int col, const std::string& data, bool& allow) {
      events.push_back("drag " + std::to_string(col) + "," + std::to_string(row) + " " + data);
      allow = allowDrag;
    };
    grid.OnOleDragStart = [this](TCellGrid&, int row, int col) {
      events.push_back("start " + std::to_string(col) + "," + std::to_string(row));
    };
    grid.OnOleDragStop = [this](TCellGrid&, int effect) { events.push_back("stop " + std::to_string(effect)); };
    grid.OnOleDragEnded = [this](TCellGrid&, long result) {
      events.push_back(result == DRAGDROP_S_DROP ? "ended drop" : "ended cancel");
    };
    previousLoop = SetDragDropLoop([this](IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
      offered.push_back(TextOf(data));
      allowedEffects = allowed;
      imageDuringDrag = grid.DragImageWindow() != nullptr && grid.DragImageWindow()->isVisible();
      source->QueryContinueDrag(false, MK_LBUTTON);  // a poll: the picture follows the pointer
      if (imageDuringDrag) imagePos = grid.DragImageWindow()->pos();
      if (duringDrag) duringDrag();
      *effect = endEffect;
      source->QueryContinueDrag(endResult == DRAGDROP_S_CANCEL, 0);
      return endResult;
    });
    grid.show();
    QApplication::processEvents();
  }
  void TearDown() override { SetDragDropLoop(previousLoop); }

  QPoint Centre(int col, int row) const { return grid.CellRect(col, row).center(); }
  QPoint Screen(const QPoint& client) const { return grid.viewport()->mapToGlobal(client); }
  void Move(const QPoint& point) {
    QMouseEvent move(QEvent::MouseMove, point, Screen(point), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &move);
  }
  // Arms a drag on (col, row): it is made current, then pressed.
  void Arm(int col, int row, QPoint at = {}) {
    grid.MoveCurrent(col, row, true, true);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, at.isNull() ? Centre(col, row) : at);
    ASSERT_TRUE(grid.DragArmed());
  }

  TCellGrid grid;
  std::vector<std::string> events;
  std::vector<std::string> offered;
  bool allowDrag = true;
  DWORD allowedEffects = 0;
  bool imageDuringDrag = false;
  QPoint imagePos;
  std::function<void()> duringDrag;
  HRESULT endResult = DRAGDROP_S_DROP;
  DWORD endEffect = DROPEFFECT_MOVE;
  TDragDropLoop previousLoop;
};

TEST_F(GridDragDropTest, ThreePixelsDoNotStartADragFourDo) {
  struct TCase {
    QPoint offset;
    bool starts;
  };
  for (const TCase c : {TCase{{3, 0}, false}, TCase{{0, 3}, false}, TCase{{-3, 3}, false}, TCase{{4, 0}, true},
                        TCase{{0, -4}, true}}) {
    events.clear();
    Arm(0, 2);
    Move(Centre(0, 2) + c.offset);
    EXPECT_EQ(!events.empty(), c.starts) << c.offset.x() << "," << c.offset.y();
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(0, 2) + c.offset);
  }
}

TEST_F(GridDragDropTest, MoveDropEmptiesTheSourceAndReportsTheEffect) {
  const std::string text = grid.Cells(0, 2);
  Arm(0, 2);
  Move(Centre(0, 2) + QPoint(6, 0));
  EXPECT_EQ(events, (std::vector<std::string>{"drag 0,2 " + text, "start 0,2", "stop 2", "ended drop"}));
  EXPECT_EQ(offered, std::vector<std::string>{text});
  EXPECT_EQ(allowedEffects, DROPEFFECT_COPY | DROPEFFECT_MOVE);
  EXPECT_EQ(grid.Cells(0, 2), "");
  EXPECT_FALSE(grid.HasCellProperties(0, 2));
  EXPECT_EQ(grid.Objects(0, 2), 0);
  EXPECT_EQ(grid.DragSourceRect(), (TGridRect{0, 2, 0, 2}));
  EXPECT_FALSE(grid.DragArmed());
}

TEST_F(GridDragDropTest, CopyDropKeepsTheSource) {
  endEffect = DROPEFFECT_COPY;
  const std::string text = grid.Cells(2, 4);
  Arm(2, 4);
  Move(Centre(2, 4) + QPoint(0, 5));
  EXPECT_EQ(events.back(), "ended drop");
  EXPECT_EQ(events[events.size() - 2], "stop 1");
  EXPECT_EQ(grid.Cells(2, 4), text);
  EXPECT_EQ(grid.Objects(2, 4), 24);
}

TEST_F(GridDragDropTest, CancelledDragChangesNothingAndRaisesNoStop) {
  endResult = DRAGDROP_S_CANCEL;
  endEffect = DROPEFFECT_NONE;
  const std::string text = grid.Cells(0, 2);
  Arm(0, 2);
  Move(Centre(0, 2) + QPoint(6, 0));
  EXPECT_EQ(events, (std::vector<std::string>{"drag 0,2 " + text, "start 0,2", "ended cancel"}));
  EXPECT_EQ(grid.Cells(0, 2), text);
  EXPECT_EQ(grid.Objects(0, 2), 2);
  EXPECT_EQ(grid.DragImageWindow(), nullptr);
}

TEST_F(GridDragDropTest, ThePictureOfTheCellFollowsThePointerAndGoesWithTheRelease) {
  Arm(0, 2);
  Move(Centre(0, 2) + QPoint(6, 0));
  EXPECT_TRUE(imageDuringDrag);
  EXPECT_EQ(imagePos, QCursor::pos() + QPoint(4, 4));
  EXPECT_EQ(grid.DragImageWindow(), nullptr);
}

TEST_F(GridDragDropTest, PictureIsTheCellWithoutItsSelectionColours) {
  QSize size;
  QColor middle;
  duringDrag = [&] {
    // Before the first poll moved it, the window shows the cell's own colours.
    const QImage picture = grid.DragImageWindow()->grab().toImage();
    size = picture.size();
    middle = picture.pixelColor(picture.width() / 2, 3);
  };
  Arm(0, 2);
  Move(Centre(0, 2) + QPoint(6, 0));
  const QRect cell = grid.CellRect(0, 2);
  EXPECT_EQ(size, QSize(cell.width() + 1, cell.height() + 1));
  EXPECT_EQ(middle, QColor(0xC3, 0xF8, 0xFD));  // the description column's colour, not the highlight
}

TEST_F(GridDragDropTest, RefusedDragBecomesARangeSelection) {
  allowDrag = false;
  Arm(0, 2);
  Move(Centre(0, 2) + QPoint(0, 6));
  EXPECT_EQ(events.size(), 1u);  // asked, refused: no start, no drag loop
  EXPECT_TRUE(offered.empty());
  EXPECT_EQ(grid.GridState(), gsSelecting);
  Move(Centre(0, 5));
  EXPECT_EQ(grid.Row(), 5);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(0, 5));
  EXPECT_EQ(grid.GridState(), gsNormal);
}

TEST_F(GridDragDropTest, DragFromTheHeaderRowNamesRowZero) {
  allowDrag = false;
  grid.MoveCurrent(2, 1, true, true);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(2, 0));
  ASSERT_TRUE(grid.DragArmed());
  Move(Centre(2, 0) + QPoint(5, 0));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0], "drag 2,0 Description");
}

// ---- Target side ----

class GridDropTargetTest : public GridDragDropTest {
 protected:
  void SetUp() override {
    GridDragDropTest::SetUp();
    grid.OnOleDragOver = [this](TCellGrid&, int row, int col, bool& allow) {
      overs.push_back({col, row, allow});
      if (refuseOver) allow = false;
    };
    grid.OnOleDrop = [this](TCellGrid&, int row, int col, const std::string& data, bool& allow) {
      drops.push_back(std::to_string(col) + "," + std::to_string(row) + " " + data);
      allow = allowDrop;
    };
    grid.OnOleDropped = [this](TCellGrid&, const TGridRect& rect) { dropped.push_back(rect); };
  }
  bool Hover(const QPoint& client, std::uint8_t offered = 1) {
    bool allow = true;
    grid.DragMoving(Screen(client), allow, offered);
    return allow;
  }
  bool RightArrowShown() { return grid.Arrows().Window(adRight)->isVisible(); }
  QPoint RightArrowPos() { return grid.Arrows().Window(adRight)->pos(); }

  struct TOver {
    int col, row;
    bool allow;
    friend bool operator==(const TOver&, const TOver&) = default;
  };
  std::vector<TOver> overs;
  std::vector<std::string> drops;
  std::vector<TGridRect> dropped;
  bool refuseOver = false;
  bool allowDrop = true;
};

TEST_F(GridDropTargetTest, HoverShowsTheRightArrowTenPixelsLeftOfTheCell) {
  EXPECT_TRUE(Hover(Centre(2, 6)));
  EXPECT_EQ(overs, (std::vector<TOver>{{2, 6, true}}));
  ASSERT_TRUE(RightArrowShown());
  const QPoint cell = Screen(grid.CellRect(2, 6).topLeft());
  EXPECT_EQ(RightArrowPos(), cell - QPoint(10, 0));
  grid.DragLeaving();
  EXPECT_FALSE(RightArrowShown());
}

TEST_F(GridDropTargetTest, HeaderRowIsRefusedBeforeTheEventAndShowsNoMarker) {
  EXPECT_TRUE(Hover(Centre(2, 6)));
  EXPECT_FALSE(Hover(Centre(2, 0)));
  EXPECT_EQ(overs.back(), (TOver{2, 0, false}));
  EXPECT_FALSE(RightArrowShown());
}

TEST_F(GridDropTargetTest, EventRefusalHidesTheMarker) {
  refuseOver = true;
  EXPECT_FALSE(Hover(Centre(1, 3)));
  EXPECT_EQ(overs.back(), (TOver{1, 3, true}));
  EXPECT_FALSE(RightArrowShown());
}

TEST_F(GridDropTargetTest, OutsideTheCellsNothingIsAllowed) {
  grid.SetRowCount(5);
  EXPECT_FALSE(Hover(QPoint(10, grid.viewport()->height() - 3)));
  EXPECT_EQ(overs.back(), (TOver{-1, -1, false}));
}

TEST_F(GridDropTargetTest, PartlyVisibleLastRowScrollsDownAndTheHeaderScrollsUp) {
  grid.resize(774, 22 + 22 * 5 + 10);  // five rows and part of a sixth
  QApplication::processEvents();
  ASSERT_EQ(grid.TopRow(), 1);
  const int partRow = grid.TopRow() + grid.FullyVisibleRows();
  const QPoint bottom(30, grid.RowTop(partRow) + 3);
  Hover(bottom);
  EXPECT_EQ(grid.TopRow(), 2);
  Hover(bottom);
  EXPECT_EQ(grid.TopRow(), 3);
  Hover(QPoint(30, 5));
  EXPECT_EQ(grid.TopRow(), 2);
  Hover(QPoint(30, 5));
  Hover(QPoint(30, 5));
  EXPECT_EQ(grid.TopRow(), 1);  // never above the first scrollable row
}

TEST_F(GridDropTargetTest, SidewaysScrollWaitsForTheGridTimer) {
  grid.SetColCount(12);
  QApplication::processEvents();
  const int partCol = grid.LastVisibleCol();
  ASSERT_GT(partCol, 0);
  const QPoint right(grid.ColLeft(partCol) + 3, Centre(0, 3).y());
  const int ticks = grid.GridTickCount();
  Hover(right);
  Hover(right);
  // One step per even tick count: a second hover within the same tick does not scroll again.
  EXPECT_EQ(grid.LeftCol(), ticks % 2 == 0 ? 1 : 0);
}

TEST_F(GridDropTargetTest, TextDropWritesTheCellSelectsItAndHidesTheMarker) {
  Hover(Centre(4, 7));
  grid.TextDropped(Screen(Centre(4, 7)), "Dropped");
  EXPECT_EQ(drops, std::vector<std::string>{"4,7 Dropped"});
  EXPECT_EQ(grid.Cells(4, 7), "Dropped");
  EXPECT_EQ(grid.Selection(), (TGridRect{4, 7, 4, 7}));
  EXPECT_EQ(dropped, std::vector<TGridRect>{(TGridRect{4, 7, 4, 7})});
  EXPECT_FALSE(RightArrowShown());
}

TEST_F(GridDropTargetTest, BlockDropFillsAndSelectsTheBlock) {
  grid.TextDropped(Screen(Centre(2, 3)), "a\tb\r\nc\td\r\n");
  EXPECT_EQ(grid.Cells(2, 3), "a");
  EXPECT_EQ(grid.Cells(3, 3), "b");
  EXPECT_EQ(grid.Cells(2, 4), "c");
  EXPECT_EQ(grid.Cells(3, 4), "d");
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 3, 3, 4}));
  EXPECT_EQ(dropped.back(), (TGridRect{2, 3, 3, 4}));
}

TEST_F(GridDropTargetTest, RefusedDropWritesNothingButStillReportsAndHides) {
  allowDrop = false;
  const std::string before = grid.Cells(4, 7);
  Hover(Centre(4, 7));
  grid.TextDropped(Screen(Centre(4, 7)), "Dropped");
  EXPECT_EQ(grid.Cells(4, 7), before);
  EXPECT_EQ(dropped.size(), 1u);
  EXPECT_FALSE(RightArrowShown());
}

TEST_F(GridDropTargetTest, DropTargetRegistersOnceAndRevokes) {
  grid.DragDropSettings.SetOleDropTarget(true);
  EXPECT_TRUE(grid.DropTargetRegistered());
  EXPECT_TRUE(grid.viewport()->acceptDrops());
  EXPECT_NE(orlex::grid::RegisteredDropTarget(grid.viewport()), nullptr);
  grid.DragDropSettings.SetOleDropTarget(false);
  EXPECT_EQ(orlex::grid::RegisteredDropTarget(grid.viewport()), nullptr);
  EXPECT_FALSE(grid.viewport()->acceptDrops());
}

TEST(DragDropSettingsTest, AssignCopiesTheValuesWithoutRegistering) {
  TDragDropSettings source;
  source.SetOleDropTarget(true);
  source.OleCopyAlways = true;
  source.ShowCells = false;
  TDragDropSettings copy;
  int registrations = 0;
  copy.OnDropTargetChanged = [&](bool) { ++registrations; };
  copy.Assign(source);
  EXPECT_TRUE(copy.OleDropTarget());
  EXPECT_TRUE(copy.OleCopyAlways);
  EXPECT_FALSE(copy.ShowCells);
  EXPECT_EQ(registrations, 0);
}

}  // namespace
