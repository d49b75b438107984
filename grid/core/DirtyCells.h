#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlex::grid {

// Cells waiting for a repaint, as (row << 32 | col) keys. A cell written again and again between two
// paint passes must cost next to nothing each time, so adding only appends (a key equal to the last one
// is skipped); the list is sorted and rid of repeats when it has doubled since it was last, so it
// never holds much more than twice the cells it stands for.
class TDirtyCells {
 public:
  static std::uint64_t Key(int col, int row) { return (std::uint64_t(std::uint32_t(row)) << 32) | std::uint32_t(col); }
  static int Col(std::uint64_t key) { return static_cast<int>(key & 0xFFFFFFFFu); }
  static int Row(std::uint64_t key) { return static_cast<int>(key >> 32); }

  void Add(int col, int row);
  bool Empty() const { return keys_.empty(); }
  // Entries held, repeats not yet removed included.
  std::size_t Held() const { return keys_.size(); }
  // Every cell once, rows top to bottom and within a row columns left to right.
  const std::vector<std::uint64_t>& Cells();
  // Forgets every cell; what one exceptional burst of cells took is given back.
  void Clear();

 private:
  static constexpr std::size_t kFirstCompaction = 256;
  void Compact();

  std::vector<std::uint64_t> keys_;
  std::size_t compactAt_ = kFirstCompaction;
};

}  // namespace orlex::grid
