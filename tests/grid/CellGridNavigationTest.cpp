#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <functional>
#include <string>
#include <vector>

#include "grid/CellGrid.h"
#include "tests/grid/SystemGridWidget.h"

using namespace orlex::grid;

namespace {

// Waits (processing events) until the condition holds; timers are slow on a loaded machine.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QTest::qWait(10);
  }
  return true;
}

class CellGridNavigationTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGridWidget(grid);
    SystemColumnColors(grid);
    FillSixtySlots(grid);
    grid.DragDropSettings.OleDropSource = true;
    grid.EnhRowColMove = false;
    grid.OnMouseDown = [this](TCellGrid&, TMouseButton button, TShiftState, int x, int y) {
      mouseDowns.push_back({button, QPoint(x, y)});
    };
    grid.OnClick = [this](TCellGrid&) { ++clicks; };
    grid.show();
    QApplication::processEvents();
  }

  QPoint Centre(int col, int row) const { return grid.CellRect(col, row).center(); }
  void Click(Qt::MouseButton button, const QPoint& point) {
    QTest::mousePress(grid.viewport(), button, Qt::NoModifier, point);
    QTest::mouseRelease(grid.viewport(), button, Qt::NoModifier, point);
  }
  void Move(const QPoint& point, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, point, grid.viewport()->mapToGlobal(point), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(grid.viewport(), &move);
  }
  void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF point = Centre(2, 5);
    QWheelEvent wheel(point, grid.viewport()->mapToGlobal(point), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid.viewport(), &wheel);
  }
  std::pair<int, int> Current() const { return {grid.Col(), grid.Row()}; }

  struct MouseDown {
    TMouseButton button;
    QPoint point;
  };
  TCellGrid grid;
  std::vector<MouseDown> mouseDowns;
  int clicks = 0;
};

TEST_F(CellGridNavigationTest, MouseToCellFindsCellsAndNothingOutside) {
  const struct {
    QPoint point;
    int col, row;
  } cases[] = {
      {{770, 30}, -1, -1},  // right of the last column (the viewport is 772 wide, the columns 768)
      {{10, 470}, -1, -1},  // below the last row
      {{10, 5}, 0, 0},      // header row
      {{767, 461}, 5, 20},
      {{128, 22}, 1, 1},    // cells start exactly at the previous far edge
      {{-1, 30}, -1, -1},
  };
  for (const auto& c : cases) {
    int col = 0;
    int row = 0;
    grid.MouseToCell(c.point.x(), c.point.y(), col, row);
    EXPECT_EQ(std::make_pair(col, row), std::make_pair(c.col, c.row)) << c.point.x() << "," << c.point.y();
  }
}

TEST_F(CellGridNavigationTest, MoveCurrentRefusesCellsOutsideTheScrollableCells) {
  for (const auto& [col, row] : std::vector<std::pair<int, int>>{{6, 1}, {0, 21}, {-1, 3}, {2, 0}}) {
    try {
      grid.MoveCurrent(col, row, true, true);
      ADD_FAILURE() << col << "," << row << " accepted";
    } catch (const TGridError& error) {
      EXPECT_STREQ(error.what(), "Grid index out of range");
    }
    EXPECT_EQ(Current(), std::make_pair(0, 1));
  }
}

TEST_F(CellGridNavigationTest, SelectCellMayRefuseAMove) {
  grid.OnSelectCell = [](TCellGrid&, int, int row, bool& canSelect) { canSelect = row != 4; };
  grid.SetRow(4);
  EXPECT_EQ(Current(), std::make_pair(0, 1));
  grid.SetRow(7);
  EXPECT_EQ(Current(), std::make_pair(0, 7));
  EXPECT_EQ(std::make_pair(grid.AnchorCol(), grid.AnchorRow()), std::make_pair(0, 7));
  EXPECT_EQ(clicks, 2);  // setting Row raises the click notification, refused or not
}

TEST_F(CellGridNavigationTest, FirstPressSelectsSecondPressOnTheSameCellArms) {
  std::vector<std::pair<int, int>> clickCells;
  grid.OnClickCell = [&](TCellGrid&, int row, int col) { clickCells.push_back({col, row}); };

  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(2, 3));
  EXPECT_EQ(Current(), std::make_pair(2, 3));
  EXPECT_FALSE(grid.DragArmed());
  EXPECT_EQ(grid.GridState(), gsSelecting);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(2, 3));
  EXPECT_EQ(grid.GridState(), gsNormal);
  EXPECT_EQ(clicks, 1);

  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(2, 3));
  EXPECT_TRUE(grid.DragArmed());
  EXPECT_EQ(grid.GridState(), gsNormal);
  EXPECT_EQ(grid.PressPoint(), Centre(2, 3));
  EXPECT_EQ(clickCells, (std::vector<std::pair<int, int>>{{2, 3}}));
  ASSERT_EQ(mouseDowns.size(), 2u);
  EXPECT_EQ(mouseDowns[1].button, mbLeft);
  // Released without moving: the press was no click and the current cell stays.
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(2, 3));
  EXPECT_FALSE(grid.DragArmed());
  EXPECT_EQ(Current(), std::make_pair(2, 3));
  EXPECT_EQ(clicks, 1);
}

