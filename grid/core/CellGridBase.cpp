#include "grid/core/CellGridBase.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "grid/core/CellStyle.h"

namespace orlex::grid {

namespace {
const std::string kEmptyText;

// Each grid's revisions start in a range of their own: 2^32 changes apart.
std::uint64_t FirstRevision() {
  static std::atomic<std::uint64_t> grids{0};
  return (grids.fetch_add(1, std::memory_order_relaxed) + 1) << 32;
}
}  // namespace

void TCellProperties::SetBrushColor(TColor value) {
  brushColor_ = value;
  Grid->RepaintCell(OwnerCol, OwnerRow);
}

void TCellProperties::SetBrushColorTo(TColor value) {
  brushColorTo_ = value;
  Grid->RepaintCell(OwnerCol, OwnerRow);
}

void TCellProperties::SetVAlignment(TVAlignment value) {
  vAlignment_ = value;
  Grid->RepaintCell(OwnerCol, OwnerRow);
}

void TCellProperties::SetWordWrap(bool value) {
  wordWrap_ = value;
  Grid->RepaintCell(OwnerCol, OwnerRow);
}

TCellGridBase::TCellGridBase() : revision_(FirstRevision()) {}

// The store's entries own their records (and a record its cell graphic), so every record is freed
// here, also those written beyond the largest counts.
TCellGridBase::~TCellGridBase() = default;

void TCellGridBase::SetColCount(int value) {
  value = std::max(value, 1);
  if (value == colCount_) return;
  if (fixedCols_ >= value) SetFixedCols(value - 1);
  colCount_ = value;
  maxColCount_ = std::max(maxColCount_, value);
  if (col_ >= value) {
    col_ = value - 1;
    anchorCol_ = col_;
  }
  anchorCol_ = std::min(anchorCol_, value - 1);
  leftCol_ = std::max(fixedCols_, std::min(leftCol_, value - 1));
  ++revision_;
  CountsChanged();
  RepaintGrid();
}

void TCellGridBase::SetRowCount(int value) {
  value = std::max(value, 1);
  if (value == rowCount_) return;
  if (fixedRows_ >= value) SetFixedRows(value - 1);
  rowCount_ = value;
  maxRowCount_ = std::max(maxRowCount_, value);
  if (row_ >= value) {
    row_ = value - 1;
    anchorRow_ = row_;
  }
  anchorRow_ = std::min(anchorRow_, value - 1);
  topRow_ = std::max(fixedRows_, std::min(topRow_, value - 1));
  ++revision_;
  CountsChanged();
  RepaintGrid();
}

void TCellGridBase::SetFixedCols(int value) {
  if (value < 0) throw TGridError(kGridIndexOutOfRange);
  if (value >= colCount_) throw TGridError(kFixedColsTooLarge);
  fixedCols_ = value;
  ++revision_;
  ResetCurrentCell();
  CountsChanged();
  RepaintGrid();
}

void TCellGridBase::SetFixedRows(int value) {
  if (value < 0) throw TGridError(kGridIndexOutOfRange);
  if (value >= rowCount_) throw TGridError(kFixedRowsTooLarge);
  fixedRows_ = value;
  ++revision_;
  ResetCurrentCell();
  CountsChanged();
  RepaintGrid();
}

void TCellGridBase::ResetCurrentCell() {
  col_ = anchorCol_ = leftCol_ = fixedCols_;
  row_ = anchorRow_ = topRow_ = fixedRows_;
}

TGridRect TCellGridBase::Selection() const {
  return TGridRect{std::min(col_, anchorCol_), std::min(row_, anchorRow_), std::max(col_, anchorCol_),
                   std::max(row_, anchorRow_)};
}

const TCellGridBase::TCellEntry* TCellGridBase::FindEntry(int col, int row) const {
  return const_cast<TCellGridBase*>(this)->FindEntry(col, row);
}

TCellGridBase::TCellEntry* TCellGridBase::FindEntry(int col, int row) {
  const std::uint64_t key = Key(col, row);
  TFoundEntry& found = found_[FoundSlot(key)];
  if (found.entry != nullptr && found.key == key) return found.entry;
  const auto it = store_.find(key);
  if (it == store_.end()) return nullptr;
  found = TFoundEntry{key, &it->second};
  return &it->second;
}

// An entry lives only while it holds text or a record.
void TCellGridBase::EraseIfEmpty(int col, int row) {
  const std::uint64_t key = Key(col, row);
  const auto it = store_.find(key);
  if (it != store_.end() && it->second.Text.empty() && !it->second.Props) {
    if (TFoundEntry& found = found_[FoundSlot(key)]; found.key == key) found = TFoundEntry{};
    store_.erase(it);
  }
}

// A cell covered by a merged block reads and writes its text at the block's base cell.
const TCellGridBase::TCellEntry* TCellGridBase::FindBaseEntry(int& col, int& row) const {
  const TCellEntry* entry = FindEntry(col, row);
  if (!entry || !entry->Props) return entry;
  const TCellProperties& p = *entry->Props;
  if (p.IsBaseCell || p.CellSpanX == -1 || p.CellSpanY == -1) return entry;
  col -= p.CellSpanX;
  row -= p.CellSpanY;
  return FindEntry(col, row);
}

TCellGridBase::TCellEntry* TCellGridBase::FindBaseEntry(int& col, int& row) {
  return const_cast<TCellEntry*>(std::as_const(*this).FindBaseEntry(col, row));
}

const std::string& TCellGridBase::CellText(int col, int row) const {
  const TCellEntry* entry = FindBaseEntry(col, row);
  return entry ? entry->Text : kEmptyText;
}

bool TCellGridBase::SetCells(int col, int row, const std::string& text) {
  TCellEntry* entry = FindBaseEntry(col, row);
  // The same text again changes nothing on screen; values that repeat cost no repaint.
  if ((entry ? entry->Text : kEmptyText) == text) return false;
  ++revision_;
  if (text.empty()) {
    entry->Text.clear();
    EraseIfEmpty(col, row);
  } else if (entry) {
    entry->Text = text;
  } else {
    store_[Key(col, row)].Text = text;
  }
  RepaintCellText(col, row);
  return true;
}

std::intptr_t TCellGridBase::Objects(int col, int row) const {
  const TCellProperties* p = FindCellProperties(col, row);
  return p ? p->CellObject : 0;
}

void TCellGridBase::SetObjects(int col, int row, std::intptr_t value) {
  GetCellProperties(col, row)->CellObject = value;
}

const TCellProperties* TCellGridBase::FindCellProperties(int col, int row) const {
  const TCellEntry* entry = FindEntry(col, row);
  return entry ? entry->Props.get() : nullptr;
}

TCellProperties* TCellGridBase::GetCellProperties(int col, int row) {
  // The caller may change the tag or the merging through the record.
  ++revision_;
  if (TCellEntry* entry = FindEntry(col, row); entry && entry->Props) return entry->Props.get();
  // The look the cell had until now, computed exactly as painting computes it.
  TGridDrawState state = 0;
  const TCellStyle look = ResolveCellStyleWith(*this, col, row, nullptr, false, state);
  auto record = std::make_unique<TCellProperties>(this, col, row);
  TCellProperties& p = *record;
  p.Alignment = look.Alignment;
  p.vAlignment_ = look.VAlignment;
  p.wordWrap_ = look.WordWrap;
  p.FontName = look.Font.Name;
  p.FontSize = look.Font.Size;
  p.FontStyle = look.Font.Style;
  p.FontColor = look.Font.Color;
  p.brushColor_ = look.BrushColor;
  p.brushColorTo_ = look.GradientTo;
  p.GradientDirection = look.GradientDirection;
  store_[Key(col, row)].Props = std::move(record);
  return &p;
}

void TCellGridBase::ClearCellProperties(int col, int row) {
  TCellEntry* entry = FindEntry(col, row);
  if (!entry || !entry->Props) return;
  ++revision_;
  entry->Props.reset();
  EraseIfEmpty(col, row);
  RepaintCell(col, row);
}

void TCellGridBase::SetColumnColor(int col, TColor color) {
  for (int r = fixedRows_; r < rowCount_; ++r) {
    if (color == clNone)
      ClearCellProperties(col, r);
    else
      GetCellProperties(col, r)->SetBrushColor(color);
  }
  RepaintCol(col);
}

void TCellGridBase::SetColumnHeaders(const std::vector<std::string>& headers) {
  columnHeaders_ = headers;
  if (fixedRows_ > 0)
    for (int c = 0; c < colCount_; ++c) SetCells(c, 0, "");
  ApplyColumnHeaders();
}

void TCellGridBase::EditColumnHeaders(const std::function<void(std::vector<std::string>&)>& edit) {
  edit(columnHeaders_);
  ApplyColumnHeaders();
}

void TCellGridBase::ApplyColumnHeaders() {
  if (fixedRows_ == 0) return;
  const int n = static_cast<int>(std::min(columnHeaders_.size(), static_cast<std::size_t>(colCount_)));
  for (int i = 0; i < n; ++i) {
    std::string text;
    const std::string& header = columnHeaders_[i];
    text.reserve(header.size());
    for (std::size_t k = 0; k < header.size(); ++k) {
      if (header[k] == '\\' && k + 1 < header.size() && header[k + 1] == 'n') {
        text += '\r';
        ++k;
      } else {
        text += header[k];
      }
    }
    SetCells(i, 0, text);
  }
}

void TCellGridBase::Loaded() { ApplyColumnHeaders(); }

void TCellGridBase::RepaintCell(int, int) {}
void TCellGridBase::RepaintCellText(int col, int row) { RepaintCell(col, row); }
void TCellGridBase::RepaintRow(int) {}
void TCellGridBase::RepaintCol(int) {}
void TCellGridBase::RepaintGrid() {}

void TCellGridBase::SetLook(const TGridLook& look) {
  if (look == Look()) return;
  static_cast<TGridLook&>(*this) = look;
  LookChanged();
  RepaintGrid();
}

void TCellGridBase::ChangeLook(const std::function<void(TGridLook&)>& edit) {
  TGridLook look = Look();
  edit(look);
  SetLook(look);
}

}  // namespace orlex::grid
