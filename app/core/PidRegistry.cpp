#include "app/core/PidRegistry.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace orlex::app {

namespace {

// PidCount is never above the table's size, but a loop must not trust that: a bad count would
// walk off the end of the slots.
int LastUsedSlot(int pidCount) { return std::clamp(pidCount, 0, TPidTable::kSlots); }

}  // namespace

PidRecord* TPidTable::Record(int n) const {
  if (n < 1 || n > kSlots) {
    return nullptr;
  }
  return slots_[static_cast<std::size_t>(n)].get();
}

void TPidTable::Put(int n, std::unique_ptr<PidRecord> record) {
  if (n < 1 || n > kSlots) {
    throw std::out_of_range("PID slot out of range");
  }
  if (record && record->Window) record->Window->KeepValuesIn(record->WindowValue);
  slots_[static_cast<std::size_t>(n)] = std::move(record);
  keyIndexValid_ = false;
  ++revision_;
}

void TPidTable::Clear() {
  keyIndexValid_ = false;
  ++revision_;
  // Move each record out before it dies: a window's destructor may let pending messages run, and
  // those must not find a half-destroyed record in the table.
  for (auto& slot : slots_) {
    std::unique_ptr<PidRecord> doomed = std::move(slot);
  }
  // Again: whatever ran meanwhile may have kept records that are gone now.
  ++revision_;
}

// Slots inside PidCount can still be empty while an INIT packet is being built (a message handled
// in the middle of it sees the new count before every record exists), hence the checks.
template <typename Fn>
static void ForEachWindow(const TPidTable& table, Fn fn) {
  const int last = LastUsedSlot(table.PidCount);
  for (int n = 1; n <= last; ++n) {
    PidRecord* record = table.Record(n);
    if (record != nullptr && record->Window) {
      fn(*record->Window);
    }
  }
}

void TPidTable::HideAll() {
  ForEachWindow(*this, [](TPidWindowBase& w) { w.HidePidWindow(); });
}

void TPidTable::ShowAll() {
  ForEachWindow(*this, [](TPidWindowBase& w) { w.ShowPidWindow(); });
}

void TPidTable::DisableChecking() {
  ForEachWindow(*this, [](TPidWindowBase& w) { w.SetCheckingEnabled(false); });
}

void TPidTable::EnableChecking() {
  ForEachWindow(*this, [](TPidWindowBase& w) { w.SetCheckingEnabled(true); });
}

void TPidTable::RebuildKeyIndex() {
  keys_.clear();
  keyIndex_.clear();
  lastKey_ = kNoKey;
  for (int n = 1; n <= kSlots; ++n) {
    if (PidRecord* record = Record(n)) {
      const auto [it, added] = keyIndex_.try_emplace(record->Key, keys_.size());
      if (added) {
        keys_.push_back(TKeySlots{record->Key, n, record, {}, kNoKey});
      } else {
        keys_[it->second].more.emplace_back(n, record);
      }
    }
  }
  keyIndexValid_ = true;
}

TPidTable::TKeySlots* TPidTable::FindKey(std::string_view key) {
  if (!keyIndexValid_) {
    RebuildKeyIndex();
  }
  std::size_t found = kNoKey;
  if (lastKey_ != kNoKey && keys_[lastKey_].next != kNoKey && keys_[keys_[lastKey_].next].key == key) {
    found = keys_[lastKey_].next;
  } else {
    const auto it = keyIndex_.find(key);
    if (it == keyIndex_.end()) return nullptr;  // an unknown key teaches nothing about the order
    found = it->second;
    if (lastKey_ != kNoKey) keys_[lastKey_].next = found;
  }
  lastKey_ = found;
  return &keys_[found];
}

// A PID packet updates some 60 keys; an index spares comparing each with every registered key.
void TPidTable::UpdateValue(std::string_view key, std::string_view value) {
  const TKeySlots* found = FindKey(key);
  if (found == nullptr) {
    return;
  }
  // Only slots up to PidCount count, and the index holds only records whose key this is.
  const int last = LastUsedSlot(PidCount);
  if (found->firstNumber > last) {
    return;
  }
  found->first->Value = value;
  for (const auto& [n, record] : found->more) {
    if (n > last) {
      break;
    }
    record->Value = value;
  }
}

}  // namespace orlex::app
