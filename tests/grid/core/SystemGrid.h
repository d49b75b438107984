#pragma once

#include "grid/core/CellGridBase.h"

namespace orlex::grid {

// The grid as the main window's form configures it: 6 x 21, one header row, no fixed column.
inline void ConfigureSystemGrid(TCellGridBase& grid) {
  grid.SetColCount(6);
  grid.SetRowCount(21);
  grid.SetFixedCols(0);
  grid.SetFixedRows(1);
  grid.ChangeLook([](TGridLook& look) {
    look.Color = clBtnFace;
    look.FixedColor = 14936298;
    look.Font = TFontDesc{"Arial", 10, 0, clWindowText};
    look.FixedFont = TFontDesc{"Arial", 8, 0, clWindowText};
    look.GridLineColor = clBlack;
    look.GridFixedLineColor = clBlack;
    look.Flat = true;
    look.SelectionColor = clHighlight;
    look.SelectionTextColor = clHighlightText;
    look.Options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected | goColSizing;
  });
  grid.SetColumnHeaders({"Description", "Value", "Description", "Value", "Description", "Value"});
  grid.Loaded();
}

// What the main window does at start-up: empty rows 1 to 20 with tag 0 (giving every cell a
// record), then the column colours.
inline void StartUpClear(TCellGridBase& grid, TColor valueColor, TColor descriptionColor) {
  for (int c = 0; c < grid.ColCount(); ++c)
    for (int r = 1; r < grid.RowCount(); ++r) {
      grid.SetCells(c, r, "");
      grid.SetObjects(c, r, 0);
    }
  for (int c : {1, 3, 5}) grid.SetColumnColor(c, valueColor);
  for (int c : {0, 2, 4}) grid.SetColumnColor(c, descriptionColor);
}

}  // namespace orlex::grid
