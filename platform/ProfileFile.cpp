#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unordered_map>

#include "platform/AnsiDecode.h"
#include "platform/FileWatch.h"
#include "platform/HexDigits.h"
#include "platform/LocaleInfo.h"

namespace orlex {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The section name of a "[name]" line (blanks inside the brackets ignored), nullopt for other lines.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  // The last bracket closes the name, so a name that holds "]" itself still reads back.
  const std::size_t close = line.rfind(']');
  if (close != std::string_view::npos) line = line.substr(0, close);
  return TrimBlanks(line);
}

std::string UnquotedValue(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.size() > kProfileValueMax) value = value.substr(0, kProfileValueMax);
  return std::string(value);
}

// The whole file; false when it cannot be read. A missing file is no failure (errorText stays empty);
// anything else that stops the read (a directory in its place, an I/O error) says why in errorText.
// `status` receives what the file system said of the file read.
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& errorText, struct stat& status) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT && errno != ENOTDIR) errorText = std::strerror(errno);
    return false;
  }
  if (::fstat(fd, &status) != 0) status = {};
  if (S_ISDIR(status.st_mode)) {
    ::close(fd);
    errorText = std::strerror(EISDIR);
    return false;
  }
  contents.clear();
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      contents.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) break;
    if (errno == EINTR) continue;
    errorText = std::strerror(errno);
    ::close(fd);
    return false;
  }
  ::close(fd);
  return true;
}

// The value of `key` among the lines of one section's body (the lines after its "[name]" line).
std::optional<std::string> FindKey(std::string_view body, std::string_view key) {
  std::string_view rest = body;
  while (!rest.empty()) {
    const std::size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanks(line);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (ProfileNamesEqual(line.substr(0, equals), key)) return UnquotedValue(line.substr(equals + 1));
  }
  return std::nullopt;
}

std::int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// What tells one state of a file from another without reading it. The change time is part of it
// because nobody can set it: a rewrite that restores the old size and modification time still moves it.
struct TFileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  mode_t mode = 0;
  off_t size = 0;
  std::int64_t modified = 0;  // nanoseconds
  std::int64_t changed = 0;

  static TFileStamp Of(const struct stat& st) {
    return TFileStamp{st.st_dev, st.st_ino, st.st_mode, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
  }
  bool operator==(const TFileStamp&) const = default;
};

// File systems stamp a change with a clock that may lag the real one by a tick (at most 10 ms) and
// round it down to their granularity. Within that much of a stamp, another change can leave the stamp
// as it was. A change time with a fraction of a second comes from a file system that keeps fine
// times; one without may come from one that keeps whole or even two seconds (FAT).
constexpr std::int64_t kFineStampMarginNs = 50 * 1000000;
constexpr std::int64_t kCoarseStampMarginNs = std::int64_t{3} * 1000000000;

std::int64_t StampMargin(const TFileStamp& stamp) {
  return stamp.changed % 1000000000 != 0 ? kFineStampMarginNs : kCoarseStampMarginNs;
}

std::int64_t RealTimeNs() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

}  // namespace

// The file as last read: its text, its sections found once, and its stamp at the time.
struct TProfileReader::TSnapshot {
  std::string contents;
  TFileStamp stamp;
  std::int64_t readAt = 0;  // real time just before the read
  bool watched = false;     // the reader's watch was started just before the read
  // The body of the first section of each name, by its name with case folded.
  std::unordered_map<std::u32string, std::string_view> sections;

  TSnapshot(std::string text, const TFileStamp& fileStamp, std::int64_t readTime)
      : contents(std::move(text)), stamp(fileStamp), readAt(readTime) {
    Index();
  }
  TSnapshot(const TSnapshot&) = delete;  // `sections` points into `contents`
  TSnapshot& operator=(const TSnapshot&) = delete;

  // A stamp taken this close to the read may not tell a later change: the stamp alone cannot vouch
  // for the kept text then.
  bool StampIsRecent() const {
    return std::max(stamp.modified, stamp.changed) > readAt - StampMargin(stamp);
  }

