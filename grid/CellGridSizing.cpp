// Sizes and geometry of the grid: width and height lists, auto-sizing, the fit to the control's
// width, zoom, cell rectangles and scroll ranges.
#include <QScrollBar>
#include <algorithm>

#include "grid/CellGrid.h"
#include "grid/core/CellText.h"
#include "platform/AnsiText.h"

namespace orlex::grid {

// ---- Width and height lists ----

void TCellGrid::SetDefaultColWidth(int width) {
  colWidths_.ResetToDefault(width);
  WidthsChanged();
  RepaintGrid();
}

void TCellGrid::SetDefaultRowHeight(int height) {
  rowHeights_.ResetToDefault(height);
  HeightsChanged();
  RepaintGrid();
}

void TCellGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) throw TGridError(kGridIndexOutOfRange);
  if (!colWidths_.Set(col, width)) return;
  RepaintGrid();
  WidthsChanged();
}

void TCellGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= RowCount()) throw TGridError(kGridIndexOutOfRange);
  if (!rowHeights_.Set(row, height)) return;
  RepaintGrid();
  HeightsChanged();
}

void TCellGrid::SetFixedColWidth(int width) {
  if (loading_ || width == DefaultColWidth()) return;
  for (int c = 0; c < FixedCols(); ++c) SetColWidths(c, width);
}

void TCellGrid::SetFixedRowHeight(int height) {
  fixedRowHeight_ = height;
  if (loading_) return;
  if (height == DefaultRowHeight()) {
    SetDefaultRowHeight(DefaultRowHeight());
    return;
  }
  for (int r = 0; r < FixedRows(); ++r) SetRowHeights(r, height);
}

void TCellGrid::WidthsChanged() { UpdateScrollRanges(); }

void TCellGrid::HeightsChanged() { UpdateScrollRanges(); }

// ---- Measuring ----

const TCanvasFont& TCellGrid::SelectCellFont(const TFontDesc& font) {
  return canvas_.SelectFont(font.Name, font.Size + ZoomFactor, font.Style);
}

QString TCellGrid::DisplayText(const std::string& text, CellTextKind kind) const {
  switch (kind) {
    case ctkWide: {
      const std::u16string wide = DecodeWideCellText(text);
      return QString(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size()));
    }
    case ctkRTF:
      return orlex::AnsiToDisplay(RtfToPlainText(text));
    default:
      return orlex::AnsiToDisplay(text);
  }
}

