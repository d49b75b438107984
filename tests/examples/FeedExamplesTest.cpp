// The Feed examples of the protocol guide, in C and in Python, run as a reader would run them,
// against a stand-in display.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/FeedClient.h"
#include "platform/FeedFrame.h"
#include "platform/FeedPath.h"
#include "tests/support/FakeFeedDisplay.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include "tests/support/ParamPrinting.h"

namespace {

using testing::HasSubstr;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// How to start one example with its arguments.
std::vector<std::string> Command(const std::string& language, const std::vector<std::string>& args) {
  std::vector<std::string> command;
  if (language == "C") {
    command = {Env("ORLEX_BINARY_DIR") + "/tests/feed_example"};
  } else {
    command = {"python3", Env("ORLEX_SOURCE_DIR") + "/docs/examples/feed_example.py"};
  }
  command.insert(command.end(), args.begin(), args.end());
  return command;
}

class FeedExample : public testing::TestWithParam<const char*> {
 protected:
  TProgramRun Run(const std::vector<std::string>& args) {
    return RunProgram(Command(GetParam(), args),
                      {"ORLEXGAUGES_SOCKET=" + Path(), "PYTHONPATH=" + Env("ORLEX_SOURCE_DIR") + "/platform/python"});
  }
  std::string Path() const { return temp_.File("d.sock"); }
  TTempDir temp_;
};

TEST_P(FeedExample, RegistersThreePidsAndSendsWellFormedValues) {
  TFakeFeedDisplay display(Path(), [](const orlex::TFeedRequest&) { return 1; });
  const TProgramRun run = Run({"4", "1"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "INIT answered 1\n4 PID packets sent\n");
  const auto requests = display.Requests();
  ASSERT_EQ(requests.size(), 5u);
  EXPECT_EQ(requests[0].data, 0u);
  const std::string init = "3;RPM;\"Engine Speed\";1;ECT;\"Coolant Temp\";2;MAP;\"Manifold kPa\";3;";
  EXPECT_EQ(requests[0].payload, init + '\0');
  for (std::size_t i = 1; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].data, 1u);
    const std::string text(orlex::FeedPayloadText(requests[i].payload));
    EXPECT_TRUE(std::regex_match(text, std::regex("RPM,[0-9]+;ECT,[0-9]+\\.[0-9];MAP,[0-9]+;"))) << text;
  }
}

TEST_P(FeedExample, StopsCleanlyWhenTheDisplayGoesAway) {
  int values = 0;
  TFakeFeedDisplay display(Path(), [&](const orlex::TFeedRequest& r) -> std::optional<int32_t> {
    if (r.data == 1 && ++values > 2) return std::nullopt;
    return 1;
  });
  const TProgramRun run = Run({"10", "1"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("the display went away after 2 packets"));
}

TEST_P(FeedExample, SaysSoWhenNoDisplayAnswers) {
  // The examples wait 5 s for a display; a path in a missing directory ends that wait no sooner, so
  // the socket path is one that cannot be used at all.
  const TProgramRun run = RunProgram(Command(GetParam(), {"1", "1"}),
                                     {"ORLEXGAUGES_SOCKET=" + temp_.File(std::string(120, 'x')),
                                      "PYTHONPATH=" + Env("ORLEX_SOURCE_DIR") + "/platform/python"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, testing::ContainsRegex("path"));
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(Languages, FeedExample, testing::Values("C", "Python"),
                         orlex::test::CaseName);

// The Python module finds the display and quotes fields by the same rules as the C and C++ client.
struct PathCase {
  const char* socket;      // $ORLEXGAUGES_SOCKET, "" for unset
  const char* runtimeDir;  // $XDG_RUNTIME_DIR, "" for unset
};

void PrintTo(const PathCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class PythonModule : public testing::TestWithParam<PathCase> {};

TEST_P(PythonModule, FindsTheSocketAsTheLibraryDoes) {
  const TProgramRun run = RunProgram(
      {"python3", "-c", "import orlexfeed; print(orlexfeed.socket_path() + '|' + orlexfeed.quote_field('say \"hi\"; ok'))"},
      {std::string("ORLEXGAUGES_SOCKET=") + GetParam().socket, std::string("XDG_RUNTIME_DIR=") + GetParam().runtimeDir,
       "PYTHONPATH=" + Env("ORLEX_SOURCE_DIR") + "/platform/python"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, orlex::FeedSocketPathFrom(GetParam().socket, GetParam().runtimeDir, ::getuid()) + "|" +
                         orlex::QuoteFeedField("say \"hi\"; ok") + "\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, PythonModule,
                         testing::Values(PathCase{"/tmp/x/feed.sock", "/run/user/1"}, PathCase{"", "/run/user/1"},
                                         PathCase{"", "relative/dir"}, PathCase{"", ""}),
                         orlex::test::CaseName);

}  // namespace