 private:
  void Index() {
    const std::string_view text(contents);
    std::u32string open;  // the folded name of the section being collected; none before the first
    std::size_t bodyStart = 0;
    bool collecting = false;
    const auto close = [&](std::size_t end) {
      if (collecting) sections.emplace(std::move(open), text.substr(bodyStart, end - bodyStart));
      collecting = false;
    };
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
      const std::size_t newline = text.find('\n', lineStart);
      const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
      // Cut as a key's line is: one CR before the LF goes, other control characters stay.
      std::string_view line = text.substr(lineStart, (newline == std::string_view::npos ? text.size() : newline) - lineStart);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (const auto name = SectionName(TrimBlanks(line))) {
        close(lineStart);
        open = AnsiFoldedCase(TrimBlanks(*name));
        // Only the first section of a name counts: a later one of the same name is never read.
        collecting = sections.find(open) == sections.end();
        bodyStart = next;
      }
      lineStart = next;
    }
    close(text.size());
  }
};

namespace {

bool IsBlankLine(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\r') return false;
  }
  return true;
}

// `text` without the blank lines at its end; a last line without a line end keeps its text.
std::string WithoutTrailingBlankLines(std::string_view text) {
  while (!text.empty()) {
    std::size_t end = text.size();
    if (text[end - 1] == '\n') --end;
    const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    const std::size_t lineStart = (start == std::string_view::npos || end == 0) ? 0 : start + 1;
    if (!IsBlankLine(text.substr(lineStart, end - lineStart))) break;
    text = text.substr(0, lineStart);
  }
  return std::string(text);
}

// Appends a piece of file text as its own block, ending it with a line end when its last line has none.
void AppendBlock(std::string& out, std::string_view block) {
  if (block.empty()) return;
  if (!out.empty()) out += "\r\n";
  out += block;
  if (out.back() != '\n') out += "\r\n";
}

bool WriteAll(int fd, const std::string& text) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

// A new file beside `path`, created exclusively so that two saves never share one.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(++counter);
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Temporary files of earlier saves of `path` whose process is gone (killed between writing and
// renaming) or is this one (none of its saves is running now): "<name>.tmp.<pid>.<n>", regular files
// of ours. Another display's running save keeps its file.
void RemoveStaleTemporaries(const std::string& path) {
  const std::filesystem::path target(path);
  std::filesystem::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  const std::string prefix = target.filename().string() + ".tmp.";
  std::error_code error;
  for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = name.substr(prefix.size());
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || dot + 1 == rest.size()) continue;
    const std::string pidText = rest.substr(0, dot);
    const std::string counterText = rest.substr(dot + 1);
    auto allDigits = [](const std::string& s) { return s.find_first_not_of("0123456789") == std::string::npos; };
    if (!allDigits(pidText) || !allDigits(counterText) || pidText.size() > 9) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(pidText));
    const bool gone = pid != ::getpid() && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
    if (pid != ::getpid() && !gone) continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    ::unlink(it->path().c_str());
  }
}

void SyncDirectoryOf(const std::string& path) {
  std::filesystem::path dir = std::filesystem::path(path).parent_path();
  if (dir.empty()) dir = ".";
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename has happened; only its durability is at stake
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool ProfileNamesEqual(std::string_view a, std::string_view b) {
  return AnsiEqualIgnoringCase(TrimBlanks(a), TrimBlanks(b));
}

std::optional<int> ProfileTextToInt(std::string_view text) {
  if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::string dollar = "$";
    dollar += text.substr(2);
    return ProfileTextToInt(dollar);
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  if (text.front() == '$') {
    text.remove_prefix(1);
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t bits = 0;
    for (char c : text) {
      const int digit = HexDigitValue(c);
      if (digit < 0) return std::nullopt;
      bits = bits * 16 + static_cast<std::uint32_t>(digit);
    }
    if (negative) bits = 0u - bits;
    return static_cast<int>(bits);  // $FFFFFFFF is -1, as colour values are stored
  }
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > 2147483648LL) return std::nullopt;
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > 2147483647LL) return std::nullopt;
  return static_cast<int>(result);
}

