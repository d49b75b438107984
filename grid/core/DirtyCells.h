#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlex::grid {

// Cells waiting for a repaint, as (row << 33 | col << 1 | text-only) keys. A cell written again and
// again between two paint passes must cost next to nothing each time, so adding only appends (a key
// equal to the last one is skipped); the list is sorted and rid of repeats when it has doubled since
// it was last, so it never holds much more than twice the cells it stands for.
//
// A cell whose text alone changed is added as text-only: its repaint may be narrowed to where the
// old and the new text can have pixels. Any other change of the same cell wins (the whole cell).
class TDirtyCells {
 public:
  static std::uint64_t Key(int col, int row, bool textOnly = false) {
    return (std::uint64_t(std::uint32_t(row)) << 33) | (std::uint64_t(std::uint32_t(col)) << 1) |
           std::uint64_t(textOnly);
  }
  static int Col(std::uint64_t key) { return static_cast<int>((key >> 1) & 0xFFFFFFFFu); }
  static int Row(std::uint64_t key) { return static_cast<int>(key >> 33); }
  static bool TextOnly(std::uint64_t key) { return (key & 1u) != 0; }

  // The whole cell.
  void Add(int col, int row) { Append(Key(col, row)); }
  // Only the cell's text changed.
  void AddText(int col, int row) { Append(Key(col, row, true)); }
  bool Empty() const { return keys_.empty(); }
  // Entries held, repeats not yet removed included.
  std::size_t Held() const { return keys_.size(); }
  // Every cell once, rows top to bottom and within a row columns left to right; text-only only when
  // nothing else of the cell was added.
  const std::vector<std::uint64_t>& Cells();
  // Forgets every cell; what one exceptional burst of cells took is given back.
  void Clear();

 private:
  static constexpr std::size_t kFirstCompaction = 256;
  void Append(std::uint64_t key);
  void Compact();

  std::vector<std::uint64_t> keys_;
  std::size_t compactAt_ = kFirstCompaction;
};

}  // namespace orlex::grid
