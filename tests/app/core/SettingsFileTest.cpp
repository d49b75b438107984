#include "app/core/SettingsFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <vector>
#include <string>

#include "app/core/PidRegistry.h"
#include "grid/core/CellGridBase.h"
#include "tests/support/LocaleGuard.h"
#include "tests/support/NullPidWindow.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

namespace fs = std::filesystem;

class TFakeWindow : public TNullPidWindow {
 public:
  explicit TFakeWindow(TPidWindowSettings settings) : settings_(std::move(settings)) {}
  bool CheckingEnabled() const override { return settings_.CheckingEnabled; }
  void SetCheckingEnabled(bool enabled) override { settings_.CheckingEnabled = enabled; }
  TPidWindowSettings CurrentSettings() const override { return settings_; }

 private:
  TPidWindowSettings settings_;
};

std::string ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file's section headers in order, run together: "[rpm][ect]".
std::string SectionNames(const std::string& contents) {
  std::string sections;
  std::istringstream lines(contents);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.front() == '[') sections += line.substr(0, line.find(']') + 1);
  }
  return sections;
}

void WriteRaw(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

// A grid of three slot columns and twenty rows, a table and a settings file in a fresh directory.
class SettingsFileTest : public testing::Test {
 protected:
  SettingsFileTest() {
    std::string pattern = (fs::temp_directory_path() / "settingsfile.XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    path_ = (dir_ / "orlexgauges_pidgrid.ini").string();
    grid_.SetColCount(6);
    grid_.SetRowCount(21);
    table_.InitDone = true;
  }
  ~SettingsFileTest() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Adds a PID to the table and, when col >= 0, puts it into the slot (col, row).
  void AddPid(int id, const std::string& key, const std::string& description, int col, int row,
              TPidWindowSettings window = {}) {
    auto record = std::make_unique<PidRecord>();
    record->ID = id;
    record->Key = key;
    record->Description = description;
    record->Window = std::make_unique<TFakeWindow>(window);
    table_.Put(++table_.PidCount, std::move(record));
    if (col >= 0) {
      grid_.SetCells(col, row, description);
      grid_.SetObjects(col, row, id);
      grid_.SetObjects(col + 1, row, id);
    }
  }

  fs::path dir_;
  std::string path_;
  TCellGridBase grid_;
  TPidTable table_;
};

TEST_F(SettingsFileTest, WritesEveryKeyInOrderAndSectionsInColumnMajorScanOrder) {
  TLocaleGuard locale("de_DE.UTF-8");
  ASSERT_TRUE(locale.Active());
  TPidWindowSettings speed{10, 20, 180, 170, 12.5, 0x00FF00, 0x0000FF, true, 0xFF0000, 18, "Liberation Sans"};
  // In table order the column-2 PID comes first, in the scan the column-0 PID does.
  AddPid(7, "speed", "Speed", 2, 1, speed);
  AddPid(3, "rpm", "RPM", 0, 5);
  TSettingsFile(path_).SaveSettings(grid_, table_);
  EXPECT_EQ(ReadRaw(path_),
            "[rpm]\r\nID=3\r\nXpos=0\r\nYpos=5\r\nTop=-1\r\nLeft=-1\r\nWidth=-1\r\nHeight=-1\r\n"
            "Threshhold=0\r\nGoodColor=0\r\nBadColor=0\r\nCEnabled=0\r\nFontColor=0\r\nFontSize=15\r\n"
            "FontName=Arial\r\n"
            "\r\n"
            "[speed]\r\nID=7\r\nXpos=2\r\nYpos=1\r\nTop=10\r\nLeft=20\r\nWidth=180\r\nHeight=170\r\n"
            "Threshhold=12,5\r\nGoodColor=65280\r\nBadColor=255\r\nCEnabled=1\r\nFontColor=16711680\r\n"
            "FontSize=18\r\nFontName=Liberation Sans\r\n");
}

// Which PIDs get a section, and under which name, for small slot arrangements.
struct PidSpec {
  int id;
  const char* key;
  const char* description;
  int col;  // -1: in no slot
  int row;
};

struct SaveCase {
  const char* name;
  std::vector<PidSpec> pids;  // in table order
  const char* sections;       // the "[...]" lines of the saved file, joined
};

void PrintTo(const SaveCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class SettingsSaveSelection : public SettingsFileTest, public testing::WithParamInterface<SaveCase> {};

TEST_P(SettingsSaveSelection, WritesOneSectionPerSlottedPid) {
  for (const PidSpec& pid : GetParam().pids) AddPid(pid.id, pid.key, pid.description, pid.col, pid.row);
  TSettingsFile(path_).SaveSettings(grid_, table_);
  EXPECT_EQ(SectionNames(ReadRaw(path_)), GetParam().sections);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSaveSelection,
    testing::Values(
        SaveCase{"EmptyDescriptionNotSaved", {{1, "a", "", 0, 1}, {2, "b", "B", 0, 2}}, "[b]"},
        SaveCase{"SharedIdGivesOneSectionForTheFirstInTableOrder",
                 {{4, "first", "First", 0, 1}, {4, "second", "Second", -1, 0}},
                 "[first]"},
        SaveCase{"SameIdInTwoSlotsGivesTheFirstPidInTableOrder",
                 {{4, "first", "First", 2, 1}, {4, "second", "Second", 0, 9}},
                 "[first]"},
        SaveCase{"PidWithoutSlotNotSaved",
                 {{1, "placed", "Placed", 4, 20}, {2, "unplaced", "Unplaced", -1, 0}},
                 "[placed]"},
        SaveCase{"ScanRunsDownEachColumnFirst",
                 {{1, "c4r1", "x", 4, 1}, {2, "c2r20", "x", 2, 20}, {3, "c2r3", "x", 2, 3}, {4, "c0r9", "x", 0, 9}},
                 "[c0r9][c2r3][c2r20][c4r1]"},
        SaveCase{"KeysDifferingInCaseShareOneSection", {{1, "rpm", "rpm", 0, 1}, {2, "RPM", "RPM", 0, 2}}, "[rpm]"},
        SaveCase{"KeyWithLineBreakSkipped", {{1, "bad\r\n[x]", "Bad", 0, 1}, {2, "good", "Good", 0, 2}}, "[good]"}),
    [](const testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, SaveBeforeAnyInitLeavesTheFileAsItIs) {
  const std::string old = "[rpm]\r\nID=3\r\nXpos=2\r\nYpos=4\r\n";
  WriteRaw(path_, old);
  table_.InitDone = false;
  TSettingsFile(path_).SaveSettings(grid_, table_);
  EXPECT_EQ(ReadRaw(path_), old);
}

// Another Feed's PIDs (here ECT, written by hand: odd spacing, a comment, LF line ends, no final line
// end) are not in this INIT; a save keeps their sections byte for byte after the ones it writes.
TEST_F(SettingsFileTest, SaveKeepsSectionsOfKeysNotInTheTableByteForByte) {
  const std::string preamble = "; my two rigs\r\n";
  const std::string ect = "[ECT]\r\nID=2\r\nXpos = 4\r\n; coolant, rig B\nYpos=7\nFontName=\"Liberation Sans\"\r\n";
  const std::string oil = "[  oil  ]\r\nID=9\r\nThreshhold=12,5";
  WriteRaw(path_, preamble + "\r\n[RPM]\r\nID=1\r\nXpos=2\r\nYpos=9\r\n\r\n" + ect + "\r\n\r\n" + oil);
  AddPid(1, "RPM", "RPM", 0, 1);
  TSettingsFile(path_).SaveSettings(grid_, table_);
  EXPECT_EQ(ReadRaw(path_),
            preamble + "\r\n" +
                "[RPM]\r\nID=1\r\nXpos=0\r\nYpos=1\r\nTop=-1\r\nLeft=-1\r\nWidth=-1\r\nHeight=-1\r\n"
                "Threshhold=0\r\nGoodColor=0\r\nBadColor=0\r\nCEnabled=0\r\nFontColor=0\r\nFontSize=15\r\n"
                "FontName=Arial\r\n" +
                "\r\n" + ect + "\r\n" + oil + "\r\n");

  // The kept sections still read back, and a second save changes nothing about them.
  TSettingsFile again(path_);
  again.OpenSettingsFile();
  ASSERT_NE(again.SettingsFile(), nullptr);
  EXPECT_EQ(again.SettingsFile()->ReadInteger("ect", "YPOS", -1), 7);
  const std::string first = ReadRaw(path_);
  again.SaveSettings(grid_, table_);
  EXPECT_EQ(ReadRaw(path_), first);
}

// Which old sections survive a save: those named by no key of the current table, in their old order.
// A current key's section is rewritten from the grid, or dropped when its PID stands in no slot.
struct KeepCase {
  const char* name;
  const char* oldSections;    // "[...]" lines of the old file, joined
  std::vector<PidSpec> pids;  // the current table
  const char* sections;       // the "[...]" lines of the saved file, joined
};

void PrintTo(const KeepCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class SettingsSaveKeeping : public SettingsFileTest, public testing::WithParamInterface<KeepCase> {};

TEST_P(SettingsSaveKeeping, KeepsOnlySectionsOfOtherKeys) {
  std::string old;
  std::string names = GetParam().oldSections;
  for (std::size_t open = names.find('['); open != std::string::npos; open = names.find('[', open + 1)) {
    old += names.substr(open, names.find(']', open) - open + 1) + "\r\nID=5\r\n\r\n";
  }
  WriteRaw(path_, old);
  for (const PidSpec& pid : GetParam().pids) AddPid(pid.id, pid.key, pid.description, pid.col, pid.row);
  TSettingsFile(path_).SaveSettings(grid_, table_);
  EXPECT_EQ(SectionNames(ReadRaw(path_)), GetParam().sections);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSaveKeeping,
    testing::Values(
        KeepCase{"OtherKeysFollowInTheirOldOrder", "[zeta][rpm][alpha]", {{1, "rpm", "RPM", 0, 1}}, "[rpm][zeta][alpha]"},
        KeepCase{"CurrentKeyInAnotherCaseIsRewrittenNotKept", "[Rpm][ect]", {{1, "RPM", "RPM", 0, 1}}, "[RPM][ect]"},
        KeepCase{"CurrentKeyWithoutSlotIsDropped", "[spare][ect]", {{1, "spare", "Spare", -1, 0}}, "[ect]"},
        KeepCase{"RepeatedOldSectionsAreAllKept", "[ect][ect]", {{1, "rpm", "RPM", 0, 1}}, "[rpm][ect][ect]"},
        KeepCase{"EmptyTableKeepsEverything", "[a][b]", {}, "[a][b]"}),
    [](const testing::TestParamInfo<KeepCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, SaveWithNothingToWriteLeavesNoFile) {
  // An INIT of no PIDs, or of PIDs that stand in no slot: the next start must find no file, so it
  // starts as a first run does rather than with the defaults of a file that exists.
  // The old file holds only the section of a current key, so nothing is kept either.
  WriteRaw(path_, "[unplaced]\r\nID=3\r\n");
  AddPid(1, "unplaced", "Unplaced", -1, 0);
  TSettingsFile(path_).SaveSettings(grid_, table_);
  EXPECT_FALSE(fs::exists(path_));
  TSettingsFile(path_).SaveSettings(grid_, table_);  // and again, with no file to delete
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(SettingsFileTest, RoundTripThroughTheOpenReader) {
  TSettingsFile file(path_);
  file.OpenSettingsFile();
  EXPECT_EQ(file.SettingsFile(), nullptr);  // no file yet

  TPidWindowSettings window{-5, 300, 174, 150, -1.0, -16777201, 16777215, true, 0, 9, "Tahoma"};
  AddPid(12, "coolant", "Coolant", 4, 20, window);
  file.SaveSettings(grid_, table_);
  file.OpenSettingsFile();
  const TSettingsSource* source = file.SettingsFile();
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->ReadInteger("COOLANT", "ID", -1), 12);
  EXPECT_EQ(source->ReadInteger("coolant", "XPOS", -1), 4);
  EXPECT_EQ(source->ReadInteger("coolant", "YPOS", -1), 20);
  EXPECT_EQ(source->ReadInteger("coolant", "Top", 0), -5);
  EXPECT_EQ(source->ReadInteger("coolant", "Left", -1), 300);
  EXPECT_DOUBLE_EQ(source->ReadFloat("coolant", "Threshhold", 0.0), -1.0);
  EXPECT_EQ(source->ReadInteger("coolant", "GoodColor", 0), -16777201);  // a system colour
  EXPECT_TRUE(source->ReadBool("coolant", "CEnabled", false));
  EXPECT_EQ(source->ReadInteger("coolant", "FontSize", 15), 9);
  EXPECT_EQ(source->ReadString("coolant", "FontName", "Arial"), "Tahoma");

  // A later save is seen by the reader that is already open.
  grid_.SetObjects(4, 20, 0);
  grid_.SetCells(4, 20, "");
  AddPid(13, "oil", "Oil", 0, 1);
  file.SaveSettings(grid_, table_);
  EXPECT_EQ(source->ReadInteger("coolant", "ID", -1), -1);
  EXPECT_EQ(source->ReadInteger("oil", "ID", -1), 13);
}

TEST_F(SettingsFileTest, DeleteIniFileLeavesNoReaderAndNoFile) {
  AddPid(1, "a", "A", 0, 1);
  TSettingsFile file(path_);
  file.SaveSettings(grid_, table_);
  file.OpenSettingsFile();
  ASSERT_NE(file.SettingsFile(), nullptr);
  file.DeleteIniFile();
  EXPECT_EQ(file.SettingsFile(), nullptr);
  EXPECT_FALSE(fs::exists(path_));
  // Opening with no file keeps whatever reader there is: here none.
  file.OpenSettingsFile();
  EXPECT_EQ(file.SettingsFile(), nullptr);
}

TEST_F(SettingsFileTest, FailedSaveReportsThePathAndKeepsTheOldFile) {
  AddPid(1, "a", "A", 0, 1);
  // The settings path names a directory: the new file cannot be renamed over it.
  const std::string blocked = (dir_ / "blocked").string();
  fs::create_directory(blocked);
  WriteRaw(blocked + "/keep", "x");
  try {
    TSettingsFile(blocked).SaveSettings(grid_, table_);
    FAIL() << "the save reported success";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked);
  }
  EXPECT_EQ(ReadRaw(blocked + "/keep"), "x");
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

}  // namespace
