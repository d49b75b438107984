#pragma once

#include <clocale>
#include <string>

// Switches LC_ALL for the life of the guard. `Active()` says whether the locale exists on this machine.
class TLocaleGuard {
 public:
  explicit TLocaleGuard(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~TLocaleGuard() { std::setlocale(LC_ALL, previous_.c_str()); }
  TLocaleGuard(const TLocaleGuard&) = delete;
  TLocaleGuard& operator=(const TLocaleGuard&) = delete;
  bool Active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};
