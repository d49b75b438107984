#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Private-profile (INI) files: "[section]" lines open a section, "name=value" lines hold values, lines
// end with CR LF. Section and key names match without regard to letter case as Windows-1252 has it
// ("é" matches "É"), however the name's bytes are encoded (see AnsiDecode.h).

namespace orlex {

// A value comes back through a 2048-byte buffer: longer values are cut to this many characters.
inline constexpr std::size_t kProfileValueMax = 2047;

bool ProfileNamesEqual(std::string_view a, std::string_view b);

// The integer rules of the settings file: "0x"/"0X" followed by hex digits (at least three characters
// in all), a decimal number, or "$" followed by hex digits, each with an optional sign before the
// number; hex wraps into 32 bits as a colour value does. Anything else, or a decimal number outside
// 32 bits, gives nullopt.
std::optional<int> ProfileTextToInt(std::string_view text);

// A file's text cut at its section lines, each piece exactly as it stands in the file (its own line
// ends included), so that it can be written back unchanged.
struct TProfileSectionText {
  std::string name;  // as in the "[name]" line, blanks inside the brackets removed
  std::string text;  // from the "[name]" line up to the next section line, blank lines at its end left out
};
struct TProfileText {
  std::string preamble;  // the lines before the first section, blank lines at its end left out
  std::vector<TProfileSectionText> sections;  // in file order
};
TProfileText SplitProfileText(std::string_view contents);

class TFileWatch;
class TFileWatchSource;

// Reads values. Every read gives what opening and parsing the file afresh would give, so a reader kept
// open for a long time sees what has been written since, and a file that has gone gives the defaults.
// A symbolic link is followed, as opening the file does. The reader keeps the file's text parsed only
// while the file's stamp (device, inode, type and mode, size, modification and change times to the
// nanosecond) stays as it was, and either the stamp is too old to hide a change or a watch started
// before the text was read has seen no change since; otherwise it reads the file again. Not for use from
// more than one thread at a time.
class TProfileReader {
 public:
  explicit TProfileReader(std::string path);
  ~TProfileReader();
  TProfileReader(TProfileReader&&) noexcept;
  TProfileReader& operator=(TProfileReader&&) noexcept;

  using TReadFailure = std::function<void(const std::string& message)>;
  void OnReadFailure(TReadFailure handler) { onReadFailure_ = std::move(handler); }

  const std::string& Path() const { return path_; }

  // The value trimmed of blanks and enclosing quotes, cut to kProfileValueMax characters; nullopt
  // when the file, the section or the key is missing.
  std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key, const std::string& defaultValue) const;
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // Read as an integer (default 1 or 0); any non-zero number is true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // Locale decimal separator; an empty, missing or unconvertible value gives the default.
  double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;

  // The whole file cut into sections; empty when there is no file. Throws
  // std::runtime_error("Unable to read <path>") when the file exists but cannot be read, so that a
  // caller about to replace it does not take it for empty.
  TProfileText ReadText() const;

  // The real time in nanoseconds since 1970 that stamps are judged against (tests move it on).
  using TClock = std::function<std::int64_t()>;
  void UseClock(TClock clock) { clock_ = std::move(clock); }

  // Where the reader's file watch comes from: by default the process's shared one (SharedFileWatches);
  // nullptr for none, when only the stamp can vouch for the kept text.
  void UseFileWatches(std::shared_ptr<TFileWatchSource> source);

  // Lets go of the kept text (and its memory); the next read reads the file. For writers of the file.
  void Forget() const;

 private:
  struct TSnapshot;
  // The file as read now, or nullptr when there is none or it cannot be read (reported).
  const TSnapshot* Current() const;
  // Starts the file's watch afresh, before a read; false when there is none.
  bool ArmWatch() const;

  std::string path_;
  TReadFailure onReadFailure_;
  TClock clock_;
  bool watchesChosen_ = false;
  mutable std::shared_ptr<TFileWatchSource> watches_;
  mutable std::unique_ptr<TFileWatch> watch_;
  mutable std::unique_ptr<TSnapshot> snapshot_;
};

// Builds a whole file in memory, section by section in the order of their first write, keys in the
// order of their first write; writing a key again replaces its value in place. Commit() writes it to a
// temporary file beside `path` and renames that over the old file, so the old file stays complete
// until the new one is.
class TProfileWriter {
 public:
  explicit TProfileWriter(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // A section or key name must fit on its line; a value must not break the line either.
  static bool IsWritableName(std::string_view name);
  static bool IsWritableValue(std::string_view value);

  // Throw std::invalid_argument for names or values that the file cannot hold.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" or "0"
  // General format, up to 15 significant digits, locale decimal separator.
  void WriteFloat(std::string_view section, std::string_view key, double value);

  // Pieces of an old file carried over unchanged: the preamble goes before the written sections, kept
  // sections after them in the order kept. Each piece is separated from its neighbours by a blank line.
  void KeepPreamble(std::string text) { preamble_ = std::move(text); }
  void KeepSection(std::string text) { kept_.push_back(std::move(text)); }

  // The file as Commit() writes it.
  std::string Text() const;

  // Throws std::runtime_error("Unable to write to <path>") when the new file cannot be written or
  // renamed into place; the old file is then left as it was.
  void Commit() const;

 private:
  struct TSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
  };

  std::string path_;
  std::vector<TSection> sections_;
  std::string preamble_;
  std::vector<std::string> kept_;
};

}  // namespace orlex
