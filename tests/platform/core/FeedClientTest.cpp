#include "platform/FeedClient.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "platform/FeedFrame.h"
#include "platform/FeedPath.h"
#include "tests/support/FakeFeedDisplay.h"
#include "tests/support/TempDir.h"

#include "tests/support/ParamPrinting.h"

namespace {

using orlex::TFeedClient;
using orlex::TFeedError;
using TKind = TFeedError::TKind;

TKind KindOfConnecting(const std::string& path) {
  try {
    TFeedClient client(path);
  } catch (const TFeedError& error) {
    return error.Kind();
  }
  ADD_FAILURE() << "connected to " << path;
  return TKind::System;
}

// A socket file that nobody listens on any more, as a display that crashed leaves it.
void MakeStaleSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
}

TEST(FeedClient, TellsWhyNoDisplayCanBeReached) {
  TTempDir temp;
  EXPECT_EQ(KindOfConnecting(temp.File("none.sock")), TKind::NoDisplay);
  EXPECT_EQ(KindOfConnecting(temp.File("missing-dir/x.sock")), TKind::NoDisplay);
  MakeStaleSocket(temp.File("stale.sock"));
  EXPECT_EQ(KindOfConnecting(temp.File("stale.sock")), TKind::NoDisplay);
  EXPECT_EQ(KindOfConnecting(temp.File(std::string(120, 'a'))), TKind::BadPath);
  EXPECT_EQ(KindOfConnecting(""), TKind::BadPath);
}

TEST(FeedClient, SendsPacketsWithTheirNulAndControlsWithoutPayload) {
  TTempDir temp;
  const std::string path = temp.File("d.sock");
  TFakeFeedDisplay display(path, [](const orlex::TFeedRequest& r) { return static_cast<int32_t>(r.data) - 7; });
  ASSERT_TRUE(display.Listening());
  TFeedClient client(path);
  EXPECT_EQ(client.SendPacket(1, "k1,1500;"), 1 - 7);
  EXPECT_EQ(client.SendControl(orlex::kMsgHideAll), -7);
  EXPECT_EQ(client.Send(0x999, 0xFFFFFFFF, std::string("a\0b", 3)), -8);
  EXPECT_EQ(client.SendPacket(0, ""), -7);

  const auto requests = display.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].msg, orlex::kMsgCopyData);
  EXPECT_EQ(requests[0].payload, std::string("k1,1500;\0", 9));
  EXPECT_EQ(requests[1].msg, orlex::kMsgHideAll);
  EXPECT_EQ(requests[1].payload, "");
  EXPECT_EQ(requests[2].payload, std::string("a\0b", 3));
  EXPECT_EQ(requests[3].payload, std::string("\0", 1));
}

TEST(FeedClient, ReportsADisplayThatClosesWithoutReplying) {
  TTempDir temp;
  const std::string path = temp.File("d.sock");
  TFakeFeedDisplay display(path, [](const orlex::TFeedRequest& r) -> std::optional<int32_t> {
    if (r.data == 0) return std::nullopt;  // as a display does that ends on a malformed INIT
    return 1;
  });
  TFeedClient client(path);
  EXPECT_EQ(client.SendPacket(1, "k1,1;"), 1);
  try {
    client.SendPacket(0, "x");
    FAIL() << "no error";
  } catch (const TFeedError& error) {
    EXPECT_EQ(error.Kind(), TKind::ConnectionLost);
  }
  // Later sends on the dead connection keep failing the same way instead of touching a closed descriptor.
  EXPECT_THROW(
      try { client.SendPacket(1, "k1,1;"); } catch (const TFeedError& error) {
        EXPECT_EQ(error.Kind(), TKind::ConnectionLost);
        throw;
      },
      TFeedError);
}

TEST(FeedClient, RefusesTextsBeyondTheLimitWithoutSending) {
  TTempDir temp;
  const std::string path = temp.File("d.sock");
  TFakeFeedDisplay display(path, [](const orlex::TFeedRequest&) { return 1; });
  TFeedClient client(path);
  // With its NUL the text would be one byte over the limit.
  const std::string text(orlex::kFeedMaxPayload, 'x');
  try {
    client.SendPacket(1, text);
    FAIL() << "no error";
  } catch (const TFeedError& error) {
    EXPECT_EQ(error.Kind(), TKind::TooLong);
  }
  EXPECT_EQ(client.SendPacket(1, "k1,1;"), 1) << "the connection stays usable";
  EXPECT_EQ(display.Requests().size(), 1u);
}

TEST(FeedClient, WaitsForADisplayThatIsStillStarting) {
  TTempDir temp;
  const std::string path = temp.File("late.sock");
  std::unique_ptr<TFakeFeedDisplay> display;
  std::thread starter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    display = std::make_unique<TFakeFeedDisplay>(path, [](const orlex::TFeedRequest&) { return 1; });
  });
  TFeedClient client = TFeedClient::Connect(path, std::chrono::seconds(20));
  starter.join();
  EXPECT_EQ(client.SendPacket(1, "k,1;"), 1);

  try {
    TFeedClient::Connect(temp.File("never.sock"), std::chrono::milliseconds(250));
    FAIL() << "no error";
  } catch (const TFeedError& error) {
    EXPECT_EQ(error.Kind(), TKind::NoDisplay);
  }
}

// The display creates its private fallback directory when it starts; a Feed started first must see
// "no display yet" (and keep waiting), not a refused path.
TEST(FeedClient, MissingPrivateDirectoryMeansNoDisplayYet) {
  const std::string dir = orlex::FallbackFeedSocketDir(getuid());
  struct stat st {};
  if (lstat(dir.c_str(), &st) == 0) GTEST_SKIP() << dir << " exists on this machine";
  EXPECT_EQ(KindOfConnecting(dir + "/orlexgauges.sock"), TKind::NoDisplay);
}

struct QuoteCase {
  const char* text;
  const char* quoted;
};

// Readable test names in listings.
void PrintTo(const QuoteCase& c, std::ostream* os) { *os << c.quoted; }

class QuoteFeedField : public testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteFeedField, QuotesAndDoublesInnerQuotes) {
  EXPECT_EQ(orlex::QuoteFeedField(GetParam().text), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(Cases, QuoteFeedField,
                         testing::Values(QuoteCase{"Engine Speed", "\"Engine Speed\""}, QuoteCase{"", "\"\""},
                                         QuoteCase{"Oil \"hot\"; 1,5", "\"Oil \"\"hot\"\"; 1,5\""},
                                         QuoteCase{"\"", "\"\"\"\""}),
                         orlex::test::CaseName);

}  // namespace