TEST_F(CellGridNavigationTest, PressNearASideEdgeOfTheCurrentCellIsAClick) {
  grid.SetRow(3);
  const QRect cell = grid.CellRect(0, 3);
  for (const QPoint point : {QPoint(cell.left() + 3, cell.center().y()), QPoint(cell.right() - 2, cell.center().y())}) {
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, point);
    EXPECT_FALSE(grid.DragArmed()) << point.x();
    EXPECT_EQ(grid.GridState(), gsSelecting);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, point);
  }
}

TEST_F(CellGridNavigationTest, ArmedPressReleasedOnAnotherCellSelectsThatCell) {
  grid.SetRow(3);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(0, 3));
  ASSERT_TRUE(grid.DragArmed());
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(1, 4));
  EXPECT_EQ(Current(), std::make_pair(1, 4));
  EXPECT_EQ(std::make_pair(grid.AnchorCol(), grid.AnchorRow()), std::make_pair(1, 4));
}

TEST_F(CellGridNavigationTest, RightClickOpensTheContextMenuAndLeavesTheCurrentCell) {
  grid.setContextMenuPolicy(Qt::CustomContextMenu);
  std::vector<QPoint> menus;
  QObject::connect(&grid, &QWidget::customContextMenuRequested, [&](const QPoint& pos) { menus.push_back(pos); });
  grid.SetRow(2);
  Click(Qt::RightButton, Centre(4, 10));
  EXPECT_EQ(Current(), std::make_pair(0, 2));
  ASSERT_EQ(mouseDowns.size(), 1u);
  EXPECT_EQ(mouseDowns[0].button, mbRight);
  // The platform follows a right press with a context menu request (QTest does not synthesise it).
  QContextMenuEvent request(QContextMenuEvent::Mouse, Centre(4, 10), grid.viewport()->mapToGlobal(Centre(4, 10)));
  QCoreApplication::sendEvent(grid.viewport(), &request);
  EXPECT_EQ(Current(), std::make_pair(0, 2));
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0], Centre(4, 10));
}

TEST_F(CellGridNavigationTest, PressOnAColumnBorderSizesTheColumnAndNotifies) {
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(128, 10));
  EXPECT_EQ(grid.GridState(), gsColSizing);
  ASSERT_EQ(mouseDowns.size(), 1u);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(128, 10));
  EXPECT_EQ(Current(), std::make_pair(0, 1));
}

TEST_F(CellGridNavigationTest, SelectingBeyondTheViewStepsAndScrolls) {
  grid.SetDefaultColWidth(100);
  grid.resize(774, 2 + 6 * 22);  // the header and five rows
  QApplication::processEvents();
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(0, 3));
  ASSERT_EQ(grid.GridState(), gsSelecting);
  const QPoint below(50, grid.viewport()->height() + 10);
  Move(below, Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return grid.Row() >= 9; })) << grid.Row();
  EXPECT_GT(grid.TopRow(), 1);
  EXPECT_EQ(grid.CellRect(0, grid.Row()).bottom() < grid.viewport()->height(), true);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, below);
  const int row = grid.Row();
  EXPECT_EQ(grid.GridState(), gsNormal);
  EXPECT_EQ(clicks, 1);
  QTest::qWait(200);
  EXPECT_EQ(grid.Row(), row);
}

TEST_F(CellGridNavigationTest, ScrollBarsMapTheRowsOntoZeroTo127) {
  grid.SetDefaultColWidth(100);
  grid.SetDefaultRowHeight(50);  // a page of nine rows: the top row runs from 1 to 12
  QApplication::processEvents();
  QScrollBar* bar = grid.verticalScrollBar();
  EXPECT_EQ(bar->maximum(), 127);
  EXPECT_EQ(grid.horizontalScrollBar()->maximum(), 0);
  const struct {
    std::function<void()> act;
    int topRow;
    int position;
  } steps[] = {
      {[&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); }, 2, 12},
      {[&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }, 10, 104},
      {[&] { bar->triggerAction(QAbstractSlider::SliderToMaximum); }, 12, 127},
      {[&] { bar->triggerAction(QAbstractSlider::SliderPageStepSub); }, 4, 35},
      {[&] { bar->triggerAction(QAbstractSlider::SliderToMinimum); }, 1, 0},
      // The thumb counts on release only, and lands on the position of the row it chose.
      {[&] {
         bar->setSliderDown(true);
         bar->setSliderPosition(64);
         EXPECT_EQ(grid.TopRow(), 1);
         bar->setSliderDown(false);
       },
       7, 69},
  };
  for (const auto& step : steps) {
    step.act();
    EXPECT_EQ(grid.TopRow(), step.topRow);
    EXPECT_EQ(bar->value(), step.position);
    EXPECT_EQ(Current(), std::make_pair(0, 1));
  }
  // Keys keep the bar in step with the view.
  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.TopRow(), 12);
  EXPECT_EQ(grid.ScrollPos(Qt::Vertical), 127);
}

