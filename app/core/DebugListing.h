#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace orlex::app {

// The lines of the debug window, newest last. A Feed can send thousands of packets a second for
// hours, so the listing keeps only the newest lines (and a bounded number of bytes, since a single
// packet text may be megabytes long). Appending only stores the line; the window pulls what is new
// when it is shown, and while shown on a short timer, so a hidden window costs nothing.
// The bounds serve a person reading the window: the last 20,000 lines (10,000 packets) or 4 MiB of
// text (some 4,000 packets of 60 values), whichever is less; the memory the whole session costs is
// a few MiB whether or not anyone opens the window.
class TDebugListing {
 public:
  static constexpr std::size_t kMaxLines = 20000;
  static constexpr std::size_t kMaxBytes = std::size_t{4} << 20;

  explicit TDebugListing(std::size_t maxLines = kMaxLines, std::size_t maxBytes = kMaxBytes);

  // Stores a copy of the line. Once the listing is full, the dropped line's room takes the new one,
  // so a session at its bounds appends without allocating.
  void Append(std::string_view line);

  std::size_t LineCount() const { return lines_.size(); }
  const std::string& Line(std::size_t index) const { return lines_[index]; }  // 0 is the oldest kept
  std::vector<std::string> Lines() const { return {lines_.begin(), lines_.end()}; }

  // Sequence numbers count every line ever appended; a viewer remembers how far it has shown.
  std::uint64_t EndSequence() const { return total_; }
  std::uint64_t FirstSequence() const { return total_ - lines_.size(); }

  // What a viewer that has shown everything before `shownUpTo` must add. `reload` is set when lines
  // it never saw have already been dropped: it must then replace its text with the whole listing,
  // which `lines` then holds.
  struct TUpdate {
    bool reload = false;
    std::vector<std::string> lines;
  };
  TUpdate Since(std::uint64_t shownUpTo) const;

 private:
  std::size_t maxLines_;
  std::size_t maxBytes_;
  std::deque<std::string> lines_;
  std::size_t bytes_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace orlex::app
