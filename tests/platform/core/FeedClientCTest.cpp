// The C face of the Feed client: status codes for every failure, replies through the result pointer.

#include "orlex_feed.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/FeedFrame.h"
#include "tests/support/FakeFeedDisplay.h"
#include "tests/support/TempDir.h"

namespace {

TEST(FeedClientC, NoDisplayGivesAStatusAndNoHandle) {
  TTempDir temp;
  orlex_feed* feed = reinterpret_cast<orlex_feed*>(1);
  EXPECT_EQ(orlex_feed_connect(temp.File("none.sock").c_str(), 0, &feed), ORLEX_FEED_NO_DISPLAY);
  EXPECT_EQ(feed, nullptr);
  EXPECT_EQ(orlex_feed_connect(temp.File(std::string(120, 'a')).c_str(), 0, &feed), ORLEX_FEED_BAD_PATH);
  EXPECT_EQ(orlex_feed_connect(temp.File("none.sock").c_str(), -1, &feed), ORLEX_FEED_BAD_ARGUMENT);
  EXPECT_EQ(orlex_feed_connect(nullptr, 0, nullptr), ORLEX_FEED_BAD_ARGUMENT);
  EXPECT_STREQ(orlex_feed_status_text(ORLEX_FEED_NO_DISPLAY), "no display answers on the socket");
  orlex_feed_close(nullptr);  // allowed
}

TEST(FeedClientC, SendsPacketsAndControlsAndReturnsTheReplies) {
  TTempDir temp;
  const std::string path = temp.File("d.sock");
  TFakeFeedDisplay display(path, [](const orlex::TFeedRequest& r) { return static_cast<int32_t>(r.msg + r.data); });
  ASSERT_TRUE(display.Listening());
  orlex_feed* feed = nullptr;
  ASSERT_EQ(orlex_feed_connect(path.c_str(), 0, &feed), ORLEX_FEED_OK);
  int32_t result = 0;
  EXPECT_EQ(orlex_feed_send(feed, ORLEX_FEED_PID, "k1,1500;", &result), ORLEX_FEED_OK);
  EXPECT_EQ(result, 0x4A + 1);
  EXPECT_EQ(orlex_feed_send_control(feed, ORLEX_FEED_HIDE_ALL, &result), ORLEX_FEED_OK);
  EXPECT_EQ(result, 0x464);
  EXPECT_EQ(orlex_feed_send(feed, ORLEX_FEED_PID, nullptr, &result), ORLEX_FEED_BAD_ARGUMENT);
  EXPECT_EQ(orlex_feed_send(feed, ORLEX_FEED_PID, "x", nullptr), ORLEX_FEED_BAD_ARGUMENT);
  EXPECT_EQ(orlex_feed_send(nullptr, ORLEX_FEED_PID, "x", &result), ORLEX_FEED_BAD_ARGUMENT);
  orlex_feed_close(feed);
  const auto requests = display.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].payload, std::string("k1,1500;\0", 9));
  EXPECT_EQ(requests[1].payload, "");
}

// A display that ends must cost the Feed a status code, not its life through SIGPIPE: here the
// display side accepts and closes at once, so writing the large packet meets a closed socket.
TEST(FeedClientC, ADisplayThatGoesAwayIsAStatusNotASignal) {
  TTempDir temp;
  const std::string path = temp.File("d.sock");
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  orlex_feed* feed = nullptr;
  ASSERT_EQ(orlex_feed_connect(path.c_str(), 0, &feed), ORLEX_FEED_OK);
  ::close(accept(listener, nullptr, nullptr));
  ::close(listener);
  int32_t result = 7;
  const std::string big(4 << 20, 'k');
  EXPECT_EQ(orlex_feed_send(feed, ORLEX_FEED_PID, big.c_str(), &result), ORLEX_FEED_CONNECTION_LOST);
  EXPECT_EQ(result, 7) << "no reply, so the result is left alone";
  // The handle stays dead.
  EXPECT_EQ(orlex_feed_send(feed, ORLEX_FEED_PID, "k,1;", &result), ORLEX_FEED_CONNECTION_LOST);
  orlex_feed_close(feed);
}

}  // namespace
