#pragma once

// A self-describing binary encoding of records of named, typed properties: each record is its type
// name, its properties (name, type tag, value) and an end mark (docs/Transfer.md). The writer leaves
// out what the caller does not write; the reader checks every record against the rules the caller
// gives for its type and never reads past its bytes.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlex::grid {

// Value types of a property, as their tag byte says.
enum TValueType : char {
  vtBool = 'b',    // 1 byte, 0 or 1
  vtWord = 'w',    // 16-bit unsigned
  vtInt = 'i',     // 32-bit signed
  vtColor = 'u',   // 32-bit unsigned
  vtInt64 = 'q',   // 64-bit signed
  vtString = 's',  // 32-bit byte count, then the bytes
};

// What a record may hold: each property's name, type and the range its value must lie in (numbers).
struct TFieldRule {
  std::string_view Name;
  TValueType Type;
  std::int64_t Min;
  std::int64_t Max;
};

class TRecordWriter {
 public:
  void Begin(std::string_view type) { Name(type); }
  void Number(std::string_view name, TValueType type, std::int64_t value);
  void Text(std::string_view name, std::string_view value);
  // Properties that have their default are left out; the reader gives them back as defaults.
  void NumberIfSet(std::string_view name, TValueType type, std::int64_t value, std::int64_t byDefault) {
    if (value != byDefault) Number(name, type, value);
  }
  void TextIfSet(std::string_view name, std::string_view value) {
    if (!value.empty()) Text(name, value);
  }
  void End() { out_ += '\0'; }
  std::string Take() { return std::move(out_); }

 private:
  void Name(std::string_view name);
  std::string out_;
};

struct TPropertyValue {
  TValueType Type = vtBool;
  std::int64_t Number = 0;
  std::string_view Text;  // a view into the bytes being read
};

// One record as read: its type and its properties in the order they came.
struct TRecord {
  std::string_view Type;
  std::vector<std::pair<std::string_view, TPropertyValue>> Props;

  // The value of a property, or nullptr when the record does not carry it (it has its default).
  const TPropertyValue* Find(std::string_view name) const;
  std::int64_t Number(std::string_view name, std::int64_t byDefault) const;
  std::string_view Text(std::string_view name) const;
};

class TRecordReader {
 public:
  // The rules of a record type; empty for a type that is not known.
  using TRulesFor = std::function<std::span<const TFieldRule>(std::string_view type)>;

  TRecordReader(std::string_view bytes, TRulesFor rulesFor) : rest_(bytes), rulesFor_(std::move(rulesFor)) {}
  bool AtEnd() const { return rest_.empty(); }

  // The next record; nothing when it is cut short, of an unknown type, or has a property that its
  // rules do not name, that comes twice, or whose type or value breaks its rule.
  std::optional<TRecord> Next();

 private:
  bool Take(std::size_t n, std::string_view& out);
  bool ReadUnsigned(int bytes, std::uint64_t& value);
  bool ReadName(std::string_view& name);
  bool ReadValue(TPropertyValue& value);

  std::string_view rest_;
  TRulesFor rulesFor_;
};

}  // namespace orlex::grid
