#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QTest>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "grid/CellGrid.h"
#include "platform/ScreenUnits.h"
#include "tests/grid/SystemGridWidget.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

class CellGridSizingTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGridWidget(grid);
    SystemColumnColors(grid);
  }
  // Line height of Arial at a size in points, as an independent measurement.
  static int LineHeight(int points) {
    QFont font("Arial");
    font.setPixelSize(orlex::PointsToPixels(points));
    return QFontMetrics(font).height();
  }
  // Shows the grid at 600 x 400, lets its first paints pass, then records what it is asked to paint.
  void ShowWatched(QObject& regions) {
    grid.resize(600, 400);
    grid.show();
    QApplication::processEvents();
    QTest::qWait(40);
    grid.viewport()->installEventFilter(&regions);
  }
  std::vector<int> Widths() const {
    std::vector<int> widths;
    for (int c = 0; c < grid.ColCount(); ++c) widths.push_back(grid.ColWidths(c));
    return widths;
  }

  TCellGrid grid;
};

TEST_F(CellGridSizingTest, FitColumnsToWidthFillsTheControl) {
  grid.show();
  QApplication::processEvents();
  grid.FitColumnsToWidth();
  EXPECT_EQ(Widths(), (std::vector<int>{132, 128, 128, 128, 128, 128}));
  // Once the rows no longer fit, the scroll bar's width comes off.
  grid.SetDefaultRowHeight(40);
  grid.SetDefaultColWidth(128);
  grid.FitColumnsToWidth();
  EXPECT_EQ(Widths(), (std::vector<int>{131, 125, 125, 125, 125, 125}));
}

TEST_F(CellGridSizingTest, FitColumnsToWidthOnOneColumn) {
  grid.SetColCount(1);
  grid.FitColumnsToWidth();
  EXPECT_EQ(grid.ColWidths(0), 774 - 2);
}

struct RowCase {
  const char* name;
  std::string text;
  int zoom;
  int heightBefore;
  int points;  // font size whose line the row must hold; 0 = the minimum height
};

