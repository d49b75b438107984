// orlex-feed replay and export on recordings: what reaches the display, where replies differ, what
// the CSV holds when Python's csv module reads it, and the refusals.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FeedFrame.h"
#include "tests/support/FakeFeedDisplay.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/tools/ToolProcess.h"
#include "tools/core/Recording.h"

namespace {

using testing::HasSubstr;
namespace rec = orlex::recording;

std::string Text(const std::string& text) { return text + std::string(1, '\0'); }

class RecordingModes : public testing::Test {
 protected:
  TProgramRun Tool(std::vector<std::string> args) {
    args.insert(args.begin(), FeedToolPath());
    return RunProgram(args);
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_.File(name), std::ios::binary) << bytes;
  }
  // Rows of a CSV file as Python's csv module reads them.
  std::vector<std::vector<std::string>> PythonRows(const std::string& csvPath) {
    const TProgramRun run = RunProgram(
        {"python3", "-c",
         "import csv, sys\n"
         "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
         "    sys.stdout.write('\\x1e'.join('\\x1f'.join(row) for row in csv.reader(f)))\n",
         csvPath});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::vector<std::string>> rows;
    size_t at = 0;
    while (at <= run.out.size() && !run.out.empty()) {
      const size_t rowEnd = std::min(run.out.find('\x1e', at), run.out.size());
      const std::string row = run.out.substr(at, rowEnd - at);
      std::vector<std::string> fields;
      size_t f = 0;
      for (;;) {
        const size_t fieldEnd = std::min(row.find('\x1f', f), row.size());
        fields.push_back(row.substr(f, fieldEnd - f));
        if (fieldEnd == row.size()) break;
        f = fieldEnd + 1;
      }
      rows.push_back(fields);
      at = rowEnd + 1;
    }
    return rows;
  }
  TTempDir dir_;
};

// A session: INIT, a PID packet the display answered 1, one at 0.4 s it answered 1 (the stand-in
// below answers it 0), a control message, then a malformed INIT the display closed on.
std::string Session() {
  std::string s;
  rec::AppendHeader(s, 0);
  rec::AppendFrame(s, 0, 1, orlex::kMsgCopyData, 0, Text("2;RPM;\"Engine Speed\";1;ECT;\"Temp \xC2\xB0" "C\";2;"));
  rec::AppendReply(s, 100, 1, 1);
  rec::AppendFrame(s, 100000, 1, orlex::kMsgCopyData, 1, Text("RPM,1500;ECT,87.5;"));
  rec::AppendReply(s, 100100, 1, 1);
  rec::AppendFrame(s, 500000, 1, orlex::kMsgCopyData, 1, Text("RPM,1600;\"ECT,too hot, \"\"really\"\"\";"));
  rec::AppendReply(s, 500100, 1, 1);
  rec::AppendFrame(s, 500200, 1, orlex::kMsgHideAll, 0, "");
  rec::AppendReply(s, 500300, 1, 0);
  rec::AppendFrame(s, 600000, 1, orlex::kMsgCopyData, 0, Text("1;RPM;Engine Speed;1;"));
  rec::AppendEnd(s, 600100, 1, rec::TEndCause::Display);
  return s;
}

TEST_F(RecordingModes, ReplaySendsTheFramesAndReportsRepliesThatDiffer) {
  Write("rec", Session());
  std::vector<std::chrono::steady_clock::time_point> arrivals;
  std::mutex mutex;
  TFakeFeedDisplay display(dir_.File("d.sock"), [&](const orlex::TFeedRequest& r) -> std::optional<int32_t> {
    {
      std::lock_guard lock(mutex);
      arrivals.push_back(std::chrono::steady_clock::now());
    }
    const std::string text(orlex::FeedPayloadText(r.payload));
    if (r.msg != orlex::kMsgCopyData) return 0;
    if (text == "1;RPM;Engine Speed;1;") return std::nullopt;
    return text.find("too hot") != std::string::npos ? 0 : 1;
  });
  const TProgramRun run = Tool({"--socket", dir_.File("d.sock"), "replay", dir_.File("rec"), "--speed", "4"});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_EQ(run.out,
            "0.500000 s, connection 1, PID packet: recorded reply 1, now reply 0\n"
            "orlex-feed replay: 5 frames sent, 1 reply differs from the recording.\n");

  const std::vector<orlex::TFeedRequest> got = display.Requests();
  const std::vector<rec::TExchange> recorded = rec::PairExchanges(rec::ReadRecording(Session()).events);
  ASSERT_EQ(got.size(), recorded.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].msg, recorded[i].msg);
    EXPECT_EQ(got[i].data, recorded[i].data);
    EXPECT_EQ(got[i].payload, recorded[i].payload);
  }
  // 0.4 s recorded between the second and third frame, at four times the speed.
  std::lock_guard lock(mutex);
  ASSERT_EQ(arrivals.size(), 5u);
  EXPECT_GE(arrivals[2] - arrivals[1], std::chrono::milliseconds(95));
}

