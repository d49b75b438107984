// What a crowd of Feeds may cost the display: how deep handlers nest, how many connections are open,
// how much memory their unfinished frames hold. The Feeds run on their own thread with blocking
// sockets, as real ones do, while this thread runs the server's event loop.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "platform/FeedFrame.h"
#include "platform/FeedServer.h"
#include "tests/support/TempDir.h"

namespace {

using orlex::TFeedServer;

bool SpinUntil(const std::function<bool()>& done, int ms) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

int Connect(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  timeval timeout{30, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  return fd;
}

bool SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

bool ReadReply(int fd, int32_t& result) {
  char bytes[4];
  size_t got = 0;
  while (got < 4) {
    const ssize_t n = recv(fd, bytes + got, 4 - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  result = orlex::DecodeFeedReply(bytes);
  return true;
}

std::string Packet(uint32_t kind, const std::string& text) {
  return orlex::EncodeFeedRequest(orlex::kMsgCopyData, kind, text + '\0');
}

enum class TReentry { StatusLine, ModalBox };

struct CrowdCase {
  const char* name;
  TReentry reentry;
};

void PrintTo(const CrowdCase& c, std::ostream* os) { *os << c.name; }

class FeedServerCrowd : public testing::TestWithParam<CrowdCase> {};

// 1,000 Feeds send at once, each to a handler that re-enters the event loop as an INIT packet (the
// status line) or a save request (the "saved" box) does. Every one is answered, and the handlers never
// nest deeper than the bound, whatever the number of Feeds waiting.
TEST_P(FeedServerCrowd, ThousandWaitingFeedsAreAllAnsweredAtABoundedDepth) {
  constexpr int kFeeds = 1000;
  constexpr int kGiveUpDepth = 64;  // past this the handler stops re-entering, so a fault fails, not crashes
  TTempDir temp;
  const std::string path = temp.File("feed.sock");
  int depth = 0;
  int deepest = 0;
  int calls = 0;
  TFeedServer server(path, [&](uint32_t, uint32_t data, const std::string&) {
    ++calls;
    deepest = std::max(deepest, ++depth);
    if (depth <= kGiveUpDepth) {
      if (GetParam().reentry == TReentry::StatusLine) {
        QCoreApplication::processEvents();
      } else {
        QEventLoop box;  // closed by its user a moment later
        QTimer::singleShot(1, &box, &QEventLoop::quit);
        box.exec();
      }
    }
    --depth;
    return static_cast<int32_t>(data);
  });
  ASSERT_TRUE(server.Listening()) << server.ErrorText();

  std::atomic<int> answered{0};
  std::atomic<bool> done{false};
  std::thread feeds([&] {
    std::vector<int> fds;
    for (int i = 0; i < kFeeds; ++i) {
      const int fd = Connect(path);
      if (fd < 0 || !SendAll(fd, Packet(static_cast<uint32_t>(i), "3;k;d;1;"))) break;
      fds.push_back(fd);
    }
    for (size_t i = 0; i < fds.size(); ++i) {
      int32_t result = -1;
      if (ReadReply(fds[i], result) && result == static_cast<int32_t>(i)) ++answered;
      ::close(fds[i]);
    }
    done = true;
  });
  SpinUntil([&] { return done.load(); }, 120000);
  feeds.join();
  EXPECT_EQ(answered.load(), kFeeds);
  EXPECT_EQ(calls, kFeeds);
  EXPECT_LE(deepest, TFeedServer::kMaxNesting);
  EXPECT_EQ(server.DeepestNesting(), deepest);
}

INSTANTIATE_TEST_SUITE_P(Cases, FeedServerCrowd,
                         testing::Values(CrowdCase{"StatusLine", TReentry::StatusLine},
                                         CrowdCase{"ModalBox", TReentry::ModalBox}),
                         [](const auto& info) { return std::string(info.param.name); });

// A Feed that was connected before a crowd arrived is not held up behind it: waiting requests
// resume oldest connection first, so its next packet is handled after a few of the crowd's, not after
// all of them (the watchdog would end the display meanwhile).
TEST(FeedServerLimits, AnEstablishedFeedIsServedBeforeALaterCrowd) {
  constexpr int kCrowd = 300;
  TTempDir temp;
  const std::string path = temp.File("feed.sock");
  int crowdCalls = 0;
  int crowdCallsBeforeFeed = -1;
  TFeedServer server(path, [&](uint32_t, uint32_t data, const std::string&) {
    if (data == 7) {
      crowdCallsBeforeFeed = crowdCalls;
      return 7;
    }
    ++crowdCalls;
    QEventLoop box;  // every crowd request opens a box that its user closes a moment later
    QTimer::singleShot(1, &box, &QEventLoop::quit);
    box.exec();
    return 1;
  });
  ASSERT_TRUE(server.Listening()) << server.ErrorText();
  const int feed = Connect(path);
  ASSERT_GE(feed, 0);
  ASSERT_TRUE(SpinUntil([&] { return server.ConnectionCount() == 1; }, 5000));

  std::atomic<bool> crowdSent{false};
  std::atomic<int> answered{0};
  std::thread crowd([&] {
    std::vector<int> fds;
    for (int i = 0; i < kCrowd; ++i) {
      const int fd = Connect(path);
      if (fd < 0 || !SendAll(fd, Packet(1, "k,1;"))) break;
      fds.push_back(fd);
    }
    crowdSent = true;
    for (int fd : fds) {
      int32_t result = 0;
      if (ReadReply(fd, result)) ++answered;
      ::close(fd);
    }
  });
  SpinUntil([&] { return crowdSent.load() && crowdCalls >= 20; }, 20000);
  std::atomic<int32_t> reply{-1};
  std::thread ask([&] {
    int32_t result = -1;
    if (SendAll(feed, Packet(7, "k,2;")) && ReadReply(feed, result)) reply = result;
  });
  SpinUntil([&] { return answered.load() == kCrowd && reply.load() != -1; }, 60000);
  ask.join();
  crowd.join();
  ::close(feed);
  EXPECT_EQ(reply.load(), 7);
  EXPECT_EQ(answered.load(), kCrowd);
  ASSERT_GE(crowdCallsBeforeFeed, 20);
  EXPECT_LT(crowdCallsBeforeFeed, kCrowd / 2) << "of " << kCrowd;
}

// Feeds beyond the connection bound wait in the listen queue; a Feed already connected is still
// served, and a waiting one is taken in and served once others leave.
TEST(FeedServerLimits, ConnectionsBeyondTheBoundWaitTheirTurn) {
  TTempDir temp;
  const std::string path = temp.File("feed.sock");
  TFeedServer server(path, [](uint32_t, uint32_t data, const std::string&) { return static_cast<int32_t>(data); });
  ASSERT_TRUE(server.Listening()) << server.ErrorText();
  const int feed = Connect(path);
  ASSERT_GE(feed, 0);
  ASSERT_TRUE(SpinUntil([&] { return server.ConnectionCount() == 1; }, 5000));

  // Few enough beyond the bound that all of them fit in the listen queue, so connect() returns.
  std::vector<int> idle;
  std::atomic<bool> connected{false};
  std::thread crowd([&] {
    for (size_t i = 0; i < TFeedServer::kMaxConnections + 20; ++i) idle.push_back(Connect(path));
    connected = true;
  });
  SpinUntil([&] { return connected.load(); }, 20000);
  crowd.join();
  ASSERT_TRUE(SpinUntil([&] { return server.ConnectionCount() >= TFeedServer::kMaxConnections; }, 20000));
  SpinUntil([] { return false; }, 100);
  EXPECT_EQ(server.ConnectionCount(), TFeedServer::kMaxConnections);

  // Asks from its own thread and waits for the reply; -1 until it comes.
  auto ask = [](int fd, uint32_t kind, std::atomic<int32_t>& reply) {
    return std::thread([fd, kind, &reply] {
      int32_t result = -1;
      if (SendAll(fd, Packet(kind, "k,1;")) && ReadReply(fd, result)) reply = result;
    });
  };
  std::atomic<int32_t> feedReply{-1};
  std::thread feedAsks = ask(feed, 41, feedReply);
  SpinUntil([&] { return feedReply.load() != -1; }, 5000);
  feedAsks.join();
  EXPECT_EQ(feedReply.load(), 41);

  std::atomic<int32_t> lateReply{-1};
  std::thread lateAsks = ask(idle.back(), 42, lateReply);
  SpinUntil([] { return false; }, 200);
  EXPECT_EQ(lateReply.load(), -1) << "not yet taken in";
  for (size_t i = 0; i < 30; ++i) ::close(idle[i]);
  SpinUntil([&] { return lateReply.load() != -1; }, 10000);
  lateAsks.join();
  EXPECT_EQ(lateReply.load(), 42);
  EXPECT_LE(server.ConnectionCount(), TFeedServer::kMaxConnections);
  ::close(feed);
  for (size_t i = 30; i < idle.size(); ++i) ::close(idle[i]);
}

// Unfinished frames of many Feeds together hold no more than the shared budget, and an ordinary
// Feed is answered meanwhile.
TEST(FeedServerLimits, UnfinishedLargeFramesShareOneBoundedBudget) {
  TTempDir temp;
  const std::string path = temp.File("feed.sock");
  TFeedServer server(path, [](uint32_t, uint32_t data, const std::string&) { return static_cast<int32_t>(data); });
  ASSERT_TRUE(server.Listening()) << server.ErrorText();
  constexpr int kHogs = 8;
  const std::string big = Packet(1, std::string(15 * 1024 * 1024, 'x'));
  const std::string unfinished = big.substr(0, big.size() - 100);
  std::vector<int> hogs;
  for (int i = 0; i < kHogs; ++i) hogs.push_back(Connect(path));
  std::atomic<int> sent{0};
  std::vector<std::thread> senders;
  for (int fd : hogs) {
    senders.emplace_back([&, fd] {
      // Blocks once the display stops reading; the hogs' sockets are shut down at the end.
      if (SendAll(fd, unfinished)) ++sent;
    });
  }
  SpinUntil([] { return false; }, 1500);
  const size_t held = server.SharedHeld();
  EXPECT_LE(held, TFeedServer::kSharedBudget + 2 * orlex::kFeedMaxPayload);
  EXPECT_GE(held, TFeedServer::kSharedBudget / 2) << "the hogs should have filled the budget";

  const int feed = Connect(path);
  std::atomic<int32_t> reply{-1};
  std::thread ask([&] {
    int32_t result = -1;
    if (SendAll(feed, Packet(7, "k,1;")) && ReadReply(feed, result)) reply = result;
  });
  SpinUntil([&] { return reply.load() != -1; }, 5000);
  ask.join();
  EXPECT_EQ(reply.load(), 7);
  ::close(feed);
  for (int fd : hogs) ::shutdown(fd, SHUT_RDWR);
  for (std::thread& t : senders) t.join();
  for (int fd : hogs) ::close(fd);
  EXPECT_TRUE(SpinUntil([&] { return server.SharedHeld() == 0; }, 5000));
}

}  // namespace
