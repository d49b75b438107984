// The windows as a screen reader and a keyboard user meet them, and their texts on every theme.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QtTest>
#include <memory>

#include "app/Unit2.h"
#include "app/pidwindow.h"
#include "grid/CellGrid.h"
#include "tests/support/TempDir.h"
#include "tests/support/ThemePalettes.h"

using namespace orlex::app;
using namespace orlex::grid;

namespace {

QString Name(QObject* object) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
  return iface ? iface->text(QAccessible::Name) : QString("<none>");
}

QImage Grab(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

class PidWindowThemeTest : public testing::TestWithParam<TThemePalette> {};

// Title and value against the window's face, before any settings (theme colours for both) and with
// threshold checking on chosen colours (theme text on a chosen face).
TEST_P(PidWindowThemeTest, TitleAndValueContrastAtLeastFourAndAHalfToOne) {
  const TPaletteGuard theme(GetParam().palette);
  for (const int face : {-1, 0xC0FFC0, 0x202080}) {
    SCOPED_TRACE(face);
    TPidWnd window(nullptr);
    window.SetTexts("Engine Speed", "--");
    window.show();
    if (face >= 0) {
      window.Setup("Engine Speed", "--", -1, -1, nullptr, 100.0, face, face, true, 15, ColorToInt(clWindowText),
                   "Arial", -1, -1);
    }
    window.UpdateValue("2906");
    const QImage image = Grab(window);
    const QRgb background = image.pixel(1, 1) | 0xFF000000u;
    EXPECT_GE(InkContrast(image, window.ptitle->geometry(), background), 4.5);
    EXPECT_GE(InkContrast(image, window.value->geometry(), background), 4.5);
  }
}

INSTANTIATE_TEST_SUITE_P(Themes, PidWindowThemeTest, testing::ValuesIn(ThemePalettes()),
                         [](const testing::TestParamInfo<TThemePalette>& info) { return info.param.name; });

TEST(PidWindowTheme, LightThemeKeepsItsColoursAndChosenFontColoursStay) {
  {
    const TPaletteGuard theme(LightThemePalette());
    TPidWnd window(nullptr);
    EXPECT_EQ(window.value->palette().color(QPalette::WindowText), QApplication::palette().color(QPalette::WindowText));
    EXPECT_EQ(window.BackgroundColor(), QApplication::palette().color(QPalette::HighlightedText));
  }
  const TPaletteGuard theme(DarkThemePalette());
  TPidWnd window(nullptr);
  // White on white was chosen; it is not corrected.
  window.Setup("Engine Speed", "--", -1, -1, nullptr, 0.0, 0xFFFFFF, 0xFFFFFF, true, 15, 0xFFFFFF, "Arial", -1, -1);
  window.UpdateValue("1");
  EXPECT_EQ(window.value->palette().color(QPalette::WindowText), QColor(Qt::white));
  EXPECT_EQ(window.ptitle->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST(PidWindowTheme, ThemeChangedWhileOpenKeepsTheTextReadable) {
  const TPaletteGuard light(LightThemePalette());
  TPidWnd window(nullptr);
  window.SetTexts("Engine Speed", "2906");
  window.show();
  // High contrast turns the caption-text face black and the window text white.
  const TPaletteGuard highContrast(HighContrastPalette());
  const QImage image = Grab(window);
  const QRgb background = image.pixel(1, 1) | 0xFF000000u;
  EXPECT_EQ(QColor(background), QApplication::palette().color(QPalette::HighlightedText));
  EXPECT_GE(InkContrast(image, window.value->geometry(), background), 4.5);
}

TEST(PidWindowAccessibility, ValueReadsTheValueAndWindowItsDescription) {
  TPidWnd window(nullptr);
  window.SetTexts("Engine Speed", "--");
  window.show();
  window.UpdateValue("2906");
  EXPECT_EQ(Name(&window), "Engine Speed");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
  EXPECT_EQ(Name(window.value), "2906");
  QAccessibleInterface* value = QAccessible::queryAccessibleInterface(window.value);
  EXPECT_EQ(value->text(QAccessible::Description), "Engine Speed");
  EXPECT_EQ(value->role(), QAccessible::StaticText);
  // A hidden window reads the value it will show.
  window.hide();
  window.UpdateValue("3100");
  EXPECT_EQ(Name(window.value), "3100");
}

class MainWindowAccessibility : public testing::Test {
 protected:
  void SetUp() override { form_ = std::make_unique<TForm2>(dir_.Path()); }
  TTempDir dir_;
  std::unique_ptr<TForm2> form_;
};

TEST_F(MainWindowAccessibility, ControlsHaveNames) {
  EXPECT_EQ(Name(form_->TrackBar1), "Zoom");
  EXPECT_EQ(Name(form_->Button1), "Debugger");
  EXPECT_EQ(Name(form_->msgtxt), "Status Message");
  form_->updatemsg("Watching for PID Data");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(form_->msgtxt)->text(QAccessible::Description),
            "Watching for PID Data");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(form_->pidgrid)->role(), QAccessible::Table);
}

// The Menu key reaches the window as a keyboard context-menu request (the X11 platform sends one);
// Shift+F10 is the other desktop convention.
class MainWindowContextKey : public MainWindowAccessibility, public testing::WithParamInterface<bool> {};

TEST_P(MainWindowContextKey, OpensTheGridMenuAtTheCurrentCell) {
  form_->show();
  QApplication::setActiveWindow(form_.get());
  form_->pidgrid->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form_->pidgrid->hasFocus(); }));
  form_->pidgrid->MoveCurrent(4, 12, true, true);
  if (GetParam()) {
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(form_->windowHandle(), &request);
  } else {
    QTest::keyClick(form_->pidgrid, Qt::Key_F10, Qt::ShiftModifier);
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return form_->PopupMenu1->isVisible(); }, 2000));
  const QRect cell = form_->pidgrid->CellRect(4, 12);
  const QRect onScreen(form_->pidgrid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
  const QPoint at = form_->PopupMenu1->pos();
  EXPECT_TRUE(onScreen.contains(at)) << at.x() << "," << at.y() << " not in cell at " << onScreen.x() << ","
                                     << onScreen.y();
  form_->PopupMenu1->hide();
}

INSTANTIATE_TEST_SUITE_P(Keys, MainWindowContextKey, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "MenuKey" : "ShiftF10");
                         });

}  // namespace
