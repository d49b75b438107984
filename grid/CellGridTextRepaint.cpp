// Narrowed repaints of cells whose text alone changed. A value of a few characters covers a fraction
// of its cell, yet repainting the whole cell for each new value writes and sends every pixel of it.
// So each pass on the screen keeps, per cell, where its text's pixels may lie; a text change repaints
// those columns of pixels and the ones the new text can reach, over the cell's full height. The paint
// itself is unchanged: it draws whole cells clipped to the region, so every pixel inside the region is
// what a full repaint gives, and outside it only background, lines and frames, which the text never
// changed.
#include <QBackingStore>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <tuple>

#include "grid/CellGrid.h"
#include "grid/CellGridAccessible.h"

namespace orlex::grid {

namespace {

// Whether every pixel of rect lies inside region; one of the region's rectangles holds it in the
// common case.
bool Covers(const QRegion& region, const QRect& rect) {
  if (rect.isEmpty()) return true;
  for (const QRect& part : region) {
    if (part.contains(rect)) return true;
  }
  return region.intersects(rect) && QRegion(rect).subtracted(region).isEmpty();
}

}  // namespace

void TCellGrid::RepaintCellText(int col, int row) {
  // The same work as RepaintCell: whether the change can be narrowed is found at the flush.
  if (!isVisible() || col < 0 || row < 0) return;
  dirtyCells_.AddText(col, row);
  if (orlex::grid::AccessibilityListening()) accessibleDirty_.Add(col, row);
  ScheduleFlush();
}

void TCellGrid::SetNarrowTextRepaints(bool enabled) {
  // Nothing is kept while off, so what was kept before is out of date.
  narrowTextRepaints_ = enabled;
  drawnTexts_.clear();
}

TCellGrid::TDrawnText& TCellGrid::DrawnTextPlace(int col, int row) {
  if (drawnTexts_.empty()) drawnTexts_.resize(std::size_t(kDrawnTextSide) * kDrawnTextSide);
  const int place = (row % kDrawnTextSide) * kDrawnTextSide + col % kDrawnTextSide;
  return drawnTexts_[static_cast<std::size_t>(place)];
}

bool TCellGrid::PaintsTheScreen(QPainter& painter) {
  if (!narrowTextRepaints_) return false;
  // A widget paints into its window's backing store; render and grab redirect it elsewhere.
  QBackingStore* store = viewport()->backingStore();
  const QPaintEngine* engine = painter.paintEngine();
  return store != nullptr && engine != nullptr && engine->paintDevice() == store->paintDevice();
}

void TCellGrid::KeepDrawnText(int col, int row, const QRect& cell, const QRegion& region) {
  const int cellRight = cell.left() + cell.width();
  // What the text drawn now may cover. An HTML text is drawn past the canvas's text calls.
  int left = cell.left();
  int right = cellRight;
  const TTextCanvas::TDrawnInk& ink = canvas_.DrawnInk();
  if (ink.known && ClassifyCellText(CellText(col, row), EnableHTML) != ctkHTML) {
    // A pixel more each way, should the rasteriser's filtering reach past the glyphs' boxes.
    left = ink.right > ink.left ? std::max(ink.left - 1, cell.left()) : 0;
    right = ink.right > ink.left ? std::min(ink.right + 1, cellRight) : 0;
  }
  TDrawnText& kept = DrawnTextPlace(col, row);
  if (kept.col != col || kept.row != row || kept.cell != cell) kept = TDrawnText{col, row, cell, cell.left(), cellRight};
  // Pixels of the earlier text outside the region are still there: unless the region reached all of
  // them, the span can only grow.
  const QRect earlier = QRect(kept.left, cell.top(), kept.right - kept.left, cell.height()).intersected(viewport()->rect());
  if (Covers(region, earlier)) {
    kept.left = left;
    kept.right = right;
  } else if (left < right) {
    kept.left = std::min(kept.left, left);
    kept.right = std::max(kept.right, right);
  }
}

QRect TCellGrid::TextRepaintRect(int col, int row) {
  const QRect cell = CellRect(col, row);
  // A colour or fixed-cell hook may answer from the text: then more than the text changed.
  if (cell.isEmpty() || !narrowTextRepaints_ || OnGetCellColor || OnIsFixedCell) return cell;
  const TDrawnText& kept = DrawnTextPlace(col, row);
  if (kept.col != col || kept.row != row || kept.cell != cell) return cell;
  const std::optional<std::pair<int, int>> next = TextSpanBound(col, row, cell);
  if (!next) return cell;
  int left = kept.left;
  int right = kept.right;
  if (right <= left) {
    std::tie(left, right) = *next;
  } else if (next->first < next->second) {
    left = std::min(left, next->first);
    right = std::max(right, next->second);
  }
  left = std::max(left, cell.left());
  right = std::min(right, cell.left() + cell.width());
  return right > left ? QRect(left, cell.top(), right - left, cell.height()) : QRect();
}

std::optional<std::pair<int, int>> TCellGrid::TextSpanBound(int col, int row, const QRect& cell) {
  const std::string& text = CellText(col, row);
  if (text.empty()) return std::pair{0, 0};
  for (const char c : text) {
    if (c < ' ' || c > '~') return std::nullopt;
  }
  const CellTextKind kind = ClassifyCellText(text, EnableHTML);
  if (kind != ctkPlain && kind != ctkFormula) return std::nullopt;

  // The text rectangle and font as DrawCell and PaintCellText find them.
  TGridDrawState state = 0;
  const TCellStyle style = ResolveCellStyle(*this, col, row, false, state);
  const int inset = CellCountsAsFixed(*this, col, row) ? 1 : GridLineWidth;
  const QRect rect = cell.adjusted(inset + CellTextMargin.Horizontal, inset + CellTextMargin.Vertical,
                                   -inset - CellTextMargin.Horizontal, -inset);
  const TCanvasFont& font = SelectCellFont(style.Font);

  // The line's width from above: each character's advance and a pixel for rounding and any kerning
  // that widens a pair (the canvas's own bound allows half that), and one more.
  qreal bound = 1;
  for (const char c : text) bound += font.asciiAdvance[static_cast<unsigned char>(c) - ' '] + 1;
  const int width = static_cast<int>(std::ceil(bound));
  // A text that may not fit can wrap, be cut by an ellipsis or be clipped: the whole cell.
  if (width > rect.width()) return std::nullopt;
  // Where the line's advance may start and end: the canvas places a line of width w at
  // AlignLine(w, rect.width()), and w is at most the bound.
  const int rectRight = rect.left() + rect.width();
  int start = rect.left();
  int end = rect.left() + width;
  if (style.Alignment == taRightJustify) {
    start = rectRight - width;
    end = rectRight;
  } else if (style.Alignment == taCenter) {
    start = rect.left() + (rect.width() - width) / 2;
    end = rect.left() + (rect.width() + width + 1) / 2;
  }
  // Glyph ink beyond the advances, and a pixel each way for antialiasing and hinting; a glyph at a
  // fractional position may reach one more to the right.
  start += static_cast<int>(std::floor(font.asciiInkLeft)) - 1;
  end += static_cast<int>(std::ceil(font.asciiInkRight)) + 2;
  // A text is clipped to its rectangle (or drawn inside it).
  return std::pair{std::max(start, rect.left()), std::min(end, rectRight)};
}

}  // namespace orlex::grid
