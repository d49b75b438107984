#include "app/core/EventLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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
  // Never through a link: one planted in the log's place would make us append to another's file.
  const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return;
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

}  // namespace orlex::app
