#include "app/core/FeedIntake.h"

#include <exception>
#include <optional>

#include "app/core/FeedPackets.h"
#include "app/core/PidInit.h"

namespace orlex::app {

int ProcessPidPacket(TPidTable& table, TRegistryHost& host, std::string_view text) {
  std::vector<std::string>& fields = table.FieldList;
  SplitFields(text, fields);
  if (fields.empty()) {
    host.FailAndEnd("PID Packet ERROR");
    return 0;
  }
  // A well-formed packet ends with ';', so this is the empty field behind it.
  fields.pop_back();

  bool failed = false;
  try {
    for (const std::string& field : fields) {
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
    host.FailAndEnd("PID Packet ERROR");
    return 0;
  }

  host.RefreshGridValues();
  table.WatchdogTicks = 0;
  return 1;
}

int WMCopyData(TPidTable& table, TRegistryHost& host, std::uint32_t kind, const std::string& text) {
  // A copy of the text: handlers below may let other messages run, whose transport may reuse the
  // caller's buffer.
  const std::string packet(TrimText(std::string_view(text).substr(0, text.find('\0'))));
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
