#include "grid/transfer/core/DragDropSettings.h"

#include "grid/transfer/core/TransferFormats.h"

namespace orlex::grid {

void TDragDropSettings::SetOleDropRTF(bool value) {
  oleDropRTF_ = value;
  SetRtfDropEnabled(value);
}

void TDragDropSettings::SetOleDropTarget(bool value) {
  oleDropTarget_ = value;
  if (OnDropTargetChanged) OnDropTargetChanged(value);
}

void TDragDropSettings::Assign(const TDragDropSettings& source) {
  oleDropRTF_ = source.oleDropRTF_;
  OleAcceptText = source.OleAcceptText;
  OleEntireRows = source.OleEntireRows;
  OleDropSource = source.OleDropSource;
  OleRemoveRows = source.OleRemoveRows;
  OleAcceptFiles = source.OleAcceptFiles;
  OleAcceptURLs = source.OleAcceptURLs;
  oleDropTarget_ = source.oleDropTarget_;
  OleInsertRows = source.OleInsertRows;
  OleCopyAlways = source.OleCopyAlways;
  OleColumnDragDrop = source.OleColumnDragDrop;
  ShowCells = source.ShowCells;
}

}  // namespace orlex::grid
