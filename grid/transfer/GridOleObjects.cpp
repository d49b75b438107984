#include "grid/transfer/GridOleObjects.h"

#include <QPointer>

#include "grid/CellGrid.h"
#include "grid/transfer/QtDragDrop.h"
#include "grid/transfer/core/OleDropSource.h"
#include "grid/transfer/core/OleDropTarget.h"

namespace orlex::grid {

namespace {

QPoint ScreenPoint(POINTL point) { return QPoint(point.x, point.y); }

// The grid's drop source: the release frees the drag picture, every poll moves it to the pointer.
class TGridDropSource final : public TOleDropSource {
 public:
  explicit TGridDropSource(TCellGrid& grid) : grid_(&grid) {}

 protected:
  void ButtonReleased() override {
    if (grid_) grid_->DragSourceButtonReleased();
  }
  void FeedbackGiven(DWORD) override {}
  void DragPolled() override {
    if (grid_) grid_->DragSourcePolled();
  }

 private:
  QPointer<TCellGrid> grid_;
};

// The grid's drop target: hover and drops go to the grid, which may be gone while a reference to
// its target is still held somewhere.
class TGridDropTarget final : public TOleDropTarget {
 public:
  explicit TGridDropTarget(TCellGrid& grid) : grid_(&grid) {}

 protected:
  void TextDropped(POINTL point, const std::string& text) override {
    if (!grid_) return;
    // The button is up: a drag of this grid loses its picture before the drop lands.
    if (grid_->Dragging()) grid_->DragSourceButtonReleased();
    grid_->TextDropped(ScreenPoint(point), text);
  }
  void ColumnDropped(POINTL point, std::int32_t column) override {
    if (grid_) grid_->ColumnDropped(ScreenPoint(point), column);
  }
  void RtfDropped(POINTL point, const std::string& richText) override {
    if (grid_) grid_->RtfDropped(ScreenPoint(point), richText);
  }
  void FilesDropped(POINTL point, const std::vector<std::string>& names) override {
    if (grid_) grid_->FilesDropped(ScreenPoint(point), names);
  }
  void UrlDropped(POINTL point, const std::string& url) override {
    if (grid_) grid_->UrlDropped(ScreenPoint(point), url);
  }
  void DragMoving(POINTL point, bool& allow, TDropFormats offered) override {
    if (grid_) grid_->DragMoving(ScreenPoint(point), allow, offered);
  }
  void DragLeaving() override {
    if (grid_) grid_->DragLeaving();
  }

 private:
  QPointer<TCellGrid> grid_;
};

}  // namespace

long RunGridTextDrag(TCellGrid& grid, const std::string& text, const std::string& richText,
                     std::uint32_t allowedEffects, std::uint32_t* effect) {
  TComPtr<TGridDropSource> source(new TGridDropSource(grid));
  return source->BeginTextDrag(text, richText, allowedEffects, effect);
}

bool RegisterGridDropTarget(TCellGrid& grid) {
  TComPtr<TGridDropTarget> target(new TGridDropTarget(grid));
  return RegisterDragDrop(grid.viewport(), target.Get()) == S_OK;
}

void RevokeGridDropTarget(TCellGrid& grid) { RevokeDragDrop(grid.viewport()); }

void SetGridDropTargetAccepts(TCellGrid& grid, bool text, bool files, bool urls) {
  auto* target = static_cast<TOleDropTarget*>(RegisteredDropTarget(grid.viewport()));
  if (target == nullptr) return;
  target->AcceptsText = text;
  target->AcceptsFiles = files;
  target->AcceptsURLs = urls;
}

}  // namespace orlex::grid
