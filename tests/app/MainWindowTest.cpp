#include <gtest/gtest.h>

#include <QScrollBar>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/core/ExceptionHook.h"
#include "app/Unit2.h"
#include "app/pidwindow.h"
#include "app/debugform.h"
#include "platform/FeedFrame.h"
#include "platform/ProcessEnd.h"
#include "tests/support/NullPidWindow.h"
#include "tests/support/TempDir.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

struct TProcessEnded {};

// Ends of the process become an exception the test can catch.
class TEndInterceptor {
 public:
  TEndInterceptor() {
    orlex::SetEndProcessInterceptor([] { throw TProcessEnded{}; });
  }
  ~TEndInterceptor() { orlex::SetEndProcessInterceptor({}); }
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A window that only records what the main window does to it.
class TFakePidWindow : public TNullPidWindow {
 public:
  void UpdateValue(const std::string& text) override { value = text; }
  void ShowPidWindow() override { visible = true; }
  void HidePidWindow() override { visible = false; }
  bool PidWindowVisible() const override { return visible; }
  bool CheckingEnabled() const override { return checking; }
  void SetCheckingEnabled(bool enabled) override { checking = enabled; }
  bool visible = false;
  bool checking = false;
  std::string value;
};

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override { form_ = std::make_unique<TForm2>(dir_.Path()); }

  // Puts a PID with a fake window into table slot n and the grid slot (col, row).
  TFakePidWindow* AddPid(int n, int id, int col, int row) {
    auto record = std::make_unique<PidRecord>();
    record->ID = id;
    record->Key = "k" + std::to_string(n);
    record->Description = "d" + std::to_string(n);
    auto window = std::make_unique<TFakePidWindow>();
    TFakePidWindow* raw = window.get();
    record->Window = std::move(window);
    form_->Table().Put(n, std::move(record));
    form_->Table().PidCount = std::max(form_->Table().PidCount, n);
    if (col >= 0) {
      form_->Grid().SetObjects(col, row, id);
      form_->Grid().SetObjects(col + 1, row, id);
    }
    return raw;
  }

  TTempDir dir_;
  std::unique_ptr<TForm2> form_;
};

struct ControlCase {
  const char* name;
  QRect designed;      // at the designed client size
  QRect grown;         // with the client 100 wider and 50 higher
  const char* text;    // nullptr: no text to check
};

