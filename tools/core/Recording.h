#pragma once

// The recording file: what `orlex-feed record` writes and `replay` and `export` read. A fixed header
// (magic, version, start time), then records appended as the session runs: every frame a Feed sent,
// every reply the display gave, and the end of every connection. docs/Recording.md is the reference.
//
// Reading is safe on any bytes: a file cut anywhere yields every record before the cut and nothing
// else; a record that cannot be one (unknown type, a length beyond the frame limit) stops reading
// there, keeping what came before; a file of another version is refused whole.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlex::recording {

inline constexpr char kMagic[8] = {'O', 'R', 'L', 'X', 'R', 'E', 'C', '\n'};
inline constexpr uint32_t kVersion = 1;
inline constexpr size_t kHeaderSize = 8 + 4 + 8;  // magic, version, start time

enum class TRecordKind : char {
  Frame = 'F',  // a request from the Feed, exactly as it travelled
  Reply = 'R',  // the display's reply to the oldest unanswered frame of the connection
  End = 'E',    // the connection is closed
};

// Who ended a connection.
enum class TEndCause : uint8_t {
  Display = 1,  // the display closed it (it ended, or refused a frame); the Feed saw it closed
  Feed = 2,     // the Feed closed it
  Relay = 3,    // the recording stopped while it was open
};

struct TRecordEvent {
  TRecordKind kind = TRecordKind::Frame;
  uint64_t micros = 0;      // since the recording started
  uint32_t connection = 0;  // numbers the Feed's connections from 1
  // Frame:
  uint32_t msg = 0;
  uint32_t data = 0;
  std::string payload;
  // Reply:
  int32_t result = 0;
  // End:
  TEndCause cause = TEndCause::Feed;
};

// Appending to a file being recorded. Each function appends one complete record to `out`.
void AppendHeader(std::string& out, uint64_t startUnixMicros);
void AppendFrame(std::string& out, uint64_t micros, uint32_t connection, uint32_t msg, uint32_t data,
                 std::string_view payload);
void AppendReply(std::string& out, uint64_t micros, uint32_t connection, int32_t result);
void AppendEnd(std::string& out, uint64_t micros, uint32_t connection, TEndCause cause);

enum class TReadStatus {
  Complete,      // every byte was read as a whole record
  Truncated,     // the file ends inside a record (or inside the header): the records before it are kept
  Damaged,       // a record that cannot be one: the records before it are kept
  NotRecording,  // no recording magic: nothing is read
  OtherVersion,  // a version this reader does not know: nothing is read
};

struct TRecording {
  TReadStatus status = TReadStatus::Complete;
  uint32_t version = 0;
  uint64_t startUnixMicros = 0;
  std::vector<TRecordEvent> events;
  size_t goodBytes = 0;  // the length of the readable prefix
  // Whether the records can be used at all (a cut or damaged file still has its good prefix).
  bool Usable() const { return status != TReadStatus::NotRecording && status != TReadStatus::OtherVersion; }
};

TRecording ReadRecording(std::string_view bytes);

// A sentence for the user about a file that was not read to its end cleanly ("" when it was);
// `name` names the file.
std::string DescribeReadStatus(const TRecording& recording, const std::string& name);

// One frame with what became of it.
enum class TOutcome {
  Replied,  // the display replied `result`
  Closed,   // the display closed the connection before replying
  Unknown,  // the recording holds no answer (the Feed left first, or the file was cut)
};

struct TExchange {
  uint64_t micros = 0;
  uint32_t connection = 0;
  uint32_t msg = 0;
  uint32_t data = 0;
  std::string payload;
  TOutcome outcome = TOutcome::Unknown;
  int32_t result = 0;
};

// Pairs frames with their replies (each connection's replies answer its frames in order), in the order
// the frames arrived. A reply with no frame waiting for it (a damaged file) is ignored. The frames'
// payloads are moved out of `events` (pass a copy to keep them).
std::vector<TExchange> PairExchanges(std::vector<TRecordEvent> events);

// Recording time as seconds with six decimals, as the tool prints and exports it.
std::string RecordingSeconds(uint64_t micros);

}  // namespace orlex::recording
