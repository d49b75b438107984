#include "app/core/EventLog.h"

#include <cstdio>
#include <utility>

#include "platform/LocaleInfo.h"

namespace orlex::app {

TEventLog::TEventLog(std::string path, TClock clock) : path_(std::move(path)), clock_(std::move(clock)) {}

std::string FormatLogLine(const std::tm& localTime, char timeSeparator, const std::string& message) {
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "%02d.%02d.%04d %02d%c%02d ", localTime.tm_mday, localTime.tm_mon + 1,
                localTime.tm_year + 1900, localTime.tm_hour, timeSeparator, localTime.tm_min);
  std::string line = stamp;
  line += message;
  line += "\r\n";
  return line;
}

void TEventLog::WriteLog(const std::string& message) const {
  const std::time_t now = clock_ ? clock_() : std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return;
  const std::string line = FormatLogLine(local, orlex::LocaleTimeSeparator(), message);
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (file == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
}

}  // namespace orlex::app
