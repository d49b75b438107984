#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "grid/core/CellGridBase.h"
#include "grid/core/GridColor.h"
#include "grid/core/GridTypes.h"

namespace orlex::grid {

// How one cell looks: shared by painting, by measuring and by the cell store's creation snapshot, so
// the three can never disagree. Everything here is pure: it reads the grid and its records, never
// writes them.

// The kind of a cell text; painting and measuring use the same test.
enum CellTextKind : std::uint8_t { ctkPlain = 0, ctkHTML = 1, ctkRTF = 2, ctkFormula = 3, ctkWide = 5 };

// Tests, in this order: empty -> plain; first character "=" -> formula; leading "|\" -> wide text
// (UTF-16, high byte first; a wide text whose first code unit is "=" followed by a NUL byte is a
// formula); leading "{\" -> rich text; with HTML enabled, "</", "<B" or "<I" anywhere (case as
// written: "<b>" alone is plain, "<BR>" is HTML) -> HTML; otherwise plain.
CellTextKind ClassifyCellText(const std::string& text, bool enableHTML);

// Cells painted as fixed: rows below FixedRows, columns below FixedCols, the last FixedFooters rows,
// the last FixedRightCols columns, and cells the OnIsFixedCell hook declares fixed.
bool CellCountsAsFixed(const TCellGridBase& grid, int col, int row);

// (horizontal, vertical): the record's Alignment (left without a record) and the grid's VAlignment,
// then OnGetAlignment.
std::pair<TAlignment, TVAlignment> ResolveCellAlignment(const TCellGridBase& grid, int col, int row);

// The resolved font, brush and text settings of one cell.
struct TCellStyle {
  TFontDesc Font;
  TColor BrushColor = clNone;
  TColor GradientTo = clNone;
  TColor MirrorColor = clNone;
  TColor MirrorTo = clNone;
  std::uint8_t GradientDirection = 0;
  bool WordWrap = true;
  TAlignment Alignment = taLeftJustify;
  TVAlignment VAlignment = vtaTop;
};

// The look of cell (col, row):
//  1. font: FixedFont in a fixed column or row, else Font;
//  2. brush and gradient colours: none yet;
//  3. the cell's record overrides brush, font colour, style, size and name where set, and supplies
//     word wrap, gradient-to colour and gradient direction (a cell without a record keeps the
//     grid's WordWrap);
//  4. an already selected state clears the gradient direction;
//  5. a brush still unset becomes Color, or FixedColor for fixed, right-fixed and footer cells;
//  6. cells counting as fixed take FixedColor and a full copy of FixedFont and gain gdFixed;
//  7. the active-cell look (when ActiveCellShow), then the record's brush and font again (fixed
//     cells included), then OnGetCellColor;
//  8. with applySelection and ShowSelection, a non-fixed cell inside the selection rectangle takes
//     the selection colours (text colour unless clNone) and gains gdSelected;
//  9. OnGetWordWrap, then ResolveCellAlignment.
// `state` is read and extended (gdFixed, gdSelected).
TCellStyle ResolveCellStyle(const TCellGridBase& grid, int col, int row, bool applySelection,
                            TGridDrawState& state);

// The same computation with an explicit record (nullptr = as if the cell had none); the store uses
// it to fill a new record with the look the cell had before the record existed.
TCellStyle ResolveCellStyleWith(const TCellGridBase& grid, int col, int row, const TCellProperties* record,
                                bool applySelection, TGridDrawState& state);

// The same in two halves, for a painter that needs the cell's look both with and without the
// selection: every step but 8, telling whether the cell counts as fixed; then step 8.
TCellStyle ResolveUnselectedCellStyle(const TCellGridBase& grid, int col, int row, const TCellProperties* record,
                                      TGridDrawState& state, bool& fixed);
void ApplySelectionLook(const TCellGridBase& grid, int col, int row, bool fixed, TCellStyle& style,
                        TGridDrawState& state);

}  // namespace orlex::grid
