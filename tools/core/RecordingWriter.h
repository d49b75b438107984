#pragma once

// Writes a recording in the background, so the relay never waits for the disk. Bytes handed over are
// written in order by a thread of its own, at least every 0.1 s. When a write fails (a full disk), the failure is reported
// once, through the function given, and everything from then on is dropped: the file keeps the records
// written before, which a reader takes up to the last complete one. So does a writer that falls more
// than `maxPending` bytes behind.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace orlex::recording {

class TRecordingWriter {
 public:
  using TReport = std::function<void(const std::string& problem)>;

  static constexpr size_t kDefaultMaxPending = 256 * 1024 * 1024;

  // Takes `fd` over (closed by Finish). `report` is called at most once, on the writer's thread.
  TRecordingWriter(int fd, TReport report, size_t maxPending = kDefaultMaxPending);
  ~TRecordingWriter();  // Finish()
  TRecordingWriter(const TRecordingWriter&) = delete;
  TRecordingWriter& operator=(const TRecordingWriter&) = delete;

  // Queues `bytes` (left empty) for the file; never waits for the disk.
  void Push(std::string& bytes);
  // Writes what is queued, stops the thread and closes the file. False when anything was lost.
  bool Finish();
  bool Failed() const;

 private:
  void Run();

  int fd_;
  TReport report_;
  size_t maxPending_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::string pending_;
  bool stopping_ = false;
  bool failed_ = false;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace orlex::recording
