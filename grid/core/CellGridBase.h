#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "grid/core/GridColor.h"
#include "grid/core/GridNavigation.h"
#include "grid/core/GridTypes.h"

namespace orlex::grid {

class TCellGridBase;

// A grid operation refused with one of the grid's fixed texts; the grid is left unchanged.
class TGridError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kGridIndexOutOfRange = "Grid index out of range";
inline constexpr const char* kFixedRowsTooLarge = "Fixed row count must be less than row count";
inline constexpr const char* kFixedColsTooLarge = "Fixed column count must be less than column count";

// Picture-type content of a cell. This system puts none into its cells; the record owns one if set.
class TCellGraphic {
 public:
  virtual ~TCellGraphic() = default;
};

// A check-box cell: its state stands for the cell in copied text (CheckTrue or CheckFalse when the
// cell has no text), and a pasted value sets it. The grid does not draw check boxes.
class TCellCheckBox final : public TCellGraphic {
 public:
  explicit TCellCheckBox(bool checked = false) : Checked(checked) {}
  bool Checked;
};

// The per-cell property record: created on the first colour, font or tag write of a cell, owned by
// the grid. BrushColor, BrushColorTo, VAlignment and WordWrap repaint their cell when set, so they
// are reached through setters; the other fields are plain and repaint nothing by themselves.
class TCellProperties {
 public:
  TCellProperties(TCellGridBase* grid, std::int32_t col, std::int32_t row)
      : Grid(grid), OwnerCol(col), OwnerRow(row) {}
  TCellProperties(const TCellProperties&) = delete;
  TCellProperties& operator=(const TCellProperties&) = delete;

  TCellGridBase* const Grid;  // owning grid, used to repaint the cell
  std::int32_t OwnerCol;
  std::int32_t OwnerRow;
  std::intptr_t CellObject = 0;               // the integer tag behind Objects
  std::unique_ptr<TCellGraphic> CellGraphic;  // not used in this system
  std::uint8_t BrushStyle = 0;                // 0 = solid

  TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(TColor value);
  TColor BrushColorTo() const { return brushColorTo_; }
  void SetBrushColorTo(TColor value);

  std::int32_t FontSize = 0;      // points; 0 = not set
  TColor FontColor = clNone;      // clNone = not set
  TFontStyles FontStyle = 0;      // empty = not set
  std::int32_t CellSpanY = -1;    // -1 = not merged
  std::int32_t CellSpanX = -1;
  std::int32_t BorderWidth = 0;
  TColor BorderColor = 0;
  TAlignment Alignment = taLeftJustify;

  TVAlignment VAlignment() const { return vAlignment_; }
  void SetVAlignment(TVAlignment value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);

  bool IsBaseCell = true;
  std::uint8_t CalcType = 0;     // column calculation kind; not used here
  void* CalcObject = nullptr;    // not used here
  std::int32_t NodeLevel = 0;    // not used here
  std::uint8_t Editor = 0;       // in-place editor kind; not used here
  std::string FontName;          // empty = not set
  bool ReadOnly = false;
  std::uint8_t GradientDirection = 0;
  void* Control = nullptr;       // embedded control, not owned; not used here

