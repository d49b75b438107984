// The grid's clipboard operations: the rules are window-free (grid/transfer/core/GridClipboard.h);
// here the contents go to and come from the desktop's clipboard.

#include <QClipboard>
#include <QGuiApplication>

#include "grid/CellGrid.h"
#include "grid/transfer/ClipboardMime.h"
#include "grid/transfer/core/GridClipboard.h"

namespace orlex::grid {

namespace {

TGridSizeAccess SizeAccess(TCellGrid& grid) {
  TGridSizeAccess sizes;
  sizes.ColWidth = [&grid](int col) { return grid.ColWidths(col); };
  sizes.RowHeight = [&grid](int row) { return grid.RowHeights(row); };
  sizes.SetColWidth = [&grid](int col, int width) { grid.SetColWidths(col, width); };
  sizes.SetRowHeight = [&grid](int row, int height) { grid.SetRowHeights(row, height); };
  return sizes;
}

}  // namespace

void TCellGrid::ClipCopy() {
  const TClipboardContents contents =
      ClipCopyContents(*this, ClipBlock(*this), SizeAccess(*this), static_cast<std::int32_t>(internalWinId()));
  QGuiApplication::clipboard()->setMimeData(MimeFromClipboardContents(contents));
}

void TCellGrid::ClipCut() {
  const TGridRect block = ClipBlock(*this);
  ClipCopy();
  ClipCutClear(*this, block);
}

void TCellGrid::ClipPaste() {
  int col = 0;
  int row = 0;
  ClipPasteCell(*this, col, row);
  ClipPasteAt(col, row);
}

int TCellGrid::ClipPasteAt(int col, int row) {
  const TClipboardContents contents = ClipboardContentsFromMime(QGuiApplication::clipboard()->mimeData());
  return ClipPasteContents(*this, col, row, contents, SizeAccess(*this));
}

std::string TCellGrid::ClipCellValue(int col, int row) { return grid::ClipCellValue(*this, col, row); }

}  // namespace orlex::grid
