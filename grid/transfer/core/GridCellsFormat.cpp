#include "grid/transfer/core/GridCellsFormat.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <span>

#include "grid/core/CellTextBlock.h"
#include "grid/transfer/core/PropertyRecords.h"
#include "platform/ole/ClipboardFormats.h"

namespace orlex::grid {

CLIPFORMAT GridCellsFormat() {
  static const CLIPFORMAT format = RegisterClipboardFormat(kGridCellsFormatName);
  return format;
}

namespace {

constexpr std::string_view kHeaderRecord = "TGridPropIO";
constexpr std::string_view kCellRecord = "TGridCellIO";
constexpr std::string_view kPropRecord = "TGridCellPropIO";

constexpr std::int64_t kColorMax = 0xFFFFFFFF;
constexpr int kSizeMax = 65535;  // a column width or row height in pixels

constexpr TFieldRule kHeaderRules[] = {
    {"ColCount", vtInt, 1, INT32_MAX},  {"RowCount", vtInt, 1, INT32_MAX}, {"ColWidths", vtString, 0, 0},
    {"RowHeights", vtString, 0, 0},    {"FullGrid", vtBool, 0, 1},        {"ID", vtInt, INT32_MIN, INT32_MAX},
};
constexpr TFieldRule kCellRules[] = {
    {"Col", vtWord, 0, 65535}, {"Row", vtWord, 0, 65535}, {"Cell", vtString, 0, 0}, {"HasProp", vtBool, 0, 1},
};
// Painting reads these values, so values no grid would hold are refused rather than drawn.
constexpr TFieldRule kPropRules[] = {
    {"CellObject", vtInt64, INT64_MIN, INT64_MAX},
    {"BrushStyle", vtInt, 0, 255},
    {"BrushColor", vtColor, 0, kColorMax},
    {"BrushColorTo", vtColor, 0, kColorMax},
    {"FontSize", vtInt, 0, 1000},
    {"FontColor", vtColor, 0, kColorMax},
    {"FontStyle", vtInt, 0, fsBold | fsItalic | fsUnderline | fsStrikeOut},
    {"CellSpanY", vtInt, -1, 65535},
    {"CellSpanX", vtInt, -1, 65535},
    {"BorderWidth", vtInt, 0, 1000},
    {"BorderColor", vtColor, 0, kColorMax},
    {"Alignment", vtInt, taLeftJustify, taCenter},
    {"VAlignment", vtInt, vtaTop, vtaBottom},
    {"WordWrap", vtBool, 0, 1},
    {"IsBaseCell", vtBool, 0, 1},
    {"CalcType", vtInt, 0, 255},
    {"NodeLevel", vtInt, INT32_MIN, INT32_MAX},
    {"Editor", vtInt, 0, 255},
    {"FontName", vtString, 0, 0},
    {"ReadOnly", vtBool, 0, 1},
    {"GradientDirection", vtInt, 0, 255},
    // Picture content is not carried: a record that announces some is refused.
    {"HasGraphic", vtBool, 0, 0},
};

std::string JoinSizes(int first, int last, const std::function<int(int)>& size) {
  std::string out;
  for (int i = first; i <= last; ++i) {
    if (i > first) out += ',';
    out += std::to_string(size ? size(i) : 0);
  }
  return out;
}

void WriteProps(TRecordWriter& w, const TCellPropValues& v) {
  const TCellPropValues d;
  w.Begin(kPropRecord);
  w.NumberIfSet("CellObject", vtInt64, v.CellObject, d.CellObject);
  w.NumberIfSet("BrushStyle", vtInt, v.BrushStyle, d.BrushStyle);
  w.NumberIfSet("BrushColor", vtColor, v.BrushColor, d.BrushColor);
  w.NumberIfSet("BrushColorTo", vtColor, v.BrushColorTo, d.BrushColorTo);
  w.NumberIfSet("FontSize", vtInt, v.FontSize, d.FontSize);
  w.NumberIfSet("FontColor", vtColor, v.FontColor, d.FontColor);
  w.NumberIfSet("FontStyle", vtInt, v.FontStyle, d.FontStyle);
  w.NumberIfSet("CellSpanY", vtInt, v.CellSpanY, d.CellSpanY);
  w.NumberIfSet("CellSpanX", vtInt, v.CellSpanX, d.CellSpanX);
  w.NumberIfSet("BorderWidth", vtInt, v.BorderWidth, d.BorderWidth);
  w.NumberIfSet("BorderColor", vtColor, v.BorderColor, d.BorderColor);
  w.NumberIfSet("Alignment", vtInt, v.Alignment, d.Alignment);
  w.NumberIfSet("VAlignment", vtInt, v.VAlignment, d.VAlignment);
  w.NumberIfSet("WordWrap", vtBool, v.WordWrap, d.WordWrap);
  w.NumberIfSet("IsBaseCell", vtBool, v.IsBaseCell, d.IsBaseCell);
  w.NumberIfSet("CalcType", vtInt, v.CalcType, d.CalcType);
  w.NumberIfSet("NodeLevel", vtInt, v.NodeLevel, d.NodeLevel);
  w.NumberIfSet("Editor", vtInt, v.Editor, d.Editor);
  w.TextIfSet("FontName", v.FontName);
  w.NumberIfSet("ReadOnly", vtBool, v.ReadOnly, d.ReadOnly);
  w.NumberIfSet("GradientDirection", vtInt, v.GradientDirection, d.GradientDirection);
  w.End();
}

std::span<const TFieldRule> RulesFor(std::string_view type) {
  if (type == kHeaderRecord) return kHeaderRules;
  if (type == kCellRecord) return kCellRules;
  if (type == kPropRecord) return kPropRules;
  return {};
}

// "12,0,64" into sizes; false for anything else than such a list (an empty text is an empty list).
bool ParseSizes(std::string_view text, std::vector<int>& sizes) {
  sizes.clear();
  if (text.empty()) return true;
  std::size_t pos = 0;
  while (true) {
    const std::size_t comma = text.find(',', pos);
    const std::string_view item = text.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
    int value = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (item.empty() || item[0] == '-' || error != std::errc{} || end != item.data() + item.size() || value > kSizeMax) {
      return false;
    }
    sizes.push_back(value);
    if (comma == std::string_view::npos) return true;
    pos = comma + 1;
  }
}

TCellPropValues PropsFrom(const TRecord& r) {
  TCellPropValues v;
  v.CellObject = r.Number("CellObject", v.CellObject);
  v.BrushStyle = static_cast<std::uint8_t>(r.Number("BrushStyle", v.BrushStyle));
  v.BrushColor = static_cast<TColor>(r.Number("BrushColor", v.BrushColor));
  v.BrushColorTo = static_cast<TColor>(r.Number("BrushColorTo", v.BrushColorTo));
  v.FontSize = static_cast<std::int32_t>(r.Number("FontSize", v.FontSize));
  v.FontColor = static_cast<TColor>(r.Number("FontColor", v.FontColor));
  v.FontStyle = static_cast<TFontStyles>(r.Number("FontStyle", v.FontStyle));
  v.CellSpanY = static_cast<std::int32_t>(r.Number("CellSpanY", v.CellSpanY));
  v.CellSpanX = static_cast<std::int32_t>(r.Number("CellSpanX", v.CellSpanX));
  v.BorderWidth = static_cast<std::int32_t>(r.Number("BorderWidth", v.BorderWidth));
  v.BorderColor = static_cast<TColor>(r.Number("BorderColor", v.BorderColor));
  v.Alignment = static_cast<TAlignment>(r.Number("Alignment", v.Alignment));
  v.VAlignment = static_cast<TVAlignment>(r.Number("VAlignment", v.VAlignment));
  v.WordWrap = r.Number("WordWrap", v.WordWrap) != 0;
  v.IsBaseCell = r.Number("IsBaseCell", v.IsBaseCell) != 0;
  v.CalcType = static_cast<std::uint8_t>(r.Number("CalcType", v.CalcType));
  v.NodeLevel = static_cast<std::int32_t>(r.Number("NodeLevel", v.NodeLevel));
  v.Editor = static_cast<std::uint8_t>(r.Number("Editor", v.Editor));
  v.FontName = std::string(r.Text("FontName"));
  v.ReadOnly = r.Number("ReadOnly", v.ReadOnly) != 0;
  v.GradientDirection = static_cast<std::uint8_t>(r.Number("GradientDirection", v.GradientDirection));
  return v;
}

}  // namespace

TCellPropValues TCellPropValues::Of(const TCellProperties& p) {
  TCellPropValues v;
  v.CellObject = p.CellObject;
  v.BrushStyle = p.BrushStyle;
  v.BrushColor = p.BrushColor();
  v.BrushColorTo = p.BrushColorTo();
  v.FontSize = p.FontSize;
  v.FontColor = p.FontColor;
  v.FontStyle = p.FontStyle;
  v.CellSpanY = p.CellSpanY;
  v.CellSpanX = p.CellSpanX;
  v.BorderWidth = p.BorderWidth;
  v.BorderColor = p.BorderColor;
  v.Alignment = p.Alignment;
  v.VAlignment = p.VAlignment();
  v.WordWrap = p.WordWrap();
  v.IsBaseCell = p.IsBaseCell;
  v.CalcType = p.CalcType;
  v.NodeLevel = p.NodeLevel;
  v.Editor = p.Editor;
  v.FontName = p.FontName;
  v.ReadOnly = p.ReadOnly;
  v.GradientDirection = p.GradientDirection;
  return v;
}

void TCellPropValues::ApplyTo(TCellProperties& p) const {
  p.CellObject = static_cast<std::intptr_t>(CellObject);
  p.BrushStyle = BrushStyle;
  p.SetBrushColor(BrushColor);
  p.SetBrushColorTo(BrushColorTo);
  p.FontSize = FontSize;
  p.FontColor = FontColor;
  p.FontStyle = FontStyle;
  p.CellSpanY = CellSpanY;
  p.CellSpanX = CellSpanX;
  p.BorderWidth = BorderWidth;
  p.BorderColor = BorderColor;
  p.Alignment = Alignment;
  p.SetVAlignment(VAlignment);
  p.SetWordWrap(WordWrap);
  p.IsBaseCell = IsBaseCell;
  p.CalcType = CalcType;
  p.NodeLevel = NodeLevel;
  p.Editor = Editor;
  p.FontName = FontName;
  p.ReadOnly = ReadOnly;
  p.GradientDirection = GradientDirection;
}

std::optional<std::string> WriteGridCells(const TCellGridBase& grid, const TGridRect& block,
                                          const TGridSizeAccess& sizes, std::int32_t id) {
  if (block.Left < 0 || block.Top < 0 || block.Right < block.Left || block.Bottom < block.Top ||
      block.Right > 65535 || block.Bottom > 65535) {
    return std::nullopt;
  }
  TRecordWriter w;
  w.Begin(kHeaderRecord);
  w.NumberIfSet("ColCount", vtInt, block.Right - block.Left + 1, 1);
  w.NumberIfSet("RowCount", vtInt, block.Bottom - block.Top + 1, 1);
  w.TextIfSet("ColWidths", JoinSizes(block.Left, block.Right, sizes.ColWidth));
  w.TextIfSet("RowHeights", JoinSizes(block.Top, block.Bottom, sizes.RowHeight));
  const bool fullGrid = block.Left == 0 && block.Top == 0 && block.Right == grid.ColCount() - 1 &&
                        block.Bottom == grid.RowCount() - 1;
  w.NumberIfSet("FullGrid", vtBool, fullGrid, 0);
  w.NumberIfSet("ID", vtInt, id, 0);
  w.End();
  for (int row = block.Top; row <= block.Bottom; ++row) {
    for (int col = block.Left; col <= block.Right; ++col) {
      const std::string& text = grid.CellText(col, row);
      const TCellProperties* props = grid.FindCellProperties(col, row);
      // The top-left cell is always written: a reader places every cell relative to the first one,
      // so the block keeps its shape when its first cells are empty.
      const bool topLeft = col == block.Left && row == block.Top;
      if (text.empty() && props == nullptr && !topLeft) continue;
      w.Begin(kCellRecord);
      w.NumberIfSet("Col", vtWord, col, 0);
      w.NumberIfSet("Row", vtWord, row, 0);
      w.TextIfSet("Cell", text);
      w.NumberIfSet("HasProp", vtBool, props != nullptr, 0);
      w.End();
      if (props) WriteProps(w, TCellPropValues::Of(*props));
    }
  }
  return w.Take();
}

std::optional<TGridCellsBlock> ReadGridCells(std::string_view bytes) {
  TRecordReader reader(bytes, RulesFor);
  const std::optional<TRecord> header = reader.Next();
  if (!header || header->Type != kHeaderRecord) return std::nullopt;
  TGridCellsBlock block;
  block.ColCount = static_cast<std::int32_t>(header->Number("ColCount", 1));
  block.RowCount = static_cast<std::int32_t>(header->Number("RowCount", 1));
  block.FullGrid = header->Number("FullGrid", 0) != 0;
  block.ID = static_cast<std::int32_t>(header->Number("ID", 0));
  if (!ParseSizes(header->Text("ColWidths"), block.ColWidths) ||
      !ParseSizes(header->Text("RowHeights"), block.RowHeights) ||
      block.ColWidths.size() > static_cast<std::size_t>(block.ColCount) ||
      block.RowHeights.size() > static_cast<std::size_t>(block.RowCount)) {
    return std::nullopt;
  }

  while (!reader.AtEnd()) {
    const std::optional<TRecord> cell = reader.Next();
    if (!cell || cell->Type != kCellRecord) return std::nullopt;
    TGridCellRecord record;
    record.Col = static_cast<std::uint16_t>(cell->Number("Col", 0));
    record.Row = static_cast<std::uint16_t>(cell->Number("Row", 0));
    record.Cell = std::string(cell->Text("Cell"));
    if (cell->Number("HasProp", 0) != 0) {
      const std::optional<TRecord> props = reader.Next();
      if (!props || props->Type != kPropRecord) return std::nullopt;
      record.Props = PropsFrom(*props);
    }
    // Every cell lies inside the block: counted from the first cell, or from the grid's origin for a
    // whole-grid block.
    std::int64_t dc = record.Col;
    std::int64_t dr = record.Row;
    if (!block.FullGrid) {
      const TGridCellRecord& first = block.Cells.empty() ? record : block.Cells.front();
      dc -= first.Col;
      dr -= first.Row;
    }
    if (dc < 0 || dr < 0 || dc >= block.ColCount || dr >= block.RowCount) return std::nullopt;
    block.Cells.push_back(std::move(record));
  }
  return block;
}

int PasteGridCells(TCellGridBase& grid, int col, int row, const TGridCellsBlock& block, const TGridSizeAccess& sizes) {
  if (col < 0 || row < 0 || !grid.TakesPastes()) return 0;
  std::int64_t cols = grid.ColCount();
  std::int64_t rows = grid.RowCount();
  if (block.FullGrid) {
    cols = block.ColCount;
    rows = block.RowCount;
  } else {
    if (grid.Navigation.AllowClipboardColGrow) cols = std::max<std::int64_t>(cols, std::int64_t{col} + block.ColCount);
    if (grid.Navigation.AllowClipboardRowGrow) rows = std::max<std::int64_t>(rows, std::int64_t{row} + block.RowCount);
  }
  if (!grid.PasteGrowthAllowed(cols, rows)) return 0;

  if (block.FullGrid) {
    for (int r = 0; r < grid.RowCount(); ++r) {
      for (int c = 0; c < grid.ColCount(); ++c) {
        grid.SetCells(c, r, "");
        grid.ClearCellProperties(c, r);
      }
    }
  }
  if (cols != grid.ColCount()) grid.SetColCount(static_cast<int>(cols));
  if (rows != grid.RowCount()) grid.SetRowCount(static_cast<int>(rows));
  if (block.FullGrid) {
    const auto count = [](std::size_t n, int limit) { return static_cast<int>(std::min<std::size_t>(n, limit)); };
    if (sizes.SetColWidth) {
      for (int c = 0; c < count(block.ColWidths.size(), grid.ColCount()); ++c) sizes.SetColWidth(c, block.ColWidths[c]);
    }
    if (sizes.SetRowHeight) {
      for (int r = 0; r < count(block.RowHeights.size(), grid.RowCount()); ++r) sizes.SetRowHeight(r, block.RowHeights[r]);
    }
  }

  const std::int64_t col0 = block.FullGrid || block.Cells.empty() ? 0 : block.Cells.front().Col;
  const std::int64_t row0 = block.FullGrid || block.Cells.empty() ? 0 : block.Cells.front().Row;
  const std::int64_t atCol = block.FullGrid ? 0 : col;
  const std::int64_t atRow = block.FullGrid ? 0 : row;
  for (const TGridCellRecord& record : block.Cells) {
    const std::int64_t c64 = record.Col - col0 + atCol;
    const std::int64_t r64 = record.Row - row0 + atRow;
    if (c64 > INT_MAX || r64 > INT_MAX) continue;
    const int c = static_cast<int>(c64);
    const int r = static_cast<int>(r64);
    if (!grid.IsCellEditable(c, r) && !grid.Navigation.AllowClipboardAlways) continue;
    grid.SetCells(c, r, record.Cell);
    if (record.Props) record.Props->ApplyTo(*grid.GetCellProperties(c, r));
  }
  return static_cast<int>(std::min<std::int64_t>(std::int64_t{block.ColCount} * block.RowCount, INT_MAX));
}

}  // namespace orlex::grid
