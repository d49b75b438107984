// A save that comes while a packet is still being handled (a save request or a close let in by the
// packet's status line or its error box) must not write from the table that packet is rebuilding or
// has abandoned: the settings file stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "app/core/FeedIntake.h"
#include "app/core/SettingsFile.h"
#include "grid/core/CellGridBase.h"
#include "tests/app/core/FeedFakes.h"
#include "tests/support/TempDir.h"

using namespace orlex::app;
using orlex::grid::TCellGridBase;

namespace {

std::string ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The main window's part in packets, as far as saving goes: PID n stands in slot (0, n), and a save
// is the real save of the grid and the table to the settings file.
class TSavingHost : public TFakeHost {
 public:
  TSavingHost(TPidTable& table, TCellGridBase& grid, const TSettingsFile& file)
      : TFakeHost(table), table_(table), grid_(grid), file_(file) {}

  void ResetGrid() override {
    TFakeHost::ResetGrid();
    for (int r = 1; r < grid_.RowCount(); ++r) Place(0, r, "", 0);
  }
  void RestoreGridPosition(int n) override {
    TFakeHost::RestoreGridPosition(n);
    Place(0, n, table_.Record(n)->Description, table_.Record(n)->ID);
  }
  void SaveSettings() override {
    TFakeHost::SaveSettings();
    file_.SaveSettings(grid_, table_);
  }
  void Place(int col, int row, const std::string& description, int id) {
    grid_.SetCells(col, row, description);
    grid_.SetObjects(col, row, id);
    grid_.SetObjects(col + 1, row, id);
  }

 private:
  TPidTable& table_;
  TCellGridBase& grid_;
  const TSettingsFile& file_;
};

struct SaveDuringCase {
  const char* name;
  std::uint32_t kind;
  const char* packet;
  // Where the save request comes in: the packet's status line of this text, or its error box (nullptr).
  const char* status;
};

void PrintTo(const SaveDuringCase& c, std::ostream* os) { *os << c.name; }

class SaveDuringPacket : public testing::TestWithParam<SaveDuringCase> {
 protected:
  SaveDuringPacket() {
    grid_.SetColCount(6);
    grid_.SetRowCount(21);
  }
  int Send(std::uint32_t kind, const std::string& text) { return WMCopyData(table_, host_, kind, text); }

  TTempDir dir_;
  TSettingsFile file_{dir_.File("orlexgauges_pidgrid.ini")};
  TCellGridBase grid_;
  TPidTable table_;
  TSavingHost host_{table_, grid_, file_};
};

TEST_P(SaveDuringPacket, LeavesTheSettingsFileAsItWas) {
  const SaveDuringCase& c = GetParam();
  ASSERT_EQ(Send(kInitPacket, "2;k1;d1;1;k2;d2;2;"), 1);
  Send(kSaveRequest, "");
  const std::string saved = ReadRaw(file_.Path());
  ASSERT_NE(saved.find("[k2]"), std::string::npos) << "the save path writes at all";
  // The user has moved k1 since: a save now would write its new slot.
  host_.Place(0, 1, "", 0);
  host_.Place(2, 5, "d1", 1);

  int savesInside = 0;
  const auto saveRequest = [&] {
    ++savesInside;
    Send(kSaveRequest, "");
  };
  host_.onStatus = [&](const std::string& text) {
    if (c.status != nullptr && text == c.status) saveRequest();
  };
  host_.onFail = [&](const std::string&) {
    if (c.status == nullptr) saveRequest();
  };
  try {
    Send(c.kind, c.packet);
  } catch (const TFakeProcessEnd&) {
    EXPECT_EQ(c.status, nullptr) << "the packet was to succeed";
  }
  EXPECT_EQ(savesInside, 1);
  EXPECT_EQ(ReadRaw(file_.Path()), saved);

  if (c.status != nullptr) {
    // Once the packet is done, a save writes from the table it built.
    Send(kSaveRequest, "");
    EXPECT_NE(ReadRaw(file_.Path()).find("[k9]"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveDuringPacket,
    testing::Values(
        // The new table is complete but its packet is still running.
        SaveDuringCase{"InitAtItsLastStatus", kInitPacket, "1;k9;d9;9;", "Watching for PID Data"},
        SaveDuringCase{"InitAbandonedOnAMissingField", kInitPacket, "2;k1;d1;1;k2;d2;", nullptr},
        // The table is the last INIT's, intact, but the process is ending without a save.
        SaveDuringCase{"EmptyPidPacket", kPidPacket, "", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
