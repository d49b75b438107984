#include "platform/FeedFrame.h"

#include <stdexcept>

namespace orlex {

namespace {

void PutU32(std::string& out, uint32_t value) {
  const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                         static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
  out.append(bytes, 4);
}

uint32_t GetU32(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

// Dropping the consumed prefix costs a move of what follows it; do it only when that prefix is large
// and at least half the buffer, so the cost per byte stays constant.
constexpr size_t kCompactThreshold = 64 * 1024;
// An empty buffer keeps at most this much capacity for the next frames; more is returned.
constexpr size_t kKeptCapacity = 256 * 1024;

}  // namespace

std::string_view FeedPayloadText(std::string_view payload) {
  const size_t nul = payload.find('\0');
  return nul == std::string_view::npos ? payload : payload.substr(0, nul);
}

void AppendFeedRequest(std::string& out, uint32_t msg, uint32_t data, std::string_view payload) {
  if (payload.size() > kFeedMaxPayload) {
    throw std::length_error("Feed payload longer than 16 MiB");
  }
  out.reserve(out.size() + kFeedHeaderSize + payload.size());
  PutU32(out, msg);
  PutU32(out, data);
  PutU32(out, static_cast<uint32_t>(payload.size()));
  out.append(payload);
}

std::string EncodeFeedRequest(uint32_t msg, uint32_t data, std::string_view payload) {
  std::string out;
  AppendFeedRequest(out, msg, data, payload);
  return out;
}

std::array<char, kFeedReplySize> EncodeFeedReply(int32_t result) {
  const auto value = static_cast<uint32_t>(result);
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
          static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
}

int32_t DecodeFeedReply(const char* bytes) { return static_cast<int32_t>(GetU32(bytes)); }

void TFeedDecoder::Append(const char* bytes, size_t size) {
  if (oversized_ || size == 0) {
    return;  // a spoiled stream keeps nothing
  }
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ >= kCompactThreshold && start_ * 2 >= buffer_.size()) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(bytes, size);
}

bool TFeedDecoder::Ready() const {
  if (oversized_ || Buffered() < kFeedHeaderSize) {
    return false;
  }
  const uint32_t length = GetU32(buffer_.data() + start_ + 8);
  return length <= kFeedMaxPayload && Buffered() - kFeedHeaderSize >= length;
}

bool TFeedDecoder::Next(TFeedRequest& request) {
  if (oversized_ || Buffered() < kFeedHeaderSize) {
    return false;
  }
  const char* header = buffer_.data() + start_;
  const uint32_t length = GetU32(header + 8);
  if (length > kFeedMaxPayload) {
    oversized_ = true;
    buffer_.clear();
    buffer_.shrink_to_fit();
    start_ = 0;
    return false;
  }
  if (Buffered() - kFeedHeaderSize < length) {
    return false;
  }
  request.msg = GetU32(header);
  request.data = GetU32(header + 4);
  request.payload.assign(header + kFeedHeaderSize, length);
  start_ += kFeedHeaderSize + length;
  if (start_ == buffer_.size() && buffer_.capacity() > kKeptCapacity) {
    std::string().swap(buffer_);
    start_ = 0;
  }
  return true;
}

}  // namespace orlex
