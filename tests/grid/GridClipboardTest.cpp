#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <string>
#include <vector>

#include "grid/CellGrid.h"
#include "tests/grid/SystemGridWidget.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

QString ClipboardText() { return QApplication::clipboard()->text(); }

// The grid widget of the main window's shape with the clipboard keys on, editing and range selection.
class GridClipboardTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGridWidget(grid);
    grid.Navigation.AllowClipboardShortCuts = true;
    grid.ChangeLook([](TGridLook& look) { look.Options |= goEditing | goRangeSelect; });
    grid.SetCells(0, 1, "a");
    grid.SetCells(1, 1, "b");
    grid.SetCells(0, 2, "c");
    grid.SetCells(1, 2, "d");
    grid.show();
    QApplication::clipboard()->setText("from elsewhere\tx");
  }
  void Select(int col, int row, int anchorCol, int anchorRow) {
    grid.MoveCurrent(anchorCol, anchorRow, true, false);
    grid.MoveCurrent(col, row, false, false);
  }
  TCellGrid grid;
};

struct TKeyCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  const char* action;  // "copy", "cut" or "paste"
};

void PrintTo(const TKeyCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ClipboardKeyTest : public GridClipboardTest, public testing::WithParamInterface<TKeyCase> {};

TEST_P(ClipboardKeyTest, KeyRaisesItsEventThenActs) {
  const TKeyCase& c = GetParam();
  std::vector<std::string> raised;
  grid.OnClipboardCopy = [&](TCellGrid&, bool&) { raised.push_back("copy"); };
  grid.OnClipboardCut = [&](TCellGrid&, bool&) { raised.push_back("cut"); };
  grid.OnClipboardPaste = [&](TCellGrid&, bool&) { raised.push_back("paste"); };
  Select(1, 2, 0, 1);
  QTest::keyClick(&grid, c.key, c.modifiers);
  EXPECT_EQ(raised, std::vector<std::string>{c.action});
  const std::string action = c.action;
  if (action == "paste") {
    EXPECT_EQ(ClipboardText(), "from elsewhere\tx");
    EXPECT_EQ(grid.Cells(0, 1), "from elsewhere");
    EXPECT_EQ(grid.Cells(1, 1), "x");
    EXPECT_EQ(grid.Cells(0, 2), "c");
  } else {
    EXPECT_EQ(ClipboardText(), "a\tb\r\nc\td\r\n");
    EXPECT_EQ(grid.Cells(0, 1), action == "cut" ? "" : "a");
    EXPECT_EQ(grid.Cells(1, 2), action == "cut" ? "" : "d");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ClipboardKeyTest,
    testing::Values(TKeyCase{"ctrl_x", Qt::Key_X, Qt::ControlModifier, "cut"},
                    TKeyCase{"ctrl_v", Qt::Key_V, Qt::ControlModifier, "paste"},
                    TKeyCase{"ctrl_c", Qt::Key_C, Qt::ControlModifier, "copy"},
                    TKeyCase{"ctrl_insert", Qt::Key_Insert, Qt::ControlModifier, "copy"},
                    TKeyCase{"shift_insert", Qt::Key_Insert, Qt::ShiftModifier, "paste"},
                    TKeyCase{"shift_delete", Qt::Key_Delete, Qt::ShiftModifier, "cut"},
                    TKeyCase{"ctrl_shift_insert_copies", Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier,
                             "copy"}),
    [](const testing::TestParamInfo<TKeyCase>& info) { return std::string(info.param.name); });

TEST_F(GridClipboardTest, ARefusingEventStopsTheOperation) {
  grid.OnClipboardCopy = [](TCellGrid&, bool& allow) { allow = false; };
  grid.OnClipboardCut = [](TCellGrid&, bool& allow) { allow = false; };
  grid.OnClipboardPaste = [](TCellGrid&, bool& allow) { allow = false; };
  Select(1, 2, 0, 1);
  for (Qt::Key key : {Qt::Key_C, Qt::Key_X, Qt::Key_V}) QTest::keyClick(&grid, key, Qt::ControlModifier);
  EXPECT_EQ(ClipboardText(), "from elsewhere\tx");
  EXPECT_EQ(grid.Cells(0, 1), "a");
  EXPECT_EQ(grid.Cells(1, 2), "d");
}

TEST_F(GridClipboardTest, TheCharactersOfTheClipboardKeysAreSwallowedOnlyWhileTheKeysAreOn) {
  std::string pressed;
  grid.OnKeyPress = [&](TCellGrid&, char& key) { pressed += key; };
  const auto send = [&](Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&grid, &event);
  };
  send(Qt::Key_C, QString(QChar(3)), Qt::ControlModifier);
  send(Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
  send(Qt::Key_X, QString(QChar(24)), Qt::ControlModifier);
  send(Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
  EXPECT_EQ(pressed, "\x01");

  grid.Navigation.AllowClipboardShortCuts = false;
  pressed.clear();
  send(Qt::Key_C, QString(QChar(3)), Qt::ControlModifier);
  EXPECT_EQ(pressed, "\x03");
}

// The own format through the desktop's clipboard: a second grid gets texts, colours and tags.
TEST_F(GridClipboardTest, TheOwnFormatCarriesRecordsToAnotherGrid) {
  grid.Navigation.AllowFmtClipboard = true;
  grid.GetCellProperties(1, 1)->SetBrushColor(0x0000FF);
  grid.SetObjects(1, 1, 31);
  Select(1, 1, 0, 1);
  grid.ClipCopy();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasFormat("application/x-orlexgauges-TCellGrid_20Cells"));
  EXPECT_EQ(mime->text(), "a\tb");

  TCellGrid other;
  ConfigureSystemGridWidget(other);
  other.Navigation.AllowClipboardAlways = true;
  other.Navigation.AllowFmtClipboard = true;
  EXPECT_EQ(other.ClipPasteAt(4, 7), 2);
  EXPECT_EQ(other.Cells(4, 7), "a");
  EXPECT_EQ(other.Cells(5, 7), "b");
  EXPECT_EQ(other.Objects(5, 7), 31);
  EXPECT_EQ(other.FindCellProperties(5, 7)->BrushColor(), 0x0000FFu);

  // Without the own format the same clipboard pastes as text only.
  other.Navigation.AllowFmtClipboard = false;
  EXPECT_EQ(other.ClipPasteAt(2, 9), 2);
  EXPECT_EQ(other.Cells(3, 9), "b");
  EXPECT_EQ(other.Objects(3, 9), 0);
}

// Another application's clipboard with no format a grid reads: a paste finds nothing and changes nothing.
TEST_F(GridClipboardTest, AClipboardWithoutUsableFormatsPastesNothing) {
  auto* mime = new QMimeData;
  mime->setHtml("<b>only html</b>");
  mime->setData("application/x-orlexgauges-TCellGrid_20Cells", "not a block");
  QApplication::clipboard()->setMimeData(mime);
  EXPECT_EQ(grid.ClipPasteAt(0, 1), 0);
  grid.Navigation.AllowFmtClipboard = true;
  EXPECT_EQ(grid.ClipPasteAt(0, 1), 0);
  EXPECT_EQ(grid.Cells(0, 1), "a");
  EXPECT_EQ(grid.ColCount(), 6);
}

TEST_F(GridClipboardTest, BytesThatAreNotUtf8TravelAsTheirCharacters) {
  grid.SetCells(0, 1, "caf\xE9");  // a Windows-1252 Feed's e acute
  Select(0, 1, 0, 1);
  grid.ClipCopy();
  EXPECT_EQ(ClipboardText(), QString::fromUtf8("caf\xC3\xA9"));
}

}  // namespace
