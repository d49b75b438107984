// The grid as a screen reader sees it: a table of its cells with the header row as column headers,
// following the current cell.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QtTest>
#include <vector>

#include "grid/CellGrid.h"
#include "grid/CellGridAccessible.h"
#include "tests/grid/SystemGridWidget.h"

using namespace orlex::grid;

namespace {

// Records what the grid tells assistive technology while the test pretends one listens.
class TAccessibleEvents {
 public:
  TAccessibleEvents() {
    events().clear();
    orlex::grid::SetAccessibleEventRecorderForTest(
        [](QAccessibleEvent& event) { events().push_back({event.type(), event.child()}); });
  }
  ~TAccessibleEvents() { orlex::grid::SetAccessibleEventRecorderForTest({}); }
  struct TEvent {
    QAccessible::Event type;
    int child;
  };
  static std::vector<TEvent>& events() {
    static std::vector<TEvent> list;
    return list;
  }
  static int Count(QAccessible::Event type, int child) {
    int n = 0;
    for (const TEvent& e : events()) n += (e.type == type && e.child == child) ? 1 : 0;
    return n;
  }
};

class CellGridAccessibleTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGridWidget(grid);
    SystemColumnColors(grid);
    grid.SetCells(0, 1, "Engine Speed");
    grid.SetCells(1, 1, "2906");
    grid.SetCells(4, 20, "Speed</b> <B>RPM");
  }
  QAccessibleInterface* Table() { return QAccessible::queryAccessibleInterface(&grid); }
  QString Name(QAccessibleInterface* cell) { return cell ? cell->text(QAccessible::Name) : QString("<none>"); }
  TCellGrid grid;
};

TEST_F(CellGridAccessibleTest, IsATableOfTheScrollableCellsWithEveryCellAsChild) {
  QAccessibleInterface* table = Table();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->role(), QAccessible::Table);
  ASSERT_NE(table->tableInterface(), nullptr);
  EXPECT_EQ(table->tableInterface()->rowCount(), 20);
  EXPECT_EQ(table->tableInterface()->columnCount(), 6);
  EXPECT_EQ(table->childCount(), 6 * 21);
  // Children run row by row through the whole grid; the header row comes first.
  EXPECT_EQ(table->child(0)->role(), QAccessible::ColumnHeader);
  EXPECT_EQ(Name(table->child(1)), "Value");
  QAccessibleInterface* value = table->child(1 * 6 + 1);
  EXPECT_EQ(value->role(), QAccessible::Cell);
  EXPECT_EQ(table->indexOfChild(value), 7);
  EXPECT_EQ(value->parent(), table);
}

TEST_F(CellGridAccessibleTest, CellsAreNamedByTheTextTheyShow) {
  QAccessibleTableInterface* table = Table()->tableInterface();
  // Table cell (row, column) is the grid cell (column, row + the header row).
  EXPECT_EQ(Name(table->cellAt(0, 0)), "Engine Speed");
  EXPECT_EQ(Name(table->cellAt(0, 1)), "2906");
  EXPECT_EQ(Name(table->cellAt(1, 0)), "");
  EXPECT_EQ(Name(table->cellAt(19, 4)), "Speed RPM");  // HTML read without its tags
  EXPECT_EQ(table->cellAt(20, 0), nullptr);
  EXPECT_EQ(table->cellAt(0, 6), nullptr);
  // A new text is read at once.
  grid.SetCells(1, 1, "2950");
  EXPECT_EQ(Name(table->cellAt(0, 1)), "2950");
}

TEST_F(CellGridAccessibleTest, CellsKnowTheirPlaceAndTheirColumnHeader) {
  QAccessibleInterface* cell = Table()->tableInterface()->cellAt(4, 3);
  QAccessibleTableCellInterface* place = cell->tableCellInterface();
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->rowIndex(), 4);
  EXPECT_EQ(place->columnIndex(), 3);
  const QList<QAccessibleInterface*> headers = place->columnHeaderCells();
  ASSERT_EQ(headers.size(), 1);
  EXPECT_EQ(Name(headers[0]), "Value");
  EXPECT_TRUE(place->rowHeaderCells().isEmpty());
  EXPECT_EQ(Table()->tableInterface()->columnDescription(2), "Description");
  // Screen position: the cell's rectangle on the screen.
  EXPECT_EQ(cell->rect().size(), grid.CellRect(3, 5).size());
}

TEST_F(CellGridAccessibleTest, FocusFollowsTheCurrentCell) {
  const TAccessibleEvents listener;
  grid.show();
  QApplication::setActiveWindow(&grid);
  grid.setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid.hasFocus(); }));
  QAccessibleInterface* table = Table();
  EXPECT_EQ(table->focusChild(), table->tableInterface()->cellAt(0, 0));

  grid.MoveCurrent(3, 5, true, true);
  QAccessibleInterface* current = table->tableInterface()->cellAt(4, 3);
  EXPECT_EQ(table->focusChild(), current);
  EXPECT_TRUE(current->state().focused);
  EXPECT_TRUE(current->state().selected);
  EXPECT_FALSE(table->tableInterface()->cellAt(0, 0)->state().focused);
  EXPECT_EQ(TAccessibleEvents::Count(QAccessible::Focus, 5 * 6 + 3), 1);

  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_EQ(table->focusChild(), table->tableInterface()->cellAt(4, 4));
  EXPECT_EQ(TAccessibleEvents::Count(QAccessible::Focus, 5 * 6 + 4), 1);
}

TEST_F(CellGridAccessibleTest, TextChangesAreAnnouncedOncePerPaintAndOnlyToAListener) {
  grid.show();
  grid.FlushRepaints();
  {
    const TAccessibleEvents listener;
    for (int i = 0; i < 50; ++i) grid.SetCells(1, 1, std::to_string(3000 + i));
    grid.FlushRepaints();
    EXPECT_EQ(TAccessibleEvents::Count(QAccessible::NameChanged, 1 * 6 + 1), 1);
  }
  // Nobody listens: nothing is kept, so a listener that comes later hears nothing old.
  TAccessibleEvents::events().clear();
  grid.SetCells(1, 1, "4000");
  const TAccessibleEvents lateListener;
  grid.FlushRepaints();
  EXPECT_EQ(TAccessibleEvents::Count(QAccessible::NameChanged, 1 * 6 + 1), 0);
}

TEST_F(CellGridAccessibleTest, NewCountsRebuildTheCells) {
  QAccessibleTableInterface* table = Table()->tableInterface();
  ASSERT_NE(table->cellAt(19, 5), nullptr);
  grid.SetRowCount(11);
  grid.SetColCount(4);
  EXPECT_EQ(table->rowCount(), 10);
  EXPECT_EQ(table->columnCount(), 4);
  EXPECT_EQ(table->cellAt(19, 5), nullptr);
  EXPECT_EQ(Name(table->cellAt(0, 1)), "2906");
  EXPECT_EQ(Table()->childCount(), 4 * 11);
}

}  // namespace
