// Navigation of the grid widget: the current cell and how it moves, keys, mouse buttons, the wheel,
// middle-button panning and the scroll bars. The arithmetic lives in GridNavigation; this file wires
// it to Qt's events and to the grid's state.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cctype>

#include "grid/CellGrid.h"
#include "grid/CellGridAccessible.h"
#include "grid/core/CellStyle.h"

namespace orlex::grid {

// Navigation state that only this file touches.
struct TCellGrid::TNavState {
  TGridState state = gsNormal;
  bool dragArmed = false;
  QPoint pressPoint;
  QPoint lastMouse;     // last pointer position seen by the grid (client coordinates)
  QTimer repeatTimer;   // steps the current cell while selecting beyond the visible part
  bool panning = false;
  QPoint panOrigin;
  QTimer panTimer;
  TPanCursor panCursor = pcNeutral;
  int wheelLines = 3;
  TWheelAccumulator wheel;
};

void TCellGrid::TNavStateDeleter::operator()(TNavState* state) const { delete state; }

namespace {

constexpr int kSelectRepeatMs = 60;
constexpr int kPanTickMs = 10;

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton) {
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

// An armed press reports one modifier only: Alt before Shift before Ctrl.
TShiftState SingleShiftOf(Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::AltModifier) return ssAlt;
  if (modifiers & Qt::ShiftModifier) return ssShift;
  if (modifiers & Qt::ControlModifier) return ssCtrl;
  return 0;
}

void RaiseMouseDown(TCellGrid& grid, TMouseButton button, TShiftState shift, const QPoint& point) {
  if (grid.OnMouseDown) grid.OnMouseDown(grid, button, shift, point.x(), point.y());
}

// An HTML cell with an inline control keeps Enter and F2 for that control.
bool CellHoldsControl(const TCellGridBase& grid, int col, int row) {
  const std::string& text = grid.CellText(col, row);
  if (ClassifyCellText(text, grid.Look().EnableHTML) != ctkHTML) return false;
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  return upper.find("<CONTROL") != std::string::npos;
}

bool NavKeyOf(int key, TNavKey& navKey) {
  switch (key) {
    case Qt::Key_Left: navKey = nkLeft; return true;
    case Qt::Key_Right: navKey = nkRight; return true;
    case Qt::Key_Up: navKey = nkUp; return true;
    case Qt::Key_Down: navKey = nkDown; return true;
    case Qt::Key_PageUp: navKey = nkPageUp; return true;
    case Qt::Key_PageDown: navKey = nkPageDown; return true;
    case Qt::Key_Home: navKey = nkHome; return true;
    case Qt::Key_End: navKey = nkEnd; return true;
    default: return false;
  }
}

enum TClipboardAction : int { caNone = -1, caCopy = 0, caCut = 1, caPaste = 2 };

TClipboardAction ClipboardActionOf(int key, Qt::KeyboardModifiers modifiers) {
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool shift = modifiers & Qt::ShiftModifier;
  if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) return caCopy;
  if ((ctrl && key == Qt::Key_X) || (shift && key == Qt::Key_Delete)) return caCut;
  if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) return caPaste;
  return caNone;
}

void RepaintCells(TCellGrid& grid, const TGridRect& rect) {
  if (rect.Left == rect.Right && rect.Top == rect.Bottom) {
    grid.RepaintCell(rect.Left, rect.Top);
  } else {
    grid.RepaintGrid();
  }
}

bool DragArmedAt(const TCellGrid& grid, const QPoint& point, int col, int row) {
  if (col < 0 || row < 0) return false;
  TDragArmFacts facts;
  facts.FixedRow = row < grid.FixedRows();
  facts.FixedCol = col < grid.FixedCols();
  facts.CellSelected = !facts.FixedRow && !facts.FixedCol && grid.Selection().Contains(col, row);
  facts.EnhRowColMove = grid.EnhRowColMove;
  facts.Editing = (grid.Look().Options & goEditing) != 0;
  facts.DropSource = grid.DragDropSettings.OleDropSource;
  facts.ColOrAllSelect = grid.MouseActions.ColSelect || grid.MouseActions.AllSelect;
  facts.ColSizing = (grid.Look().Options & goColSizing) != 0;
  const QRect cell = grid.CellRect(col, row);
  facts.FromLeftEdge = point.x() - cell.left();
  facts.FromRightEdge = cell.left() + cell.width() - point.x();
  return PressArmsDrag(facts);
}

