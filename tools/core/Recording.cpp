#include "tools/core/Recording.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>

#include "platform/FeedFrame.h"

namespace orlex::recording {

namespace {

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutU64(std::string& out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetU32(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

uint64_t GetU64(const char* bytes) { return uint64_t{GetU32(bytes)} | (uint64_t{GetU32(bytes + 4)} << 32); }

// Every record starts with its type, its time and its connection.
constexpr size_t kRecordPrefix = 1 + 8 + 4;

void PutPrefix(std::string& out, TRecordKind kind, uint64_t micros, uint32_t connection) {
  out.push_back(static_cast<char>(kind));
  PutU64(out, micros);
  PutU32(out, connection);
}

}  // namespace

void AppendHeader(std::string& out, uint64_t startUnixMicros) {
  out.append(kMagic, sizeof(kMagic));
  PutU32(out, kVersion);
  PutU64(out, startUnixMicros);
}

void AppendFrame(std::string& out, uint64_t micros, uint32_t connection, uint32_t msg, uint32_t data,
                 std::string_view payload) {
  PutPrefix(out, TRecordKind::Frame, micros, connection);
  AppendFeedRequest(out, msg, data, payload);  // the frame as it travelled: header, then payload
}

void AppendReply(std::string& out, uint64_t micros, uint32_t connection, int32_t result) {
  PutPrefix(out, TRecordKind::Reply, micros, connection);
  PutU32(out, static_cast<uint32_t>(result));
}

void AppendEnd(std::string& out, uint64_t micros, uint32_t connection, TEndCause cause) {
  PutPrefix(out, TRecordKind::End, micros, connection);
  out.push_back(static_cast<char>(cause));
}

TRecording ReadRecording(std::string_view bytes) {
  TRecording recording;
  const std::string_view magic(kMagic, sizeof(kMagic));
  if (bytes.size() < magic.size()) {
    // A file cut inside its magic is an empty recording cut short; anything else is not ours.
    recording.status = magic.substr(0, bytes.size()) == bytes ? TReadStatus::Truncated : TReadStatus::NotRecording;
    return recording;
  }
  if (bytes.substr(0, magic.size()) != magic) {
    recording.status = TReadStatus::NotRecording;
    return recording;
  }
  if (bytes.size() < magic.size() + 4) {
    recording.status = TReadStatus::Truncated;
    return recording;
  }
  recording.version = GetU32(bytes.data() + magic.size());
  if (recording.version != kVersion) {
    recording.status = TReadStatus::OtherVersion;
    return recording;
  }
  if (bytes.size() < kHeaderSize) {
    recording.status = TReadStatus::Truncated;
    return recording;
  }
  recording.startUnixMicros = GetU64(bytes.data() + 12);

  size_t at = kHeaderSize;
  recording.goodBytes = at;
  while (at < bytes.size()) {
    const size_t left = bytes.size() - at;
    const char* p = bytes.data() + at;
    const auto kind = static_cast<TRecordKind>(p[0]);
    if (kind != TRecordKind::Frame && kind != TRecordKind::Reply && kind != TRecordKind::End) {
      recording.status = TReadStatus::Damaged;
      return recording;
    }
    if (left < kRecordPrefix) {
      recording.status = TReadStatus::Truncated;
      return recording;
    }
    TRecordEvent event;
    event.kind = kind;
    event.micros = GetU64(p + 1);
    event.connection = GetU32(p + 9);
    size_t size = kRecordPrefix;
    if (kind == TRecordKind::Frame) {
      size += kFeedHeaderSize;
      if (left < size) {
        recording.status = TReadStatus::Truncated;
        return recording;
      }
      const uint32_t length = GetU32(p + kRecordPrefix + 8);
      if (length > kFeedMaxPayload) {
        recording.status = TReadStatus::Damaged;  // no display takes such a frame, so none was recorded
        return recording;
      }
      size += length;
      if (left < size) {
        recording.status = TReadStatus::Truncated;
        return recording;
      }
      event.msg = GetU32(p + kRecordPrefix);
      event.data = GetU32(p + kRecordPrefix + 4);
      event.payload.assign(p + kRecordPrefix + kFeedHeaderSize, length);
    } else if (kind == TRecordKind::Reply) {
      size += 4;
      if (left < size) {
        recording.status = TReadStatus::Truncated;
        return recording;
      }
      event.result = static_cast<int32_t>(GetU32(p + kRecordPrefix));
    } else {
      size += 1;
      if (left < size) {
        recording.status = TReadStatus::Truncated;
        return recording;
      }
      const auto cause = static_cast<uint8_t>(p[kRecordPrefix]);
      if (cause < 1 || cause > 3) {
        recording.status = TReadStatus::Damaged;
        return recording;
      }
      event.cause = static_cast<TEndCause>(cause);
    }
    recording.events.push_back(std::move(event));
    at += size;
    recording.goodBytes = at;
  }
  return recording;
}

std::string DescribeReadStatus(const TRecording& recording, const std::string& name) {
  switch (recording.status) {
    case TReadStatus::Complete:
      return "";
    case TReadStatus::Truncated:
      return name + " ends in the middle of a record (a recording cut short); using the " +
             std::to_string(recording.events.size()) + " complete records before it";
    case TReadStatus::Damaged:
      return name + " is damaged at byte " + std::to_string(recording.goodBytes) + "; using the " +
             std::to_string(recording.events.size()) + " records before it";
    case TReadStatus::NotRecording:
      return name + " is not an Orlex Gauges recording";
    case TReadStatus::OtherVersion:
      return name + " is a recording of format version " + std::to_string(recording.version) +
             ", which this orlex-feed does not read (it reads version " + std::to_string(kVersion) + ")";
  }
  return "";
}

std::vector<TExchange> PairExchanges(std::vector<TRecordEvent> events) {
  std::vector<TExchange> exchanges;
  std::map<uint32_t, std::deque<size_t>> waiting;  // per connection, frames without a reply yet
  for (TRecordEvent& event : events) {
    switch (event.kind) {
      case TRecordKind::Frame: {
        TExchange exchange;
        exchange.micros = event.micros;
        exchange.connection = event.connection;
        exchange.msg = event.msg;
        exchange.data = event.data;
        exchange.payload = std::move(event.payload);
        waiting[event.connection].push_back(exchanges.size());
        exchanges.push_back(std::move(exchange));
        break;
      }
      case TRecordKind::Reply: {
        auto it = waiting.find(event.connection);
        if (it == waiting.end() || it->second.empty()) break;
        TExchange& exchange = exchanges[it->second.front()];
        it->second.pop_front();
        exchange.outcome = TOutcome::Replied;
        exchange.result = event.result;
        break;
      }
      case TRecordKind::End: {
        auto it = waiting.find(event.connection);
        if (it == waiting.end()) break;
        // Frames the display never answered: it closed before them. A Feed that left, or a recording
        // that stopped, tells nothing about them.
        for (const size_t index : it->second) {
          if (event.cause == TEndCause::Display) exchanges[index].outcome = TOutcome::Closed;
        }
        waiting.erase(it);
        break;
      }
    }
  }
  // Frames arrive in time order per connection; across connections the file is in arrival order too.
  std::stable_sort(exchanges.begin(), exchanges.end(),
                   [](const TExchange& a, const TExchange& b) { return a.micros < b.micros; });
  return exchanges;
}

std::string RecordingSeconds(uint64_t micros) {
  char text[32];
  std::snprintf(text, sizeof(text), "%" PRIu64 ".%06" PRIu64, micros / 1000000, micros % 1000000);
  return text;
}

}  // namespace orlex::recording
