#pragma once

// Glyphs of short printable ASCII texts without shaping them each time. Most of what a grid draws is
// values: short strings of digits, signs, points and a few letters, new on every packet. Shaping each
// one costs far more than drawing it. Yet in most fonts these characters do not interact: shaping a
// pair of them gives exactly the two glyphs each gives alone, one after the other. Such a text's
// glyphs and positions follow from its characters alone. The table learns each character and each
// neighbouring pair the first time it meets them, through a shaping function the caller supplies
// (the canvas shapes with the platform's own layout; tests with a fake), and answers only when every
// character and every pair of the text has shaped plainly. Anything else (a kerning pair, a ligature,
// a glyph from another font, a character outside printable ASCII) is left to the full layout.
//
// The layout shapes an ASCII text as one run, in the letters' script when it holds a letter and in
// the script of digits and signs when not, and a font may treat a pair differently in each. So a
// pair of non-letters is learned for both: alone, and after a letter (a letter that pair-checks
// plainly with the first of them), as it would stand in a text with letters.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace orlex::grid {

// Positions and advances in 64ths of a pixel, as the platform's font layout counts them.
using TFixed64 = std::int32_t;

// A box of whole pixels relative to a text's origin on its baseline (y grows downwards); right and
// bottom lie just outside it.
struct TInkBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

// What the full layout makes of a short text in one font.
struct TShapedText {
  // Every glyph comes from the font itself (no fallback font, no missing glyph) and sits on the
  // baseline; false also when the text could not be shaped.
  bool ownFont = false;
  std::vector<std::uint32_t> glyphs;  // in visual order; a blank may have no glyph at all
  std::vector<TFixed64> x;            // each glyph's position from the text's start
  TFixed64 advance = 0;               // the whole text's advance
  // For a single character: the pixels its glyph covers when drawn at a whole-pixel position.
  TInkBox ink;
};

using TShapeText = std::function<TShapedText(std::u16string_view)>;

// A text placed from the table: what the full layout gives for it.
struct TPlacedText {
  std::vector<std::uint32_t> glyphs;
  std::vector<TFixed64> x;
  TFixed64 advance = 0;
  // Every pixel the glyphs may cover, drawn from a whole-pixel origin: each glyph's own pixels moved
  // to its position; at a fractional position a glyph is drawn shifted by the fraction, from the
  // pixel the position falls in or the next, so it may reach two pixels further right. A pixel more
  // above and below allows for rounding. Empty for blanks only.
  TInkBox ink;
};

// The whole pixel a position falls in, and the platform's rounding of an advance to whole pixels
// (half a pixel rounds up).
int FloorFixed64(TFixed64 value);
int RoundFixed64(TFixed64 value);

class TPlainGlyphs {
 public:
  explicit TPlainGlyphs(TShapeText shape);

  // Places text when every character is printable ASCII that shapes alone to at most one glyph of
  // the font, and every neighbouring pair shapes to exactly those glyphs, the second one advance of
  // the first after it. out then holds the glyphs, positions and advance the full layout gives.
  // False otherwise (out then holds nothing to use), for an empty text and for one longer than kMaxLength.
  bool Place(std::u16string_view text, TPlacedText& out);

  // How many texts the table has shaped so far: each character and pair once at most.
  std::size_t Shapings() const { return shapings_; }

  static constexpr std::size_t kMaxLength = 1024;

 private:
  static constexpr std::size_t kFirst = u' ';
  static constexpr std::size_t kCount = u'~' - u' ' + 1;
  enum class TState : std::uint8_t { Unknown, Plain, Shaped };

  struct TSingle {
    TState state = TState::Unknown;
    bool hasGlyph = false;
    std::uint32_t glyph = 0;
    TFixed64 advance = 0;
    TInkBox ink;
  };

  const TSingle& Single(std::size_t index);
  bool PairIsPlain(std::size_t first, std::size_t second, bool withLetters);
  // Shapes the characters (indexes into the table) and compares with their single shapings one after
  // the other; each of them must already be plain on its own.
  bool ShapesAsSingles(std::initializer_list<std::size_t> indexes);

  TShapeText shape_;
  std::array<TSingle, kCount> singles_{};
  // Pair states for texts without a letter and for texts with one.
  std::array<std::vector<TState>, 2> pairs_;
  std::size_t shapings_ = 0;
};

}  // namespace orlex::grid