// Panning cursors: a ring with the arrows of the directions the grid pans in, or of the one it pans.
QCursor PanCursorShape(TPanCursor kind, TIntelliPan mode) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(16, 16), 4, 4);
  auto arrow = [&painter](int dx, int dy) {
    const QPointF tip(16 + dx * 14, 16 + dy * 14);
    const QPointF base(16 + dx * 8, 16 + dy * 8);
    const QPointF side(-dy * 5, dx * 5);
    painter.drawPolygon(QPolygonF{tip, base + side, base - side});
  };
  painter.setBrush(Qt::black);
  switch (kind) {
    case pcNeutral:
      if (mode != ipHorizontal) { arrow(0, -1); arrow(0, 1); }
      if (mode != ipVertical) { arrow(-1, 0); arrow(1, 0); }
      break;
    case pcUp: arrow(0, -1); break;
    case pcDown: arrow(0, 1); break;
    case pcLeft: arrow(-1, 0); break;
    case pcRight: arrow(1, 0); break;
    case pcUpLeft: arrow(0, -1); arrow(-1, 0); break;
    case pcUpRight: arrow(0, -1); arrow(1, 0); break;
    case pcDownLeft: arrow(0, 1); arrow(-1, 0); break;
    case pcDownRight: arrow(0, 1); arrow(1, 0); break;
  }
  painter.end();
  return QCursor(pixmap, 16, 16);
}

// Wheel messages over the scroll bars belong to the grid, as they would over the cells.
class TScrollBarWheelFilter : public QObject {
 public:
  TScrollBarWheelFilter(QWidget* viewport, QObject* parent) : QObject(parent), viewport_(viewport) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return QObject::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    QWheelEvent copy(viewport_->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                     wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
                     wheel->phase(), wheel->inverted(), wheel->source());
    QCoreApplication::sendEvent(viewport_, &copy);
    return true;
  }

 private:
  QWidget* viewport_;
};

}  // namespace

// The grid as the window-free key and wheel navigation drives it.
class TGridNavTarget final : public TNavTarget {
 public:
  explicit TGridNavTarget(TCellGrid& grid) : grid_(grid) {}
  TGridAxis ColAxis() const override { return grid_.ColAxis(); }
  TGridAxis RowAxis() const override { return grid_.RowAxis(); }
  TNavPosition Position() const override { return {grid_.Col(), grid_.Row(), grid_.LeftCol(), grid_.TopRow()}; }
  void ScrollTo(int leftCol, int topRow) override { grid_.MoveTopLeft(leftCol, topRow); }
  void FocusCell(int col, int row) override {
    grid_.MoveCurrent(col, row, true, true);
    if (grid_.OnClick) grid_.OnClick(grid_);
  }
  void ZoomBy(int delta) override { grid_.ZoomBy(delta); }

 private:
  TCellGrid& grid_;
};

// ---- Set-up and state ----

void TCellGrid::InitNavigation() {
  nav_.reset(new TNavState);
  nav_->wheelLines = QApplication::wheelScrollLines();
  // Focus comes from the left-button click handling and from Tab, not from every button.
  setFocusPolicy(Qt::TabFocus);

  nav_->repeatTimer.setInterval(kSelectRepeatMs);
  connect(&nav_->repeatTimer, &QTimer::timeout, this, [this] { RepeatTick(); });
  nav_->panTimer.setInterval(kPanTickMs);
  connect(&nav_->panTimer, &QTimer::timeout, this, [this] { PanTick(); });

  auto* wheelFilter = new TScrollBarWheelFilter(viewport(), this);
  for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
    // The thumb moves the view when it is let go, not while it is dragged.
    bar->setTracking(false);
    bar->installEventFilter(wheelFilter);
    const Qt::Orientation orientation = bar->orientation();
    connect(bar, &QAbstractSlider::actionTriggered, this,
            [this, orientation](int action) { ScrollBarAction(orientation, action); });
  }
}

TGridAxis TCellGrid::ColAxis() const { return TGridAxis{colWidths_, ColCount(), FixedCols(), viewport()->width()}; }

TGridAxis TCellGrid::RowAxis() const {
  return TGridAxis{rowHeights_, RowCount(), FixedRows(), viewport()->height()};
}

TGridState TCellGrid::GridState() const { return sizingCol_ >= 0 ? gsColSizing : nav_->state; }

