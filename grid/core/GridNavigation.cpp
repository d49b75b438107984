#include "grid/core/GridNavigation.h"

#include <algorithm>
#include <cstdlib>

namespace orlex::grid {

namespace {

// a * b / c rounded to the nearest integer (halves away from zero), for non-negative operands.
int MulDiv(int a, int b, int c) {
  if (c <= 0) return 0;
  const long long product = static_cast<long long>(a) * b;
  return static_cast<int>((product + c / 2) / c);
}

}  // namespace

// ---- One axis ----

int TGridAxis::FixedExtent() const { return static_cast<int>(Sizes.Sum(0, Fixed)); }

int TGridAxis::MaxTopLeft() const {
  const int room = Extent - FixedExtent();
  int top = Count - 1;
  for (int used = 0; top >= Fixed; --top) {
    used += Size(top);
    if (used > room) break;
  }
  return std::max(Fixed, std::min(Count - 1, top + 1));
}

int TGridAxis::Start(int topLeft, int index) const {
  if (index < 0 || index >= Count) return -1;
  if (index < Fixed) return static_cast<int>(Sizes.Sum(0, index));
  if (index < topLeft) return -1;
  return FixedExtent() + static_cast<int>(Sizes.Sum(topLeft, index));
}

int TGridAxis::LastVisible(int topLeft) const {
  int end = FixedExtent();
  for (int i = topLeft; i < Count; ++i) {
    end += Size(i);
    if (end >= Extent) return i;
  }
  return Count - 1;
}

int TGridAxis::LastFullyVisible(int topLeft) const {
  int end = FixedExtent();
  int last = topLeft - 1;
  for (int i = topLeft; i < Count; ++i) {
    end += Size(i);
    if (end > Extent) break;
    last = i;
  }
  return last;
}

int TGridAxis::FullyVisibleEnd(int topLeft) const {
  return FixedExtent() + static_cast<int>(Sizes.Sum(topLeft, LastFullyVisible(topLeft) + 1));
}

int TGridAxis::PageSize(int topLeft) const { return std::max(1, LastFullyVisible(topLeft) - topLeft); }

int TGridAxis::PageUpStep(int topLeft) const {
  const int room = Extent - FixedExtent();
  int fitting = 0;  // cells from topLeft backwards that fit together with it
  for (int i = topLeft, used = 0; i >= Fixed; --i) {
    used += Size(i);
    if (used > room) break;
    ++fitting;
  }
  return std::max(1, fitting - 1);
}

int TGridAxis::IndexAt(int topLeft, int pos) const {
  if (pos < 0) return -1;
  int edge = 0;
  int first = 0;
  if (pos >= FixedExtent()) {
    edge = FixedExtent();
    first = topLeft;
  }
  for (int i = first; i < Count; ++i) {
    if (i == Fixed && first < Fixed) break;  // the fixed part ends with the fixed cells
    edge += Size(i);
    if (edge > pos) return i;
  }
  return -1;
}

int TGridAxis::ScrollIntoView(int topLeft, int index) const {
  if (index < Fixed) return topLeft;
  if (index < topLeft) return index;
  if (index <= LastFullyVisible(topLeft)) return topLeft;
  // The smallest top-left that still shows the cell completely at the far edge.
  const int room = Extent - FixedExtent();
  int top = index;
  for (int i = index, used = 0; i >= Fixed; --i) {
    used += Size(i);
    if (used > room) break;
    top = i;
  }
  return std::max(top, topLeft);
}

int TGridAxis::LimitTopLeft(int value) const { return std::clamp(value, Fixed, MaxTopLeft()); }

int TGridAxis::LimitIndex(int value) const { return std::clamp(value, Fixed, std::max(Fixed, Count - 1)); }

int TGridAxis::ScrollPos(int topLeft) const {
  const int span = MaxTopLeft() - Fixed;
  if (span <= 0) return 0;
  return std::clamp(MulDiv(topLeft - Fixed, kScrollPosMax, span), 0, kScrollPosMax);
}

int TGridAxis::TopLeftAtScrollPos(int pos) const {
  const int span = MaxTopLeft() - Fixed;
  return Fixed + MulDiv(std::clamp(pos, 0, kScrollPosMax), span, kScrollPosMax);
}

int TGridAxis::Scroll(int topLeft, TScrollCode code, int thumbPos) const {
  const int max = MaxTopLeft();
  int next = topLeft;
  switch (code) {
    case scLineUp: next = topLeft - 1; break;
    case scLineDown: next = topLeft + 1; break;
    case scPageUp: next = topLeft - PageUpStep(topLeft); break;
    case scPageDown: next = topLeft + PageSize(topLeft); break;
    case scThumbPosition: next = TopLeftAtScrollPos(thumbPos); break;
    case scTop: next = Fixed; break;
    case scBottom: next = max; break;
  }
  // A zero-size cell at the top-left would leave the view unchanged: keep going past it.
  if (next < topLeft) {
    while (next > Fixed && Size(next) == 0) --next;
  } else if (next > topLeft) {
    while (next < max && Size(next) == 0) ++next;
  }
  return std::clamp(next, Fixed, max);
}

// ---- Keys ----

TNavPosition NavigateByKey(const TGridAxis& cols, const TGridAxis& rows, const TNavPosition& from, TNavKey key,
                           bool ctrl, THomeEndAction homeEnd) {
  TNavPosition to = from;
  const int pageWidth = cols.PageSize(from.LeftCol);
  const int pageHeight = rows.PageSize(from.TopRow);
  if (ctrl) {
    switch (key) {
      case nkUp: --to.TopRow; break;
      case nkDown: ++to.TopRow; break;
      case nkLeft: to.Col -= pageWidth; to.LeftCol -= pageWidth; break;
      case nkRight: to.Col += pageWidth; to.LeftCol += pageWidth; break;
      case nkPageUp: to.Row = from.TopRow; break;
      case nkPageDown: to.Row = rows.LastFullyVisible(from.TopRow); break;
      case nkHome: to.Col = cols.Fixed; to.Row = rows.Fixed; break;
      case nkEnd: to.Col = cols.Count - 1; to.Row = rows.Count - 1; break;
    }
  } else {
    switch (key) {
      case nkUp: --to.Row; break;
      case nkDown: ++to.Row; break;
      case nkLeft: --to.Col; break;
      case nkRight: ++to.Col; break;
      case nkPageUp: to.Row -= pageHeight; to.TopRow -= pageHeight; break;
      case nkPageDown: to.Row += pageHeight; to.TopRow += pageHeight; break;
      case nkHome:
        if (homeEnd == heFirstLastRow) to.Row = rows.Fixed; else to.Col = cols.Fixed;
        break;
      case nkEnd:
        if (homeEnd == heFirstLastRow) to.Row = rows.Count - 1; else to.Col = cols.Count - 1;
        break;
    }
  }
  to.LeftCol = cols.LimitTopLeft(to.LeftCol);
  to.TopRow = rows.LimitTopLeft(to.TopRow);
  to.Col = cols.LimitIndex(to.Col);
  to.Row = rows.LimitIndex(to.Row);
  return to;
}

void ApplyNavigationKey(TNavTarget& grid, TNavKey key, bool ctrl, THomeEndAction homeEnd) {
  const TNavPosition from = grid.Position();
  const TNavPosition to = NavigateByKey(grid.ColAxis(), grid.RowAxis(), from, key, ctrl, homeEnd);
  if (to.LeftCol != from.LeftCol || to.TopRow != from.TopRow) grid.ScrollTo(to.LeftCol, to.TopRow);
  if (to.Col != from.Col || to.Row != from.Row) grid.FocusCell(to.Col, to.Row);
}

// ---- Wheel ----

int TWheelAccumulator::Take(int delta) {
  constexpr int kNotch = 120;
  accumulated_ += delta;
  int steps = 0;
  while (std::abs(accumulated_) >= kNotch) {
    if (accumulated_ < 0) {
      accumulated_ += kNotch;
      ++steps;
    } else {
      accumulated_ -= kNotch;
      --steps;
    }
  }
  return steps;
}

void ApplyWheel(TNavTarget& grid, TWheelAccumulator& accumulator, const TWheelSettings& settings, int delta,
                bool ctrl, bool ownStep) {
  const int lines = settings.Increment > 0 ? settings.Increment : settings.Lines;
  bool standardSteps = true;
  if (ownStep && ctrl && settings.IntelliZoom) {
    grid.ZoomBy(delta < 0 ? settings.Lines : -settings.Lines);
  } else if (ownStep && settings.EnableWheel && delta != 0) {
    const TGridAxis rows = grid.RowAxis();
    const TNavPosition from = grid.Position();
    if (settings.Action == waScroll) {
      standardSteps = false;
      const int top = rows.LimitTopLeft(from.TopRow + (delta < 0 ? lines : -lines));
      if (top != from.TopRow) grid.ScrollTo(from.LeftCol, top);
    } else {
      const int target = rows.LimitIndex(from.Row + (delta < 0 ? lines : -lines));
      const int col = grid.ColAxis().LimitIndex(from.Col);
      grid.FocusCell(col, target);
      const TNavPosition landed = grid.Position();
      if (landed.Row != target) {
        // Refused: try half of the way, and when rolling away from the user show one more row above.
        const int halfway = landed.Row + RoundHalfEven((target - landed.Row) / 2.0);
        grid.FocusCell(col, halfway);
        const TNavPosition now = grid.Position();
        if (delta > 0 && now.TopRow > rows.Fixed) grid.ScrollTo(now.LeftCol, now.TopRow - 1);
      }
    }
  }
  if (!standardSteps) return;
  for (int steps = accumulator.Take(delta); steps != 0; steps += steps > 0 ? -1 : 1) {
    const TGridAxis rows = grid.RowAxis();
    const TNavPosition now = grid.Position();
    if (steps > 0 && now.Row < rows.Count - 1) grid.FocusCell(now.Col, now.Row + 1);
    if (steps < 0 && now.Row > rows.Fixed) grid.FocusCell(now.Col, now.Row - 1);
  }
}

// ---- Mouse ----

bool PressArmsDrag(const TDragArmFacts& f) {
  if (!f.CellSelected && (!f.FixedRow || f.EnhRowColMove)) return false;
  if (f.Editing || f.ButtonOrCheckBox || !f.DropSource) return false;
  if (f.ColOrAllSelect && f.FixedRow) return false;
  if (f.FixedCol) return false;
  if (f.ColSizing && (f.FromLeftEdge < 4 || f.FromRightEdge < 4)) return false;
  return true;
}

int PanStep(int offset) {
  if (offset < -kPanDeadZone) return -1;
  if (offset > kPanDeadZone) return 1;
  return 0;
}

TPanCursor PanCursorFor(int dx, int dy, TIntelliPan mode) {
  const int x = mode == ipHorizontal || mode == ipBoth ? PanStep(dx) : 0;
  const int y = mode == ipVertical || mode == ipBoth ? PanStep(dy) : 0;
  if (y < 0) return x < 0 ? pcUpLeft : x > 0 ? pcUpRight : pcUp;
  if (y > 0) return x < 0 ? pcDownLeft : x > 0 ? pcDownRight : pcDown;
  return x < 0 ? pcLeft : x > 0 ? pcRight : pcNeutral;
}

}  // namespace orlex::grid
