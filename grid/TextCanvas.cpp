#include "grid/TextCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/ScreenUnits.h"

namespace orlex::grid {

namespace {

constexpr std::size_t kFontCacheLimit = 64;

std::u16string_view ViewOf(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

QString RawString(std::u16string_view view) {
  return QString::fromRawData(reinterpret_cast<const QChar*>(view.data()), static_cast<qsizetype>(view.size()));
}

QFont MakeFont(const std::string& name, int points, TFontStyles style) {
  QFont font(QString::fromStdString(name));
  font.setPixelSize(PointsToPixels(points));
  font.setBold((style & fsBold) != 0);
  font.setItalic((style & fsItalic) != 0);
  font.setUnderline((style & fsUnderline) != 0);
  font.setStrikeOut((style & fsStrikeOut) != 0);
  return font;
}

constexpr std::size_t kWidthCacheLimit = 4096;

TFixed64 ToFixed64(qreal value) { return static_cast<TFixed64>(std::lround(value * 64)); }

// What the full layout makes of text in font: the glyphs and positions the layout's own runs carry
// and the advance the font's metrics measure, both as drawing and measuring a whole text get them.
TShapedText ShapeInFull(const QFont& font, const QRawFont& own, std::u16string_view text) {
  TShapedText shaped;
  QTextLayout layout(RawString(text), font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) return shaped;
  shaped.ownFont = true;
  const qreal baseline = line.y() + line.ascent();
  for (const QGlyphRun& run : layout.glyphRuns()) {
    if (!(run.rawFont() == own)) shaped.ownFont = false;
    const QList<quint32> indexes = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    if (indexes.size() != positions.size()) shaped.ownFont = false;
    for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
      // Glyph 0 is the font's mark for a character it lacks.
      if (indexes[i] == 0 || positions[i].y() != baseline) shaped.ownFont = false;
      shaped.glyphs.push_back(indexes[i]);
      shaped.x.push_back(ToFixed64(positions[i].x()));
    }
  }
  shaped.advance = ToFixed64(QFontMetricsF(font).horizontalAdvance(RawString(text)));
  if (text.size() == 1 && shaped.glyphs.size() == 1) {
    // The pixels of the glyph's image as the font engine renders it.
    const QRectF box = own.boundingRect(shaped.glyphs[0]);
    shaped.ink = TInkBox{static_cast<int>(std::floor(box.left())), static_cast<int>(std::floor(box.top())),
                         static_cast<int>(std::ceil(box.right())), static_cast<int>(std::ceil(box.bottom()))};
  }
  return shaped;
}

// The font's plain glyph table, made on first use; null for a font it does not serve.
TPlainGlyphs* PlainGlyphsOf(TCanvasFont& font) {
  if (!font.plainTried) {
    font.plainTried = true;
    const QFont& f = font.font;
    if (!f.underline() && !f.strikeOut() && !f.overline() && f.letterSpacing() == 0 && f.wordSpacing() == 0 &&
        f.capitalization() == QFont::MixedCase) {
      font.rawFont = QRawFont::fromFont(f);
      if (font.rawFont.isValid()) {
        font.plain = std::make_unique<TPlainGlyphs>(
            [f, own = font.rawFont](std::u16string_view text) { return ShapeInFull(f, own, text); });
      }
    }
  }
  return font.plain.get();
}

// Width of a run: from the plain table when given one that places it (its advance, rounded as the
// metrics round it), else measured once and kept.
int MeasuredWidth(TCanvasFont& font, std::u16string_view run, TPlainGlyphs* plain, TPlacedText& scratch) {
  if (plain && plain->Place(run, scratch)) return RoundFixed64(scratch.advance);
  const auto found = font.widths.find(run);
  if (found != font.widths.end()) return found->second;
  if (font.widths.size() >= kWidthCacheLimit) font.widths.clear();
  const int width = font.metrics.horizontalAdvance(RawString(run));
  font.widths.emplace(run, width);
  return width;
}

// A line that certainly fits: a left-aligned single line of printable ASCII whose width, bounded from
// above by its characters' own advances plus a pixel each (rounding, kerning), is within the width.
// Such a line is drawn as it is, without shaping it once more to measure it. Its TTextLine carries
// that bound as its width; left alignment and the ellipsis test need no more. nullopt when unsure.
std::optional<TTextLine> LineThatFits(std::u16string_view text, int width, unsigned flags, const TCanvasFont& font) {
  if ((flags & (DT_CALCRECT | DT_CENTER | DT_RIGHT)) || text.empty()) return std::nullopt;
  // Half a pixel a character covers the shaped width's rounding and any kerning that widens a pair.
  qreal bound = 1;
  for (const char16_t c : text) {
    if (c < u' ' || c > u'~') return std::nullopt;
    bound += font.asciiAdvance[c - u' '] + 0.5;
    if (bound > width) return std::nullopt;
  }
  std::size_t length = text.size();
  if ((flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE)) {
    // Blanks at the end of a wrapped paragraph hang and are not drawn (unless there is nothing else).
    while (length > 0 && text[length - 1] == u' ') --length;
    if (length == 0) length = text.size();
  }
  return TTextLine{0, length, static_cast<int>(std::ceil(bound))};
}

}  // namespace

TCanvasFont::TCanvasFont(const QFont& f) : font(f), metrics(f) {
  layout.lineHeight = metrics.height();
  layout.averageWidth = metrics.averageCharWidth();
  ascent = metrics.ascent();
  const QFontMetricsF exact(f);
  for (std::size_t i = 0; i < asciiAdvance.size(); ++i) {
    const QChar c(static_cast<char16_t>(u' ' + i));
    asciiAdvance[i] = exact.horizontalAdvance(c);
    const QRectF ink = exact.boundingRect(c);
    if (!ink.isEmpty()) {
      asciiInkLeft = std::min(asciiInkLeft, ink.left());
      asciiInkRight = std::max(asciiInkRight, ink.right() - asciiAdvance[i]);
    }
  }
}

TTextCanvas::TTextCanvas() { SelectFont("Arial", 10, 0); }

TTextCanvas::~TTextCanvas() = default;

const TCanvasFont& TTextCanvas::SelectFont(const std::string& name, int points, TFontStyles style) {
  const int pixels = PointsToPixels(points);
  const int styles = style & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
  // A grid selects the same font for cell after cell: that needs no lookup.
  const auto& [currentName, currentPixels, currentStyles] = currentKey_;
  if (current_ && currentPixels == pixels && currentStyles == styles && currentName == name) return *current_;
  TFontKey key{name, pixels, styles};
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    if (fonts_.size() >= kFontCacheLimit) {
      // A grid uses a handful of fonts; a long zoom session must not grow the cache without bound.
      fonts_.clear();
    }
    it = fonts_.emplace(std::move(key), std::make_unique<TCanvasFont>(MakeFont(name, points, style))).first;
    it->second->id = ++fontsBuilt_;
  }
  current_ = it->second.get();
  currentKey_ = it->first;
  return *current_;
}

