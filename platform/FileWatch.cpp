#include "platform/FileWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orlex {

namespace {

// What happens to the file itself, and what happens to its name (or to the directory) in its directory.
constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;
constexpr std::uint32_t kDirectoryEvents =
    IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;

// File systems whose every change passes through this kernel, so that each one raises its event.
// Network file systems (changes made by other machines), FUSE (by its daemon) and overlays (by writers
// to the layers below) are not among them.
bool ChangesAreAllSeenHere(const std::string& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) return false;
  switch (static_cast<std::uint32_t>(info.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
    case 0xF2F52010:  // f2fs
    case 0x3153464A:  // jfs
    case 0x52654973:  // reiserfs
    case 0xCA451A4E:  // bcachefs
    case 0x4D44:      // vfat
    case 0x2011BAB0:  // exfat
    case 0x7366746E:  // ntfs3
      return true;
    default:
      return false;
  }
}

class TInotifyFileWatch;

class TInotifyWatches final : public TFileWatchSource, public std::enable_shared_from_this<TInotifyWatches> {
 public:
  TInotifyWatches() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~TInotifyWatches() override {
    if (fd_ >= 0) ::close(fd_);
  }
  TInotifyWatches(const TInotifyWatches&) = delete;
  TInotifyWatches& operator=(const TInotifyWatches&) = delete;

  std::unique_ptr<TFileWatch> Watch(const std::string& path) override;

  std::mutex& Mutex() { return mutex_; }
  // Hands every event queued so far to the watches it concerns. Callers hold the mutex.
  void Drain();
  // The kernel's watch of `path` for `watcher`; -1 when none can be had. Callers hold the mutex.
  int Add(const std::string& path, std::uint32_t mask, TInotifyFileWatch* watcher);
  // `watcher` no longer needs `wd`; the kernel's watch goes with its last user. Callers hold the mutex.
  void Release(int wd, TInotifyFileWatch* watcher);

 private:
  void Deliver(const struct inotify_event& event);

  int fd_;
  std::mutex mutex_;
  std::unordered_map<int, std::vector<TInotifyFileWatch*>> watchers_;  // by watch descriptor
};

class TInotifyFileWatch final : public TFileWatch {
 public:
  TInotifyFileWatch(std::shared_ptr<TInotifyWatches> source, std::string path)
      : source_(std::move(source)), path_(std::move(path)) {
    const std::filesystem::path file(path_);
    std::filesystem::path directory = file.parent_path();
    if (directory.empty()) directory = ".";
    directory_ = directory.string();
    name_ = file.filename().string();
  }
  ~TInotifyFileWatch() override {
    const std::lock_guard lock(source_->Mutex());
    ReleaseAll();
  }
  TInotifyFileWatch(const TInotifyFileWatch&) = delete;
  TInotifyFileWatch& operator=(const TInotifyFileWatch&) = delete;

  bool Arm() override {
    const std::lock_guard lock(source_->Mutex());
    source_->Drain();  // what happened before now is answered by the read that follows
    unchanged_ = true;
    if (!ChangesAreAllSeenHere(directory_)) return Refuse();
    // The directory first: from here on the name cannot lead to another file unseen, so the file
    // watch added next is on the file that the read after this finds.
    Replace(directoryWd_, source_->Add(directory_, kDirectoryEvents | IN_ONLYDIR, this));
    if (directoryWd_ < 0) return Refuse();
    Replace(fileWd_, source_->Add(path_, kFileEvents | IN_DONT_FOLLOW, this));
    if (fileWd_ < 0) return Refuse();
    // Looked at once watched, so that what is found here is what is watched: a link's own watch would
    // miss changes to the file it leads to.
    struct stat file {};
    if (::lstat(path_.c_str(), &file) != 0 || !S_ISREG(file.st_mode) || !ChangesAreAllSeenHere(path_)) {
      return Refuse();
    }
    return true;
  }

  bool Unchanged() override {
    const std::lock_guard lock(source_->Mutex());
    source_->Drain();
    return unchanged_ && fileWd_ >= 0 && directoryWd_ >= 0;
  }

