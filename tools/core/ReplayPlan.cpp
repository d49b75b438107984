#include "tools/core/ReplayPlan.h"

#include <cmath>
#include <limits>

#include "app/core/FeedPackets.h"
#include "platform/FeedFrame.h"

namespace orlex::recording {

namespace {

bool IsInit(const TExchange& exchange) { return exchange.msg == kMsgCopyData && exchange.data == app::kInitPacket; }

// Seconds of recording time as microseconds; negative is 0, beyond the representable is the largest.
uint64_t ToMicros(double seconds) {
  if (!(seconds > 0)) return 0;
  const double micros = seconds * 1e6;
  if (micros >= static_cast<double>(std::numeric_limits<uint64_t>::max())) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(micros);
}

}  // namespace

std::vector<TReplayStep> PlanReplay(const std::vector<TExchange>& exchanges, const TReplayWindow& window) {
  const uint64_t from = window.fromSeconds ? ToMicros(*window.fromSeconds) : 0;
  const uint64_t to = window.toSeconds ? ToMicros(*window.toSeconds) : std::numeric_limits<uint64_t>::max();
  std::vector<TReplayStep> steps;
  std::optional<size_t> lastInitBefore;
  std::optional<uint64_t> base;
  for (size_t i = 0; i < exchanges.size(); ++i) {
    const uint64_t at = exchanges[i].micros;
    if (at < from) {
      if (IsInit(exchanges[i])) lastInitBefore = i;
      continue;
    }
    if (at > to) break;
    if (!base) {
      base = at;
      if (lastInitBefore && !IsInit(exchanges[i])) steps.push_back({*lastInitBefore, 0});
    }
    uint64_t due = 0;
    if (window.speed > 0) {
      const double scaled = static_cast<double>(at - *base) / window.speed;
      due = scaled >= static_cast<double>(std::numeric_limits<uint64_t>::max())
                ? std::numeric_limits<uint64_t>::max()
                : static_cast<uint64_t>(scaled);
    }
    steps.push_back({i, due});
  }
  return steps;
}

}  // namespace orlex::recording
