// The recording reader on arbitrary files. It must never fault; what it reads must write back to
// exactly the bytes it accepted; every prefix of those bytes reads as the same records cut short; and
// pairing, replay timing and the CSV export must take whatever it yields.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "tools/core/CsvExport.h"
#include "tools/core/Recording.h"
#include "tools/core/ReplayPlan.h"

namespace {

using namespace orlex::recording;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string Rewrite(const TRecording& r) {
  std::string out;
  AppendHeader(out, r.startUnixMicros);
  for (const TRecordEvent& e : r.events) {
    switch (e.kind) {
      case TRecordKind::Frame: AppendFrame(out, e.micros, e.connection, e.msg, e.data, e.payload); break;
      case TRecordKind::Reply: AppendReply(out, e.micros, e.connection, e.result); break;
      case TRecordKind::End: AppendEnd(out, e.micros, e.connection, e.cause); break;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const TRecording r = ReadRecording(input);
  Check(r.goodBytes <= size);
  if (!r.Usable()) {
    Check(r.events.empty());
    return 0;
  }
  if (r.goodBytes >= kHeaderSize) {
    Check(Rewrite(r) == input.substr(0, r.goodBytes));
    // A cut inside the last record gives the records before it.
    if (!r.events.empty() && r.goodBytes > kHeaderSize) {
      const TRecording cut = ReadRecording(input.substr(0, r.goodBytes - 1));
      Check(cut.status == TReadStatus::Truncated && cut.events.size() == r.events.size() - 1);
    }
  } else {
    Check(r.events.empty() && r.status == TReadStatus::Truncated);
  }
  const std::vector<TExchange> exchanges = PairExchanges(r.events);
  const double speed = size > 0 ? data[size - 1] / 16.0 : 1;
  for (const TReplayStep& step : PlanReplay(exchanges, {speed, 0.5, {}})) Check(step.exchange < exchanges.size());
  std::ostringstream csv;
  WriteLongCsv(exchanges, csv);
  WriteWideCsv(exchanges, csv);
  return 0;
}
