#include "grid/transfer/core/PropertyRecords.h"

#include <algorithm>

namespace orlex::grid {

// ---- Writing ----

void TRecordWriter::Name(std::string_view name) {
  out_ += static_cast<char>(name.size());
  out_ += name;
}

void TRecordWriter::Number(std::string_view name, TValueType type, std::int64_t value) {
  Name(name);
  out_ += static_cast<char>(type);
  const int bytes = type == vtBool ? 1 : type == vtWord ? 2 : type == vtInt64 ? 8 : 4;
  const auto u = static_cast<std::uint64_t>(value);
  for (int i = 0; i < bytes; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void TRecordWriter::Text(std::string_view name, std::string_view value) {
  Name(name);
  out_ += static_cast<char>(vtString);
  const auto n = static_cast<std::uint32_t>(value.size());
  for (int i = 0; i < 4; ++i) out_ += static_cast<char>((n >> (8 * i)) & 0xFF);
  out_ += value;
}

// ---- Reading ----

const TPropertyValue* TRecord::Find(std::string_view name) const {
  for (const auto& [n, v] : Props) {
    if (n == name) return &v;
  }
  return nullptr;
}

std::int64_t TRecord::Number(std::string_view name, std::int64_t byDefault) const {
  const TPropertyValue* v = Find(name);
  return v ? v->Number : byDefault;
}

std::string_view TRecord::Text(std::string_view name) const {
  const TPropertyValue* v = Find(name);
  return v ? v->Text : std::string_view{};
}

std::optional<TRecord> TRecordReader::Next() {
  TRecord record;
  if (!ReadName(record.Type) || record.Type.empty()) return std::nullopt;
  const std::span<const TFieldRule> rules = rulesFor_(record.Type);
  if (rules.empty()) return std::nullopt;
  while (true) {
    std::string_view name;
    if (!ReadName(name)) return std::nullopt;
    if (name.empty()) return record;
    const auto rule = std::find_if(rules.begin(), rules.end(), [&](const TFieldRule& r) { return r.Name == name; });
    if (rule == rules.end() || record.Find(name) != nullptr) return std::nullopt;
    TPropertyValue value;
    if (!ReadValue(value) || value.Type != rule->Type) return std::nullopt;
    if (value.Type != vtString && (value.Number < rule->Min || value.Number > rule->Max)) return std::nullopt;
    record.Props.emplace_back(name, value);
  }
}

// Every read checks what is left first, so nothing is read past the bytes.
bool TRecordReader::Take(std::size_t n, std::string_view& out) {
  if (rest_.size() < n) return false;
  out = rest_.substr(0, n);
  rest_.remove_prefix(n);
  return true;
}

bool TRecordReader::ReadUnsigned(int bytes, std::uint64_t& value) {
  std::string_view raw;
  if (!Take(static_cast<std::size_t>(bytes), raw)) return false;
  value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint64_t{static_cast<unsigned char>(raw[i])} << (8 * i);
  return true;
}

bool TRecordReader::ReadName(std::string_view& name) {
  std::uint64_t length = 0;
  return ReadUnsigned(1, length) && Take(length, name);
}

bool TRecordReader::ReadValue(TPropertyValue& value) {
  std::uint64_t tag = 0;
  if (!ReadUnsigned(1, tag)) return false;
  value.Type = static_cast<TValueType>(tag);
  std::uint64_t raw = 0;
  switch (value.Type) {
    case vtBool:
    case vtWord:
    case vtColor:
    case vtInt64: {
      const int bytes = value.Type == vtBool ? 1 : value.Type == vtWord ? 2 : value.Type == vtColor ? 4 : 8;
      if (!ReadUnsigned(bytes, raw)) return false;
      value.Number = static_cast<std::int64_t>(raw);
      return true;
    }
    case vtInt:
      if (!ReadUnsigned(4, raw)) return false;
      value.Number = static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
      return true;
    case vtString:
      return ReadUnsigned(4, raw) && Take(raw, value.Text);
  }
  return false;
}

}  // namespace orlex::grid
