// The Feed socket's frame decoder on arbitrary bytes. The first byte picks how the rest arrives (in
// chunks of 1 to 16 bytes, or all at once); the decoder must never fault, must yield the same requests
// however the bytes arrive, and what it yields must re-encode to exactly the bytes it consumed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FeedFrame.h"

namespace {

struct TOutcome {
  std::vector<orlex::TFeedRequest> requests;
  bool oversized = false;
  size_t buffered = 0;
};

TOutcome Decode(std::string_view input, size_t chunk) {
  TOutcome outcome;
  orlex::TFeedDecoder decoder;
  for (size_t at = 0; at < input.size(); at += chunk) {
    decoder.Append(input.substr(at, chunk));
    orlex::TFeedRequest request;
    while (decoder.Next(request)) outcome.requests.push_back(request);
    if (decoder.Ready()) __builtin_trap();  // Next said no while a request was complete
  }
  outcome.oversized = decoder.Oversized();
  outcome.buffered = decoder.Buffered();
  return outcome;
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t chunk = data[0] % 17 == 0 ? size : data[0] % 17;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

  const TOutcome split = Decode(input, chunk);
  const TOutcome whole = Decode(input, input.size() + 1);
  Check(split.oversized == whole.oversized);
  Check(split.buffered == whole.buffered);
  Check(split.requests.size() == whole.requests.size());

  std::string consumed;
  for (size_t i = 0; i < split.requests.size(); ++i) {
    const orlex::TFeedRequest& a = split.requests[i];
    const orlex::TFeedRequest& b = whole.requests[i];
    Check(a.msg == b.msg && a.data == b.data && a.payload == b.payload);
    Check(a.payload.size() <= orlex::kFeedMaxPayload);
    const std::string_view text = orlex::FeedPayloadText(a.payload);
    Check(text.find('\0') == std::string_view::npos && a.payload.compare(0, text.size(), text) == 0);
    orlex::AppendFeedRequest(consumed, a.msg, a.data, a.payload);
  }
  Check(input.substr(0, consumed.size()) == consumed);
  if (split.oversized) {
    // Stopped at a header that announced too much; nothing kept.
    Check(split.buffered == 0 && input.size() >= consumed.size() + orlex::kFeedHeaderSize);
    const auto* header = reinterpret_cast<const unsigned char*>(input.data() + consumed.size());
    const uint32_t length = header[8] | (header[9] << 8) | (header[10] << 16) | (uint32_t{header[11]} << 24);
    Check(length > orlex::kFeedMaxPayload);
  } else {
    Check(split.buffered == input.size() - consumed.size());
  }
  return 0;
}
