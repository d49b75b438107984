// The grid's line breaking on any text, width and flags, with a measuring function whose widths vary
// by character (zero-width ones included). Lines must cover the text in order, fit where they can,
// and the characters handed to the measuring function must stay within a bound near-linear in the
// text: a layout that measures the rest of a paragraph once per line aborts here instead of timing out.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "grid/core/TextLayout.h"

using namespace orlex::grid;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

int CharWidth(char16_t c) {
  if (c == u' ') return 3;
  if (c >= 0x300 && c < 0x370) return 0;  // combining marks take no width
  return 1 + c % 11;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int width = static_cast<int>(data[0] | (data[1] << 8)) - 16;  // a few negative widths too
  const unsigned flagBits = data[2];
  const std::size_t maxLines = data[3] == 0 ? static_cast<std::size_t>(-1) : data[3];
  unsigned flags = DT_NOPREFIX;
  if (flagBits & 1) flags |= DT_WORDBREAK;
  if (flagBits & 2) flags |= DT_EDITCONTROL;
  if (flagBits & 4) flags |= DT_EXPANDTABS;
  if (flagBits & 8) flags |= DT_SINGLELINE;
  std::u16string text;
  for (std::size_t i = 4; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

  std::size_t measured = 0;
  const TMeasureText measure = [&measured](std::u16string_view run) {
    measured += run.size();
    int w = 0;
    for (char16_t c : run) w += CharWidth(c);
    return w;
  };
  const auto lines = BreakTextLines(text, width, flags, 24, measure, maxLines);
  Check(!lines.empty() && lines.size() <= std::max<std::size_t>(maxLines, 1));
  std::size_t previousEnd = 0;
  for (const TTextLine& line : lines) {
    Check(line.start >= previousEnd && line.start + line.length <= text.size());
    const bool oneCodePoint = line.length == 1 || (line.length == 2 && text[line.start + 1] >= 0xDC00 &&
                                                   text[line.start + 1] <= 0xDFFF);
    if ((flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE) && !oneCodePoint) {
      Check(line.width <= std::max(width, 0) || line.length == 0);
    }
    previousEnd = line.start + line.length;
  }
  const double n = static_cast<double>(text.size()) + 1;
  Check(static_cast<double>(measured) <= 16 * n * (std::log2(n) + 2) + 64);

  measured = 0;
  const std::u16string shown = ApplyEndEllipsis(text, width, (flags & DT_EXPANDTABS) != 0, 24, measure, true);
  Check(shown.size() >= 3 && shown.size() <= text.size() + 3);
  Check(static_cast<double>(measured) <= 16 * n * (std::log2(n) + 2) + 64);
  return 0;
}
