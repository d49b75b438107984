#pragma once

// The recording modes of orlex-feed: record a session through a relay, replay it into a display,
// export its values as CSV. Each returns the tool's exit status.

#include <optional>
#include <string>

namespace orlexfeed {

struct TRecordArgs {
  std::string out;
  std::string listen;  // empty: a fresh private path, printed
  std::string displayPath;
};
int RunRecord(const TRecordArgs& args);

struct TReplayArgs {
  std::string file;
  double speed = 1;
  bool loop = false;
  std::optional<double> fromSeconds;
  std::optional<double> toSeconds;
  std::string displayPath;
  double waitSeconds = 0;
};
// 0 when every reply matched the recording, 3 when some differed.
int RunReplay(const TReplayArgs& args);

struct TExportArgs {
  std::string file;
  bool wide = false;
  std::string out;  // empty: standard output
};
int RunExport(const TExportArgs& args);

// Exit status of replay when replies differ from the recorded ones.
inline constexpr int kRepliesDiffer = 3;

}  // namespace orlexfeed
