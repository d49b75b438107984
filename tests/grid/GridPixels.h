#pragma once

#include <QBackingStore>
#include <QColor>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QRect>
#include <QWidget>
#include <utility>

#include "grid/CellGrid.h"

namespace orlex::grid {

// What the grid's viewport shows, as an image of plain RGB pixels.
inline QImage RenderGrid(TCellGrid& grid) {
  return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// What the screen shows of the grid's viewport: its part of the window's backing store, which a
// paint pass changes only inside its region (a grab, by contrast, paints everything anew). Empty
// when the backing store is not an image.
inline QImage ShownGrid(TCellGrid& grid) {
  QWidget* viewport = grid.viewport();
  QBackingStore* store = viewport->backingStore();
  QPaintDevice* device = store ? store->paintDevice() : nullptr;
  if (!device || device->devType() != QInternal::Image) return QImage();
  const QPoint at = viewport->mapTo(viewport->window(), QPoint(0, 0));
  return static_cast<QImage*>(device)->copy(QRect(at, viewport->size())).convertToFormat(QImage::Format_RGB32);
}

// Pixels in the regions of a widget's paint events, summed until taken.
class TPaintedPixels : public QObject {
 public:
  explicit TPaintedPixels(QWidget* widget) { widget->installEventFilter(this); }
  long long Take() { return std::exchange(pixels_, 0); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) pixels_ += 1LL * rect.width() * rect.height();
    }
    return false;
  }

 private:
  long long pixels_ = 0;
};

inline QRgb Rgb(const QColor& color) { return color.rgb() | 0xFF000000u; }

// Bounding box of the pixels inside area that differ from background (empty when there are none).
inline QRect InkBox(const QImage& image, const QRect& area, QRgb background) {
  QRect box;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if ((image.pixel(x, y) | 0xFF000000u) != background) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// Whether any pixel inside area has exactly the given colour.
inline bool HasPixel(const QImage& image, const QRect& area, QRgb color) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if ((image.pixel(x, y) | 0xFF000000u) == color) return true;
    }
  }
  return false;
}

}  // namespace orlex::grid
