#pragma once

// Frames of the Feed socket. A request is a 12-byte header {u32 msg, u32 data, u32 length}, all
// little-endian, followed by `length` payload bytes; every request is answered by one i32 result.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orlex {

// The Feed's message numbers, the one table of them: copy-data (data = packet kind, payload = packet
// text) and the three bare control messages.
inline constexpr uint32_t kMsgCopyData = 0x4A;
inline constexpr uint32_t kMsgHideAll = 0x464;
inline constexpr uint32_t kMsgDisableChecking = 0x465;
inline constexpr uint32_t kMsgEnableChecking = 0x466;
// A measuring query, optional for Feeds: the display answers with the number of paint passes of its
// grid so far, modulo 2^31 (a display that does not know the query answers 0).
inline constexpr uint32_t kMsgPaintCount = 0x470;

inline constexpr uint32_t kFeedMaxPayload = 16 * 1024 * 1024;
inline constexpr size_t kFeedHeaderSize = 12;
inline constexpr size_t kFeedReplySize = 4;

struct TFeedRequest {
  uint32_t msg = 0;
  uint32_t data = 0;
  std::string payload;  // raw bytes, NULs included
};

// The packet text of a payload: everything before its first NUL byte, or all of it when it has none.
std::string_view FeedPayloadText(std::string_view payload);

// Throws std::length_error when the payload is longer than kFeedMaxPayload.
std::string EncodeFeedRequest(uint32_t msg, uint32_t data, std::string_view payload);
// Appends the encoded request to `out` (lets a sender reuse one buffer).
void AppendFeedRequest(std::string& out, uint32_t msg, uint32_t data, std::string_view payload);

std::array<char, kFeedReplySize> EncodeFeedReply(int32_t result);
int32_t DecodeFeedReply(const char* bytes);  // reads kFeedReplySize bytes

// Incremental decoder for one connection: bytes go in as they arrive, complete requests come out in
// order. A header announcing more than kFeedMaxPayload bytes spoils the stream for good: nothing from
// that header on is ever yielded, and the connection is to be closed without a reply.
class TFeedDecoder {
 public:
  void Append(const char* bytes, size_t size);
  void Append(std::string_view bytes) { Append(bytes.data(), bytes.size()); }

  // Takes the next complete request out; false when none is complete yet or the stream is oversized.
  bool Next(TFeedRequest& request);

  // A complete request is waiting to be taken out.
  bool Ready() const;
  bool Oversized() const { return oversized_; }
  // Bytes held that do not form a complete request yet (a half frame, or frames not taken out).
  size_t Buffered() const { return buffer_.size() - start_; }
  // Memory the decoder holds for its bytes; once everything is taken out, what one large frame needed
  // is given back.
  size_t Held() const { return buffer_.capacity(); }

 private:
  std::string buffer_;
  size_t start_ = 0;  // consumed prefix of buffer_, dropped lazily to avoid moving bytes per request
  bool oversized_ = false;
};

}  // namespace orlex
