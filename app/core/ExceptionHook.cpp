#include "app/core/ExceptionHook.h"

#include <cstdio>
#include <utility>

namespace orlex::app {

namespace {

TExceptionHook& Hook() {
  static TExceptionHook hook;
  return hook;
}

void Report(const std::exception& error) {
  if (const TExceptionHook& hook = Hook()) {
    // The hook itself must not bring the program down: it runs where nothing else would catch.
    try {
      hook(error);
    } catch (...) {
    }
  } else {
    std::fprintf(stderr, "%s\n", error.what());
  }
}

}  // namespace

void SetApplicationExceptionHook(TExceptionHook hook) { Hook() = std::move(hook); }

bool DeliverGuarded(const std::function<bool()>& deliver) {
  try {
    return deliver();
  } catch (const EAbort&) {
  } catch (const std::exception& error) {
    Report(error);
  } catch (...) {
    Report(std::runtime_error("Unknown error"));
  }
  return false;
}

}  // namespace orlex::app