TPlainGlyphs* TTextCanvas::DrawingTable(TCanvasFont& font) const {
  if (!shortcuts_ || !painter_) return nullptr;
  // The table's positions and ink boxes hold for a painter that only moves by whole pixels; a
  // scaled or rotated painter, or one moved by a fraction, draws through the full layout.
  const QTransform transform = painter_->deviceTransform();
  if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx()) ||
      transform.dy() != std::floor(transform.dy())) {
    return nullptr;
  }
  return PlainGlyphsOf(font);
}

void TTextCanvas::DrawRun(TCanvasFont& font, QPoint origin, std::u16string_view run) {
  TPlainGlyphs* plain = DrawingTable(font);
  if (plain && plain->Place(run, placed_)) {
    DrawPlaced(font, origin, placed_);
  } else {
    painter_->drawText(origin, RawString(run));
  }
}

void TTextCanvas::DrawPlaced(const TCanvasFont& font, QPoint origin, const TPlacedText& placed) {
  // The glyphs the full layout would draw, at its positions, without shaping the run again.
  ++plainRunsDrawn_;
  if (placed.glyphs.empty()) return;
  if (glyphImages_ && glyphImageDrawer_.Draw(*painter_, font.id, font.rawFont, origin, placed, backgroundHint_)) {
    ++glyphImageRunsDrawn_;
    return;
  }
  positions_.resize(placed.glyphs.size());
  for (std::size_t i = 0; i < positions_.size(); ++i) positions_[i] = QPointF(placed.x[i] / 64.0, 0);
  glyphRun_.setRawFont(font.rawFont);
  glyphRun_.setRawData(placed.glyphs.data(), positions_.data(), static_cast<int>(positions_.size()));
  painter_->drawGlyphRun(QPointF(origin), glyphRun_);
}

