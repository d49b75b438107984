// The recording file: what is written reads back exactly, a file cut anywhere yields its complete
// records and nothing else, and files that are not ours or of another version are refused.

#include "tools/core/Recording.h"
#include "tools/core/ReplayPlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FeedFrame.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex::recording;

// A short session on two connections: INIT and values with a NUL inside a payload, a control message,
// a frame the display closed on, and a Feed that left with a frame unanswered.
struct TSession {
  std::string bytes;
  std::vector<size_t> recordEnds;  // the byte offset after each record
  std::vector<TRecordEvent> events;
};

TSession ShortSession() {
  TSession s;
  AppendHeader(s.bytes, 1700000000123456);
  const auto frame = [&](uint64_t t, uint32_t c, uint32_t msg, uint32_t data, std::string payload) {
    AppendFrame(s.bytes, t, c, msg, data, payload);
    TRecordEvent e;
    e.kind = TRecordKind::Frame;
    e.micros = t;
    e.connection = c;
    e.msg = msg;
    e.data = data;
    e.payload = std::move(payload);
    s.events.push_back(e);
    s.recordEnds.push_back(s.bytes.size());
  };
  const auto reply = [&](uint64_t t, uint32_t c, int32_t result) {
    AppendReply(s.bytes, t, c, result);
    TRecordEvent e;
    e.kind = TRecordKind::Reply;
    e.micros = t;
    e.connection = c;
    e.result = result;
    s.events.push_back(e);
    s.recordEnds.push_back(s.bytes.size());
  };
  const auto end = [&](uint64_t t, uint32_t c, TEndCause cause) {
    AppendEnd(s.bytes, t, c, cause);
    TRecordEvent e;
    e.kind = TRecordKind::End;
    e.micros = t;
    e.connection = c;
    e.cause = cause;
    s.events.push_back(e);
    s.recordEnds.push_back(s.bytes.size());
  };
  frame(10, 1, orlex::kMsgCopyData, 0, std::string("1;RPM;\"Engine Speed\";1;\0", 24));
  reply(900, 1, 1);
  frame(200000, 1, orlex::kMsgCopyData, 1, std::string("RPM,1500;\0tail", 14));
  frame(200100, 2, orlex::kMsgHideAll, 0, "");
  reply(200200, 2, 0);
  reply(200300, 1, 1);
  end(300000, 2, TEndCause::Feed);
  frame(400000, 1, orlex::kMsgCopyData, 0, std::string("2;bad init\0", 11));
  reply(400050, 1, -7);
  frame(500000, 1, orlex::kMsgCopyData, 0, std::string("2;RPM;Engine Speed;1;\0", 22));
  end(600000, 1, TEndCause::Display);
  return s;
}

void ExpectSameEvents(const std::vector<TRecordEvent>& got, const std::vector<TRecordEvent>& want, size_t count) {
  ASSERT_EQ(got.size(), count);
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE("event " + std::to_string(i));
    EXPECT_EQ(got[i].kind, want[i].kind);
    EXPECT_EQ(got[i].micros, want[i].micros);
    EXPECT_EQ(got[i].connection, want[i].connection);
    EXPECT_EQ(got[i].msg, want[i].msg);
    EXPECT_EQ(got[i].data, want[i].data);
    EXPECT_EQ(got[i].payload, want[i].payload);
    EXPECT_EQ(got[i].result, want[i].result);
    EXPECT_EQ(got[i].cause, want[i].cause);
  }
}

TEST(Recording, ReadsBackWhatWasWritten) {
  const TSession s = ShortSession();
  const TRecording r = ReadRecording(s.bytes);
  EXPECT_EQ(r.status, TReadStatus::Complete);
  EXPECT_EQ(r.version, kVersion);
  EXPECT_EQ(r.startUnixMicros, 1700000000123456u);
  EXPECT_EQ(r.goodBytes, s.bytes.size());
  ExpectSameEvents(r.events, s.events, s.events.size());
  EXPECT_EQ(DescribeReadStatus(r, "f"), "");
}

TEST(Recording, CutAtEveryByteKeepsTheCompleteRecordsAndNothingElse) {
  const TSession s = ShortSession();
  for (size_t cut = 0; cut <= s.bytes.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const TRecording r = ReadRecording(std::string_view(s.bytes).substr(0, cut));
    size_t complete = 0;
    while (complete < s.recordEnds.size() && s.recordEnds[complete] <= cut) ++complete;
    const bool atBoundary = cut == kHeaderSize || (complete > 0 && s.recordEnds[complete - 1] == cut);
    EXPECT_EQ(r.status, atBoundary ? TReadStatus::Complete : TReadStatus::Truncated);
    EXPECT_TRUE(r.Usable());
    ExpectSameEvents(r.events, s.events, complete);
    EXPECT_LE(r.goodBytes, cut);

    // What replay would send: the complete frames only, and a reply only where one was recorded.
    const std::vector<TExchange> exchanges = PairExchanges(r.events);
    size_t frames = 0;
    for (size_t i = 0; i < complete; ++i) frames += s.events[i].kind == TRecordKind::Frame;
    EXPECT_EQ(exchanges.size(), frames);
    const std::vector<TReplayStep> steps = PlanReplay(exchanges, {0, {}, {}});
    ASSERT_EQ(steps.size(), frames);
    for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(exchanges[steps[i].exchange].payload, exchanges[i].payload);
  }
}