void PrintTo(const ControlCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class MainWindowControls : public MainWindowTest, public testing::WithParamInterface<ControlCase> {};

// Labels show their whole text, so only their position and anchoring are fixed; their size is at
// least the designed one.
TEST_P(MainWindowControls, SitWhereDesignedAndFollowTheirAnchors) {
  const ControlCase& c = GetParam();
  auto* control = form_->centralWidget()->findChild<QWidget*>(c.name);
  ASSERT_NE(control, nullptr) << c.name;
  const bool label = qobject_cast<QLabel*>(control) != nullptr;
  auto check = [&](const QRect& expected) {
    if (label) {
      EXPECT_EQ(control->pos(), expected.topLeft()) << c.name;
      EXPECT_GE(control->width(), expected.width()) << c.name;
    } else {
      EXPECT_EQ(control->geometry(), expected) << c.name;
    }
  };
  EXPECT_EQ(form_->centralWidget()->size(), QSize(790, 592));
  check(c.designed);
  if (c.text != nullptr) {
    if (auto* l = qobject_cast<QLabel*>(control)) {
      EXPECT_EQ(l->text(), c.text);
    }
    if (auto* b = qobject_cast<QPushButton*>(control)) {
      EXPECT_EQ(b->text(), c.text);
    }
  }
  form_->show();
  form_->resize(form_->width() + 100, form_->height() + 50);
  form_->layout()->activate();
  ASSERT_EQ(form_->centralWidget()->size(), QSize(890, 642));
  check(c.grown);
}

INSTANTIATE_TEST_SUITE_P(
    Form, MainWindowControls,
    testing::Values(ControlCase{"pidgrid", {8, 8, 774, 540}, {8, 8, 874, 590}, nullptr},
                    ControlCase{"Label1", {303, 554, 105, 17}, {303, 604, 205, 17}, "Status Message"},
                    ControlCase{"msgtxt", {432, 554, 34, 17}, {432, 604, 134, 17}, "None"},
                    ControlCase{"Label2", {753, 573, 0, 0}, {853, 623, 0, 0}, "v1.09"},
                    ControlCase{"TrackBar1", {0, 554, 257, 32}, {0, 604, 257, 32}, nullptr},
                    ControlCase{"Button1", {629, 571, 75, 20}, {729, 621, 75, 20}, "Debugger"}),
    [](const testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, FormSettingsAndMenus) {
  EXPECT_EQ(form_->windowTitle(), "Orlex Gauges");
  EXPECT_EQ(form_->font().family(), "Tahoma");
  EXPECT_EQ(form_->font().pixelSize(), 11);
  EXPECT_EQ(form_->msgtxt->font().family(), "Arial");
  EXPECT_EQ(form_->msgtxt->font().pixelSize(), 15);
  EXPECT_EQ(form_->centralWidget()->palette().color(QPalette::Window),
            QApplication::palette().color(QPalette::Button));
  EXPECT_EQ(form_->TrackBar1->minimum(), -3);
  EXPECT_EQ(form_->TrackBar1->maximum(), 25);
  EXPECT_EQ(form_->TrackBar1->value(), 0);
  EXPECT_TRUE(form_->Timer1->isActive());
  EXPECT_EQ(form_->Timer1->interval(), 1000);

  QStringList popup;
  for (QAction* a : form_->PopupMenu1->actions()) popup << a->text();
  EXPECT_EQ(popup, (QStringList{"Hide/Show PID Window", "Show All", "Hide All"}));
  const QList<QAction*> bar = form_->menuBar()->actions();
  ASSERT_EQ(bar.size(), 1);
  EXPECT_EQ(bar[0]->text(), "File");
  ASSERT_EQ(form_->File1->actions().size(), 1);
  EXPECT_EQ(form_->File1->actions()[0]->text(), "Delete INI File");

  // The slots start free, the headers are set.
  EXPECT_EQ(form_->Grid().ColCount(), 6);
  EXPECT_EQ(form_->Grid().RowCount(), 21);
  EXPECT_EQ(form_->Grid().Cells(0, 0), "Description");
  EXPECT_EQ(form_->Grid().Cells(5, 0), "Value");
  // The drop arrows are red from the start, and the grid may start slot drags.
  EXPECT_EQ(form_->pidgrid->Arrows().ArrowColor(), TColor{255});
  EXPECT_TRUE(form_->pidgrid->DragDropSettings.OleDropSource);
}

struct ToggleCase {
  const char* name;
  int col, row;
  bool toggles;
};

void PrintTo(const ToggleCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ShowPidWindowCommand : public MainWindowTest, public testing::WithParamInterface<ToggleCase> {};

TEST_P(ShowPidWindowCommand, TogglesOnlyTheWindowOfTheCurrentSlot) {
  const ToggleCase& c = GetParam();
  TFakePidWindow* first = AddPid(1, 1, 0, 1);
  TFakePidWindow* second = AddPid(2, 2, 2, 3);
  // Tags that name no PID: an empty table slot and a number outside the table.
  form_->Grid().SetObjects(4, 5, 7);
  form_->Grid().SetObjects(4, 6, 81);
  form_->Grid().SetObjects(4, 7, -1);
  form_->Grid().SetCurrentCell(c.col, c.row);

  form_->ShowPIDWindow1->trigger();
  EXPECT_EQ(first->visible, c.toggles) << c.name;
  EXPECT_FALSE(second->visible);
  form_->ShowPIDWindow1->trigger();
  EXPECT_FALSE(first->visible);
}

INSTANTIATE_TEST_SUITE_P(Cells, ShowPidWindowCommand,
                         testing::Values(ToggleCase{"header_row", 0, 0, false}, ToggleCase{"free_slot", 2, 1, false},
                                         ToggleCase{"description_cell", 0, 1, true},
                                         ToggleCase{"value_cell", 1, 1, true},
                                         ToggleCase{"tag_of_an_empty_table_slot", 4, 5, false},
                                         ToggleCase{"tag_beyond_the_table", 4, 6, false},
                                         ToggleCase{"negative_tag", 4, 7, false}),
                         [](const testing::TestParamInfo<ToggleCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ShowAllAndHideAllReachEveryPid) {
  TFakePidWindow* a = AddPid(1, 1, 0, 1);
  TFakePidWindow* b = AddPid(2, 2, -1, -1);  // in no slot: still shown and hidden
  form_->ShowAll1->trigger();
  EXPECT_TRUE(a->visible && b->visible);
  form_->HideAll1->trigger();
  EXPECT_FALSE(a->visible || b->visible);
  form_->ShowAll1->trigger();
  EXPECT_EQ(form_->FeedMessage(orlex::kMsgHideAll, 0, {}), 0);
  EXPECT_FALSE(a->visible || b->visible);
  EXPECT_EQ(form_->FeedMessage(orlex::kMsgEnableChecking, 0, {}), 0);
  EXPECT_TRUE(a->checking && b->checking);
  EXPECT_EQ(form_->FeedMessage(orlex::kMsgDisableChecking, 0, {}), 0);
  EXPECT_FALSE(a->checking || b->checking);
  EXPECT_EQ(form_->FeedMessage(0x467, 0, "x"), 0);
}

// The measuring query answers how often the grid has painted, so a Feed can tell paints per second.
TEST_F(MainWindowTest, PaintCountQueryAnswersTheGridsPaintPasses) {
  EXPECT_EQ(form_->FeedMessage(orlex::kMsgPaintCount, 0, {}), 0) << "nothing painted while hidden";
  form_->show();
  QApplication::processEvents();
  form_->pidgrid->viewport()->repaint();
  form_->pidgrid->viewport()->repaint();
  const std::uint64_t passes = form_->pidgrid->PaintPassNumber();
  ASSERT_GE(passes, 2u);
  EXPECT_EQ(form_->FeedMessage(orlex::kMsgPaintCount, 0, {}), static_cast<std::int32_t>(passes));
}

// The watchdog ends the process at the 17th tick without a completed PID packet; INIT packets do not
// count as one.
TEST_F(MainWindowTest, WatchdogEndsTheProcessAtTheSeventeenthSilentTick) {
  TEndInterceptor intercept;
  form_->Timer1->stop();
  for (int i = 0; i < 16; ++i) form_->Timer1Timer();
  ASSERT_EQ(form_->FeedMessage(orlex::kMsgCopyData, 0, "0;"), 1);
  EXPECT_EQ(form_->msgtxt->text(), "Watching for PID Data");
  EXPECT_THROW(form_->Timer1Timer(), TProcessEnded);

  form_->Table().WatchdogTicks = 16;
  ASSERT_EQ(form_->FeedMessage(orlex::kMsgCopyData, 1, "x,1;"), 1);
  for (int i = 0; i < 16; ++i) form_->Timer1Timer();
  EXPECT_THROW(form_->Timer1Timer(), TProcessEnded);
}

// A malformed packet: the status line, the box with the application's title, then the end.
TEST_F(MainWindowTest, MalformedInitShowsItsBoxThenEnds) {
  TEndInterceptor intercept;
  QString title, text;
  // The status line lets events run before the box opens: wait for the box itself.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    title = box->windowTitle();
    text = box->text();
    box->accept();
    answer.stop();
  });
  answer.start(10);
  EXPECT_THROW(form_->FeedMessage(orlex::kMsgCopyData, 0, "x;k;d;1;"), TProcessEnded);
  EXPECT_EQ(title, "Orlex Gauges");
  EXPECT_EQ(text, "INIT Packet Failed! No COUNT");
  EXPECT_EQ(form_->msgtxt->text(), "INIT Packet ERROR 1");
}

// Errors that escape a handler are logged with their message; the silent abort is not; the program
// carries on with the next event.
TEST_F(MainWindowTest, ExceptionHookLogsEscapedErrorsAndCarriesOn) {
  QObject receiver;
  struct TThrowingFilter : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::User) throw std::runtime_error("Unable to write to /nowhere");
      if (event->type() == QEvent::User + 1) throw EAbort();
      return false;
    }
  } filter;
  receiver.installEventFilter(&filter);
  auto deliver = [&](int type) {
    QEvent event(static_cast<QEvent::Type>(type));
    return DeliverGuarded([&] { return QCoreApplication::sendEvent(&receiver, &event); });
  };
  EXPECT_FALSE(deliver(QEvent::User));
  EXPECT_FALSE(deliver(QEvent::User + 1));
  EXPECT_TRUE(deliver(QEvent::User + 2));  // delivered normally
  const std::string log = ReadFile(form_->LogPath());
  EXPECT_NE(log.find(" Unable to write to /nowhere\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("aborted"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
}

TEST_F(MainWindowTest, DebugWindowShowsTheListingOnlyWhenAsked) {
  Tdebugfrm debug(form_->Listing());
  form_->SetDebugWindow(&debug);
  EXPECT_EQ(debug.windowTitle(), "Debug");
  EXPECT_EQ(debug.size(), QSize(613, 433));
  EXPECT_EQ(debug.Memo1->geometry(), QRect(0, 0, 613, 433));
  EXPECT_TRUE(debug.Memo1->isReadOnly());
  EXPECT_FALSE(debug.isVisible());

  form_->FeedMessage(orlex::kMsgCopyData, 3, "  first\t ");
  EXPECT_TRUE(debug.Memo1->toPlainText().isEmpty());  // hidden: nothing rendered
  form_->Button1->click();
  EXPECT_TRUE(debug.isVisible());
  EXPECT_EQ(debug.Memo1->toPlainText(), "first\n--");

  // While shown, new lines arrive in batches.
  form_->FeedMessage(orlex::kMsgCopyData, 7, "second");
  EXPECT_EQ(debug.Memo1->toPlainText(), "first\n--");
  QTRY_COMPARE_WITH_TIMEOUT(debug.Memo1->toPlainText(), QString("first\n--\nsecond\n--"), 2000);

  debug.close();  // closing only hides
  EXPECT_FALSE(debug.isVisible());
  form_->FeedMessage(orlex::kMsgCopyData, 3, "third");
  form_->Button1->click();
  EXPECT_EQ(debug.Memo1->toPlainText(), "first\n--\nsecond\n--\nthird\n--");
  form_->SetDebugWindow(nullptr);
}

std::vector<int> RowHeights(TCellGrid& grid) {
  std::vector<int> heights;
  for (int r = 0; r < grid.RowCount(); ++r) heights.push_back(grid.RowHeights(r));
  return heights;
}

std::vector<int> ColWidths(TCellGrid& grid) {
  std::vector<int> widths;
  for (int c = 0; c < grid.ColCount(); ++c) widths.push_back(grid.ColWidths(c));
  return widths;
}

// Widths after a fit from the default: equal but for the rounding rest, which goes to one column.
void ExpectFreshFit(TCellGrid& grid) {
  const std::vector<int> widths = ColWidths(grid);
  for (int c = 2; c < grid.ColCount(); ++c) EXPECT_EQ(widths[c], widths[1]) << c;
  EXPECT_LE(std::abs(widths[0] - widths[1]), grid.ColCount());
}

// Zoom: every row is measured again and the columns start from 128 before the fit, so a width the
// user dragged does not survive.
TEST_F(MainWindowTest, TrackBarResizesEveryRowAndRefitsFromTheDefaultWidth) {
  form_->show();
  TCellGrid& grid = *form_->pidgrid;
  for (int c = 0; c < grid.ColCount(); ++c)
    for (int r = 1; r < grid.RowCount(); ++r) grid.SetCells(c, r, "Engine RPM");
  form_->FormResize();
  const std::vector<int> atZero = RowHeights(grid);

  for (int r = 0; r < grid.RowCount(); ++r) grid.SetRowHeights(r, 50);
  grid.SetColWidths(0, 300);
  form_->TrackBar1->setValue(-3);
  EXPECT_EQ(grid.Look().ZoomFactor, -3);
  const std::vector<int> atMinusThree = RowHeights(grid);
  for (int r = 0; r < grid.RowCount(); ++r) {
    EXPECT_NE(atMinusThree[r], 50) << "row " << r << " not resized";
    EXPECT_LE(atMinusThree[r], atZero[r]) << r;
  }
  ExpectFreshFit(grid);

  form_->TrackBar1->setValue(25);
  for (int r = 0; r < grid.RowCount(); ++r) EXPECT_GT(grid.RowHeights(r), atZero[r]) << r;

  form_->TrackBar1->setValue(0);
  EXPECT_EQ(grid.Look().ZoomFactor, 0);
  EXPECT_EQ(RowHeights(grid), atZero);
  ExpectFreshFit(grid);
}

TEST_F(MainWindowTest, WindowResizeRefitsTheColumns) {
  form_->show();
  TCellGrid& grid = *form_->pidgrid;
  grid.SetColWidths(0, 300);
  const int before = grid.ColWidths(1);
  form_->resize(form_->width() + 120, form_->height());
  form_->layout()->activate();
  ASSERT_EQ(grid.width(), 774 + 120);
  ExpectFreshFit(grid);
  EXPECT_GT(grid.ColWidths(1), before);
  const std::vector<int> widths = ColWidths(grid);
  const int total = std::accumulate(widths.begin(), widths.end(), 0);
  EXPECT_LE(total, grid.width());
  EXPECT_GE(total, grid.width() - 2 - 20);  // border and a possible scroll bar
}

TEST_F(MainWindowTest, InitListsPacketAndFieldsAndBuildsHiddenWindows) {
  ASSERT_EQ(form_->FeedMessage(orlex::kMsgCopyData, 0, " 2;k1;\"Oil temp\";1;k2;d2;0x2;\r\n"), 1);
  const std::vector<std::string> expected{"2;k1;\"Oil temp\";1;k2;d2;0x2;",
                                          "--",
                                          "m k1",
                                          "d Oil temp",
                                          "I 1",
                                          "adding Oil temp k1 1",
                                          "m k2",
                                          "d d2",
                                          "I 0x2",
                                          "adding d2 k2 2"};
  EXPECT_EQ(form_->Listing().Lines(), expected);
  EXPECT_EQ(form_->Table().PidCount, 2);
  EXPECT_EQ(form_->Grid().Cells(0, 1), "Oil temp");
  EXPECT_EQ(form_->Grid().Cells(0, 2), "d2");

  PidRecord* first = form_->Table().Record(1);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->Window->PidWindowVisible());
  form_->Grid().SetCurrentCell(1, 1);
  form_->ShowPIDWindow1->trigger();
  EXPECT_TRUE(first->Window->PidWindowVisible());
  EXPECT_FALSE(form_->Table().Record(2)->Window->PidWindowVisible());
  form_->HideAll1->trigger();
  EXPECT_FALSE(first->Window->PidWindowVisible());

  ASSERT_EQ(form_->FeedMessage(orlex::kMsgCopyData, 1, "k2,87.5;"), 1);
  EXPECT_EQ(form_->Grid().Cells(1, 2), "87.5");

  // Values that come while a window is hidden are kept for it and shown when it appears.
  auto* window = dynamic_cast<TPidWnd*>(first->Window.get());
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(form_->FeedMessage(orlex::kMsgCopyData, 1, "k1,41;k1,42.5;"), 1);
  EXPECT_EQ(window->ValueText(), "42.5");
  form_->ShowPIDWindow1->trigger();
  EXPECT_EQ(window->value->text(), "42.5");
  ASSERT_EQ(form_->FeedMessage(orlex::kMsgCopyData, 1, "k1,43;"), 1);
  EXPECT_EQ(window->value->text(), "43");
}

