#include "grid/core/DirtyCells.h"

#include <algorithm>

namespace orlex::grid {

namespace {
// Room kept between passes: a packet's cells, many times over.
constexpr std::size_t kKeptCapacity = 4096;
}  // namespace

void TDirtyCells::Append(std::uint64_t key) {
  if (!keys_.empty() && keys_.back() == key) return;
  keys_.push_back(key);
  if (keys_.size() >= compactAt_) {
    Compact();
    compactAt_ = std::max(kFirstCompaction, 2 * keys_.size());
  }
}

void TDirtyCells::Compact() {
  std::sort(keys_.begin(), keys_.end());
  // A cell's whole key sorts just before its text-only key and is the one kept.
  keys_.erase(std::unique(keys_.begin(), keys_.end(), [](std::uint64_t a, std::uint64_t b) { return (a >> 1) == (b >> 1); }),
              keys_.end());
}

const std::vector<std::uint64_t>& TDirtyCells::Cells() {
  Compact();
  return keys_;
}

void TDirtyCells::Clear() {
  keys_.clear();
  if (keys_.capacity() > kKeptCapacity) std::vector<std::uint64_t>().swap(keys_);
  compactAt_ = kFirstCompaction;
}

}  // namespace orlex::grid
