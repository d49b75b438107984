#include "app/core/SlotLayout.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace orlex::app {

namespace {

// A word read from eight bytes of 0 or 1: the position in memory of the first byte that is 1, and the
// word with that byte made 0. Memory order is table order, whichever end of the word it starts at.
int FirstSetByte(std::uint64_t bytes) {
  if constexpr (std::endian::native == std::endian::little) return std::countr_zero(bytes) / 8;
  return std::countl_zero(bytes) / 8;
}

std::uint64_t WithoutFirstSetByte(std::uint64_t bytes) {
  if constexpr (std::endian::native == std::endian::little) return bytes & (bytes - 1);
  return bytes & ~(std::uint64_t{1} << (63 - std::countl_zero(bytes)));
}

}  // namespace

grid::TColor HexToColor(const std::string& hex) {
  if (hex.size() != 6) throw std::invalid_argument("not a six-digit hex colour: " + hex);
  grid::TColor color = 0;
  for (int i = 0; i < 3; ++i) {
    unsigned component = 0;
    const char* first = hex.data() + 2 * i;
    const auto [end, ec] = std::from_chars(first, first + 2, component, 16);
    if (ec != std::errc() || end != first + 2) throw std::invalid_argument("not a six-digit hex colour: " + hex);
    color |= grid::TColor(component) << (8 * i);
  }
  return color;
}

bool IsSlotCell(const grid::TCellGridBase& grid, int col, int row) {
  bool slotColumn = false;
  for (int c : kSlotColumns) slotColumn = slotColumn || c == col;
  return slotColumn && col + 1 < grid.ColCount() && row >= 1 && row < grid.RowCount();
}

void ResetGrid(grid::TCellGridBase& grid, TPidTable& table) {
  for (int c = 0; c < grid.ColCount(); ++c)
    for (int r = 1; r < grid.RowCount(); ++r) {
      grid.SetCells(c, r, "");
      grid.SetObjects(c, r, 0);
    }
  table.Clear();
  SetSlotColumnColors(grid);
}

void SetSlotColumnColors(grid::TCellGridBase& grid) {
  static const grid::TColor valueColor = HexToColor(kValueColumnColor);
  static const grid::TColor descriptionColor = HexToColor(kDescriptionColumnColor);
  for (int c : {1, 3, 5}) grid.SetColumnColor(c, valueColor);
  for (int c : {0, 2, 4}) grid.SetColumnColor(c, descriptionColor);
}

void RestoreGridPosition(grid::TCellGridBase& grid, TPidTable& table, const TSettingsSource* settings, int n) {
  PidRecord* pid = table.Record(n);
  if (!pid) return;
  int xpos = -1, ypos = -1, id = -1;
  if (settings) {
    xpos = settings->ReadInteger(pid->Key, "XPOS", -1);
    ypos = settings->ReadInteger(pid->Key, "YPOS", -1);
    id = settings->ReadInteger(pid->Key, "ID", -1);
  }
  // A position outside the slot area (a damaged or hand-edited file) counts as none saved, so it can
  // never write outside the grid, into the header row or at negative indexes.
  if (xpos == -1 || ypos == -1 || id == -1 || !IsSlotCell(grid, xpos, ypos)) {
    pid->NeedsPlacement = true;
    return;
  }
  pid->NeedsPlacement = false;
  grid.SetCells(xpos, ypos, pid->Description);
  grid.SetCells(xpos + 1, ypos, pid->Value);
  // The saved number, not the PID's current ID: the next refresh fills the slot with whichever PID
  // carries that number.
  grid.SetObjects(xpos, ypos, id);
  grid.SetObjects(xpos + 1, ypos, id);
}

TGridSlot FindFreeSlot(const grid::TCellGridBase& grid) {
  for (int c : kSlotColumns) {
    if (c + 1 >= grid.ColCount()) break;
    for (int r = 1; r < grid.RowCount(); ++r)
      if (grid.Objects(c, r) == 0) return {c, r};
  }
  return {};
}

void PlaceUnplacedPids(grid::TCellGridBase& grid, TPidTable& table,
                       const std::function<void(const std::string&)>& showMessage) {
  for (int n = 1; n <= table.PidCount; ++n) {
    PidRecord* pid = table.Record(n);
    if (!pid || !pid->NeedsPlacement) continue;
    const TGridSlot slot = FindFreeSlot(grid);
    if (slot.Col == -1) {
      // The box runs a nested loop that may handle the next INIT packet and rebuild the table, so
      // nothing of the table is touched after it.
      if (showMessage) showMessage(kNoRoomLeft);
      return;
    }
    pid->NeedsPlacement = false;
    grid.SetCells(slot.Col, slot.Row, pid->Description);
    grid.SetCells(slot.Col + 1, slot.Row, pid->Value);
    grid.SetObjects(slot.Col, slot.Row, pid->ID);
    grid.SetObjects(slot.Col + 1, slot.Row, pid->ID);
  }
}

void RefreshGridValues(grid::TCellGridBase& grid, TPidTable& table) {
  // The table's records once, in order, and their numbers side by side: every slot is compared with
  // every PID on every packet, so the comparisons run over one small array, without branches first.
  std::array<PidRecord*, TPidTable::kSlots> pids{};
  std::array<std::int32_t, TPidTable::kSlots> ids{};
  int count = 0;
  for (int n = 1; n <= table.PidCount && n <= TPidTable::kSlots; ++n) {
    if (PidRecord* pid = table.Record(n)) {
      pids[count] = pid;
      ids[count++] = pid->ID;
    }
  }

  // One byte per PID, 1 where its number is the slot's, read back eight at a time; bytes past the
  // table's count are never written and stay 0.
  std::array<unsigned char, TPidTable::kSlots> equal{};
  for (int c : kSlotColumns) {
    if (c + 1 >= grid.ColCount()) break;
    for (int r = 1; r < grid.RowCount(); ++r) {
      const std::intptr_t tag = grid.Objects(c, r);
      // No PID's number lies outside 32 bits.
      if (tag < std::numeric_limits<std::int32_t>::min() || tag > std::numeric_limits<std::int32_t>::max()) continue;
      const auto wanted = static_cast<std::int32_t>(tag);
      for (int i = 0; i < count; ++i) equal[i] = ids[i] == wanted ? 1 : 0;
      for (std::size_t word = 0; word < static_cast<std::size_t>(count); word += 8) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, equal.data() + word, sizeof bytes);
        for (; bytes != 0; bytes = WithoutFirstSetByte(bytes)) {
          const std::size_t i = word + static_cast<std::size_t>(FirstSetByte(bytes));
          PidRecord* pid = pids[i];
          if (pid->Window) pid->Window->UpdateValue(pid->Value);
          grid.SetCells(c, r, pid->Description);
          grid.SetCells(c + 1, r, pid->Value);
        }
      }
    }
  }
}

}  // namespace orlex::app
