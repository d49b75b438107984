#pragma once

// What a screen reader learns from a PID window: the window is named by its PID's description (its
// caption), and its value label reads out the current value, described by the PID's description.

class QLabel;

namespace orlex::app {

// Installs the factory that gives PID windows' value labels their interface (once per process).
void InstallPidWindowAccessibility();

// Tells a listening screen reader that the value label shows a new value; costs a flag test while
// none listens.
void NotifyPidValueChanged(QLabel* value);

}  // namespace orlex::app
