#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/FeedPackets.h"
#include "app/core/PidRegistry.h"
#include "app/core/RegistryHost.h"
#include "platform/FeedFrame.h"

namespace orlex::app {

// Handles a PID packet (text trimmed): stores every key,value field, refreshes, resets the watchdog
// and returns 1; returns 0 at the first field without a comma. An empty packet or a failure while a
// field is handled ends through host.FailAndEnd.
int ProcessPidPacket(TPidTable& table, TRegistryHost& host, std::string_view text);

// The intake of one copy-data message. `text` is the packet text (anything from a NUL on is
// ignored). Returns the message result. Errors of the host's own operations propagate.
int WMCopyData(TPidTable& table, TRegistryHost& host, std::uint32_t kind, const std::string& text);

// Every message the Feed socket delivers: copy-data (data = kind, text = payload) and the three
// control messages; any other number is answered 0.
int DispatchFeedMessage(TPidTable& table, TRegistryHost& host, std::uint32_t msg, std::uint32_t data,
                        const std::string& text);

}  // namespace orlex::app
