#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <utility>

#include "grid/core/GridNavigation.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

constexpr int kAllRowsHigh = 538;  // the main window's grid: header and 20 rows of 22 fit
constexpr int kTenRowsHigh = 242;  // header and exactly ten rows of 22

// The main window's grid as navigation sees it: six columns of 128 and 21 rows of 22 (one header
// row, no fixed column) in a 772-pixel-wide viewport. Moves may be refused cell by cell.
class TNavModel final : public TNavTarget {
 public:
  explicit TNavModel(int viewHeight = kAllRowsHigh, TNavPosition start = {0, 1, 0, 1}) : height(viewHeight), at(start) {
    cols.SetCount(6);
    rows.SetCount(21);
  }

  TGridAxis ColAxis() const override { return TGridAxis{cols, 6, 0, 772}; }
  TGridAxis RowAxis() const override { return TGridAxis{rows, 21, 1, height}; }
  TNavPosition Position() const override { return at; }
  void ScrollTo(int leftCol, int topRow) override {
    at.LeftCol = leftCol;
    at.TopRow = topRow;
  }
  void FocusCell(int col, int row) override {
    if (refused.count({col, row})) return;
    at.Col = col;
    at.Row = row;
    at.LeftCol = ColAxis().ScrollIntoView(at.LeftCol, col);
    at.TopRow = RowAxis().ScrollIntoView(at.TopRow, row);
  }
  void ZoomBy(int delta) override { zoom += delta; }

  TSizeList cols{128};
  TSizeList rows{22};
  int height;
  TNavPosition at;
  std::set<std::pair<int, int>> refused;
  int zoom = 0;
};

}  // namespace

// Readable failures for positions; beside the type, where GoogleTest's lookup finds it.
namespace orlex::grid {
static void PrintTo(const TNavPosition& p, std::ostream* os) {
  *os << "(col " << p.Col << ", row " << p.Row << ", left " << p.LeftCol << ", top " << p.TopRow << ")";
}
}  // namespace orlex::grid

