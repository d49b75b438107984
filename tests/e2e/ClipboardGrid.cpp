// A grid with the clipboard keys on, for the end-to-end clipboard check (the display keeps them off):
// "clipboard_grid FILE" shows a grid whose cells (0,1) to (1,2) hold alpha, beta, gamma, delta and are
// selected, and writes those four cells to FILE (TAB between cells, LF after a row) after every paste.
#include <QApplication>
#include <cstdio>
#include <fstream>

#include "grid/CellGrid.h"

using namespace orlex::grid;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  const std::string file = argv[1];
  TCellGrid grid;
  grid.setWindowTitle("Clipboard Grid");
  grid.SetColCount(4);
  grid.SetRowCount(6);
  grid.SetFixedCols(0);
  grid.ChangeLook([](TGridLook& look) { look.Options |= goRangeSelect; });
  grid.Navigation.AllowClipboardShortCuts = true;
  grid.Navigation.AllowClipboardAlways = true;
  grid.SetCells(0, 1, "alpha");
  grid.SetCells(1, 1, "beta");
  grid.SetCells(0, 2, "gamma");
  grid.SetCells(1, 2, "delta");
  grid.MoveCurrent(0, 1, true, false);
  grid.MoveCurrent(1, 2, false, false);
  grid.OnCellsChanged = [&](TCellGridBase& g, const TGridRect&) {
    std::ofstream out(file, std::ios::binary);
    for (int row = 1; row <= 2; ++row) out << g.Cells(0, row) << '\t' << g.Cells(1, row) << '\n';
  };
  grid.resize(400, 200);
  grid.move(100, 100);
  grid.show();
  return app.exec();
}
