// orlex-feed record: a Feed talking through the relay gets exactly what it gets from the display
// directly, the display gets the same frames, and the recording holds both sides.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/FeedFrame.h"
#include "tests/support/FakeFeedDisplay.h"
#include "tests/support/TempDir.h"
#include "tests/tools/ToolProcess.h"
#include "tools/core/Recording.h"

namespace {

using testing::HasSubstr;
namespace rec = orlex::recording;

std::string Packet(uint32_t kind, const std::string& text) {
  return orlex::EncodeFeedRequest(orlex::kMsgCopyData, kind, text + std::string(1, '\0'));
}

// A header announcing one byte more than the display takes, and a little of its payload.
std::string OversizedHeader() {
  std::string frame = orlex::EncodeFeedRequest(orlex::kMsgCopyData, 1, "");
  const uint32_t length = orlex::kFeedMaxPayload + 1;
  for (int i = 0; i < 4; ++i) frame[8 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return frame + "RPM,1;";
}

// Answers as the display does for the packets these cases send.
std::optional<int32_t> DisplayAnswer(const orlex::TFeedRequest& r) {
  const std::string text(orlex::FeedPayloadText(r.payload));
  if (r.msg != orlex::kMsgCopyData) return 0;
  if (r.data == 0) {
    if (text.find("Engine Speed;") != std::string::npos) return std::nullopt;  // unquoted: the box, then the end
    return 1;
  }
  return r.data == 1 ? 1 : 0;
}

struct TRelayCase {
  const char* name;
  std::vector<std::string> frames;
  bool displayEnds;  // the display closes the connection on the last frame
};

void PrintTo(const TRelayCase& c, std::ostream* os) { *os << c.name; }

class RecordRelay : public testing::TestWithParam<TRelayCase> {
 protected:
  TTempDir dir_;
};

TEST_P(RecordRelay, FeedSeesWhatTheDisplayAnswersAndTheRecordingHoldsIt) {
  const TRelayCase& c = GetParam();
  std::vector<std::string> direct;
  std::vector<orlex::TFeedRequest> directRequests;
  {
    TFakeFeedDisplay display(dir_.File("direct.sock"), DisplayAnswer);
    ASSERT_TRUE(display.Listening());
    direct = FeedTranscript(dir_.File("direct.sock"), c.frames);
    directRequests = display.Requests();
  }

  TFakeFeedDisplay display(dir_.File("d.sock"), DisplayAnswer);
  TToolProcess relay({"--socket", dir_.File("d.sock"), "record", "--out", dir_.File("rec"), "--listen",
                      dir_.File("relay.sock")});
  ASSERT_TRUE(WaitForSocket(dir_.File("relay.sock")));
  const std::vector<std::string> relayed = FeedTranscript(dir_.File("relay.sock"), c.frames);
  EXPECT_EQ(relayed, direct);
  EXPECT_EQ(relayed.back(), c.displayEnds ? "closed" : "end: closed");

  // The display got the same frames, byte for byte.
  const std::vector<orlex::TFeedRequest> requests = display.Requests();
  ASSERT_EQ(requests.size(), directRequests.size());
  for (size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].msg, directRequests[i].msg);
    EXPECT_EQ(requests[i].data, directRequests[i].data);
    EXPECT_EQ(requests[i].payload, directRequests[i].payload);
  }

  EXPECT_EQ(relay.Stop(), 0) << relay.Err();
  const rec::TRecording recording = rec::ReadRecording(SlurpFile(dir_.File("rec")));
  EXPECT_EQ(recording.status, rec::TReadStatus::Complete);
  const std::vector<rec::TExchange> exchanges = rec::PairExchanges(recording.events);
  ASSERT_EQ(exchanges.size(), requests.size());
  for (size_t i = 0; i < exchanges.size(); ++i) {
    EXPECT_EQ(exchanges[i].msg, requests[i].msg);
    EXPECT_EQ(exchanges[i].data, requests[i].data);
    EXPECT_EQ(exchanges[i].payload, requests[i].payload);
    if (relayed[i] == "closed") {
      EXPECT_EQ(exchanges[i].outcome, rec::TOutcome::Closed);
    } else {
      EXPECT_EQ(exchanges[i].outcome, rec::TOutcome::Replied);
      EXPECT_EQ("reply " + std::to_string(exchanges[i].result), relayed[i]);
    }
  }
  ASSERT_FALSE(recording.events.empty());
  EXPECT_EQ(recording.events.back().kind, rec::TRecordKind::End);
  EXPECT_EQ(recording.events.back().cause, c.displayEnds ? rec::TEndCause::Display : rec::TEndCause::Feed);
  EXPECT_THAT(relay.Out(), HasSubstr("1 connections, " + std::to_string(requests.size()) + " frames"));
}

