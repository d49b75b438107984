#include "grid/core/CellStyle.h"

#include <string_view>

namespace orlex::grid {

CellTextKind ClassifyCellText(const std::string& text, bool enableHTML) {
  if (text.empty()) return ctkPlain;
  if (text[0] == '=') return ctkFormula;
  if (text.size() >= 2 && text[0] == '|' && text[1] == '\\') {
    // The first code unit after the marker is bytes 2 and 3; "=" there followed by a NUL byte is a
    // wide formula.
    if (text.size() >= 5 && text[3] == '=' && text[4] == '\0') return ctkFormula;
    return ctkWide;
  }
  if (text.size() >= 2 && text[0] == '{' && text[1] == '\\') return ctkRTF;
  if (enableHTML) {
    const std::string_view t(text);
    if (t.find("</") != std::string_view::npos || t.find("<B") != std::string_view::npos ||
        t.find("<I") != std::string_view::npos)
      return ctkHTML;
  }
  return ctkPlain;
}

namespace {

bool InFixedColOrRow(const TCellGridBase& grid, int col, int row) {
  return col < grid.FixedCols() || row < grid.FixedRows();
}

bool InFooterOrRightFixed(const TCellGridBase& grid, int col, int row) {
  return (grid.Look().FixedFooters > 0 && row >= grid.RowCount() - grid.Look().FixedFooters) ||
         (grid.Look().FixedRightCols > 0 && col >= grid.ColCount() - grid.Look().FixedRightCols);
}

// The record's font settings that are set (steps 3 and 7).
void ApplyRecordFont(const TCellProperties& record, TFontDesc& font) {
  if (record.FontColor != clNone) font.Color = record.FontColor;
  if (record.FontStyle != 0) font.Style = record.FontStyle;
  if (record.FontSize != 0) font.Size = record.FontSize;
  if (!record.FontName.empty()) font.Name = record.FontName;
}

std::pair<TAlignment, TVAlignment> AlignmentWith(const TCellGridBase& grid, int col, int row,
                                                 const TCellProperties* record) {
  TAlignment horizontal = record ? record->Alignment : taLeftJustify;
  TVAlignment vertical = grid.Look().VAlignment;
  if (grid.OnGetAlignment) grid.OnGetAlignment(grid, row, col, horizontal, vertical);
  return {horizontal, vertical};
}

}  // namespace

bool CellCountsAsFixed(const TCellGridBase& grid, int col, int row) {
  bool fixed = InFixedColOrRow(grid, col, row) || InFooterOrRightFixed(grid, col, row);
  if (grid.OnIsFixedCell) grid.OnIsFixedCell(grid, row, col, fixed);
  return fixed;
}

std::pair<TAlignment, TVAlignment> ResolveCellAlignment(const TCellGridBase& grid, int col, int row) {
  return AlignmentWith(grid, col, row, grid.FindCellProperties(col, row));
}

TCellStyle ResolveCellStyle(const TCellGridBase& grid, int col, int row, bool applySelection,
                            TGridDrawState& state) {
  return ResolveCellStyleWith(grid, col, row, grid.FindCellProperties(col, row), applySelection, state);
}

TCellStyle ResolveCellStyleWith(const TCellGridBase& grid, int col, int row, const TCellProperties* record,
                                bool applySelection, TGridDrawState& state) {
  bool fixed = false;
  TCellStyle s = ResolveUnselectedCellStyle(grid, col, row, record, state, fixed);
  if (applySelection) ApplySelectionLook(grid, col, row, fixed, s, state);
  return s;
}

TCellStyle ResolveUnselectedCellStyle(const TCellGridBase& grid, int col, int row, const TCellProperties* record,
                                      TGridDrawState& state, bool& fixed) {
  TCellStyle s;
  // 1, 2.
  const bool fixedByCount = InFixedColOrRow(grid, col, row);
  s.Font = fixedByCount ? grid.Look().FixedFont : grid.Look().Font;
  s.WordWrap = grid.Look().WordWrap;
  // 3.
  if (record) {
    if (record->BrushColor() != clNone) s.BrushColor = record->BrushColor();
    ApplyRecordFont(*record, s.Font);
    s.WordWrap = record->WordWrap();
    s.GradientTo = record->BrushColorTo();
    s.GradientDirection = record->GradientDirection;
  }
  // 4.
  if (state & gdSelected) s.GradientDirection = 0;
  // 5.
  if (s.BrushColor == clNone) {
    s.BrushColor = grid.Look().Color;
    if (fixedByCount || InFooterOrRightFixed(grid, col, row)) s.BrushColor = grid.Look().FixedColor;
  }
  // 6.
  fixed = CellCountsAsFixed(grid, col, row) || fixedByCount;
  if (fixed) {
    s.BrushColor = grid.Look().FixedColor;
    s.Font = grid.Look().FixedFont;
    state |= gdFixed;
  }
  // 7.
  if (grid.Look().ActiveCellShow) {
    const bool rowHeader = grid.FixedCols() > 0 && col == 0 && row == grid.Row();
    const bool colHeader = grid.FixedRows() > 0 && row == 0 && col == grid.Col();
    if (rowHeader || colHeader) {
      s.Font = grid.Look().ActiveCellFont;
      s.BrushColor = grid.Look().ActiveCellColor;
    }
  }
  if (record) {
    if (record->BrushColor() != clNone) s.BrushColor = record->BrushColor();
    ApplyRecordFont(*record, s.Font);
  }
  if (grid.OnGetCellColor) grid.OnGetCellColor(grid, row, col, state, s.Font, s.BrushColor);
  // 9 (nothing in it depends on the selection).
  if (grid.OnGetWordWrap) grid.OnGetWordWrap(grid, col, row, s.WordWrap);
  const auto [horizontal, vertical] = AlignmentWith(grid, col, row, record);
  s.Alignment = horizontal;
  s.VAlignment = vertical;
  return s;
}

void ApplySelectionLook(const TCellGridBase& grid, int col, int row, bool fixed, TCellStyle& s,
                        TGridDrawState& state) {
  // 8.
  if (grid.Look().ShowSelection && !fixed && grid.Selection().Contains(col, row)) {
    s.BrushColor = grid.Look().SelectionColor;
    s.GradientTo = grid.Look().SelectionColorTo;
    s.MirrorColor = grid.Look().SelectionMirrorColor;
    s.MirrorTo = grid.Look().SelectionMirrorColorTo;
    if (grid.Look().SelectionTextColor != clNone) s.Font.Color = grid.Look().SelectionTextColor;
    state |= gdSelected;
  }
}

}  // namespace orlex::grid
