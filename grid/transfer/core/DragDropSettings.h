#pragma once

#include <cstdint>
#include <functional>

namespace orlex::grid {

// The grid's drag and drop settings (its DragDropSettings group). Plain values except two: the rich
// text switch also sets the process-wide rich text flag of data transfer, and the drop target switch
// registers or revokes the grid window, which the grid does through OnDropTargetChanged.
class TDragDropSettings {
 public:
  bool OleDropRTF() const { return oleDropRTF_; }
  void SetOleDropRTF(bool value);
  bool OleAcceptText = true;
  bool OleEntireRows = false;
  bool OleDropSource = false;
  bool OleRemoveRows = false;
  bool OleAcceptFiles = true;
  bool OleAcceptURLs = true;
  bool OleDropTarget() const { return oleDropTarget_; }
  void SetOleDropTarget(bool value);
  bool OleInsertRows = false;
  bool OleCopyAlways = false;
  bool OleColumnDragDrop = false;
  bool ShowCells = true;

  // Copies all twelve values as plain fields: registers nothing, revokes nothing, leaves the
  // process-wide rich text flag alone.
  void Assign(const TDragDropSettings& source);

  // The owning grid's reaction to the drop target switch.
  std::function<void(bool)> OnDropTargetChanged;

 private:
  bool oleDropRTF_ = false;
  bool oleDropTarget_ = false;
};

// Directions of the framework's drag scrolling: a set of the flags below.
using TDragScrollDirection = std::uint8_t;
enum TDragScrollDirectionFlag : std::uint8_t { dsdUp = 1, dsdDown = 2, dsdLeft = 4, dsdRight = 8 };

struct TDragScrollDelays {
  std::int32_t InitialDelay = 1000;  // milliseconds
  std::int32_t RepeatDelay = 250;
};

struct TDragScrollMargins {
  std::int32_t TopMargin = 50;  // pixels
  std::int32_t BottomMargin = 50;
  std::int32_t LeftMargin = 50;
  std::int32_t RightMargin = 50;
};

// Scrolling during the windowing framework's own drags (not drag and drop between applications).
// This grid has no such drags; the options are kept as data.
struct TDragScrollOptions {
  bool Active = false;
  TDragScrollDelays Delays;
  TDragScrollMargins Margins;

  void Assign(const TDragScrollOptions& source) { *this = source; }
};

}  // namespace orlex::grid
