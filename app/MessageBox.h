#pragma once

#include <QString>

class QWidget;

namespace orlex::app {

// The application's message box: its name as the title, the text and one OK button, without an icon;
// returns when the user closes it.
void ShowMessageBox(const QString& text, QWidget* parent = nullptr);

}  // namespace orlex::app
