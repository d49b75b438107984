#include "grid/core/PlainGlyphs.h"

#include <algorithm>
#include <string>
#include <utility>

namespace orlex::grid {

namespace {

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

}  // namespace

int FloorFixed64(TFixed64 value) {
  return static_cast<int>(value >= 0 ? value / 64 : -((-static_cast<std::int64_t>(value) + 63) / 64));
}

int RoundFixed64(TFixed64 value) { return FloorFixed64(value + 32); }

TPlainGlyphs::TPlainGlyphs(TShapeText shape) : shape_(std::move(shape)) {
  for (std::vector<TState>& pairs : pairs_) pairs.assign(kCount * kCount, TState::Unknown);
}

const TPlainGlyphs::TSingle& TPlainGlyphs::Single(std::size_t index) {
  TSingle& single = singles_[index];
  if (single.state != TState::Unknown) return single;
  const char16_t c = static_cast<char16_t>(kFirst + index);
  const TShapedText shaped = shape_(std::u16string_view(&c, 1));
  ++shapings_;
  single.state = TState::Shaped;
  if (!shaped.ownFont || shaped.glyphs.size() > 1 || shaped.x.size() != shaped.glyphs.size()) return single;
  if (!shaped.glyphs.empty() && shaped.x[0] != 0) return single;
  single.hasGlyph = !shaped.glyphs.empty();
  single.glyph = single.hasGlyph ? shaped.glyphs[0] : 0;
  single.advance = shaped.advance;
  single.ink = shaped.ink;
  single.state = TState::Plain;
  return single;
}

bool TPlainGlyphs::ShapesAsSingles(std::initializer_list<std::size_t> indexes) {
  std::u16string text;
  std::vector<std::uint32_t> glyphs;
  std::vector<TFixed64> x;
  TFixed64 advance = 0;
  for (const std::size_t index : indexes) {
    const TSingle& single = singles_[index];
    text.push_back(static_cast<char16_t>(kFirst + index));
    if (single.hasGlyph) {
      glyphs.push_back(single.glyph);
      x.push_back(advance);
    }
    advance += single.advance;
  }
  const TShapedText shaped = shape_(text);
  ++shapings_;
  // Nothing moved, nothing replaced, nothing narrower or wider.
  return shaped.ownFont && shaped.glyphs == glyphs && shaped.x == x && shaped.advance == advance;
}

bool TPlainGlyphs::PairIsPlain(std::size_t first, std::size_t second, bool withLetters) {
  const bool letterInPair = IsLetter(static_cast<char16_t>(kFirst + first)) || IsLetter(static_cast<char16_t>(kFirst + second));
  // A pair with a letter in it is always shaped in the letters' script.
  TState& state = pairs_[withLetters || letterInPair ? 1 : 0][first * kCount + second];
  if (state != TState::Unknown) return state == TState::Plain;
  state = TState::Shaped;
  if (!withLetters || letterInPair) {
    if (ShapesAsSingles({first, second})) state = TState::Plain;
    return state == TState::Plain;
  }
  // Two non-letters in a text with letters: after a letter that goes plainly before the first.
  for (char16_t letter : std::u16string_view(u"nxaeouiNXAEOUI")) {
    const std::size_t lead = letter - kFirst;
    if (Single(lead).state != TState::Plain || !PairIsPlain(lead, first, true)) continue;
    if (ShapesAsSingles({lead, first, second})) state = TState::Plain;
    break;
  }
  return state == TState::Plain;
}

bool TPlainGlyphs::Place(std::u16string_view text, TPlacedText& out) {
  // Short texts only: a long one is rare in a cell, and its positions could outgrow the counter.
  if (text.empty() || text.size() > kMaxLength) return false;
  bool withLetters = false;
  for (const char16_t c : text) {
    if (c < kFirst || c >= kFirst + kCount) return false;
    withLetters = withLetters || IsLetter(c);
  }
  out.glyphs.clear();
  out.x.clear();
  out.ink = TInkBox{};
  TFixed64 position = 0;
  std::size_t previous = kCount;
  for (const char16_t c : text) {
    const std::size_t index = c - kFirst;
    const TSingle& single = Single(index);
    if (single.state != TState::Plain) return false;
    if (previous != kCount && !PairIsPlain(previous, index, withLetters)) return false;
    if (single.hasGlyph) {
      out.glyphs.push_back(single.glyph);
      out.x.push_back(position);
      if (!single.ink.Empty()) {
        const int pixel = FloorFixed64(position);
        const TInkBox moved{single.ink.left + pixel, single.ink.top - 1,
                            single.ink.right + pixel + (position % 64 != 0 ? 2 : 0), single.ink.bottom + 1};
        out.ink = out.ink.Empty() ? moved
                                  : TInkBox{std::min(out.ink.left, moved.left), std::min(out.ink.top, moved.top),
                                            std::max(out.ink.right, moved.right), std::max(out.ink.bottom, moved.bottom)};
      }
    }
    position += single.advance;
    previous = index;
  }
  out.advance = position;
  return true;
}

}  // namespace orlex::grid
