#pragma once

// The recording relay of `orlex-feed record`: listens on a socket of its own, and for every Feed that
// connects opens a connection to the display and passes bytes both ways unchanged, as they come. A copy
// of each direction is decoded on the side and recorded: every frame with its time, every reply, and
// how each connection ended. The recording goes to a background writer, so the Feed and the display
// never wait for the disk.
//
// Ends of connections are passed on: a display that closes a connection (it ended, or refused a frame)
// gets the Feed's connection closed once the replies it sent have been delivered; a Feed that closes
// gets the display's connection closed.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/core/RecordingWriter.h"

namespace orlexfeed {

struct TRelayFigures {
  uint64_t connections = 0;
  uint64_t frames = 0;
  uint64_t replies = 0;
};

class TFeedRelay {
 public:
  // Binds and listens on `listenPath` (replacing a socket file nobody answers on); relays to
  // `displayPath`. Throws std::runtime_error when it cannot listen.
  TFeedRelay(std::string listenPath, std::string displayPath);
  ~TFeedRelay();  // closes every connection and removes the socket file
  TFeedRelay(const TFeedRelay&) = delete;
  TFeedRelay& operator=(const TFeedRelay&) = delete;

  // Relays until `stopFd` becomes readable, recording to `writer` from its header on; then records
  // every open connection's end.
  void Run(int stopFd, orlex::recording::TRecordingWriter& writer);

  TRelayFigures Figures() const { return figures_; }

 private:
  struct TPair;
  void Accept();
  bool Pump(TPair& pair, short feedEvents, short displayEvents);  // false once the pair is finished
  void Record(TPair& pair, const char* bytes, size_t size);
  void RecordReplies(TPair& pair, const char* bytes, size_t size);
  void RecordEnd(TPair& pair, int cause);
  uint64_t Now() const;

  std::string listenPath_;
  std::string displayPath_;
  orlex::recording::TRecordingWriter* writer_ = nullptr;
  int listenFd_ = -1;
  uint64_t startSteady_ = 0;
  uint32_t nextConnection_ = 1;
  TRelayFigures figures_;
  std::vector<std::unique_ptr<TPair>> pairs_;
  std::string scratch_;  // records built here, then handed to the writer
};

// Microseconds since the Unix epoch, for the recording's header.
uint64_t UnixMicrosNow();

}  // namespace orlexfeed
