#pragma once

// Window-free text layout for the grid's canvas: the line breaking and measuring rules of the
// platform's DrawText flags, on UTF-16 text, with the pixel width of a run of text supplied by the
// caller. The canvas (TextCanvas) feeds it QFontMetrics; tests feed it a fixed-pitch fake.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orlex::grid {

// DrawText format bits the grid uses (values as the platform defines them).
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// Pixel width of a run of text without tabs or line breaks.
using TMeasureText = std::function<int(std::u16string_view)>;

// One laid-out line: a range of the (prefix-processed) text and its width with tabs expanded.
struct TTextLine {
  std::size_t start = 0;
  std::size_t length = 0;
  int width = 0;
};

struct TTextLayoutMetrics {
  int lineHeight = 0;    // ascent + descent of the font
  int averageWidth = 0;  // average character width; tab stops lie every 8 of them
};

// Without DT_NOPREFIX the platform takes "&x" as an accelerator mark and "&&" as one ampersand; we
// drop the marks (no underline is drawn). With it the text is returned unchanged.
std::u16string ApplyPrefixRule(std::u16string_view text, unsigned flags);

// Distance between tab stops for the given metrics (8 average character widths, at least 1 pixel).
int TabStopWidth(const TTextLayoutMetrics& metrics);

// Width of one line, tabs advancing to the next tab stop when expandTabs is set (a tab without
// expansion is measured as the measuring function measures it).
int MeasureLine(std::u16string_view line, bool expandTabs, int tabStop, const TMeasureText& measure);

// Splits text into lines. DT_SINGLELINE: one line, line breaks ignored (they take no width).
// Otherwise CR LF, CR and LF end lines; with DT_WORDBREAK lines also break at spaces and tabs as an
// edit control breaks them, and a word longer than the width is broken where it no longer fits
// (at least one character per line, never inside a surrogate pair). Spaces at a wrap point are
// dropped; a line break at the very end of the text adds no empty line; an empty text is one empty line.
std::vector<TTextLine> BreakTextLines(std::u16string_view text, int maxWidth, unsigned flags, int tabStop,
                                      const TMeasureText& measure);

// The longest prefix of line that, followed by "...", fits in maxWidth, with the ellipsis appended;
// the line itself when it fits, unless force is set (text was cut after this line). Returns at least
// "..." when not even that fits.
std::u16string ApplyEndEllipsis(std::u16string_view line, int maxWidth, bool expandTabs, int tabStop,
                                const TMeasureText& measure, bool force = false);

// Which lines are drawn into a rectangle of the given height, and where. top is relative to the
// rectangle's top. With DT_EDITCONTROL a line after the first that would be only partly visible is
// not drawn (the first is always drawn, clipped). DT_VCENTER and DT_BOTTOM place the whole block of lines.
struct TLinePlacement {
  std::size_t visibleCount = 0;
  int firstTop = 0;
};
TLinePlacement PlaceLines(std::size_t lineCount, int lineHeight, int rectHeight, unsigned flags);

// Left x of a line of the given width inside a rectangle width, relative to the rectangle's left.
int AlignLine(int lineWidth, int rectWidth, unsigned flags);

}  // namespace orlex::grid