TProfileText SplitProfileText(std::string_view contents) {
  TProfileText result;
  std::size_t pieceStart = 0;
  std::optional<std::string> pieceName;  // nullopt while in the preamble
  const auto closePiece = [&](std::size_t end) {
    std::string text = WithoutTrailingBlankLines(contents.substr(pieceStart, end - pieceStart));
    if (pieceName) {
      result.sections.push_back(TProfileSectionText{*pieceName, std::move(text)});
    } else {
      result.preamble = std::move(text);
    }
  };
  std::size_t lineStart = 0;
  while (lineStart < contents.size()) {
    const std::size_t newline = contents.find('\n', lineStart);
    const std::size_t next = newline == std::string_view::npos ? contents.size() : newline + 1;
    std::string_view line = contents.substr(lineStart, next - lineStart);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (const auto name = SectionName(TrimBlanks(line))) {
      closePiece(lineStart);
      pieceStart = lineStart;
      pieceName = std::string(*name);
    }
    lineStart = next;
  }
  closePiece(contents.size());
  return result;
}

TProfileReader::TProfileReader(std::string path) : path_(std::move(path)) {}
TProfileReader::~TProfileReader() = default;
TProfileReader::TProfileReader(TProfileReader&&) noexcept = default;
TProfileReader& TProfileReader::operator=(TProfileReader&&) noexcept = default;

void TProfileReader::Forget() const { snapshot_.reset(); }

void TProfileReader::UseFileWatches(std::shared_ptr<TFileWatchSource> source) {
  watch_.reset();
  snapshot_.reset();
  watches_ = std::move(source);
  watchesChosen_ = true;
}

bool TProfileReader::ArmWatch() const {
  if (!watchesChosen_ && !watches_) watches_ = SharedFileWatches();
  if (!watch_ && watches_) watch_ = watches_->Watch(path_);
  return watch_ && watch_->Arm();
}

const TProfileReader::TSnapshot* TProfileReader::Current() const {
  // The kept text serves while the file's stamp is unchanged and either the stamp is old enough to
  // vouch for it or the watch has seen nothing since the text was read.
  struct stat st {};
  const bool found = ::stat(path_.c_str(), &st) == 0;
  const int lookError = errno;
  const TFileStamp now = found ? TFileStamp::Of(st) : TFileStamp{};
  const bool sameStamp = snapshot_ && found && now == snapshot_->stamp;
  // An old stamp vouches alone and costs nothing more; the watch answers for a recent one.
  if (sameStamp && (!snapshot_->StampIsRecent() || (snapshot_->watched && watch_->Unchanged()))) {
    return snapshot_.get();
  }
  if (!found && (lookError == ENOENT || lookError == ENOTDIR)) {
    snapshot_.reset();  // no file: nothing to read, nothing to watch
    return nullptr;
  }
  const std::int64_t readAt = clock_ ? clock_() : RealTimeNs();
  // Before the read, so that whatever changes from here on is seen. Only a regular file can be
  // watched, and a file whose watch was refused is tried again only once it has changed.
  const bool retry = !(sameStamp && !snapshot_->watched);
  const bool watched = found && S_ISREG(st.st_mode) && retry && ArmWatch();
  std::string contents;
  std::string errorText;
  if (!ReadWholeFile(path_, contents, errorText, st)) {
    snapshot_.reset();
    if (!errorText.empty() && onReadFailure_) onReadFailure_("Unable to read " + path_ + ": " + errorText);
    return nullptr;
  }
  const TFileStamp stamp = TFileStamp::Of(st);
  if (snapshot_ && snapshot_->contents == contents) {
    // The same text: its sections stand; the stamp may be old enough to vouch for it from now on.
    snapshot_->stamp = stamp;
    snapshot_->readAt = readAt;
  } else {
    snapshot_ = std::make_unique<TSnapshot>(std::move(contents), stamp, readAt);
  }
  snapshot_->watched = watched;
  return snapshot_.get();
}

