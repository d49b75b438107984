#include "platform/ProcessEnd.h"

#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace orlex {

namespace {
std::function<void()>& Interceptor() {
  static std::function<void()> interceptor;
  return interceptor;
}
}  // namespace

void EndProcess() {
  if (auto& hook = Interceptor()) {
    hook();
  }
  _exit(0);
}

void SetEndProcessInterceptor(std::function<void()> interceptor) { Interceptor() = std::move(interceptor); }

}  // namespace orlex
