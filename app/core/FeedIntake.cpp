#include "app/core/FeedIntake.h"

#include <exception>
#include <optional>

#include "app/core/FeedPackets.h"
#include "app/core/PidInit.h"

namespace orlex::app {

int ProcessPidPacket(TPidTable& table, TRegistryHost& host, std::string_view text) {
  std::vector<std::string_view>& fields = table.FieldViews;
  SplitFieldViews(text, fields, table.QuotedFields);
  if (fields.empty()) {
    EndOnPacketError(table, host, "PID Packet ERROR");
    return 0;
  }
  // A well-formed packet ends with ';', so this is the empty field behind it.
  fields.pop_back();

  bool failed = false;
  try {
    for (const std::string_view field : fields) {
      const std::optional<TPidField> pair = SplitPidField(field);
      if (!pair) {
        return 0;  // the rest of the packet is ignored; values stored so far stay
      }
      table.UpdateValue(pair->Key, pair->Value);
    }
  } catch (const std::exception&) {
    failed = true;
  }
  if (failed) {
    host.updatemsg("PID Packet ERROR");
    EndOnPacketError(table, host, "PID Packet ERROR");
    return 0;
  }

  host.RefreshGridValues();
  table.WatchdogTicks = 0;
  return 1;
}

namespace {

// The shared field list keeps its room between packets, but not what one exceptional packet took:
// a packet of millions of empty fields must not hold that memory for the rest of the session.
constexpr std::size_t kFieldListKeptCapacity = 4096;

void ReleaseLargeFieldList(TPidTable& table) {
  if (table.FieldList.capacity() > kFieldListKeptCapacity) std::vector<std::string>().swap(table.FieldList);
  if (table.FieldViews.capacity() > kFieldListKeptCapacity) std::vector<std::string_view>().swap(table.FieldViews);
  table.FieldViews.clear();  // they view a text that is gone
  if (!table.QuotedFields.empty()) std::deque<std::string>().swap(table.QuotedFields);
}

int HandleCopyData(TPidTable& table, TRegistryHost& host, std::uint32_t kind, const std::string& text);

// The table's room for one packet text while it is handled: a steady Feed's packets cost no allocation;
// the room an exceptional packet took goes once it has been handled.
constexpr std::size_t kPacketTextKeptCapacity = 64 * 1024;

class TPacketText {
 public:
  explicit TPacketText(TPidTable& table) : table_(table) {
    if (table_.PacketTexts.size() == table_.PacketTextsInUse) table_.PacketTexts.emplace_back();
    text_ = &table_.PacketTexts[table_.PacketTextsInUse++];
  }
  ~TPacketText() {
    --table_.PacketTextsInUse;
    if (text_->capacity() > kPacketTextKeptCapacity) std::string().swap(*text_);
  }
  TPacketText(const TPacketText&) = delete;
  TPacketText& operator=(const TPacketText&) = delete;
  std::string& Text() { return *text_; }

 private:
  TPidTable& table_;
  std::string* text_;
};

}  // namespace

int WMCopyData(TPidTable& table, TRegistryHost& host, std::uint32_t kind, const std::string& text) {
  const int result = HandleCopyData(table, host, kind, text);
  ReleaseLargeFieldList(table);
  return result;
}

namespace {

int HandleCopyData(TPidTable& table, TRegistryHost& host, std::uint32_t kind, const std::string& text) {
  // A copy of the text: handlers below may let other messages run, whose transport may reuse the
  // caller's buffer.
  TPacketText room(table);
  std::string& packet = room.Text();
  packet.assign(TrimText(std::string_view(text).substr(0, text.find('\0'))));
  host.DebugListing(packet);
  host.DebugListing("--");

  if (kind == kInitPacket) {
    return ProcessInitPacket(table, host, packet);
  }
  if (table.InitDone && kind == kPidPacket) {
    return ProcessPidPacket(table, host, packet);
  }
  if (kind == kSaveRequest) {
    host.ShowMessage("saved");
    host.SaveSettings();
  }
  return 0;
}

}  // namespace

int DispatchFeedMessage(TPidTable& table, TRegistryHost& host, std::uint32_t msg, std::uint32_t data,
                        const std::string& text) {
  switch (msg) {
    case kMsgCopyData:
      return WMCopyData(table, host, data, text);
    case kMsgHideAll:
      table.HideAll();
      return 0;
    case kMsgDisableChecking:
      table.DisableChecking();
      return 0;
    case kMsgEnableChecking:
      table.EnableChecking();
      return 0;
    default:
      return 0;
  }
}

}  // namespace orlex::app
