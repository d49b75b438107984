#include "app/core/FeedPackets.h"

#include <cstddef>
#include <deque>

#include "platform/HexDigits.h"

namespace orlex::app {

namespace {

// Byte codes are compared unsigned: bytes 128 to 255 are ordinary characters, not blanks.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool IsSeparatorBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

// Reads one quoted field starting at the opening quote text[pos]; returns the position after it.
std::size_t ReadQuoted(std::string_view text, std::size_t pos, std::string& field) {
  field.clear();
  ++pos;  // opening quote
  while (pos < text.size()) {
    if (text[pos] == kFieldQuote) {
      if (pos + 1 < text.size() && text[pos + 1] == kFieldQuote) {
        field.push_back(kFieldQuote);
        pos += 2;
        continue;
      }
      return pos + 1;  // closing quote consumed
    }
    field.push_back(text[pos]);
    ++pos;
  }
  // No closing quote: the field loses its last character.
  if (!field.empty()) {
    field.pop_back();
  }
  return pos;
}

}  // namespace

std::string_view TrimText(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

namespace {

// The one cut of a text into fields, for both forms of the result. `sink.Plain(view)` takes an
// unquoted field, `sink.Quoted(text, pos)` reads a quoted one from its opening quote and returns the
// position after it, `sink.Empty()` takes the empty field a final ';' adds.
template <typename TSink>
void CutFields(std::string_view text, TSink& sink) {
  // The text ends at its first NUL: a NUL is no separator, so it would otherwise start an endless
  // run of empty fields.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    text = text.substr(0, nul);
  }
  auto skipBlanks = [&](std::size_t pos) {
    while (pos < text.size() && IsSeparatorBlank(text[pos])) ++pos;
    return pos;
  };

  std::size_t pos = skipBlanks(0);
  while (pos < text.size()) {
    if (text[pos] == kFieldQuote) {
      pos = sink.Quoted(text, pos);
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && text[pos] != kFieldDelimiter && !IsBlank(text[pos])) ++pos;
      sink.Plain(text.substr(start, pos - start));
    }
    pos = skipBlanks(pos);
    if (pos < text.size() && text[pos] == kFieldDelimiter) {
      if (pos + 1 == text.size()) {
        sink.Empty();
      }
      pos = skipBlanks(pos + 1);
    }
  }
}

// Fields as strings, reusing the list's strings to spare allocations.
struct TStringSink {
  std::vector<std::string>& fields;
  std::size_t used = 0;
  std::string& Next() {
    if (used == fields.size()) fields.emplace_back();
    return fields[used++];
  }
  void Plain(std::string_view field) { Next().assign(field); }
  std::size_t Quoted(std::string_view text, std::size_t pos) { return ReadQuoted(text, pos, Next()); }
  void Empty() { Next().clear(); }
};

// Fields as views: into the text, or into the kept quoted fields.
struct TViewSink {
  std::vector<std::string_view>& fields;
  std::deque<std::string>& quoted;
  void Plain(std::string_view field) { fields.push_back(field); }
  std::size_t Quoted(std::string_view text, std::size_t pos) {
    quoted.emplace_back();
    const std::size_t next = ReadQuoted(text, pos, quoted.back());
    fields.push_back(quoted.back());
    return next;
  }
  void Empty() { fields.emplace_back(); }
};

}  // namespace

void SplitFields(std::string_view text, std::vector<std::string>& fields) {
  TStringSink sink{fields};
  CutFields(text, sink);
  fields.resize(sink.used);
}

void SplitFieldViews(std::string_view text, std::vector<std::string_view>& fields, std::deque<std::string>& quoted) {
  fields.clear();
  quoted.clear();
  TViewSink sink{fields, quoted};
  CutFields(text, sink);
}

std::vector<std::string> SplitFields(std::string_view text) {
  std::vector<std::string> fields;
  SplitFields(text, fields);
  return fields;
}

std::optional<std::int32_t> ConvertInteger(std::string_view field) {
  std::size_t pos = 0;
  while (pos < field.size() && field[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < field.size() && (field[pos] == '-' || field[pos] == '+')) {
    negative = field[pos] == '-';
    ++pos;
  }
  const std::string_view body = field.substr(pos);
  std::size_t digitsAt = 0;
  bool hex = false;
  if (body.starts_with("0x") || body.starts_with("0X")) {
    hex = true;
    digitsAt = 2;
  } else if (body.starts_with('$') || body.starts_with('x') || body.starts_with('X')) {
    hex = true;
    digitsAt = 1;
  }
  const std::string_view digits = body.substr(digitsAt);
  if (digits.empty()) {
    return std::nullopt;
  }

  if (hex) {
    std::uint64_t pattern = 0;
    for (char c : digits) {
      const int d = HexDigitValue(c);
      if (d < 0) return std::nullopt;
      pattern = pattern * 16 + static_cast<std::uint64_t>(d);
      if (pattern > 0xFFFFFFFFull) return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(pattern);
    if (negative) bits = 0u - bits;  // unsigned wrap: "-$80000000" stays the lowest value
    return static_cast<std::int32_t>(bits);
  }

  // Accumulate the magnitude; the negative range reaches one further than the positive one.
  const std::uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  std::uint64_t magnitude = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    if (magnitude > limit) return std::nullopt;
  }
  const auto bits = negative ? 0u - static_cast<std::uint32_t>(magnitude) : static_cast<std::uint32_t>(magnitude);
  return static_cast<std::int32_t>(bits);
}

std::int32_t StrToIntDef(std::string_view field, std::int32_t defaultValue) {
  return ConvertInteger(field).value_or(defaultValue);
}

std::int32_t ReadInitCount(std::string_view text, std::string_view& rest) {
  const std::size_t semicolon = text.find(kFieldDelimiter);
  if (semicolon == std::string_view::npos) {
    rest = {};
    return kNoCount;
  }
  rest = text.substr(semicolon + 1);
  return StrToIntDef(TrimText(text.substr(0, semicolon)), kNoCount);
}

std::optional<TPidField> SplitPidField(std::string_view field) {
  const std::size_t comma = field.find(',');
  if (comma == std::string_view::npos) {
    return std::nullopt;
  }
  return TPidField{field.substr(0, comma), field.substr(comma + 1)};
}

}  // namespace orlex::app
