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

}  // namespace orlex::app
