#include "app/core/SlotLayout.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace orlex::app {

namespace {

// The table's PIDs by number, for one refresh: every slot asks for the PIDs carrying its tag, and a
// small open-addressing table answers in a step or two instead of comparing the tag with every PID.
// PIDs sharing a number are chained in table order.
class TPidsById {
 public:
  explicit TPidsById(const TPidTable& table) {
    first_.fill(kNone);
    for (int n = 1; n <= table.PidCount && n <= TPidTable::kSlots; ++n) {
      PidRecord* pid = table.Record(n);
      if (pid == nullptr) continue;
      const auto i = static_cast<std::int8_t>(count_++);
      pids_[i] = pid;
      next_[i] = kNone;
      std::size_t bucket = Bucket(pid->ID);
      while (first_[bucket] != kNone && ids_[bucket] != pid->ID) bucket = (bucket + 1) & kMask;
      if (first_[bucket] == kNone) {
        ids_[bucket] = pid->ID;
        first_[bucket] = i;
      } else {
        next_[last_[bucket]] = i;
      }
      last_[bucket] = i;
    }
  }

  // Calls fn for every PID whose number is `id`, in table order.
  template <typename Fn>
  void ForEach(std::int32_t id, Fn fn) const {
    std::size_t bucket = Bucket(id);
    while (first_[bucket] != kNone && ids_[bucket] != id) bucket = (bucket + 1) & kMask;
    for (std::int8_t i = first_[bucket]; i != kNone; i = next_[i]) fn(*pids_[i]);
  }

 private:
  static constexpr std::int8_t kNone = -1;
  // At most 80 numbers in 256 buckets: probes stay short and one bucket is always empty.
  static constexpr std::size_t kBuckets = 256;
  static constexpr std::size_t kMask = kBuckets - 1;
  static std::size_t Bucket(std::int32_t id) {
    return static_cast<std::size_t>((static_cast<std::uint32_t>(id) * 0x9E3779B1u) >> 24) & kMask;
  }

  std::array<std::int32_t, kBuckets> ids_;
  std::array<std::int8_t, kBuckets> first_;
  std::array<std::int8_t, kBuckets> last_;
  std::array<std::int8_t, TPidTable::kSlots> next_;
  std::array<PidRecord*, TPidTable::kSlots> pids_;
  int count_ = 0;
};

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

namespace {

// A cell inside a merged block, whose text lives at the block's base cell.
bool IsCoveredCell(const grid::TCellGridBase& grid, int col, int row) {
  const grid::TCellProperties* p = grid.FindCellProperties(col, row);
  return p != nullptr && !p->IsBaseCell && p->CellSpanX != -1 && p->CellSpanY != -1;
}

// Which slot shows which PID: every slot's tag matched with the table's PIDs, in the order the
// refresh writes them.
void BuildSlotPlan(const grid::TCellGridBase& grid, const TPidTable& table, TPidTable::TSlotPlan& plan) {
  const TPidsById pidsById(table);
  plan.Entries.clear();
  bool merged = false;
  for (int c : kSlotColumns) {
    if (c + 1 >= grid.ColCount()) break;
    for (int r = 1; r < grid.RowCount(); ++r) {
      const std::intptr_t tag = grid.Objects(c, r);
      // No PID's number lies outside 32 bits.
      if (tag < std::numeric_limits<std::int32_t>::min() || tag > std::numeric_limits<std::int32_t>::max()) continue;
      const std::size_t first = plan.Entries.size();
      pidsById.ForEach(static_cast<std::int32_t>(tag), [&](PidRecord& pid) { plan.Entries.push_back({c, r, &pid, false}); });
      if (plan.Entries.size() - first > 1)
        for (std::size_t i = first; i < plan.Entries.size(); ++i) plan.Entries[i].WritesDescription = true;
      merged = merged || IsCoveredCell(grid, c, r) || IsCoveredCell(grid, c + 1, r);
    }
  }
  if (merged)
    for (TPidTable::TSlotPlanEntry& slot : plan.Entries) slot.WritesDescription = true;
  plan.Grid = &grid;
  plan.TableRevision = table.Revision();
  plan.PidCount = table.PidCount;
}

}  // namespace

void RefreshGridValues(grid::TCellGridBase& grid, TPidTable& table) {
  // Matching every slot with every PID is done again only when a tag, a text, a count or the table
  // changed since the last refresh; otherwise the slots' descriptions are still in place.
  TPidTable::TSlotPlan& plan = table.SlotPlan;
  const bool fresh = plan.Grid != &grid || plan.GridRevision != grid.StoreRevision() ||
                     plan.TableRevision != table.Revision() || plan.PidCount != table.PidCount;
  if (fresh) BuildSlotPlan(grid, table, plan);
  std::uint64_t expected = grid.StoreRevision();
  for (const TPidTable::TSlotPlanEntry& slot : plan.Entries) {
    PidRecord& pid = *slot.Pid;
    // A window that only keeps values has them kept in the record, without being reached.
    if (pid.Window && !pid.WindowValue.Keep(pid.Value)) pid.Window->UpdateValue(pid.Value);
    if ((fresh || slot.WritesDescription) && grid.SetCells(slot.Col, slot.Row, pid.Description)) ++expected;
    if (grid.SetCells(slot.Col + 1, slot.Row, pid.Value)) ++expected;
  }
  // Only this refresh's own writes leave the plan standing; anything else done meanwhile (by a
  // window's update, say) drops it.
  plan.GridRevision = grid.StoreRevision() == expected ? expected : 0;
}

}  // namespace orlex::app
