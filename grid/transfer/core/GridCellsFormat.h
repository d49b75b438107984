#pragma once

// The grid's own clipboard format "TCellGrid Cells": a block of cells with their texts and property
// records, as a sequence of self-describing records (docs/Transfer.md gives the byte layout). The
// writer turns a block of a grid into bytes; the reader checks bytes from any application completely
// before anything is written, so a damaged or unknown block leaves the grid as it was.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/core/CellGridBase.h"
#include "grid/core/GridColor.h"
#include "grid/core/GridTypes.h"
#include "platform/ole/OleTypes.h"

namespace orlex::grid {

inline constexpr const char* kGridCellsFormatName = "TCellGrid Cells";

// The registered identifier of the own format (registered on first use, process-wide).
CLIPFORMAT GridCellsFormat();

// Every stored field of a property record, detached from any grid; the defaults are a new record's.
struct TCellPropValues {
  std::int64_t CellObject = 0;
  std::uint8_t BrushStyle = 0;
  TColor BrushColor = clNone;
  TColor BrushColorTo = clNone;
  std::int32_t FontSize = 0;
  TColor FontColor = clNone;
  TFontStyles FontStyle = 0;
  std::int32_t CellSpanY = -1;
  std::int32_t CellSpanX = -1;
  std::int32_t BorderWidth = 0;
  TColor BorderColor = 0;
  TAlignment Alignment = taLeftJustify;
  TVAlignment VAlignment = vtaTop;
  bool WordWrap = false;
  bool IsBaseCell = true;
  std::uint8_t CalcType = 0;
  std::int32_t NodeLevel = 0;
  std::uint8_t Editor = 0;
  std::string FontName;
  bool ReadOnly = false;
  std::uint8_t GradientDirection = 0;

  static TCellPropValues Of(const TCellProperties& props);
  // Sets every field of a record (through the repainting setters where the record has them).
  void ApplyTo(TCellProperties& props) const;
  friend bool operator==(const TCellPropValues&, const TCellPropValues&) = default;
};

// One cell of a block: its own position in the grid that wrote it, its text, and its record if any.
struct TGridCellRecord {
  std::uint16_t Col = 0;
  std::uint16_t Row = 0;
  std::string Cell;
  std::optional<TCellPropValues> Props;
};

// A block as the reader found it.
struct TGridCellsBlock {
  std::int32_t ColCount = 1;
  std::int32_t RowCount = 1;
  std::vector<int> ColWidths;   // pixels, one per column of the block
  std::vector<int> RowHeights;  // pixels, one per row
  bool FullGrid = false;
  std::int32_t ID = 0;          // the window of the grid that wrote it
  std::vector<TGridCellRecord> Cells;
};

// Pixel sizes of the grid's columns and rows: read when writing, set when a whole-grid block is
// pasted. The window-free grid has none; the widget supplies its own.
struct TGridSizeAccess {
  std::function<int(int col)> ColWidth;
  std::function<int(int row)> RowHeight;
  std::function<void(int col, int width)> SetColWidth;
  std::function<void(int row, int height)> SetRowHeight;
};

// The records of a block of the grid (cells with a text or a record, row by row). Nothing when the
// block reaches beyond what a record can address (column or row 65535).
std::optional<std::string> WriteGridCells(const TCellGridBase& grid, const TGridRect& block,
                                          const TGridSizeAccess& sizes, std::int32_t id);

// The block in the bytes, or nothing when they are not exactly a well-formed block: an unknown record
// or property, a value of the wrong type or out of range, a cell outside the block's counts, data cut
// short or left over. Never reads past the bytes.
std::optional<TGridCellsBlock> ReadGridCells(std::string_view bytes);

// Pastes a block at (col, row) and returns the header's ColCount x RowCount (at most INT_MAX), or 0
// with the grid untouched when the grid takes no pastes (as PasteTextBlock decides), or when the growth
// the block asks for would add more than kPasteGrowthLimit cells.
int PasteGridCells(TCellGridBase& grid, int col, int row, const TGridCellsBlock& block,
                   const TGridSizeAccess& sizes);

}  // namespace orlex::grid
