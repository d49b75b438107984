#pragma once

#include <string>
#include <string_view>

#include "app/core/PidRegistry.h"
#include "app/core/RegistryHost.h"

namespace orlex::app {

// The most PIDs an INIT packet registers; the rest of its PIDs are skipped and the debug listing
// says how many.
inline constexpr int kMaxRegisteredPids = TPidTable::kSlots;

// A malformed packet: marks the table as ending (a close meanwhile must not save from it), then the
// host's box and the end of the process.
inline void EndOnPacketError(TPidTable& table, TRegistryHost& host, const std::string& boxText) {
  table.Ending = true;
  host.FailAndEnd(boxText);
}

// Processes an INIT packet (its text already trimmed and listed): empties the table, reads the
// count, splits the fields, rebuilds the grid, the PID records and their windows, and places the
// PIDs. Returns the message result, 1. A malformed packet ends through EndOnPacketError.
int ProcessInitPacket(TPidTable& table, TRegistryHost& host, std::string_view text);

}  // namespace orlex::app
