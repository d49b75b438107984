#pragma once

// When `orlex-feed replay` sends which recorded frame: the recorded gaps divided by the speed, within
// a window of recording time.

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/core/Recording.h"

namespace orlex::recording {

struct TReplayWindow {
  double speed = 1;                  // 0: every frame as soon as the display has answered the last
  std::optional<double> fromSeconds;  // recording time, inclusive
  std::optional<double> toSeconds;    // recording time, inclusive
};

struct TReplayStep {
  size_t exchange = 0;     // index into the exchanges
  uint64_t dueMicros = 0;  // after the replay (or this pass of a loop) started
};

// The steps of one pass, in recorded order. `exchanges` are in time order (PairExchanges). The first
// step is due at once and the rest keep their recorded distance from it, divided by the speed. A window
// that starts after the last INIT packet before it begins with that packet, due at once: without it the
// display would ignore every PID packet of the window.
std::vector<TReplayStep> PlanReplay(const std::vector<TExchange>& exchanges, const TReplayWindow& window);

}  // namespace orlex::recording
