#include "platform/UnixSocket.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orlex {

bool MakeUnixAddress(const std::string& path, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool SomeoneListensAt(const std::string& path) {
  sockaddr_un address;
  if (!MakeUnixAddress(path, address)) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  const bool answers = rc == 0 || errno == EAGAIN || errno == EINPROGRESS;
  ::close(fd);
  return answers;
}

int ConnectUnixStream(const sockaddr_un& address) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int rc;
  do {
    rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

std::optional<ucred> PeerCredentials(int fd) {
  ucred credentials{};
  socklen_t size = sizeof(credentials);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials)) {
    return std::nullopt;
  }
  return credentials;
}

}  // namespace orlex
