#include "grid/core/GridSizing.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orlex::grid {

int RoundHalfEven(double value) {
  const double floorValue = std::floor(value);
  const double diff = value - floorValue;
  double result = floorValue;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(floorValue, 2.0) != 0.0)) result = floorValue + 1.0;
  return static_cast<int>(result);
}

void TSizeList::ResetToDefault(int defaultSize) {
  default_ = defaultSize;
  own_.reset();
}

int TSizeList::Get(int index) const {
  if (own_ && index >= 0 && index < count_ && index < static_cast<int>(own_->size())) return (*own_)[index];
  return default_;
}

bool TSizeList::Set(int index, int size) {
  if (!own_) own_.emplace(static_cast<std::size_t>(count_), default_);
  if (index < 0 || index >= static_cast<int>(own_->size())) return false;
  int& entry = (*own_)[index];
  if (entry == size) return false;
  entry = size;
  return true;
}

void TSizeList::SetCount(int count) {
  count_ = std::max(0, count);
  if (own_) own_->resize(static_cast<std::size_t>(count_), default_);
}

int64_t TSizeList::Sum(int from, int to) const {
  int64_t total = 0;
  for (int i = std::max(0, from); i < to && i < count_; ++i) total += Get(i);
  return total;
}

std::vector<int> TSizeList::All() const {
  std::vector<int> sizes(static_cast<std::size_t>(count_));
  for (int i = 0; i < count_; ++i) sizes[i] = Get(i);
  return sizes;
}

int FitBorderAllowance(bool singleBorder, bool ctl3d) {
  if (!singleBorder) return 0;
  return ctl3d ? 4 : 2;
}

int FitLineAllowance(int colCount, int fixedCols, int fixedRightCols, int lineWidth, bool vertLines,
                     bool fixedVertLines) {
  int allowance = 0;
  if (vertLines) allowance = (colCount - fixedCols - fixedRightCols) * lineWidth;
  // The fixed columns count once each, whatever the line width.
  if (fixedVertLines) allowance += fixedCols + fixedRightCols;
  return allowance;
}

void FitColumnWidths(std::vector<int>& widths, int outerWidth, const TFitAllowances& allowances) {
  const int n = static_cast<int>(widths.size());
  if (n == 0) return;
  const int sb = allowances.scrollBar;
  const int b = allowances.border;
  if (n < 2) {
    widths[0] = outerWidth - sb - 5;
  } else {
    const double sum = std::accumulate(widths.begin(), widths.end(), 0.0);
    if (sum > 0) {
      const double d = (outerWidth - (sb + b + allowances.lines)) / sum;
      double total = 0;
      for (int w : widths) total += RoundHalfEven(w * d);
      const double d2 = total / sum;
      for (int& w : widths) w = RoundHalfEven(w * d2);
    }
  }
  int rem = outerWidth - (std::accumulate(widths.begin(), widths.end(), 0) + sb + b);
  if (n < rem) {
    const int q = rem / n;
    for (int& w : widths) w += q;
    rem -= q * n;
  }
  // The widest column takes what is left (also a negative remainder); the first one wins a tie.
  const auto widest = std::max_element(widths.begin(), widths.end());
  *widest += rem;
}

int AutoSizeRowHeight(int maxExtent, int lineWidth, int verticalMargin, int minHeight, int maxHeight) {
  int height = 2 * lineWidth + maxExtent + verticalMargin;
  if (minHeight > 0 && height < minHeight) height = minHeight;
  if (maxHeight > 0 && height > maxHeight) height = maxHeight;
  return height;
}

int AutoSizeColumnWidth(int maxExtent, int lineWidth, int horizontalMargin, int minWidth, int maxWidth) {
  int width = 2 * lineWidth + maxExtent + horizontalMargin + 2;
  if (minWidth > 0 && width < minWidth) width = minWidth;
  if (maxWidth > 0 && width > maxWidth) width = maxWidth;
  return width;
}

bool AcceptsResizedWidth(int newWidth) { return newWidth > 1; }

int HitColumnBorder(const std::vector<int>& rightEdges, int drawnRight, int x) {
  // Hit zone around an edge: (7 - layout line width 0) div 2 to the left, the rest to the right.
  constexpr int kLeft = 7 / 2;
  constexpr int kRight = 7 - kLeft;
  for (std::size_t i = 0; i < rightEdges.size(); ++i) {
    const int edge = rightEdges[i];
    if (edge > drawnRight) break;
    if (edge - kLeft <= x && x <= edge + kRight) return static_cast<int>(i);
  }
  return -1;
}

void ZoomSizes(std::vector<int>& sizes, int delta) {
  for (int& s : sizes) {
    if (s > 0 && s + delta > 0) s += delta;
  }
}

}  // namespace orlex::grid