const std::string kInit = Packet(0, "2;RPM;\"Engine Speed\";1;ECT;\"Coolant Temp\";2;");

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordRelay,
    testing::Values(
        TRelayCase{"InitAndValues", {kInit, Packet(1, "RPM,1500;ECT,87.5;"), Packet(1, "RPM,1600;")}, false},
        TRelayCase{"ControlMessages",
                   {orlex::EncodeFeedRequest(orlex::kMsgHideAll, 0, ""),
                    orlex::EncodeFeedRequest(orlex::kMsgDisableChecking, 7, "ignored"),
                    orlex::EncodeFeedRequest(orlex::kMsgEnableChecking, 0, ""),
                    orlex::EncodeFeedRequest(0x999, 0, "")},
                   false},
        TRelayCase{"SaveRequestAndOtherKinds", {kInit, Packet(4, ""), Packet(3, "anything")}, false},
        TRelayCase{"MalformedInitEndsTheDisplay",
                   {kInit, Packet(0, "2;RPM;Engine Speed;1;ECT;Coolant;2;"), Packet(1, "RPM,1;")}, true},
        TRelayCase{"FrameOfSixteenMebibytes",
                   {kInit, orlex::EncodeFeedRequest(orlex::kMsgCopyData, 1,
                                                    "RPM," + std::string(orlex::kFeedMaxPayload - 5, '7') + ";")},
                   false},
        TRelayCase{"OversizedHeaderClosesAtOnce", {kInit, OversizedHeader()}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordRelayFailures, AFullDiskIsReportedOnceAndRelayingGoesOn) {
  TTempDir dir;
  TFakeFeedDisplay display(dir.File("d.sock"), DisplayAnswer);
  TToolProcess relay({"--socket", dir.File("d.sock"), "record", "--out", "/dev/full", "--listen", dir.File("r.sock")});
  ASSERT_TRUE(WaitForSocket(dir.File("r.sock")));
  std::vector<std::string> frames = {kInit};
  for (int i = 0; i < 200; ++i) frames.push_back(Packet(1, "RPM," + std::to_string(i) + ";" + std::string(2000, ' ')));
  const std::vector<std::string> transcript = FeedTranscript(dir.File("r.sock"), frames);
  ASSERT_EQ(transcript.size(), frames.size() + 1);
  for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(transcript[i], "reply 1");
  EXPECT_EQ(display.Requests().size(), frames.size());
  EXPECT_EQ(relay.Stop(), 1);
  const std::string err = relay.Err();
  const std::string report = "cannot write /dev/full (No space left on device)";
  EXPECT_THAT(err, HasSubstr(report));
  EXPECT_EQ(err.find(report), err.rfind(report)) << "reported once: " << err;
}

// A Feed may send frames without waiting for each reply; they arrive in order, in whatever pieces.
TEST(RecordRelayPipelining, FramesSentAtOnceAreAnsweredAndRecordedInOrder) {
  TTempDir dir;
  TFakeFeedDisplay display(dir.File("d.sock"), [](const orlex::TFeedRequest& r) {
    return static_cast<int32_t>(orlex::FeedPayloadText(r.payload).size());
  });
  TToolProcess relay({"--socket", dir.File("d.sock"), "record", "--out", dir.File("rec"), "--listen", dir.File("r.sock")});
  ASSERT_TRUE(WaitForSocket(dir.File("r.sock")));
  std::string burst;
  for (int i = 0; i < 300; ++i) burst += Packet(1, "K," + std::string(static_cast<size_t>(i), 'v') + ";");
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, dir.File("r.sock").c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(send(fd, burst.data(), burst.size(), MSG_NOSIGNAL), static_cast<ssize_t>(burst.size()));
  shutdown(fd, SHUT_WR);
  std::string replies;
  char buffer[4096];
  for (ssize_t n; (n = recv(fd, buffer, sizeof(buffer), 0)) > 0;) replies.append(buffer, static_cast<size_t>(n));
  ::close(fd);
  ASSERT_EQ(replies.size(), 300u * 4u);
  for (int i = 0; i < 300; ++i) EXPECT_EQ(orlex::DecodeFeedReply(replies.data() + 4 * i), i + 3);

  EXPECT_EQ(relay.Stop(), 0) << relay.Err();
  const std::vector<rec::TExchange> x = rec::PairExchanges(rec::ReadRecording(SlurpFile(dir.File("rec"))).events);
  ASSERT_EQ(x.size(), 300u);
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(orlex::FeedPayloadText(x[i].payload).size(), static_cast<size_t>(i + 3));
    EXPECT_EQ(x[i].result, i + 3);
  }
}

TEST(RecordRelayFailures, NoDisplayClosesTheFeedsConnectionAndSaysWhy) {
  TTempDir dir;
  TToolProcess relay({"--socket", dir.File("none.sock"), "record", "--out", dir.File("rec"), "--listen",
                      dir.File("r.sock")});
  ASSERT_TRUE(WaitForSocket(dir.File("r.sock")));
  EXPECT_EQ(FeedTranscript(dir.File("r.sock"), {kInit}), std::vector<std::string>{"closed"});
  EXPECT_EQ(relay.Stop(), 0);
  EXPECT_THAT(relay.Err(), HasSubstr("no display answers on " + dir.File("none.sock")));
}

TEST(RecordRelayFailures, RefusesAListenPathSomeoneAnswersOnAndLeavesTheFileAlone) {
  TTempDir dir;
  TFakeFeedDisplay other(dir.File("busy.sock"), DisplayAnswer);
  std::ofstream(dir.File("rec")) << "an earlier recording";
  TToolProcess relay({"--socket", dir.File("d.sock"), "record", "--out", dir.File("rec"), "--listen",
                      dir.File("busy.sock")});
  EXPECT_EQ(relay.Stop(0), 1);
  EXPECT_THAT(relay.Err(), HasSubstr("something already answers on " + dir.File("busy.sock")));
  EXPECT_EQ(SlurpFile(dir.File("rec")), "an earlier recording");
}

}  // namespace
