// What the recording relay adds to a Feed's round trip: PID packets of 60 values against a stand-in
// display that answers at once, directly and through a relay that records to /dev/null. The relay and
// the stand-in run on threads of this process; the figures include the extra hop through the relay's
// poll loop.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/FeedClient.h"
#include "tests/support/FakeFeedDisplay.h"
#include "tests/support/TempDir.h"
#include "tools/FeedRelay.h"
#include "tools/core/RecordingWriter.h"

namespace {

std::string PidPacket() {
  std::string text;
  for (int i = 1; i <= 60; ++i) text += "P" + std::to_string(i) + "," + std::to_string(100 + i) + ".5;";
  return text;
}

void RoundTrips(benchmark::State& state, const std::string& path) {
  orlex::TFeedClient client(path);
  const std::string packet = PidPacket();
  for (auto _ : state) benchmark::DoNotOptimize(client.SendPacket(1, packet));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_RoundTripDirect(benchmark::State& state) {
  TTempDir dir;
  TFakeFeedDisplay display(dir.File("d.sock"), [](const orlex::TFeedRequest&) { return 1; });
  RoundTrips(state, dir.File("d.sock"));
}
BENCHMARK(BM_RoundTripDirect)->UseRealTime();

void BM_RoundTripThroughRelay(benchmark::State& state) {
  TTempDir dir;
  TFakeFeedDisplay display(dir.File("d.sock"), [](const orlex::TFeedRequest&) { return 1; });
  orlex::recording::TRecordingWriter writer(::open("/dev/null", O_WRONLY | O_CLOEXEC), [](const std::string&) {});
  int stop[2];
  if (pipe(stop) != 0) {
    state.SkipWithError("pipe");
    return;
  }
  {
    orlexfeed::TFeedRelay relay(dir.File("r.sock"), dir.File("d.sock"));
    std::thread loop([&] { relay.Run(stop[0], writer); });
    RoundTrips(state, dir.File("r.sock"));
    (void)!write(stop[1], "x", 1);
    loop.join();
  }
  ::close(stop[0]);
  ::close(stop[1]);
}
BENCHMARK(BM_RoundTripThroughRelay)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
