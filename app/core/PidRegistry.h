#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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
  // Where the window keeps values while it only keeps them; declared before the window, so it outlives it.
  TKeptValue WindowValue;
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
  // Throws std::out_of_range outside 1 to 80. The record's window keeps its values in the record.
  void Put(int n, std::unique_ptr<PidRecord> record);
  // Destroys every record and with it every PID window (slots 1 to 80).
  void Clear();

  // Bulk operations over slots 1 to PidCount, in table order.
  void HideAll();
  void ShowAll();
  void DisableChecking();
  void EnableChecking();

  // Moves on with every Put and Clear. A record's ID and Description must not change while it is in
  // the table: the grid's refresh keeps which slot shows which record while this stays.
  std::uint64_t Revision() const { return revision_; }


  // Stores the value in every PID of slots 1 to PidCount whose key equals `key` byte for byte.
  // Keys are looked up in an index of the records as they were put: a record's Key must not change
  // while it is in the table.
  void UpdateValue(std::string_view key, std::string_view value);

  int PidCount = 0;
  bool InitDone = false;
  int WatchdogTicks = 0;
  // INIT packets being built right now (one may run inside another's status line): the table is
  // then no source for a save.
  int InitsInProgress = 0;
  // A packet error's box is open: the process ends when it closes and saves nothing before.
  bool Ending = false;
  // What a save may be taken from: a table built to its end by the last INIT packet.
  bool Saveable() const { return InitDone && InitsInProgress == 0 && !Ending; }
  std::vector<std::string> FieldList;  // reused by every packet
  // The fields of the PID packet being handled, as views into its text (quoted ones into QuotedFields).
  std::vector<std::string_view> FieldViews;
  std::deque<std::string> QuotedFields;
  // Room for the texts of the packets being handled, one per level (a packet can be handled inside
  // another's status line), reused packet after packet; references stay valid as levels are added.
  std::deque<std::string> PacketTexts;
  std::size_t PacketTextsInUse = 0;

 private:
  struct TKeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  // One key of the table. Records change only through Put and Clear, which drop the index, so the
  // records are found here without a look at the table.
  struct TKeySlots {
    std::string key;  // the index's own copy
    int firstNumber = 0;  // the first slot holding the key, in table order, and its record
    PidRecord* first = nullptr;
    std::vector<std::pair<int, PidRecord*>> more;  // further slots with the same key, in table order
    // The key that followed this one last time: a Feed sends its keys in the same order packet after
    // packet, so the next key is usually found without hashing it.
    std::size_t next = kNoKey;
  };
  void RebuildKeyIndex();
  TKeySlots* FindKey(std::string_view key);

  std::array<std::unique_ptr<PidRecord>, kSlots + 1> slots_{};  // index 0 unused
  // The keys side by side in table order (a packet walks them in about that order), and a hash index
  // of their positions; rebuilt on the first value update after a change.
  std::vector<TKeySlots> keys_;
  std::unordered_map<std::string, std::size_t, TKeyHash, std::equal_to<>> keyIndex_;
  bool keyIndexValid_ = false;
  std::size_t lastKey_ = kNoKey;  // the key of the previous update
  std::uint64_t revision_ = 0;

 public:
  // Which slot shows which PID, as the last grid refresh found it; kept and checked by the refresh.
  struct TSlotPlanEntry {
    int Col = 0;
    int Row = 0;
    PidRecord* Pid = nullptr;
    // Written on every refresh, not only the first: another PID carries the same number into the
    // slot, or merged cells make the slots' writes land on shared cells.
    bool WritesDescription = false;
  };
  struct TSlotPlan {
    const void* Grid = nullptr;
    std::uint64_t GridRevision = 0;
    std::uint64_t TableRevision = 0;
    int PidCount = -1;
    std::vector<TSlotPlanEntry> Entries;
  };
  TSlotPlan SlotPlan;
};

}  // namespace orlex::app
