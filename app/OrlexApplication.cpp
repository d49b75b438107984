#include "app/OrlexApplication.h"

#include "app/core/ExceptionHook.h"

namespace orlex::app {

TOrlexApplication::TOrlexApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TOrlexApplication::notify(QObject* receiver, QEvent* event) {
  return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}

}  // namespace orlex::app
