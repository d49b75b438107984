#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/core/PidWindowBase.h"

namespace orlex::app {

// One registered PID.
class PidRecord {
 public:
  std::int32_t ID = 0;
  std::string Key;
  std::string Description;
  std::string Value;
  std::unique_ptr<TPidWindowBase> Window;  // destroyed with the record
  bool NeedsPlacement = true;
};

// The PID table: slots 1 to 80, PidCount of them in use, in INIT packet order.
class TPidTable {
 public:
  static constexpr int kSlots = 80;

  // The record in slot n, or nullptr when n lies outside 1 to 80 or the slot is empty. Slots up to
  // PidCount can be empty while an INIT packet is being built: callers check.
  PidRecord* Record(int n) const;
  void Put(int n, std::unique_ptr<PidRecord> record);  // throws std::out_of_range outside 1 to 80
  // Destroys every record and with it every PID window (slots 1 to 80).
  void Clear();

  // Bulk operations over slots 1 to PidCount, in table order.
  void HideAll();
  void ShowAll();
  void DisableChecking();
  void EnableChecking();

  // Stores the value in every PID of slots 1 to PidCount whose key equals `key` byte for byte.
  // Keys are looked up in an index of the records as they were put: a record's Key must not change
  // while it is in the table.
  void UpdateValue(std::string_view key, std::string_view value);

  int PidCount = 0;
  bool InitDone = false;
  int WatchdogTicks = 0;
  std::vector<std::string> FieldList;  // reused by every packet

 private:
  struct TKeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  void RebuildKeyIndex();

  std::array<std::unique_ptr<PidRecord>, kSlots + 1> slots_{};  // index 0 unused
  // Key -> slots holding it, in table order; rebuilt on the first value update after a change.
  std::unordered_map<std::string, std::vector<int>, TKeyHash, std::equal_to<>> keyIndex_;
  bool keyIndexValid_ = false;
};

}  // namespace orlex::app