bool TCellGrid::DragArmed() const { return nav_->dragArmed; }

QPoint TCellGrid::PressPoint() const { return nav_->pressPoint; }

bool TCellGrid::Panning() const { return nav_->panning; }

int TCellGrid::WheelLines() const { return nav_->wheelLines; }

int TCellGrid::PageWidth() const { return ColAxis().PageSize(LeftCol()); }

int TCellGrid::PageHeight() const { return RowAxis().PageSize(TopRow()); }

// ---- Cells and the current cell ----

void TCellGrid::MouseToCell(int x, int y, int& col, int& row) const {
  col = ColAxis().IndexAt(LeftCol(), x);
  row = RowAxis().IndexAt(TopRow(), y);
  if (col < 0 || row < 0) col = row = -1;
}

bool TCellGrid::SelectCell(int col, int row) {
  bool canSelect = true;
  if (OnSelectCell) OnSelectCell(*this, col, row, canSelect);
  if (canSelect) {
    RepaintCell(Col(), Row());
    RepaintCell(col, row);
  }
  return canSelect;
}

void TCellGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
  // The current cell never sits on a fixed cell: those indices are refused like ones past the counts.
  if (col < FixedCols() || row < FixedRows() || col >= ColCount() || row >= RowCount()) {
    throw TGridError(kGridIndexOutOfRange);
  }
  if (!SelectCell(col, row)) return;
  const TGridRect old = Selection();
  const int oldRow = Row();
  SetCurrentCell(col, row);
  // The active row's colour moves with the current row.
  if (ActiveRowShow && row != oldRow) {
    RepaintRow(oldRow);
    RepaintRow(row);
  }
  if (moveAnchor || !(Options & goRangeSelect)) SetAnchor(col, row);
  if (show) ScrollCellIntoView(col, row);
  RepaintCells(*this, old);
  RepaintCells(*this, Selection());
  orlex::grid::NotifyAccessibleFocus(*this);
}

void TCellGrid::SetRow(int row) {
  if (row == Row()) return;
  TGridNavTarget(*this).FocusCell(Col(), row);
}

void TCellGrid::SetCol(int col) {
  if (col == Col()) return;
  TGridNavTarget(*this).FocusCell(col, Row());
}

void TCellGrid::SetTopRow(int row) { MoveTopLeft(LeftCol(), RowAxis().LimitTopLeft(row)); }

void TCellGrid::SetLeftCol(int col) { MoveTopLeft(ColAxis().LimitTopLeft(col), TopRow()); }

void TCellGrid::ScrollCellIntoView(int col, int row) {
  MoveTopLeft(ColAxis().ScrollIntoView(LeftCol(), col), RowAxis().ScrollIntoView(TopRow(), row));
}

void TCellGrid::MoveTopLeft(int leftCol, int topRow) {
  if (leftCol == LeftCol() && topRow == TopRow()) return;
  SetTopLeft(leftCol, topRow);
  RepaintGrid();
  SyncScrollBars();
}

// ---- Scroll bars ----

void TCellGrid::SyncScrollBars() {
  auto sync = [](QScrollBar* bar, const TGridAxis& axis, int topLeft) {
    const int span = axis.MaxTopLeft() - axis.Fixed;
    bar->setRange(0, span > 0 ? kScrollPosMax : 0);
    bar->setSingleStep(1);
    // Only the thumb's length: the actions compute their own steps.
    bar->setPageStep(std::clamp(axis.PageSize(topLeft) * kScrollPosMax / std::max(1, span), 1, kScrollPosMax));
    bar->setValue(axis.ScrollPos(topLeft));
  };
  sync(verticalScrollBar(), RowAxis(), TopRow());
  sync(horizontalScrollBar(), ColAxis(), LeftCol());
}

int TCellGrid::ScrollPos(Qt::Orientation orientation) const {
  return orientation == Qt::Vertical ? verticalScrollBar()->value() : horizontalScrollBar()->value();
}

