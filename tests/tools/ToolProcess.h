#pragma once

// The built orlex-feed started in the background (a relay), stopped as a user stops it, with its exit
// status and output; and a Feed that speaks raw frames and writes down what comes back.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/FeedFrame.h"
#include "tests/support/TempDir.h"

extern char** environ;

inline std::string FeedToolPath() {
  const char* binaryDir = std::getenv("ORLEX_BINARY_DIR");
  return binaryDir == nullptr ? std::string("orlex-feed") : std::string(binaryDir) + "/tools/orlex-feed";
}

inline std::string SlurpFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Waits up to five seconds for a socket file at `path`.
inline bool WaitForSocket(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    struct stat s {};
    if (stat(path.c_str(), &s) == 0 && S_ISSOCK(s.st_mode)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class TToolProcess {
 public:
  explicit TToolProcess(const std::vector<std::string>& args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, io_.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, io_.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> argStore = args;
    argStore.insert(argStore.begin(), FeedToolPath());
    std::vector<char*> argv;
    for (std::string& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argStore[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~TToolProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  TToolProcess(const TToolProcess&) = delete;
  TToolProcess& operator=(const TToolProcess&) = delete;

  // Sends `signal` (none: 0) and waits for the end; the exit status, 128 + signal when killed.
  int Stop(int signal = SIGTERM) {
    if (pid_ <= 0) return -1;
    if (signal != 0) kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::string Out() const { return SlurpFile(io_.File("out")); }
  std::string Err() const { return SlurpFile(io_.File("err")); }

 private:
  TTempDir io_;
  pid_t pid_ = -1;
};

// A Feed that sends frames one at a time and notes each answer: "reply N", or "closed" when the
// connection ended without one; after the last frame it closes its sending side and notes how the
// connection ends ("end: closed", or the bytes that still came).
inline std::vector<std::string> FeedTranscript(const std::string& path, const std::vector<std::string>& frames) {
  std::vector<std::string> transcript;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return {"no connection"};
  }
  timeval timeout{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  const auto readReply = [&]() -> std::string {
    char reply[4];
    size_t got = 0;
    while (got < sizeof(reply)) {
      const ssize_t n = recv(fd, reply + got, sizeof(reply) - got, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return "no answer in time";
      if (n <= 0) return got == 0 ? "closed" : "closed inside a reply";
      got += static_cast<size_t>(n);
    }
    return "reply " + std::to_string(orlex::DecodeFeedReply(reply));
  };
  for (const std::string& frame : frames) {
    size_t sent = 0;
    while (sent < frame.size()) {
      const ssize_t n = send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    transcript.push_back(readReply());
    if (transcript.back() != "closed" && transcript.back().rfind("reply", 0) != 0) break;
    if (transcript.back() == "closed") break;
  }
  if (transcript.empty() || transcript.back() != "closed") {
    shutdown(fd, SHUT_WR);
    const std::string last = readReply();
    transcript.push_back("end: " + last);
  }
  ::close(fd);
  return transcript;
}
