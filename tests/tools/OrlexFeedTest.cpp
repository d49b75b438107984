// The orlex-feed tool as its users run it: the built binary, its exit status and its output, against
// a stand-in display.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/FeedFrame.h"
#include "tests/support/FakeFeedDisplay.h"
#include "tests/support/TempDir.h"

#include "tests/support/ParamPrinting.h"

extern char** environ;

namespace {

using testing::HasSubstr;

struct TRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// Runs the built tool with `args`, `input` on its standard input and `locale` as LC_ALL.
TRun RunTool(const std::vector<std::string>& args, const std::string& input = "", const char* locale = "C.UTF-8") {
  const char* binaryDir = std::getenv("ORLEX_BINARY_DIR");
  if (binaryDir == nullptr) {
    ADD_FAILURE() << "ORLEX_BINARY_DIR is not set";
    return {};
  }
  const std::string tool = std::string(binaryDir) + "/tools/orlex-feed";
  TTempDir io;
  std::ofstream(io.File("in"), std::ios::binary) << input;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, io.File("in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, io.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, io.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("LC_ALL=", 0) != 0 && entry.rfind("ORLEXGAUGES_SOCKET=", 0) != 0) env.push_back(entry);
  }
  env.push_back(std::string("LC_ALL=") + locale);
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStore = args;
  argStore.insert(argStore.begin(), tool);
  std::vector<char*> argv;
  for (std::string& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  TRun run;
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    ADD_FAILURE() << "cannot start " << tool;
    return run;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = Slurp(io.File("out"));
  run.err = Slurp(io.File("err"));
  return run;
}

class OrlexFeed : public testing::Test {
 protected:
  std::string Path() const { return temp_.File("d.sock"); }
  TTempDir temp_;
};

struct UsageCase {
  const char* name;
  std::vector<std::string> args;  // "SOCK" stands for the stand-in display's path
};

// Readable test names in listings.
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class OrlexFeedUsage : public OrlexFeed, public testing::WithParamInterface<UsageCase> {};

TEST_P(OrlexFeedUsage, BadUsageExitsTwoAndSendsNothing) {
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest&) { return 1; });
  std::vector<std::string> args = {"--socket", Path()};
  for (const std::string& a : GetParam().args) args.push_back(a);
  const TRun run = RunTool(args);
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_THAT(run.err, HasSubstr("orlex-feed --help"));
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(display.Requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrlexFeedUsage,
    testing::Values(UsageCase{"NoMode", {}}, UsageCase{"UnknownMode", {"frobnicate"}},
                    UsageCase{"SendWithoutText", {"send", "1"}}, UsageCase{"SendWithTwoTexts", {"send", "1", "a", "b"}},
                    UsageCase{"KindNotANumber", {"send", "one", "k,1;"}},
                    UsageCase{"KindBeyond32Bits", {"send", "4294967296", "k,1;"}},
                    UsageCase{"HexKindWithoutDigits", {"send", "0x", "k,1;"}},
                    UsageCase{"ControlWithArgument", {"hide-all", "now"}}, UsageCase{"SaveWithArgument", {"save", "x"}},
                    UsageCase{"UnknownOption", {"--bogus", "hide-all"}}, UsageCase{"OptionWithoutValue", {"hide-all", "--wait"}},
                    UsageCase{"WaitNotANumber", {"--wait", "soon", "hide-all"}},
                    UsageCase{"CountOutsideBench", {"--count", "5", "send", "1", "k,1;"}},
                    UsageCase{"IntervalOutsideDemo", {"--interval", "5", "hide-all"}},
                    UsageCase{"ZeroCount", {"--count", "0", "bench"}},
                    UsageCase{"EmptySocketAfterEquals", {"--socket=", "hide-all"}},
                    UsageCase{"ValueForAnOptionWithout", {"--help=yes"}},
                    UsageCase{"KeysPrefixOutsideBench", {"--keys-prefix", "X", "demo"}},
                    UsageCase{"KeysPrefixWithComma", {"--keys-prefix=a,b", "bench"}},
                    UsageCase{"KeysPrefixWithBlank", {"--keys-prefix", "a b", "bench"}},
                    UsageCase{"EmptyKeysPrefix", {"--keys-prefix=", "bench"}},
                    UsageCase{"ZeroRate", {"--rate", "0", "bench"}},
                    UsageCase{"RateNotANumber", {"--rate", "fast", "bench"}},
                    UsageCase{"SecondsWithoutRate", {"--seconds", "5", "bench"}},
                    UsageCase{"RateWithCount", {"--rate", "50", "--count", "10", "bench"}},
                    UsageCase{"RateOutsideBench", {"--rate", "50", "demo"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OrlexFeed, NoDisplayExitsOneWithAMessage) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--socket", Path(), "send", "1", "k1,1;"},
        std::vector<std::string>{"--socket", Path(), "--wait", "0.3", "hide-all"},
        std::vector<std::string>{"--socket", Path(), "demo"}}) {
    const TRun run = RunTool(args);
    EXPECT_EQ(run.exitCode, 1) << args.back();
    EXPECT_THAT(run.err, HasSubstr("no display answers on " + Path()));
  }
}

TEST_F(OrlexFeed, DisplayThatClosesWithoutReplyExitsOne) {
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest&) { return std::nullopt; });
  const TRun run = RunTool({"--socket", Path(), "send", "0", "-666;"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("closed the connection without replying"));
}

