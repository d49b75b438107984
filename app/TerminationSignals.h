#pragma once

#include <QObject>

class QSocketNotifier;

namespace orlex::app {

// SIGTERM, SIGINT and SIGHUP (end of session, Ctrl+C, a closed terminal) as a Qt signal on the main
// thread: the C handler only writes a byte into a pipe, the event loop reads it. The main window
// closes through its usual path, so the settings are saved.
class TTerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TTerminationSignals(QObject* parent = nullptr);
  ~TTerminationSignals() override;

  bool Installed() const { return notifier_ != nullptr; }

 signals:
  void Received(int signalNumber);

 private:
  void OnReadable();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace orlex::app
