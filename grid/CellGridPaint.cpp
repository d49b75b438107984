// The grid's paint pass and cell painting: background, lines inside each cell, text and focus frame.
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "grid/CellGrid.h"

namespace orlex::grid {

namespace {

// Text layout flags of the cell alignments.
unsigned HorizontalFlag(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return DT_RIGHT;
    case taCenter:
      return DT_CENTER;
    default:
      return DT_LEFT;
  }
}

unsigned VerticalFlag(TVAlignment alignment) {
  switch (alignment) {
    case vtaCenter:
      return DT_VCENTER;
    case vtaBottom:
      return DT_BOTTOM;
    default:
      return DT_TOP;
  }
}

QColor Blend(const QColor& from, const QColor& to, int step, int steps) {
  auto mix = [&](int a, int b) { return a + (b - a) * step / std::max(1, steps - 1); };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

}  // namespace

bool TCellGrid::GridHasFocus() const { return pass_.active ? pass_.hasFocus : hasFocus(); }

TGridDrawState TCellGrid::PassDrawState(int col, int row, bool fixedArea) const {
  TGridDrawState state = 0;
  if (fixedArea) state |= gdFixed;
  if (GridHasFocus() && col == Col() && row == Row()) state |= gdFocused;
  if (Selection().Contains(col, row)) state |= gdSelected;
  return state;
}

void TCellGrid::paintEvent(QPaintEvent* event) {
  if (updateLock_ > 0) return;

  QPainter painter(viewport());
  canvas_.SetPainter(&painter);
  pass_.hasFocus = hasFocus();
  pass_.palette = palette();
  pass_.active = true;
  // Ended on every way out, a picture error's exception included.
  const std::unique_ptr<TPassState, void (*)(TPassState*)> passEnd(&pass_, [](TPassState* pass) { pass->active = false; });
  keepDrawnTexts_ = PaintsTheScreen(painter);
  cellsInPass_ = 0;
  const QRegion& region = event->region();
  // Under a clip of many rectangles (the changed cells after a packet) every fill and image is cut
  // scanline by scanline against all of them; clipped to the one cell (with the region), they are
  // filled and copied whole. The pixels are the same either way.
  pass_.cellClips = region.rectCount() > 1;
  const int lastCol = LastVisibleCol();
  const int lastRow = LastVisibleRow();
  // Fixed rows by fixed columns, fixed rows by scrolled columns, scrolled rows by fixed columns,
  // scrolled rows by scrolled columns.
  PaintArea(painter, region, 0, FixedCols() - 1, 0, FixedRows() - 1, true);
  PaintArea(painter, region, LeftCol(), lastCol, 0, FixedRows() - 1, true);
  PaintArea(painter, region, 0, FixedCols() - 1, TopRow(), lastRow, true);
  PaintArea(painter, region, LeftCol(), lastCol, TopRow(), lastRow, false);

  // Right of the last column and below the last row.
  const QRect area = viewport()->rect();
  const int gridRight = std::max(0, ColLeft(lastCol) + ColWidths(lastCol));
  const int gridBottom = std::max(0, RowTop(lastRow) + RowHeights(lastRow));
  // Filled only where the region reaches: a paint of a few cells leaves these areas alone.
  const QColor fill = QtColor(Color);
  const QRect right(gridRight, 0, area.width() - gridRight, area.height());
  const QRect bottom(0, gridBottom, gridRight, area.height() - gridBottom);
  if (gridRight < area.width() && region.intersects(right)) painter.fillRect(right, fill);
  if (gridBottom < area.height() && region.intersects(bottom)) painter.fillRect(bottom, fill);

  if (sizingCol_ >= 0) DrawSizingLine(painter, sizingLineX_);
  canvas_.SetPainter(nullptr);
  ++paintPassNumber_;
  cellsInLastPass_ = cellsInPass_;
  if (!htmlPictureError_.empty()) {
    // A resource picture that cannot be loaded is reported once, after the whole pass is painted:
    // raised from its own queued call, so it reaches the application's error handler without
    // unwinding through the paint machinery.
    QMetaObject::invokeMethod(
        this, [error = std::exchange(htmlPictureError_, std::string())] { throw orlex::grid::EHTMLPictureError(error); },
        Qt::QueuedConnection);
  }
}

void TCellGrid::PaintArea(QPainter& painter, const QRegion& region, int col0, int col1, int row0, int row1,
                          bool fixedArea) {
  if (col0 > col1 || row0 > row1) return;
  // Inside one area cells lie edge to edge: each next position is the last one plus its size.
  const int left = ColLeft(col0);
  int top = RowTop(row0);
  if (left < 0 || top < 0) return;
  const QRect bounds = region.boundingRect();
  for (int r = row0; r <= row1; ++r) {
    const int height = RowHeights(r);
    const int rowTop = top;
    top += height;
    if (height <= 0 || rowTop > bounds.bottom() || rowTop + height <= bounds.top()) continue;
    int x = left;
    for (int c = col0; c <= col1; ++c) {
      const QRect rect(x, rowTop, ColWidths(c), height);
      x += rect.width();
      if (rect.isEmpty() || !region.intersects(rect)) continue;
      canvas_.ResetDrawnInk();
      if (pass_.cellClips) painter.setClipRect(rect, Qt::ReplaceClip);
      DrawCellIn(painter, c, r, rect, PassDrawState(c, r, fixedArea));
      if (pass_.cellClips) painter.setClipping(false);
      if (keepDrawnTexts_) KeepDrawnText(c, r, rect, region);
      ++cellsInPass_;
    }
  }
}

void TCellGrid::DrawCell(QPainter& painter, int ACol, int ARow, QRect ARect, TGridDrawState AState) {
  // The full rectangle, also for a cell that is only partly visible.
  const QRect full = CellRect(ACol, ARow);
  DrawCellIn(painter, ACol, ARow, full.isEmpty() ? ARect : full, AState);
}

void TCellGrid::DrawCellIn(QPainter& painter, int ACol, int ARow, const QRect& rect, TGridDrawState AState) {
  TGridDrawState state = AState;
  if (CellCountsAsFixed(*this, ACol, ARow)) {
    state |= gdFixed;
    state &= static_cast<TGridDrawState>(~gdSelected);
  }

  // A scrolled cell that reaches under the fixed cells is clipped to the scrolled area. The fixed
  // cells' extent is summed only for a cell that could reach under them.
  const bool clipCols = ACol >= FixedCols() && FixedCols() > 0 && rect.left() < FixedColsWidth();
  const bool clipRows = ARow >= FixedRows() && FixedRows() > 0 && rect.top() < FixedRowsHeight();
  if (clipCols || clipRows) {
    const int fixedWidth = FixedColsWidth();
    const int fixedHeight = FixedRowsHeight();
    painter.save();
    const int left = ACol < FixedCols() ? 0 : fixedWidth;
    const int top = ARow < FixedRows() ? 0 : fixedHeight;
    painter.setClipRect(QRect(left, top, width() - left, height() - top), Qt::IntersectClip);
  }

  // The look without the selection serves the content too: resolving it again there would give the
  // same, unless a colour hook answers from the state the first resolving added to.
  bool fixedLook = false;
  const TCellStyle unselected = ResolveUnselectedCellStyle(*this, ACol, ARow, FindCellProperties(ACol, ARow), state, fixedLook);
  TCellStyle style = unselected;
  ApplySelectionLook(*this, ACol, ARow, fixedLook, style, state);
  TColor brush = style.BrushColor;
  if (ActiveRowShow && ARow == Row() && (ACol != Col() || !ShowSelection)) brush = ActiveRowColor;
  const QColor brushColor = QtColor(brush);

  // Background.
  if (style.GradientTo == clNone) {
    painter.fillRect(rect, brushColor);
  } else {
    constexpr int kBands = 64;
    const bool horizontalBands = style.GradientDirection == 1;
    const int length = horizontalBands ? rect.height() : rect.width();
    auto band = [&](int from, int to, const QColor& c0, const QColor& c1, int offset) {
      const int span = to - from;
      for (int i = 0; i < kBands; ++i) {
        const int a = from + span * i / kBands;
        const int b = from + span * (i + 1) / kBands;
        if (b <= a) continue;
        const QColor c = Blend(c0, c1, i, kBands);
        if (horizontalBands) {
          painter.fillRect(QRect(rect.left(), rect.top() + offset + a - from, rect.width(), b - a), c);
        } else {
          painter.fillRect(QRect(rect.left() + offset + a - from, rect.top(), b - a, rect.height()), c);
        }
      }
    };
    if (style.MirrorColor == clNone) {
      band(0, length, brushColor, QtColor(style.GradientTo), 0);
    } else {
      const int half = length / 2;
      band(0, half, brushColor, QtColor(style.GradientTo), 0);
      band(half, length, QtColor(style.MirrorColor), QtColor(style.MirrorTo == clNone ? style.MirrorColor
                                                                                     : style.MirrorTo),
           0);
    }
  }

  // Lines inside the cell: its last pixel row and column (wider lines grow inwards).
  const bool fixed = (state & gdFixed) != 0;
  int lineWidth = 0;
  TColor lineColor = clNone;
  if (fixed) {
    lineWidth = 1;
    lineColor = GridFixedLineColor;
  } else if (GridLineWidth > 0) {
    lineWidth = GridLineWidth;
    lineColor = GridLineColor;
  }
  if (lineWidth > 0) {
    const QColor pen = QtColor(lineColor);
    const int right = rect.x() + rect.width();
    const int bottom = rect.y() + rect.height();
    if ((!fixed && (Options & goHorzLine)) || (fixed && (Options & goFixedHorzLine))) {
      painter.fillRect(QRect(rect.x(), bottom - lineWidth, rect.width(), lineWidth), pen);
    }
    if ((!fixed && (Options & goVertLine)) || (fixed && (Options & goFixedVertLine))) {
      painter.fillRect(QRect(right - lineWidth, rect.y(), lineWidth, rect.height()), pen);
    }
  }

  const int inset = fixed ? 1 : GridLineWidth;
  PaintCellContentIn(painter, ACol, ARow, state, rect.adjusted(inset, inset, -inset, -inset),
                     OnGetCellColor ? nullptr : &unselected);
  if (clipCols || clipRows) painter.restore();
}

void TCellGrid::PaintCellContent(QPainter& painter, int ACol, int ARow, TGridDrawState AState, QRect ARect) {
  PaintCellContentIn(painter, ACol, ARow, AState, ARect, nullptr);
}

void TCellGrid::PaintCellContentIn(QPainter& painter, int ACol, int ARow, TGridDrawState AState, QRect ARect,
                                   const TCellStyle* unselected) {
  // The unselected look of the cell; the state keeps what the pass and DrawCell gave it.
  std::optional<TCellStyle> resolved;
  if (!unselected) {
    TGridDrawState scratch = AState;
    resolved = ResolveCellStyle(*this, ACol, ARow, false, scratch);
  }
  const TCellStyle& style = unselected ? *unselected : *resolved;
  TColor brush = style.BrushColor;
  if ((AState & gdSelected) && !(AState & gdFocused) && SelectionColor == clNone) brush = clHighlight;
  SelectCellFont(style.Font);

  PaintCellText(painter, ACol, ARow, AState, ARect, style, brush, style.Font.Color);

  // The dotted focus frame: along the cell's left and top edges, just inside its right and bottom lines.
  if (!HideFocusRect && ACol == Col() && ARow == Row() && GridHasFocus() && !(Options & goRowSelect)) {
    const int grow = GridLineWidth - 1;
    QRect frame = ARect.adjusted(-1 - grow, -1 - grow, 1 + grow, 1 + grow);
    frame.adjust(0, 0, -1, -1);
    DrawFocusFrame(painter, frame);
  }
}

void TCellGrid::DrawFocusFrame(QPainter& painter, const QRect& rect) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  // Every other pixel of the frame inverted, as the platform's focus rectangle is.
  QList<QPoint> points;
  const int left = rect.x();
  const int top = rect.y();
  const int right = rect.x() + rect.width() - 1;
  const int bottom = rect.y() + rect.height() - 1;
  auto add = [&](int x, int y) {
    if (((x + y) & 1) == 0) points.append(QPoint(x, y));
  };
  for (int x = left; x <= right; ++x) {
    add(x, top);
    if (bottom != top) add(x, bottom);
  }
  for (int y = top + 1; y < bottom; ++y) {
    add(left, y);
    if (right != left) add(right, y);
  }
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawPoints(points.constData(), static_cast<int>(points.size()));
  painter.restore();
}

