#include "grid/transfer/core/GridClipboard.h"

#include <algorithm>

#include "grid/core/CellText.h"
#include "grid/html/HtmlMarkup.h"

namespace orlex::grid {

namespace {

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

template <class Visit>
void ForEachCell(const TGridRect& block, Visit visit) {
  for (int row = block.Top; row <= block.Bottom; ++row) {
    for (int col = block.Left; col <= block.Right; ++col) visit(col, row);
  }
}

}  // namespace

std::string ClipCellValue(TCellGridBase& grid, int col, int row) {
  std::string v = grid.CellText(col, row);
  if (v.empty()) {
    if (const TCellCheckBox* box = grid.CheckBoxAt(col, row)) {
      v = box->Checked ? grid.CheckTrue : grid.CheckFalse;
      const auto& event = box->Checked ? grid.OnGetCheckTrue : grid.OnGetCheckFalse;
      if (event) event(grid, col, row, v);
    }
  }
  if (v.starts_with("{\\")) v = RtfToPlainText(v);
  if (grid.OnSaveCell) grid.OnSaveCell(grid, col, row, v);
  return v;
}

std::string ClipboardText(TCellGridBase& grid, const TGridRect& block) {
  std::string text;
  const bool severalRows = block.Bottom > block.Top;
  for (int row = block.Top; row <= block.Bottom; ++row) {
    for (int col = block.Left; col <= block.Right; ++col) {
      std::string v = ClipCellValue(grid, col, row);
      // Tags and rich text go first: the plain text of either may hold line breaks, and those must
      // be quoted like any other, or the block would gain rows.
      if (!grid.Navigation.CopyHTMLTagsToClipboard && (Contains(v, "</") || Contains(v, "<B") || Contains(v, "<I"))) {
        v = StripHTMLText(v);
      } else if (Contains(v, "{\\")) {
        v = RtfToPlainText(v);
      }
      if (Contains(v, "\r")) {
        v.erase(std::remove(v.begin(), v.end(), '\r'), v.end());
        v = '"' + v + '"';
      }
      if (col > block.Left) text += '\t';
      text += v;
    }
    if (severalRows) text += "\r\n";
  }
  return text;
}

TGridRect ClipBlock(const TCellGridBase& grid) { return grid.Selection(); }

TClipboardContents ClipCopyContents(TCellGridBase& grid, const TGridRect& block, const TGridSizeAccess& sizes,
                                    std::int32_t gridId) {
  TClipboardContents contents;
  contents.Text = ClipboardText(grid, block);
  if (grid.Navigation.AllowRTFClipboard) {
    const std::string& topLeft = grid.CellText(block.Left, block.Top);
    if (Contains(topLeft, "{\\")) contents.RichText = topLeft;
  }
  if (grid.Navigation.AllowFmtClipboard) contents.Cells = WriteGridCells(grid, block, sizes, gridId);
  return contents;
}

void ClipCutClear(TCellGridBase& grid, const TGridRect& block) {
  ForEachCell(block, [&](int col, int row) {
    if (grid.IsCellEditable(col, row) || grid.Navigation.AllowClipboardAlways) grid.SetCells(col, row, "");
  });
  if (grid.Navigation.AllowFmtClipboard) {
    ForEachCell(block, [&](int col, int row) { grid.ClearCellProperties(col, row); });
  }
}

int ClipPasteContents(TCellGridBase& grid, int col, int row, const TClipboardContents& contents,
                      const TGridSizeAccess& sizes) {
  if (grid.Navigation.AllowFmtClipboard && contents.Cells) {
    // A block that is not exactly well formed is refused whole; the text beside it is not tried, so a
    // damaged copy never half-pastes.
    const std::optional<TGridCellsBlock> block = ReadGridCells(*contents.Cells);
    return block ? PasteGridCells(grid, col, row, *block, sizes) : 0;
  }
  if (grid.Navigation.AllowRTFClipboard && contents.RichText) {
    const std::string& rich = *contents.RichText;
    if (grid.IsCellEditable(col, row)) grid.SetCellFromPaste(col, row, rich.substr(0, rich.find('\0')));
    return 0;
  }
  if (contents.Text) return grid.PasteTextBlock(col, row, *contents.Text);
  return 0;
}

void ClipPasteCell(const TCellGridBase& grid, int& col, int& row) {
  const TGridRect selection = grid.Selection();
  col = (grid.Look().Options & goRowSelect) ? grid.FixedCols() : selection.Left;
  row = selection.Top;
}

}  // namespace orlex::grid
