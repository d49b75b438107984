#pragma once

// The few Unix-socket steps the display, the Feed client and the relay all take, in one place, so
// their answers to the same situation (a path too long, a listener whose backlog is full) agree.

#include <sys/socket.h>
#include <sys/un.h>

#include <optional>
#include <string>

namespace orlex {

// False when `path` is empty or does not fit sun_path.
bool MakeUnixAddress(const std::string& path, sockaddr_un& address);

// Whether a listener takes connections at `path`. Non-blocking: a listener whose backlog is full
// counts as answering instead of holding the caller up.
bool SomeoneListensAt(const std::string& path);

// A blocking stream socket connected to `address` (interrupted connects are retried), or -1 with
// errno telling why.
int ConnectUnixStream(const sockaddr_un& address);

// The peer's credentials (SO_PEERCRED), when the kernel gives them.
std::optional<ucred> PeerCredentials(int fd);

}  // namespace orlex