void TCellGrid::ScrollBarAction(Qt::Orientation orientation, int action) {
  TScrollCode code;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
    case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
    case QAbstractSlider::SliderToMinimum: code = scTop; break;
    case QAbstractSlider::SliderToMaximum: code = scBottom; break;
    case QAbstractSlider::SliderMove: code = scThumbPosition; break;
    default: return;
  }
  if (isVisible() && isEnabled() && (focusPolicy() & Qt::TabFocus) && !hasFocus()) setFocus(Qt::OtherFocusReason);
  const bool vertical = orientation == Qt::Vertical;
  QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
  const TGridAxis axis = vertical ? RowAxis() : ColAxis();
  const int next = axis.Scroll(vertical ? TopRow() : LeftCol(), code, bar->sliderPosition());
  if (vertical) {
    MoveTopLeft(LeftCol(), next);
  } else {
    MoveTopLeft(next, TopRow());
  }
  // The bar applies this position once the action returns.
  bar->setSliderPosition(axis.ScrollPos(next));
}

// ---- Keys ----

void TCellGrid::keyPressEvent(QKeyEvent* event) {
  if (nav_->panning) {
    EndPanning();
    event->accept();
    return;
  }
  const int qtKey = event->key();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  const TShiftState shift = ShiftOf(modifiers);
  const bool enter = qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter;
  if ((enter || qtKey == Qt::Key_F2) && CellHoldsControl(*this, Col(), Row())) {
    event->accept();
    return;
  }
  bool handled = enter;
  int key = qtKey;
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (!enter && key != 0) {
    TNavKey navKey;
    if (NavKeyOf(key, navKey)) {
      TGridNavTarget target(*this);
      ApplyNavigationKey(target, navKey, (modifiers & Qt::ControlModifier) != 0, Navigation.HomeEndKey);
      handled = true;
    } else if (key == Qt::Key_F2) {
      handled = true;  // there is no in-place editor to show
    } else if (const TClipboardAction action = ClipboardActionOf(key, modifiers); action != caNone) {
      ClipboardShortCut(action);
      handled = true;
    }
  }
  // Typed characters (Enter and Escape included) only reach the key-press notification.
  const QString text = event->text();
  // With the clipboard keys on, the characters of Ctrl+C, Ctrl+V and Ctrl+X are theirs alone.
  const bool clipboardChar = Navigation.AllowClipboardShortCuts && (modifiers & Qt::ControlModifier) &&
                             text.size() == 1 && QStringView(u"\x03\x16\x18").contains(text.at(0));
  if (clipboardChar) {
    handled = true;
  } else if (text.size() == 1) {
    const QChar c = text.at(0);
    char ch = c.unicode() < 256 ? static_cast<char>(c.unicode()) : '?';
    if (OnKeyPress) OnKeyPress(*this, ch);
    handled = true;
  }
  if (handled) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TCellGrid::ClipboardShortCut(int action) {
  if (!Navigation.AllowClipboardShortCuts) return;
  bool allow = true;
  switch (action) {
    case caCopy:
      if (OnClipboardCopy) OnClipboardCopy(*this, allow);
      if (allow) ClipCopy();
      break;
    case caCut:
      if (OnClipboardCut) OnClipboardCut(*this, allow);
      if (allow) ClipCut();
      break;
    case caPaste:
      if (OnClipboardPaste) OnClipboardPaste(*this, allow);
      if (allow) ClipPaste();
      break;
    default:
      break;
  }
}

// ---- Mouse buttons ----

bool TCellGrid::viewportEvent(QEvent* event) {
  if (!nav_) return QAbstractScrollArea::viewportEvent(event);  // still being built
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      // Any press while panning only ends the panning.
      if (nav_->panning) {
        EndPanning();
        event->accept();
        return true;
      }
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint point = mouse->position().toPoint();
      if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
          ColumnBorderAt(point) >= 0) {
        int col = -1;
        int row = -1;
        MouseToCell(point.x(), point.y(), col, row);
        if (DragArmedAt(*this, point, col, row)) {
          LeftPress(point, mouse->modifiers(), false);
          event->accept();
          return true;
        }
        // A press on a column border: focus, the column sizing of the base, then the notification.
        nav_->pressPoint = point;
        nav_->dragArmed = false;
        if (isEnabled() && !hasFocus()) setFocus(Qt::MouseFocusReason);
        const bool result = QAbstractScrollArea::viewportEvent(event);
        RaiseMouseDown(*this, mbLeft, ShiftOf(mouse->modifiers(), mouse->buttons()), point);
        return result;
      }
      break;
    }
    case QEvent::MouseMove:
      if (nav_->panning) {
        nav_->lastMouse = static_cast<QMouseEvent*>(event)->position().toPoint();
        return true;
      }
      break;
    default:
      break;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

