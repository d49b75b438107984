#include "app/core/PidGridSetup.h"

#include "grid/core/CellGridBase.h"

void ConfigurePidGrid(TCellGridBase& grid) {
  grid.SetColCount(kPidGridCols);
  grid.SetRowCount(kPidGridRows);
  grid.SetFixedCols(0);
  grid.SetFixedRows(1);

  grid.Color = clBtnFace;
  grid.FixedColor = 14936298;
  grid.GridLineColor = 0;
  grid.GridFixedLineColor = 0;
  grid.SelectionColor = clHighlight;
  grid.SelectionTextColor = clHighlightText;
  grid.Flat = true;
  // Fonts by pixel height at 96 dpi, as points: 13 px is 10 pt, 11 px is 8 pt.
  grid.Font = TFontDesc{"Arial", 10, 0, clWindowText};
  grid.FixedFont = TFontDesc{"Arial", 8, 0, clWindowText};
  grid.ActiveCellFont = TFontDesc{"MS Sans Serif", 8, fsBold, clWindowText};
  grid.Options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected | goColSizing;

  grid.SetColumnHeaders({"Description", "Value", "Description", "Value", "Description", "Value"});
}
