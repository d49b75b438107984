#pragma once

// A fresh directory under /tmp, removed with everything in it at the end of the test. Short on
// purpose: socket paths must fit in 108 bytes.

#include <stdlib.h>

#include <filesystem>
#include <string>

class TTempDir {
 public:
  TTempDir() {
    char pattern[] = "/tmp/orlex-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