 private:
  friend class TCellGridBase;  // fills the creation snapshot without repainting
  TColor brushColor_ = clNone;
  TColor brushColorTo_ = clNone;
  TVAlignment vAlignment_ = vtaTop;
  bool wordWrap_ = false;
};

// The grid's look: the settings that painting reads (the defaults are the grid's own). A grid holds
// one and changes it only through SetLook, which repaints.
struct TGridLook {
  TColor Color = clWindow;
  TColor FixedColor = clBtnFace;
  TFontDesc Font{"Tahoma", 8, 0, clWindowText};
  TFontDesc FixedFont{"Tahoma", 8, fsBold, clWindowText};
  TColor GridLineColor = 0xC0C0C0;
  TColor GridFixedLineColor = 0x808080;
  int GridLineWidth = 1;
  TGridOptions Options =
      goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect | goDrawFocusSelected;
  bool Flat = false;
  bool ShowSelection = true;
  TColor SelectionColor = 15387318;
  TColor SelectionTextColor = 0;
  TColor SelectionColorTo = clNone;
  TColor SelectionMirrorColor = clNone;
  TColor SelectionMirrorColorTo = clNone;
  bool HideFocusRect = false;
  bool WordWrap = true;
  bool Multilinecells = false;
  bool EnhTextSize = false;
  bool EnableHTML = true;
  TVAlignment VAlignment = vtaTop;
  bool ActiveCellShow = false;
  TFontDesc ActiveCellFont{"Tahoma", 8, fsBold, clWindowText};
  TColor ActiveCellColor = clGray;
  bool ActiveRowShow = false;
  TColor ActiveRowColor = clInfoBk;
  bool URLShow = false;
  TColor URLColor = 0xFF0000;
  int ZoomFactor = 0;
  int FixedFooters = 0;     // trailing rows painted as fixed
  int FixedRightCols = 0;   // trailing columns painted as fixed

  friend bool operator==(const TGridLook&, const TGridLook&) = default;
};

// The window-free part of the grid: counts, fixed counts, current cell, anchor, top-left cell, the
// sparse cell store with its property records, column headers and colours, and the settings that
// painting reads. The widget (TCellGrid) derives from it and overrides the repaint operations.
//
// Store: one entry per cell that holds text or a record, keyed by (column, row). Reading a cell
// without an entry allocates nothing; memory follows the cells written, not the counts, and cells
// beyond shrunk counts keep their contents.
// The look is a protected base, so the grid's own painting and sizing read its settings by name;
// everyone else reads Look() and changes it with SetLook.
class TCellGridBase : protected TGridLook {
 public:
  TCellGridBase();
  virtual ~TCellGridBase();
  TCellGridBase(const TCellGridBase&) = delete;
  TCellGridBase& operator=(const TCellGridBase&) = delete;

