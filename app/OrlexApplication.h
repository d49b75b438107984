#pragma once

#include <QApplication>

namespace orlex::app {

// The application object. Every event passes through notify(), so errors that escape any widget,
// timer, socket or menu handler end up at the application's exception hook instead of ending the
// process.
class TOrlexApplication : public QApplication {
  Q_OBJECT

 public:
  TOrlexApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace orlex::app
