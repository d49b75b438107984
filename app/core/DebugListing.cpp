#include "app/core/DebugListing.h"

#include <utility>

namespace orlex::app {

TDebugListing::TDebugListing(std::size_t maxLines, std::size_t maxBytes)
    : maxLines_(maxLines == 0 ? 1 : maxLines), maxBytes_(maxBytes) {}

void TDebugListing::Append(std::string line) {
  bytes_ += line.size();
  lines_.push_back(std::move(line));
  ++total_;
  // The newest line always stays, however long it is.
  while (lines_.size() > maxLines_ || (bytes_ > maxBytes_ && lines_.size() > 1)) {
    bytes_ -= lines_.front().size();
    lines_.pop_front();
  }
}

TDebugListing::TUpdate TDebugListing::Since(std::uint64_t shownUpTo) const {
  TUpdate update;
  const std::uint64_t first = FirstSequence();
  if (shownUpTo < first || shownUpTo > total_) {
    update.reload = true;
    update.lines = Lines();
    return update;
  }
  update.lines.assign(lines_.begin() + static_cast<std::ptrdiff_t>(shownUpTo - first), lines_.end());
  return update;
}

}  // namespace orlex::app
