// The display's own work per 60-value PID packet, from the socket to the stored values: the main
// window (not shown, so nothing is painted) behind the real Feed socket server, its hidden debug
// window, 60 PIDs in their slots and their hidden PID windows. The Feed is this same thread, writing a
// request and reading its reply, so the figures hold no switching between processes; they do hold
// the Feed's own two system calls (its send and its receive). BM_EchoDisplay is the same loop against
// a server that only answers: what the socket and the event loop cost before any packet handling.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

  std::int32_t Send(std::uint32_t kind, const std::string& text) {
    const std::string frame = orlex::EncodeFeedRequest(orlex::kMsgCopyData, kind, text + '\0');
    std::size_t sent = 0;
    while (sent < frame.size()) {
      const ssize_t n = ::send(fd_, frame.data() + sent, frame.size() - sent, MSG_DONTWAIT);
      if (n > 0) sent += static_cast<std::size_t>(n);
      else QCoreApplication::processEvents();  // the display drains the socket
    }
    char reply[orlex::kFeedReplySize];
    std::size_t got = 0;
    while (got < sizeof reply) {
      QCoreApplication::processEvents();  // the display reads, handles and replies
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
  std::size_t next = 0;
  for (auto _ : state) {
    if (feed.Send(1, packets[next]) != 1) state.SkipWithError("a PID packet was refused");
    next = (next + 1) % packets.size();
  }
  state.SetItemsProcessed(state.iterations());
  window->SetDebugWindow(nullptr);
  form = nullptr;
}
BENCHMARK(BM_DisplayPidPacket)->Unit(benchmark::kMicrosecond);

void BM_EchoDisplay(benchmark::State& state) {
  TScratch scratch;
  orlex::TFeedServer server(scratch.Path() + "/feed.sock", [](std::uint32_t, std::uint32_t, const std::string&) { return 1; });
  TFeedEnd feed(server.Path());
  const std::vector<std::string> packets = Packets();
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(feed.Send(1, packets[next]));
    next = (next + 1) % packets.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EchoDisplay)->Unit(benchmark::kMicrosecond);

}  // namespace
