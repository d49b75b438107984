#pragma once

// The grid's surface for the HTML engine: measuring through the grid canvas's font cache, drawing
// with its painter (when there is one), pictures from the grid's cache, the desktop's file icons and
// an optional picture container, inline controls drawn by the widget's style.

#include <QColor>
#include <functional>
#include <string>
#include <vector>

#include "grid/HtmlPictures.h"
#include "grid/TextCanvas.h"
#include "grid/html/HtmlCanvas.h"

class QWidget;

namespace orlex::grid {

class THtmlQtCanvas : public THtmlCanvas {
 public:
  using TColorOf = std::function<QColor(TColor)>;

  // painter: null for measuring only. styleWidget supplies the style and palette for controls.
  THtmlQtCanvas(TTextCanvas& canvas, QPainter* painter, THTMLPictureCache& cache, TPictureContainer* container,
                QWidget* styleWidget, TColorOf colorOf, TColor entryBrush);

  int TextWidth(const THtmlFont& font, std::string_view text) override;
  int TextHeight(const THtmlFont& font) override;
  void DrawTextPiece(const THtmlFont& font, std::string_view text, int width, const THtmlRect& box, TColor color,
                     TColor background, bool ellipsis) override;
  void FillRect(const THtmlRect& rect, TColor color) override;
  void DrawPolyline(const std::vector<THtmlPoint>& points, TColor color) override;
  void DrawFocusRect(const THtmlRect& rect) override;
  void DrawBullet(const THtmlFont& font, int x, int bottom, bool round, TColor color) override;
  std::optional<THtmlPictureInfo> FindPicture(const THtmlPictureSource& source) override;
  void DrawPicture(const THtmlPictureInfo& picture, const THtmlRect& dest, bool stretch) override;
  void TilePicture(const THtmlPictureInfo& picture, const THtmlRect& area) override;
  void DrawControl(const THtmlControl& control, bool pressed) override;

  // The first resource picture error met during this call (empty when none); the grid raises it
  // once its paint pass is complete.
  const std::string& PictureError() const { return pictureError_; }

 private:
  const TCanvasFont& Select(const THtmlFont& font);
  int MeasureWidth(const TCanvasFont& font, std::string_view text);
  THTMLPicture* Load(const THtmlPictureSource& source);

  TTextCanvas& canvas_;
  QPainter* painter_;
  THTMLPictureCache& cache_;
  TPictureContainer* container_;
  QWidget* styleWidget_;
  TColorOf colorOf_;
  TColor entryBrush_;
  // The last few widths measured: the drawing pass measures the pieces the measuring pass just did.
  struct TMeasured {
    const TCanvasFont* font;
    std::string text;
    int width;
  };
  std::vector<TMeasured> measured_;
  std::size_t nextMeasured_ = 0;
  const TCanvasFont* last_ = nullptr;
  THtmlFont lastFont_;
  std::string pictureError_;
};

}  // namespace orlex::grid