TEST_F(OrlexFeed, VersionNamesToolAndRelease) {
  const TRun run = RunTool({"--version"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(std::regex_match(run.out, std::regex("orlex-feed \\(Orlex Gauges\\) [0-9]+\\.[0-9]+(\\.[0-9]+)*\n")))
      << run.out;
}

TEST_F(OrlexFeed, OptionsTakeTheirValueAfterAnEqualsSign) {
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest&) { return 1; });
  const TRun run = RunTool({"--socket=" + Path(), "--wait=0.5", "send", "1", "--", "--k=v,1;"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const auto requests = display.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].payload, std::string("--k=v,1;\0", 9)) << "after --, words stay words";
}

TEST_F(OrlexFeed, HelpNamesEveryMode) {
  const TRun run = RunTool({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* word : {"send KIND TEXT", "hide-all", "disable-checking", "enable-checking", "save", "demo",
                           "bench", "--socket", "--wait", "--count", "--interval", "--keys-prefix", "--rate",
                           "--seconds", "--version", "--option=value", "Exit status"}) {
    EXPECT_THAT(run.out, HasSubstr(word));
  }
}

struct SendCase {
  const char* name;
  std::vector<std::string> args;
  std::string input;  // standard input
  uint32_t msg;
  uint32_t data;
  std::string payload;
};

// Readable test names in listings.
void PrintTo(const SendCase& c, std::ostream* os) { *os << c.name; }

class OrlexFeedSends : public OrlexFeed, public testing::WithParamInterface<SendCase> {};

TEST_P(OrlexFeedSends, SendsTheRequestAndPrintsTheResult) {
  const SendCase& c = GetParam();
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest& r) { return static_cast<int32_t>(r.data) - 5; });
  std::vector<std::string> args = {"--socket", Path()};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const TRun run = RunTool(args, c.input);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, std::to_string(static_cast<int32_t>(c.data) - 5) + "\n");
  const auto requests = display.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].msg, c.msg);
  EXPECT_EQ(requests[0].data, c.data);
  EXPECT_EQ(requests[0].payload, c.payload);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrlexFeedSends,
    testing::Values(
        SendCase{"PidPacket", {"send", "1", "k1,1500;"}, "", 0x4A, 1, std::string("k1,1500;\0", 9)},
        SendCase{"TextStartingWithADash", {"send", "0", "-666;k;d;1;"}, "", 0x4A, 0, std::string("-666;k;d;1;\0", 12)},
        SendCase{"HexKind", {"send", "0x10", "x"}, "", 0x4A, 16, std::string("x\0", 2)},
        SendCase{"LargestKind", {"send", "4294967295", ""}, "", 0x4A, 0xFFFFFFFF, std::string("\0", 1)},
        SendCase{"TextFromStandardInput", {"send", "0", "-"}, "2;k1;d1;1;\n", 0x4A, 0,
                 std::string("2;k1;d1;1;\n\0", 12)},
        SendCase{"Save", {"save"}, "", 0x4A, 4, std::string("\0", 1)},
        SendCase{"HideAll", {"hide-all"}, "", 0x464, 0, ""},
        SendCase{"DisableChecking", {"disable-checking"}, "", 0x465, 0, ""},
        SendCase{"EnableCheckingOptionAfterMode", {"enable-checking", "--wait", "1"}, "", 0x466, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct DemoCase {
  const char* locale;
  const char* valuePattern;  // what the coolant temperature field looks like
};

// Readable test names in listings.
void PrintTo(const DemoCase& c, std::ostream* os) { *os << c.locale; }

class OrlexFeedDemo : public OrlexFeed, public testing::WithParamInterface<DemoCase> {};

TEST_P(OrlexFeedDemo, RegistersPidsThenSendsValuesUntilTheDisplayGoesAway) {
  int valuePackets = 0;
  TFakeFeedDisplay display(Path(), [&](const orlex::TFeedRequest& r) -> std::optional<int32_t> {
    if (r.data == 1 && ++valuePackets > 3) return std::nullopt;  // the display ends
    return 1;
  });
  const TRun run = RunTool({"--socket", Path(), "--interval", "10", "demo"}, "", GetParam().locale);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("went away"));
  EXPECT_THAT(run.err, HasSubstr("demo replaces the display's PID table"));

  const auto requests = display.Requests();
  ASSERT_EQ(requests.size(), 5u);
  const std::string init(orlex::FeedPayloadText(requests[0].payload));
  EXPECT_EQ(requests[0].data, 0u);
  EXPECT_EQ(init.rfind("20;RPM;\"Engine Speed (rpm)\";1;", 0), 0u) << init;
  EXPECT_THAT(init, HasSubstr(";LAMBDA;\"Lambda \"\"Wideband\"\"\";15;"));
  EXPECT_THAT(init, testing::EndsWith(";20;"));
  for (size_t i = 1; i < requests.size(); ++i) {
    const std::string values(orlex::FeedPayloadText(requests[i].payload));
    EXPECT_EQ(requests[i].data, 1u);
    EXPECT_TRUE(std::regex_search(values, std::regex(GetParam().valuePattern))) << values;
    EXPECT_EQ(std::count(values.begin(), values.end(), ';'), 20);
  }
  EXPECT_NE(orlex::FeedPayloadText(requests[1].payload), orlex::FeedPayloadText(requests[4].payload))
      << "values change from packet to packet";
}

INSTANTIATE_TEST_SUITE_P(Cases, OrlexFeedDemo,
                         testing::Values(DemoCase{"C.UTF-8", "(^|;)ECT,[0-9]+\\.[0-9];"},
                                         DemoCase{"de_DE.UTF-8", "(^|;)ECT,[0-9]+,[0-9];"}),
                         orlex::test::CaseName);

TEST_F(OrlexFeed, BenchReportsDisplayBaselineAndRatio) {
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest&) { return 1; });
  const TRun run = RunTool({"--socket", Path(), "bench", "--count", "50"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::regex_search(run.out, std::regex("display: +50 round trips .* p50 [0-9.]+ us, p99 [0-9.]+ us\n")))
      << run.out;
  EXPECT_TRUE(std::regex_search(run.out, std::regex("baseline: +50 round trips"))) << run.out;
  EXPECT_THAT(run.out, HasSubstr("ratio display/baseline: "));
  EXPECT_THAT(run.out, testing::Not(HasSubstr("not 1")));
  const auto requests = display.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(std::string(orlex::FeedPayloadText(requests[0].payload)).rfind("60;P01;\"Bench PID 1\";1;", 0), 0u);
  EXPECT_GE(requests.size(), 51u);
  const std::string values(orlex::FeedPayloadText(requests.back().payload));
  EXPECT_EQ(values.rfind("P01,", 0), 0u) << values;
  EXPECT_EQ(std::count(values.begin(), values.end(), ';'), 60) << values;
  EXPECT_THAT(run.err, HasSubstr("bench replaces the display's PID table with 60 bench PIDs (keys P01 to P60)"));
}

