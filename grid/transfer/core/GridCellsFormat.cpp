#include "grid/transfer/core/GridCellsFormat.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <span>

#include "grid/core/CellTextBlock.h"
#include "platform/ole/ClipboardFormats.h"

namespace orlex::grid {

CLIPFORMAT GridCellsFormat() {
  static const CLIPFORMAT format = RegisterClipboardFormat(kGridCellsFormatName);
  return format;
}

namespace {

// Value types of a property, as their tag byte says.
enum TValueType : char {
  vtBool = 'b',    // 1 byte, 0 or 1
  vtWord = 'w',    // 16-bit unsigned
  vtInt = 'i',     // 32-bit signed
  vtColor = 'u',   // 32-bit unsigned
  vtInt64 = 'q',   // 64-bit signed
  vtString = 's',  // 32-bit byte count, then the bytes
};

// What a record may hold: each property's name, type and the range its value must lie in.
struct TFieldRule {
  std::string_view Name;
  TValueType Type;
  std::int64_t Min;
  std::int64_t Max;
};

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

// ---- Writing ----

class TRecordWriter {
 public:
  void Begin(std::string_view type) { Name(type); }
  void Number(std::string_view name, TValueType type, std::int64_t value) {
    Name(name);
    out_ += static_cast<char>(type);
    const int bytes = type == vtBool ? 1 : type == vtWord ? 2 : type == vtInt64 ? 8 : 4;
    const auto u = static_cast<std::uint64_t>(value);
    for (int i = 0; i < bytes; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
  }
  void Text(std::string_view name, std::string_view value) {
    Name(name);
    out_ += static_cast<char>(vtString);
    const auto n = static_cast<std::uint32_t>(value.size());
    for (int i = 0; i < 4; ++i) out_ += static_cast<char>((n >> (8 * i)) & 0xFF);
    out_ += value;
  }
  void End() { out_ += '\0'; }
  std::string Take() { return std::move(out_); }

 private:
  void Name(std::string_view name) {
    out_ += static_cast<char>(name.size());
    out_ += name;
  }
  std::string out_;
};

// Writes a field only when it differs from its default.
void NumberIfSet(TRecordWriter& w, std::string_view name, TValueType type, std::int64_t value, std::int64_t byDefault) {
  if (value != byDefault) w.Number(name, type, value);
}
void TextIfSet(TRecordWriter& w, std::string_view name, std::string_view value) {
  if (!value.empty()) w.Text(name, value);
}

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
  NumberIfSet(w, "CellObject", vtInt64, v.CellObject, d.CellObject);
  NumberIfSet(w, "BrushStyle", vtInt, v.BrushStyle, d.BrushStyle);
  NumberIfSet(w, "BrushColor", vtColor, v.BrushColor, d.BrushColor);
  NumberIfSet(w, "BrushColorTo", vtColor, v.BrushColorTo, d.BrushColorTo);
  NumberIfSet(w, "FontSize", vtInt, v.FontSize, d.FontSize);
  NumberIfSet(w, "FontColor", vtColor, v.FontColor, d.FontColor);
  NumberIfSet(w, "FontStyle", vtInt, v.FontStyle, d.FontStyle);
  NumberIfSet(w, "CellSpanY", vtInt, v.CellSpanY, d.CellSpanY);
  NumberIfSet(w, "CellSpanX", vtInt, v.CellSpanX, d.CellSpanX);
  NumberIfSet(w, "BorderWidth", vtInt, v.BorderWidth, d.BorderWidth);
  NumberIfSet(w, "BorderColor", vtColor, v.BorderColor, d.BorderColor);
  NumberIfSet(w, "Alignment", vtInt, v.Alignment, d.Alignment);
  NumberIfSet(w, "VAlignment", vtInt, v.VAlignment, d.VAlignment);
  NumberIfSet(w, "WordWrap", vtBool, v.WordWrap, d.WordWrap);
  NumberIfSet(w, "IsBaseCell", vtBool, v.IsBaseCell, d.IsBaseCell);
  NumberIfSet(w, "CalcType", vtInt, v.CalcType, d.CalcType);
  NumberIfSet(w, "NodeLevel", vtInt, v.NodeLevel, d.NodeLevel);
  NumberIfSet(w, "Editor", vtInt, v.Editor, d.Editor);
  TextIfSet(w, "FontName", v.FontName);
  NumberIfSet(w, "ReadOnly", vtBool, v.ReadOnly, d.ReadOnly);
  NumberIfSet(w, "GradientDirection", vtInt, v.GradientDirection, d.GradientDirection);
  w.End();
}

// ---- Reading ----

struct TValue {
  TValueType Type = vtBool;
  std::int64_t Number = 0;
  std::string_view Text;
};

// One record as read: its type and its properties in the order they came.
struct TRecord {
  std::string_view Type;
  std::vector<std::pair<std::string_view, TValue>> Props;

  // The value of a property, or nullptr when the record does not carry it (it has its default).
  const TValue* Find(std::string_view name) const {
    for (const auto& [n, v] : Props) {
      if (n == name) return &v;
    }
    return nullptr;
  }
  std::int64_t Number(std::string_view name, std::int64_t byDefault) const {
    const TValue* v = Find(name);
    return v ? v->Number : byDefault;
  }
  std::string_view Text(std::string_view name) const {
    const TValue* v = Find(name);
    return v ? v->Text : std::string_view{};
  }
};

// Reads from a byte range and never past it: every read checks what is left first.
class TRecordReader {
 public:
  explicit TRecordReader(std::string_view bytes) : rest_(bytes) {}
  bool AtEnd() const { return rest_.empty(); }

