#include "grid/html/HtmlPictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

namespace orlex::grid {

std::optional<std::string> ReadPictureFile(const std::string& path, std::size_t limit) {
  if (path.empty()) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> result;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
      static_cast<unsigned long long>(info.st_size) <= limit) {
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    bool failed = false;
    // Never read past the limit, even if the file grows while it is read.
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        failed = true;
        break;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (!failed) {
      bytes.resize(got);
      result = std::move(bytes);
    }
  }
  ::close(fd);
  return result;
}

std::optional<std::string> PictureFilePath(const std::string& source) {
  static constexpr char kPrefix[] = "FILE://";
  constexpr std::size_t n = sizeof(kPrefix) - 1;
  if (source.size() < n) return std::nullopt;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::toupper(static_cast<unsigned char>(source[i])) != kPrefix[i]) return std::nullopt;
  }
  return source.substr(n);
}

}  // namespace orlex::grid