TEST_F(CellGridNavigationTest, WheelNotchMovesFourRowsAndStopsAtTheLastRow) {
  ASSERT_EQ(grid.WheelLines(), 3);
  Wheel(-120);
  EXPECT_EQ(grid.Row(), 5);
  for (int i = 0; i < 6; ++i) Wheel(-120);
  EXPECT_EQ(grid.Row(), 20);
  Wheel(120);
  EXPECT_EQ(grid.Row(), 16);
}

TEST_F(CellGridNavigationTest, CtrlWheelZoomsAndStillMovesOneRow) {
  Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(grid.Look().ZoomFactor, 3);
  EXPECT_EQ(grid.ColWidths(1), 131);
  EXPECT_EQ(grid.RowHeights(1), 25);
  EXPECT_EQ(grid.Row(), 2);
  // Beyond the zoom limit the sizes stay, the row still moves.
  grid.ChangeLook([&](TGridLook& look) { look.ZoomFactor = 11; });
  Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(grid.Look().ZoomFactor, 11);
  EXPECT_EQ(grid.ColWidths(1), 131);
  EXPECT_EQ(grid.Row(), 3);
}

// Takes every wheel message, as a scrolling parent would.
class TWheelEatingParent : public QWidget {
 public:
  int wheels = 0;

 protected:
  void wheelEvent(QWheelEvent* event) override {
    ++wheels;
    event->accept();
  }
};

TEST(CellGridWheelParentTest, ParentThatTakesTheWheelLeavesOnlyTheStandardStep) {
  TWheelEatingParent parent;
  auto* grid = new TCellGrid(&parent);
  ConfigureSystemGridWidget(*grid);
  parent.resize(800, 600);
  parent.show();
  QApplication::processEvents();
  const QPointF point = grid->CellRect(1, 3).center();
  QWheelEvent wheel(point, grid->viewport()->mapToGlobal(point), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(grid->viewport(), &wheel);
  EXPECT_EQ(parent.wheels, 1);
  EXPECT_EQ(grid->Row(), 2);
}

TEST_F(CellGridNavigationTest, KeysMoveTheCurrentCell) {
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int col, row;
  } steps[] = {
      {Qt::Key_Up, Qt::NoModifier, 0, 1},          {Qt::Key_End, Qt::ControlModifier, 5, 20},
      {Qt::Key_Down, Qt::NoModifier, 5, 20},       {Qt::Key_Left, Qt::ShiftModifier, 4, 20},
      {Qt::Key_PageUp, Qt::NoModifier, 4, 1},      {Qt::Key_Right, Qt::ControlModifier, 5, 1},
      {Qt::Key_Home, Qt::ControlModifier, 0, 1},   {Qt::Key_PageDown, Qt::NoModifier, 0, 20},
  };
  for (const auto& step : steps) {
    QTest::keyClick(&grid, step.key, step.modifiers);
    EXPECT_EQ(Current(), std::make_pair(step.col, step.row)) << QKeySequence(step.key).toString().toStdString();
  }
}

TEST_F(CellGridNavigationTest, ClipboardKeysNeedTheirOption) {
  std::vector<std::string> raised;
  grid.OnClipboardCopy = [&](TCellGrid&, bool&) { raised.push_back("copy"); };
  grid.OnClipboardCut = [&](TCellGrid&, bool&) { raised.push_back("cut"); };
  grid.OnClipboardPaste = [&](TCellGrid&, bool&) { raised.push_back("paste"); };
  std::vector<int> keyDowns;
  grid.OnKeyDown = [&](TCellGrid&, int& key, TShiftState) {
    if (key != Qt::Key_Control && key != Qt::Key_Shift) keyDowns.push_back(key);
  };
  const std::string text = grid.Cells(0, 1);
  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
      {Qt::Key_C, Qt::ControlModifier},  {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
      {Qt::Key_Delete, Qt::ShiftModifier}, {Qt::Key_V, Qt::ControlModifier},   {Qt::Key_Insert, Qt::ShiftModifier},
  };
  for (const auto& [key, modifiers] : keys) QTest::keyClick(&grid, key, modifiers);
  EXPECT_TRUE(raised.empty());
  EXPECT_EQ(keyDowns, (std::vector<int>{Qt::Key_C, Qt::Key_Insert, Qt::Key_X, Qt::Key_Delete, Qt::Key_V,
                                         Qt::Key_Insert}));
  EXPECT_EQ(Current(), std::make_pair(0, 1));
  EXPECT_EQ(grid.Cells(0, 1), text);

  grid.Navigation.AllowClipboardShortCuts = true;
  for (const auto& [key, modifiers] : keys) QTest::keyClick(&grid, key, modifiers);
  EXPECT_EQ(raised, (std::vector<std::string>{"copy", "copy", "cut", "cut", "paste", "paste"}));
}

