#pragma once

// The grid as a table for assistive technology: screen readers see every cell with its text, the
// fixed rows as column headers, the fixed columns as row headers, and follow the current cell.

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <functional>

namespace orlex::grid {

class TCellGrid;

// Installs the factory that gives every TCellGrid its table interface (once per process; later calls
// do nothing). The grid's constructor calls it.
void InstallCellGridAccessibility();

// The grid's table interface. Its children are all the grid's cells, fixed ones included, row by row
// (child index = row * ColCount + column); the table's own rows and columns are the scrollable ones,
// so table cell (r, c) is grid cell (c + FixedCols, r + FixedRows).
class TCellGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TCellGridAccessible(TCellGrid* grid);
  ~TCellGridAccessible() override;

  TCellGrid* Grid() const;
  // The interface of grid cell (col, row), created on first use and kept until the counts change.
  QAccessibleInterface* CellInterface(int col, int row) const;
  // Forgets every cell interface (the grid's counts changed).
  void ResetCells();

  // QAccessibleInterface
  QAccessible::Role role() const override { return QAccessible::Table; }
  QAccessible::State state() const override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  int selectedCellCount() const override;
  QList<QAccessibleInterface*> selectedCells() const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int row) const override;
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  int columnCount() const override;
  int rowCount() const override;
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override { ResetCells(); }

 private:
  mutable QHash<int, QAccessible::Id> cells_;
  int cellColCount_ = 0;
};

// Whether assistive technology listens: Qt's answer, or yes while a test records the events (the
// offscreen platform never has a listener, and Qt then drops every event).
bool AccessibilityListening();
// Hands an event to assistive technology (or to the test's recorder).
void SendAccessibleEvent(QAccessibleEvent& event);
// Tests: events go to `recorder` instead of Qt and count as listened to; an empty one restores Qt.
void SetAccessibleEventRecorderForTest(std::function<void(QAccessibleEvent&)> recorder);

// Events for assistive technology; each does nothing (and costs a flag test) while none listens.
// The current cell as the focused child, when the grid has keyboard focus.
void NotifyAccessibleFocus(TCellGrid& grid);
// A cell's text (name) changed.
void NotifyAccessibleTextChanged(TCellGrid& grid, int col, int row);
// The grid's counts changed: cell interfaces are built afresh.
void NotifyAccessibleCountsChanged(TCellGrid& grid);

}  // namespace orlex::grid
