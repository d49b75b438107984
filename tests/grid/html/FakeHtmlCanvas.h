#pragma once

// A fixed-pitch canvas for the HTML engine: every character is 10 pixels wide, a line of text is
// twice the font's point size high, and everything drawn is recorded.

#include <map>
#include <string>
#include <vector>

#include "grid/html/HtmlCanvas.h"
#include "grid/html/HtmlLayout.h"

namespace orlex::grid {

struct TDrawnPiece {
  std::string Text;
  THtmlRect Box;
  THtmlFont Font;
  TColor Color = 0;
  TColor Background = clNone;
  bool Ellipsis = false;
};

class TFakeHtmlCanvas : public THtmlCanvas {
 public:
  static constexpr int kPitch = 10;

  int TextWidth(const THtmlFont&, std::string_view text) override {
    ++measureCalls;
    int chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;  // one per UTF-8 character
    return chars * kPitch;
  }
  int TextHeight(const THtmlFont& font) override { return 2 * font.Size; }
  void DrawTextPiece(const THtmlFont& font, std::string_view text, int, const THtmlRect& box, TColor color,
                     TColor background, bool ellipsis) override {
    pieces.push_back({std::string(text), box, font, color, background, ellipsis});
  }
  void FillRect(const THtmlRect& rect, TColor color) override { fills.emplace_back(rect, color); }
  void DrawPolyline(const std::vector<THtmlPoint>& points, TColor color) override {
    polylines.emplace_back(points, color);
  }
  void DrawFocusRect(const THtmlRect& rect) override { focusRects.push_back(rect); }
  void DrawBullet(const THtmlFont&, int x, int, bool round, TColor) override { bullets.emplace_back(x, round); }
  std::optional<THtmlPictureInfo> FindPicture(const THtmlPictureSource& source) override {
    requested.push_back(source);
    const auto it = pictureSizes.find(source.Name);
    if (it == pictureSizes.end()) return std::nullopt;
    return THtmlPictureInfo{&it->second, it->second.first, it->second.second};
  }
  void DrawPicture(const THtmlPictureInfo& picture, const THtmlRect& dest, bool stretch) override {
    pictures.push_back({picture.Width, picture.Height, dest, stretch});
  }
  void TilePicture(const THtmlPictureInfo&, const THtmlRect& area) override { tiles.push_back(area); }
  void DrawControl(const THtmlControl& control, bool pressed) override { controls.emplace_back(control, pressed); }

  struct TDrawnPicture {
    int Width;
    int Height;
    THtmlRect Dest;
    bool Stretch;
  };

  std::map<std::string, std::pair<int, int>> pictureSizes;  // by source name
  std::vector<TDrawnPiece> pieces;
  std::vector<std::pair<THtmlRect, TColor>> fills;
  std::vector<std::pair<std::vector<THtmlPoint>, TColor>> polylines;
  std::vector<THtmlRect> focusRects;
  std::vector<std::pair<int, bool>> bullets;
  std::vector<THtmlPictureSource> requested;
  std::vector<TDrawnPicture> pictures;
  std::vector<THtmlRect> tiles;
  std::vector<std::pair<THtmlControl, bool>> controls;
  long long measureCalls = 0;
};

// Default parameters as the grid passes them when painting a cell: 10-point black text on white.
inline THtmlParams CellParams(int width, int height = 1000) {
  THtmlParams params;
  params.Font = {"Arial", 10, 0, clBlack, 0};
  params.BrushColor = clWhite;
  params.Rect = {0, 0, width, height};
  return params;
}

}  // namespace orlex::grid
