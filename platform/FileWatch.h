#pragma once

// Knowing, without reading it, that a file is as it was: the kernel notes a change to a watched file,
// or to its name in its directory, before the call that made the change returns. A reader that
// starts the watch before it reads the file therefore knows exactly whether what it read still holds.

#include <memory>
#include <string>

namespace orlex {

// One file, watched for one reader.
class TFileWatch {
 public:
  virtual ~TFileWatch() = default;

  // Starts watching the file the path names now, anew; to be called just before the file is read.
  // False when that file cannot be watched reliably (no such file, a symbolic link, a file system where
  // changes can come from elsewhere without notice, no watch to be had): Unchanged() then says nothing.
  virtual bool Arm() = 0;

  // True when neither the file nor its name in its directory has changed since the last Arm() that
  // succeeded. A change through a shared mapping of the file is no change here, nor is a change to a
  // directory further up that leads the path elsewhere: the caller checks that the path still leads to
  // the same file (device and inode; the watch keeps that inode, so its number is not given to another).
  virtual bool Unchanged() = 0;
};

class TFileWatchSource {
 public:
  virtual ~TFileWatchSource() = default;
  // nullptr when this source has no watches to give at all.
  virtual std::unique_ptr<TFileWatch> Watch(const std::string& path) = 0;
};

// The process's one inotify descriptor, shared by every reader and kept for the life of the process;
// each watch is released when the last reader of its file lets go of it.
std::shared_ptr<TFileWatchSource> SharedFileWatches();

}  // namespace orlex
