#include "app/PidWindowAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

#include "app/pidwindow.h"
#include "grid/CellGridAccessible.h"

namespace orlex::app {

namespace {

// The value label. Its widget name holds the PID's description (a label with a name of its own skips
// the update Qt would otherwise raise at every one of its many text changes); the interface reads the
// value itself as the name and gives the description as such.
class TPidValueAccessible : public QAccessibleWidget {
 public:
  explicit TPidValueAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text t) const override {
    const auto* window = qobject_cast<const TPidWnd*>(widget()->parentWidget());
    if (t == QAccessible::Name || t == QAccessible::Value) {
      return window ? window->ValueText() : static_cast<const QLabel*>(widget())->text();
    }
    if (t == QAccessible::Description) return widget()->accessibleName();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* CreatePidValueInterface(const QString& className, QObject* object) {
  // The window itself: a window (a plain widget would be a filler), named by its caption.
  if (className == QLatin1String(TPidWnd::staticMetaObject.className())) return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  if (className != QLatin1String("QLabel") || object->objectName() != QLatin1String("value")) return nullptr;
  auto* label = static_cast<QLabel*>(object);
  if (!qobject_cast<TPidWnd*>(label->parentWidget())) return nullptr;
  return new TPidValueAccessible(label);
}

}  // namespace

void InstallPidWindowAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(CreatePidValueInterface);
    return true;
  }();
  (void)installed;
}

void NotifyPidValueChanged(QLabel* value) {
  if (!orlex::grid::AccessibilityListening()) return;
  QAccessibleEvent event(value, QAccessible::NameChanged);
  orlex::grid::SendAccessibleEvent(event);
}

}  // namespace orlex::app
