// Decoding cost of the Feed socket's frames: a PID packet of 60 key,value fields, arriving whole and
// arriving in small pieces.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/FeedFrame.h"

namespace {

std::string PidFrame() {
  std::string text;
  for (int i = 1; i <= 60; ++i) text += "P" + std::to_string(i) + "," + std::to_string(100 + i) + ".5;";
  text.push_back('\0');
  return orlex::EncodeFeedRequest(orlex::kMsgCopyData, 1, text);
}

void BM_DecodePidFrame(benchmark::State& state) {
  const std::string frame = PidFrame();
  const size_t chunk = static_cast<size_t>(state.range(0));
  orlex::TFeedDecoder decoder;
  orlex::TFeedRequest request;
  for (auto _ : state) {
    for (size_t at = 0; at < frame.size(); at += chunk) {
      decoder.Append(frame.data() + at, std::min(chunk, frame.size() - at));
    }
    decoder.Next(request);
    benchmark::DoNotOptimize(request.payload.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_DecodePidFrame)->Arg(1 << 20)->Arg(64);

}  // namespace

BENCHMARK_MAIN();
