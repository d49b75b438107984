#include "app/core/PidInit.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/core/FeedPackets.h"

namespace orlex::app {

namespace {

// Builds PID number n (1-based) from its three fields and puts it into slot n. The record enters the
// table only once it is complete, so a message handled meanwhile never meets a half-built one.
void BuildPid(TPidTable& table, TRegistryHost& host, const std::vector<std::string>& fields, int n) {
  const auto first = static_cast<std::size_t>(n - 1) * 3;
  // Copies: the host calls below may hand control to other packets.
  const std::string key = fields.at(first);
  host.DebugListing("m " + key);
  const std::string description = fields.at(first + 1);
  host.DebugListing("d " + description);
  const std::string idText = fields.at(first + 2);
  host.DebugListing("I " + idText);

  auto record = std::make_unique<PidRecord>();
  record->NeedsPlacement = true;
  record->Window = host.CreatePidWindow();
  record->Key = key;
  record->Description = description;
  const std::optional<std::int32_t> id = ConvertInteger(idText);
  if (!id) {
    throw std::invalid_argument("'" + idText + "' is not a valid integer value");
  }
  record->ID = *id;
  record->Value.clear();
  table.Put(n, std::move(record));

  host.CascadePidWindow(n);
  host.LoadPidWindowSettings(n);
  host.RestoreGridPosition(n);
  host.DebugListing("adding " + description + " " + key + " " + std::to_string(*id));
}

}  // namespace

int ProcessInitPacket(TPidTable& table, TRegistryHost& host, std::string_view text) {
  // Empty first: the status line below lets other messages run, and they must see no PIDs.
  table.PidCount = 0;
  host.updatemsg("INIT Packet Recv");

  std::string_view rest;
  const std::int32_t count = ReadInitCount(text, rest);
  if (count == kNoCount) {
    host.updatemsg("INIT Packet ERROR 1");
    host.FailAndEnd("INIT Packet Failed! No COUNT");
    return 0;
  }

  // This packet's own copy of the fields: a packet handled in the middle of this one reuses the
  // shared list.
  std::vector<std::string> fields;
  try {
    SplitFields(rest, table.FieldList);
    fields = table.FieldList;
  } catch (const std::exception&) {
    host.FailAndEnd("INIT Packet ERROR 2");
    return 0;
  }
  const int registered = std::clamp<std::int32_t>(count, 0, kMaxRegisteredPids);
  table.PidCount = registered;

  host.RestartCascade();
  host.ResetGrid();
  // ResetGrid discards the old records; making sure of it here keeps old windows from outliving
  // the packet whatever the host does.
  table.Clear();
  host.OpenSettingsFile();

  int built = 0;
  try {
    for (int n = 1; n <= registered; ++n) {
      BuildPid(table, host, fields, n);
      built = n;
    }
    if (count > kMaxRegisteredPids) {
      host.DebugListing("skipping PIDs beyond " + std::to_string(kMaxRegisteredPids) + ": " +
                        std::to_string(count - kMaxRegisteredPids));
    }
    host.PlaceUnplacedPids();
  } catch (const std::exception&) {
    // While the box is open other messages run: the count must match the records that exist.
    table.PidCount = built;
    host.FailAndEnd("INIT Packet ERROR 3");
    return 0;
  }

  host.updatemsg("Watching for PID Data");
  table.InitDone = true;
  return 1;
}

}  // namespace orlex::app
