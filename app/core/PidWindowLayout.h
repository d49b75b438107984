#pragma once

#include <string>

#include "app/core/PidWindowBase.h"

namespace orlex::app {

class TSettingsSource;

// Where the next PID window of an INIT packet goes: windows are stacked downward from the screen's
// top-left corner, a new column starting one window width to the right when the next would reach the
// bottom edge. Sizes are outer sizes.
struct TCascadePlacement {
  int Left = 0;
  int Top = 0;
  int CascadeLeft = 0;  // the cascade's column after this window
};

// `first`: no window has been cascaded since the restart (lastTop and cascadeLeft then do not matter).
TCascadePlacement CascadeStep(bool first, int lastTop, int cascadeLeft, int width, int height, int screenWidth,
                              int screenHeight);

// The PID window settings saved under `key`, every missing or unconvertible one at its default:
// geometry -1 (left as it is), threshold -1.0, white good and bad colours, checking off, black
// Arial 15 pt.
TPidWindowSettings ReadPidWindowSettings(const TSettingsSource& source, const std::string& key);

// The desktop the windows live on (all screens together), in screen pixels.
struct TDesktopArea {
  int Left = 0;
  int Top = 0;
  int Width = 1024;
  int Height = 768;
};

// Settings read from the file, made fit for the desktop before they are used (the file is edited by
// hand): a size at most the desktop's, a position that leaves at least a corner of the window on it,
// a font size from 1 point to the desktop's height. Negative positions and sizes still mean "leave as
// it is"; a negative font size becomes 1 point.
void FitToDesktop(TPidWindowSettings& settings, const TDesktopArea& desktop);

}  // namespace orlex::app
