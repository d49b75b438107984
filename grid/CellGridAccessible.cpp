#include "grid/CellGridAccessible.h"

#include <QAccessible>
#include <QTextDocumentFragment>
#include <algorithm>
#include <utility>

#include "grid/CellGrid.h"

namespace orlex::grid {

namespace {

bool IsFixed(const TCellGrid& grid, int col, int row) { return col < grid.FixedCols() || row < grid.FixedRows(); }

// One cell. It holds the grid weakly: a screen reader may keep asking after the grid is gone.
class TGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  TGridCellAccessible(TCellGrid* grid, int col, int row) : grid_(grid), col_(col), row_(row) {}

  bool isValid() const override {
    return grid_ && col_ < grid_->ColCount() && row_ < grid_->RowCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return grid_ ? QAccessible::queryAccessibleInterface(grid_) : nullptr; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name || t == QAccessible::Value) return grid_->AccessibleText(col_, row_);
    return {};
  }

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect cell = grid_->CellRect(col_, row_);
    if (cell.isEmpty()) return {};
    return QRect(grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
  }

  QAccessible::Role role() const override {
    if (isValid() && row_ < grid_->FixedRows()) return QAccessible::ColumnHeader;
    if (isValid() && col_ < grid_->FixedCols()) return QAccessible::RowHeader;
    return QAccessible::Cell;
  }

  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.readOnly = true;
    if (grid_->CellRect(col_, row_).isEmpty()) {
      s.offscreen = true;
      s.invisible = !grid_->isVisible();
    }
    if (IsFixed(*grid_, col_, row_)) return s;
    s.focusable = true;
    s.selectable = true;
    s.selected = isSelected();
    s.focused = grid_->hasFocus() && col_ == grid_->Col() && row_ == grid_->Row();
    s.active = s.focused;
    return s;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface && isValid() && !IsFixed(*grid_, col_, row_)) {
      return static_cast<QAccessibleTableCellInterface*>(this);
    }
    return nullptr;
  }

  // QAccessibleTableCellInterface
  bool isSelected() const override { return isValid() && grid_->Selection().Contains(col_, row_); }
  QList<QAccessibleInterface*> columnHeaderCells() const override {
    QList<QAccessibleInterface*> headers;
    if (!isValid()) return headers;
    if (TCellGridAccessible* table = Table()) {
      for (int r = 0; r < grid_->FixedRows(); ++r) headers.append(table->CellInterface(col_, r));
    }
    return headers;
  }
  QList<QAccessibleInterface*> rowHeaderCells() const override {
    QList<QAccessibleInterface*> headers;
    if (!isValid()) return headers;
    if (TCellGridAccessible* table = Table()) {
      for (int c = 0; c < grid_->FixedCols(); ++c) headers.append(table->CellInterface(c, row_));
    }
    return headers;
  }
  int columnIndex() const override { return isValid() ? col_ - grid_->FixedCols() : -1; }
  int rowIndex() const override { return isValid() ? row_ - grid_->FixedRows() : -1; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

  const TCellGrid* Grid() const { return grid_; }
  int Col() const { return col_; }
  int Row() const { return row_; }

 private:
  TCellGridAccessible* Table() const {
    return dynamic_cast<TCellGridAccessible*>(QAccessible::queryAccessibleInterface(grid_));
  }

  QPointer<TCellGrid> grid_;
  int col_;
  int row_;
};

QAccessibleInterface* CreateGridInterface(const QString& className, QObject* object) {
  if (className == QLatin1String(TCellGrid::staticMetaObject.className())) {
    if (auto* grid = qobject_cast<TCellGrid*>(object)) return new TCellGridAccessible(grid);
  }
  return nullptr;
}

}  // namespace

namespace {
std::function<void(QAccessibleEvent&)>& Recorder() {
  static std::function<void(QAccessibleEvent&)> recorder;
  return recorder;
}
}  // namespace

bool AccessibilityListening() { return QAccessible::isActive() || Recorder(); }

void SendAccessibleEvent(QAccessibleEvent& event) {
  if (Recorder()) {
    Recorder()(event);
  } else {
    QAccessible::updateAccessibility(&event);
  }
}

void SetAccessibleEventRecorderForTest(std::function<void(QAccessibleEvent&)> recorder) {
  Recorder() = std::move(recorder);
}

void InstallCellGridAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(CreateGridInterface);
    return true;
  }();
  (void)installed;
}

