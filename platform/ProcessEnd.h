#pragma once

#include <functional>

namespace orlex {

// Ends the process at once with exit code 0: nothing saved, nothing flushed.
// Tests install an interceptor so the calling path can be checked without dying.
[[noreturn]] void EndProcess();

// The interceptor must not return (it throws, typically). Passing an empty function restores _exit(0).
void SetEndProcessInterceptor(std::function<void()> interceptor);

// Work that must still happen when the process ends at once, such as removing a file others look for.
// Runs in EndProcess (newest first, after the interceptor, so an intercepted end runs none); it is
// withdrawn when the hook is destroyed. Keep it short and free of anything that may block.
class TProcessEndHook {
 public:
  explicit TProcessEndHook(std::function<void()> work);
  ~TProcessEndHook();
  TProcessEndHook(const TProcessEndHook&) = delete;
  TProcessEndHook& operator=(const TProcessEndHook&) = delete;

  void Run() const { work_(); }

 private:
  std::function<void()> work_;
};

}  // namespace orlex
