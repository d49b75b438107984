#include "app/core/PidWindowLayout.h"

#include "app/core/SettingsSource.h"

namespace orlex::app {

TCascadePlacement CascadeStep(bool first, int lastTop, int cascadeLeft, int width, int height, int screenWidth,
                              int screenHeight) {
  TCascadePlacement at;
  if (first) {
    at.CascadeLeft = 0;
    at.Left = 0;
    at.Top = 0;
  } else {
    at.CascadeLeft = cascadeLeft;
    at.Left = cascadeLeft;
    at.Top = lastTop + height;
  }
  if (at.Left + width >= screenWidth) {
    at.Top = 0;
    at.Left = 0;
    at.CascadeLeft = 0;
  }
  if (at.Top + height >= screenHeight) {
    at.Top = 0;
    at.CascadeLeft += width;
    at.Left = at.CascadeLeft;
  }
  // Past the right edge the window goes back to the left; the next one restarts the cascade there.
  if (at.Left + width >= screenWidth) at.Left = 0;
  return at;
}

TPidWindowSettings ReadPidWindowSettings(const TSettingsSource& source, const std::string& key) {
  TPidWindowSettings s;
  s.Top = source.ReadInteger(key, "Top", -1);
  s.Left = source.ReadInteger(key, "Left", -1);
  s.Width = source.ReadInteger(key, "Width", -1);
  s.Height = source.ReadInteger(key, "Height", -1);
  s.Threshold = source.ReadFloat(key, "Threshhold", -1.0);
  s.GoodColor = source.ReadInteger(key, "GoodColor", 16777215);
  s.BadColor = source.ReadInteger(key, "BadColor", 16777215);
  s.CheckingEnabled = source.ReadBool(key, "CEnabled", false);
  s.FontColor = source.ReadInteger(key, "FontColor", 0);
  s.FontSize = source.ReadInteger(key, "FontSize", 15);
  s.FontName = source.ReadString(key, "FontName", "Arial");
  return s;
}

}  // namespace orlex::app