void PrintTo(const RowCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class AutoSizeRowTest : public CellGridSizingTest, public testing::WithParamInterface<RowCase> {};

TEST_P(AutoSizeRowTest, HeightIsLinePlusEightNeverBelowTwentyTwo) {
  const RowCase& c = GetParam();
  grid.SetCells(2, 5, c.text);
  grid.SetRowHeights(5, c.heightBefore);
  grid.ChangeLook([&](TGridLook& look) { look.ZoomFactor = c.zoom; });
  grid.AutoSizeRow(5);
  const int expected = c.points == 0 ? 22 : std::max(22, LineHeight(c.points) + 8);
  EXPECT_EQ(grid.RowHeights(5), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AutoSizeRowTest,
                         testing::Values(RowCase{"EmptyRow", "", 0, 22, 0},
                                         RowCase{"EmptyRowZoomed", "", 25, 22, 0},
                                         RowCase{"OneLine", "Engine RPM", 0, 22, 10},
                                         RowCase{"ShrinksATallRow", "Engine RPM", 0, 90, 10},
                                         RowCase{"ZoomFiveGrows", "Engine RPM", 5, 22, 15},
                                         RowCase{"ZoomBelowZero", "Engine RPM", -3, 22, 7}),
                         [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST_F(CellGridSizingTest, AutoSizeRowCountsWrappedLinesAndTheHeaderFont) {
  grid.SetCells(0, 3, "alpha bravo charlie delta echo foxtrot golf hotel");
  grid.AutoSizeRow(3);
  EXPECT_GE(grid.RowHeights(3), 2 * LineHeight(10) + 8);
  // The header row is measured in the 8-point header font; zoomed far enough it outgrows 22.
  grid.ChangeLook([&](TGridLook& look) { look.ZoomFactor = 6; });
  grid.AutoSizeRow(0);
  EXPECT_EQ(grid.RowHeights(0), LineHeight(14) + 8);
}

TEST_F(CellGridSizingTest, MeasuringReusesTheCanvasFonts) {
  FillSixtySlots(grid);
  for (int r = 0; r < grid.RowCount(); ++r) grid.AutoSizeRow(r);
  const std::size_t built = grid.Canvas().FontsBuilt();
  for (int round = 0; round < 3; ++round)
    for (int r = 0; r < grid.RowCount(); ++r) grid.AutoSizeRow(r);
  EXPECT_EQ(grid.Canvas().FontsBuilt(), built);
}

TEST_F(CellGridSizingTest, AutoSizeColumnIsTextWidthPlusTen) {
  grid.SetCells(1, 4, "1234.5678");
  grid.SetCells(1, 5, "2");
  grid.AutoSizeColumn(1);
  QFont font("Arial");
  font.setPixelSize(13);
  EXPECT_EQ(grid.ColWidths(1), QFontMetrics(font).horizontalAdvance("1234.5678") + 10);
}

struct ZoomCase {
  const char* name;
  int startZoom;
  int delta;
  int zoomAfter;
  int sizeChange;
};

void PrintTo(const ZoomCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ZoomByTest : public CellGridSizingTest, public testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomByTest, StepsWithinTenEitherWay) {
  const ZoomCase& c = GetParam();
  grid.ChangeLook([&](TGridLook& look) { look.ZoomFactor = c.startZoom; });
  grid.ZoomBy(c.delta);
  EXPECT_EQ(grid.Look().ZoomFactor, c.zoomAfter);
  EXPECT_EQ(grid.ColWidths(3), 128 + c.sizeChange);
  EXPECT_EQ(grid.RowHeights(7), 22 + c.sizeChange);
}

INSTANTIATE_TEST_SUITE_P(Cases, ZoomByTest,
                         testing::Values(ZoomCase{"FromZero", 0, 3, 3, 3}, ZoomCase{"PastTen", 9, 3, 9, 0},
                                         ZoomCase{"ToTen", 7, 3, 10, 3}, ZoomCase{"Down", 0, -3, -3, -3},
                                         ZoomCase{"PastMinusTen", -9, -2, -9, 0},
                                         ZoomCase{"AppSetBeyondTen", 12, -1, 12, 0}),
                         [](const testing::TestParamInfo<ZoomCase>& info) { return std::string(info.param.name); });

TEST_F(CellGridSizingTest, DefaultColWidthDiscardsOwnWidths) {
  grid.SetColWidths(2, 40);
  grid.SetRowHeights(3, 50);
  grid.SetDefaultColWidth(90);
  EXPECT_EQ(Widths(), std::vector<int>(6, 90));
  EXPECT_EQ(grid.RowHeights(3), 50);
  grid.SetDefaultRowHeight(30);
  EXPECT_EQ(grid.RowHeights(3), 30);
}

TEST_F(CellGridSizingTest, SizeIndexOutOfRangeFailsAndChangesNothing) {
  for (int index : {6, -1}) {
    try {
      grid.SetColWidths(index, 50);
      FAIL() << index;
    } catch (const TGridError& error) {
      EXPECT_STREQ(error.what(), "Grid index out of range");
    }
  }
  EXPECT_THROW(grid.SetRowHeights(21, 50), TGridError);
  EXPECT_EQ(Widths(), std::vector<int>(6, 128));
  // Counts that grow give the new columns the default width.
  grid.SetColWidths(5, 70);
  grid.SetColCount(8);
  EXPECT_EQ(grid.ColWidths(5), 70);
  EXPECT_EQ(grid.ColWidths(7), 128);
}

TEST_F(CellGridSizingTest, FixedSizesAreIgnoredWhileLoading) {
  TCellGrid fresh;
  fresh.SetFixedColWidth(100);  // still loading: ignored
  EXPECT_EQ(fresh.ColWidths(0), 64);
  fresh.Loaded();
  fresh.SetFixedColWidth(100);
  EXPECT_EQ(fresh.ColWidths(0), 100);
  EXPECT_EQ(fresh.ColWidths(1), 64);
  fresh.SetFixedRowHeight(30);
  EXPECT_EQ(fresh.RowHeights(0), 30);
  EXPECT_EQ(fresh.MinRowHeight, 22);
  EXPECT_EQ(fresh.MinColWidth, 10);
}

struct DragCase {
  const char* name;
  int pressX;
  int pressY;
  int releaseX;
  int widthAfter;
};

void PrintTo(const DragCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ColumnResizeTest : public CellGridSizingTest, public testing::WithParamInterface<DragCase> {};

TEST_P(ColumnResizeTest, DragsTheBorderOfAHeaderCell) {
  const DragCase& c = GetParam();
  grid.show();
  QApplication::processEvents();
  QWidget* view = grid.viewport();
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(c.pressX, c.pressY));
  QTest::mouseMove(view, QPoint(c.releaseX, c.pressY));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(c.releaseX, c.pressY));
  EXPECT_EQ(grid.ColWidths(0), c.widthAfter);
}

// Column 0's border is at x 128: the hit zone is x 125 to 132, in the header row only.
INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnResizeTest,
    testing::Values(DragCase{"Widen", 128, 10, 170, 170}, DragCase{"OffsetIsKept", 126, 10, 150, 152},
                    DragCase{"NarrowToTwo", 128, 10, 2, 2}, DragCase{"OnePixelIsRefused", 128, 10, 1, 128},
                    DragCase{"LeftOfEdgeIsRefused", 128, 10, -20, 128}, DragCase{"OutsideHitZone", 124, 10, 170, 128},
                    DragCase{"BodyRowsDoNotResize", 128, 30, 170, 128}),
    [](const testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST_F(CellGridSizingTest, SplitCursorOverAHeaderBorder) {
  grid.show();
  QApplication::processEvents();
  QTest::mouseMove(grid.viewport(), QPoint(129, 10));
  EXPECT_EQ(grid.viewport()->cursor().shape(), Qt::SplitHCursor);
  QTest::mouseMove(grid.viewport(), QPoint(60, 10));
  EXPECT_NE(grid.viewport()->cursor().shape(), Qt::SplitHCursor);
}

TEST_F(CellGridSizingTest, DoubleClickOnAHeaderBorderAutoSizesTheColumn) {
  grid.SetCells(1, 3, "999.99");
  grid.show();
  QApplication::processEvents();
  QFont font("Arial");
  font.setPixelSize(13);
  const int expected = QFontMetrics(font).horizontalAdvance("999.99") + 10;
  // Near the left edge of column 2 means column 1.
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(257, 10));
  EXPECT_EQ(grid.ColWidths(1), expected);
  // In the middle of a header cell nothing happens.
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, QPoint(60, 10));
  EXPECT_EQ(grid.ColWidths(0), 128);
}

TEST_F(CellGridSizingTest, RepaintsAreThrottledAndSkippedWhileHidden) {
  // Hidden: setters do no painting work.
  const std::uint64_t hiddenPasses = grid.PaintPassNumber();
  for (int i = 0; i < 200; ++i) grid.SetCells(1, 1 + i % 20, std::to_string(i));
  QApplication::processEvents();
  EXPECT_EQ(grid.PaintPassNumber(), hiddenPasses);

  grid.show();
  QApplication::processEvents();
  QTest::qWait(50);
  const std::uint64_t before = grid.PaintPassNumber();
  QElapsedTimer timer;
  timer.start();
  int writes = 0;
  while (timer.elapsed() < 300) {
    grid.SetCells(1 + 2 * (writes % 3), 1 + writes % 20, std::to_string(writes));
    ++writes;
    QApplication::processEvents();
  }
  QTest::qWait(40);
  const std::uint64_t passes = grid.PaintPassNumber() - before;
  EXPECT_GT(writes, 100);
  EXPECT_GE(passes, 1u);
  // At most one pass per 17 ms, plus the one already due.
  EXPECT_LE(passes, static_cast<std::uint64_t>(timer.elapsed() / 17 + 2));
}

// Collects the regions the grid's viewport is asked to paint while it is installed as a filter.
struct TPaintRegions : QObject {
  QRegion painted;
  QRegion last;  // the last paint event's own region, as the grid's flush built it
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      last = static_cast<QPaintEvent*>(event)->region();
      painted += last;
    }
    return false;
  }
};

