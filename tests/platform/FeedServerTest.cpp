#include "platform/FeedServer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>
#include <variant>

#include "platform/FeedFrame.h"
#include "platform/ProcessEnd.h"
#include "tests/support/TempDir.h"

namespace {

using orlex::TFeedServer;

constexpr int kWaitMs = 5000;

// Spins the event loop until `done` or the time is up.
bool SpinUntil(const std::function<bool()>& done, int ms = kWaitMs) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

struct TClosed {};
struct TTimedOut {};
using TOutcome = std::variant<int32_t, TClosed, TTimedOut>;

// A raw Feed connection the test drives byte by byte; waiting spins the event loop so the server,
// which lives on this thread, can work meanwhile.
class TPeer {
 public:
  explicit TPeer(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  }
  ~TPeer() { Close(); }

  bool Connected() const { return connected_; }
  int Fd() const { return fd_; }

  void Write(const std::string& bytes) {
    ASSERT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  // The next reply, or that the server closed the connection, or nothing within the time.
  TOutcome Next(int ms = kWaitMs) {
    TOutcome outcome = TTimedOut{};
    SpinUntil(
        [&] {
          char bytes[4];
          const ssize_t n = recv(fd_, bytes + got_, 4 - got_, MSG_DONTWAIT);
          if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            outcome = TClosed{};
            return true;
          }
          if (n > 0) {
            std::memcpy(pending_ + got_, bytes + got_, static_cast<size_t>(n));
            got_ += static_cast<size_t>(n);
          }
          if (got_ == 4) {
            outcome = orlex::DecodeFeedReply(pending_);
            got_ = 0;
            return true;
          }
          return false;
        },
        ms);
    return outcome;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
  char pending_[4] = {};
  size_t got_ = 0;
};

std::string Frame(uint32_t msg, uint32_t data, const std::string& payload) {
  return orlex::EncodeFeedRequest(msg, data, payload);
}

std::string Packet(uint32_t kind, const std::string& text) { return Frame(0x4A, kind, text + '\0'); }

struct TCall {
  uint32_t msg;
  uint32_t data;
  std::string text;
};

class FeedServerTest : public testing::Test {
 protected:
  std::string Path() const { return temp_.File("feed.sock"); }

  // A server whose handler records every call and answers data - 7, unless `handler` is given.
  std::unique_ptr<TFeedServer> Start(TFeedServer::THandler handler = {}) {
    if (!handler) {
      handler = [this](uint32_t msg, uint32_t data, const std::string& text) {
        calls_.push_back({msg, data, text});
        return static_cast<int32_t>(data) - 7;
      };
    }
    auto server = std::make_unique<TFeedServer>(Path(), std::move(handler));
    EXPECT_TRUE(server->Listening()) << server->ErrorText();
    return server;
  }

