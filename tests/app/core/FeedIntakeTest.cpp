#include "app/core/FeedIntake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/core/FeedFakes.h"

#include "tests/support/ParamPrinting.h"

using namespace orlex::app;

using namespace std::string_literals;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Calls = std::vector<std::string>;

namespace {

class FeedIntakeTest : public ::testing::Test {
 protected:
  int Send(std::uint32_t kind, const std::string& text) { return WMCopyData(table, host, kind, text); }
  // Sends a packet and forgets the calls it made, to look at the next packet alone.
  void Prepare(std::uint32_t kind, const std::string& text) {
    Send(kind, text);
    host.calls.clear();
    host.listing.clear();
  }
  std::string ValueOf(int n) const { return table.Record(n)->Value; }

  TPidTable table;
  TFakeHost host{table};
};

// Builds an INIT text of `count` PIDs k1, d1, 1, k2, d2, 2, ... with `pids` PIDs actually listed.
std::string InitText(long long count, int pids) {
  std::string text = std::to_string(count) + ";";
  for (int n = 1; n <= pids; ++n) {
    const std::string s = std::to_string(n);
    text += "k" + s + ";d" + s + ";" + s + ";";
  }
  return text;
}

TEST_F(FeedIntakeTest, InitRunsItsStepsInOrderAndListsEveryPid) {
  EXPECT_EQ(Send(kInitPacket, "  2;k1;\"Engine Speed\";1;k2;d2;$2;\r\n"), 1);
  EXPECT_THAT(host.calls,
              ElementsAre("list:2;k1;\"Engine Speed\";1;k2;d2;$2;", "list:--", "status:INIT Packet Recv", "restart",
                          "reset", "open",  //
                          "list:m k1", "list:d Engine Speed", "list:I 1", "create", "cascade:1", "load:1", "restore:1",
                          "list:adding Engine Speed k1 1",  //
                          "list:m k2", "list:d d2", "list:I $2", "create", "cascade:2", "load:2", "restore:2",
                          "list:adding d2 k2 2",  //
                          "place", "status:Watching for PID Data"));
  EXPECT_TRUE(table.InitDone);
  ASSERT_EQ(table.PidCount, 2);
  const PidRecord& second = *table.Record(2);
  EXPECT_EQ(second.ID, 2);
  EXPECT_EQ(second.Key, "k2");
  EXPECT_EQ(second.Description, "d2");
  EXPECT_EQ(second.Value, "");
  EXPECT_TRUE(second.NeedsPlacement);
  EXPECT_FALSE(FakeWindow(table, 2).visible);
  EXPECT_EQ(table.Record(3), nullptr);
}

struct TInitFailure {
  std::string text;
  Calls tail;  // the last calls, ending with the failure box
};

void PrintTo(const TInitFailure& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class InitFailureTest : public FeedIntakeTest, public ::testing::WithParamInterface<TInitFailure> {};

TEST_P(InitFailureTest, ShowsItsBoxAndEnds) {
  EXPECT_THROW(Send(kInitPacket, GetParam().text), TFakeProcessEnd);
  const Calls& tail = GetParam().tail;
  ASSERT_GE(host.calls.size(), tail.size());
  EXPECT_EQ(Calls(host.calls.end() - static_cast<long>(tail.size()), host.calls.end()), tail);
  EXPECT_FALSE(table.InitDone);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InitFailureTest,
    ::testing::Values(
        TInitFailure{"k1;d1;1", {"status:INIT Packet Recv", "status:INIT Packet ERROR 1", "fail:INIT Packet Failed! No COUNT"}},
        TInitFailure{"2 PIDs;k1;d1;1;", {"status:INIT Packet Recv", "status:INIT Packet ERROR 1", "fail:INIT Packet Failed! No COUNT"}},
        TInitFailure{"-666;k1;d1;1;", {"status:INIT Packet Recv", "status:INIT Packet ERROR 1", "fail:INIT Packet Failed! No COUNT"}},
        // too few fields: the listing shows the fields that exist, then the box
        TInitFailure{"2;k1;d1;1;k2;d2", {"list:adding d1 k1 1", "list:m k2", "list:d d2", "fail:INIT Packet ERROR 3"}},
        TInitFailure{"1;k1;", {"open", "list:m k1", "list:d ", "fail:INIT Packet ERROR 3"}},
        // the empty field behind a final ';' is a field: here it is taken as an ID
        TInitFailure{"2;k1;d1;1;k2;d2;", {"list:m k2", "list:d d2", "list:I ", "create", "fail:INIT Packet ERROR 3"}},
        // an unquoted description with a space shifts the fields: the ID field holds text
        TInitFailure{"1;k1;Engine Speed;1;", {"list:m k1", "list:d Engine", "list:I Speed", "create", "fail:INIT Packet ERROR 3"}},
        TInitFailure{"1;k1;d1;2147483648;", {"list:I 2147483648", "create", "fail:INIT Packet ERROR 3"}}),
                         orlex::test::CaseName);

TEST_F(FeedIntakeTest, CountZeroOrBelowRegistersNothingAndSucceeds) {
  Prepare(kInitPacket, InitText(3, 3));
  for (const std::string text : {"0;", "-5;k1;d1;1;"}) {
    host.calls.clear();
    EXPECT_EQ(Send(kInitPacket, text), 1) << text;
    EXPECT_THAT(host.calls, ElementsAre("list:" + text, "list:--", "status:INIT Packet Recv", "restart", "reset",
                                        "open", "place", "status:Watching for PID Data"));
    EXPECT_EQ(table.PidCount, 0);
    EXPECT_EQ(host.liveWindows, 0);
    EXPECT_EQ(table.Record(1), nullptr);
  }
  host.calls.clear();
  EXPECT_EQ(Send(kPidPacket, "k1,5;"), 1);
  EXPECT_THAT(host.calls, ElementsAre("list:k1,5;", "list:--", "refresh"));
}

struct TOversizedCase {
  long long count;
  int listedPids;
  std::string skipLine;
};

void PrintTo(const TOversizedCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class OversizedInitTest : public FeedIntakeTest, public ::testing::WithParamInterface<TOversizedCase> {};

TEST_P(OversizedInitTest, RegistersOnlyEightyAndSaysSo) {
  EXPECT_EQ(Send(kInitPacket, InitText(GetParam().count, GetParam().listedPids)), 1);
  EXPECT_EQ(table.PidCount, 80);
  EXPECT_EQ(host.liveWindows, 80);
  EXPECT_EQ(table.Record(80)->Key, "k80");
  EXPECT_EQ(table.Record(81), nullptr);
  EXPECT_TRUE(table.InitDone);
  const Calls tail(host.calls.end() - 5, host.calls.end());
  EXPECT_THAT(tail, ElementsAre("restore:80", "list:adding d80 k80 80", "list:" + GetParam().skipLine, "place",
                                "status:Watching for PID Data"));
  // The PIDs that were registered work as usual.
  EXPECT_EQ(Send(kPidPacket, "k80,9;k81,7;"), 1);
  EXPECT_EQ(ValueOf(80), "9");
}

INSTANTIATE_TEST_SUITE_P(Counts, OversizedInitTest,
                         ::testing::Values(TOversizedCase{85, 85, "skipping PIDs beyond 80: 5"},
                                           TOversizedCase{81, 80, "skipping PIDs beyond 80: 1"},
                                           TOversizedCase{2147483647, 80, "skipping PIDs beyond 80: 2147483567"}),
                         orlex::test::CaseName);

TEST_F(FeedIntakeTest, SecondInitWithFewerPidsDestroysTheOldWindows) {
  Prepare(kInitPacket, InitText(5, 5));
  ASSERT_EQ(host.liveWindows, 5);
  Prepare(kInitPacket, "2;n1;e1;1;n2;e2;2;");
  EXPECT_EQ(host.liveWindows, 2);
  EXPECT_EQ(table.Record(3), nullptr);

  EXPECT_EQ(DispatchFeedMessage(table, host, orlex::kMsgHideAll, 0, ""), 0);
  EXPECT_EQ(FakeWindow(table, 1).hideCalls, 1);
  EXPECT_EQ(FakeWindow(table, 2).hideCalls, 1);
  // Old keys match nothing any more.
  EXPECT_EQ(Send(kPidPacket, "k1,5;n2,6;"), 1);
  EXPECT_EQ(ValueOf(1), "");
  EXPECT_EQ(ValueOf(2), "6");
}

struct TPidPacketCase {
  std::string text;
  int result;
  std::string k1;
  std::string k2;
};

void PrintTo(const TPidPacketCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PidPacketTest : public FeedIntakeTest, public ::testing::WithParamInterface<TPidPacketCase> {};

TEST_P(PidPacketTest, StoresValuesAndAnswers) {
  Prepare(kInitPacket, "3;k1;d1;1;k2;d2;2;K1;d3;3;");
  table.WatchdogTicks = 9;
  const auto& c = GetParam();
  EXPECT_EQ(Send(kPidPacket, c.text), c.result) << c.text;
  EXPECT_EQ(ValueOf(1), c.k1);
  EXPECT_EQ(ValueOf(2), c.k2);
  EXPECT_EQ(ValueOf(3), "") << "keys differing in case never match";
  const bool finished = c.result == 1;
  EXPECT_EQ(table.WatchdogTicks, finished ? 0 : 9);
  Calls expected{"list:" + c.text, "list:--"};
  if (finished) expected.push_back("refresh");
  EXPECT_EQ(host.calls, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PidPacketTest,
    ::testing::Values(TPidPacketCase{"k1,1500;k2,87.5;", 1, "1500", "87.5"},
                      // the last field is dropped unseen, so without a final ';' the last value is lost
                      TPidPacketCase{"k1,1500", 1, "", ""}, TPidPacketCase{"k1,1;k2,2", 1, "1", ""},
                      // a field without a comma stops the packet: earlier values stay, no refresh
                      TPidPacketCase{"k1,15 00;", 0, "15", ""}, TPidPacketCase{"k1,1;k2;k1,2;", 0, "1", ""},
                      TPidPacketCase{"k1,1,5;", 1, "1,5", ""}, TPidPacketCase{"k1,;k2,x;", 1, "", "x"},
                      TPidPacketCase{"\"k1,a b\";k2,1;k2,2;", 1, "a b", "2"},
                      TPidPacketCase{"k9,1;kk1,2;", 1, "", ""}),
                         orlex::test::CaseName);

TEST_F(FeedIntakeTest, DuplicateKeysBothTakeTheValue) {
  Prepare(kInitPacket, "2;k;a;1;k;b;2;");
  EXPECT_EQ(Send(kPidPacket, "k,42;"), 1);
  EXPECT_EQ(ValueOf(1), "42");
  EXPECT_EQ(ValueOf(2), "42");
}

TEST_F(FeedIntakeTest, EmptyPidPacketAfterInitEnds) {
  Prepare(kInitPacket, "1;k1;d1;1;");
  EXPECT_THROW(Send(kPidPacket, " \r\n"), TFakeProcessEnd);
  EXPECT_THAT(host.calls, ElementsAre("list:", "list:--", "fail:PID Packet ERROR"));
}

TEST_F(FeedIntakeTest, PidPacketBeforeInitIsIgnored) {
  table.WatchdogTicks = 12;
  EXPECT_EQ(Send(kPidPacket, "k1,5;"), 0);
  EXPECT_EQ(Send(kPidPacket, ""), 0);  // not even an empty one ends the process
  EXPECT_THAT(host.calls, ElementsAre("list:k1,5;", "list:--", "list:", "list:--"));
  EXPECT_EQ(table.WatchdogTicks, 12);
}

TEST_F(FeedIntakeTest, SaveRequestShowsTheBoxBeforeSaving) {
  for (bool afterInit : {false, true}) {
    if (afterInit) Prepare(kInitPacket, "1;k1;d1;1;");
    host.calls.clear();
    EXPECT_EQ(Send(kSaveRequest, "whatever"), 0);
    EXPECT_THAT(host.calls, ElementsAre("list:whatever", "list:--", "box:saved", "save"));
  }
}

struct TListingCase {
  std::uint32_t kind;
  std::string text;
  std::string listed;
};

void PrintTo(const TListingCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ListingTest : public FeedIntakeTest, public ::testing::WithParamInterface<TListingCase> {};

TEST_P(ListingTest, EveryMessageListsItsTrimmedTextThenTwoDashes) {
  Send(GetParam().kind, GetParam().text);
  ASSERT_GE(host.listing.size(), 2u);
  EXPECT_EQ(host.listing[0], GetParam().listed);
  EXPECT_EQ(host.listing[1], "--");
  EXPECT_EQ(host.calls[0], "list:" + GetParam().listed) << "listing comes before anything else";
}

INSTANTIATE_TEST_SUITE_P(Kinds, ListingTest,
                         ::testing::Values(TListingCase{kInitPacket, "\t0; \r\n", "0;"},
                                           TListingCase{kPidPacket, " k1,5; ", "k1,5;"},
                                           TListingCase{3, "  three ", "three"},
                                           TListingCase{kSaveRequest, "x", "x"}, TListingCase{2, "", ""},
                                           TListingCase{0xFFFFFFFF, "any\0after nul"s, "any"}),
                         orlex::test::CaseName);

TEST_F(FeedIntakeTest, OtherKindsOnlyList) {
  Prepare(kInitPacket, "1;k1;d1;1;");
  for (std::uint32_t kind : {2u, 3u, 5u, 0x100u, 0x80000001u}) {
    host.calls.clear();
    EXPECT_EQ(Send(kind, "k1,5;"), 0);
    EXPECT_THAT(host.calls, ElementsAre("list:k1,5;", "list:--")) << kind;
  }
  EXPECT_EQ(ValueOf(1), "");
}

TEST_F(FeedIntakeTest, DispatchRoutesControlMessagesAndAnswersZeroToUnknownOnes) {
  Prepare(kInitPacket, "2;k1;d1;1;k2;d2;2;");
  FakeWindow(table, 1).visible = FakeWindow(table, 2).visible = true;

  EXPECT_EQ(DispatchFeedMessage(table, host, orlex::kMsgEnableChecking, 0, ""), 0);
  EXPECT_TRUE(FakeWindow(table, 1).checking && FakeWindow(table, 2).checking);
  EXPECT_EQ(DispatchFeedMessage(table, host, orlex::kMsgDisableChecking, 0, ""), 0);
  EXPECT_FALSE(FakeWindow(table, 1).checking || FakeWindow(table, 2).checking);
  EXPECT_EQ(DispatchFeedMessage(table, host, orlex::kMsgHideAll, 7, "ignored"), 0);
  EXPECT_FALSE(FakeWindow(table, 1).visible || FakeWindow(table, 2).visible);

  EXPECT_EQ(DispatchFeedMessage(table, host, 0x463, kPidPacket, "k1,5;"), 0);
  EXPECT_EQ(DispatchFeedMessage(table, host, 0x4B, kPidPacket, "k1,5;"), 0);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(DispatchFeedMessage(table, host, orlex::kMsgCopyData, kPidPacket, "k1,5;"), 1);
  EXPECT_EQ(ValueOf(1), "5");
}

// The status line lets other messages run in the middle of an INIT packet.
TEST_F(FeedIntakeTest, PacketArrivingWhileInitStartsSeesAnEmptyTable) {
  Prepare(kInitPacket, "2;k1;d1;1;k2;d2;2;");
  int nestedResult = -1;
  host.onStatus = [&](const std::string& status) {
    if (status == "INIT Packet Recv") {
      host.onStatus = nullptr;
      nestedResult = Send(kPidPacket, "k1,7;");
      table.HideAll();
    }
  };
  EXPECT_EQ(Send(kInitPacket, "1;k1;d1;1;"), 1);
  EXPECT_EQ(nestedResult, 1);
  EXPECT_EQ(table.PidCount, 1);
  EXPECT_EQ(ValueOf(1), "");
  EXPECT_EQ(host.liveWindows, 1);
}

TEST_F(FeedIntakeTest, NestedInitDuringTheStatusLineLeavesOneSoundTable) {
  host.onStatus = [&](const std::string& status) {
    if (status == "INIT Packet Recv") {
      host.onStatus = nullptr;
      EXPECT_EQ(Send(kInitPacket, InitText(4, 4)), 1);
    }
  };
  EXPECT_EQ(Send(kInitPacket, "2;a;b;1;c;d;2;"), 1);
  EXPECT_EQ(table.PidCount, 2);
  EXPECT_EQ(host.liveWindows, 2);
  EXPECT_EQ(table.Record(1)->Key, "a");
  EXPECT_EQ(table.Record(3), nullptr);
}

// While the failure box is open, other messages run; they must find a table whose count matches the
// records that exist.
TEST_F(FeedIntakeTest, FailureBoxOfAHalfBuiltInitLeavesAConsistentTable) {
  Prepare(kInitPacket, InitText(3, 3));
  int countSeen = -1;
  bool everyRecordPresent = true;
  host.onFail = [&](const std::string&) {
    countSeen = table.PidCount;
    for (int n = 1; n <= table.PidCount; ++n) {
      everyRecordPresent = everyRecordPresent && table.Record(n) != nullptr && table.Record(n)->Window;
    }
    table.HideAll();
    EXPECT_EQ(Send(kPidPacket, "k1,3;"), 1);
  };
  EXPECT_THROW(Send(kInitPacket, "3;k1;d1;1;k2;d2;two;k3;d3;3;"), TFakeProcessEnd);
  EXPECT_EQ(countSeen, 1);
  EXPECT_TRUE(everyRecordPresent);
  EXPECT_EQ(ValueOf(1), "3");
  EXPECT_EQ(host.liveWindows, 1) << "the record that failed takes its window with it";
}

}  // namespace
