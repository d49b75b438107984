#include "app/core/DebugListing.h"

#include <utility>

namespace orlex::app {

TDebugListing::TDebugListing(std::size_t maxLines, std::size_t maxBytes)
    : maxLines_(maxLines == 0 ? 1 : maxLines), maxBytes_(maxBytes) {}

namespace {
// A dropped line's room is reused only when it is of the size lines usually have: the room of one
// huge packet must not stay behind in a small line.
constexpr std::size_t kReusedCapacity = 64 * 1024;
}  // namespace

void TDebugListing::Append(std::string_view line) {
  // The newest line always stays, however long it is.
  std::string room;
  while (!lines_.empty() && (lines_.size() >= maxLines_ || bytes_ + line.size() > maxBytes_)) {
    bytes_ -= lines_.front().size();
    room = std::move(lines_.front());
    lines_.pop_front();
  }
  if (room.capacity() > kReusedCapacity) std::string().swap(room);
  room.assign(line);
  bytes_ += room.size();
  lines_.push_back(std::move(room));
  ++total_;
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
