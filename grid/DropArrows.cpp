#include "grid/DropArrows.h"

#include <QPainter>
#include <QRegion>

#include "grid/GridColorQt.h"

namespace orlex::grid {

QPolygon TArrowWindow::ArrowPolygon(TArrowDirection direction) {
  switch (direction) {
    case adUp: return QPolygon({{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}});
    case adDown: return QPolygon({{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}});
    case adRight: return QPolygon({{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}});
    case adLeft: return QPolygon({{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}});
  }
  return {};
}

TArrowWindow::TArrowWindow(QWidget* grid, TArrowDirection direction)
    : QWidget(grid, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                        Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput),
      direction_(direction) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  const QPolygon shape = ArrowPolygon(direction);
  setFixedSize(shape.boundingRect().right() + 1, shape.boundingRect().bottom() + 1);
  setMask(QRegion(shape, Qt::WindingFill));
  hide();
}

void TArrowWindow::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  update();
}

void TArrowWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ColorToQColor(color_, palette()));
}

TArrowWindows::TArrowWindows(QWidget* grid) {
  for (int d = adUp; d <= adLeft; ++d)
    windows_[d] = std::make_unique<TArrowWindow>(grid, static_cast<TArrowDirection>(d));
}

// The windows are children of the grid; deleting them here also takes them off its child list.
TArrowWindows::~TArrowWindows() = default;

void TArrowWindows::SetArrowColor(TColor color) {
  for (auto& w : windows_) w->SetColor(color);
}

void TArrowWindows::HideAll() {
  for (auto& w : windows_) w->hide();
}

}  // namespace orlex::grid
