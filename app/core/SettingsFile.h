#pragma once

#include <functional>
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
  // Failed reads (not a missing file) go here; each still gives its default.
  void OnReadFailure(orlex::TProfileReader::TReadFailure handler) { profile_.OnReadFailure(std::move(handler)); }

  int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const override;
  double ReadFloat(const std::string& section, const std::string& key, double defaultValue) const override;
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const override;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const override;

  // The file has just been written by this process: what was kept of it goes.
  void Forget() const { profile_.Forget(); }

 private:
  orlex::TProfileReader profile_;
};

// The settings file: one section per PID key with its slot and its PID window's settings. The main
// window keeps one of these for the life of the process.
class TSettingsFile {
 public:
  explicit TSettingsFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // Where a read that fails (a directory in the file's place, an I/O error) is reported: once per
  // OpenSettingsFile, that is once per INIT packet. The read gives its default.
  void SetFailureLog(std::function<void(const std::string&)> log) { failureLog_ = std::move(log); }

  // When the file exists, a new reader on it replaces the open one; otherwise the open one stays.
  void OpenSettingsFile();
  // The open reader, nullptr when none is open.
  const TSettingsSource* SettingsFile() const { return settingsFile_.get(); }

  // Rewrites the file from the grid's slots (columns 0, 2, 4, rows 1 up, column by column) and the
  // PID windows. Sections whose name is no key of the current table are kept unchanged after the
  // written ones, in their old order; sections of current keys whose PID stands in no slot are dropped.
  // Before the first INIT packet, while one is being built and after a packet error there is nothing
  // to save and the file stays as it is. When no section at all is left to write the file is deleted.
  // The new file replaces the old one only when complete; on failure it throws
  // std::runtime_error("Unable to write to <path>") and the old file is untouched.
  void SaveSettings(const grid::TCellGridBase& grid, const TPidTable& table) const;

  // "Delete INI File": closes the reader, deletes the file (failures ignored), opens again.
  void DeleteIniFile();

 private:
  std::string path_;
  std::unique_ptr<TSettingsReader> settingsFile_;
  std::function<void(const std::string&)> failureLog_;
  std::shared_ptr<bool> failureLogged_ = std::make_shared<bool>(false);
};

}  // namespace orlex::app
