// One exceptional request (16 MiB of packet text) costs the display its memory only while it is
// handled: afterwards the process is back to about the size it had before.
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/FeedFrame.h"
#include "platform/FeedServer.h"
#include "tests/support/TempDir.h"

namespace {

[[maybe_unused]] long ResidentKiB() {
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
  std::fclose(statm);
  return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// Sends one request of `text` followed by `fill` repeated `fillCount` times on a connection of its
// own, and waits for the reply. The request's bytes are mapped outside the C library's heap, so the
// memory measured is the server's alone.
[[maybe_unused]] int32_t SendAndWait(const std::string& path, const std::string& text, char fill, std::size_t fillCount) {
  const std::size_t length = text.size() + fillCount + 1;  // the text ends with its NUL
  const std::size_t size = orlex::kFeedHeaderSize + length;
  void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return -1;
  auto* frame = static_cast<unsigned char*>(mapped);
  const uint32_t header[3] = {orlex::kMsgCopyData, 1, static_cast<uint32_t>(length)};
  for (int i = 0; i < 3; ++i) {
    for (int b = 0; b < 4; ++b) frame[4 * i + b] = static_cast<unsigned char>(header[i] >> (8 * b));
  }
  std::memcpy(frame + orlex::kFeedHeaderSize, text.data(), text.size());
  std::memset(frame + orlex::kFeedHeaderSize + text.size(), fill, fillCount);
  frame[size - 1] = 0;

  int32_t result = -1;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
    std::size_t sent = 0;
    while (sent < size) {
      const ssize_t n = send(fd, frame + sent, size - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    char reply[4];
    std::size_t got = 0;
    while (got < 4) {
      const ssize_t n = recv(fd, reply + got, 4 - got, 0);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == 4) result = orlex::DecodeFeedReply(reply);
  }
  ::close(fd);
  munmap(mapped, size);
  return result;
}

TEST(FeedServerMemory, AnExceptionalRequestsMemoryIsGivenBack) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator keeps freed memory in quarantine on purpose";
#else
  TTempDir dir;
  // Like the display, the handler copies the text and splits it into fields while it works on it, and
  // keeps a little of what it learns (lines of its listing) past their lifetime.
  std::vector<std::string> kept;
  orlex::TFeedServer server(dir.File("feed.sock"), [&kept](uint32_t, uint32_t, const std::string& text) {
    const std::string packet(text);
    std::vector<std::string> fields;  // grown field by field, as the packet's fields are
    for (std::size_t i = 0; i < packet.size() / 16; ++i) {
      fields.emplace_back();
      if ((i & (i - 1)) == 0) kept.push_back(std::string(100, 'k'));
    }
    return static_cast<int32_t>(!fields.empty() || packet.size() < 16);
  });
  ASSERT_TRUE(server.Listening());
  const auto serveWhile = [](std::atomic<bool>& running) {
    QDeadlineTimer deadline(60000);
    while (running && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  };
  const auto send = [&](const std::string& text, std::size_t fillCount = 0) {
    std::atomic<bool> running{true};
    int32_t result = -1;
    std::thread feed([&] {
      result = SendAndWait(server.Path(), text, ';', fillCount);
      running = false;
    });
    serveWhile(running);
    feed.join();
    return result;
  };
  ASSERT_EQ(send("k,1;"), 1);
  const long before = ResidentKiB();
  ASSERT_EQ(send("", orlex::kFeedMaxPayload - 1), 1);
  ASSERT_EQ(send("k,2;"), 1);
  const long after = ResidentKiB();
  // Handling took 16 MiB several times over; a few MiB of noise may stay.
  EXPECT_LT(after - before, 8 * 1024) << "resident KiB before " << before << ", after " << after;
#endif
}

}  // namespace
