#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include "grid/CellGrid.h"

namespace orlex::grid {

// What the grid's viewport shows, as an image of plain RGB pixels.
inline QImage RenderGrid(TCellGrid& grid) {
  return grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

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
