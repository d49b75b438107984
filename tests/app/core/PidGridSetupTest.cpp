#include "app/core/PidGridSetup.h"

#include <gtest/gtest.h>

#include "grid/core/CellGridBase.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

TEST(PidGridSetupTest, ADroppedDescriptionIsWrittenAlthoughTheGridDoesNotEdit) {
  TCellGridBase grid;
  ConfigurePidGrid(grid);
  EXPECT_FALSE(grid.Look().Options & goEditing);
  EXPECT_FALSE(grid.IsCellEditable(2, 5));
  EXPECT_EQ(grid.PasteTextBlock(2, 5, "Boost pressure"), 1);
  EXPECT_EQ(grid.Cells(2, 5), "Boost pressure");
  EXPECT_EQ(grid.ColCount(), kPidGridCols);
  EXPECT_EQ(grid.RowCount(), kPidGridRows);
}

}  // namespace