TEST_F(CellGridNavigationTest, TypedCharactersAndEnterOnlyNotify) {
  std::string pressed;
  std::vector<int> keyDowns;
  grid.OnKeyPress = [&](TCellGrid&, char& key) { pressed += key; };
  grid.OnKeyDown = [&](TCellGrid&, int& key, TShiftState) { keyDowns.push_back(key); };
  const std::string text = grid.Cells(0, 1);
  QTest::keyClicks(&grid, "ab");
  QTest::keyClick(&grid, Qt::Key_Return);
  QTest::keyClick(&grid, Qt::Key_Escape);
  EXPECT_EQ(pressed, "ab\r\x1b");
  EXPECT_EQ(keyDowns, (std::vector<int>{Qt::Key_A, Qt::Key_B, Qt::Key_Return, Qt::Key_Escape}));
  EXPECT_EQ(Current(), std::make_pair(0, 1));
  EXPECT_EQ(grid.Cells(0, 1), text);

  // A cell with an inline control keeps Enter and F2 to itself.
  grid.SetCells(0, 1, "<B>x</B><control type=\"check\">");
  pressed.clear();
  keyDowns.clear();
  QTest::keyClick(&grid, Qt::Key_Return);
  QTest::keyClick(&grid, Qt::Key_F2);
  EXPECT_TRUE(keyDowns.empty());
  EXPECT_TRUE(pressed.empty());
}

TEST_F(CellGridNavigationTest, KeyDownNotificationCanSwallowAKey) {
  grid.OnKeyDown = [](TCellGrid&, int& key, TShiftState) {
    if (key == Qt::Key_Down) key = 0;
  };
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(Current(), std::make_pair(0, 1));
  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_EQ(Current(), std::make_pair(1, 1));
}

TEST(CellGridFocusTest, TabLeavesTheGrid) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* grid = new TCellGrid;
  auto* edit = new QLineEdit;
  layout->addWidget(grid);
  layout->addWidget(edit);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  grid->setFocus();
  ASSERT_TRUE(grid->hasFocus());
  const std::pair<int, int> before{grid->Col(), grid->Row()};
  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(std::make_pair(grid->Col(), grid->Row()), before);
}

TEST_F(CellGridNavigationTest, MiddleButtonPansUntilAKeyOrButton) {
  const QPoint origin = Centre(2, 10);
  QTest::mousePress(grid.viewport(), Qt::MiddleButton, Qt::NoModifier, origin);
  QTest::mouseRelease(grid.viewport(), Qt::MiddleButton, Qt::NoModifier, origin);
  ASSERT_TRUE(grid.Panning());
  EXPECT_EQ(grid.viewport()->cursor().shape(), Qt::BitmapCursor);
  // Within the dead zone and sideways nothing moves.
  Move(origin + QPoint(40, 5), Qt::NoButton);
  QTest::qWait(100);
  EXPECT_EQ(Current(), std::make_pair(0, 1));
  Move(origin + QPoint(0, 20), Qt::NoButton);
  EXPECT_TRUE(WaitFor([&] { return grid.Row() >= 6; }));
  QTest::keyClick(&grid, Qt::Key_A);
  EXPECT_FALSE(grid.Panning());
  EXPECT_EQ(grid.viewport()->cursor().shape(), Qt::ArrowCursor);
  const int row = grid.Row();
  QTest::qWait(100);
  EXPECT_EQ(grid.Row(), row);

  // A left press only ends the panning.
  QTest::mousePress(grid.viewport(), Qt::MiddleButton, Qt::NoModifier, origin);
  QTest::mouseRelease(grid.viewport(), Qt::MiddleButton, Qt::NoModifier, origin);
  ASSERT_TRUE(grid.Panning());
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(4, 2));
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Centre(4, 2));
  EXPECT_FALSE(grid.Panning());
  EXPECT_EQ(Current(), std::make_pair(0, row));
}

}  // namespace
