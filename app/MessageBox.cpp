#include "app/MessageBox.h"

#include <QMessageBox>

namespace orlex::app {

void ShowMessageBox(const QString& text, QWidget* parent) {
  QMessageBox box(QMessageBox::NoIcon, "Orlex Gauges", text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace orlex::app
