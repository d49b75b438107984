#pragma once

// The cell text block's arithmetic that needs no grid: the size of a block.

#include <cstdint>
#include <string_view>

namespace orlex::grid {

// The most cells one paste may add to a grid; a larger growth is refused.
inline constexpr std::int64_t kPasteGrowthLimit = 1'000'000;

struct TTextBlockSize {
  int Columns = 1;    // the most TAB-separated fields of any line
  int ExtraRows = 0;  // line separators, less one for every empty line
  friend bool operator==(const TTextBlockSize&, const TTextBlockSize&) = default;
};

// Lines end at each CR (a LF right after it belongs to the separator). "abc" is (1, 0), a TAB b CR LF
// c is (2, 1), abc CR LF is (1, 0) and the empty text (1, -1).
TTextBlockSize TextBlockSize(std::string_view text);

}  // namespace orlex::grid
