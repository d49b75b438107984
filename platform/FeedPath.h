#pragma once

// Where the Feed socket lives: $ORLEXGAUGES_SOCKET when set, else $XDG_RUNTIME_DIR/orlexgauges.sock,
// else /tmp/orlexgauges-<uid>/orlexgauges.sock. The last one sits in the shared /tmp, so it is put in a
// private directory (mode 0700) that the display creates and that both sides refuse when another user
// could have planted it: not owned by us, a symbolic link, or open to others.

#include <string>

namespace orlex {

// The rules over given environment values (null or empty means unset); a relative runtime
// directory is ignored, as the XDG rules ask.
std::string FeedSocketPathFrom(const char* socketEnv, const char* runtimeDirEnv, unsigned uid);
// The rules over this process's environment and user.
std::string FeedSocketPath();

std::string FallbackFeedSocketDir(unsigned uid);  // /tmp/orlexgauges-<uid>

// Checks `dir` as a private socket directory of `uid`. With `create` (the display) it is made when
// missing and its mode is narrowed to 0700 when it is ours but wider; without (a Feed) a directory
// that others may write into is refused. On refusal `error` says why.
bool CheckPrivateSocketDir(const std::string& dir, unsigned uid, bool create, std::string& error);

// Applies CheckPrivateSocketDir to the directory of `socketPath` when that is this user's fallback
// directory; any other directory was chosen by the user and is taken as it is.
bool PrepareFeedSocketDir(const std::string& socketPath, bool create, std::string& error);

}  // namespace orlex
