#include "app/core/PidGridSetup.h"

#include "grid/core/CellGridBase.h"

namespace orlex::app {

void ConfigurePidGrid(grid::TCellGridBase& grid) {
  grid.SetColCount(kPidGridCols);
  grid.SetRowCount(kPidGridRows);
  grid.SetFixedCols(0);
  grid.SetFixedRows(1);

  grid.ChangeLook([](grid::TGridLook& look) {
    look.Color = grid::clBtnFace;
    look.FixedColor = kPidGridFixedColor;
    look.GridLineColor = grid::clBlack;
    look.GridFixedLineColor = grid::clBlack;
    look.SelectionColor = grid::clHighlight;
    look.SelectionTextColor = grid::clHighlightText;
    look.Flat = true;
    // Fonts by pixel height at 96 dpi, as points: 13 px is 10 pt, 11 px is 8 pt.
    look.Font = grid::TFontDesc{"Arial", 10, 0, grid::clWindowText};
    look.FixedFont = grid::TFontDesc{"Arial", 8, 0, grid::clWindowText};
    look.ActiveCellFont = grid::TFontDesc{"MS Sans Serif", 8, grid::fsBold, grid::clWindowText};
    look.Options = grid::goFixedVertLine | grid::goFixedHorzLine | grid::goVertLine | grid::goHorzLine |
                   grid::goDrawFocusSelected | grid::goColSizing;
  });
  // Editing stays off, yet drops must write the dragged description into the target slot.
  grid.Navigation.AllowClipboardAlways = true;

  grid.SetColumnHeaders({"Description", "Value", "Description", "Value", "Description", "Value"});
}

}  // namespace orlex::app
