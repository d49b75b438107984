#pragma once

#include <functional>

namespace orlex {

// Ends the process at once with exit code 0: nothing saved, nothing flushed.
// Tests install an interceptor so the calling path can be checked without dying.
[[noreturn]] void EndProcess();

// The interceptor must not return (it throws, typically). Passing an empty function restores _exit(0).
void SetEndProcessInterceptor(std::function<void()> interceptor);

}  // namespace orlex