void TCellGrid::GridMousePress(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  nav_->lastMouse = point;
  switch (event->button()) {
    case Qt::LeftButton: {
      // A press on an inline control of an HTML text draws that control pressed until the release.
      int col = -1;
      int row = -1;
      MouseToCell(point.x(), point.y(), col, row);
      if (HtmlControlAt(col, row, point)) {
        htmlControlDown_ = {col, row};
        RepaintCell(col, row);
      }
      LeftPress(point, event->modifiers(), false);
      break;
    }
    case Qt::RightButton:
      // The context menu follows through the platform; the current cell stays unless asked to follow.
      if (MouseActions.SelectOnRightClick) {
        int col = -1;
        int row = -1;
        MouseToCell(point.x(), point.y(), col, row);
        if (col >= FixedCols() && row >= FixedRows()) TGridNavTarget(*this).FocusCell(col, row);
      }
      RaiseMouseDown(*this, mbRight, ShiftOf(event->modifiers(), event->buttons()), point);
      break;
    case Qt::MiddleButton:
      if (IntelliPan != ipNone && RowCount() > FixedRows()) StartPanning(point);
      RaiseMouseDown(*this, mbMiddle, ShiftOf(event->modifiers(), event->buttons()), point);
      break;
    default:
      break;
  }
  event->accept();
}

void TCellGrid::GridMouseDoubleClick(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    GridMousePress(event);
    return;
  }
  LeftPress(event->position().toPoint(), event->modifiers(), true);
  event->accept();
}

void TCellGrid::LeftPress(const QPoint& point, Qt::KeyboardModifiers modifiers, bool doubleClick) {
  nav_->pressPoint = point;
  nav_->lastMouse = point;
  nav_->dragArmed = false;
  int col = -1;
  int row = -1;
  MouseToCell(point.x(), point.y(), col, row);
  TShiftState shift = ShiftOf(modifiers, Qt::LeftButton);
  if (doubleClick) {
    if (isEnabled() && !hasFocus()) setFocus(Qt::MouseFocusReason);
    if (OnDblClick) OnDblClick(*this);
    RaiseMouseDown(*this, mbLeft, shift | ssDouble, point);
    return;
  }
  if (DragArmedAt(*this, point, col, row)) {
    // A press on the current cell may become a drag: nothing moves until the mouse does.
    RaiseMouseDown(*this, mbLeft, SingleShiftOf(modifiers), point);
    nav_->dragArmed = true;
    if (OnClickCell) OnClickCell(*this, row, col);
    return;
  }
  if (isEnabled() && !hasFocus()) setFocus(Qt::MouseFocusReason);
  if (col >= FixedCols() && row >= FixedRows()) {
    nav_->state = gsSelecting;
    nav_->repeatTimer.start();
    MoveCurrent(col, row, true, true);
  }
  RaiseMouseDown(*this, mbLeft, shift, point);
}

void TCellGrid::GridMouseMove(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  nav_->lastMouse = point;
  if (nav_->dragArmed && DragStartMove(point)) return;
  if (nav_->state == gsSelecting) SelectingMove(point);
}

void TCellGrid::DisarmDrag() { nav_->dragArmed = false; }

void TCellGrid::BeginRangeSelecting() {
  if (nav_->state != gsNormal) return;
  nav_->state = gsSelecting;
  nav_->repeatTimer.start();
}

void TCellGrid::SelectingMove(const QPoint& point) {
  int col = -1;
  int row = -1;
  MouseToCell(point.x(), point.y(), col, row);
  if (col < FixedCols() || row < FixedRows()) return;
  // Cells up to one beyond the fully visible part follow the mouse; the repeat timer does the rest.
  if (col > ColAxis().LastFullyVisible(LeftCol()) + 1 || row > RowAxis().LastFullyVisible(TopRow()) + 1) return;
  if (col != Col() || row != Row()) MoveCurrent(col, row, true, true);
}

void TCellGrid::RepeatTick() {
  if (nav_->state != gsSelecting) {
    nav_->repeatTimer.stop();
    return;
  }
  const QPoint point = nav_->lastMouse;
  const TGridAxis cols = ColAxis();
  const TGridAxis rows = RowAxis();
  const int dx = point.x() < cols.FixedExtent() ? -1 : point.x() >= cols.FullyVisibleEnd(LeftCol()) ? 1 : 0;
  const int dy = point.y() < rows.FixedExtent() ? -1 : point.y() >= rows.FullyVisibleEnd(TopRow()) ? 1 : 0;
  if (dx == 0 && dy == 0) return;
  const int col = cols.LimitIndex(Col() + dx);
  const int row = rows.LimitIndex(Row() + dy);
  if (col != Col() || row != Row()) MoveCurrent(col, row, true, true);
}

