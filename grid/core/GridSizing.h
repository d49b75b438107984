#pragma once

// Window-free sizing arithmetic of the grid: the width and height lists with their defaults, the fit
// of all columns to the control's width, the auto-size formulas, the mouse-resize rules.

#include <cstdint>
#include <optional>
#include <vector>

namespace orlex::grid {

// Round to the nearest integer, halves to the even neighbour (as the fit of the column widths expects).
int RoundHalfEven(double value);

// Sizes of columns (or rows): a default, and an own list that exists only once a single size was set.
class TSizeList {
 public:
  explicit TSizeList(int defaultSize = 0) : default_(defaultSize) {}

  int Default() const { return default_; }
  // Sets the default and discards the own list, so every entry takes the default.
  void ResetToDefault(int defaultSize);

  bool HasOwnSizes() const { return own_.has_value(); }
  int Count() const { return count_; }
  // The entry if the own list exists and index < count, else the default.
  int Get(int index) const;
  // Creates the own list (filled with the default) when absent; the caller has checked the index.
  // Returns whether the stored size changed.
  bool Set(int index, int size);
  // New counts cut or extend an existing own list; new entries take the default.
  void SetCount(int count);
  // Sum of the entries [from, to).
  int64_t Sum(int from, int to) const;
  std::vector<int> All() const;

 private:
  int default_;
  int count_ = 0;
  std::optional<std::vector<int>> own_;
};

// The allowances that FitColumnsToWidth subtracts, as the grid's settings give them.
struct TFitAllowances {
  int scrollBar = 0;  // vertical scroll bar width when it is (or would be) shown, else 0
  int border = 0;     // 0 without a single border, 4 with Ctl3D, 2 without
  int lines = 0;      // line allowance (subtracted only from the scaled space)
};

int FitBorderAllowance(bool singleBorder, bool ctl3d);
int FitLineAllowance(int colCount, int fixedCols, int fixedRightCols, int lineWidth, bool vertLines,
                     bool fixedVertLines);

// Scales widths so that they add up to outerWidth - scrollBar - border. widths must not be empty.
void FitColumnWidths(std::vector<int>& widths, int outerWidth, const TFitAllowances& allowances);

// Row height from the tallest cell extent: 2 x line width + extent + vertical margin, clamped by a
// positive minimum and a positive maximum.
int AutoSizeRowHeight(int maxExtent, int lineWidth, int verticalMargin, int minHeight, int maxHeight);
// Column width from the widest cell extent: 2 x line width + extent + horizontal margin + 2, clamped.
int AutoSizeColumnWidth(int maxExtent, int lineWidth, int horizontalMargin, int minWidth, int maxWidth);

// A mouse resize stores the new width only when it is more than 1 pixel.
bool AcceptsResizedWidth(int newWidth);

// Column border hit zone for mouse resizing: rightEdges are the right edges (client x) of the visible
// scrollable columns from the top-left column on; an edge counts while it lies below drawnRight. Returns
// the index into rightEdges of the first edge with edge - 3 <= x <= edge + 4, or -1.
int HitColumnBorder(const std::vector<int>& rightEdges, int drawnRight, int x);

// Zoom step of the sizes: every size s > 0 with s + delta > 0 becomes s + delta.
void ZoomSizes(std::vector<int>& sizes, int delta);

}  // namespace orlex::grid