namespace {

// ---- Mouse coordinates to cells ----

struct IndexCase {
  const char* name;
  bool rowsAxis;
  int topLeft;
  int zeroSizeIndex;  // -1: none
  int pos;
  int expected;
};

void PrintTo(const IndexCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class IndexAtTest : public testing::TestWithParam<IndexCase> {};

TEST_P(IndexAtTest, FindsTheCellWhoseFarEdgeLiesBeyondThePoint) {
  const IndexCase& c = GetParam();
  TNavModel model(kTenRowsHigh);
  TSizeList& sizes = c.rowsAxis ? model.rows : model.cols;
  if (c.zeroSizeIndex >= 0) sizes.Set(c.zeroSizeIndex, 0);
  const TGridAxis axis = c.rowsAxis ? model.RowAxis() : model.ColAxis();
  EXPECT_EQ(axis.IndexAt(c.topLeft, c.pos), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexAtTest,
    testing::Values(IndexCase{"FirstColumn", false, 0, -1, 0, 0},
                    IndexCase{"LastPixelOfAColumn", false, 0, -1, 127, 0},
                    IndexCase{"NextColumnStartsAtTheEdge", false, 0, -1, 128, 1},
                    IndexCase{"LastColumn", false, 0, -1, 767, 5},
                    IndexCase{"RightOfTheLastColumn", false, 0, -1, 768, -1},
                    IndexCase{"LeftOfTheGrid", false, 0, -1, -1, -1},
                    IndexCase{"ZeroWidthColumnIsSkipped", false, 0, 1, 128, 2},
                    IndexCase{"HeaderRow", true, 1, -1, 5, 0},
                    IndexCase{"HeaderRowWhileScrolled", true, 7, -1, 21, 0},
                    IndexCase{"FirstScrolledRowIsTheTopRow", true, 7, -1, 22, 7},
                    IndexCase{"ScrolledPartCountsFromTheTopRow", true, 7, -1, 22 + 3 * 22, 10},
                    IndexCase{"BelowTheLastRow", true, 11, -1, 22 + 10 * 22, -1}),
    [](const auto& info) { return info.param.name; });

// ---- Cell edges and the visible part ----

struct StartCase {
  const char* name;
  int topRow;
  int row;
  int expected;
};

void PrintTo(const StartCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class StartTest : public testing::TestWithParam<StartCase> {};

TEST_P(StartTest, FixedFromZeroScrolledFromTheTopRow) {
  const StartCase& c = GetParam();
  TNavModel model(kTenRowsHigh);
  EXPECT_EQ(model.RowAxis().Start(c.topRow, c.row), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartTest,
                         testing::Values(StartCase{"HeaderRow", 7, 0, 0},
                                         StartCase{"TopRowFollowsTheHeader", 7, 7, 22},
                                         StartCase{"BelowTheTopRow", 7, 10, 22 + 3 * 22},
                                         StartCase{"BelowTheViewStillHasAnEdge", 1, 15, 22 + 14 * 22},
                                         StartCase{"ScrolledOutAbove", 7, 6, -1},
                                         StartCase{"BeyondTheLastRow", 1, 21, -1},
                                         StartCase{"Negative", 1, -1, -1}),
                         [](const auto& info) { return info.param.name; });

struct VisibleCase {
  const char* name;
  int viewHeight;
  int topRow;
  int lastVisible;
  int lastFullyVisible;
};

void PrintTo(const VisibleCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class LastVisibleTest : public testing::TestWithParam<VisibleCase> {};

TEST_P(LastVisibleTest, PartlyAndFullyVisibleRows) {
  const VisibleCase& c = GetParam();
  TNavModel model(c.viewHeight);
  EXPECT_EQ(model.RowAxis().LastVisible(c.topRow), c.lastVisible);
  EXPECT_EQ(model.RowAxis().LastFullyVisible(c.topRow), c.lastFullyVisible);
}

INSTANTIATE_TEST_SUITE_P(Cases, LastVisibleTest,
                         testing::Values(VisibleCase{"RowEndingAtTheEdgeIsBoth", kTenRowsHigh, 1, 10, 10},
                                         VisibleCase{"PartlyShownRowAtTheBottom", kTenRowsHigh + 8, 1, 11, 10},
                                         VisibleCase{"ViewBeyondTheLastRow", kTenRowsHigh, 15, 20, 20},
                                         VisibleCase{"OnlyTheHeaderFits", 22, 1, 1, 0}),
                         [](const auto& info) { return info.param.name; });

// ---- Keeping cells in view ----

struct IntoViewCase {
  const char* name;
  int topRow;
  int row;
  int expectedTop;
};

void PrintTo(const IntoViewCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ScrollIntoViewTest : public testing::TestWithParam<IntoViewCase> {};

TEST_P(ScrollIntoViewTest, ScrollsAsLittleAsNeeded) {
  const IntoViewCase& c = GetParam();
  TNavModel model(kTenRowsHigh);
  EXPECT_EQ(model.RowAxis().ScrollIntoView(c.topRow, c.row), c.expectedTop);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrollIntoViewTest,
                         testing::Values(IntoViewCase{"AlreadyVisible", 1, 10, 1},
                                         IntoViewCase{"OneBelowShowsItAtTheBottom", 1, 11, 2},
                                         IntoViewCase{"LastRowShowsTheLastPage", 1, 20, 11},
                                         IntoViewCase{"AboveBecomesTheTopRow", 5, 3, 3},
                                         IntoViewCase{"FixedRowNeverScrolls", 5, 0, 5}),
                         [](const auto& info) { return info.param.name; });

TEST(GridAxisTest, PagesAndLimitsFollowTheView) {
  TNavModel tall;
  EXPECT_EQ(tall.RowAxis().MaxTopLeft(), 1);
  EXPECT_EQ(tall.RowAxis().PageSize(1), 19);
  EXPECT_EQ(tall.ColAxis().PageSize(0), 5);
  TNavModel ten(kTenRowsHigh);
  EXPECT_EQ(ten.RowAxis().MaxTopLeft(), 11);
  EXPECT_EQ(ten.RowAxis().LastFullyVisible(1), 10);
  EXPECT_EQ(ten.RowAxis().PageSize(1), 9);
  // A row taller than the view: nothing is fully visible, a page is still one row.
  ten.rows.Set(4, 500);
  EXPECT_EQ(ten.RowAxis().LastFullyVisible(4), 3);
  EXPECT_EQ(ten.RowAxis().PageSize(4), 1);
  EXPECT_EQ(ten.RowAxis().ScrollIntoView(1, 4), 4);
}

// ---- Scroll bars ----

struct ScrollCase {
  const char* name;
  int topRow;
  TScrollCode code;
  int thumbPos;
  int zeroHeightRow;  // -1: none
  int expectedTop;
};

void PrintTo(const ScrollCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ScrollCodeTest : public testing::TestWithParam<ScrollCase> {};

TEST_P(ScrollCodeTest, MovesTheTopRowWithinItsRange) {
  const ScrollCase& c = GetParam();
  TNavModel model(kTenRowsHigh);
  if (c.zeroHeightRow >= 0) model.rows.Set(c.zeroHeightRow, 0);
  EXPECT_EQ(model.RowAxis().Scroll(c.topRow, c.code, c.thumbPos), c.expectedTop);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScrollCodeTest,
    testing::Values(ScrollCase{"LineDown", 1, scLineDown, 0, -1, 2},
                    ScrollCase{"LineUpAtTheTop", 1, scLineUp, 0, -1, 1},
                    ScrollCase{"LineDownAtTheBottom", 11, scLineDown, 0, -1, 11},
                    ScrollCase{"LineDownStepsOverAZeroHeightRow", 1, scLineDown, 0, 2, 3},
                    ScrollCase{"LineUpStepsOverAZeroHeightRow", 4, scLineUp, 0, 3, 2},
                    ScrollCase{"PageDownByThePageHeight", 1, scPageDown, 0, -1, 10},
                    ScrollCase{"PageDownStopsAtTheLastPage", 10, scPageDown, 0, -1, 11},
                    ScrollCase{"PageUpBringsTheTopRowToTheBottom", 11, scPageUp, 0, -1, 2},
                    ScrollCase{"PageUpAtLeastOne", 2, scPageUp, 0, -1, 1},
                    ScrollCase{"Top", 7, scTop, 0, -1, 1},
                    ScrollCase{"Bottom", 3, scBottom, 0, -1, 11},
                    ScrollCase{"ThumbAtZero", 7, scThumbPosition, 0, -1, 1},
                    ScrollCase{"ThumbAtTheEnd", 1, scThumbPosition, 127, -1, 11},
                    ScrollCase{"ThumbHalfway", 1, scThumbPosition, 64, -1, 6}),
    [](const auto& info) { return info.param.name; });

TEST(GridAxisTest, ScrollPositionsSpanZeroTo127) {
  TNavModel ten(kTenRowsHigh);
  const TGridAxis rows = ten.RowAxis();
  EXPECT_EQ(rows.ScrollPos(1), 0);
  EXPECT_EQ(rows.ScrollPos(6), 64);
  EXPECT_EQ(rows.ScrollPos(11), 127);
  for (int top = 1; top <= 11; ++top) EXPECT_EQ(rows.TopLeftAtScrollPos(rows.ScrollPos(top)), top) << top;
  // Nothing to scroll: the bar stays at 0.
  TNavModel tall;
  EXPECT_EQ(tall.RowAxis().ScrollPos(1), 0);
  EXPECT_EQ(tall.RowAxis().TopLeftAtScrollPos(127), 1);
}

// ---- Keys ----

struct KeyCase {
  const char* name;
  int viewHeight;
  TNavPosition from;
  TNavKey key;
  bool ctrl;
  TNavPosition expected;
};

void PrintTo(const KeyCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class NavigationKeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(NavigationKeyTest, MovesAndScrollsWithinTheGrid) {
  const KeyCase& c = GetParam();
  TNavModel model(c.viewHeight, c.from);
  ApplyNavigationKey(model, c.key, c.ctrl);
  EXPECT_EQ(model.at, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NavigationKeyTest,
    testing::Values(
        KeyCase{"DownOnTheLastRowStays", kAllRowsHigh, {0, 20, 0, 1}, nkDown, false, {0, 20, 0, 1}},
        KeyCase{"UpOnRowOneStaysOffTheHeader", kAllRowsHigh, {2, 1, 0, 1}, nkUp, false, {2, 1, 0, 1}},
        KeyCase{"LeftOnColumnZeroStays", kAllRowsHigh, {0, 4, 0, 1}, nkLeft, false, {0, 4, 0, 1}},
        KeyCase{"Right", kAllRowsHigh, {2, 4, 0, 1}, nkRight, false, {3, 4, 0, 1}},
        KeyCase{"CtrlHome", kAllRowsHigh, {3, 7, 0, 1}, nkHome, true, {0, 1, 0, 1}},
        KeyCase{"CtrlEnd", kAllRowsHigh, {0, 1, 0, 1}, nkEnd, true, {5, 20, 0, 1}},
        KeyCase{"HomeKeepsTheRow", kAllRowsHigh, {3, 7, 0, 1}, nkHome, false, {0, 7, 0, 1}},
        KeyCase{"EndKeepsTheRow", kAllRowsHigh, {1, 7, 0, 1}, nkEnd, false, {5, 7, 0, 1}},
        KeyCase{"CtrlRightByThePageWidth", kAllRowsHigh, {0, 4, 0, 1}, nkRight, true, {5, 4, 0, 1}},
        KeyCase{"CtrlLeftByThePageWidth", kAllRowsHigh, {5, 4, 0, 1}, nkLeft, true, {0, 4, 0, 1}},
        KeyCase{"PageDownToTheLastRow", kAllRowsHigh, {1, 1, 0, 1}, nkPageDown, false, {1, 20, 0, 1}},
        KeyCase{"PageUpToRowOne", kAllRowsHigh, {1, 20, 0, 1}, nkPageUp, false, {1, 1, 0, 1}},
        KeyCase{"PageDownMovesRowAndTopRow", kTenRowsHigh, {0, 1, 0, 1}, nkPageDown, false, {0, 10, 0, 10}},
        KeyCase{"PageDownNearTheEnd", kTenRowsHigh, {0, 10, 0, 10}, nkPageDown, false, {0, 19, 0, 11}},
        KeyCase{"PageUpMovesRowAndTopRow", kTenRowsHigh, {0, 15, 0, 11}, nkPageUp, false, {0, 6, 0, 2}},
        KeyCase{"CtrlDownScrollsOnly", kTenRowsHigh, {0, 1, 0, 1}, nkDown, true, {0, 1, 0, 2}},
        KeyCase{"CtrlUpAtTheTopDoesNothing", kTenRowsHigh, {0, 3, 0, 1}, nkUp, true, {0, 3, 0, 1}},
        KeyCase{"CtrlPageUpToTheTopRow", kTenRowsHigh, {0, 8, 0, 5}, nkPageUp, true, {0, 5, 0, 5}},
        KeyCase{"CtrlPageDownToTheLastVisibleRow", kTenRowsHigh, {0, 3, 0, 1}, nkPageDown, true, {0, 10, 0, 1}},
        KeyCase{"DownBelowTheViewScrollsByOne", kTenRowsHigh, {0, 10, 0, 1}, nkDown, false, {0, 11, 0, 2}},
        KeyCase{"CtrlEndShowsTheLastPage", kTenRowsHigh, {0, 1, 0, 1}, nkEnd, true, {5, 20, 0, 11}}),
    [](const auto& info) { return info.param.name; });

TEST(NavigationKeyTest, RefusedMoveLeavesTheCurrentCell) {
  TNavModel model;
  model.refused.insert({0, 2});
  ApplyNavigationKey(model, nkDown, false);
  EXPECT_EQ(model.at, (TNavPosition{0, 1, 0, 1}));
}

// ---- Wheel ----

struct WheelCase {
  const char* name;
  int viewHeight;
  TNavPosition from;
  std::vector<int> deltas;
  bool ctrl;
  bool ownStep;
  std::set<std::pair<int, int>> refused;
  TNavPosition expected;
  int expectedZoom;
};

void PrintTo(const WheelCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class WheelTest : public testing::TestWithParam<WheelCase> {};

TEST_P(WheelTest, OwnStepThenAccumulatedSteps) {
  const WheelCase& c = GetParam();
  TNavModel model(c.viewHeight, c.from);
  model.refused = c.refused;
  TWheelAccumulator accumulator;
  for (int delta : c.deltas) ApplyWheel(model, accumulator, TWheelSettings{}, delta, c.ctrl, c.ownStep);
  EXPECT_EQ(model.at, c.expected);
  EXPECT_EQ(model.zoom, c.expectedZoom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WheelTest,
    testing::Values(
        WheelCase{"NotchTowardsTheUserFromRowOne", kAllRowsHigh, {0, 1, 0, 1}, {-120}, false, true, {}, {0, 5, 0, 1}, 0},
        WheelCase{"StopsAtTheLastRow", kAllRowsHigh, {0, 18, 0, 1}, {-120}, false, true, {}, {0, 20, 0, 1}, 0},
        WheelCase{"NotchAwayFromTheUser", kAllRowsHigh, {3, 9, 0, 1}, {120}, false, true, {}, {3, 5, 0, 1}, 0},
        WheelCase{"AwayStopsAtRowOne", kAllRowsHigh, {0, 2, 0, 1}, {120}, false, true, {}, {0, 1, 0, 1}, 0},
        WheelCase{"HalfNotchesAccumulate", kAllRowsHigh, {0, 1, 0, 1}, {-60, -60}, false, true, {}, {0, 8, 0, 1}, 0},
        WheelCase{"WhilePanningOnlyTheStandardStep", kAllRowsHigh, {0, 1, 0, 1}, {-120}, false, false, {}, {0, 2, 0, 1}, 0},
        WheelCase{"CtrlZoomsInAndStillMovesOneRow", kAllRowsHigh, {0, 1, 0, 1}, {-120}, true, true, {}, {0, 2, 0, 1}, 3},
        WheelCase{"CtrlAwayZoomsOut", kAllRowsHigh, {0, 5, 0, 1}, {120}, true, true, {}, {0, 4, 0, 1}, -3},
        WheelCase{"RefusedTargetTriesHalfTheWay", kAllRowsHigh, {0, 1, 0, 1}, {-120}, false, true, {{0, 4}}, {0, 3, 0, 1}, 0},
        WheelCase{"RefusedAwayAlsoShowsARowAbove", kTenRowsHigh, {0, 8, 0, 5}, {120}, false, true, {{0, 5}}, {0, 6, 0, 4}, 0},
        WheelCase{"ScrollsTheMovedRowIntoView", kTenRowsHigh, {0, 9, 0, 1}, {-120}, false, true, {}, {0, 13, 0, 4}, 0}),
    [](const auto& info) { return info.param.name; });

TEST(WheelTest, ScrollActionMovesTheTopRowOnly) {
  TNavModel model(kTenRowsHigh);
  TWheelAccumulator accumulator;
  TWheelSettings settings;
  settings.Action = waScroll;
  ApplyWheel(model, accumulator, settings, -120, false, true);
  EXPECT_EQ(model.at, (TNavPosition{0, 1, 0, 4}));
  settings.Action = waMoveSelection;
  settings.EnableWheel = false;
  ApplyWheel(model, accumulator, settings, -120, false, true);
  EXPECT_EQ(model.at.Row, 2);  // only the standard step
}

// ---- Arming a drag ----

struct ArmCase {
  const char* name;
  TDragArmFacts facts;
  bool arms;
};

void PrintTo(const ArmCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

TDragArmFacts CurrentCellPress() {
  TDragArmFacts f;
  f.CellSelected = true;
  f.DropSource = true;
  f.ColSizing = true;
  f.FromLeftEdge = 60;
  f.FromRightEdge = 68;
  return f;
}

template <typename Change>
TDragArmFacts With(Change change) {
  TDragArmFacts f = CurrentCellPress();
  change(f);
  return f;
}

class PressArmsDragTest : public testing::TestWithParam<ArmCase> {};

TEST_P(PressArmsDragTest, OnlyAPressOnTheSelectionAwayFromItsSideEdges) {
  EXPECT_EQ(PressArmsDrag(GetParam().facts), GetParam().arms);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PressArmsDragTest,
    testing::Values(
        ArmCase{"CurrentCell", CurrentCellPress(), true},
        ArmCase{"OtherCell", With([](TDragArmFacts& f) { f.CellSelected = false; }), false},
        ArmCase{"HeaderWithoutEnhRowColMove", With([](TDragArmFacts& f) {
                  f.CellSelected = false;
                  f.FixedRow = true;
                  f.EnhRowColMove = false;
                }), true},
        ArmCase{"HeaderWithEnhRowColMove", With([](TDragArmFacts& f) {
                  f.CellSelected = false;
                  f.FixedRow = true;
                }), false},
        ArmCase{"ThreePixelsFromTheLeftEdge", With([](TDragArmFacts& f) { f.FromLeftEdge = 3; }), false},
        ArmCase{"FourPixelsFromTheLeftEdge", With([](TDragArmFacts& f) { f.FromLeftEdge = 4; }), true},
        ArmCase{"ThreePixelsFromTheRightEdge", With([](TDragArmFacts& f) { f.FromRightEdge = 3; }), false},
        ArmCase{"EdgesDoNotMatterWithoutColumnSizing", With([](TDragArmFacts& f) {
                  f.ColSizing = false;
                  f.FromLeftEdge = 0;
                }), true},
        ArmCase{"NoDropSource", With([](TDragArmFacts& f) { f.DropSource = false; }), false},
        ArmCase{"Editing", With([](TDragArmFacts& f) { f.Editing = true; }), false},
        ArmCase{"FixedColumn", With([](TDragArmFacts& f) { f.FixedCol = true; }), false},
        ArmCase{"ColumnSelectOnTheHeader", With([](TDragArmFacts& f) {
                  f.FixedRow = true;
                  f.EnhRowColMove = false;
                  f.ColOrAllSelect = true;
                }), false}),
    [](const auto& info) { return info.param.name; });

// ---- Panning ----

TEST(PanTest, DirectionsBeyondTheDeadZone) {
  const struct {
    int dx, dy;
    TIntelliPan mode;
    TPanCursor cursor;
  } cases[] = {
      {0, 5, ipVertical, pcNeutral},  {0, 6, ipVertical, pcDown},     {3, -6, ipVertical, pcUp},
      {40, 0, ipVertical, pcNeutral}, {40, -9, ipBoth, pcUpRight},    {-6, 0, ipHorizontal, pcLeft},
      {-6, 9, ipBoth, pcDownLeft},    {-6, 9, ipHorizontal, pcLeft},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PanCursorFor(c.dx, c.dy, c.mode), c.cursor) << c.dx << "," << c.dy << " mode " << int(c.mode);
  }
  EXPECT_EQ(PanStep(-6), -1);
  EXPECT_EQ(PanStep(5), 0);
  EXPECT_EQ(PanStep(6), 1);
}

}  // namespace