void TCellGrid::GridMouseRelease(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  nav_->lastMouse = point;
  if (event->button() == Qt::LeftButton && htmlControlDown_.first >= 0) {
    RepaintCell(htmlControlDown_.first, htmlControlDown_.second);
    htmlControlDown_ = {-1, -1};
  }
  if (event->button() == Qt::LeftButton) {
    if (nav_->dragArmed) {
      // The mouse never moved far enough for a drag: the selection becomes the released cell.
      nav_->dragArmed = false;
      int col = -1;
      int row = -1;
      MouseToCell(point.x(), point.y(), col, row);
      if (col >= FixedCols() && row >= FixedRows()) {
        if (col != Col() || row != Row()) {
          MoveCurrent(col, row, true, true);
        } else {
          SetAnchor(col, row);
          RepaintCell(col, row);
        }
      }
    }
    if (nav_->state == gsSelecting) {
      SelectingMove(point);
      nav_->repeatTimer.stop();
      nav_->state = gsNormal;
      if (OnClick) OnClick(*this);
    }
  }
  nav_->state = gsNormal;
  nav_->repeatTimer.stop();
  event->accept();
}

// ---- Middle-button panning ----

void TCellGrid::StartPanning(const QPoint& point) {
  nav_->panning = true;
  nav_->panOrigin = point;
  nav_->lastMouse = point;
  nav_->panCursor = pcNeutral;
  viewport()->setCursor(PanCursorShape(pcNeutral, IntelliPan));
  viewport()->grabMouse();
  // Keys end the panning wherever the focus is.
  grabKeyboard();
  nav_->panTimer.start();
}

void TCellGrid::EndPanning() {
  if (!nav_->panning) return;
  nav_->panning = false;
  nav_->panTimer.stop();
  viewport()->releaseMouse();
  releaseKeyboard();
  viewport()->unsetCursor();
}

void TCellGrid::PanTick() {
  if (!nav_->panning) return;
  const int dx = nav_->lastMouse.x() - nav_->panOrigin.x();
  const int dy = nav_->lastMouse.y() - nav_->panOrigin.y();
  const TPanCursor cursor = PanCursorFor(dx, dy, IntelliPan);
  if (cursor != nav_->panCursor) {
    nav_->panCursor = cursor;
    viewport()->setCursor(PanCursorShape(cursor, IntelliPan));
  }
  const int stepX = IntelliPan == ipHorizontal || IntelliPan == ipBoth ? PanStep(dx) : 0;
  const int stepY = IntelliPan == ipVertical || IntelliPan == ipBoth ? PanStep(dy) : 0;
  const int col = ColAxis().LimitIndex(Col() + stepX);
  const int row = RowAxis().LimitIndex(Row() + stepY);
  if (col != Col() || row != Row()) TGridNavTarget(*this).FocusCell(col, row);
}

// ---- Wheel ----

void TCellGrid::wheelEvent(QWheelEvent* event) {
  HandleWheel(event);
  event->accept();
}

void TCellGrid::HandleWheel(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  const bool parentTook = OfferWheelToParent(event);
  TWheelSettings settings;
  settings.Lines = nav_->wheelLines;
  settings.EnableWheel = EnableWheel;
  settings.IntelliZoom = IntelliZoom;
  settings.Action = MouseActions.WheelAction;
  settings.Increment = MouseActions.WheelIncrement;
  TGridNavTarget target(*this);
  ApplyWheel(target, nav_->wheel, settings, delta, (event->modifiers() & Qt::ControlModifier) != 0,
             !nav_->panning && !parentTook);
}

bool TCellGrid::OfferWheelToParent(QWheelEvent* event) {
  for (QWidget* parent = parentWidget(); parent; parent = parent->parentWidget()) {
    QWheelEvent copy(parent->mapFromGlobal(event->globalPosition()), event->globalPosition(), event->pixelDelta(),
                     event->angleDelta(), event->buttons(), event->modifiers(), event->phase(), event->inverted(),
                     event->source());
    QCoreApplication::sendEvent(parent, &copy);
    if (copy.isAccepted()) return true;
    if (parent->isWindow()) break;
  }
  return false;
}

}  // namespace orlex::grid