// Written cells are repainted where they stand when the pass runs, each once however often written,
// and cells left alone are not repainted.
TEST_F(CellGridSizingTest, APassRepaintsTheWrittenCellsOnly) {
  TPaintRegions regions;
  ShowWatched(regions);
  for (int i = 0; i < 50; ++i) {
    grid.SetCells(1, 2, std::to_string(i));
    grid.SetCells(3, 4, std::to_string(i));
  }
  grid.FlushRepaints();
  QApplication::processEvents();
  grid.viewport()->removeEventFilter(&regions);
  EXPECT_TRUE(regions.painted.contains(grid.CellRect(1, 2)));
  EXPECT_TRUE(regions.painted.contains(grid.CellRect(3, 4)));
  EXPECT_FALSE(regions.painted.intersects(grid.CellRect(1, 3)));
  EXPECT_FALSE(regions.painted.intersects(grid.CellRect(2, 2)));
}

// The pass's region is exactly the repainted cells, neighbours in a row joined, rows apart kept apart.
// (A text alone may repaint less than its cell; RepaintCell is the whole cell.)
TEST_F(CellGridSizingTest, APassRegionIsExactlyTheRepaintedCells) {
  TPaintRegions regions;
  ShowWatched(regions);
  const std::vector<std::pair<int, int>> written{{3, 2}, {1, 2}, {2, 2}, {4, 3}, {1, 3}, {0, 5}, {5, 19}};
  QRegion expected;
  for (const auto& [col, row] : written) {
    grid.RepaintCell(col, row);
    expected += grid.CellRect(col, row).intersected(grid.viewport()->rect());
  }
  grid.FlushRepaints();
  QApplication::processEvents();
  grid.viewport()->removeEventFilter(&regions);
  EXPECT_EQ(regions.painted, expected);
}

