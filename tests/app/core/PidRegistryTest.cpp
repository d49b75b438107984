#include "app/core/PidRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "tests/app/core/FeedFakes.h"

using namespace orlex::app;

namespace {

std::unique_ptr<PidRecord> MakeRecord(const char* key, int* liveWindows) {
  auto record = std::make_unique<PidRecord>();
  record->Key = key;
  record->Window = std::make_unique<TFakePidWindow>(liveWindows);
  return record;
}

TEST(PidTable, PositionsOutsideTheTableHoldNothingAndTakeNothing) {
  TPidTable table;
  int live = 0;
  table.Put(80, MakeRecord("last", &live));
  for (int n : {-1, 0, 81, 1000}) {
    EXPECT_EQ(table.Record(n), nullptr) << n;
    EXPECT_THROW(table.Put(n, MakeRecord("x", &live)), std::out_of_range) << n;
  }
  EXPECT_EQ(table.Record(80)->Key, "last");
  EXPECT_EQ(live, 1);
  table.Clear();
  EXPECT_EQ(live, 0);
  EXPECT_EQ(table.Record(80), nullptr);
}

// Bulk operations and value updates reach slots 1 to PidCount only and step over slots that are
// still empty (as in the middle of an INIT packet) or windowless.
TEST(PidTable, BulkOperationsCoverOnlyTheCountedSlots) {
  TPidTable table;
  int live = 0;
  table.Put(1, MakeRecord("k", &live));
  table.Put(3, MakeRecord("k", &live));
  table.Put(4, MakeRecord("k", &live));
  auto windowless = std::make_unique<PidRecord>();
  windowless->Key = "k";
  table.Put(2, std::move(windowless));
  table.PidCount = 3;

  table.ShowAll();
  table.EnableChecking();
  table.UpdateValue("k", "v");
  EXPECT_TRUE(FakeWindow(table, 1).visible && FakeWindow(table, 3).visible);
  EXPECT_TRUE(FakeWindow(table, 1).checking && FakeWindow(table, 3).checking);
  EXPECT_EQ(table.Record(2)->Value, "v");
  EXPECT_FALSE(FakeWindow(table, 4).visible || FakeWindow(table, 4).checking);
  EXPECT_EQ(table.Record(4)->Value, "");

  // A count beyond the table never walks off its end.
  FakeWindow(table, 4).visible = FakeWindow(table, 4).checking = true;
  table.PidCount = 500;
  table.HideAll();
  table.DisableChecking();
  EXPECT_FALSE(FakeWindow(table, 4).visible || FakeWindow(table, 4).checking);
}

TEST(PidTable, ValueUpdatesFollowReplacedRecords) {
  TPidTable table;
  int live = 0;
  table.PidCount = 2;
  table.Put(1, MakeRecord("a", &live));
  table.UpdateValue("a", "1");
  table.Put(1, MakeRecord("b", &live));
  table.Put(2, MakeRecord("a", &live));
  table.UpdateValue("a", "2");
  table.UpdateValue("b", "3");
  EXPECT_EQ(table.Record(1)->Value, "3");
  EXPECT_EQ(table.Record(2)->Value, "2");
  table.Clear();
  table.UpdateValue("a", "4");
  table.Put(2, MakeRecord("a", &live));
  table.UpdateValue("a", "5");
  EXPECT_EQ(table.Record(2)->Value, "5");
}

}  // namespace
