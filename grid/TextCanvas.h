#pragma once

// The grid's canvas: text drawing and measuring with the DrawText flags the grid uses, over a
// QPainter (when painting) and cached QFont/QFontMetrics pairs (always). One canvas lives as long as
// its grid, so measuring a whole row reuses the same fonts instead of building one per cell.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "grid/GlyphImages.h"
#include "grid/core/GridTypes.h"
#include "grid/core/PlainGlyphs.h"
#include "grid/core/TextLayout.h"

class QPainter;

namespace orlex::grid {

// One cached font with its metrics.
struct TCanvasFont {
  QFont font;
  QFontMetrics metrics;
  TTextLayoutMetrics layout;
  int ascent = 0;
  // Advance of each printable ASCII character (space to tilde), for a cheap upper bound on a line's width.
  std::array<qreal, 95> asciiAdvance{};
  // How far any printable ASCII glyph's ink reaches left of its origin (zero or less) and right of
  // its advance (zero or more): with asciiAdvance, a bound on where a line of such text can have pixels.
  qreal asciiInkLeft = 0;
  qreal asciiInkRight = 0;
  // Widths of runs measured in this font: the texts of a grid are drawn again and again, most of them
  // unchanged. Emptied when it grows large, so new texts cannot grow it without bound.
  // Looked up by view, so a hit copies nothing.
  struct TRunHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view run) const { return std::hash<std::u16string_view>{}(run); }
  };
  std::unordered_map<std::u16string, int, TRunHash, std::equal_to<>> widths;
  // Glyphs of short plain texts, learned from the full layout on first use (see PlainGlyphs.h), and
  // the font they are drawn with. Null for a font the table does not serve: lines under or through
  // text are drawn by the full layout over blanks too, and spacing or capitals change every glyph.
  std::unique_ptr<TPlainGlyphs> plain;
  QRawFont rawFont;
  bool plainTried = false;
  // Names the font among all the canvas has built, for the glyph images kept for it.
  std::uint64_t id = 0;

  explicit TCanvasFont(const QFont& f);
};

class TTextCanvas {
 public:
  TTextCanvas();
  ~TTextCanvas();
  TTextCanvas(const TTextCanvas&) = delete;
  TTextCanvas& operator=(const TTextCanvas&) = delete;

  // Selects a font by name, size in points and style; built once per distinct font, then reused.
  const TCanvasFont& SelectFont(const std::string& name, int points, TFontStyles style);
  const TCanvasFont& CurrentFont() const { return *current_; }

  // Painting target; null for measuring only. The canvas does not own the painter.
  // Setting one forgets the background hint.
  void SetPainter(QPainter* painter) {
    painter_ = painter;
    backgroundHint_.reset();
  }
  QPainter* Painter() const { return painter_; }
  void SetTextColor(const QColor& color) { textColor_ = color; }
  // The colour the texts drawn next are expected to lie on (a cell's fill), or none when unknown. It
  // only picks the glyph images to try: the pixels under a text are checked all the same.
  void SetBackgroundHint(std::optional<QColor> color) {
    backgroundHint_ = color ? std::optional<QRgb>(color->rgba()) : std::nullopt;
  }

  // DrawText with the given flags into rect. With DT_CALCRECT nothing is drawn and rect's right and
  // bottom are set to the measured extent. Returns the height of the text, as the platform does.
  int DrawText(const QString& text, QRect& rect, unsigned flags);

  // Width and height of a single line in the current font (no tabs expanded).
  int TextWidth(const QString& text) const;
  int TextHeight(const QString& text) const;

  // A single line of printable ASCII that certainly fits is drawn without being measured, and plain
  // runs are drawn from the plain glyph table (both on by default); off, every text is laid out in
  // full, which tests compare the shortcuts against.
  void SetShortcuts(bool enabled) { shortcuts_ = enabled; }
  // Plain runs are composed from ready-blended glyph images where that gives exactly the pixels of
  // drawing the glyphs (see GlyphImages.h); on by default, and only with the shortcuts.
  void SetGlyphImages(bool enabled) { glyphImages_ = enabled; }

  // Text runs drawn from the plain glyph table instead of the full layout (see PlainGlyphs.h); lets
  // tests and benchmarks see that common values take that way.
  std::size_t PlainRunsDrawn() const { return plainRunsDrawn_; }
  // Of those, the runs composed from glyph images.
  std::size_t GlyphImageRunsDrawn() const { return glyphImageRunsDrawn_; }

  // The horizontal span of every pixel the texts drawn since ResetDrawnInk may have covered: the
  // placed glyphs' ink where the canvas placed every line, else the text rectangles they were clipped
  // to; not known for a text drawn unclipped through the full layout.
  struct TDrawnInk {
    bool known = true;
    int left = 0;
    int right = 0;  // just outside; empty when right <= left
    // Adds pixels from `from` to just before `to`.
    void Add(int from, int to);
  };
  void ResetDrawnInk() { drawnInk_ = TDrawnInk{}; }
  const TDrawnInk& DrawnInk() const { return drawnInk_; }

  // Number of fonts built so far (the cache's size); lets tests and benchmarks see that measuring reuses fonts.
  std::size_t FontsBuilt() const { return fontsBuilt_; }

 private:
  // The font's plain glyph table when the shortcuts are on and the painter allows drawing from it.
  TPlainGlyphs* DrawingTable(TCanvasFont& font) const;
  // Draws one run without tabs or line breaks, its baseline starting at origin.
  void DrawRun(TCanvasFont& font, QPoint origin, std::u16string_view run);
  // Draws the glyphs the plain table placed, the run's baseline starting at origin.
  void DrawPlaced(const TCanvasFont& font, QPoint origin, const TPlacedText& placed);

  // One line of a text being drawn.
  struct TDrawLine {
    std::u16string text;
    QPoint origin;
    bool placed = false;
    TPlacedText glyphs;
  };

  using TFontKey = std::tuple<std::string, int, int>;
  std::map<TFontKey, std::unique_ptr<TCanvasFont>> fonts_;
  TCanvasFont* current_ = nullptr;
  TFontKey currentKey_;
  QPainter* painter_ = nullptr;
  QColor textColor_ = Qt::black;
  std::size_t fontsBuilt_ = 0;
  std::size_t plainRunsDrawn_ = 0;
  std::size_t glyphImageRunsDrawn_ = 0;
  TDrawnInk drawnInk_;
  bool shortcuts_ = true;
  bool glyphImages_ = true;
  std::optional<QRgb> backgroundHint_;
  TGlyphImageDrawer glyphImageDrawer_;
  // Kept between runs so drawing a run allocates nothing once they have grown.
  TPlacedText placed_;
  TPlacedText measured_;
  std::vector<TDrawLine> drawLines_;
  std::vector<TTextLine> lines_;
  std::u16string prefixed_;
  std::vector<QPointF> positions_;
  QGlyphRun glyphRun_;
};

}  // namespace orlex::grid
