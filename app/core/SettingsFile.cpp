#include "app/core/SettingsFile.h"

#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

#include "app/core/PidRegistry.h"
#include "grid/core/CellGridBase.h"

namespace orlex::app {

namespace {

// A font name always fits on one line; anything else would be cut there when read back.
std::string SingleLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return text;
}

// Section names ignore letter case, so a section belongs to the table when any of its keys names it.
bool IsRegisteredKey(const TPidTable& table, const std::string& section) {
  for (int n = 1; n <= table.PidCount; ++n) {
    const PidRecord* pid = table.Record(n);
    if (pid != nullptr && orlex::ProfileNamesEqual(pid->Key, section)) return true;
  }
  return false;
}

}  // namespace

int TSettingsReader::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
  return profile_.ReadInteger(section, key, defaultValue);
}

double TSettingsReader::ReadFloat(const std::string& section, const std::string& key, double defaultValue) const {
  return profile_.ReadFloat(section, key, defaultValue);
}

bool TSettingsReader::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return profile_.ReadBool(section, key, defaultValue);
}

std::string TSettingsReader::ReadString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue) const {
  return profile_.ReadString(section, key, defaultValue);
}

void TSettingsFile::OpenSettingsFile() {
  std::error_code error;
  if (std::filesystem::exists(path_, error)) settingsFile_ = std::make_unique<TSettingsReader>(path_);
  *failureLogged_ = false;  // each INIT packet reports a failing file once
  if (settingsFile_) {
    settingsFile_->OnReadFailure([log = &failureLog_, logged = failureLogged_](const std::string& message) {
      if (*logged || !*log) return;
      *logged = true;
      (*log)(message);
    });
  }
}

void TSettingsFile::SaveSettings(const grid::TCellGridBase& grid, const TPidTable& table) const {
  // Until an INIT packet has built the table there is nothing to save; writing would wipe every
  // arrangement the file holds. So would a table that an INIT packet is rebuilding right now or has
  // abandoned on a packet error.
  if (!table.Saveable()) return;
  // The open reader must not answer from the file as it was before this save, whatever the save's
  // outcome and however quickly the next read follows.
  struct TForgetOnExit {
    const TSettingsReader* reader;
    ~TForgetOnExit() {
      if (reader != nullptr) reader->Forget();
    }
  } forget{settingsFile_.get()};

  // Sections of keys this INIT did not register belong to other Feeds (or to this one on another day):
  // they are carried over unchanged. Read first, so an unreadable file stops the save instead of
  // being replaced by one without them.
  orlex::TProfileText old;
  try {
    old = orlex::TProfileReader(path_).ReadText();
  } catch (const std::runtime_error&) {
    throw std::runtime_error("Unable to write to " + path_);
  }

  orlex::TProfileWriter writer(path_);
  writer.KeepPreamble(old.preamble);
  for (const orlex::TProfileSectionText& section : old.sections) {
    if (!IsRegisteredKey(table, section.name)) writer.KeepSection(section.text);
  }
  std::set<std::int32_t> written;
  for (int c = 0; c < grid.ColCount(); ++c) {
    if (c != 0 && c != 2 && c != 4) continue;
    for (int r = 1; r < grid.RowCount(); ++r) {
      const std::intptr_t tag = grid.Objects(c, r);
      if (tag == 0) continue;
      for (int n = 1; n <= table.PidCount; ++n) {
        const PidRecord* pid = table.Record(n);
        if (pid == nullptr || tag != pid->ID || written.count(pid->ID) != 0) continue;
        if (grid.CellText(c, r).empty()) continue;
        written.insert(pid->ID);
        // A key with a line break cannot name a section: such a PID could never be read back.
        if (pid->Key.find_first_of("\r\n") != std::string::npos) continue;
        const TPidWindowSettings window = pid->Window ? pid->Window->CurrentSettings() : TPidWindowSettings{};
        const std::string& section = pid->Key;
        writer.WriteInteger(section, "ID", pid->ID);
        writer.WriteInteger(section, "Xpos", c);
        writer.WriteInteger(section, "Ypos", r);
        writer.WriteInteger(section, "Top", window.Top);
        writer.WriteInteger(section, "Left", window.Left);
        writer.WriteInteger(section, "Width", window.Width);
        writer.WriteInteger(section, "Height", window.Height);
        writer.WriteFloat(section, "Threshhold", window.Threshold);
        writer.WriteInteger(section, "GoodColor", window.GoodColor);
        writer.WriteInteger(section, "BadColor", window.BadColor);
        writer.WriteBool(section, "CEnabled", window.CheckingEnabled);
        writer.WriteInteger(section, "FontColor", window.FontColor);
        writer.WriteInteger(section, "FontSize", window.FontSize);
        writer.WriteString(section, "FontName", SingleLine(window.FontName));
      }
    }
  }
  // Nothing to write: no file at all, so the next start is a start without settings, not one with
  // an empty file whose every read gives the "file exists" defaults.
  if (writer.Text().empty()) {
    std::error_code error;
    std::filesystem::remove(path_, error);
    if (error) throw std::runtime_error("Unable to write to " + path_);
    return;
  }
  writer.Commit();
}

void TSettingsFile::DeleteIniFile() {
  settingsFile_.reset();
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
  OpenSettingsFile();
}

}  // namespace orlex::app
