#pragma once

#include <memory>
#include <string>

#include "app/core/SettingsSource.h"
#include "platform/ProfileFile.h"

namespace orlex::grid {
class TCellGridBase;
}

namespace orlex::app {

class TPidTable;

// The settings file's reads for the slot layout and the PID windows.
class TSettingsReader : public TSettingsSource {
 public:
  explicit TSettingsReader(std::string path) : profile_(std::move(path)) {}

  int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const override;
  double ReadFloat(const std::string& section, const std::string& key, double defaultValue) const override;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const override;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const override;

 private:
  orlex::TProfileReader profile_;
};

// The settings file: one section per PID key with its slot and its PID window's settings. The main
// window keeps one of these for the life of the process.
class TSettingsFile {
 public:
  explicit TSettingsFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // When the file exists, a new reader on it replaces the open one; otherwise the open one stays.
  void OpenSettingsFile();
  // The open reader, nullptr when none is open.
  const TSettingsSource* SettingsFile() const { return settingsFile_.get(); }

  // Rewrites the file from the grid's slots (columns 0, 2, 4, rows 1 up, column by column) and the
  // PID windows. Before the first INIT packet there is nothing to save and the file stays as it is.
  // The new file replaces the old one only when complete; on failure it throws
  // std::runtime_error("Unable to write to <path>") and the old file is untouched.
  void SaveSettings(const grid::TCellGridBase& grid, const TPidTable& table) const;

  // "Delete INI File": closes the reader, deletes the file (failures ignored), opens again.
  void DeleteIniFile();

 private:
  std::string path_;
  std::unique_ptr<TSettingsReader> settingsFile_;
};

}  // namespace orlex::app
