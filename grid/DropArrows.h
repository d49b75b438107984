#pragma once

#include <QPolygon>
#include <QWidget>
#include <array>
#include <memory>

#include "grid/core/GridColor.h"

namespace orlex::grid {

enum TArrowDirection : int { adUp = 0, adDown = 1, adRight = 2, adLeft = 3 };

// One drop-indicator arrow: a small frameless top-level window owned by the grid, created hidden,
// shaped by its 7-point polygon and filled in its colour, so what shows is a solid arrow. It takes
// neither focus nor input, so a drag that passes over it still reaches the grid below.
class TArrowWindow : public QWidget {
  Q_OBJECT

 public:
  TArrowWindow(QWidget* grid, TArrowDirection direction);

  TArrowDirection Direction() const { return direction_; }
  TColor Color() const { return color_; }
  void SetColor(TColor color);  // repaints when visible

  // The arrow's outline in window coordinates.
  static QPolygon ArrowPolygon(TArrowDirection direction);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TArrowDirection direction_;
  TColor color_ = clLime;
};

// The grid's four arrow windows, one per direction (index = TArrowDirection); the grid holds one
// as a member and forwards SetArrowColor to it.
class TArrowWindows {
 public:
  explicit TArrowWindows(QWidget* grid);
  ~TArrowWindows();
  TArrowWindows(const TArrowWindows&) = delete;
  TArrowWindows& operator=(const TArrowWindows&) = delete;

  TArrowWindow* Window(TArrowDirection direction) const { return windows_[direction].get(); }
  TColor ArrowColor() const { return windows_[0]->Color(); }
  void SetArrowColor(TColor color);
  void HideAll();

 private:
  std::array<std::unique_ptr<TArrowWindow>, 4> windows_;
};

}  // namespace orlex::grid
