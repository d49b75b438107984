#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace orlex::app {

namespace {

int pipeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnTerminationSignal(int signalNumber) {
  const int savedErrno = errno;
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  // A full pipe already holds a pending close request; losing this byte loses nothing.
  [[maybe_unused]] const ssize_t written = write(pipeFds[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
  if (pipeFds[0] >= 0) return;  // one bridge per process
  if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    pipeFds[0] = pipeFds[1] = -1;
    return;
  }
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TTerminationSignals::OnReadable);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) sigaction(s, &action, nullptr);
}

TTerminationSignals::~TTerminationSignals() {
  if (notifier_ == nullptr) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int s : kSignals) sigaction(s, &action, nullptr);
  delete notifier_;
  notifier_ = nullptr;
  close(pipeFds[0]);
  close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

void TTerminationSignals::OnReadable() {
  unsigned char bytes[64];
  const ssize_t n = read(pipeFds[0], bytes, sizeof bytes);
  if (n > 0) emit Received(bytes[n - 1]);
}

}  // namespace orlex::app
