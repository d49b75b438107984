#pragma once

// What copy, cut and paste do to a grid's cells, apart from the clipboard itself: the copied text of
// a block, the formats a copy offers, clearing after a cut, and a paste of the best format offered.
// The widget moves the contents to and from the desktop's clipboard (grid/transfer/GridClipboard.cpp).

#include <cstdint>
#include <optional>
#include <string>

#include "grid/core/CellGridBase.h"
#include "grid/transfer/core/GridCellsFormat.h"

namespace orlex::grid {

// The formats of one copy, or what a paste finds on the clipboard.
struct TClipboardContents {
  std::optional<std::string> Text;      // plain text: the cell text block
  std::optional<std::string> RichText;  // "Rich Text Format", without its NUL
  std::optional<std::string> Cells;     // the grid's own format, "TCellGrid Cells"
};

// The text a cell contributes to copied text: its text; a check-box cell without text gives CheckTrue
// or CheckFalse (through OnGetCheckTrue / OnGetCheckFalse); rich text gives its plain text; HTML stays;
// OnSaveCell has the last word.
std::string ClipCellValue(TCellGridBase& grid, int col, int row);

// The copied text of a block: cells joined by TAB, a value holding a CR quoted with its CRs dropped
// (LF stays), HTML tags dropped unless CopyHTMLTagsToClipboard; with more than one row every row ends
// with CR LF, the last one too.
std::string ClipboardText(TCellGridBase& grid, const TGridRect& block);

// The block a copy or cut takes: the selection.
TGridRect ClipBlock(const TCellGridBase& grid);

// Everything a copy of the block puts on the clipboard, as the Navigation settings ask.
TClipboardContents ClipCopyContents(TCellGridBase& grid, const TGridRect& block, const TGridSizeAccess& sizes,
                                    std::int32_t gridId);

// The clearing after a cut's copy: the text of every cell of the block that is editable (every cell
// with AllowClipboardAlways); the records of the block too with AllowFmtClipboard.
void ClipCutClear(TCellGridBase& grid, const TGridRect& block);

// Pastes the best of the offered formats at a cell (own format, rich text, plain text, as the
// settings allow) and returns the number of cells visited; 0 and nothing changed when none fits or
// the own format's block is refused.
int ClipPasteContents(TCellGridBase& grid, int col, int row, const TClipboardContents& contents,
                      const TGridSizeAccess& sizes);

// Where a paste of the selection starts: its left column (the first scrollable one under whole-row
// selection) and its top row.
void ClipPasteCell(const TCellGridBase& grid, int& col, int& row);

}  // namespace orlex::grid
