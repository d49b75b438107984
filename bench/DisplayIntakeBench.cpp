// The display's own work per 60-value PID packet, from the socket to the stored values: the main
// window (not shown, so nothing is painted) behind the real Feed socket server, its hidden debug
// window, 60 PIDs in their slots and their hidden PID windows. The Feed is this same thread, writing a
// request and reading its reply, so the figures hold no switching between processes; they do hold
// the Feed's own two system calls (its send and its receive). BM_EchoDisplay is the same loop against
// a server that only answers: what the socket and the event loop cost before any packet handling.
// The counter `display_us` is the display's side alone: the thread's CPU time inside the event loop
// (its poll, its read, the handling and its reply), taken on every 16th packet so the clock reads
// barely disturb the loop, less what each pair of clock reads costs.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit2.h"
#include "app/debugform.h"
#include "platform/FeedFrame.h"
#include "platform/FeedServer.h"

using namespace orlex::app;

namespace {

constexpr int kPids = 60;

std::string Key(int n) { return (n < 10 ? "P0" : "P") + std::to_string(n); }

std::string InitText() {
  std::string text = std::to_string(kPids) + ";";
  for (int n = 1; n <= kPids; ++n) text += Key(n) + ";\"Sensor " + std::to_string(n) + "\";" + std::to_string(n) + ";";
  return text;
}

std::string PidPacket(int round) {
  std::string text;
  for (int n = 1; n <= kPids; ++n) {
    text += Key(n) + "," + std::to_string(100 + (n * 37 + round) % 5000) + "." + std::to_string(round % 10) + ";";
  }
  return text;
}

// A directory of its own for the socket, the settings file and the log.
class TScratch {
 public:
  TScratch() {
    char pattern[] = "/tmp/orlex-intake-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~TScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::int64_t ThreadCpuNs() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// What one pair of thread clock reads adds to a timed stretch.
std::int64_t ClockPairNs() {
  constexpr int kPairs = 2000;
  std::int64_t least = std::numeric_limits<std::int64_t>::max();
  for (int n = 0; n < kPairs; ++n) {
    const std::int64_t start = ThreadCpuNs();
    least = std::min(least, ThreadCpuNs() - start);
  }
  return least;
}

// CPU time the event loop took, and in how many timed stretches (each holds one pair of clock reads).
struct TDisplayTime {
  std::int64_t ns = 0;
  std::int64_t stretches = 0;
};

// The Feed's end: one connection, a request written, the event loop run until the reply is there.
class TFeedEnd {
 public:
  explicit TFeedEnd(const std::string& socketPath) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
      std::perror("connect");
      std::abort();
    }
  }
  ~TFeedEnd() { ::close(fd_); }

  // Sends one request and returns the reply; with `displayTime` given, adds the CPU time the event
  // loop (the display's side) took to it.
  std::int32_t Send(std::uint32_t kind, const std::string& text, TDisplayTime* displayTime = nullptr) {
    auto runDisplay = [displayTime] {
      if (displayTime == nullptr) {
        QCoreApplication::processEvents();
        return;
      }
      const std::int64_t start = ThreadCpuNs();
      QCoreApplication::processEvents();
      displayTime->ns += ThreadCpuNs() - start;
      ++displayTime->stretches;
    };
    const std::string frame = orlex::EncodeFeedRequest(orlex::kMsgCopyData, kind, text + '\0');
    std::size_t sent = 0;
    while (sent < frame.size()) {
      const ssize_t n = ::send(fd_, frame.data() + sent, frame.size() - sent, MSG_DONTWAIT);
      if (n > 0) sent += static_cast<std::size_t>(n);
      else runDisplay();  // the display drains the socket
    }
    char reply[orlex::kFeedReplySize];
    std::size_t got = 0;
    while (got < sizeof reply) {
      runDisplay();  // the display reads, handles and replies
      const ssize_t n = ::recv(fd_, reply + got, sizeof reply - got, MSG_DONTWAIT);
      if (n > 0) got += static_cast<std::size_t>(n);
    }
    return orlex::DecodeFeedReply(reply);
  }

 private:
  int fd_ = -1;
};

std::vector<std::string> Packets() {
  std::vector<std::string> packets;
  for (int round = 0; round < 8; ++round) packets.push_back(PidPacket(round));  // values really change
  return packets;
}

// The display's CPU per packet, from every 16th packet.
class TDisplayShare {
 public:
  // Where the next packet's display time goes, or null when it is not timed.
  TDisplayTime* Next() {
    if (sent_++ % kEvery != 0) return nullptr;
    ++timed_;
    return &time_;
  }
  void Report(benchmark::State& state) const {
    if (timed_ == 0) return;
    const double ns = static_cast<double>(time_.ns - time_.stretches * pairNs_);
    state.counters["display_us"] = benchmark::Counter(ns / static_cast<double>(timed_) / 1000.0);
  }

 private:
  static constexpr std::int64_t kEvery = 16;
  std::int64_t pairNs_ = ClockPairNs();
  TDisplayTime time_;
  std::int64_t sent_ = 0;
  std::int64_t timed_ = 0;
};

void BM_DisplayPidPacket(benchmark::State& state) {
  TScratch scratch;
  TForm2* form = nullptr;
  orlex::TFeedServer server(scratch.Path() + "/feed.sock",
                            [&form](std::uint32_t msg, std::uint32_t data, const std::string& text) {
                              return form != nullptr ? form->FeedMessage(msg, data, text) : 0;
                            });
  auto window = std::make_unique<TForm2>(scratch.Path());
  form = window.get();
  Tdebugfrm debugWindow(window->Listing());
  window->SetDebugWindow(&debugWindow);
  TFeedEnd feed(server.Path());
  if (feed.Send(0, InitText()) != 1) state.SkipWithError("the INIT packet was refused");
  const std::vector<std::string> packets = Packets();
  TDisplayShare share;
  std::size_t next = 0;
  for (auto _ : state) {
    if (feed.Send(1, packets[next], share.Next()) != 1) state.SkipWithError("a PID packet was refused");
    next = (next + 1) % packets.size();
  }
  state.SetItemsProcessed(state.iterations());
  share.Report(state);
  window->SetDebugWindow(nullptr);
  form = nullptr;
}
BENCHMARK(BM_DisplayPidPacket)->Unit(benchmark::kMicrosecond);

void BM_EchoDisplay(benchmark::State& state) {
  TScratch scratch;
  orlex::TFeedServer server(scratch.Path() + "/feed.sock", [](std::uint32_t, std::uint32_t, const std::string&) { return 1; });
  TFeedEnd feed(server.Path());
  const std::vector<std::string> packets = Packets();
  TDisplayShare share;
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(feed.Send(1, packets[next], share.Next()));
    next = (next + 1) % packets.size();
  }
  state.SetItemsProcessed(state.iterations());
  share.Report(state);
}
BENCHMARK(BM_EchoDisplay)->Unit(benchmark::kMicrosecond);

}  // namespace