// A steady Feed: packets at the rate for the time asked, then the display's CPU use, paints per second
// (from the paint-count query) and resident memory (here the stand-in display is this test's process).
TEST_F(OrlexFeed, BenchAtARateReportsTheDisplaysCost) {
  std::atomic<int> paints{100};
  TFakeFeedDisplay display(Path(), [&paints](const orlex::TFeedRequest& request) {
    if (request.msg == orlex::kMsgPaintCount) return paints.fetch_add(10);
    return 1;
  });
  const TRun run = RunTool({"--socket", Path(), "bench", "--rate", "40", "--seconds", "0.5"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::smatch packets;
  ASSERT_TRUE(std::regex_search(run.out, packets, std::regex("display: ([0-9]+) packets in 0\\.5[0-9]* s"))) << run.out;
  EXPECT_NEAR(std::stoi(packets[1]), 20, 2);
  EXPECT_TRUE(std::regex_search(
      run.out, std::regex("display process " + std::to_string(getpid()) +
                          ": cpu [0-9.]+ % of one core, paints/s (19|20)\\.[0-9], resident [0-9.]+ MiB\n")))
      << run.out;
  const auto requests = display.Requests();
  // INIT, one second of settling, the paint count, the measured packets, the paint count again.
  EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                          [](const orlex::TFeedRequest& r) { return r.msg == orlex::kMsgPaintCount; }),
            2);
  EXPECT_GE(requests.size(), 1u + 40 + 20 + 2 - 3);
}

TEST_F(OrlexFeed, BenchAtARateSaysWhenTheDisplayDoesNotCountPaints) {
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest& request) {
    return request.msg == orlex::kMsgCopyData ? 1 : 0;
  });
  const TRun run = RunTool({"--socket", Path(), "bench", "--rate=100", "--seconds=0.2"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("paints/s not reported by this display"));
  EXPECT_THAT(run.out, testing::Not(HasSubstr("not 1")));
}

TEST_F(OrlexFeed, BenchKeysTakeTheGivenPrefix) {
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest&) { return 1; });
  const TRun run = RunTool({"--socket", Path(), "bench", "--count=5", "--keys-prefix=rig2.bench_"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("(keys rig2.bench_01 to rig2.bench_60)"));
  const auto requests = display.Requests();
  ASSERT_GE(requests.size(), 6u);
  const std::string init(orlex::FeedPayloadText(requests[0].payload));
  EXPECT_EQ(init.rfind("60;rig2.bench_01;\"Bench PID 1\";1;", 0), 0u) << init;
  EXPECT_THAT(init, testing::EndsWith(";rig2.bench_60;\"Bench PID 60\";60;"));
  const std::string values(orlex::FeedPayloadText(requests.back().payload));
  EXPECT_EQ(values.rfind("rig2.bench_01,", 0), 0u) << values;
}

}  // namespace