TCellExtent TCellGrid::CellTextExtent(int col, int row, bool wrap) {
  const std::string& text = CellText(col, row);
  TGridDrawState state = 0;
  const TCellStyle style = ResolveCellStyle(*this, col, row, false, state);
  SelectCellFont(style.Font);
  const CellTextKind kind = ClassifyCellText(text, EnableHTML);
  const int h = CellTextMargin.Horizontal;
  const int v = CellTextMargin.Vertical;
  const QRect cell(0, 0, ColWidths(col), RowHeights(row));
  TCellExtent extent;

  if (kind == ctkHTML) {
    QRect rect = cell.adjusted(h, v, -h, -v);
    if (!wrap) rect.setRight(65535);
    rect.setBottom(65535);
    const QSize size = MeasureHtmlText(text, rect, style.Font, wrap);
    extent.Width = size.width() + 2 * h + 2;
    extent.Height = size.height() + 2 * v + 2;
    return extent;
  }
  const QString shown = DisplayText(text, kind);
  if (wrap) {
    QRect rect = cell.adjusted(h + 2, v + 2, -(h + 2), -(v + 2));
    const int left = rect.left();
    canvas_.DrawText(shown, rect, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    extent.Height = rect.height() + 2 * v;
    extent.Width = rect.x() + rect.width() - left + 2 * h;
    return extent;
  }
  // Without wrapping only the first line counts (every line with multi-line cells).
  int widest = 0;
  int lines = 0;
  qsizetype pos = 0;
  while (true) {
    qsizetype end = shown.indexOf(QChar(u'\r'), pos);
    const bool last = end < 0;
    if (last) end = shown.size();
    widest = std::max(widest, canvas_.TextWidth(shown.mid(pos, end - pos)));
    ++lines;
    if (last || !Multilinecells) break;
    pos = end + 1;
    if (pos < shown.size() && shown[pos] == QChar(u'\n')) ++pos;
  }
  extent.Width = widest + 2 * h;
  extent.Height = canvas_.TextHeight(QStringLiteral("gh")) * lines + 2 * v;
  return extent;
}

// ---- Auto-size, fit and zoom ----

void TCellGrid::AutoSizeRow(int row) {
  int tallest = 0;
  for (int c = 0; c < ColCount(); ++c) tallest = std::max(tallest, CellTextExtent(c, row, WordWrap).Height);
  SetRowHeights(row, AutoSizeRowHeight(tallest, GridLineWidth, CellTextMargin.Vertical, MinRowHeight, MaxRowHeight));
}

void TCellGrid::AutoSizeColumn(int col) {
  int widest = 0;
  for (int r = 0; r < RowCount(); ++r) widest = std::max(widest, CellTextExtent(col, r, false).Width);
  SetColWidths(col, AutoSizeColumnWidth(widest, GridLineWidth, CellTextMargin.Horizontal, MinColWidth, 0));
}

int TCellGrid::ScrollBarWidth() const { return verticalScrollBar()->sizeHint().width(); }

void TCellGrid::FitColumnsToWidth() {
  TFitAllowances allowances;
  const bool rowsOverflow = FullyVisibleRows() + FixedRows() < RowCount();
  if (ScrollBarAlways == saVert || (ScrollBars != ssNone && rowsOverflow)) allowances.scrollBar = ScrollBarWidth();
  allowances.border = FitBorderAllowance(singleBorder_, ctl3D_);
  allowances.lines = FitLineAllowance(ColCount(), FixedCols(), FixedRightCols, GridLineWidth,
                                      (Options & goVertLine) != 0, (Options & goFixedVertLine) != 0);
  std::vector<int> widths = colWidths_.All();
  FitColumnWidths(widths, width(), allowances);
  for (int c = 0; c < ColCount(); ++c) colWidths_.Set(c, widths[c]);
  RepaintGrid();
  WidthsChanged();
}

void TCellGrid::ZoomBy(int delta) {
  const int zoom = ZoomFactor + delta;
  if (zoom > 10 || zoom < -10) return;
  ZoomFactor = zoom;
  std::vector<int> widths = colWidths_.All();
  ZoomSizes(widths, delta);
  for (int c = 0; c < ColCount(); ++c) colWidths_.Set(c, widths[c]);
  std::vector<int> heights = rowHeights_.All();
  ZoomSizes(heights, delta);
  for (int r = 0; r < RowCount(); ++r) rowHeights_.Set(r, heights[r]);
  WidthsChanged();
  HeightsChanged();
  RepaintGrid();
}

// ---- Geometry ----
// Positions, visible ranges and scroll limits are TGridAxis's arithmetic over this grid's sizes and
// viewport; these are the widget's names for it.

int TCellGrid::FixedColsWidth() const { return ColAxis().FixedExtent(); }

int TCellGrid::FixedRowsHeight() const { return RowAxis().FixedExtent(); }

int TCellGrid::ColLeft(int col) const { return ColAxis().Start(LeftCol(), col); }

int TCellGrid::RowTop(int row) const { return RowAxis().Start(TopRow(), row); }

QRect TCellGrid::CellRect(int col, int row) const {
  const int x = ColLeft(col);
  const int y = RowTop(row);
  if (x < 0 || y < 0) return {};
  return QRect(x, y, ColWidths(col), RowHeights(row));
}

int TCellGrid::LastVisibleCol() const { return ColAxis().LastVisible(LeftCol()); }

int TCellGrid::LastVisibleRow() const { return RowAxis().LastVisible(TopRow()); }

int TCellGrid::FullyVisibleRows() const {
  // From the grid's own frame rather than the viewport: before the grid is first shown the viewport
  // keeps its initial size, and the owner's resize hook already asks for the fit then.
  TGridAxis rows = RowAxis();
  rows.Extent = contentsRect().height() - (horizontalScrollBar()->isVisibleTo(this) ? ScrollBarWidth() : 0);
  return rows.LastFullyVisible(TopRow()) - TopRow() + 1;
}

void TCellGrid::UpdateScrollRanges() {
  const int maxTop = RowAxis().MaxTopLeft();
  const int maxLeft = ColAxis().MaxTopLeft();

  if (TopRow() > maxTop || LeftCol() > maxLeft) {
    SetTopLeft(std::min(LeftCol(), maxLeft), std::min(TopRow(), maxTop));
    RepaintGrid();
  }
  setVerticalScrollBarPolicy(ScrollBarAlways & saVert ? Qt::ScrollBarAlwaysOn
                             : ScrollBars & ssVertical ? Qt::ScrollBarAsNeeded
                                                       : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(ScrollBarAlways & saHorz ? Qt::ScrollBarAlwaysOn
                               : ScrollBars & ssHorizontal ? Qt::ScrollBarAsNeeded
                                                           : Qt::ScrollBarAlwaysOff);
  SyncScrollBars();
}

}  // namespace orlex::grid
