#pragma once

// A window-free stand-in for the display on a thread: listens on a path, decodes requests with the
// real decoder, records them, and answers each with what the test's function says (nullopt: close the
// connection without replying). Connections are served one after another.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FeedFrame.h"

class TFakeFeedDisplay {
 public:
  using TAnswer = std::function<std::optional<int32_t>(const orlex::TFeedRequest&)>;

  TFakeFeedDisplay(const std::string& path, TAnswer answer) : answer_(std::move(answer)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listenFd_, 8) != 0) {
      ::close(listenFd_);
      listenFd_ = -1;
      return;
    }
    if (pipe(wake_) != 0) return;
    thread_ = std::thread([this] { Run(); });
  }

  ~TFakeFeedDisplay() {
    if (thread_.joinable()) {
      (void)!write(wake_[1], "x", 1);
      thread_.join();
      ::close(wake_[0]);
      ::close(wake_[1]);
    }
    if (listenFd_ >= 0) ::close(listenFd_);
  }

  bool Listening() const { return listenFd_ >= 0; }

  std::vector<orlex::TFeedRequest> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  // Waits for `fd` or the stop pipe; false when stopping.
  bool WaitFor(int fd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
    }
    return (fds[1].revents & POLLIN) == 0;
  }

  void Run() {
    while (WaitFor(listenFd_)) {
      const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      Serve(fd);
      ::close(fd);
    }
  }

  void Serve(int fd) {
    orlex::TFeedDecoder decoder;
    char buffer[65536];
    while (WaitFor(fd)) {
      const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
      if (n <= 0) return;
      decoder.Append(buffer, static_cast<size_t>(n));
      orlex::TFeedRequest request;
      while (decoder.Next(request)) {
        {
          std::lock_guard lock(mutex_);
          requests_.push_back(request);
        }
        const std::optional<int32_t> result = answer_(request);
        if (!result) return;
        const auto reply = orlex::EncodeFeedReply(*result);
        if (send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply.size())) return;
      }
      if (decoder.Oversized()) return;
    }
  }

  TAnswer answer_;
  int listenFd_ = -1;
  int wake_[2] = {-1, -1};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<orlex::TFeedRequest> requests_;
};
