#include "platform/ProcessEnd.h"

#include <unistd.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace orlex {

namespace {
std::function<void()>& Interceptor() {
  static std::function<void()> interceptor;
  return interceptor;
}

std::vector<const TProcessEndHook*>& Hooks() {
  static std::vector<const TProcessEndHook*> hooks;
  return hooks;
}
}  // namespace

void EndProcess() {
  if (auto& hook = Interceptor()) {
    hook();
  }
  const auto& hooks = Hooks();
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) (*it)->Run();
  _exit(0);
}

void SetEndProcessInterceptor(std::function<void()> interceptor) { Interceptor() = std::move(interceptor); }

TProcessEndHook::TProcessEndHook(std::function<void()> work) : work_(std::move(work)) { Hooks().push_back(this); }

TProcessEndHook::~TProcessEndHook() { std::erase(Hooks(), this); }

}  // namespace orlex
