#include "tools/FeedBench.h"

#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/FeedFrame.h"
#include "tools/FeedDemo.h"

namespace orlexfeed {

namespace {

constexpr int kBenchPids = 60;
constexpr size_t kWarmUp = 200;
constexpr size_t kDistinctPackets = 64;

std::string Key(const std::string& prefix, int i) {
  char number[8];
  std::snprintf(number, sizeof(number), "%02d", i);
  return prefix + number;
}

std::string BenchDescription(int i, bool html) {
  const std::string n = std::to_string(i);
  if (!html) return "Bench PID " + n;
  return "<B>Bench</B> <FONT COLOR=\"clred\">PID " + n + "</FONT> <A HREF=\"pid:" + n + "\">info</A>";
}

// Answers every frame of one connection with 1, as fast as the socket allows.
void EchoOneConnection(int listenFd) {
  const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  orlex::TFeedDecoder decoder;
  std::vector<char> buffer(64 * 1024);
  const auto reply = orlex::EncodeFeedReply(1);
  for (;;) {
    const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
    if (n <= 0) break;
    decoder.Append(buffer.data(), static_cast<size_t>(n));
    orlex::TFeedRequest request;
    while (decoder.Next(request)) {
      if (send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply.size())) break;
    }
    if (decoder.Oversized()) break;
  }
  ::close(fd);
}

}  // namespace

std::string BenchInitPacket(const std::string& prefix, bool html) {
  std::string text = std::to_string(kBenchPids) + ";";
  for (int i = 1; i <= kBenchPids; ++i) {
    text += Key(prefix, i) + ";" + orlex::QuoteFeedField(BenchDescription(i, html)) + ";" + std::to_string(i) + ";";
  }
  return text;
}

// Packets are made before the clock starts, so only the round trips are measured.
std::vector<std::string> BenchValuePackets(const std::string& prefix) {
  std::vector<std::string> packets;
  for (size_t n = 0; n < kDistinctPackets; ++n) {
    std::string text;
    for (int i = 1; i <= kBenchPids; ++i) {
      text += Key(prefix, i) + "," + FormatDecimal(100.0 + 7.3 * i + 1.1 * static_cast<double>(n), 1, ".") + ";";
    }
    packets.push_back(std::move(text));
  }
  return packets;
}

double Percentile(const std::vector<double>& sorted, double fraction) {
  if (sorted.empty()) return 0;
  const size_t index = std::min(sorted.size() - 1, static_cast<size_t>(fraction * static_cast<double>(sorted.size())));
  return sorted[index];
}

bool IsBenchKeyPrefix(const std::string& prefix) {
  if (prefix.empty()) return false;
  for (const char c : prefix) {
    // Bytes that would split or quote a field, or cut the key from its value in a PID packet.
    if (static_cast<unsigned char>(c) <= 32 || c == ';' || c == ',' || c == '"') return false;
  }
  return true;
}

TBenchFigures RunBench(orlex::TFeedClient& client, size_t count, const std::string& keysPrefix,
                       bool htmlDescriptions) {
  TBenchFigures figures;
  if (client.SendPacket(0, BenchInitPacket(keysPrefix, htmlDescriptions)) != 1) {
    ++figures.notOne;
  }
  const std::vector<std::string> packets = BenchValuePackets(keysPrefix);
  for (size_t i = 0; i < kWarmUp; ++i) {
    client.SendPacket(1, packets[i % packets.size()]);
  }
  std::vector<double> micros;
  micros.reserve(count);
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  for (size_t i = 0; i < count; ++i) {
    const auto before = Clock::now();
    if (client.SendPacket(1, packets[i % packets.size()]) != 1) {
      ++figures.notOne;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
  }
  figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  figures.count = count;
  std::sort(micros.begin(), micros.end());
  figures.p50Micros = Percentile(micros, 0.50);
  figures.p99Micros = Percentile(micros, 0.99);
  return figures;
}

TBenchFigures RunBaseline(size_t count) {
  char pattern[] = "/tmp/orlex-feed-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    throw std::runtime_error("cannot make a directory for the echo server");
  }
  const std::string dir = pattern;
  const std::string path = dir + "/echo.sock";
  const int listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (listenFd < 0 || bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listenFd, 1) != 0) {
    if (listenFd >= 0) ::close(listenFd);
    std::filesystem::remove_all(dir);
    throw std::runtime_error("cannot start the echo server");
  }
  std::thread echo(EchoOneConnection, listenFd);
  TBenchFigures figures;
  try {
    orlex::TFeedClient client(path);
    figures = RunBench(client, count, kBenchKeysPrefix);
  } catch (...) {
    shutdown(listenFd, SHUT_RDWR);
    echo.join();
    ::close(listenFd);
    std::filesystem::remove_all(dir);
    throw;
  }
  echo.join();  // the client has closed its end: the echo thread sees the end and returns
  ::close(listenFd);
  std::filesystem::remove_all(dir);
  return figures;
}

}  // namespace orlexfeed
