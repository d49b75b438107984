#pragma once

#include <string_view>

#include "app/core/PidRegistry.h"
#include "app/core/RegistryHost.h"

namespace orlex::app {

// The most PIDs an INIT packet registers; the rest of its PIDs are skipped and the debug listing
// says how many.
inline constexpr int kMaxRegisteredPids = TPidTable::kSlots;

// Processes an INIT packet (its text already trimmed and listed): empties the table, reads the
// count, splits the fields, rebuilds the grid, the PID records and their windows, and places the
// PIDs. Returns the message result, 1. A malformed packet ends through host.FailAndEnd.
int ProcessInitPacket(TPidTable& table, TRegistryHost& host, std::string_view text);

}  // namespace orlex::app