void TTextCanvas::TDrawnInk::Add(int from, int to) {
  if (to <= from) return;
  const bool first = right <= left;
  left = first ? from : std::min(left, from);
  right = first ? to : std::max(right, to);
}

int TTextCanvas::TextWidth(const QString& text) const { return current_->metrics.horizontalAdvance(text); }

int TTextCanvas::TextHeight(const QString&) const { return current_->layout.lineHeight; }

int TTextCanvas::DrawText(const QString& text, QRect& rect, unsigned flags) {
  TCanvasFont& font = *current_;
  TPlainGlyphs* plain = shortcuts_ ? PlainGlyphsOf(font) : nullptr;
  const TMeasureText measure = [&font, plain, this](std::u16string_view run) {
    return MeasuredWidth(font, run, plain, measured_);
  };
  std::u16string_view view = ViewOf(text);
  if (!(flags & DT_NOPREFIX)) {
    prefixed_ = ApplyPrefixRule(view, flags);
    view = prefixed_;
  }
  const int tabStop = TabStopWidth(font.layout);
  const bool expandTabs = (flags & DT_EXPANDTABS) != 0;
  const int lineHeight = font.layout.lineHeight;
  // Drawing lays out only the lines that can show; measuring needs them all.
  const std::size_t lineLimit =
      (flags & DT_CALCRECT) ? static_cast<std::size_t>(-1) : DrawableLineLimit(lineHeight, rect.height(), flags);
  std::vector<TTextLine>& lines = lines_;
  if (const std::optional<TTextLine> line =
          painter_ && shortcuts_ ? LineThatFits(view, rect.width(), flags, font) : std::nullopt) {
    lines.assign(1, *line);
  } else {
    lines = BreakTextLines(view, rect.width(), flags, tabStop, measure, lineLimit);
  }

  if (flags & DT_CALCRECT) {
    if (text.isEmpty()) {
      // An empty text takes no room, so an empty row keeps the minimum height at any zoom.
      rect.setSize(QSize(0, 0));
      return 0;
    }
    int widest = 0;
    for (const TTextLine& line : lines) widest = std::max(widest, line.width);
    const int height = static_cast<int>(lines.size()) * lineHeight;
    rect.setWidth(widest);
    rect.setHeight(height);
    return height;
  }
  if (!painter_) return 0;

  const TLinePlacement placement = PlaceLines(lines.size(), lineHeight, rect.height(), flags);
  // Each visible line's text, where it starts, and its glyphs when the plain table places it.
  if (drawLines_.size() < placement.visibleCount) drawLines_.resize(placement.visibleCount);
  // Clipping to the rectangle costs the raster engine a new clip per text; a text whose every glyph
  // lies inside the rectangle is drawn without one, which changes no pixel.
  TPlainGlyphs* drawingTable = DrawingTable(font);
  bool inkInside = drawingTable != nullptr;
  bool allPlaced = drawingTable != nullptr;
  TDrawnInk placedInk;
  for (std::size_t i = 0; i < placement.visibleCount; ++i) {
    TDrawLine& line = drawLines_[i];
    line.text.assign(view.substr(lines[i].start, lines[i].length));
    int lineWidth = lines[i].width;
    const bool moreHidden = (i + 1 == placement.visibleCount) && placement.visibleCount < lines.size();
    if ((flags & DT_END_ELLIPSIS) && (lineWidth > rect.width() || moreHidden)) {
      line.text = ApplyEndEllipsis(line.text, rect.width(), expandTabs, tabStop, measure, moreHidden);
      lineWidth = MeasureLine(line.text, expandTabs, tabStop, measure);
    }
    line.origin = QPoint(rect.left() + AlignLine(lineWidth, rect.width(), flags),
                         rect.top() + placement.firstTop + static_cast<int>(i) * lineHeight + font.ascent);
    // A tab is never placed: lines with tabs are drawn run by run below.
    line.placed = drawingTable && drawingTable->Place(line.text, line.glyphs);
    const TInkBox& ink = line.glyphs.ink;
    allPlaced = allPlaced && line.placed;
    if (line.placed && !ink.Empty()) placedInk.Add(line.origin.x() + ink.left, line.origin.x() + ink.right);
    inkInside = inkInside && line.placed &&
                (ink.Empty() || (line.origin.x() + ink.left >= rect.left() && line.origin.y() + ink.top >= rect.top() &&
                                 line.origin.x() + ink.right <= rect.left() + rect.width() &&
                                 line.origin.y() + ink.bottom <= rect.top() + rect.height()));
  }

  // The painter's font and pen are left as the text needs them (every caller sets its own before
  // drawing); only a clip is undone. A painter without a clip of its own needs no saved state, which
  // a grid drawing a hundred cells a pass would otherwise copy and restore for each.
  const bool clip = !(flags & DT_NOCLIP) && !inkInside;
  const bool saveState = clip && painter_->hasClipping();
  const int rectRight = rect.left() + rect.width();
  if (allPlaced) {
    drawnInk_.Add(clip ? std::max(placedInk.left, rect.left()) : placedInk.left,
                  clip ? std::min(placedInk.right, rectRight) : placedInk.right);
  } else if (clip) {
    drawnInk_.Add(rect.left(), rectRight);
  } else {
    drawnInk_.known = false;
  }
  if (saveState) {
    painter_->save();
    painter_->setClipRect(rect, Qt::IntersectClip);
  } else if (clip) {
    painter_->setClipRect(rect, Qt::ReplaceClip);
  }
  // Setting a font resolves it for the device anew; the same font is not set twice.
  if (!(painter_->font() == font.font)) painter_->setFont(font.font);
  if (painter_->pen().color() != textColor_ || painter_->pen().style() != Qt::SolidLine ||
      painter_->pen().widthF() != 1.0) {
    painter_->setPen(textColor_);
  }
  for (std::size_t i = 0; i < placement.visibleCount; ++i) {
    const TDrawLine& line = drawLines_[i];
    if (line.placed) {
      DrawPlaced(font, line.origin, line.glyphs);
      continue;
    }
    const std::u16string_view lineText(line.text);
    if (!expandTabs) {
      DrawRun(font, line.origin, lineText);
      continue;
    }
    // Each run between tabs starts at its tab stop.
    int x = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t tab = lineText.find(u'\t', start);
      const std::u16string_view run =
          lineText.substr(start, tab == std::u16string_view::npos ? lineText.size() - start : tab - start);
      if (!run.empty()) DrawRun(font, QPoint(line.origin.x() + x, line.origin.y()), run);
      if (tab == std::u16string_view::npos) break;
      if (!run.empty()) x += measure(run);
      x = (x / tabStop + 1) * tabStop;
      start = tab + 1;
    }
  }
  if (saveState) {
    painter_->restore();
  } else if (clip) {
    painter_->setClipping(false);
  }
  return static_cast<int>(placement.visibleCount) * lineHeight;
}

}  // namespace orlex::grid
