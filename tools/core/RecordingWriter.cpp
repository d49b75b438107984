#include "tools/core/RecordingWriter.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace orlex::recording {

namespace {

// The thread writes when this much is waiting or the interval has passed, not for every push: waking
// it per frame would cost the relay a thread switch per frame.
constexpr size_t kWakeBytes = 64 * 1024;
constexpr auto kWriteInterval = std::chrono::milliseconds(100);

}  // namespace

TRecordingWriter::TRecordingWriter(int fd, TReport report, size_t maxPending)
    : fd_(fd), report_(std::move(report)), maxPending_(maxPending), thread_([this] { Run(); }) {}

TRecordingWriter::~TRecordingWriter() { Finish(); }

void TRecordingWriter::Push(std::string& bytes) {
  bool tooFar = false;
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    if (failed_ || stopping_) {
      bytes.clear();
      return;
    }
    if (pending_.size() + bytes.size() > maxPending_) {
      failed_ = true;
      tooFar = true;
    } else {
      pending_.append(bytes);
      wake = pending_.size() >= kWakeBytes;
    }
  }
  bytes.clear();
  if (tooFar) {
    report_("the disk does not keep up with the Feed; recording stops here");
    return;
  }
  if (wake) wake_.notify_one();
}

void TRecordingWriter::Run() {
  std::string writing;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      wake_.wait_for(lock, kWriteInterval, [this] { return stopping_ || pending_.size() >= kWakeBytes; });
      if (pending_.empty()) {
        if (stopping_) return;
        continue;
      }
      writing.clear();
      writing.swap(pending_);
      if (failed_) continue;  // dropped
    }
    size_t done = 0;
    while (done < writing.size()) {
      const ssize_t n = ::write(fd_, writing.data() + done, writing.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const std::string reason = n < 0 ? std::strerror(errno) : "nothing written";
        bool first = false;
        {
          std::lock_guard lock(mutex_);
          first = !failed_;
          failed_ = true;
          pending_.clear();
        }
        if (first) report_(reason);
        break;
      }
      done += static_cast<size_t>(n);
    }
  }
}

bool TRecordingWriter::Finish() {
  {
    std::lock_guard lock(mutex_);
    if (finished_) return !failed_;
    finished_ = true;
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
  if (fd_ >= 0 && ::close(fd_) != 0) {
    const std::string reason = std::strerror(errno);  // a full disk can show only at close on some filesystems
    bool first = false;
    {
      std::lock_guard lock(mutex_);
      first = !failed_;
      failed_ = true;
    }
    if (first) report_(reason);
  }
  fd_ = -1;
  return !Failed();
}

bool TRecordingWriter::Failed() const {
  std::lock_guard lock(mutex_);
  return failed_;
}

}  // namespace orlex::recording