TEST_F(RecordingModes, ReplayWindowStartsWithTheInitItNeeds) {
  Write("rec", Session());
  TFakeFeedDisplay display(dir_.File("d.sock"), [](const orlex::TFeedRequest&) { return 1; });
  const TProgramRun run =
      Tool({"--socket", dir_.File("d.sock"), "replay", dir_.File("rec"), "--speed=0", "--from", "0.2", "--to=0.5"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("2 frames sent, every reply as recorded."));
  const std::vector<orlex::TFeedRequest> got = display.Requests();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].data, 0u);
  EXPECT_THAT(got[1].payload, HasSubstr("RPM,1600;"));
}

TEST_F(RecordingModes, LoopStartsAgainFromTheBeginningUntilInterrupted) {
  std::string s;
  rec::AppendHeader(s, 0);
  rec::AppendFrame(s, 0, 1, orlex::kMsgCopyData, 0, Text("1;RPM;Rpm;1;"));
  rec::AppendFrame(s, 10, 1, orlex::kMsgCopyData, 1, Text("RPM,1;"));
  Write("rec", s);
  TFakeFeedDisplay display(dir_.File("d.sock"), [](const orlex::TFeedRequest&) { return 1; });
  TToolProcess replay({"--socket", dir_.File("d.sock"), "replay", dir_.File("rec"), "--loop", "--speed", "0"});
  for (int i = 0; i < 500 && display.Requests().size() < 6; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(replay.Stop(SIGINT), 0) << replay.Err();
  EXPECT_THAT(replay.Out(), testing::MatchesRegex("orlex-feed replay: interrupted; [0-9]+ frames sent, every reply as recorded.\n"));
  const std::vector<orlex::TFeedRequest> got = display.Requests();
  ASSERT_GE(got.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(got[i].data, i % 2) << i;
}

TEST_F(RecordingModes, ExportGivesEveryValueAsSentToPythonsCsvReader) {
  Write("rec", Session());
  const TProgramRun run = Tool({"export", dir_.File("rec"), "--csv", "--out", dir_.File("long.csv")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::vector<std::vector<std::string>> expected = {
      {"time", "key", "description", "value"},
      {"0.100000", "RPM", "Engine Speed", "1500"},
      {"0.100000", "ECT", "Temp \xC2\xB0" "C", "87.5"},
      {"0.500000", "RPM", "Engine Speed", "1600"},
      {"0.500000", "ECT", "Temp \xC2\xB0" "C", "too hot, \"really\""},
  };
  EXPECT_EQ(PythonRows(dir_.File("long.csv")), expected);

  const TProgramRun wide = Tool({"export", "--wide", dir_.File("rec"), "--csv"});  // to standard output
  EXPECT_EQ(wide.exitCode, 0) << wide.err;
  Write("wide.csv", wide.out);
  const std::vector<std::vector<std::string>> wideExpected = {
      {"time", "RPM", "ECT"}, {"0.100000", "1500", "87.5"}, {"0.500000", "1600", "too hot, \"really\""}};
  EXPECT_EQ(PythonRows(dir_.File("wide.csv")), wideExpected);
}

// The demo Feed recorded through the relay: the export holds exactly the values the display got.
TEST_F(RecordingModes, ExportOfARecordedDemoSessionGivesTheValuesSent) {
  int valuePackets = 0;
  TFakeFeedDisplay display(dir_.File("d.sock"), [&](const orlex::TFeedRequest& r) -> std::optional<int32_t> {
    if (r.data == 1 && ++valuePackets > 4) return std::nullopt;  // the display ends
    return 1;
  });
  TToolProcess relay({"--socket", dir_.File("d.sock"), "record", "--out", dir_.File("demo.rec"), "--listen",
                      dir_.File("r.sock")});
  ASSERT_TRUE(WaitForSocket(dir_.File("r.sock")));
  const TProgramRun demo = Tool({"--socket", dir_.File("r.sock"), "--interval", "10", "demo"});
  EXPECT_EQ(demo.exitCode, 0) << demo.err;
  EXPECT_THAT(demo.out, HasSubstr("went away"));
  EXPECT_EQ(relay.Stop(), 0) << relay.Err();

  const TProgramRun run = Tool({"export", dir_.File("demo.rec"), "--csv", "--out", dir_.File("demo.csv")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::vector<std::string>> rows = PythonRows(dir_.File("demo.csv"));

  // What the display took: every key,value of the four packets it answered (the fifth ended it).
  std::map<std::string, std::string> descriptions;
  std::vector<std::pair<std::string, std::string>> sent;
  for (const orlex::TFeedRequest& r : display.Requests()) {
    std::string text(orlex::FeedPayloadText(r.payload));
    if (r.data == 0) {
      EXPECT_THAT(text, HasSubstr("RPM;\"Engine Speed (rpm)\";1;"));
      continue;
    }
    for (size_t at = 0, semicolon; (semicolon = text.find(';', at)) != std::string::npos; at = semicolon + 1) {
      const std::string field = text.substr(at, semicolon - at);
      sent.emplace_back(field.substr(0, field.find(',')), field.substr(field.find(',') + 1));
    }
  }
  ASSERT_EQ(sent.size(), 5u * 20u);
  ASSERT_EQ(rows.size(), sent.size() + 1);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"time", "key", "description", "value"}));
  for (size_t i = 0; i < sent.size(); ++i) {
    ASSERT_EQ(rows[i + 1].size(), 4u);
    EXPECT_EQ(rows[i + 1][1], sent[i].first);
    EXPECT_EQ(rows[i + 1][3], sent[i].second);
  }
  EXPECT_EQ(rows[1][2], "Engine Speed (rpm)");
}

TEST_F(RecordingModes, RefusesFilesOfAnotherVersionOrKind) {
  std::string other = Session();
  other[8] = 7;
  Write("v7", other);
  Write("text", "time,key\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"replay", dir_.File("v7")}, std::vector<std::string>{"export", dir_.File("v7"), "--csv"}}) {
    const TProgramRun run = Tool(args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr(dir_.File("v7") + " is a recording of format version 7, which this orlex-feed does not read"));
  }
  const TProgramRun text = Tool({"export", dir_.File("text"), "--csv"});
  EXPECT_EQ(text.exitCode, 1);
  EXPECT_THAT(text.err, HasSubstr("is not an Orlex Gauges recording"));
  Write("rec", Session());
  const TProgramRun overwrite = Tool({"export", dir_.File("rec"), "--csv", "--out", dir_.File("rec")});
  EXPECT_EQ(overwrite.exitCode, 1);
  EXPECT_THAT(overwrite.err, HasSubstr("the CSV would overwrite the recording"));
  EXPECT_EQ(SlurpFile(dir_.File("rec")), Session());
  const TProgramRun missing = Tool({"export", dir_.File("nothing"), "--csv"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.err, HasSubstr("cannot read " + dir_.File("nothing")));
}

TEST_F(RecordingModes, ACutRecordingExportsItsCompleteFramesAndSaysSo) {
  const std::string whole = Session();
  Write("cut", whole.substr(0, whole.find("RPM,1600") + 3));  // inside the third frame
  const TProgramRun run = Tool({"export", dir_.File("cut"), "--csv"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "time,key,description,value\r\n0.100000,RPM,Engine Speed,1500\r\n0.100000,ECT,Temp \xC2\xB0" "C,87.5\r\n");
  EXPECT_THAT(run.err, HasSubstr("ends in the middle of a record (a recording cut short); using the 4 complete records"));
}

TEST_F(RecordingModes, HelpNamesTheRecordingCommandsAndTheirOptions) {
  const TProgramRun run = Tool({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* word : {"record --out FILE", "replay FILE", "export FILE --csv", "--listen PATH", "--speed X",
                           "--loop", "--from SECONDS", "--to SECONDS", "--wide", "3 when replay"}) {
    EXPECT_THAT(run.out, HasSubstr(word));
  }
}

struct TUsage {
  const char* name;
  std::vector<std::string> args;
};
void PrintTo(const TUsage& c, std::ostream* os) { *os << c.name; }

class RecordingUsage : public RecordingModes, public testing::WithParamInterface<TUsage> {};

TEST_P(RecordingUsage, BadUsageExitsTwo) {
  const TProgramRun run = Tool(GetParam().args);
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_THAT(run.err, HasSubstr("orlex-feed --help"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordingUsage,
    testing::Values(TUsage{"RecordWithoutOut", {"record"}}, TUsage{"RecordWithAFile", {"record", "f", "--out", "g"}},
                    TUsage{"ListenOnTheDisplaysSocket", {"--socket", "/tmp/x.sock", "record", "--out", "f", "--listen", "/tmp/x.sock"}},
                    TUsage{"ReplayWithoutFile", {"replay"}}, TUsage{"NegativeSpeed", {"replay", "f", "--speed", "-1"}},
                    TUsage{"SpeedNotANumber", {"replay", "f", "--speed", "fast"}},
                    TUsage{"FromAfterTo", {"replay", "f", "--from", "5", "--to", "1"}},
                    TUsage{"ExportWithoutCsv", {"export", "f"}}, TUsage{"WideForReplay", {"replay", "f", "--wide"}},
                    TUsage{"LoopForSend", {"send", "1", "k,1;", "--loop"}}, TUsage{"OutForReplay", {"replay", "f", "--out", "g"}},
                    TUsage{"ListenForExport", {"export", "f", "--csv", "--listen", "p"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
