// TextBlockSize and PasteTextBlock on arbitrary text into a small grid: the first bytes choose the
// start cell and the grow settings, the rest is the text (as a foreign drop would deliver it).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "grid/core/CellGridBase.h"
#include "grid/core/CellTextBlock.h"

using namespace orlex::grid;

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}

// Fields a paste visits: every TAB-separated field of every line (lines end at CR, a LF after it
// belongs to the separator); and the largest field count of a line.
void CountFields(std::string_view text, std::int64_t& fields, std::int64_t& widest) {
  fields = 0;
  widest = 1;
  std::size_t pos = 0;
  while (true) {
    const std::size_t cr = text.find('\r', pos);
    const std::string_view line = text.substr(pos, cr == std::string_view::npos ? std::string_view::npos : cr - pos);
    const std::int64_t n = std::count(line.begin(), line.end(), '\t') + 1;
    fields += n;
    widest = std::max(widest, n);
    if (cr == std::string_view::npos) return;
    pos = cr + 1;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int col = data[0] % 8;
  const int row = data[1] % 8;
  const std::uint8_t flags = data[2];
  const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);

  const orlex::grid::TTextBlockSize blockSize = orlex::grid::TextBlockSize(text);
  std::int64_t fields = 0;
  std::int64_t widest = 0;
  CountFields(text, fields, widest);
  Check(blockSize.Columns == widest);
  Check(blockSize.ExtraRows >= -1);

  TCellGridBase grid;
  grid.SetColCount(4);
  grid.SetRowCount(5);
  grid.Navigation.AllowClipboardAlways = (flags & 1) != 0;
  grid.ChangeLook([flags](TGridLook& look) { look.Options |= (flags & 2) ? goEditing : 0; });
  grid.Navigation.AllowClipboardColGrow = (flags & 4) != 0;
  grid.Navigation.AllowClipboardRowGrow = (flags & 8) != 0;
  const bool permitted = (flags & 3) != 0;
  int reported = 0;
  grid.OnCellsChanged = [&](TCellGridBase&, const TGridRect& rect) {
    ++reported;
    Check(rect.Left == col && rect.Top == row && rect.Right >= col - 1 && rect.Bottom >= row);
  };

  const int count = grid.PasteTextBlock(col, row, text);
  const std::int64_t growth = std::int64_t{grid.ColCount()} * grid.RowCount() - 4 * 5;
  Check(growth >= 0 && growth <= orlex::grid::kPasteGrowthLimit);
  if (!permitted) {
    Check(count == 0 && reported == 0 && growth == 0);
  } else if (count != 0 || reported != 0) {
    Check(count == fields && reported == 1);
  } else {
    // Refused: only a paste that would grow the grid past the limit, and then the grid is untouched.
    Check(growth == 0);
  }
  if (!(flags & 4)) Check(grid.ColCount() == 4);
  if (!(flags & 8)) Check(grid.RowCount() == 5);
  return 0;
}