void TCellGrid::PaintCellText(QPainter& painter, int ACol, int ARow, TGridDrawState AState, QRect ARect,
                              const TCellStyle& style, TColor brush, TColor fontColor) {
  const bool fixed = (AState & gdFixed) != 0;
  TColor linkColor = URLColor;
  if ((AState & gdSelected) && (!(AState & gdFocused) || (Options & goDrawFocusSelected)) && !fixed &&
      ShowSelection) {
    if (SelectionColor != clNone) brush = SelectionColor;
    if (SelectionTextColor != clNone) fontColor = SelectionTextColor;
    linkColor = SelectionTextColor;
  }

  const std::string& text = CellText(ACol, ARow);
  if (text.empty()) return;
  // A formula's text is the stored text itself; it is drawn as plain text, "=" included.
  const CellTextKind kind = ClassifyCellText(text, EnableHTML);

  QRect rect = ARect.adjusted(CellTextMargin.Horizontal, CellTextMargin.Vertical, -CellTextMargin.Horizontal, 0);
  const unsigned horizontal = HorizontalFlag(style.Alignment);
  const unsigned vertical = VerticalFlag(style.VAlignment);
  // The background under the text, as DrawCell filled it.
  const TColor background = ActiveRowShow && ARow == Row() && (ACol != Col() || !ShowSelection) ? ActiveRowColor : brush;
  canvas_.SetTextColor(QtTextColor(fontColor, background));
  // The cell's fill under the text, unless a gradient fills it.
  canvas_.SetBackgroundHint(style.GradientTo == clNone ? std::optional<QColor>(QtColor(background)) : std::nullopt);

  switch (kind) {
    case ctkHTML:
      // HTML lines start 1 pixel inside their rectangle, so both kinds start at the same x.
      rect.setLeft(rect.left() - 1);
      // The markup's own colours are drawn as written; the cell's theme text colour is handed over
      // already made readable on what lies under it, as plain text gets it.
      if (fontColor != clNone) {
        const QColor readable = QtTextColor(fontColor, background);
        fontColor = RGBColor(static_cast<std::uint8_t>(readable.red()), static_cast<std::uint8_t>(readable.green()),
                             static_cast<std::uint8_t>(readable.blue()));
      }
      PaintHtmlText(ACol, ARow, text, rect, style, brush, fontColor, linkColor);
      return;
    case ctkRTF: {
      if (!((AState & gdSelected) && !(AState & gdFocused) && SelectionColor == clNone)) {
        painter.fillRect(rect, QtColor(brush));
      }
      const bool selected =
          (AState & gdSelected) && (!(AState & gdFocused) || (Options & goDrawFocusSelected)) && !fixed;
      canvas_.SetTextColor(
          QtTextColor(selected && SelectionTextColor != clNone ? SelectionTextColor : style.Font.Color, background));
      canvas_.DrawText(DisplayText(text, kind), rect, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
      return;
    }
    case ctkWide: {
      const unsigned wrap = (style.WordWrap || Multilinecells) ? DT_WORDBREAK : DT_SINGLELINE;
      canvas_.DrawText(DisplayText(text, kind), rect, horizontal | vertical | DT_END_ELLIPSIS | DT_NOPREFIX | wrap);
      return;
    }
    default:
      break;
  }

  // Plain and formula texts, drawn literally.
  QString shown = DisplayText(text, kind);
  unsigned flags = DT_EDITCONTROL;
  if (!style.WordWrap && !Multilinecells) {
    const qsizetype cr = shown.indexOf(QChar(u'\r'));
    if (cr >= 0) shown.truncate(cr);
    flags = DT_SINGLELINE;
    if (EnhTextSize) flags |= DT_END_ELLIPSIS;
  }
  if (style.WordWrap && !Multilinecells && EnhTextSize) flags |= DT_END_ELLIPSIS;
  flags |= DT_EXPANDTABS | DT_NOPREFIX | horizontal | vertical;
  if (style.WordWrap) flags |= DT_WORDBREAK;
  canvas_.DrawText(shown, rect, flags);
}

}  // namespace orlex::grid
