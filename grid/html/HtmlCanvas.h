#pragma once

// What the HTML engine needs from the surface it lays text out on: measuring always, drawing only in
// the drawing pass, and the pictures it may show. The grid adapts its painter and font cache to it;
// tests use a fixed-pitch fake that records what would be drawn.

#include <optional>
#include <string_view>
#include <vector>

#include "grid/html/HtmlTypes.h"

namespace orlex::grid {

struct THtmlPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const THtmlPoint&, const THtmlPoint&) = default;
};

class THtmlCanvas {
 public:
  virtual ~THtmlCanvas() = default;

  // Width of a text piece (tabs expanded) and the height of a line of text in the font.
  virtual int TextWidth(const THtmlFont& font, std::string_view text) = 0;
  virtual int TextHeight(const THtmlFont& font) = 0;

  // A text piece of the given measured width drawn single-line, bottom-aligned in box and clipped to
  // it, starting at box.Left; background clNone draws transparently. ellipsis: shorten with "..."
  // when wider than the box.
  virtual void DrawTextPiece(const THtmlFont& font, std::string_view text, int width, const THtmlRect& box,
                             TColor color, TColor background, bool ellipsis) = 0;
  virtual void FillRect(const THtmlRect& rect, TColor color) = 0;
  // Connected line segments, 1 pixel wide.
  virtual void DrawPolyline(const std::vector<THtmlPoint>& points, TColor color) = 0;
  // The platform's dotted focus frame.
  virtual void DrawFocusRect(const THtmlRect& rect) = 0;
  // A list bullet at x with its bottom at bottom: a round bullet at odd levels, an "o" at even ones.
  virtual void DrawBullet(const THtmlFont& font, int x, int bottom, bool round, TColor color) = 0;

  // Pictures: found by source (nothing when absent or empty), drawn at their natural size or
  // stretched into dest, or tiled over an area clipped to it.
  virtual std::optional<THtmlPictureInfo> FindPicture(const THtmlPictureSource& source) = 0;
  virtual void DrawPicture(const THtmlPictureInfo& picture, const THtmlRect& dest, bool stretch) = 0;
  virtual void TilePicture(const THtmlPictureInfo& picture, const THtmlRect& area) = 0;

  // An inline control; pressed when the mouse button is held on it.
  virtual void DrawControl(const THtmlControl& control, bool pressed) = 0;
};

}  // namespace orlex::grid