std::optional<std::string> TProfileReader::ReadValue(std::string_view section, std::string_view key) const {
  const TSnapshot* file = Current();
  if (file == nullptr) return std::nullopt;
  const auto found = file->sections.find(AnsiFoldedCase(TrimBlanks(section)));
  if (found == file->sections.end()) return std::nullopt;
  return FindKey(found->second, key);
}

std::string TProfileReader::ReadString(std::string_view section, std::string_view key,
                                       const std::string& defaultValue) const {
  std::optional<std::string> value = ReadValue(section, key);
  return value ? std::move(*value) : defaultValue;
}

int TProfileReader::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const std::optional<std::string> value = ReadValue(section, key);
  if (!value) return defaultValue;
  return ProfileTextToInt(*value).value_or(defaultValue);
}

bool TProfileReader::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TProfileReader::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
  const std::optional<std::string> value = ReadValue(section, key);
  double result = defaultValue;
  if (value && !value->empty() && TextToFloat(*value, result)) return result;
  return defaultValue;
}

TProfileText TProfileReader::ReadText() const {
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    throw std::runtime_error("Unable to read " + path_);
  }
  std::string contents;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      throw std::runtime_error("Unable to read " + path_);
    }
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return SplitProfileText(contents);
}

bool TProfileWriter::IsWritableName(std::string_view name) {
  for (char c : name) {
    if (c == '\r' || c == '\n' || c == '=' || c == '\0') return false;
  }
  // A key that starts with "[" would read back as a section line.
  const std::string_view trimmed = TrimBlanks(name);
  return trimmed.empty() || trimmed.front() != '[';
}

bool TProfileWriter::IsWritableValue(std::string_view value) {
  for (char c : value) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
  }
  return true;
}

void TProfileWriter::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // A section name may begin with "[" (its own line starts with "[[" and reads back); a key may not.
  const bool sectionOk = section.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
  if (!sectionOk || !IsWritableName(key) || !IsWritableValue(value)) {
    throw std::invalid_argument("Profile name or value does not fit on one line");
  }
  TSection* target = nullptr;
  for (TSection& existing : sections_) {
    if (ProfileNamesEqual(existing.name, section)) {
      target = &existing;
      break;
    }
  }
  if (target == nullptr) {
    sections_.push_back(TSection{std::string(section), {}});
    target = &sections_.back();
  }
  for (auto& [name, text] : target->values) {
    if (ProfileNamesEqual(name, key)) {
      text = value;
      return;
    }
  }
  target->values.emplace_back(std::string(key), std::string(value));
}

void TProfileWriter::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TProfileWriter::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TProfileWriter::WriteFloat(std::string_view section, std::string_view key, double value) {
  WriteString(section, key, FloatToText(value));
}

std::string TProfileWriter::Text() const {
  std::string text;
  AppendBlock(text, preamble_);
  for (const TSection& section : sections_) {
    std::string block = "[" + section.name + "]\r\n";
    for (const auto& [name, value] : section.values) block += name + "=" + value + "\r\n";
    AppendBlock(text, block);
  }
  for (const std::string& kept : kept_) AppendBlock(text, kept);
  return text;
}

void TProfileWriter::Commit() const {
  const std::runtime_error failure("Unable to write to " + path_);
  const std::string text = Text();
  // A file that is a symbolic link (a settings file shared by several copies) stays one: the file it
  // leads to is replaced, as it is what reads of the path read. A link that leads nowhere is replaced.
  std::error_code unresolved;
  const std::filesystem::path resolved = std::filesystem::canonical(path_, unresolved);
  const std::string target = unresolved ? path_ : resolved.string();
  RemoveStaleTemporaries(target);
  std::string temporaryPath;
  const int fd = CreateTemporaryBeside(target, temporaryPath);
  if (fd < 0) throw failure;
  // Keep the old file's permissions: a file the user restricted stays restricted.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temporaryPath.c_str(), target.c_str()) != 0) {
    ::unlink(temporaryPath.c_str());
    throw failure;
  }
  SyncDirectoryOf(target);
}

}  // namespace orlex
