#include <gtest/gtest.h>

#include <QImage>
#include <QPalette>
#include <QRegion>
#include <QWidget>

#include "grid/GridColorQt.h"
#include "grid/DropArrows.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

struct ArrowCase {
  TArrowDirection direction;
  QPolygon outline;
  QPoint inside;   // a pixel of the arrow's body
  QPoint outside;  // a pixel of the window rectangle cut away by the shape
};

void PrintTo(const ArrowCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ArrowWindows : public testing::TestWithParam<ArrowCase> {};

TEST_P(ArrowWindows, AreHiddenFramelessChildrenShapedByTheirPolygon) {
  const ArrowCase& c = GetParam();
  QWidget grid;
  TArrowWindows arrows(&grid);
  TArrowWindow* w = arrows.Window(c.direction);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Direction(), c.direction);
  EXPECT_TRUE(w->isWindow());
  EXPECT_EQ(w->parentWidget(), &grid);
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowTransparentForInput);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->mask(), QRegion(c.outline, Qt::WindingFill));
  EXPECT_TRUE(w->mask().contains(c.inside));
  EXPECT_FALSE(w->mask().contains(c.outside));
  EXPECT_TRUE(w->rect().contains(c.outline.boundingRect()));
}

INSTANTIATE_TEST_SUITE_P(
    Directions, ArrowWindows,
    testing::Values(
        ArrowCase{adUp, QPolygon({{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}}), {5, 7}, {0, 8}},
        ArrowCase{adDown, QPolygon({{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}}), {5, 2}, {0, 0}},
        ArrowCase{adRight, QPolygon({{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}}), {2, 5}, {0, 0}},
        ArrowCase{adLeft, QPolygon({{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}}), {6, 5}, {8, 0}}),
                         orlex::test::CaseName);

TEST(ArrowWindows, PaintInLimeUntilSetArrowColorRecoloursAllFour) {
  QWidget grid;
  TArrowWindows arrows(&grid);
  const QPoint body[4] = {{5, 7}, {5, 2}, {2, 5}, {6, 5}};
  for (int d = adUp; d <= adLeft; ++d) {
    const QImage image = arrows.Window(TArrowDirection(d))->grab().toImage();
    EXPECT_EQ(image.pixelColor(body[d]), QColor(0, 255, 0)) << "direction " << d;
  }
  arrows.SetArrowColor(255);  // what the main window sets at start-up: pure red
  EXPECT_EQ(arrows.ArrowColor(), 0x0000FFu);
  for (int d = adUp; d <= adLeft; ++d) {
    TArrowWindow* w = arrows.Window(TArrowDirection(d));
    EXPECT_EQ(w->Color(), 0x0000FFu);
    EXPECT_EQ(w->grab().toImage().pixelColor(body[d]), QColor(255, 0, 0)) << "direction " << d;
  }
}

TEST(ArrowWindows, GoWithTheirOwnerBeforeTheGrid) {
  QWidget grid;
  {
    TArrowWindows arrows(&grid);
    EXPECT_EQ(grid.findChildren<TArrowWindow*>().size(), 4);
  }
  EXPECT_TRUE(grid.findChildren<TArrowWindow*>().isEmpty());
}

struct SystemColorCase {
  TColor color;
  QPalette::ColorRole role;
};

void PrintTo(const SystemColorCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class SystemColors : public testing::TestWithParam<SystemColorCase> {};

TEST_P(SystemColors, ResolveThroughThePalette) {
  QPalette palette;
  // Distinct colours per role, so a wrong role cannot pass by accident.
  for (int r = 0; r < QPalette::NColorRoles; ++r)
    palette.setColor(QPalette::Active, QPalette::ColorRole(r), QColor(r * 7, 255 - r * 5, 100 + r));
  EXPECT_EQ(ColorToQColor(GetParam().color, palette), palette.color(QPalette::Active, GetParam().role));
}

INSTANTIATE_TEST_SUITE_P(Roles, SystemColors,
                         testing::Values(SystemColorCase{clBtnFace, QPalette::Button},
                                         SystemColorCase{clHighlight, QPalette::Highlight},
                                         SystemColorCase{clHighlightText, QPalette::HighlightedText},
                                         SystemColorCase{clWindowText, QPalette::WindowText},
                                         SystemColorCase{clWindow, QPalette::Base},
                                         SystemColorCase{clCaptionText, QPalette::HighlightedText},
                                         SystemColorCase{clInfoBk, QPalette::ToolTipBase},
                                         SystemColorCase{clInfoText, QPalette::ToolTipText},
                                         SystemColorCase{clBtnText, QPalette::ButtonText},
                                         SystemColorCase{clBtnShadow, QPalette::Dark},
                                         SystemColorCase{clMenu, QPalette::Window}),
                         orlex::test::CaseName);

TEST(GridColors, RgbValuesAndSignedConversions) {
  const QPalette palette;
  EXPECT_EQ(ColorToQColor(0x8CF0F9, palette), QColor(0xF9, 0xF0, 0x8C));
  EXPECT_EQ(ColorToQColor(14936298, palette), QColor(0xEA, 0xE8, 0xE3));
  EXPECT_EQ(ColorToQColor(clNone, palette).alpha(), 0);
  EXPECT_EQ(ColorToInt(clBtnFace), -16777201);
  EXPECT_EQ(IntToColor(-16777201), clBtnFace);
  EXPECT_EQ(IntToColor(ColorToInt(clNone)), clNone);
  EXPECT_EQ(ColorToInt(0x8CF0F9), 0x8CF0F9);
}

}  // namespace
