#include "app/TerminationSignals.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <csignal>

using namespace orlex::app;

namespace {

class TerminationSignalsTest : public testing::TestWithParam<int> {};

// Each of the session-ending signals arrives as a Qt signal on the event loop instead of killing the
// process, so the main window can close through its usual path.
TEST_P(TerminationSignalsTest, ArrivesOnTheEventLoop) {
  TTerminationSignals bridge;
  ASSERT_TRUE(bridge.Installed());
  int received = 0;
  QObject::connect(&bridge, &TTerminationSignals::Received, [&](int number) { received = number; });
  ASSERT_EQ(std::raise(GetParam()), 0);
  EXPECT_EQ(received, 0);  // nothing happens inside the signal handler itself
  QTRY_COMPARE_WITH_TIMEOUT(received, GetParam(), 2000);
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignalsTest, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGTERM  ? "SIGTERM"
                                              : info.param == SIGINT ? "SIGINT"
                                                                     : "SIGHUP");
                         });

}  // namespace
