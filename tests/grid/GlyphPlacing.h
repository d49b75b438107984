// A text's glyphs placed one after another by their rounded advances, from a fraction of a pixel (in
// 1/64), with an ink box generous enough for any glyph of the font: what the grid's canvas hands the
// glyph images, for tests and benchmarks that build texts without the canvas.
#pragma once

#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <cmath>

#include "grid/GlyphImages.h"

namespace orlex::grid {

inline TPlacedText PlaceGlyphs(const QRawFont& font, const QString& text, int fraction = 0) {
  TPlacedText placed;
  const QList<quint32> glyphs = font.glyphIndexesForString(text);
  const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
  TFixed64 x = fraction;
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    placed.glyphs.push_back(glyphs[i]);
    placed.x.push_back(x);
    x += static_cast<TFixed64>(std::lround(advances[i].x() * 64));
  }
  placed.advance = x;
  placed.ink = TInkBox{-3, -static_cast<int>(std::ceil(font.ascent())) - 2, x / 64 + 4,
                       static_cast<int>(std::ceil(font.descent())) + 2};
  return placed;
}

}  // namespace orlex::grid
