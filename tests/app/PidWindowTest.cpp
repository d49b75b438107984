#include "app/pidwindow.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/FontColorDialog.h"
#include "app/core/PidRegistry.h"
#include "app/PidWindowCascade.h"
#include "app/core/SettingsFile.h"
#include "tests/support/LocaleGuard.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::app;

namespace {

namespace fs = std::filesystem;

// Answers the next modal dialog from inside its event loop.
void AnswerModal(std::function<void(QWidget*)> answer, int attempts = 200) {
  QTimer::singleShot(5, [answer = std::move(answer), attempts]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      if (attempts > 0) AnswerModal(std::move(answer), attempts - 1);
      return;
    }
    answer(modal);
  });
}

// A caption-text colour that is not black, so "turned black" is visible.
class TPaletteGuard {
 public:
  TPaletteGuard() : saved_(QApplication::palette()) {
    QPalette palette = saved_;
    palette.setColor(QPalette::HighlightedText, QColor(10, 20, 30));
    QApplication::setPalette(palette);
  }
  ~TPaletteGuard() { QApplication::setPalette(saved_); }

 private:
  QPalette saved_;
};

TEST(PidWindow, StartsHiddenWithItsFormAndMenu) {
  TPaletteGuard palette;
  QWidget owner;
  TPidWnd window(&owner);
  EXPECT_TRUE(window.isHidden());
  EXPECT_TRUE(window.isWindow());
  EXPECT_EQ(window.parentWidget(), &owner);
  EXPECT_EQ(window.windowTitle(), "PidWnd");
  EXPECT_EQ(window.size(), QSize(174, 150));
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(window.BackgroundColor(), QColor(10, 20, 30));  // caption-text colour
  EXPECT_EQ(window.ptitle->geometry(), QRect(0, 0, 172, 24));
  EXPECT_EQ(window.value->geometry(), QRect(0, 30, 172, 115));
  EXPECT_EQ(window.ptitle->text(), "Title");
  EXPECT_EQ(window.value->text(), "--");
  EXPECT_EQ(window.value->font().pixelSize(), 20);
  EXPECT_EQ(window.value->font().family(), "Tahoma");
  EXPECT_TRUE(window.ptitle->autoFillBackground());

  std::vector<QString> items;
  for (QAction* action : window.PopupMenu1->actions()) items.push_back(action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(items, (std::vector<QString>{"Hide All", "-", "Set Good Color", "Set Bad Color", "-", "Set Font", "-",
                                         "Set Threshhold", "-", "Enable Checking"}));
  EXPECT_TRUE(window.EnableChecking1->isCheckable());
  EXPECT_FALSE(window.EnableChecking1->isChecked());

  const TPidWindowSettings s = window.CurrentSettings();
  EXPECT_DOUBLE_EQ(s.Threshold, 0.0);
  EXPECT_EQ(s.GoodColor, 0);
  EXPECT_EQ(s.BadColor, 0);
  EXPECT_FALSE(s.CheckingEnabled);
  EXPECT_EQ(s.FontSize, 15);
  EXPECT_EQ(window.MainWindow(), nullptr);
}

TEST(PidWindow, AnchorsFollowTheWindowSize) {
  TPidWnd window(nullptr);
  window.show();  // a hidden window gets its resize event when shown
  window.resize(300, 200);
  EXPECT_EQ(window.ptitle->geometry(), QRect(0, 0, 298, 24));
  EXPECT_EQ(window.value->geometry(), QRect(0, 30, 298, 165));
}

// Values change with every packet; each window on show must not be laid out again for each.
TEST(PidWindow, ValueChangesAskNoRelayout) {
  TPidWnd window(nullptr);
  window.show();
  QCoreApplication::processEvents();
  struct TLayoutRequests : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::LayoutRequest) ++count;
      return false;
    }
  } requests;
  window.installEventFilter(&requests);
  for (const char* text : {"1", "22.5", "-333.25"}) {
    window.UpdateValue(text);
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(requests.count, 0);
  EXPECT_EQ(window.value->text(), "-333.25");
  window.resize(300, 200);
  EXPECT_EQ(window.value->geometry(), QRect(0, 30, 298, 165));
}

