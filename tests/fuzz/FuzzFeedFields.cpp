// Field splitting, trimming, the INIT count, PID fields and integer conversion on arbitrary bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/FeedPackets.h"

using namespace orlex::app;

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::vector<std::string> fresh = SplitFields(text);
  // Splitting into a list that held other fields gives the same result as into an empty one.
  std::vector<std::string> reused{"left", "over", std::string(40, 'x')};
  SplitFields(text, reused);
  Check(reused == fresh);
  // The views cut exactly the same fields.
  std::vector<std::string_view> views{"left"};
  std::deque<std::string> quoted{"over"};
  SplitFieldViews(text, views, quoted);
  Check(std::vector<std::string>(views.begin(), views.end()) == fresh);

  for (const std::string& field : fresh) {
    const auto value = ConvertInteger(field);
    Check(StrToIntDef(field, 7) == value.value_or(7));
    if (const auto pair = SplitPidField(field)) {
      Check(pair->Key.size() + 1 + pair->Value.size() == field.size());
      Check(pair->Key.find(',') == std::string_view::npos);
    }
  }

  const std::string_view trimmed = TrimText(text);
  Check(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > 32 &&
                            static_cast<unsigned char>(trimmed.back()) > 32));
  std::string_view rest;
  const std::int32_t count = ReadInitCount(text, rest);
  Check(rest.size() <= text.size());
  (void)count;

  // A decimal integer written back reads as itself.
  if (const auto value = ConvertInteger(text)) {
    Check(ConvertInteger(std::to_string(*value)) == value);
  }
  return 0;
}