struct TRefusal {
  const char* name;
  std::string bytes;
  TReadStatus status;
  size_t eventsKept;
  const char* message;
};

void PrintTo(const TRefusal& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

std::string WithHeader(const std::string& records) {
  std::string out;
  AppendHeader(out, 0);
  return out + records;
}

std::string OtherVersion() {
  std::string out = WithHeader("");
  out[8] = 2;  // the version's low byte
  return out;
}

std::string OneReply() {
  std::string out;
  AppendReply(out, 5, 1, 1);
  return out;
}

// A frame record announcing one byte more than a display takes.
std::string OversizedFrame() {
  std::string out;
  AppendFrame(out, 1, 1, orlex::kMsgCopyData, 1, "x");
  const uint32_t length = orlex::kFeedMaxPayload + 1;
  for (int i = 0; i < 4; ++i) out[13 + 8 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return out;
}

std::string BadEndCause() {
  std::string out;
  AppendEnd(out, 1, 1, TEndCause::Feed);
  out.back() = 9;
  return out;
}

class RecordingRefusal : public testing::TestWithParam<TRefusal> {};

TEST_P(RecordingRefusal, SaysWhatIsWrongAndKeepsOnlyTheGoodPrefix) {
  const TRefusal& c = GetParam();
  const TRecording r = ReadRecording(c.bytes);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.events.size(), c.eventsKept);
  EXPECT_EQ(DescribeReadStatus(r, "rec.orx"), c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordingRefusal,
    testing::Values(
        TRefusal{"SomeOtherFile", "time,key\r\n1,RPM\r\n", TReadStatus::NotRecording, 0,
                 "rec.orx is not an Orlex Gauges recording"},
        TRefusal{"CutInsideTheMagic", "ORLX", TReadStatus::Truncated, 0,
                 "rec.orx ends in the middle of a record (a recording cut short); using the 0 complete records before it"},
        TRefusal{"OtherShortFile", "hello", TReadStatus::NotRecording, 0, "rec.orx is not an Orlex Gauges recording"},
        TRefusal{"OtherVersion", OtherVersion() + OneReply(), TReadStatus::OtherVersion, 0,
                 "rec.orx is a recording of format version 2, which this orlex-feed does not read (it reads version 1)"},
        TRefusal{"UnknownRecordType", WithHeader(OneReply() + "Z" + OneReply()), TReadStatus::Damaged, 1,
                 "rec.orx is damaged at byte 37; using the 1 records before it"},
        TRefusal{"FrameBeyondTheLimit", WithHeader(OneReply() + OversizedFrame()), TReadStatus::Damaged, 1,
                 "rec.orx is damaged at byte 37; using the 1 records before it"},
        TRefusal{"UnknownEndCause", WithHeader(BadEndCause()), TReadStatus::Damaged, 0,
                 "rec.orx is damaged at byte 20; using the 0 records before it"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Recording, PairsRepliesPerConnectionInOrder) {
  const TSession s = ShortSession();
  const std::vector<TExchange> x = PairExchanges(ReadRecording(s.bytes).events);
  ASSERT_EQ(x.size(), 5u);
  EXPECT_EQ(x[0].outcome, TOutcome::Replied);
  EXPECT_EQ(x[0].result, 1);
  // Connection 2's reply came before connection 1's, and each went to its own frame.
  EXPECT_EQ(x[1].connection, 1u);
  EXPECT_EQ(x[1].outcome, TOutcome::Replied);
  EXPECT_EQ(x[1].result, 1);
  EXPECT_EQ(x[2].connection, 2u);
  EXPECT_EQ(x[2].msg, orlex::kMsgHideAll);
  EXPECT_EQ(x[2].result, 0);
  EXPECT_EQ(x[3].result, -7);
  // The display closed on the last frame without a reply.
  EXPECT_EQ(x[4].outcome, TOutcome::Closed);
}

TEST(Recording, FramesLeftByAFeedAreUnknownAndStrayRepliesIgnored) {
  std::string bytes;
  AppendHeader(bytes, 0);
  AppendReply(bytes, 1, 1, 5);  // answers nothing
  AppendFrame(bytes, 2, 1, orlex::kMsgCopyData, 1, "a");
  AppendFrame(bytes, 3, 1, orlex::kMsgCopyData, 1, "b");
  AppendReply(bytes, 4, 1, 1);
  AppendEnd(bytes, 5, 1, TEndCause::Feed);
  AppendFrame(bytes, 6, 2, orlex::kMsgCopyData, 1, "c");
  AppendEnd(bytes, 7, 2, TEndCause::Relay);
  const std::vector<TExchange> x = PairExchanges(ReadRecording(bytes).events);
  ASSERT_EQ(x.size(), 3u);
  EXPECT_EQ(x[0].outcome, TOutcome::Replied);
  EXPECT_EQ(x[0].result, 1);
  EXPECT_EQ(x[1].outcome, TOutcome::Unknown);
  EXPECT_EQ(x[2].outcome, TOutcome::Unknown);
}

}  // namespace
