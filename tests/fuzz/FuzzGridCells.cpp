// The grid's own clipboard format read from arbitrary bytes (another application can put anything
// under its MIME type) and pasted into a grid of the main window's shape: the first byte chooses the
// start cell and the grow settings, the rest is the block. No read past the bytes, no growth past
// the cap, and a refused block leaves the grid as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "grid/core/CellGridBase.h"
#include "grid/core/CellTextBlock.h"
#include "grid/transfer/core/GridCellsFormat.h"

using namespace orlex::grid;

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  TCellGridBase grid;
  grid.SetColCount(6);
  grid.SetRowCount(21);
  grid.SetFixedCols(0);
  grid.Navigation.AllowClipboardAlways = true;
  grid.Navigation.AllowClipboardColGrow = (flags & 1) != 0;
  grid.Navigation.AllowClipboardRowGrow = (flags & 2) != 0;
  grid.SetCells(5, 20, "kept unless pasted over");
  const int col = (flags >> 2) % 6;
  const int row = (flags >> 5) % 8;
  int widthsSet = 0;
  TGridSizeAccess sizes;
  sizes.SetColWidth = [&](int c, int) { Check(c >= 0 && c < grid.ColCount()); ++widthsSet; };
  sizes.SetRowHeight = [&](int r, int) { Check(r >= 0 && r < grid.RowCount()); };

  const std::optional<TGridCellsBlock> block = ReadGridCells(bytes);
  if (!block) return 0;
  Check(block->ColCount >= 1 && block->RowCount >= 1);
  Check(block->ColWidths.size() <= static_cast<std::size_t>(block->ColCount));
  const std::size_t before = grid.StoredCellCount();
  const int result = PasteGridCells(grid, col, row, *block, sizes);
  const std::int64_t growth = std::int64_t{grid.ColCount()} * grid.RowCount() - 6 * 21;
  Check(growth <= kPasteGrowthLimit);
  if (result == 0) {
    Check(grid.ColCount() == 6 && grid.RowCount() == 21 && grid.StoredCellCount() == before && widthsSet == 0);
    Check(grid.Cells(5, 20) == "kept unless pasted over");
  } else {
    // Every record was placed: no more stored cells than before plus the records.
    Check(grid.StoredCellCount() <= before + block->Cells.size());
    if (!block->FullGrid) {
      if (!(flags & 1)) Check(grid.ColCount() == 6);
      if (!(flags & 2)) Check(grid.RowCount() == 21);
    }
  }
  return 0;
}