  // Counts. Setting a count clamps it to at least 1, lowers the fixed count below it and clamps the
  // current cell, the anchor and the top-left cell into range.
  int ColCount() const { return colCount_; }
  void SetColCount(int value);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int value);
  // Fixed counts fail with TGridError (grid unchanged) when negative or not below the count; a
  // successful set moves current cell, anchor and top-left cell to (FixedCols, FixedRows).
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int value);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int value);
  // The largest counts ever set.
  int MaxColCount() const { return maxColCount_; }
  int MaxRowCount() const { return maxRowCount_; }

  // Current cell, anchor (other corner of the selection) and top-left scrollable cell. The setters
  // only store (navigation clamps and repaints); they exist for the widget's navigation code.
  int Col() const { return col_; }
  int Row() const { return row_; }
  int AnchorCol() const { return anchorCol_; }
  int AnchorRow() const { return anchorRow_; }
  int LeftCol() const { return leftCol_; }
  int TopRow() const { return topRow_; }
  void SetCurrentCell(int col, int row) { col_ = col; row_ = row; }
  void SetAnchor(int col, int row) { anchorCol_ = col; anchorRow_ = row; }
  void SetTopLeft(int col, int row) { leftCol_ = col; topRow_ = row; }
  // The rectangle spanned by the current cell and the anchor.
  TGridRect Selection() const;

  // Cell texts, through the cell's base cell. The reference stays valid until the cell is written.
  std::string Cells(int col, int row) const { return CellText(col, row); }
  const std::string& CellText(int col, int row) const;
  // Returns whether the text changed (the same text again is no change).
  bool SetCells(int col, int row, const std::string& text);

  // The integer tag of a cell: 0 without a record; reading never creates a record, writing does.
  std::intptr_t Objects(int col, int row) const;
  void SetObjects(int col, int row, std::intptr_t value);

  // The cell's record, created and filled with the cell's current look when missing.
  TCellProperties* GetCellProperties(int col, int row);
  // The cell's record or nullptr; never creates one.
  const TCellProperties* FindCellProperties(int col, int row) const;
  bool HasCellProperties(int col, int row) const { return FindCellProperties(col, row) != nullptr; }
  void ClearCellProperties(int col, int row);

  // Sets the background of the scrollable rows of a column; clNone removes those cells' records.
  void SetColumnColor(int col, TColor color);

  // Column headers for row 0 ("\n" written as backslash and n becomes a carriage return).
  const std::vector<std::string>& ColumnHeaders() const { return columnHeaders_; }
  // Assigns a new list: clears row 0 (when there are fixed rows), then applies it.
  void SetColumnHeaders(const std::vector<std::string>& headers);
  // Changes the list in place and applies it without clearing first.
  void EditColumnHeaders(const std::function<void(std::vector<std::string>&)>& edit);
  void ApplyColumnHeaders();
  // End of loading the stored settings: applies the headers. The widget extends it.
  virtual void Loaded();

  // Invalidation of a cell, a row, a column or everything; nothing happens without a window.
  virtual void RepaintCell(int col, int row);
  // Invalidation of a cell whose text alone changed (nothing else of it); the whole cell unless the
  // widget narrows it.
  virtual void RepaintCellText(int col, int row);
  virtual void RepaintRow(int row);
  virtual void RepaintCol(int col);
  virtual void RepaintGrid();

  // ---- Cell text block (core/CellTextBlock.cpp) ----
  // Cells of a row joined by TAB, rows by CR LF, in which cells travel in drags, drops and pastes.
  //
  // The selected cells as such a block (no CR LF after the last row); rich-text cells give their
  // plain text. Whole-row selection with entire-row drags (DragsEntireRows) gives every column.
  std::string SelectionText() const;
  // Whether drags take entire rows: the widget answers its DragDropSettings.OleEntireRows.
  virtual bool DragsEntireRows() const { return false; }
  // Writes a block into the cells from (col, row) on and returns the number of fields visited
  // (skipped ones included). Needs goEditing, Navigation.AllowClipboardAlways or
  // MouseActions.RangeSelectAndEdit, else writes nothing and returns 0. A cell is written when it is
  // editable or AllowClipboardAlways is set, within the counts or just past them; the grid grows as
  // Navigation's grow settings allow. Text from outside cannot make the grid grow without bound: a
  // paste that would add more than kPasteGrowthLimit cells is refused with 0, the grid untouched.
  // The written block is reported through OnCellsChanged.
  int PasteTextBlock(int col, int row, const std::string& text);
  // The two checks every paste makes first, whatever its format: whether the grid takes pastes at
  // all, and whether counts of `cols` x `rows` stay representable and add at most kPasteGrowthLimit
  // cells.
  bool TakesPastes() const;
  bool PasteGrowthAllowed(std::int64_t cols, std::int64_t rows) const;
  // Stores one pasted value (the cell repaints).
  virtual void SetCellFromPaste(int col, int row, const std::string& value);
  // Whether editing may change a cell: goEditing, a non-fixed cell, and no ReadOnly record.
  virtual bool IsCellEditable(int col, int row) const;
  // Per pasted cell, before it is written; the value may be changed, allow cleared to skip the cell.
  std::function<void(TCellGridBase&, int col, int row, std::string& value, bool& allow)> OnClipboardBeforePasteCell;
  // The same for a wide cell text ("|\" marker), handed over as UTF-16.
  std::function<void(TCellGridBase&, int col, int row, std::u16string& value, bool& allow)>
      OnClipboardBeforePasteWideCell;
  // The texts that stand for a check-box cell's state in copied text and are matched on paste.
  std::string CheckTrue = "Y";
  std::string CheckFalse = "N";
  // A check-box cell's state turned into text (the value may be changed).
  std::function<void(TCellGridBase&, int col, int row, std::string& value)> OnGetCheckTrue;
  std::function<void(TCellGridBase&, int col, int row, std::string& value)> OnGetCheckFalse;
  // Per copied cell, the last step of the value it contributes to copied text.
  std::function<void(TCellGridBase&, int col, int row, std::string& value)> OnSaveCell;
  // The check box of a cell, or nullptr.
  TCellCheckBox* CheckBoxAt(int col, int row) const;
  // Cells whose contents changed as a block (a paste, a cleared drag source).
  std::function<void(TCellGridBase&, const TGridRect& cells)> OnCellsChanged;

  // Navigation and mouse settings (the clipboard ones are read by the cell text block).
  TNavigationSettings Navigation;
  TMouseActions MouseActions;

  // The look settings; a change goes through SetLook (or ChangeLook, which edits a copy and sets it):
  // the grid repaints and applies what the widget itself depends on (LookChanged).
  const TGridLook& Look() const { return *this; }
  void SetLook(const TGridLook& look);
  void ChangeLook(const std::function<void(TGridLook&)>& edit);

  // Moves on with every change that can alter what a cell shows or is tagged with: a text that
  // changes (by one exactly), every record handed out for writing, a record cleared, a count set.
  // No two grids share a value, so a reader may keep what it derived from the cells while it stays.
  std::uint64_t StoreRevision() const { return revision_; }

  // Number of cells that hold text or a record (store accounting for tests and benchmarks).
  std::size_t StoredCellCount() const { return store_.size(); }


  // Optional painting hooks (sender first); unassigned means the default look.
  std::function<void(const TCellGridBase&, int row, int col, TGridDrawState, TFontDesc&, TColor& brush)>
      OnGetCellColor;
  std::function<void(const TCellGridBase&, int col, int row, bool& wordWrap)> OnGetWordWrap;
  std::function<void(const TCellGridBase&, int row, int col, TAlignment&, TVAlignment&)> OnGetAlignment;
  std::function<void(const TCellGridBase&, int row, int col, bool& isFixed)> OnIsFixedCell;

 protected:
  // Called after SetLook changed the look, before the grid repaints.
  virtual void LookChanged() {}
  // Called after a count or a fixed count has changed (the widget cuts its size lists and
  // recomputes its scroll ranges here).
  virtual void CountsChanged() {}

 private:
  struct TCellEntry {
    std::string Text;
    std::unique_ptr<TCellProperties> Props;
  };
  static std::uint64_t Key(int col, int row) {
    return (std::uint64_t(std::uint32_t(row)) << 32) | std::uint32_t(col);
  }
  const TCellEntry* FindEntry(int col, int row) const;
  TCellEntry* FindEntry(int col, int row);
  void EraseIfEmpty(int col, int row);
  // The entry of the cell's base cell (moving col and row there), or nullptr: one look-up for a cell
  // outside merged blocks.
  const TCellEntry* FindBaseEntry(int& col, int& row) const;
  TCellEntry* FindBaseEntry(int& col, int& row);
  void ResetCurrentCell();

  int colCount_ = 5;
  int rowCount_ = 10;
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  int maxColCount_ = 5;
  int maxRowCount_ = 10;
  int col_ = 1, row_ = 1;
  int anchorCol_ = 1, anchorRow_ = 1;
  int leftCol_ = 1, topRow_ = 1;
  std::vector<std::string> columnHeaders_;
  std::uint64_t revision_;
  std::unordered_map<std::uint64_t, TCellEntry> store_;
  // Entries found lately, by key: every packet refreshes the same cells, and a look-up in the store
  // costs a division and a pointer chase. An entry stays where it is while it lives (the store's
  // nodes never move); one that is erased leaves this memo first.
  struct TFoundEntry {
    std::uint64_t key = 0;
    TCellEntry* entry = nullptr;
  };
  static std::size_t FoundSlot(std::uint64_t key) { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 56); }
  mutable std::array<TFoundEntry, 256> found_{};
};

}  // namespace orlex::grid
