#pragma once

// The HTML cell text engine: lays a markup text out line by line inside a rectangle and draws it on
// a THtmlCanvas, or only measures it, or only hit-tests a point against its links and controls.
// Every line is laid out twice: a measuring pass that decides what the line holds and how wide and
// tall it is, then a drawing pass over the same markup in the placed line box.

#include <string>
#include <string_view>

#include "grid/html/HtmlCanvas.h"
#include "grid/html/HtmlTypes.h"

namespace orlex::grid {

// Largest font size a tag may ask for, in points; larger sizes are drawn at this size.
constexpr int kHtmlMaxFontSize = 500;
// Largest picture, control, tab or indent dimension a tag may ask for, in pixels.
constexpr int kHtmlMaxExtent = 16384;

struct THtmlParams {
  THtmlFont Font;                  // the canvas font at entry: the starting style
  TColor BrushColor = clWhite;     // the canvas brush at entry (the cell background)
  THtmlRect Rect;                  // the layout rectangle
  int HitX = 0;
  int HitY = 0;
  int FocusLink = -1;              // focused link number, -1 for none
  int HoverLink = 0;
  int ShadowOffset = 1;
  bool HitTestOnly = false;        // the second pass measures and hit-tests instead of drawing
  bool MeasureOnly = false;        // only the measuring pass runs
  bool Selected = false;           // colours from tags are ignored
  bool BlinkPhase = false;
  bool HoverStyle = false;         // only the hovered link gets link styling
  bool WordWrap = true;
  bool MouseDown = false;          // controls drawn pressed
  TColor LinkColor = clBlue;
  TColor HoverColor = clNone;      // hover background
  TColor HoverFontColor = clNone;  // hover text
  TColor ShadowColor = 0x808080;
  std::string ControlId;           // with HitTestOnly: the control to find by identifier
};

struct THtmlResult {
  bool Hit = false;                // on a link's text, or on a picture or control inside a link
  std::string Anchor;              // link target under the hit point ("ctrl" for a control)
  std::string PlainText;
  std::string FocusAnchor;         // target of the focused link
  std::string Title;               // title of the last link that has one
  int Width = 0;                   // widest line
  int Height = 0;                  // total height of the lines
  int LinkCount = 0;
  int HitLink = -1;                // number of the link under the hit point
  THtmlRect LinkRect;
  THtmlRect ControlRect;
  std::string ControlId;
  std::string ControlValue;
  std::string ControlType;
};

// Lays out, and draws or measures, a markup text. Work is bounded by the text's length: every line
// consumes at least one piece or tag, and each piece is measured at most twice per pass.
THtmlResult DrawHTMLText(THtmlCanvas& canvas, std::string_view markup, const THtmlParams& params);

}  // namespace orlex::grid
