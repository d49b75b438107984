#include "app/OrlexApplication.h"

#include "app/core/ExceptionHook.h"

TOrlexApplication::TOrlexApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TOrlexApplication::notify(QObject* receiver, QEvent* event) {
  return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}
