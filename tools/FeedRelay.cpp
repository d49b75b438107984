#include "tools/FeedRelay.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/FeedFrame.h"
#include "platform/FeedPath.h"
#include "platform/UnixSocket.h"
#include "tools/core/Recording.h"

namespace orlexfeed {

namespace rec = orlex::recording;

namespace {

// Bytes read ahead of the side that is to take them; beyond, the relay stops reading, so a side that
// does not read holds the other up exactly as it would without the relay.
constexpr size_t kMaxAhead = 1024 * 1024;
constexpr size_t kReadChunk = 64 * 1024;

uint64_t SteadyMicros() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address;
  if (!orlex::MakeUnixAddress(path, address)) throw std::runtime_error("socket path is empty or too long: " + path);
  return address;
}

// The display's end of a new pair; -1 when nobody answers there.
int ConnectDisplay(const std::string& path, std::string& error) {
  if (!orlex::PrepareFeedSocketDir(path, false, error)) return -1;
  const int fd = orlex::ConnectUnixStream(Address(path));
  if (fd < 0) {
    error = "no display answers on " + path;
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

}  // namespace

uint64_t UnixMicrosNow() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

struct TFeedRelay::TPair {
  uint32_t id = 0;
  int feed = -1;
  int display = -1;
  std::string toDisplay;
  size_t toDisplayAt = 0;
  std::string toFeed;
  size_t toFeedAt = 0;
  orlex::TFeedDecoder frames;  // the side copy of what the Feed sends
  std::string replyPart;       // a reply not complete yet
  bool feedDone = false;       // the Feed sends no more
  bool displayDone = false;    // the display closed
  bool feedGone = false;       // the Feed takes no more
  bool displayShut = false;    // the display was told the Feed sends no more
  int cause = 0;               // the first side that ended, as a TEndCause

  ~TPair() {
    if (feed >= 0) ::close(feed);
    if (display >= 0) ::close(display);
  }
};

TFeedRelay::TFeedRelay(std::string listenPath, std::string displayPath)
    : listenPath_(std::move(listenPath)), displayPath_(std::move(displayPath)) {
  const sockaddr_un address = Address(listenPath_);
  if (orlex::SomeoneListensAt(listenPath_)) throw std::runtime_error("something already answers on " + listenPath_);
  struct stat existing {};
  if (lstat(listenPath_.c_str(), &existing) == 0) {
    if (!S_ISSOCK(existing.st_mode)) throw std::runtime_error(listenPath_ + " exists and is not a socket");
    ::unlink(listenPath_.c_str());  // a relay or display that is gone
  }
  // Bound under a temporary name and renamed once it listens, private: a Feed never finds the path
  // before the relay takes connections on it.
  std::string bindPath = listenPath_ + "~";
  if (bindPath.size() >= sizeof(address.sun_path)) bindPath = listenPath_;
  if (lstat(bindPath.c_str(), &existing) == 0 && S_ISSOCK(existing.st_mode)) ::unlink(bindPath.c_str());
  const sockaddr_un bindAddress = Address(bindPath);
  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  bool bound = false;
  if (listenFd_ < 0 ||
      !(bound = bind(listenFd_, reinterpret_cast<const sockaddr*>(&bindAddress), sizeof(bindAddress)) == 0) ||
      chmod(bindPath.c_str(), 0600) != 0 || listen(listenFd_, 64) != 0 ||
      (bindPath != listenPath_ && rename(bindPath.c_str(), listenPath_.c_str()) != 0)) {
    const std::string reason = std::strerror(errno);
    if (bound) ::unlink(bindPath.c_str());  // only the file this relay made
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    throw std::runtime_error("cannot listen on " + listenPath_ + ": " + reason);
  }
}

TFeedRelay::~TFeedRelay() {
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(listenPath_.c_str());
  }
}

uint64_t TFeedRelay::Now() const { return SteadyMicros() - startSteady_; }

void TFeedRelay::Record(TPair& pair, const char* bytes, size_t size) {
  if (pair.frames.Oversized()) return;  // the display refuses the rest of this stream unread
  pair.frames.Append(bytes, size);
  orlex::TFeedRequest request;
  while (pair.frames.Next(request)) {
    rec::AppendFrame(scratch_, Now(), pair.id, request.msg, request.data, request.payload);
    ++figures_.frames;
  }
}

void TFeedRelay::RecordReplies(TPair& pair, const char* bytes, size_t size) {
  pair.replyPart.append(bytes, size);
  size_t at = 0;
  for (; pair.replyPart.size() - at >= orlex::kFeedReplySize; at += orlex::kFeedReplySize) {
    rec::AppendReply(scratch_, Now(), pair.id, orlex::DecodeFeedReply(pair.replyPart.data() + at));
    ++figures_.replies;
  }
  pair.replyPart.erase(0, at);
}

void TFeedRelay::RecordEnd(TPair& pair, int cause) {
  rec::AppendEnd(scratch_, Now(), pair.id, static_cast<rec::TEndCause>(pair.cause != 0 ? pair.cause : cause));
}

void TFeedRelay::Accept() {
  for (;;) {
    const int feed = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (feed < 0) return;
    // The display lets only its own user and root in; the relay must not open that door to others.
    const std::optional<ucred> credentials = orlex::PeerCredentials(feed);
    if (!credentials || (credentials->uid != getuid() && credentials->uid != 0)) {
      ::close(feed);
      continue;
    }
    std::string error;
    const int display = ConnectDisplay(displayPath_, error);
    if (display < 0) {
      std::cerr << "orlex-feed record: " << error << "; the Feed's connection is closed." << std::endl;
      ::close(feed);
      continue;
    }
    auto pair = std::make_unique<TPair>();
    pair->id = nextConnection_++;
    pair->feed = feed;
    pair->display = display;
    ++figures_.connections;
    pairs_.push_back(std::move(pair));
  }
}

bool TFeedRelay::Pump(TPair& pair, short feedEvents, short displayEvents) {
  char buffer[kReadChunk];
  // Only sides that poll found ready are read, and a short read is taken to have drained the socket:
  // every system call saved is a few microseconds off each round trip.
  constexpr short kReadable = POLLIN | POLLHUP | POLLERR;
  // The Feed's bytes: read while the display keeps up, passed on at once.
  while ((feedEvents & kReadable) != 0 && !pair.feedDone && !pair.displayDone && pair.toDisplay.size() - pair.toDisplayAt < kMaxAhead) {
    const ssize_t n = recv(pair.feed, buffer, sizeof(buffer), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) {
      pair.feedDone = true;
      if (pair.cause == 0) pair.cause = static_cast<int>(rec::TEndCause::Feed);
      break;
    }
    Record(pair, buffer, static_cast<size_t>(n));
    pair.toDisplay.append(buffer, static_cast<size_t>(n));
    if (static_cast<size_t>(n) < sizeof(buffer)) break;
  }
  while (pair.toDisplayAt < pair.toDisplay.size() && !pair.displayDone) {
    const ssize_t n = send(pair.display, pair.toDisplay.data() + pair.toDisplayAt,
                           pair.toDisplay.size() - pair.toDisplayAt, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n < 0) {
      // The display went away; its closing shows on the reading side, with any replies before it.
      pair.toDisplay.clear();
      pair.toDisplayAt = 0;
      pair.feedDone = true;
      break;
    }
    pair.toDisplayAt += static_cast<size_t>(n);
  }
  if (pair.toDisplayAt == pair.toDisplay.size()) {
    pair.toDisplay.clear();
    pair.toDisplayAt = 0;
    if (pair.feedDone && !pair.displayShut && !pair.displayDone) {
      // As the Feed's own end would: the display still answers what it has, then closes.
      shutdown(pair.display, SHUT_WR);
      pair.displayShut = true;
    }
  }
  // The display's replies, passed back at once.
  while ((displayEvents & kReadable) != 0 && !pair.displayDone && pair.toFeed.size() - pair.toFeedAt < kMaxAhead) {
    const ssize_t n = recv(pair.display, buffer, sizeof(buffer), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) {
      pair.displayDone = true;
      if (pair.cause == 0) pair.cause = static_cast<int>(rec::TEndCause::Display);
      break;
    }
    RecordReplies(pair, buffer, static_cast<size_t>(n));
    pair.toFeed.append(buffer, static_cast<size_t>(n));
    if (static_cast<size_t>(n) < sizeof(buffer)) break;
  }
  while (pair.toFeedAt < pair.toFeed.size() && !pair.feedGone) {
    const ssize_t n =
        send(pair.feed, pair.toFeed.data() + pair.toFeedAt, pair.toFeed.size() - pair.toFeedAt, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n < 0) {
      pair.feedGone = true;
      if (pair.cause == 0) pair.cause = static_cast<int>(rec::TEndCause::Feed);
      break;
    }
    pair.toFeedAt += static_cast<size_t>(n);
  }
  if (pair.feedDone && (feedEvents & (POLLHUP | POLLERR)) != 0) {
    pair.feedGone = true;  // closed both ways: its replies have nowhere to go
  }
  if (pair.feedGone || pair.toFeedAt == pair.toFeed.size()) {
    pair.toFeed.clear();
    pair.toFeedAt = 0;
  }
  // Whatever the Feed sent reaches the display, even when the Feed has already gone.
  const bool finished = (pair.displayDone && pair.toFeed.empty()) ||
                        (pair.feedGone && (pair.toDisplay.empty() || pair.displayDone));
  if (finished) RecordEnd(pair, static_cast<int>(rec::TEndCause::Feed));
  return !finished;
}

void TFeedRelay::Run(int stopFd, rec::TRecordingWriter& writer) {
  writer_ = &writer;
  startSteady_ = SteadyMicros();
  rec::AppendHeader(scratch_, UnixMicrosNow());
  writer_->Push(scratch_);
  std::vector<pollfd> fds;
  for (;;) {
    fds.clear();
    fds.push_back({stopFd, POLLIN, 0});
    fds.push_back({listenFd_, POLLIN, 0});
    for (const auto& pair : pairs_) {
      short feedEvents = 0;
      short displayEvents = 0;
      if (!pair->feedDone && !pair->displayDone && pair->toDisplay.size() - pair->toDisplayAt < kMaxAhead) {
        feedEvents |= POLLIN;
      }
      if (pair->toFeed.size() > pair->toFeedAt && !pair->feedGone) feedEvents |= POLLOUT;
      if (!pair->displayDone && pair->toFeed.size() - pair->toFeedAt < kMaxAhead) displayEvents |= POLLIN;
      if (pair->toDisplay.size() > pair->toDisplayAt) displayEvents |= POLLOUT;
      // A side with nothing to wait for is left out (a negative fd): a hung-up socket would report its
      // hang-up again and again, spinning the loop while the other side takes its time.
      fds.push_back({pair->feedGone || feedEvents == 0 ? -1 : pair->feed, feedEvents, 0});
      fds.push_back({pair->displayDone || displayEvents == 0 ? -1 : pair->display, displayEvents, 0});
    }
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
    }
    if (fds[0].revents != 0) break;
    // Pairs first: the new ones from Accept are polled in the next round.
    for (size_t i = 0; i < pairs_.size();) {
      const pollfd& feed = fds[2 + 2 * i];
      const pollfd& display = fds[3 + 2 * i];
      if ((feed.revents | display.revents) != 0 && !Pump(*pairs_[i], feed.revents, display.revents)) {
        pairs_.erase(pairs_.begin() + static_cast<std::ptrdiff_t>(i));
        fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(2 + 2 * i), fds.begin() + static_cast<std::ptrdiff_t>(4 + 2 * i));
        continue;
      }
      ++i;
    }
    if (fds[1].revents != 0) Accept();
    if (!scratch_.empty()) writer_->Push(scratch_);
  }
  for (const auto& pair : pairs_) RecordEnd(*pair, static_cast<int>(rec::TEndCause::Relay));
  pairs_.clear();
  if (!scratch_.empty()) writer_->Push(scratch_);
  writer_ = nullptr;
}

}  // namespace orlexfeed
