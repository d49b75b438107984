#include "app/core/PidWindowLayout.h"

#include "app/core/SettingsSource.h"
#include "grid/core/GridColor.h"
#include "platform/ScreenUnits.h"

#include <algorithm>

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
  s.GoodColor = source.ReadInteger(key, "GoodColor", grid::ColorToInt(grid::clWhite));
  s.BadColor = source.ReadInteger(key, "BadColor", grid::ColorToInt(grid::clWhite));
  s.CheckingEnabled = source.ReadBool(key, "CEnabled", false);
  s.FontColor = source.ReadInteger(key, "FontColor", 0);
  s.FontSize = source.ReadInteger(key, "FontSize", 15);
  s.FontName = source.ReadString(key, "FontName", "Arial");
  return s;
}

void FitToDesktop(TPidWindowSettings& settings, const TDesktopArea& desktop) {
  // How much of a window stays on the desktop at the least, so it can still be grabbed.
  constexpr int kVisibleCorner = 40;
  const int right = desktop.Left + std::max(desktop.Width, 1);
  const int bottom = desktop.Top + std::max(desktop.Height, 1);
  if (settings.Width >= 0) settings.Width = std::min(settings.Width, std::max(desktop.Width, 1));
  if (settings.Height >= 0) settings.Height = std::min(settings.Height, std::max(desktop.Height, 1));
  if (settings.Left >= 0) settings.Left = std::min(settings.Left, std::max(0, right - kVisibleCorner));
  if (settings.Top >= 0) settings.Top = std::min(settings.Top, std::max(0, bottom - kVisibleCorner));
  // Points at 96 dots per inch: a font as tall as the desktop is the most that can show.
  const int maxPoints = std::max(1, desktop.Height * orlex::kPointsPerInch / orlex::kScreenDotsPerInch);
  settings.FontSize = std::clamp(settings.FontSize, 1, maxPoints);
}

}  // namespace orlex::app
