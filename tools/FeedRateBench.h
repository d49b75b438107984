#pragma once

// The display's cost under a steady Feed: PID packets of 60 values sent at a fixed rate for a fixed
// time, while the display's CPU time, paint passes and resident memory are read from outside (its
// process from the socket's peer credentials, its paints through the paint-count query).

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/FeedClient.h"

namespace orlexfeed {

struct TRateFigures {
  long displayPid = -1;
  std::size_t sent = 0;        // packets sent in the measured time
  double seconds = 0;          // measured time
  std::size_t notOne = 0;      // replies other than 1
  double p50Micros = 0;
  double p99Micros = 0;
  double cpuPercent = -1;      // of one core; -1 when the display's process cannot be read
  double paintsPerSecond = -1; // -1 when the display does not answer the paint-count query
  long residentKiB = -1;       // at the end; -1 when the display's process cannot be read
};

// Sends the INIT packet, one second of packets at `rate` to let the display settle, then `seconds` of
// packets at `rate` per second, measuring over the latter.
TRateFigures RunRateBench(orlex::TFeedClient& client, double rate, double seconds, const std::string& keysPrefix,
                          bool htmlDescriptions = false);

// User plus system CPU time in clock ticks from the text of /proc/PID/stat; -1 when it cannot be read.
// The process name in parentheses may hold blanks and parentheses itself.
long long StatCpuTicks(std::string_view stat);
// Resident memory in KiB from the text of /proc/PID/status; -1 when it holds no VmRSS line.
long StatusResidentKiB(std::string_view status);

}  // namespace orlexfeed