  TTempDir temp_;
  std::vector<TCall> calls_;
};

struct RequestCase {
  const char* name;
  uint32_t msg;
  uint32_t data;
  std::string payload;
  std::string text;  // what the handler gets
  int32_t reply;
};

// Readable test names in listings.
void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class FeedServerRequests : public FeedServerTest, public testing::WithParamInterface<RequestCase> {};

TEST_P(FeedServerRequests, HandlerGetsThePacketTextAndItsResultIsTheReply) {
  const RequestCase& c = GetParam();
  auto server = Start();
  TPeer peer(Path());
  ASSERT_TRUE(peer.Connected());
  peer.Write(Frame(c.msg, c.data, c.payload));
  const TOutcome outcome = peer.Next();
  ASSERT_TRUE(std::holds_alternative<int32_t>(outcome));
  EXPECT_EQ(std::get<int32_t>(outcome), c.reply);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].msg, c.msg);
  EXPECT_EQ(calls_[0].data, c.data);
  EXPECT_EQ(calls_[0].text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FeedServerRequests,
    testing::Values(
        RequestCase{"InitPacket", 0x4A, 0, std::string("2;k1;d1;1;k2;d2;2;\0", 19), "2;k1;d1;1;k2;d2;2;", -7},
        RequestCase{"TextWithoutNul", 0x4A, 1, "k1,1500;", "k1,1500;", -6},
        RequestCase{"TextStopsAtFirstNul", 0x4A, 1, std::string("k1,1;\0k2,2;\0", 12), "k1,1;", -6},
        RequestCase{"ControlMessage", 0x464, 0, "", "", -7},
        RequestCase{"UnknownMessageReachesTheHandler", 0x999, 3, "x", "x", -4},
        RequestCase{"NegativeResult", 0x4A, 0xFFFFFFFF, "", "", -8}),
    [](const auto& info) { return std::string(info.param.name); });

enum class TPeerUser { Same, Root, Other, Unknown };

struct PeerCase {
  const char* name;
  TPeerUser user;  // what the simulated credential check reports
  bool served;
};

// Readable test names in listings.
void PrintTo(const PeerCase& c, std::ostream* os) { *os << c.name; }

class FeedServerPeers : public FeedServerTest, public testing::WithParamInterface<PeerCase> {};

TEST_P(FeedServerPeers, OnlyThisUserAndRootAreServed) {
  const PeerCase& c = GetParam();
  auto server = Start();
  std::optional<uid_t> uid;
  switch (c.user) {
    case TPeerUser::Same: uid = geteuid(); break;
    case TPeerUser::Root: uid = 0; break;
    case TPeerUser::Other: uid = geteuid() == 4242 ? 4243 : 4242; break;
    case TPeerUser::Unknown: break;
  }
  server->SetPeerUidReader([uid](int) { return uid; });
  TPeer peer(Path());
  peer.Write(Packet(1, "k1,1;"));
  const TOutcome outcome = peer.Next();
  if (c.served) {
    EXPECT_TRUE(std::holds_alternative<int32_t>(outcome));
    EXPECT_EQ(calls_.size(), 1u);
  } else {
    EXPECT_TRUE(std::holds_alternative<TClosed>(outcome));
    EXPECT_TRUE(calls_.empty()) << "a refused peer must not be read";
    EXPECT_EQ(server->ConnectionCount(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FeedServerPeers,
                         testing::Values(PeerCase{"SameUser", TPeerUser::Same, true},
                                         PeerCase{"Root", TPeerUser::Root, true},
                                         PeerCase{"OtherUser", TPeerUser::Other, false},
                                         PeerCase{"Unknown", TPeerUser::Unknown, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FeedServerTest, RealCredentialCheckLetsThisUserIn) {
  auto server = Start();
  TPeer peer(Path());
  const std::optional<uid_t> uid = TFeedServer::ReadPeerUid(peer.Fd());
  ASSERT_TRUE(uid.has_value());
  EXPECT_EQ(*uid, geteuid());
  struct stat st {};
  ASSERT_EQ(stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(FeedServerTest, OversizedLengthClosesWithoutReplyAfterServingWhatCameBefore) {
  auto server = Start();
  TPeer peer(Path());
  std::string header = Frame(0x4A, 5, "");
  const uint32_t tooLong = orlex::kFeedMaxPayload + 1;
  std::memcpy(header.data() + 8, "\x01\x00\x00\x01", 4);
  ASSERT_EQ(orlex::DecodeFeedReply(header.data() + 8), static_cast<int32_t>(tooLong));
  peer.Write(Packet(1, "k1,1;") + header + "payload");
  EXPECT_EQ(std::get<int32_t>(peer.Next()), 1 - 7);
  EXPECT_TRUE(std::holds_alternative<TClosed>(peer.Next()));
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].data, 1u);
  EXPECT_EQ(server->ConnectionCount(), 0u);
}

TEST_F(FeedServerTest, ServesAPayloadOfExactlySixteenMebibytes) {
  auto server = Start([this](uint32_t msg, uint32_t data, const std::string& text) {
    calls_.push_back({msg, data, {}});
    return static_cast<int32_t>(text.size());
  });
  TPeer peer(Path());
  const std::string frame = Frame(0x4A, 1, std::string(orlex::kFeedMaxPayload, 'v'));
  // The socket buffer is far smaller than the frame: write from a thread while this one serves.
  std::thread writer([&] {
    size_t sent = 0;
    while (sent < frame.size()) {
      const ssize_t n = send(peer.Fd(), frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<size_t>(n);
    }
  });
  const TOutcome outcome = peer.Next(30000);
  writer.join();
  ASSERT_TRUE(std::holds_alternative<int32_t>(outcome));
  EXPECT_EQ(std::get<int32_t>(outcome), static_cast<int32_t>(orlex::kFeedMaxPayload));
}

TEST_F(FeedServerTest, HalfAFrameHoldsUpNobody) {
  auto server = Start();
  TPeer slow(Path());
  TPeer quick(Path());
  const std::string slowFrame = Packet(1, "k1,1500;");
  slow.Write(slowFrame.substr(0, 7));  // not even a whole header
  quick.Write(Packet(2, "k2,2;"));
  EXPECT_EQ(std::get<int32_t>(quick.Next()), 2 - 7);
  EXPECT_TRUE(std::holds_alternative<TTimedOut>(slow.Next(100)));
  slow.Write(slowFrame.substr(7));
  EXPECT_EQ(std::get<int32_t>(slow.Next()), 1 - 7);
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[1].text, "k1,1500;");
}

struct GoneCase {
  const char* name;
  size_t keepBytes;  // how much of the frame the peer sends before it disappears
  size_t calls;
};

// Readable test names in listings.
void PrintTo(const GoneCase& c, std::ostream* os) { *os << c.name; }

class FeedServerPeerGone : public FeedServerTest, public testing::WithParamInterface<GoneCase> {};

TEST_P(FeedServerPeerGone, DisplayCarriesOn) {
  const GoneCase& c = GetParam();
  bool sawOthers = false;
  auto server = Start([&](uint32_t msg, uint32_t data, const std::string& text) {
    calls_.push_back({msg, data, text});
    if (data == 1) {
      // The peer vanishes while its handler runs a nested loop, as a modal box would.
      SpinUntil([] { return false; }, 200);
    }
    sawOthers = sawOthers || data == 2;
    return 1;
  });
  {
    TPeer gone(Path());
    const std::string frame = Packet(1, "k1,1500;");
    gone.Write(frame.substr(0, c.keepBytes));
    SpinUntil([&] { return server->ConnectionCount() == 1; });
  }
  ASSERT_TRUE(SpinUntil([&] { return server->ConnectionCount() == 0; }));
  EXPECT_EQ(calls_.size(), c.calls);
  TPeer next(Path());
  next.Write(Packet(2, "k2,2;"));
  EXPECT_EQ(std::get<int32_t>(next.Next()), 1);
  EXPECT_TRUE(sawOthers);
}

INSTANTIATE_TEST_SUITE_P(Cases, FeedServerPeerGone,
                         testing::Values(GoneCase{"MidHeader", 5, 0}, GoneCase{"MidPayload", 15, 0},
                                         GoneCase{"BeforeItsReply", 12 + 9, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FeedServerTest, NestedLoopServesOthersButNotTheSameConnection) {
  std::vector<std::string> order;
  std::unique_ptr<TPeer> a;
  std::unique_ptr<TPeer> b;
  bool bReplied = false;
  auto server = Start([&](uint32_t, uint32_t data, const std::string& text) {
    order.push_back(text + " begin");
    if (text == "a1") {
      // A modal box on the first request: b is served meanwhile, and its reply arrives before ours.
      b->Write(Packet(20, "b1"));
      const TOutcome outcome = b->Next();
      bReplied = std::holds_alternative<int32_t>(outcome) && std::get<int32_t>(outcome) == 20;
      // a's next request arrives while its first is still being handled: it has to wait.
      a->Write(Packet(11, "a2"));
      SpinUntil([] { return false; }, 100);
    }
    order.push_back(text + " end");
    return static_cast<int32_t>(data);
  });
  a = std::make_unique<TPeer>(Path());
  b = std::make_unique<TPeer>(Path());
  a->Write(Packet(10, "a1"));
  EXPECT_EQ(std::get<int32_t>(a->Next()), 10);
  EXPECT_EQ(std::get<int32_t>(a->Next()), 11);
  EXPECT_TRUE(bReplied);
  EXPECT_EQ(order, (std::vector<std::string>{"a1 begin", "b1 begin", "b1 end", "a1 end", "a2 begin", "a2 end"}));
}

TEST_F(FeedServerTest, PipelinedRequestsAreAnsweredInOrderEvenWhenTheFeedReadsLate) {
  // More replies than the socket buffers hold, all written before any is read: the server has to hold
  // back, then resume as the Feed reads.
  constexpr uint32_t kCount = 100000;
  auto server = Start([](uint32_t, uint32_t data, const std::string&) { return static_cast<int32_t>(data); });
  TPeer peer(Path());
  std::string all;
  for (uint32_t i = 0; i < kCount; ++i) all += Frame(0x4A, i, "k,1;");
  std::thread writer([&] {
    size_t sent = 0;
    while (sent < all.size()) {
      const ssize_t n = send(peer.Fd(), all.data() + sent, all.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += static_cast<size_t>(n);
    }
  });
  SpinUntil([] { return false; }, 300);  // let the queues fill up before reading
  uint32_t next = 0;
  for (; next < kCount; ++next) {
    const TOutcome outcome = peer.Next();
    if (!std::holds_alternative<int32_t>(outcome) || std::get<int32_t>(outcome) != static_cast<int32_t>(next)) break;
  }
  writer.join();
  EXPECT_EQ(next, kCount);
}

TEST_F(FeedServerTest, OneDisplayPerPath) {
  auto first = Start();
  {
    TFeedServer second(Path(), [](uint32_t, uint32_t, const std::string&) { return 0; });
    EXPECT_TRUE(second.AlreadyRunning());
    EXPECT_FALSE(second.Listening());
  }
  // The second one must have left the first one's socket alone.
  TPeer peer(Path());
  peer.Write(Packet(9, "x"));
  EXPECT_EQ(std::get<int32_t>(peer.Next()), 2);
  peer.Close();
  first.reset();
  EXPECT_FALSE(std::filesystem::exists(Path())) << "socket file removed on destruction";
}

// The watchdog and a packet error end the display at once; the next Feed must not find a dead socket.
TEST_F(FeedServerTest, DisplayEndedAtOnceTakesItsSocketFileWithIt) {
  EXPECT_EXIT(
      {
        auto server = Start();
        if (!std::filesystem::exists(Path())) _exit(3);
        orlex::EndProcess();
      },
      testing::ExitedWithCode(0), "");
  EXPECT_FALSE(std::filesystem::exists(Path()));

  // A socket another display has bound at the path meanwhile is theirs and stays.
  EXPECT_EXIT(
      {
        auto server = Start();
        ::unlink(Path().c_str());
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, Path().c_str(), sizeof(address.sun_path) - 1);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) _exit(3);
        orlex::EndProcess();
      },
      testing::ExitedWithCode(0), "");
  EXPECT_TRUE(std::filesystem::exists(Path()));
}

TEST_F(FeedServerTest, StaleSocketIsReplacedButOtherFilesAreNot) {
  {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, Path().c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);  // the file stays, nobody listens: a display that crashed
  }
  {
    auto server = Start();
    EXPECT_FALSE(server->AlreadyRunning());
    TPeer peer(Path());
    peer.Write(Packet(8, "x"));
    EXPECT_EQ(std::get<int32_t>(peer.Next()), 1);
  }
  std::ofstream(Path()) << "precious";
  TFeedServer server(Path(), [](uint32_t, uint32_t, const std::string&) { return 0; });
  EXPECT_FALSE(server.Listening());
  EXPECT_FALSE(server.AlreadyRunning());
  EXPECT_NE(server.ErrorText().find("not a socket"), std::string::npos) << server.ErrorText();
  std::string content;
  std::ifstream(Path()) >> content;
  EXPECT_EQ(content, "precious");
}

TEST_F(FeedServerTest, HandlerThatDestroysTheServerIsSurvived) {
  std::unique_ptr<TFeedServer> server;
  server = Start([&](uint32_t, uint32_t, const std::string&) {
    server.reset();  // the window that owns it closes inside a nested loop
    return 1;
  });
  TPeer peer(Path());
  peer.Write(Packet(1, "x") + Packet(1, "y"));
  EXPECT_TRUE(std::holds_alternative<TClosed>(peer.Next()));
  EXPECT_FALSE(server);
  EXPECT_FALSE(std::filesystem::exists(Path()));
}

}  // namespace
