#pragma once

#include <QApplication>
#include <string>

#include "app/PidGridWidget.h"
#include "grid/CellGrid.h"
#include "tests/grid/core/SystemGrid.h"

namespace orlex::grid {

// The grid widget as the main window's form sets it up, at its designed size, after the end of
// loading.
inline void ConfigureSystemGridWidget(TCellGrid& grid) {
  grid.resize(app::kPidGridDesignRect.size());
  app::ConfigurePidGridWidget(grid);
  grid.Loaded();
}

// The start-up clear and column colours of the main window.
inline void SystemColumnColors(TCellGrid& grid) { StartUpClear(grid); }

// Fills all 60 slots with a description and a value.
inline void FillSixtySlots(TCellGrid& grid) {
  static const char* kNames[] = {"Engine RPM", "Coolant Temp", "Intake Air", "Vehicle Speed", "Throttle",
                                 "Manifold Abs", "Fuel Pressure", "Oil Temp", "Battery", "Timing Adv"};
  for (int pair = 0; pair < 3; ++pair) {
    for (int row = 1; row <= 20; ++row) {
      const int slot = pair * 20 + row;
      grid.SetCells(pair * 2, row, std::string(kNames[slot % 10]) + " " + std::to_string(slot));
      grid.SetCells(pair * 2 + 1, row, std::to_string(slot * 37 % 1000) + "." + std::to_string(slot % 100));
      grid.SetObjects(pair * 2, row, slot);
      grid.SetObjects(pair * 2 + 1, row, slot);
    }
  }
}

// The main window's grid with all 60 slots filled, shown and fitted to its width.
inline void ShowFilledSystemGrid(TCellGrid& grid) {
  ConfigureSystemGridWidget(grid);
  SystemColumnColors(grid);
  FillSixtySlots(grid);
  grid.show();
  QApplication::processEvents();
  grid.FitColumnsToWidth();
  QApplication::processEvents();
}

}  // namespace orlex::grid
