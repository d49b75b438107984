#pragma once

#include <functional>
#include <stdexcept>

namespace orlex::app {

// The silent abort: thrown to leave a handler quietly; the exception hook drops it without a log entry.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// The application-wide handler for errors that escape an event or message handler. The main window
// installs its AppException here at creation; until then such errors go to standard error.
using TExceptionHook = std::function<void(const std::exception&)>;
void SetApplicationExceptionHook(TExceptionHook hook);

// Runs one event delivery. An error escaping it goes to the hook and the delivery counts as not
// handled (false); the program carries on with the next event.
bool DeliverGuarded(const std::function<bool()>& deliver);

}  // namespace orlex::app
