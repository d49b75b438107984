#pragma once

// Window-free parsing of the Feed's packet texts: field splitting, integer conversion, trimming,
// the INIT count and the key,value fields of PID packets. Pure functions on byte strings.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlex::app {

// Packet kinds of a copy-data message.
inline constexpr std::uint32_t kInitPacket = 0;
inline constexpr std::uint32_t kPidPacket = 1;
inline constexpr std::uint32_t kSaveRequest = 4;

inline constexpr char kFieldDelimiter = ';';
inline constexpr char kFieldQuote = '"';
// The INIT count that stands for a failed conversion.
inline constexpr std::int32_t kNoCount = -666;

// Removes leading and trailing characters whose code is 32 or below.
std::string_view TrimText(std::string_view text);

// Cuts `text` into `fields` (previous contents replaced; the strings are reused to spare allocations).
// ';' separates fields, and so does any run of codes 1 to 32; a field that starts with '"' runs to the
// next '"' not followed by another one, "" standing for one '"'; an unclosed quote takes the rest of
// the text without its last character; a ';' that ends the text adds one empty field. A NUL byte ends
// the text.
void SplitFields(std::string_view text, std::vector<std::string>& fields);
std::vector<std::string> SplitFields(std::string_view text);

// Optional spaces, optional '-' or '+', then decimal digits fitting a signed 32-bit integer, or hex
// digits after "$", "x", "X", "0x" or "0X" fitting 32 bits, taken as a bit pattern ('-' negates it).
// Anything else: no value.
std::optional<std::int32_t> ConvertInteger(std::string_view field);
std::int32_t StrToIntDef(std::string_view field, std::int32_t defaultValue);

// The count of an INIT packet: the text before the first ';', trimmed, as an integer. kNoCount when
// the text has no ';' or the field is no integer (or is kNoCount itself). `rest` receives the text
// after the first ';' (empty when there is none).
std::int32_t ReadInitCount(std::string_view text, std::string_view& rest);

// One field of a PID packet, cut at its first comma: the key before it, the value (further commas
// included, possibly empty) after it. No value when the field has no comma.
struct TPidField {
  std::string_view Key;
  std::string_view Value;
};
std::optional<TPidField> SplitPidField(std::string_view field);

}  // namespace orlex::app
