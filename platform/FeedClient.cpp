#include "platform/FeedClient.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/FeedFrame.h"
#include "platform/FeedPath.h"
#include "platform/UnixSocket.h"

namespace orlex {

namespace {

[[noreturn]] void ThrowSystem(const std::string& what) {
  throw TFeedError(TFeedError::TKind::System, what + ": " + std::strerror(errno));
}

}  // namespace

TFeedClient::TFeedClient(const std::string& path) : path_(path) {
  std::string dirError;
  if (!PrepareFeedSocketDir(path, false, dirError)) {
    // The display creates its private directory when it starts: none yet means no display yet,
    // which a Feed that waits for the display must be able to retry.
    struct stat dirStat {};
    const std::string dir = std::filesystem::path(path).parent_path().string();
    if (lstat(dir.c_str(), &dirStat) != 0 && errno == ENOENT) {
      throw TFeedError(TFeedError::TKind::NoDisplay, "no display answers on " + path);
    }
    throw TFeedError(TFeedError::TKind::BadPath, "refusing the Feed socket: " + dirError);
  }
  sockaddr_un address;
  if (!MakeUnixAddress(path, address)) {
    throw TFeedError(TFeedError::TKind::BadPath, "Feed socket path is empty or too long: " + path);
  }
  fd_ = ConnectUnixStream(address);
  if (fd_ < 0) {
    if (errno == ENOENT || errno == ECONNREFUSED || errno == ENOTDIR) {
      throw TFeedError(TFeedError::TKind::NoDisplay, "no display answers on " + path);
    }
    ThrowSystem("cannot connect to " + path);
  }
}

TFeedClient TFeedClient::Connect(const std::string& path, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    try {
      return TFeedClient(path);
    } catch (const TFeedError& error) {
      if (error.Kind() != TFeedError::TKind::NoDisplay || std::chrono::steady_clock::now() >= deadline) {
        throw;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

TFeedClient::TFeedClient(TFeedClient&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), frame_(std::move(other.frame_)) {}

TFeedClient& TFeedClient::operator=(TFeedClient&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    frame_ = std::move(other.frame_);
  }
  return *this;
}

TFeedClient::~TFeedClient() { Close(); }

void TFeedClient::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

int32_t TFeedClient::Send(uint32_t msg, uint32_t data, std::string_view payload) {
  if (payload.size() > kFeedMaxPayload) {
    throw TFeedError(TFeedError::TKind::TooLong, "text longer than the 16 MiB the display accepts");
  }
  frame_.clear();
  AppendFeedRequest(frame_, msg, data, payload);
  return Exchange();
}

int32_t TFeedClient::SendPacket(uint32_t kind, std::string_view text) {
  if (text.size() >= kFeedMaxPayload) {
    throw TFeedError(TFeedError::TKind::TooLong, "text longer than the 16 MiB the display accepts");
  }
  // The terminating NUL travels with the text, as the display expects; built in place to spare a copy.
  frame_.clear();
  AppendFeedRequest(frame_, kMsgCopyData, kind, text);
  const uint32_t length = static_cast<uint32_t>(text.size() + 1);
  for (int i = 0; i < 4; ++i) {
    frame_[8 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  }
  frame_.push_back('\0');
  return Exchange();
}

int32_t TFeedClient::Exchange() {
  if (fd_ < 0) {
    throw TFeedError(TFeedError::TKind::ConnectionLost, "the display has closed the connection");
  }
  const auto lost = [this] {
    Close();
    return TFeedError(TFeedError::TKind::ConnectionLost, "the display closed the connection without replying");
  };
  size_t sent = 0;
  while (sent < frame_.size()) {
    // MSG_NOSIGNAL: a display that went away is an error to report, not a SIGPIPE for our host program.
    const ssize_t n = ::send(fd_, frame_.data() + sent, frame_.size() - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EPIPE || errno == ECONNRESET) throw lost();
      ThrowSystem("send");
    }
    sent += static_cast<size_t>(n);
  }
  char reply[kFeedReplySize];
  size_t got = 0;
  while (got < sizeof(reply)) {
    const ssize_t n = ::recv(fd_, reply + got, sizeof(reply) - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == ECONNRESET) throw lost();
      ThrowSystem("recv");
    }
    if (n == 0) throw lost();
    got += static_cast<size_t>(n);
  }
  return DecodeFeedReply(reply);
}

long TFeedClient::PeerProcessId() const {
  if (fd_ < 0) return -1;
  const std::optional<ucred> credentials = PeerCredentials(fd_);
  if (!credentials || credentials->pid <= 0) return -1;
  return credentials->pid;
}

std::string QuoteFeedField(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace orlex
