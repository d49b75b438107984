// The settings file as a user may leave it after editing by hand: any bytes, read through the reader
// with its integer, boolean and float rules. Reads must never fail or throw, values come back cut to
// their limit, the integer rule agrees with its own decimal output, and what the writer writes from
// the values read reads back the same.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/ProfileFile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

const std::string& Dir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/orlex-fuzz-ini-XXXXXX";
    const char* made = mkdtemp(pattern);
    Check(made != nullptr);
    return std::string(made);
  }();
  return dir;
}

void WriteFile(const std::string& path, std::string_view contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first line names the section and key to read; the rest is the file.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view names = newline == std::string_view::npos ? input : input.substr(0, newline);
  const std::string_view file = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  const std::size_t space = names.find(' ');
  const std::string section(names.substr(0, space));
  const std::string key(space == std::string_view::npos ? std::string_view("k") : names.substr(space + 1));

  const std::string path = Dir() + "/orlexgauges_pidgrid.ini";
  WriteFile(path, file);
  orlex::TProfileReader reader(path);
  bool failed = false;
  reader.OnReadFailure([&](const std::string&) { failed = true; });

  const std::optional<std::string> value = reader.ReadValue(section, key);
  if (value) {
    Check(value->size() <= orlex::kProfileValueMax);
    if (const std::optional<int> number = orlex::ProfileTextToInt(*value)) {
      Check(orlex::ProfileTextToInt(std::to_string(*number)) == number);
      Check(reader.ReadInteger(section, key, -1) == *number);
    }
  }
  (void)reader.ReadBool(section, key, false);
  (void)reader.ReadFloat(section, key, -1.0);
  (void)orlex::ProfileTextToInt(input.substr(0, std::min<std::size_t>(input.size(), 64)));
  Check(!failed);

  // What can be written is read back as written.
  const std::string written = value.value_or("");
  if (orlex::TProfileWriter::IsWritableName(key) && orlex::TProfileWriter::IsWritableValue(written) &&
      section.find_first_of(std::string_view("\r\n\0]", 4)) == std::string::npos && !section.empty() &&
      section.front() != '[' && section.find_first_not_of(" \t") != std::string::npos &&
      key.find_first_not_of(" \t") != std::string::npos && written.find_first_of(" \t\"'") == std::string::npos) {
    orlex::TProfileWriter writer(path);
    writer.WriteString(section, key, written);
    WriteFile(path, writer.Text());
    Check(reader.ReadString(section, key, "\x01missing") == written);
  }
  return 0;
}