TCellGridAccessible::TCellGridAccessible(TCellGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

TCellGridAccessible::~TCellGridAccessible() { ResetCells(); }

// While the widget is being destroyed it is no longer a grid: the checked cast then gives none.
TCellGrid* TCellGridAccessible::Grid() const { return qobject_cast<TCellGrid*>(widget()); }

QAccessibleInterface* TCellGridAccessible::CellInterface(int col, int row) const {
  const TCellGrid* grid = Grid();
  if (!grid || col < 0 || row < 0 || col >= grid->ColCount() || row >= grid->RowCount()) return nullptr;
  if (cellColCount_ != grid->ColCount()) const_cast<TCellGridAccessible*>(this)->ResetCells();
  const int index = row * grid->ColCount() + col;
  const auto found = cells_.constFind(index);
  if (found != cells_.constEnd()) return QAccessible::accessibleInterface(*found);
  auto* cell = new TGridCellAccessible(const_cast<TCellGrid*>(grid), col, row);
  cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

void TCellGridAccessible::ResetCells() {
  for (const QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
  cells_.clear();
  if (const TCellGrid* grid = Grid()) cellColCount_ = grid->ColCount();
}

QAccessible::State TCellGridAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.readOnly = true;
  return s;
}

int TCellGridAccessible::childCount() const {
  const TCellGrid* grid = Grid();
  return grid ? grid->ColCount() * grid->RowCount() : 0;
}

QAccessibleInterface* TCellGridAccessible::child(int index) const {
  const TCellGrid* grid = Grid();
  if (!grid || index < 0 || index >= childCount()) return nullptr;
  return CellInterface(index % grid->ColCount(), index / grid->ColCount());
}

int TCellGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const TCellGrid* grid = Grid();
  const auto* cell = dynamic_cast<const TGridCellAccessible*>(child);
  if (!grid || !cell || cell->Grid() != grid || !cell->isValid()) return -1;
  return cell->Row() * grid->ColCount() + cell->Col();
}

QAccessibleInterface* TCellGridAccessible::childAt(int x, int y) const {
  const TCellGrid* grid = Grid();
  if (!grid) return nullptr;
  const QPoint point = grid->viewport()->mapFromGlobal(QPoint(x, y));
  int col = -1;
  int row = -1;
  grid->MouseToCell(point.x(), point.y(), col, row);
  return col < 0 ? nullptr : CellInterface(col, row);
}

QAccessibleInterface* TCellGridAccessible::focusChild() const {
  const TCellGrid* grid = Grid();
  if (!grid || !grid->hasFocus()) return nullptr;
  return CellInterface(grid->Col(), grid->Row());
}

void* TCellGridAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* TCellGridAccessible::cellAt(int row, int column) const {
  const TCellGrid* grid = Grid();
  if (!grid || row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return nullptr;
  return CellInterface(column + grid->FixedCols(), row + grid->FixedRows());
}

int TCellGridAccessible::selectedCellCount() const { return static_cast<int>(selectedCells().size()); }

QList<QAccessibleInterface*> TCellGridAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  const TCellGrid* grid = Grid();
  if (!grid) return cells;
  const TGridRect sel = grid->Selection();
  for (int r = std::max(sel.Top, grid->FixedRows()); r <= sel.Bottom && r < grid->RowCount(); ++r) {
    for (int c = std::max(sel.Left, grid->FixedCols()); c <= sel.Right && c < grid->ColCount(); ++c) {
      cells.append(CellInterface(c, r));
    }
  }
  return cells;
}

QString TCellGridAccessible::columnDescription(int column) const {
  const TCellGrid* grid = Grid();
  if (!grid || grid->FixedRows() == 0) return {};
  return grid->AccessibleText(column + grid->FixedCols(), grid->FixedRows() - 1);
}

QString TCellGridAccessible::rowDescription(int row) const {
  const TCellGrid* grid = Grid();
  if (!grid || grid->FixedCols() == 0) return {};
  return grid->AccessibleText(grid->FixedCols() - 1, row + grid->FixedRows());
}

int TCellGridAccessible::columnCount() const {
  const TCellGrid* grid = Grid();
  return grid ? grid->ColCount() - grid->FixedCols() : 0;
}

int TCellGridAccessible::rowCount() const {
  const TCellGrid* grid = Grid();
  return grid ? grid->RowCount() - grid->FixedRows() : 0;
}

void NotifyAccessibleFocus(TCellGrid& grid) {
  if (!AccessibilityListening() || !grid.hasFocus()) return;
  QAccessibleEvent event(&grid, QAccessible::Focus);
  event.setChild(grid.Row() * grid.ColCount() + grid.Col());
  SendAccessibleEvent(event);
}

void NotifyAccessibleTextChanged(TCellGrid& grid, int col, int row) {
  if (!AccessibilityListening() || col >= grid.ColCount() || row >= grid.RowCount()) return;
  QAccessibleEvent event(&grid, QAccessible::NameChanged);
  event.setChild(row * grid.ColCount() + col);
  SendAccessibleEvent(event);
}

void NotifyAccessibleCountsChanged(TCellGrid& grid) {
  if (!AccessibilityListening()) return;
  if (auto* table = dynamic_cast<TCellGridAccessible*>(QAccessible::queryAccessibleInterface(&grid))) {
    table->ResetCells();
  }
  QAccessibleTableModelChangeEvent event(&grid, QAccessibleTableModelChangeEvent::ModelReset);
  SendAccessibleEvent(event);
}

QString TCellGrid::AccessibleText(int col, int row) const {
  const std::string& text = CellText(col, row);
  if (text.empty()) return {};
  const CellTextKind kind = ClassifyCellText(text, EnableHTML);
  const QString shown = DisplayText(text, kind);
  // A screen reader reads what the cell shows, not its tags.
  if (kind == ctkHTML) return QTextDocumentFragment::fromHtml(shown).toPlainText();
  return shown;
}

}  // namespace orlex::grid