// Whole columns of written values (the main window's value columns) reach the repaint as one
// rectangle each, not one per cell: the clip, the paint and the image sent to the X server each
// deal with a few rectangles.
TEST_F(CellGridSizingTest, WrittenColumnsAreOneRectangleEach) {
  TPaintRegions regions;
  ShowWatched(regions);
  QRegion expected;
  for (const int col : {1, 3}) {
    for (int row = 1; row <= 12; ++row) {
      grid.SetCells(col, row, std::to_string(col) + std::string(row % 6, '8'));  // of several widths
      expected += grid.CellRect(col, row).intersected(grid.viewport()->rect());
    }
  }
  grid.SetCells(2, 14, "apart");
  expected += grid.CellRect(2, 14).intersected(grid.viewport()->rect());
  grid.FlushRepaints();
  QApplication::processEvents();
  grid.viewport()->removeEventFilter(&regions);
  // A changed text repaints only where its pixels may lie: within the written cells, touching each.
  EXPECT_TRUE(regions.last.subtracted(expected).isEmpty()) << "nothing outside the written cells";
  for (const int col : {1, 3}) {
    for (int row = 1; row <= 12; ++row) EXPECT_TRUE(regions.last.intersects(grid.CellRect(col, row)));
  }
  EXPECT_TRUE(regions.last.intersects(grid.CellRect(2, 14)));
  EXPECT_EQ(regions.last.rectCount(), 3);
}

// A repaint that is due goes out before the event loop next waits, not one loop pass later; one that
// is not due yet still waits for its 17 ms.
TEST_F(CellGridSizingTest, ADueRepaintIsFlushedBeforeTheLoopWaits) {
  grid.show();
  QApplication::processEvents();
  grid.FlushRepaints();
  QApplication::processEvents();
  QTest::qWait(30);
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  const std::uint64_t before = grid.PaintPassNumber();
  grid.SetCells(1, 2, "due");
  emit dispatcher->aboutToBlock();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(grid.PaintPassNumber(), before + 1);

  grid.SetCells(1, 3, "early");
  emit dispatcher->aboutToBlock();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(grid.PaintPassNumber(), before + 1) << "within 17 ms of the last pass";
  QTest::qWait(40);
  EXPECT_EQ(grid.PaintPassNumber(), before + 2);
}

// Passes are spaced from start to start. A Feed sending every 20 ms onto a grid whose pass takes a
// while must find the next pass due when its packet comes, not a few milliseconds later.
TEST_F(CellGridSizingTest, PassesAreSpacedFromStartToStart) {
  // A paint that takes 12 ms, as a large grid on a slow machine may.
  struct TSlowPaint : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) QTest::qSleep(12);
      return false;
    }
  } slowPaint;
  grid.show();
  QApplication::processEvents();
  QTest::qWait(30);
  grid.viewport()->installEventFilter(&slowPaint);
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  grid.SetCells(1, 2, "first");
  QElapsedTimer sinceStart;
  sinceStart.start();
  grid.FlushRepaints();
  const std::uint64_t afterFirst = grid.PaintPassNumber();
  // 20 ms after the first pass started, 8 after it ended.
  QTest::qSleep(static_cast<int>(std::max<qint64>(0, 20 - sinceStart.elapsed())));
  grid.SetCells(1, 2, "second");
  emit dispatcher->aboutToBlock();
  grid.viewport()->removeEventFilter(&slowPaint);
  EXPECT_EQ(grid.PaintPassNumber(), afterFirst + 1) << "the next packet's pass waited for a timer";
}

TEST_F(CellGridSizingTest, OwnerResizeCallsTheHandlerAndSwallowsItsFailure) {
  QWidget owner;
  owner.resize(800, 600);
  TCellGrid child(&owner);
  child.SetOwnerWindow(&owner);
  int calls = 0;
  child.OnOwnerResize = [&] {
    ++calls;
    throw std::runtime_error("handler failed");
  };
  owner.show();
  QApplication::processEvents();
  const int shownCalls = calls;
  owner.resize(700, 500);
  QApplication::processEvents();
  EXPECT_EQ(calls, shownCalls + 1);
  // With SizeWithForm the grid follows the change of the owner's size.
  child.resize(300, 200);
  child.SizeWithForm = true;
  owner.resize(750, 540);
  QApplication::processEvents();
  EXPECT_EQ(child.size(), QSize(350, 240));
}

}  // namespace
