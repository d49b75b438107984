#pragma once

// Window-free navigation arithmetic of the grid: turning a client coordinate into a cell, keeping a
// cell in view, the page sizes, the keyboard table, the mouse wheel, the scroll bar codes on their
// 0..127 scale, the rule that arms a drag on a left press, and middle-button panning directions.
// The widget feeds it its own sizes and viewport; tests feed it a plain model.

#include <cstdint>

#include "grid/core/GridSizing.h"

namespace orlex::grid {

// Keyboard and mouse modifier state passed to the grid's notifications: a set of the flags below.
using TShiftState = std::uint8_t;
enum TShiftStateFlag : std::uint8_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
};

enum TMouseButton : std::uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// What the grid is doing with the mouse.
enum TGridState : std::uint8_t { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum THomeEndAction : std::uint8_t { heFirstLastColumn, heFirstLastRow };
enum TWheelAction : std::uint8_t { waMoveSelection, waScroll };
enum TIntelliPan : std::uint8_t { ipNone, ipVertical, ipHorizontal, ipBoth };

// The grid's Navigation settings that this grid acts on.
struct TNavigationSettings {
  bool AllowClipboardShortCuts = false;
  bool AllowClipboardAlways = false;   // pastes and drops reach cells that are not editable
  bool AllowClipboardRowGrow = true;   // a paste or drop may add rows
  bool AllowClipboardColGrow = true;   // a paste or drop may add columns
  bool AllowRTFClipboard = false;      // copy adds the top-left cell's rich text; paste prefers it
  bool AllowFmtClipboard = false;      // copy adds the grid's own cell format; paste prefers it; cut frees records
  bool AllowSmartClipboard = false;    // not acted on: a block fills only its own size
  bool CopyHTMLTagsToClipboard = true; // false: HTML cells are copied as their plain text
  THomeEndAction HomeEndKey = heFirstLastColumn;
};

// The grid's MouseActions settings that this grid acts on.
struct TMouseActions {
  TWheelAction WheelAction = waMoveSelection;
  int WheelIncrement = 0;  // rows per wheel step; 0 = the platform's wheel lines
  bool SelectOnRightClick = false;
  bool ColSelect = false;
  bool AllSelect = false;
  bool RangeSelectAndEdit = false;  // pastes are allowed (cells still need to be writable)
};

// Scroll bar requests, as the bars of either axis send them.
enum TScrollCode : std::uint8_t { scLineUp, scLineDown, scPageUp, scPageDown, scThumbPosition, scTop, scBottom };

// Scroll bar positions run from 0 to this value on each axis, whatever the number of cells.
inline constexpr int kScrollPosMax = 127;

// One axis of the grid (columns or rows) as navigation sees it. Cells lie edge to edge: grid lines
// count as 0 pixels.
struct TGridAxis {
  const TSizeList& Sizes;
  int Count = 0;   // ColCount or RowCount
  int Fixed = 0;   // FixedCols or FixedRows
  int Extent = 0;  // viewport pixels along the axis, fixed part included

