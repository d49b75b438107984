#pragma once

// Round-trip measurement of the Feed socket: PID packets of 60 key,value fields after an INIT of
// 60 PIDs, against the display and against a plain echo server over the same kind of socket.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/FeedClient.h"

namespace orlexfeed {

struct TBenchFigures {
  size_t count = 0;
  double seconds = 0;
  double p50Micros = 0;
  double p99Micros = 0;
  size_t notOne = 0;  // replies other than 1
  double RoundTripsPerSecond() const { return seconds > 0 ? count / seconds : 0; }
};

// The bench's keys are this prefix followed by 01 to 60.
inline constexpr const char* kBenchKeysPrefix = "P";
// A prefix that keeps every key one plain field: no blanks, control bytes, ";", "," or '"'.
bool IsBenchKeyPrefix(const std::string& prefix);

// The INIT packet of the 60 bench PIDs, and the value packets the bench cycles through (made before
// any clock starts).
std::string BenchInitPacket(const std::string& prefix, bool html);
std::vector<std::string> BenchValuePackets(const std::string& prefix);

// The value at a fraction (0..1) of sorted figures; 0 when there are none.
double Percentile(const std::vector<double>& sorted, double fraction);

// Sends the INIT packet and then `count` PID packets, timing each round trip. htmlDescriptions
// gives every PID a description with HTML tags, so the display lays out and draws markup.
TBenchFigures RunBench(orlex::TFeedClient& client, size_t count, const std::string& keysPrefix,
                       bool htmlDescriptions = false);

// The same loop against an echo server on a temporary socket that answers every frame with 1.
TBenchFigures RunBaseline(size_t count);

}  // namespace orlexfeed
