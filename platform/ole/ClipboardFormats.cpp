#include "platform/ole/ClipboardFormats.h"

#include <cctype>
#include <unordered_map>
#include <vector>

namespace orlex {

namespace {

struct TFormatRegistry {
  std::unordered_map<std::string, CLIPFORMAT> byFoldedName;
  std::vector<std::string> names;  // index = identifier - kFirstRegisteredFormat
};

// Process-wide, as format identifiers are: every part of the process must agree on them.
TFormatRegistry& Registry() {
  static TFormatRegistry registry;
  return registry;
}

std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace

CLIPFORMAT RegisterClipboardFormat(const std::string& name) {
  if (name.empty()) return 0;
  TFormatRegistry& registry = Registry();
  const std::string folded = Folded(name);
  if (auto it = registry.byFoldedName.find(folded); it != registry.byFoldedName.end()) return it->second;
  if (registry.names.size() >= 0x10000u - kFirstRegisteredFormat) return 0;
  const auto format = static_cast<CLIPFORMAT>(kFirstRegisteredFormat + registry.names.size());
  registry.names.push_back(name);
  registry.byFoldedName.emplace(folded, format);
  return format;
}

std::optional<std::string> GetClipboardFormatName(CLIPFORMAT format) {
  const TFormatRegistry& registry = Registry();
  if (format < kFirstRegisteredFormat || std::size_t{format} - kFirstRegisteredFormat >= registry.names.size()) {
    return std::nullopt;
  }
  return registry.names[format - kFirstRegisteredFormat];
}

}  // namespace orlex
