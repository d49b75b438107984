#include "app/KeyboardContextMenu.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QShortcut>
#include <QWidget>

namespace orlex::app {

void AddKeyboardContextMenu(QWidget* widget) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), widget);
  shortcut->setContext(Qt::WidgetWithChildrenShortcut);
  QObject::connect(shortcut, &QShortcut::activated, widget, [widget] {
    const QPoint pos = widget->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, pos, widget->mapToGlobal(pos));
    QCoreApplication::sendEvent(widget, &event);
  });
}

}  // namespace orlex::app
