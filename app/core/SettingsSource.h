#pragma once

#include <string>

namespace orlex::app {

// Reads of the open settings file, by section (a PID's key) and key, with the file's conversion rules.
// The settings file implements it; tests use a map.
class TSettingsSource {
 public:
  virtual ~TSettingsSource() = default;
  virtual int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const = 0;
  virtual double ReadFloat(const std::string& section, const std::string& key, double defaultValue) const = 0;
  virtual bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const = 0;
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const = 0;
};

}  // namespace orlex::app
