#include "app/core/SlotLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/core/PidGridSetup.h"
#include "app/core/PidRegistry.h"
#include "app/core/SlotSwap.h"
#include "app/core/SettingsSource.h"
#include "tests/support/NullPidWindow.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

class TMapSettings : public TSettingsSource {
 public:
  std::map<std::pair<std::string, std::string>, int> ints;
  void SetPosition(const std::string& key, int x, int y, int id) {
    ints[{key, "XPOS"}] = x;
    ints[{key, "YPOS"}] = y;
    ints[{key, "ID"}] = id;
  }
  int ReadInteger(const std::string& s, const std::string& k, int d) const override {
    const auto it = ints.find({s, k});
    return it == ints.end() ? d : it->second;
  }
  double ReadFloat(const std::string&, const std::string&, double d) const override { return d; }
  bool ReadBool(const std::string&, const std::string&, bool d) const override { return d; }
  std::string ReadString(const std::string&, const std::string&, const std::string& d) const override { return d; }
};

class TRecordingWindow : public TNullPidWindow {
 public:
  explicit TRecordingWindow(int* live) : live_(live) { ++*live_; }
  ~TRecordingWindow() override { --*live_; }
  void UpdateValue(const std::string& text) override { values.push_back(text); }
  std::vector<std::string> values;

 private:
  int* live_;
};

class SlotLayout : public testing::Test {
 protected:
  void SetUp() override {
    ConfigurePidGrid(grid);
    grid.Loaded();
    ResetGrid(grid, table);
  }
  // Adds the next PID of an INIT packet, as the registry does before restoring positions.
  PidRecord& AddPid(int id, const std::string& key, const std::string& description = "",
                    const std::string& value = "") {
    auto record = std::make_unique<PidRecord>();
    record->ID = id;
    record->Key = key;
    record->Description = description.empty() ? key + " desc" : description;
    record->Value = value;
    record->Window = std::make_unique<TRecordingWindow>(&liveWindows);
    PidRecord& ref = *record;
    table.Put(++table.PidCount, std::move(record));
    return ref;
  }
  static const std::vector<std::string>& Values(const PidRecord& pid) {
    return static_cast<const TRecordingWindow&>(*pid.Window).values;
  }
  void Place() {
    PlaceUnplacedPids(grid, table, [this](const std::string& text) { boxes.push_back(text); });
  }
  void ExpectSlot(int col, int row, const std::string& description, const std::string& value, std::intptr_t tag) {
    EXPECT_EQ(grid.Cells(col, row), description) << col << "," << row;
    EXPECT_EQ(grid.Cells(col + 1, row), value) << col << "," << row;
    EXPECT_EQ(grid.Objects(col, row), tag) << col << "," << row;
    EXPECT_EQ(grid.Objects(col + 1, row), tag) << col << "," << row;
  }

  int liveWindows = 0;
  TCellGridBase grid;
  TPidTable table;  // declared after the counter it reports to
  TMapSettings settings;
  std::vector<std::string> boxes;
};

TEST_F(SlotLayout, ResetEmptiesSlotsDestroysRecordsAndColoursColumns) {
  AddPid(5, "rpm");
  AddPid(6, "oil");
  grid.SetCells(2, 7, "text");
  grid.SetObjects(3, 7, 6);
  grid.SetCells(5, 20, "last");
  ASSERT_EQ(liveWindows, 2);

  ResetGrid(grid, table);

  EXPECT_EQ(liveWindows, 0);
  EXPECT_EQ(table.Record(1), nullptr);
  const std::vector<std::string> headers{"Description", "Value", "Description", "Value", "Description", "Value"};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(grid.Cells(c, 0), headers[c]);
    for (int r = 1; r <= 20; ++r) {
      ASSERT_EQ(grid.Cells(c, r), "");
      ASSERT_TRUE(grid.HasCellProperties(c, r));
      EXPECT_EQ(grid.Objects(c, r), 0);
      EXPECT_EQ(grid.GetCellProperties(c, r)->BrushColor(), c % 2 ? 0x8CF0F9u : 0xFDF8C3u) << c << "," << r;
    }
  }
}

