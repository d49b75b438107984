// The DROPFILES reader on arbitrary blocks, as another application could hand them over.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "grid/transfer/core/EnumFormats.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so that a read past the block's end is caught.
  const std::vector<std::uint8_t> block(data, data + size);
  const std::vector<std::string> names = orlex::grid::ReadDropFiles(block.data(), block.size());
  if (size < orlex::grid::kDropFilesHeaderSize) Check(names.empty());
  // The wide flag is the whole 32-bit field.
  bool wide = false;
  for (std::size_t i = 0; i < 4 && size >= orlex::grid::kDropFilesHeaderSize; ++i) {
    wide = wide || block[orlex::grid::kDropFilesWideOffset + i] != 0;
  }
  std::size_t total = 0;
  for (const std::string& name : names) {
    Check(!name.empty());
    if (!wide) Check(name.find('\0') == std::string::npos);
    total += wide ? (name.size() + 2) / 3 * 2 : name.size() + 1;  // a UTF-16 unit gives at most 3 bytes
  }
  Check(total <= size);
  return 0;
}
