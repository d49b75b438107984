// HTML cell texts in the grid: painting, measuring for auto-size, and finding inline controls.
#include <QMouseEvent>
#include <QPainter>

#include "grid/CellGrid.h"
#include "grid/HtmlCanvasQt.h"
#include "grid/html/HtmlLayout.h"

namespace orlex::grid {

namespace {

THtmlRect ToHtmlRect(const QRect& rect) {
  return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

}  // namespace

void TCellGrid::PaintHtmlText(int col, int row, const std::string& text, QRect rect, const TCellStyle& style, TColor brush,
                              TColor fontColor, TColor linkColor) {
  THtmlQtCanvas canvas(canvas_, canvas_.Painter(), htmlPictures_, PictureContainer, viewport(),
                       [this](TColor color) { return QtColor(color); }, brush);
  THtmlParams params;
  params.Font = {style.Font.Name, style.Font.Size + ZoomFactor, style.Font.Style, fontColor, 0};
  params.BrushColor = brush;
  params.Rect = ToHtmlRect(rect);
  params.HitX = params.Rect.Left;
  params.HitY = params.Rect.Top;
  params.WordWrap = !EnhTextSize;
  params.LinkColor = linkColor;
  params.MouseDown = htmlControlDown_ == std::make_pair(col, row);
  DrawHTMLText(canvas, text, params);
  if (htmlPictureError_.empty()) htmlPictureError_ = canvas.PictureError();
}

QSize TCellGrid::MeasureHtmlText(const std::string& text, const QRect& rect, const TFontDesc& font, bool wrap) {
  THtmlQtCanvas canvas(canvas_, nullptr, htmlPictures_, PictureContainer, viewport(),
                       [this](TColor color) { return QtColor(color); }, Color);
  THtmlParams params;
  params.Font = {font.Name, font.Size + ZoomFactor, font.Style, font.Color, 0};
  params.Rect = ToHtmlRect(rect);
  params.MeasureOnly = true;
  params.WordWrap = wrap;
  const THtmlResult result = DrawHTMLText(canvas, text, params);
  // A resource picture error met while measuring is raised with the next paint pass.
  if (htmlPictureError_.empty()) htmlPictureError_ = canvas.PictureError();
  return QSize(result.Width, result.Height);
}

bool TCellGrid::HtmlControlAt(int col, int row, const QPoint& point) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return false;
  const std::string& text = CellText(col, row);
  if (ClassifyCellText(text, EnableHTML) != ctkHTML) return false;
  const QRect cell = CellRect(col, row);
  if (cell.isEmpty()) return false;
  TGridDrawState state = 0;
  const TCellStyle style = ResolveCellStyle(*this, col, row, false, state);
  SelectCellFont(style.Font);
  // The text rectangle as painting lays it out.
  const int inset = (state & gdFixed) ? 1 : GridLineWidth;
  QRect rect = cell.adjusted(inset, inset, -inset, -inset)
                   .adjusted(CellTextMargin.Horizontal - 1, CellTextMargin.Vertical, -CellTextMargin.Horizontal, 0);
  THtmlQtCanvas canvas(canvas_, nullptr, htmlPictures_, PictureContainer, viewport(),
                       [this](TColor color) { return QtColor(color); }, Color);
  THtmlParams params;
  params.Font = {style.Font.Name, style.Font.Size + ZoomFactor, style.Font.Style, style.Font.Color, 0};
  params.Rect = ToHtmlRect(rect);
  params.HitX = point.x();
  params.HitY = point.y();
  params.HitTestOnly = true;
  params.WordWrap = !EnhTextSize;
  return !DrawHTMLText(canvas, text, params).ControlType.empty();
}

}  // namespace orlex::grid
