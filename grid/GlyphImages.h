#pragma once

// Placed texts drawn from ready-blended glyph images instead of blending each glyph anew. A value cell
// repaints its text on every packet, on the same fill in the same colour: each glyph's blend on that
// fill is the same pixels every time. The drawer keeps those pixels (see grid/core/GlyphStamps.h),
// made by letting Qt draw the glyph alone on a scratch image of the device's kind, and composes a text
// from them when that is certainly what drawing the glyph run gives; otherwise it draws nothing and
// says so, and the caller draws the run.

#include <QImage>
#include <QPoint>
#include <QRawFont>
#include <QRgb>
#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "grid/core/GlyphStamps.h"
#include "grid/core/PlainGlyphs.h"

class QPainter;
class QWidget;

namespace orlex::grid {

class TGlyphImageDrawer {
 public:
  TGlyphImageDrawer();
  ~TGlyphImageDrawer();
  TGlyphImageDrawer(const TGlyphImageDrawer&) = delete;
  TGlyphImageDrawer& operator=(const TGlyphImageDrawer&) = delete;

  // Draws the placed glyphs of font (fontId names it in the cache) with their baseline starting at
  // origin, in the painter's coordinates and pen, when the pixels are certainly those
  // painter.drawGlyphRun would give; background is the colour expected under the text, when the caller
  // knows it. False when it drew nothing.
  bool Draw(QPainter& painter, std::uint64_t fontId, const QRawFont& font, QPoint origin, const TPlacedText& placed,
            std::optional<QRgb> background);

  // Memory the kept glyph images take; emptied when it passes kByteLimit.
  std::size_t Bytes() const { return bytes_; }
  static constexpr std::size_t kByteLimit = std::size_t{4} << 20;

 private:
  // What decides a glyph's blended pixels besides the glyph and its offset.
  struct TPaletteKey {
    std::uint64_t fontId = 0;
    std::uint64_t text = 0;  // the pen's colour, 16 bits a channel as the engine blends it
    std::uint32_t background = 0;
    int format = 0;
    bool widget = false;  // a widget's glyphs may be rendered with sub-pixel colour
    int hints = 0;
    auto operator<=>(const TPaletteKey&) const = default;
  };
  struct TEntry {
    bool usable = false;
    TGlyphStamp stamp;
  };
  struct TPalette {
    std::unordered_map<std::uint64_t, TEntry> entries;  // by glyph and offset; entries stay put
    // Entries looked up lately, one per slot chosen by a hash of their key: a text's glyphs are
    // nearly always found here, without the map's own hashing and chains.
    static constexpr std::size_t kRecent = 256;
    std::array<std::pair<std::uint64_t, const TEntry*>, kRecent> recent{};
  };

  const TEntry& Entry(TPalette& palette, const TPaletteKey& key, const QRawFont& font, std::uint32_t glyph,
                      int fraction, const QImage& device);
  TEntry MakeEntry(const TPaletteKey& key, const QRawFont& font, std::uint32_t glyph, int fraction,
                   const QImage& device);
  // Runs paint on image, through a widget when the glyphs must be those of a widget.
  void PaintScratch(QImage& image, bool widget, const std::function<void(QPainter&)>& paint);
  void Clear();

  std::map<TPaletteKey, TPalette> palettes_;
  TPalette* lastPalette_ = nullptr;
  TPaletteKey lastKey_;
  std::size_t bytes_ = 0;
  std::unique_ptr<QWidget> probe_;
  // Kept between texts so composing allocates nothing once they have grown.
  QImage box_;
  std::vector<TPlacedStamp> stamps_;
  std::vector<std::uint8_t> used_;
};

}  // namespace orlex::grid