  int Size(int index) const { return Sizes.Get(index); }
  // Pixels taken by the fixed cells.
  int FixedExtent() const;
  // The largest top-left index that still fills the view with the cells after it (at least Fixed).
  int MaxTopLeft() const;
  // Near edge (in pixels) of a cell: fixed cells count from 0, the others from the end of the fixed
  // part on from topLeft. -1 outside the grid and for a cell scrolled out before topLeft.
  int Start(int topLeft, int index) const;
  // The last cell at least partly inside the view from topLeft on; Count - 1 when the view reaches
  // beyond the last cell.
  int LastVisible(int topLeft) const;
  // The last cell shown completely from topLeft on; topLeft - 1 when not even topLeft fits.
  int LastFullyVisible(int topLeft) const;
  // End (in pixels) of the fully visible part from topLeft on.
  int FullyVisibleEnd(int topLeft) const;
  // Last fully visible cell - topLeft, at least 1.
  int PageSize(int topLeft) const;
  // How far a page up moves: far enough to bring the current top-left cell to the far edge, at least 1.
  int PageUpStep(int topLeft) const;
  // Cell under a coordinate: the fixed part is searched from index 0, the rest from topLeft on; the
  // first cell whose far edge lies beyond pos wins. -1 before the grid and beyond its last cell.
  int IndexAt(int topLeft, int pos) const;
  // The top-left index that shows index completely; topLeft itself when it already does (or when the
  // cell is fixed).
  int ScrollIntoView(int topLeft, int index) const;
  int LimitTopLeft(int value) const;
  int LimitIndex(int value) const;
  // Scroll bar position (0..kScrollPosMax) of a top-left index, and the top-left index of a position.
  int ScrollPos(int topLeft) const;
  int TopLeftAtScrollPos(int pos) const;
  // The top-left index after a scroll bar request (thumbPos for scThumbPosition); zero-size cells are
  // stepped over in the direction of the move, and the result is limited to the valid range.
  int Scroll(int topLeft, TScrollCode code, int thumbPos) const;
};

// Current cell and top-left cell together.
struct TNavPosition {
  int Col = 0;
  int Row = 0;
  int LeftCol = 0;
  int TopRow = 0;
  friend bool operator==(const TNavPosition&, const TNavPosition&) = default;
};

enum TNavKey : std::uint8_t { nkLeft, nkRight, nkUp, nkDown, nkPageUp, nkPageDown, nkHome, nkEnd };

// Where a navigation key leads from a position: the key table applied, then the top-left limited to
// its range and the current cell to the scrollable cells.
TNavPosition NavigateByKey(const TGridAxis& cols, const TGridAxis& rows, const TNavPosition& from, TNavKey key,
                           bool ctrl, THomeEndAction homeEnd = heFirstLastColumn);

// The grid as keyboard and wheel navigation drive it. The widget implements it over its own state;
// tests implement it over a plain model.
class TNavTarget {
 public:
  virtual ~TNavTarget() = default;
  virtual TGridAxis ColAxis() const = 0;
  virtual TGridAxis RowAxis() const = 0;
  virtual TNavPosition Position() const = 0;
  // Scrolls to a top-left cell that is already within range; the current cell stays.
  virtual void ScrollTo(int leftCol, int topRow) = 0;
  // Moves the current cell (scrolling it into view) and raises the click notification; the move may
  // be refused, leaving the current cell where it was.
  virtual void FocusCell(int col, int row) = 0;
  virtual void ZoomBy(int delta) = 0;
};

// A navigation key: scrolls and moves the current cell as NavigateByKey says.
void ApplyNavigationKey(TNavTarget& grid, TNavKey key, bool ctrl, THomeEndAction homeEnd = heFirstLastColumn);

// Wheel notches from the platform's accumulated deltas: each full 120 units is one step.
class TWheelAccumulator {
 public:
  // Adds a wheel delta; returns the whole steps it completes, positive towards the user (rows down).
  int Take(int delta);
  int Pending() const { return accumulated_; }

 private:
  int accumulated_ = 0;
};

struct TWheelSettings {
  int Lines = 3;  // the platform's lines per notch
  bool EnableWheel = true;
  bool IntelliZoom = true;
  TWheelAction Action = waMoveSelection;
  int Increment = 0;
};

// One wheel message (delta negative towards the user). ownStep is false while panning or when the
// parent window took the message: then only the accumulated standard steps run. Ctrl zooms instead
// of the own step.
void ApplyWheel(TNavTarget& grid, TWheelAccumulator& accumulator, const TWheelSettings& settings, int delta,
                bool ctrl, bool ownStep);

// Whether a left press on (col, row) arms a drag instead of being an ordinary click.
struct TDragArmFacts {
  bool CellSelected = false;   // inside the selection (never for fixed cells)
  bool FixedRow = false;
  bool FixedCol = false;
  bool EnhRowColMove = true;
  bool Editing = false;        // goEditing
  bool ButtonOrCheckBox = false;
  bool DropSource = false;     // DragDropSettings.OleDropSource
  bool ColOrAllSelect = false; // MouseActions.ColSelect or AllSelect
  bool ColSizing = false;      // goColSizing
  int FromLeftEdge = 0;        // press x - cell's left edge
  int FromRightEdge = 0;       // cell's right edge - press x
};
bool PressArmsDrag(const TDragArmFacts& facts);

// Middle-button panning: the cursor that shows the direction (numbered as the executable's cursor
// resources, 8000 neutral) and the step on each axis, for a pointer dx, dy away from the origin.
enum TPanCursor : std::uint16_t {
  pcNeutral = 8000,
  pcDown = 8001,
  pcLeft = 8002,
  pcRight = 8003,
  pcUp = 8004,
  pcUpLeft = 8005,
  pcUpRight = 8006,
  pcDownLeft = 8007,
  pcDownRight = 8008,
};
inline constexpr int kPanDeadZone = 5;
// -1, 0 or +1 along one axis: more than the dead zone before (after) the origin.
int PanStep(int offset);
TPanCursor PanCursorFor(int dx, int dy, TIntelliPan mode);

}  // namespace orlex::grid