TEST(PidWindow, ClosingOnlyHides) {
  QWidget owner;
  QPointer<TPidWnd> window = new TPidWnd(&owner);
  window->show();
  EXPECT_TRUE(window->close());
  QCoreApplication::processEvents();
  ASSERT_FALSE(window.isNull());
  EXPECT_FALSE(window->PidWindowVisible());
  window->ShowPidWindow();
  EXPECT_TRUE(window->PidWindowVisible());
}

// ---- the value against the threshold ----

struct ValueCase {
  const char* locale;
  bool checking;
  double threshold;
  const char* text;
  enum { Good, Bad, Unchanged } expected;
};

void PrintTo(const ValueCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PidWindowValue : public testing::TestWithParam<ValueCase> {};

TEST_P(PidWindowValue, BackgroundFollowsTheValue) {
  const ValueCase& c = GetParam();
  TLocaleGuard locale(c.locale);
  ASSERT_TRUE(locale.Active());
  TPidWnd window(nullptr);
  window.Setup("RPM", "--", -1, -1, nullptr, c.threshold, 0x00FF00, 0x0000FF, c.checking, 15, 0, "Arial", -1, -1);
  const QColor before = window.BackgroundColor();
  window.UpdateValue(c.text);
  EXPECT_EQ(window.ValueText(), c.text);
  const QColor expected = c.expected == ValueCase::Good  ? QColor(0, 255, 0)
                          : c.expected == ValueCase::Bad ? QColor(255, 0, 0)
                                                         : before;
  EXPECT_EQ(window.BackgroundColor(), expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Cases, PidWindowValue,
                         testing::Values(ValueCase{"C.UTF-8", true, 100.0, "100", ValueCase::Good},
                                         ValueCase{"C.UTF-8", true, 100.0, "100.000001", ValueCase::Bad},
                                         ValueCase{"C.UTF-8", true, 100.0, "-5", ValueCase::Good},
                                         ValueCase{"C.UTF-8", true, -1.0, "0", ValueCase::Bad},
                                         ValueCase{"C.UTF-8", true, 100.0, "abc", ValueCase::Unchanged},
                                         ValueCase{"C.UTF-8", true, 100.0, "", ValueCase::Unchanged},
                                         ValueCase{"C.UTF-8", false, 100.0, "500", ValueCase::Unchanged},
                                         ValueCase{"de_DE.UTF-8", true, 12.5, "12,6", ValueCase::Bad},
                                         ValueCase{"de_DE.UTF-8", true, 12.5, "99.5", ValueCase::Unchanged}),
                         orlex::test::CaseName);

// A hidden window's label takes its value only when the window appears, so the latest value must
// be the one shown, and texts set by placement meanwhile must not be overwritten by an older value.
TEST(PidWindow, HiddenWindowShowsItsLatestValueWhenShown) {
  QWidget owner;
  TPidWnd window(&owner);
  window.UpdateValue("1");
  window.UpdateValue("2.5");
  EXPECT_EQ(window.ValueText(), "2.5");
  window.ShowPidWindow();
  EXPECT_EQ(window.value->text(), "2.5");
  window.UpdateValue("3");  // shown: straight to the label
  EXPECT_EQ(window.value->text(), "3");

  window.HidePidWindow();
  window.UpdateValue("4");
  window.SetTexts("RPM", "--");
  EXPECT_EQ(window.ValueText(), "--");
  window.ShowPidWindow();
  EXPECT_EQ(window.value->text(), "--");
  window.HidePidWindow();
  window.UpdateValue("5");
  window.ShowPidWindow();
  EXPECT_EQ(window.value->text(), "5");

  // The same through the slot refresh's entry, which a hidden window lets keep its values.
  window.HidePidWindow();
  window.TakeValue("6");
  window.TakeValue("7");
  EXPECT_EQ(window.ValueText(), "7");
  window.ShowPidWindow();
  EXPECT_EQ(window.value->text(), "7");
  window.TakeValue("8");
  EXPECT_EQ(window.value->text(), "8");
}

// A hidden window works out its background only when it is shown; what it shows then must be what a
// window on show all along shows after the same values and switches.
struct HiddenCheckCase {
  const char* name;
  std::vector<const char*> steps;  // values; "<on>" and "<off>" switch checking as the Feed does
};

void PrintTo(const HiddenCheckCase& c, std::ostream* os) { *os << c.name; }

class PidWindowHiddenCheck : public testing::TestWithParam<HiddenCheckCase> {};

TEST_P(PidWindowHiddenCheck, ShowsWhatAWindowOnShowAllAlongShows) {
  TPaletteGuard palette;
  const int captionText = orlex::grid::ColorToInt(orlex::grid::clCaptionText);
  const int windowText = orlex::grid::ColorToInt(orlex::grid::clWindowText);
  QWidget owner;
  TPidWnd shown(&owner);
  TPidWnd hidden(&owner);
  for (TPidWnd* window : {&shown, &hidden}) {
    window->Setup("RPM", "--", -1, -1, nullptr, 100.0, captionText, 0x0000FF, false, 15, windowText, "Arial", -1, -1);
  }
  shown.ShowPidWindow();
  for (const std::string step : GetParam().steps) {
    for (TPidWnd* window : {&shown, &hidden}) {
      if (step == "<on>" || step == "<off>") window->SetCheckingEnabled(step == "<on>");
      else window->TakeValue(step);  // as the slot refresh delivers values
    }
  }
  EXPECT_EQ(hidden.BackgroundColor(), shown.BackgroundColor()) << "asked for before it is shown";
  hidden.ShowPidWindow();
  EXPECT_EQ(hidden.palette().color(QPalette::Window), shown.palette().color(QPalette::Window));
  EXPECT_EQ(hidden.value->palette().color(QPalette::WindowText), shown.value->palette().color(QPalette::WindowText));
  EXPECT_EQ(hidden.ptitle->palette().color(QPalette::WindowText), shown.ptitle->palette().color(QPalette::WindowText));
  EXPECT_EQ(hidden.value->text(), shown.value->text());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PidWindowHiddenCheck,
    testing::Values(HiddenCheckCase{"plain_numbers", {"<on>", "5", "500", "7"}},
                    HiddenCheckCase{"the_last_is_no_number", {"<on>", "5", "500", "abc"}},
                    HiddenCheckCase{"several_no_numbers_after_a_bad_one", {"<on>", "500", "abc", "", "x1"}},
                    HiddenCheckCase{"numbers_written_otherwise", {"<on>", "500", " 1e0 ", "2e2"}},
                    HiddenCheckCase{"checking_off_in_between", {"<on>", "500", "<off>", "1"}},
                    HiddenCheckCase{"checking_on_after_a_bad_value", {"500", "<on>", "abc"}},
                    HiddenCheckCase{"checking_off_and_on_again", {"<on>", "500", "<off>", "1", "<on>", "-"}},
                    HiddenCheckCase{"never_checked", {"500", "1"}}),
    [](const testing::TestParamInfo<HiddenCheckCase>& info) { return std::string(info.param.name); });

TEST(PidWindow, CheckingWithNoColoursEverSetTurnsBlack) {
  TPaletteGuard palette;
  TPidWnd window(nullptr);
  ASSERT_NE(window.BackgroundColor(), QColor(Qt::black));
  window.SetCheckingEnabled(true);  // as the enable-checking message does
  window.UpdateValue("42");
  EXPECT_EQ(window.BackgroundColor(), QColor(Qt::black));
  // Switching checking off leaves the last background.
  window.SetCheckingEnabled(false);
  window.Setup("x", "--", -1, -1, nullptr, 0, 0xFFFFFF, 0xFFFFFF, false, 15, 0, "Arial", -1, -1);
  window.UpdateValue("42");
  EXPECT_EQ(window.BackgroundColor(), QColor(Qt::black));
}

// Colours are resolved once per change, so a theme change must reach every window itself: hidden
// ones too, and values that follow must not bring the old theme's colours back.
TEST(PidWindow, ThemeChangeRecoloursHiddenWindowsAndLaterValuesKeepIt) {
  TPaletteGuard palette;
  const int captionText = orlex::grid::ColorToInt(orlex::grid::clCaptionText);
  const int windowText = orlex::grid::ColorToInt(orlex::grid::clWindowText);
  TPidWnd checking(nullptr);
  checking.Setup("x", "--", -1, -1, nullptr, 100.0, captionText, 0x0000FF, true, 15, windowText, "Arial", -1, -1);
  checking.UpdateValue("1");
  TPidWnd idle(nullptr);
  ASSERT_EQ(checking.BackgroundColor(), QColor(10, 20, 30));

  QPalette light = QApplication::palette();
  light.setColor(QPalette::HighlightedText, QColor(250, 250, 240));
  light.setColor(QPalette::WindowText, QColor(0, 0, 90));
  QApplication::setPalette(light);
  for (TPidWnd* window : {&checking, &idle}) {
    EXPECT_EQ(window->BackgroundColor(), QColor(250, 250, 240));
    EXPECT_EQ(window->value->palette().color(QPalette::WindowText), QColor(0, 0, 90));
    EXPECT_EQ(window->ptitle->palette().color(QPalette::WindowText), QColor(0, 0, 90));
  }
  checking.UpdateValue("2");
  EXPECT_EQ(checking.BackgroundColor(), QColor(250, 250, 240));
  checking.UpdateValue("500");
  EXPECT_EQ(checking.BackgroundColor(), QColor(255, 0, 0));
  checking.UpdateValue("3");
  EXPECT_EQ(checking.BackgroundColor(), QColor(250, 250, 240));
  EXPECT_EQ(checking.value->palette().color(QPalette::WindowText), QColor(0, 0, 90));
}

// ---- Setup ----

TEST(PidWindow, SetupAppliesEverythingAndNegativeGeometryLeavesItAlone) {
  QWidget owner;
  TPidWnd window(&owner);
  window.move(40, 50);
  window.Setup("Coolant", "--", -1, -1, &owner, 87.5, 0x00FF00, 0x0000FF, true, 24, 0xFF0000, "Liberation Serif", -1,
               -1);
  EXPECT_EQ(window.windowTitle(), "Coolant");
  EXPECT_EQ(window.ptitle->text(), "Coolant");
  EXPECT_EQ(window.value->text(), "--");
  EXPECT_EQ(window.pos(), QPoint(40, 50));
  EXPECT_EQ(window.size(), QSize(174, 150));
  EXPECT_EQ(window.MainWindow(), &owner);
  EXPECT_EQ(window.value->font().family(), "Liberation Serif");
  EXPECT_EQ(window.value->font().pixelSize(), 32);  // 24 pt at 96 dpi
  EXPECT_EQ(window.ptitle->font().family(), "Tahoma");
  EXPECT_EQ(window.value->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(window.ptitle->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_FALSE(window.EnableChecking1->isChecked()) << "Setup leaves the check mark";

  window.Setup("Coolant", "--", 10, 20, &owner, 1, 2, 3, false, 9, 0, "Arial", 200, 120);
  EXPECT_EQ(window.pos(), QPoint(20, 10));
  EXPECT_EQ(window.size(), QSize(200, 120));
  // Sizes are outer sizes: once the window is framed the frame comes out of the client area, so
  // a save after showing gives back what was set (no growth by a frame per run).
  window.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(window.frameGeometry(), QRect(20, 10, 200, 120));
  EXPECT_EQ(window.value->geometry(), QRect(0, 30, window.width() - 2, window.height() - 35));
  const TPidWindowSettings s = window.CurrentSettings();
  EXPECT_EQ(s.Top, 10);
  EXPECT_EQ(s.Left, 20);
  EXPECT_EQ(s.Width, 200);
  EXPECT_EQ(s.Height, 120);
  EXPECT_DOUBLE_EQ(s.Threshold, 1.0);
  EXPECT_EQ(s.GoodColor, 2);
  EXPECT_EQ(s.BadColor, 3);
  EXPECT_EQ(s.FontSize, 9);
  EXPECT_EQ(s.FontName, "Arial");
  EXPECT_EQ(s.FontColor, 0);
}

// The frame openbox puts around a PID window: 1 px sides, a 20 px title, a 5 px bottom.
const QMargins kOpenboxFrame(1, 20, 1, 5);

TPidWnd::TFrameExtentsSource FrameOf(QMargins frame) {
  return [frame](const QWidget&) { return std::optional<QMargins>(frame); };
}

TEST(PidWindow, KnownFrameGivesTheClientSizeBeforeTheWindowIsShown) {
  // Resizing a window while the window manager frames it can leave it at the screen's corner, so
  // the saved outer size becomes a client size at once, with nothing left to apply after showing.
  TPidWnd window(nullptr, {}, FrameOf(kOpenboxFrame));
  window.Setup("RPM", "--", 300, 200, nullptr, 0, 0, 0, false, 15, 0, "Arial", 176, 175);
  EXPECT_EQ(window.size(), QSize(174, 150));
  EXPECT_EQ(window.pos(), QPoint(200, 300));
  EXPECT_EQ(window.OuterGeometry(), QRect(200, 300, 176, 175));
}

TEST(PidWindow, NeverShownWindowSavesItsOuterSize) {
  // Saved as a client size, a window never shown would lose a frame's worth at every run.
  TPidWnd window(nullptr, {}, FrameOf(kOpenboxFrame));
  window.move(0, 175);
  const TPidWindowSettings s = window.CurrentSettings();
  EXPECT_EQ(QRect(s.Left, s.Top, s.Width, s.Height), QRect(0, 175, 176, 175));
}

TEST(PidWindow, UnknownFrameKeepsTheSizeReadFromTheFile) {
  TPidWnd window(nullptr, {}, [](const QWidget&) { return std::optional<QMargins>(); });
  window.Setup("RPM", "--", 10, 20, nullptr, 0, 0, 0, false, 15, 0, "Arial", 176, 175);
  const TPidWindowSettings s = window.CurrentSettings();
  EXPECT_EQ(QSize(s.Width, s.Height), QSize(176, 175));
}

TEST(PidWindow, FontSizesRoundTripThroughPoints) {
  TPidWnd window(nullptr);
  for (int points : {6, 8, 9, 10, 11, 13, 15, 72}) {
    window.Setup("x", "--", -1, -1, nullptr, 0, 0, 0, false, points, 0, "Arial", -1, -1);
    EXPECT_EQ(window.CurrentSettings().FontSize, points);
  }
  // A size of zero or less keeps the label's size.
  window.Setup("x", "--", -1, -1, nullptr, 0, 0, 0, false, 0, 0, "Arial", -1, -1);
  EXPECT_EQ(window.CurrentSettings().FontSize, 72);
}

// ---- menu commands ----

TEST(PidWindow, HideAllSendsTwoRequestsApartEvenWithoutSetup) {
  std::vector<std::chrono::steady_clock::time_point> requests;
  QWidget owner;
  TPidWnd window(&owner, [&] { requests.push_back(std::chrono::steady_clock::now()); });
  window.HideAll1->trigger();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_GE(requests[1] - requests[0], std::chrono::milliseconds(10));
}

TEST(PidWindow, EnableCheckingTogglesFromItsOwnMark) {
  TPidWnd window(nullptr);
  window.SetCheckingEnabled(true);  // flag set behind the mark's back
  window.EnableChecking1->trigger();
  EXPECT_TRUE(window.EnableChecking1->isChecked());
  EXPECT_TRUE(window.CheckingEnabled());
  window.EnableChecking1->trigger();
  EXPECT_FALSE(window.CheckingEnabled());
}

struct ThresholdCase {
  const char* locale;
  std::optional<const char*> answer;  // nullopt: Cancel
  double expected;
  bool invalidBox;
};

void PrintTo(const ThresholdCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PidWindowThreshold : public testing::TestWithParam<ThresholdCase> {};

TEST_P(PidWindowThreshold, AnsweredFromTheInputBox) {
  const ThresholdCase& c = GetParam();
  TLocaleGuard locale(c.locale);
  ASSERT_TRUE(locale.Active());
  TPidWnd window(nullptr);
  window.Setup("x", "--", -1, -1, nullptr, 55.0, 0, 0, false, 15, 0, "Arial", -1, -1);
  QString title, label, preset, boxText;
  AnswerModal([&](QWidget* modal) {
    auto* input = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(input, nullptr);
    title = input->windowTitle();
    label = input->labelText();
    preset = input->textValue();
    if (!c.answer) {
      input->reject();
      return;
    }
    input->setTextValue(*c.answer);
    if (c.invalidBox) {
      AnswerModal([&](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        boxText = message->windowTitle() + "|" + message->text();
        message->accept();
      });
    }
    input->accept();
  });
  window.SetThreshhold1->trigger();
  EXPECT_EQ(title, "Threshhold");
  EXPECT_EQ(label, "Value");
  EXPECT_EQ(preset, "0");
  EXPECT_DOUBLE_EQ(window.Threshold(), c.expected);
  EXPECT_EQ(boxText, c.invalidBox ? "Orlex Gauges|Not a valid number" : "");
}

INSTANTIATE_TEST_SUITE_P(Cases, PidWindowThreshold,
                         testing::Values(ThresholdCase{"C.UTF-8", "12.5", 12.5, false},
                                         ThresholdCase{"de_DE.UTF-8", "12,5", 12.5, false},
                                         ThresholdCase{"C.UTF-8", "", 55.0, false},
                                         ThresholdCase{"C.UTF-8", std::nullopt, 55.0, false},
                                         ThresholdCase{"C.UTF-8", "abc", 0.0, true},
                                         ThresholdCase{"de_DE.UTF-8", "12.5", 0.0, true}),
                         orlex::test::CaseName);

TEST(PidWindow, ColourBoxIsSharedAndRemembersTheLastChoice) {
  TPidWnd window(nullptr);
  EXPECT_EQ(window.findChild<QDialog*>(), nullptr) << "an INIT makes a window per PID: dialogs wait until opened";
  for (int i = 0; i < QColorDialog::customCount(); ++i) EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::white));
  AnswerModal([&](QWidget* modal) {
    EXPECT_EQ(modal, window.ColorBox);
    window.ColorBox->setCurrentColor(QColor(255, 128, 0));
    window.ColorBox->accept();
  });
  window.SetGoodColor1->trigger();
  EXPECT_EQ(window.GoodColor(), 255 + 256 * 128);

  QColor openedWith;
  AnswerModal([&](QWidget* modal) {
    openedWith = window.ColorBox->currentColor();
    window.ColorBox->setCurrentColor(Qt::blue);
    static_cast<QDialog*>(modal)->reject();
  });
  window.SetBadColor1->trigger();
  EXPECT_EQ(openedWith, QColor(255, 128, 0));
  EXPECT_EQ(window.BadColor(), 0) << "cancelled";

  AnswerModal([&](QWidget*) {
    openedWith = window.ColorBox->currentColor();
    window.ColorBox->accept();
  });
  window.SetBadColor1->trigger();
  EXPECT_EQ(openedWith, QColor(255, 128, 0)) << "a cancelled choice is not remembered";
  EXPECT_EQ(window.BadColor(), 255 + 256 * 128);
}

TEST(PidWindow, SetFontTakesNameSizeAndColourButNotTheWeight) {
  TPidWnd window(nullptr);
  window.Setup("RPM", "--", -1, -1, nullptr, 0, 0, 0, false, 15, 0, "Arial", -1, -1);
  QFont openedWith;
  AnswerModal([&](QWidget* modal) {
    ASSERT_EQ(modal, window.fontbox);
    openedWith = window.fontbox->CurrentFont();
    QFont bold("Liberation Serif");
    bold.setPointSize(24);
    bold.setBold(true);
    bold.setItalic(true);
    window.fontbox->SetCurrentFont(bold);
    window.fontbox->SetCurrentColor(0x0000FF);  // red
    window.fontbox->accept();
  });
  window.SetFontSize1->trigger();
  EXPECT_EQ(openedWith.pointSize(), 15);
  const QFont font = window.value->font();
  EXPECT_EQ(font.family(), "Liberation Serif");
  EXPECT_EQ(font.pixelSize(), 32);
  EXPECT_FALSE(font.bold());
  EXPECT_FALSE(font.italic());
  EXPECT_EQ(window.value->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(window.ptitle->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(window.ptitle->font().family(), "Tahoma");
  EXPECT_EQ(window.ptitle->font().pixelSize(), 20);
  const TPidWindowSettings s = window.CurrentSettings();
  EXPECT_EQ(s.FontName, "Liberation Serif");
  EXPECT_EQ(s.FontSize, 24);
  EXPECT_EQ(s.FontColor, 0x0000FF);

  // Cancel changes nothing; a colour outside the basic list is offered as it is.
  window.Setup("RPM", "--", -1, -1, nullptr, 0, 0, 0, false, 15, -16777208, "Arial", -1, -1);
  int offered = 0;
  AnswerModal([&](QWidget*) {
    offered = window.fontbox->CurrentColor();
    window.fontbox->SetCurrentColor(0xFF);
    window.fontbox->reject();
  });
  window.SetFontSize1->trigger();
  EXPECT_EQ(offered, -16777208);
  EXPECT_EQ(window.CurrentSettings().FontColor, -16777208);
  EXPECT_EQ(window.value->font().family(), "Arial");

  // OK with only the size changed keeps the saved name, though the dialog lists Arial under another name.
  AnswerModal([&](QWidget*) {
    QFont bigger = window.fontbox->CurrentFont();
    bigger.setPointSize(28);  // a size of the dialog's own list: a typed size depends on its edit's timing
    window.fontbox->SetCurrentFont(bigger);
    window.fontbox->accept();
  });
  window.SetFontSize1->trigger();
  EXPECT_EQ(window.CurrentSettings().FontName, "Arial");
  EXPECT_EQ(window.CurrentSettings().FontSize, 28);
}

TEST(PidWindow, FontBoxOpensOnWhatTheValueIsDrawnWith) {
  // Not installed here, an alias of an installed family, installed; each plain and bold.
  for (const char* family : {"Tahoma", "Arial", "Liberation Serif"}) {
    for (const bool bold : {false, true}) {
      SCOPED_TRACE(std::string(family) + (bold ? " bold" : ""));
      TPidWnd window(nullptr);
      window.Setup("RPM", "--", -1, -1, nullptr, 0, 0, 0, false, 15, 0, family, -1, -1);
      QFont valueFont = window.value->font();
      valueFont.setBold(bold);
      window.value->setFont(valueFont);
      const QFontInfo drawn(window.value->font());
      QFont offered;
      AnswerModal([&](QWidget*) {
        offered = window.fontbox->CurrentFont();
        window.fontbox->reject();
      });
      window.SetFontSize1->trigger();
      EXPECT_EQ(offered.family(), drawn.family());
      EXPECT_EQ(offered.styleName(), QFontDatabase::styleString(drawn));
      EXPECT_EQ(offered.pointSize(), 15);
    }
  }
}

TEST(PidWindow, WindowDestroyedWhileItsDialogIsOpen) {
  // An INIT packet handled inside the dialog's loop destroys every PID window.
  auto window = std::make_unique<TPidWnd>(nullptr);
  TPidWnd* raw = window.get();
  AnswerModal([&](QWidget*) { window.reset(); });
  raw->SetGoodColor1Click();
  EXPECT_EQ(window, nullptr);
}

// ---- placement ----

std::unique_ptr<PidRecord> Record(QWidget* owner, const char* key, const char* description) {
  auto record = std::make_unique<PidRecord>();
  record->Key = key;
  record->Description = description;
  record->Window = std::make_unique<TPidWnd>(owner);
  return record;
}

TPidWnd& WindowOf(const PidRecord& record) { return *static_cast<TPidWnd*>(record.Window.get()); }

TEST(PidWindowCascade, CascadeOn768OpensANewColumnAndSetsTheTexts) {
  QWidget owner;
  TPidWindowCascade cascade;
  cascade.RestartCascade();
  std::vector<std::unique_ptr<PidRecord>> records;
  std::vector<QPoint> placed;
  for (int i = 0; i < 7; ++i) {
    records.push_back(Record(&owner, "k", "Description"));
    cascade.CascadePidWindow(*records.back(), QSize(1024, 768));
    placed.push_back(WindowOf(*records.back()).pos());
  }
  EXPECT_EQ(placed, (std::vector<QPoint>{{0, 0}, {0, 150}, {0, 300}, {0, 450}, {0, 600}, {174, 0}, {174, 150}}));
  EXPECT_EQ(cascade.CascadeLeft, 174);
  EXPECT_EQ(WindowOf(*records[0]).windowTitle(), "Description");
  EXPECT_EQ(WindowOf(*records[0]).ptitle->text(), "Description");
  EXPECT_EQ(WindowOf(*records[0]).value->text(), "");

  // After a restart the next window goes to the corner again.
  cascade.RestartCascade();
  records.push_back(Record(&owner, "k", "Description"));
  cascade.CascadePidWindow(*records.back(), QSize(1024, 768));
  EXPECT_EQ(WindowOf(*records.back()).pos(), QPoint(0, 0));
}

TEST(PidWindowPlacement, CascadeStepsByOuterSizes) {
  // Stepped by client sizes, every title bar would cover the bottom of the window above, and on a
  // 768-pixel screen the fifth frame would end below the screen.
  QWidget owner;
  TPidWindowCascade cascade;
  std::vector<std::unique_ptr<PidRecord>> records;
  std::vector<QPoint> placed;
  for (int i = 0; i < 6; ++i) {
    auto record = std::make_unique<PidRecord>();
    record->Window = std::make_unique<TPidWnd>(&owner, std::function<void()>{}, FrameOf(kOpenboxFrame));
    cascade.CascadePidWindow(*record, QSize(1024, 768));
    placed.push_back(WindowOf(*record).pos());
    records.push_back(std::move(record));
  }
  EXPECT_EQ(placed, (std::vector<QPoint>{{0, 0}, {0, 175}, {0, 350}, {0, 525}, {176, 0}, {176, 175}}));
}

class PidWindowLoad : public testing::Test {
 protected:
  PidWindowLoad() {
    std::string pattern = (fs::temp_directory_path() / "pidload.XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    path_ = (dir_ / "orlexgauges_pidgrid.ini").string();
  }
  ~PidWindowLoad() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
  std::string path_;
};

TEST_F(PidWindowLoad, NoSettingsFileLeavesTheWindowAsItIs) {
  QWidget owner;
  auto record = Record(&owner, "rpm", "RPM");
  TPidWindowCascade cascade;
  cascade.CascadePidWindow(*record, QSize(1024, 768));
  LoadPidWindowSettings(nullptr, *record, &owner);
  TPidWnd& window = WindowOf(*record);
  EXPECT_EQ(window.MainWindow(), nullptr);
  EXPECT_EQ(window.value->text(), "");
  EXPECT_EQ(window.value->font().family(), "Tahoma");
}

TEST_F(PidWindowLoad, FileWithoutTheSectionAppliesEveryDefault) {
  std::ofstream(path_, std::ios::binary) << "[other]\r\nTop=5\r\n";
  TSettingsFile file(path_);
  file.OpenSettingsFile();
  QWidget owner;
  std::vector<std::unique_ptr<PidRecord>> records;
  TPidWindowCascade cascade;
  for (int i = 0; i < 2; ++i) {
    records.push_back(Record(&owner, "rpm", "RPM"));
    cascade.CascadePidWindow(*records.back(), QSize(1024, 768));
    LoadPidWindowSettings(file.SettingsFile(), *records.back(), &owner);
  }
  TPidWnd& window = WindowOf(*records[1]);
  EXPECT_EQ(window.pos(), QPoint(0, 150));  // the cascade position
  EXPECT_EQ(window.size(), QSize(174, 150));
  EXPECT_EQ(window.value->text(), "--");
  EXPECT_EQ(window.windowTitle(), "RPM");
  EXPECT_EQ(window.MainWindow(), &owner);
  EXPECT_EQ(window.value->font().family(), "Arial");
  EXPECT_EQ(window.value->font().pixelSize(), 20);
  EXPECT_EQ(window.value->palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_DOUBLE_EQ(window.Threshold(), -1.0);
  EXPECT_EQ(window.GoodColor(), 16777215);
  EXPECT_EQ(window.BadColor(), 16777215);
  EXPECT_FALSE(window.CheckingEnabled());
}

TEST_F(PidWindowLoad, SavedSettingsComeBackAndTheCascadeFollowsThem) {
  std::ofstream(path_, std::ios::binary)
      << "[rpm]\r\nTop=400\r\nLeft=-20\r\nWidth=200\r\nHeight=160\r\nThreshhold=3000\r\nGoodColor=65280\r\n"
         "BadColor=255\r\nCEnabled=1\r\nFontColor=16711680\r\nFontSize=18\r\nFontName=Liberation Mono\r\n";
  TSettingsFile file(path_);
  file.OpenSettingsFile();
  QWidget owner;
  TPidWindowCascade cascade;
  auto rpm = Record(&owner, "rpm", "RPM");
  cascade.CascadePidWindow(*rpm, QSize(1024, 768));
  LoadPidWindowSettings(file.SettingsFile(), *rpm, &owner);
  auto next = Record(&owner, "speed", "Speed");
  cascade.CascadePidWindow(*next, QSize(1024, 768));

  TPidWnd& window = WindowOf(*rpm);
  EXPECT_EQ(window.pos(), QPoint(0, 400)) << "a negative left stays at the cascade position";
  EXPECT_EQ(window.size(), QSize(200, 160));
  EXPECT_EQ(WindowOf(*next).pos(), QPoint(0, 550));
  window.UpdateValue("3000.5");
  EXPECT_EQ(window.BackgroundColor(), QColor(255, 0, 0));
  window.UpdateValue("3000");
  EXPECT_EQ(window.BackgroundColor(), QColor(0, 255, 0));
  EXPECT_EQ(window.value->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  const TPidWindowSettings s = window.CurrentSettings();
  EXPECT_EQ(s.FontSize, 18);
  EXPECT_EQ(s.FontName, "Liberation Mono");
  EXPECT_EQ(s.Width, 200);
  EXPECT_EQ(s.Height, 160);
}

}  // namespace
