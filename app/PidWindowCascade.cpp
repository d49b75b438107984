#include "app/PidWindowCascade.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/core/PidRegistry.h"
#include "app/core/PidWindowLayout.h"
#include "app/pidwindow.h"

namespace orlex::app {

void TPidWindowCascade::CascadePidWindow(const PidRecord& pid) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  CascadePidWindow(pid, screen != nullptr ? screen->geometry().size() : QSize(1024, 768));
}

void TPidWindowCascade::CascadePidWindow(const PidRecord& pid, const QSize& screen) {
  auto* window = dynamic_cast<TPidWnd*>(pid.Window.get());
  if (window == nullptr) return;
  const QRect outer = window->OuterGeometry();
  const bool first = LastCascadedWindow.isNull();
  const int lastTop = first ? 0 : LastCascadedWindow->frameGeometry().top();
  const TCascadePlacement at =
      CascadeStep(first, lastTop, CascadeLeft, outer.width(), outer.height(), screen.width(), screen.height());
  window->move(at.Left, at.Top);
  CascadeLeft = at.CascadeLeft;
  LastCascadedWindow = window;
  window->SetTexts(pid.Description, pid.Value);
}

void LoadPidWindowSettings(const TSettingsSource* settings, const PidRecord& pid, QWidget* mainWindow) {
  auto* window = dynamic_cast<TPidWnd*>(pid.Window.get());
  if (settings == nullptr || window == nullptr) return;
  const TPidWindowSettings s = ReadPidWindowSettings(*settings, pid.Key);
  window->Setup(pid.Description, "--", s.Top, s.Left, mainWindow, s.Threshold, s.GoodColor, s.BadColor,
                s.CheckingEnabled, s.FontSize, s.FontColor, s.FontName, s.Width, s.Height);
}

}  // namespace orlex::app