struct HexCase {
  std::string text;
  std::optional<TColor> color;
};

void PrintTo(const HexCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class HexColors : public testing::TestWithParam<HexCase> {};

TEST_P(HexColors, ReadRedGreenBlueFromSixDigits) {
  if (GetParam().color) {
    EXPECT_EQ(HexToColor(GetParam().text), *GetParam().color);
  } else {
    EXPECT_THROW(HexToColor(GetParam().text), std::invalid_argument);
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, HexColors,
                         testing::Values(HexCase{"f9f08c", 0x8CF0F9}, HexCase{"c3f8fd", 0xFDF8C3},
                                         HexCase{"FF0000", 0x0000FF}, HexCase{"00ff00", 0x00FF00},
                                         HexCase{"000000", 0}, HexCase{"f9f08", std::nullopt},
                                         HexCase{"f9f08c0", std::nullopt}, HexCase{"g9f08c", std::nullopt},
                                         HexCase{"-1f08c", std::nullopt}, HexCase{"", std::nullopt}),
                         orlex::test::CaseName);

TEST_F(SlotLayout, SixtyOnePidsFillColumnByColumnAndOneBoxIsShown) {
  for (int k = 1; k <= 62; ++k) AddPid(100 + k, "k" + std::to_string(k));
  for (int n = 1; n <= table.PidCount; ++n) RestoreGridPosition(grid, table, nullptr, n);

  Place();

  EXPECT_EQ(boxes, std::vector<std::string>{"No room Left"});
  for (int k = 1; k <= 60; ++k) {
    const int col = 2 * ((k - 1) / 20), row = (k - 1) % 20 + 1;
    ExpectSlot(col, row, "k" + std::to_string(k) + " desc", "", 100 + k);
    EXPECT_FALSE(table.Record(k)->NeedsPlacement);
  }
  EXPECT_TRUE(table.Record(61)->NeedsPlacement);
  EXPECT_TRUE(table.Record(62)->NeedsPlacement);
  EXPECT_EQ(FindFreeSlot(grid), (TGridSlot{-1, -1}));
}

struct RestoreCase {
  const char* name;
  std::optional<std::tuple<int, int, int>> saved;  // XPOS, YPOS, ID
  bool placed;
};

void PrintTo(const RestoreCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class RestorePosition : public SlotLayout, public testing::WithParamInterface<RestoreCase> {};

TEST_P(RestorePosition, UsesCompleteInAreaPositionsOnly) {
  const RestoreCase& c = GetParam();
  PidRecord& pid = AddPid(3, "boost", "Boost", "");
  if (c.saved) settings.SetPosition("boost", std::get<0>(*c.saved), std::get<1>(*c.saved), std::get<2>(*c.saved));
  settings.ints[{"other", "XPOS"}] = 0;
  const std::size_t cellsBefore = grid.StoredCellCount();

  RestoreGridPosition(grid, table, &settings, 1);

  EXPECT_EQ(pid.NeedsPlacement, !c.placed);
  if (c.placed) {
    const auto [x, y, id] = *c.saved;
    ExpectSlot(x, y, "Boost", "", id);
  } else {
    EXPECT_EQ(grid.StoredCellCount(), cellsBefore);
    for (int col = 0; col < 6; ++col)
      for (int row = 1; row <= 20; ++row) ASSERT_EQ(grid.Objects(col, row), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Saved, RestorePosition,
    testing::Values(RestoreCase{"Complete", std::tuple(2, 5, 3), true},
                    RestoreCase{"LastSlot", std::tuple(4, 20, 3), true},
                    RestoreCase{"SavedIdDiffers", std::tuple(0, 1, 9), true},
                    RestoreCase{"NothingSaved", std::nullopt, false},
                    RestoreCase{"IdMissing", std::tuple(2, 5, -1), false},
                    RestoreCase{"ValueColumn", std::tuple(1, 5, 3), false},
                    RestoreCase{"BeyondColumns", std::tuple(6, 5, 3), false},
                    RestoreCase{"HeaderRow", std::tuple(2, 0, 3), false},
                    RestoreCase{"BelowLastRow", std::tuple(2, 21, 3), false},
                    RestoreCase{"NegativeColumn", std::tuple(-4, 3, 3), false},
                    RestoreCase{"NegativeRow", std::tuple(2, -2, 3), false},
                    RestoreCase{"HugeRow", std::tuple(4, 2147483647, 3), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SlotLayout, NoSettingsFileMeansNoSavedPosition) {
  PidRecord& pid = AddPid(3, "boost");
  pid.NeedsPlacement = false;
  RestoreGridPosition(grid, table, nullptr, 1);
  EXPECT_TRUE(pid.NeedsPlacement);
}

TEST_F(SlotLayout, LaterRestoredPidOverwritesSlotAndEarlierOneIsNotAutoPlaced) {
  PidRecord& first = AddPid(1, "a", "First");
  AddPid(2, "b", "Second");
  settings.SetPosition("a", 0, 3, 1);
  settings.SetPosition("b", 0, 3, 2);
  for (int n = 1; n <= 2; ++n) RestoreGridPosition(grid, table, &settings, n);
  Place();

  ExpectSlot(0, 3, "Second", "", 2);
  EXPECT_FALSE(first.NeedsPlacement);
  EXPECT_TRUE(boxes.empty());
  for (int c : {0, 2, 4})
    for (int r = 1; r <= 20; ++r) ASSERT_NE(grid.Objects(c, r), 1);
}

TEST_F(SlotLayout, SavedIdTagsTheSlotAndRefreshFollowsThatNumber) {
  PidRecord& a = AddPid(3, "a", "Alpha", "1.0");
  PidRecord& b = AddPid(9, "b", "Bravo", "2.0");
  settings.SetPosition("a", 0, 1, 9);  // saved under a number that now belongs to Bravo
  for (int n = 1; n <= 2; ++n) RestoreGridPosition(grid, table, &settings, n);
  Place();
  ExpectSlot(0, 1, "Alpha", "1.0", 9);
  ExpectSlot(0, 2, "Bravo", "2.0", 9);

  RefreshGridValues(grid, table);

  ExpectSlot(0, 1, "Bravo", "2.0", 9);
  ExpectSlot(0, 2, "Bravo", "2.0", 9);
  EXPECT_TRUE(Values(a).empty());  // Alpha stands in no slot: its window is not reached
  EXPECT_EQ(Values(b), (std::vector<std::string>{"2.0", "2.0"}));
}

TEST_F(SlotLayout, SlotTaggedWithAnUnknownNumberIsLeftAlone) {
  AddPid(3, "a", "Alpha", "1.0");
  settings.SetPosition("a", 2, 4, 77);
  RestoreGridPosition(grid, table, &settings, 1);
  table.Record(1)->Description = "Changed";
  RefreshGridValues(grid, table);
  ExpectSlot(2, 4, "Alpha", "1.0", 77);
}

TEST_F(SlotLayout, IdZeroCountsAsFreeAndIsRefreshedIntoEveryFreeSlot) {
  PidRecord& zero = AddPid(0, "z", "Zero", "0.5");
  AddPid(4, "d", "Delta", "4.5");
  Place();
  // The zero PID's slot stays free, so the next PID takes it over.
  ExpectSlot(0, 1, "Delta", "4.5", 4);
  EXPECT_FALSE(zero.NeedsPlacement);
  EXPECT_EQ(FindFreeSlot(grid), (TGridSlot{0, 2}));

  RefreshGridValues(grid, table);

  ExpectSlot(0, 1, "Delta", "4.5", 4);
  ExpectSlot(0, 2, "Zero", "0.5", 0);
  ExpectSlot(4, 20, "Zero", "0.5", 0);
  EXPECT_EQ(Values(zero).size(), 59u);
}

TEST_F(SlotLayout, RefreshUpdatesTwiceForTwoSlotsAndLaterSharedIdWinsCells) {
  PidRecord& twice = AddPid(5, "t", "Twice", "7");
  PidRecord& firstShared = AddPid(8, "s1", "SharedOne", "10");
  PidRecord& secondShared = AddPid(8, "s2", "SharedTwo", "20");
  PidRecord& nowhere = AddPid(11, "n", "Nowhere", "99");
  for (auto [c, r, id] : {std::tuple(0, 4, 5), std::tuple(4, 9, 5), std::tuple(2, 2, 8)}) {
    grid.SetObjects(c, r, id);
    grid.SetObjects(c + 1, r, id);
  }

  RefreshGridValues(grid, table);

  ExpectSlot(0, 4, "Twice", "7", 5);
  ExpectSlot(4, 9, "Twice", "7", 5);
  ExpectSlot(2, 2, "SharedTwo", "20", 8);
  EXPECT_EQ(Values(twice), (std::vector<std::string>{"7", "7"}));
  EXPECT_EQ(Values(firstShared), std::vector<std::string>{"10"});
  EXPECT_EQ(Values(secondShared), std::vector<std::string>{"20"});
  EXPECT_TRUE(Values(nowhere).empty());
}

// A full table of 80 PIDs: those that share a number apart from each other in the table (next to each
// other, a long way apart, the last one) all reach their slot, in table order.
TEST_F(SlotLayout, RefreshReachesEverySharerOfANumberAcrossTheWholeTable) {
  for (int n = 1; n <= TPidTable::kSlots; ++n) AddPid(1000 + n, std::to_string(n) + "k", "", std::to_string(n));
  for (const int n : {8, 9, 17, 64, 65, 80}) table.Record(n)->ID = 7;
  grid.SetObjects(2, 3, 7);
  grid.SetObjects(3, 3, 7);

  RefreshGridValues(grid, table);

  ExpectSlot(2, 3, "80k desc", "80", 7);
  for (int n = 1; n <= TPidTable::kSlots; ++n) {
    const bool sharer = n == 8 || n == 9 || n == 17 || n == 64 || n == 65 || n == 80;
    EXPECT_EQ(Values(*table.Record(n)).size(), sharer ? 1u : 0u) << n;
  }
}

// The refresh keeps which slot shows which PID from one packet to the next. Every way a slot can
// change between two packets must be seen by the next refresh: it then shows exactly what a first
// refresh of the changed grid and table would show.
struct SlotChangeCase {
  const char* name;
  void (*change)(TCellGridBase& grid, TPidTable& table);
  // Slots checked after the next refresh: column, row, description, value, tag.
  std::vector<std::tuple<int, int, std::string, std::string, std::intptr_t>> slots;
};
void PrintTo(const SlotChangeCase& c, std::ostream* os) { *os << c.name; }

std::unique_ptr<PidRecord> NewPid(int id, const std::string& description, const std::string& value) {
  auto record = std::make_unique<PidRecord>();
  record->ID = id;
  record->Key = description;
  record->Description = description;
  record->Value = value;
  record->Window = std::make_unique<TNullPidWindow>();
  return record;
}

class SlotChanges : public testing::TestWithParam<SlotChangeCase> {};

TEST_P(SlotChanges, NextRefreshSeesTheChange) {
  TCellGridBase grid;
  ConfigurePidGrid(grid);
  grid.Loaded();
  TPidTable table;
  ResetGrid(grid, table);
  // Alpha (1) in slot 0,1 and Bravo (2) in slot 0,2, refreshed once.
  table.Put(1, NewPid(1, "Alpha", "1"));
  table.Put(2, NewPid(2, "Bravo", "2"));
  table.PidCount = 2;
  PlaceUnplacedPids(grid, table, nullptr);
  RefreshGridValues(grid, table);
  // The next packet's values.
  table.Record(1)->Value = "1.5";
  table.Record(2)->Value = "2.5";

  GetParam().change(grid, table);
  RefreshGridValues(grid, table);

  for (const auto& [col, row, description, value, tag] : GetParam().slots) {
    EXPECT_EQ(grid.Cells(col, row), description) << col << "," << row;
    EXPECT_EQ(grid.Cells(col + 1, row), value) << col << "," << row;
    EXPECT_EQ(grid.Objects(col, row), tag) << col << "," << row;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SlotChanges,
    testing::Values(
        SlotChangeCase{"nothing",
                       [](TCellGridBase&, TPidTable&) {},
                       {{0, 1, "Alpha", "1.5", 1}, {0, 2, "Bravo", "2.5", 2}}},
        SlotChangeCase{"drag of Alpha onto Bravo",
                       [](TCellGridBase& grid, TPidTable&) {
                         TDragState drag;
                         grid.SetCurrentCell(0, 1);
                         grid.SetAnchor(0, 1);
                         ASSERT_TRUE(SlotDragAllowed(drag, grid, 1, 0));
                         ASSERT_TRUE(RecordSlotDrop(drag, grid, 2, 0, "Alpha"));
                         grid.SetCells(0, 2, "Alpha");  // the grid's own drop
                         grid.SetCells(0, 1, "");       // and its move's cleared source
                         FinishSlotDrag(drag, grid, nullptr);
                       },
                       {{0, 1, "Bravo", "2.5", 2}, {0, 2, "Alpha", "1.5", 1}}},
        SlotChangeCase{"description typed over",
                       [](TCellGridBase& grid, TPidTable&) { grid.SetCells(0, 1, "typed"); },
                       {{0, 1, "Alpha", "1.5", 1}}},
        SlotChangeCase{"block pasted over a slot",
                       [](TCellGridBase& grid, TPidTable&) {
                         grid.Navigation.AllowClipboardAlways = true;
                         ASSERT_EQ(grid.PasteTextBlock(0, 2, "x\ty"), 2);
                       },
                       {{0, 1, "Alpha", "1.5", 1}, {0, 2, "Bravo", "2.5", 2}}},
        SlotChangeCase{"tag written into a free slot",
                       [](TCellGridBase& grid, TPidTable&) {
                         grid.SetObjects(2, 5, 2);
                         grid.SetObjects(3, 5, 2);
                       },
                       {{2, 5, "Bravo", "2.5", 2}, {0, 2, "Bravo", "2.5", 2}}},
        SlotChangeCase{"tag changed through the cell's record",
                       [](TCellGridBase& grid, TPidTable&) { grid.GetCellProperties(0, 2)->CellObject = 1; },
                       {{0, 2, "Alpha", "1.5", 1}}},
        SlotChangeCase{"INIT puts a new PID under a slot's number",
                       [](TCellGridBase&, TPidTable& table) { table.Put(2, NewPid(2, "Charlie", "3")); },
                       {{0, 1, "Alpha", "1.5", 1}, {0, 2, "Charlie", "3", 2}}},
        SlotChangeCase{"INIT begins: no PIDs counted yet",
                       [](TCellGridBase&, TPidTable& table) { table.PidCount = 0; },
                       {{0, 1, "Alpha", "1", 1}, {0, 2, "Bravo", "2", 2}}},
        SlotChangeCase{"grid reset and one PID placed again",
                       [](TCellGridBase& grid, TPidTable& table) {
                         ResetGrid(grid, table);
                         table.Put(1, NewPid(2, "Delta", "4"));
                         table.PidCount = 1;
                         PlaceUnplacedPids(grid, table, nullptr);
                       },
                       {{0, 1, "Delta", "4", 2}, {0, 2, "", "", 0}}},
        SlotChangeCase{"rows cut below the first slot",
                       [](TCellGridBase& grid, TPidTable&) { grid.SetRowCount(2); },
                       {{0, 1, "Alpha", "1.5", 1}, {0, 2, "Bravo", "2", 2}}}));

}  // namespace
