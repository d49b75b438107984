#include "grid/core/CellTextBlock.h"

#include <algorithm>
#include <climits>

#include "grid/core/CellGridBase.h"
#include "grid/core/CellText.h"

namespace orlex::grid {

TTextBlockSize TextBlockSize(std::string_view text) {
  std::int64_t columns = 1;
  std::int64_t extraRows = 0;
  std::size_t pos = 0;
  while (true) {
    const std::size_t cr = text.find('\r', pos);
    const std::string_view line = text.substr(pos, cr == std::string_view::npos ? std::string_view::npos : cr - pos);
    if (line.empty()) --extraRows;
    columns = std::max<std::int64_t>(columns, std::count(line.begin(), line.end(), '\t') + 1);
    if (cr == std::string_view::npos) break;
    ++extraRows;
    pos = cr + 1;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return {static_cast<int>(std::min<std::int64_t>(columns, INT_MAX)),
          static_cast<int>(std::clamp<std::int64_t>(extraRows, INT_MIN, INT_MAX))};
}

namespace {

// A pasted value that spans lines comes quoted, with its line breaks as LF (and vertical tabs for
// CR LF): the quotes go, the vertical tabs become CR LF again.
std::string UnquotedValue(std::string_view field) {
  std::string v(field);
  if (v.find('\n') == std::string::npos) return v;
  if (!v.empty() && v.front() == '"') v.erase(0, 1);
  if (const std::size_t quote = v.find('"'); quote != std::string::npos && quote + 1 == v.size()) v.pop_back();
  std::string out;
  out.reserve(v.size());
  for (char c : v) {
    if (c == '\v') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string EncodeWideCellText(const std::u16string& text) {
  std::string out = "|\\";
  for (char16_t c : text) {
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

// The walk of a paste over the text: lines at CR (with a following LF), fields at TAB. The grid's
// counts are read and grown through the callbacks, so that a dry run can measure the growth first.
struct TPasteWalk {
  std::int64_t colCount;
  std::int64_t rowCount;
  bool colGrow;
  bool rowGrow;
  std::int64_t count = 0;
  std::int64_t cmax = 0;
  std::int64_t lastRow = 0;

  // cell(col, row, value) for every field that is written (not the empty last field of the text);
  // grew() after the counts have grown.
  template <class Cell, class Grew>
  void Run(std::int64_t col, std::int64_t row, std::string_view text, Cell cell, Grew grew) {
    const std::int64_t c0 = col;
    cmax = col;
    std::size_t pos = 0;
    while (true) {
      lastRow = row;
      const std::size_t cr = text.find('\r', pos);
      const bool lastLine = cr == std::string_view::npos;
      std::string_view line = text.substr(pos, lastLine ? std::string_view::npos : cr - pos);
      while (true) {
        const std::size_t tab = line.find('\t');
        const std::string_view field = line.substr(0, tab);
        const bool lastField = tab == std::string_view::npos;
        if (!(lastField && lastLine && field.empty())) cell(col, row, field);
        ++count;
        ++col;
        if (col > colCount && colGrow) {
          colCount = col;
          grew();
        }
        cmax = std::max(cmax, col);
        if (lastField) break;
        line.remove_prefix(tab + 1);
      }
      if (lastLine) break;
      pos = cr + 1;
      if (pos < text.size() && text[pos] == '\n') ++pos;
      col = c0;
      const bool remains = pos < text.size();
      if (remains) ++row;
      if (rowCount == row && remains && rowGrow) {
        ++rowCount;
        grew();
      }
    }
  }
};

}  // namespace

std::string TCellGridBase::SelectionText() const {
  TGridRect rect = Selection();
  if ((Options & goRowSelect) && DragsEntireRows()) {
    rect.Left = 0;
    rect.Right = ColCount() - 1;
  }
  std::string text;
  for (int row = rect.Top; row <= rect.Bottom; ++row) {
    for (int col = rect.Left; col <= rect.Right; ++col) {
      if (col > rect.Left) text += '\t';
      const std::string& cell = CellText(col, row);
      if (cell.find("{\\") != std::string::npos) {
        text += RtfToPlainText(cell);
      } else {
        text += cell;
      }
    }
    if (row != rect.Bottom) text += "\r\n";
  }
  return text;
}

bool TCellGridBase::IsCellEditable(int col, int row) const {
  if (!(Options & goEditing) || col < FixedCols() || row < FixedRows()) return false;
  const TCellProperties* props = FindCellProperties(col, row);
  return !(props && props->ReadOnly);
}

TCellCheckBox* TCellGridBase::CheckBoxAt(int col, int row) const {
  const TCellProperties* props = FindCellProperties(col, row);
  return props ? dynamic_cast<TCellCheckBox*>(props->CellGraphic.get()) : nullptr;
}

void TCellGridBase::SetCellFromPaste(int col, int row, const std::string& value) {
  if (TCellCheckBox* box = CheckBoxAt(col, row)) {
    box->Checked = value == CheckTrue;
    RepaintCell(col, row);
    return;
  }
  SetCells(col, row, value);
}

bool TCellGridBase::TakesPastes() const {
  return (Options & goEditing) || Navigation.AllowClipboardAlways || MouseActions.RangeSelectAndEdit;
}

bool TCellGridBase::PasteGrowthAllowed(std::int64_t cols, std::int64_t rows) const {
  const std::int64_t before = std::int64_t{ColCount()} * RowCount();
  return cols <= INT_MAX && rows <= INT_MAX && cols * rows - before <= kPasteGrowthLimit;
}

int TCellGridBase::PasteTextBlock(int col, int row, const std::string& text) {
  if (col < 0 || row < 0 || !TakesPastes()) return 0;

  const auto walk = [&] {
    return TPasteWalk{ColCount(), RowCount(), Navigation.AllowClipboardColGrow, Navigation.AllowClipboardRowGrow};
  };
  // Measure first: text from another application must not make the grid grow without bound.
  TPasteWalk dry = walk();
  dry.Run(col, row, text, [](std::int64_t, std::int64_t, std::string_view) {}, [] {});
  if (dry.count > INT_MAX || dry.cmax > INT_MAX || dry.lastRow > INT_MAX ||
      !PasteGrowthAllowed(dry.colCount, dry.rowCount)) {
    return 0;
  }

  TPasteWalk real = walk();
  const auto cell = [&](std::int64_t c64, std::int64_t r64, std::string_view field) {
    const int c = static_cast<int>(c64);
    const int r = static_cast<int>(r64);
    // The grid grows after the field past its edge is written, so check against the counts now.
    if (c > ColCount() || r > RowCount()) return;
    if (!IsCellEditable(c, r) && !Navigation.AllowClipboardAlways) return;
    std::string v = UnquotedValue(field);
    bool allow = true;
    if (v.size() >= 2 && v[0] == '|' && v[1] == '\\') {
      if (OnClipboardBeforePasteWideCell) {
        std::u16string wide = DecodeWideCellText(v);
        OnClipboardBeforePasteWideCell(*this, c, r, wide, allow);
        v = EncodeWideCellText(wide);
      }
    } else if (OnClipboardBeforePasteCell) {
      OnClipboardBeforePasteCell(*this, c, r, v, allow);
    }
    if (allow) SetCellFromPaste(c, r, v);
  };
  const auto grew = [&] {
    if (real.colCount != ColCount()) SetColCount(static_cast<int>(real.colCount));
    if (real.rowCount != RowCount()) SetRowCount(static_cast<int>(real.rowCount));
  };
  real.Run(col, row, text, cell, grew);
  if (OnCellsChanged) {
    OnCellsChanged(*this, TGridRect{col, row, static_cast<std::int32_t>(real.cmax - 1),
                                    static_cast<std::int32_t>(real.lastRow)});
  }
  return static_cast<int>(real.count);
}

}  // namespace orlex::grid