  // An event on `wd`: one of this watch's, or the queue overflowed (wd -1). `name` is the entry's
  // name for events inside the directory.
  void Notice(int wd, std::string_view name) {
    if (wd == directoryWd_ && !name.empty() && name != name_) return;  // another file of the directory
    unchanged_ = false;
  }
  // The kernel dropped `wd` (its file or directory is gone, or its file system unmounted).
  void Dropped(int wd) {
    unchanged_ = false;
    if (wd == fileWd_) fileWd_ = -1;
    if (wd == directoryWd_) directoryWd_ = -1;
  }

 private:
  bool Refuse() {
    unchanged_ = false;
    ReleaseAll();
    return false;
  }
  void ReleaseAll() {
    Replace(fileWd_, -1);
    Replace(directoryWd_, -1);
  }
  // Keeps `wd` in `slot`, letting go of what the slot held before when that was another watch.
  void Replace(int& slot, int wd) {
    if (slot >= 0 && slot != wd) source_->Release(slot, this);
    slot = wd;
  }

  std::shared_ptr<TInotifyWatches> source_;
  std::string path_;
  std::string directory_;
  std::string name_;
  int fileWd_ = -1;
  int directoryWd_ = -1;
  bool unchanged_ = false;
};

std::unique_ptr<TFileWatch> TInotifyWatches::Watch(const std::string& path) {
  if (fd_ < 0) return nullptr;
  return std::make_unique<TInotifyFileWatch>(shared_from_this(), path);
}

int TInotifyWatches::Add(const std::string& path, std::uint32_t mask, TInotifyFileWatch* watcher) {
  const int wd = ::inotify_add_watch(fd_, path.c_str(), mask);
  if (wd < 0) return -1;
  std::vector<TInotifyFileWatch*>& users = watchers_[wd];
  if (std::find(users.begin(), users.end(), watcher) == users.end()) users.push_back(watcher);
  return wd;
}

void TInotifyWatches::Release(int wd, TInotifyFileWatch* watcher) {
  const auto found = watchers_.find(wd);
  if (found == watchers_.end()) return;  // the kernel dropped it already
  std::vector<TInotifyFileWatch*>& users = found->second;
  users.erase(std::remove(users.begin(), users.end(), watcher), users.end());
  if (!users.empty()) return;
  ::inotify_rm_watch(fd_, wd);
  watchers_.erase(found);
}

void TInotifyWatches::Deliver(const struct inotify_event& event) {
  if ((event.mask & IN_Q_OVERFLOW) != 0) {
    // Events were lost: nothing can be vouched for.
    for (auto& [wd, users] : watchers_) {
      for (TInotifyFileWatch* user : users) user->Notice(-1, {});
    }
    return;
  }
  const auto found = watchers_.find(event.wd);
  if (found == watchers_.end()) return;  // released since
  if ((event.mask & IN_IGNORED) != 0) {
    for (TInotifyFileWatch* user : found->second) user->Dropped(event.wd);
    watchers_.erase(found);
    return;
  }
  const std::string_view name = event.len > 0 ? std::string_view(event.name) : std::string_view();
  for (TInotifyFileWatch* user : found->second) user->Notice(event.wd, name);
}

void TInotifyWatches::Drain() {
  alignas(struct inotify_event) char buffer[16 * (sizeof(struct inotify_event) + NAME_MAX + 1)];
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno != EAGAIN) {
      // What was queued cannot be known: vouch for nothing.
      struct inotify_event lost {};
      lost.wd = -1;
      lost.mask = IN_Q_OVERFLOW;
      Deliver(lost);
    }
    if (got <= 0) return;  // EAGAIN: the queue is empty
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
      Deliver(*event);
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
    }
  }
}

}  // namespace

std::shared_ptr<TFileWatchSource> SharedFileWatches() {
  // Made on first use and kept: closing a descriptor that has held watches waits for the kernel to
  // retire them, some 15 ms, which every INIT packet's new reader would otherwise pay.
  static const std::shared_ptr<TInotifyWatches> shared = std::make_shared<TInotifyWatches>();
  return shared;
}

}  // namespace orlex