  // The next record, checked against its rules; nothing when it is damaged or of an unknown type.
  std::optional<TRecord> Next() {
    TRecord record;
    if (!ReadName(record.Type) || record.Type.empty()) return std::nullopt;
    const std::span<const TFieldRule> rules = RulesFor(record.Type);
    if (rules.empty()) return std::nullopt;
    while (true) {
      std::string_view name;
      if (!ReadName(name)) return std::nullopt;
      if (name.empty()) return record;
      const auto rule = std::find_if(rules.begin(), rules.end(), [&](const TFieldRule& r) { return r.Name == name; });
      if (rule == rules.end() || record.Find(name) != nullptr) return std::nullopt;
      TValue value;
      if (!ReadValue(value) || value.Type != rule->Type) return std::nullopt;
      if (value.Type != vtString && (value.Number < rule->Min || value.Number > rule->Max)) return std::nullopt;
      record.Props.emplace_back(name, value);
    }
  }

 private:
  static std::span<const TFieldRule> RulesFor(std::string_view type) {
    if (type == kHeaderRecord) return kHeaderRules;
    if (type == kCellRecord) return kCellRules;
    if (type == kPropRecord) return kPropRules;
    return {};
  }
  bool Take(std::size_t n, std::string_view& out) {
    if (rest_.size() < n) return false;
    out = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return true;
  }
  bool ReadUnsigned(int bytes, std::uint64_t& value) {
    std::string_view raw;
    if (!Take(static_cast<std::size_t>(bytes), raw)) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint64_t{static_cast<unsigned char>(raw[i])} << (8 * i);
    return true;
  }
  bool ReadName(std::string_view& name) {
    std::uint64_t length = 0;
    return ReadUnsigned(1, length) && Take(length, name);
  }
  bool ReadValue(TValue& value) {
    std::uint64_t tag = 0;
    if (!ReadUnsigned(1, tag)) return false;
    value.Type = static_cast<TValueType>(tag);
    std::uint64_t raw = 0;
    switch (value.Type) {
      case vtBool:
        if (!ReadUnsigned(1, raw)) return false;
        value.Number = static_cast<std::int64_t>(raw);
        return true;
      case vtWord:
        if (!ReadUnsigned(2, raw)) return false;
        value.Number = static_cast<std::int64_t>(raw);
        return true;
      case vtColor:
        if (!ReadUnsigned(4, raw)) return false;
        value.Number = static_cast<std::int64_t>(raw);
        return true;
      case vtInt:
        if (!ReadUnsigned(4, raw)) return false;
        value.Number = static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
        return true;
      case vtInt64:
        if (!ReadUnsigned(8, raw)) return false;
        value.Number = static_cast<std::int64_t>(raw);
        return true;
      case vtString:
        return ReadUnsigned(4, raw) && Take(raw, value.Text);
    }
    return false;
  }

  std::string_view rest_;
};

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
  NumberIfSet(w, "ColCount", vtInt, block.Right - block.Left + 1, 1);
  NumberIfSet(w, "RowCount", vtInt, block.Bottom - block.Top + 1, 1);
  TextIfSet(w, "ColWidths", JoinSizes(block.Left, block.Right, sizes.ColWidth));
  TextIfSet(w, "RowHeights", JoinSizes(block.Top, block.Bottom, sizes.RowHeight));
  const bool fullGrid = block.Left == 0 && block.Top == 0 && block.Right == grid.ColCount() - 1 &&
                        block.Bottom == grid.RowCount() - 1;
  NumberIfSet(w, "FullGrid", vtBool, fullGrid, 0);
  NumberIfSet(w, "ID", vtInt, id, 0);
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
      NumberIfSet(w, "Col", vtWord, col, 0);
      NumberIfSet(w, "Row", vtWord, row, 0);
      TextIfSet(w, "Cell", text);
      NumberIfSet(w, "HasProp", vtBool, props != nullptr, 0);
      w.End();
      if (props) WriteProps(w, TCellPropValues::Of(*props));
    }
  }
  return w.Take();
}

std::optional<TGridCellsBlock> ReadGridCells(std::string_view bytes) {
  TRecordReader reader(bytes);
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
  if (col < 0 || row < 0) return 0;
  if (!(grid.Options & goEditing) && !grid.Navigation.AllowClipboardAlways && !grid.MouseActions.RangeSelectAndEdit) {
    return 0;
  }
  std::int64_t cols = grid.ColCount();
  std::int64_t rows = grid.RowCount();
  if (block.FullGrid) {
    cols = block.ColCount;
    rows = block.RowCount;
  } else {
    if (grid.Navigation.AllowClipboardColGrow) cols = std::max<std::int64_t>(cols, std::int64_t{col} + block.ColCount);
    if (grid.Navigation.AllowClipboardRowGrow) rows = std::max<std::int64_t>(rows, std::int64_t{row} + block.RowCount);
  }
  const std::int64_t before = std::int64_t{grid.ColCount()} * grid.RowCount();
  if (cols > INT_MAX || rows > INT_MAX || cols * rows - before > kPasteGrowthLimit) return 0;

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