// A save that fails while the window closes is logged and keeps the window open; once the file can
// be written, closing saves and ends.
TEST_F(MainWindowTest, CloseKeepsTheWindowOpenWhenTheSettingsCannotBeWritten) {
  form_->show();
  ASSERT_EQ(form_->FeedMessage(orlex::kMsgCopyData, 0, "1;k1;d1;1;"), 1);
  std::filesystem::create_directory(form_->SettingsPath());  // in the way of the file
  bool closed = false;
  QObject::connect(form_.get(), &TForm2::Closed, [&] { closed = true; });

  EXPECT_FALSE(form_->close());
  EXPECT_TRUE(form_->isVisible());
  EXPECT_FALSE(closed);
  const std::string log = ReadFile(form_->LogPath());
  EXPECT_NE(log.find(" Unable to write to " + form_->SettingsPath() + "\r\n"), std::string::npos) << log;

  std::filesystem::remove(form_->SettingsPath());
  EXPECT_TRUE(form_->close());
  EXPECT_TRUE(closed);
  EXPECT_NE(ReadFile(form_->SettingsPath()).find("[k1]"), std::string::npos);
}

}  // namespace

// The first fit happens while the window is being shown, before the grid's viewport has its size:
// the columns must still fill the grid, with no room kept for a scroll bar that never shows.
TEST_F(MainWindowTest, ColumnsFillTheGridWhenFirstShown) {
  form_->show();
  QCoreApplication::processEvents();
  int total = 0;
  for (int col = 0; col < form_->pidgrid->ColCount(); ++col) total += form_->pidgrid->ColWidths(col);
  EXPECT_EQ(total, form_->pidgrid->width() - 2);  // single border, no 3D
  EXPECT_FALSE(form_->pidgrid->verticalScrollBar()->isVisible());
}
