#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit2.h"
#include "tests/support/TempDir.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

// The display leaves the clipboard to other applications: its grid's clipboard keys stay off, so
// Ctrl+C, Ctrl+V, Ctrl+X and their Insert and Delete forms change neither the clipboard nor a slot.
TEST(MainWindowClipboardTest, ClipboardKeysTouchNeitherTheClipboardNorTheGrid) {
  TTempDir dir;
  auto form = std::make_unique<TForm2>(dir.Path());
  form->show();
  TCellGrid& grid = *form->pidgrid;
  for (int row = 1; row <= 3; ++row) {
    for (int col = 0; col < 2; ++col) {
      grid.SetCells(col, row, "cell " + std::to_string(col) + "," + std::to_string(row));
      grid.SetObjects(col, row, row);
    }
  }
  grid.setFocus();
  grid.MoveCurrent(0, 2, true, false);
  QApplication::clipboard()->setText("another application's text");
  int clipboardChanges = 0;
  QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, [&] { ++clipboardChanges; });
  std::vector<std::string> raised;
  grid.OnClipboardCopy = [&](TCellGrid&, bool&) { raised.push_back("copy"); };
  grid.OnClipboardCut = [&](TCellGrid&, bool&) { raised.push_back("cut"); };
  grid.OnClipboardPaste = [&](TCellGrid&, bool&) { raised.push_back("paste"); };

  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
      {Qt::Key_C, Qt::ControlModifier},    {Qt::Key_V, Qt::ControlModifier},      {Qt::Key_X, Qt::ControlModifier},
      {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
  };
  for (const auto& [key, modifiers] : keys) QTest::keyClick(&grid, key, modifiers);
  QApplication::processEvents();

  EXPECT_EQ(clipboardChanges, 0);
  EXPECT_EQ(QApplication::clipboard()->text(), "another application's text");
  EXPECT_TRUE(raised.empty());
  for (int row = 1; row <= 3; ++row) {
    for (int col = 0; col < 2; ++col) {
      EXPECT_EQ(grid.Cells(col, row), "cell " + std::to_string(col) + "," + std::to_string(row));
      EXPECT_EQ(grid.Objects(col, row), row);
    }
  }
  EXPECT_EQ(std::make_pair(grid.Col(), grid.Row()), std::make_pair(0, 2));
}

}  // namespace
