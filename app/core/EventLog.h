#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace orlex::app {

// The log file: every error that no handler caught, one time-stamped line each. Each entry opens,
// appends and closes the file, so it is on disk as soon as WriteLog returns.
class TEventLog {
 public:
  using TClock = std::function<std::time_t()>;

  // `clock` defaults to the system time; tests pass a fixed one.
  explicit TEventLog(std::string path, TClock clock = {});

  // Appends "dd.mm.yyyy hh:nn message" and CR LF, the colon being the locale's time separator. A file
  // that cannot be created or written drops the entry: this runs inside the exception hook, where a
  // failure of its own has nowhere to go.
  void WriteLog(const std::string& message) const;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  TClock clock_;
};

// One log line with its CR LF, from a broken-down local time and a time separator.
std::string FormatLogLine(const std::tm& localTime, char timeSeparator, const std::string& message);

}  // namespace orlex::app
