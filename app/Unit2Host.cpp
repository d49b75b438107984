// The main window's side of packet handling: message dispatch and the operations INIT processing and
// PID packets call, delegated to the slot layout, the settings file and the PID windows.
#include "app/core/FeedIntake.h"
#include "app/core/SlotLayout.h"
#include "app/pidwindow.h"
#include "app/Unit2.h"
#include "grid/CellGrid.h"
#include "platform/FeedFrame.h"
#include "platform/WindowFrame.h"

namespace orlex::app {

// Every Feed message goes through the one dispatch of the intake; the handlers below are its entries
// by name, for the main window's own callers.
std::int32_t TForm2::FeedMessage(std::uint32_t msg, std::uint32_t data, const std::string& text) {
  // The measuring query reads the grid, which the window-free dispatch does not know.
  if (msg == orlex::kMsgPaintCount) return static_cast<std::int32_t>(pidgrid->PaintPassNumber() & 0x7FFFFFFFu);
  return DispatchFeedMessage(table_, *this, msg, data, text);
}

std::int32_t TForm2::WMCopyData(std::uint32_t kind, const std::string& text) {
  return app::WMCopyData(table_, *this, kind, text);
}

void TForm2::WMHideAllPids() { FeedMessage(orlex::kMsgHideAll, 0, {}); }

void TForm2::WMDisableChecking() { FeedMessage(orlex::kMsgDisableChecking, 0, {}); }

void TForm2::WMEnableChecking() { FeedMessage(orlex::kMsgEnableChecking, 0, {}); }

std::unique_ptr<TPidWindowBase> TForm2::CreatePidWindow() {
  auto window = std::make_unique<TPidWnd>(
      this, [this] { WMHideAllPids(); }, [this](const QWidget& window) { return PidFrameExtents(window); });
  // A PID window is a child of this one (for its tie to it); Qt looks at every child after the
  // painted widget's container on each paint, so the container moves behind the new window.
  if (QWidget* client = centralWidget()) client->raise();
  return window;
}

std::optional<QMargins> TForm2::PidFrameExtents(const QWidget& window) {
  // Every PID window is framed alike, so one answer serves them all.
  if (!pidFrameAsked_) {
    pidFrameAsked_ = true;
    pidFrame_ = orlex::RequestFrameExtents(window);
  }
  if (pidFrame_) return pidFrame_;
  const QMargins main = orlex::CurrentFrameMargins(*this);
  if (!main.isNull()) return main;
  return std::nullopt;
}

void TForm2::RestartCascade() { cascade_.RestartCascade(); }

void TForm2::CascadePidWindow(int n) {
  if (const PidRecord* pid = table_.Record(n)) cascade_.CascadePidWindow(*pid);
}

void TForm2::LoadPidWindowSettings(int n) {
  if (const PidRecord* pid = table_.Record(n)) app::LoadPidWindowSettings(settings_.SettingsFile(), *pid, this);
}

void TForm2::ResetGrid() { app::ResetGrid(*pidgrid, table_); }

void TForm2::RestoreGridPosition(int n) { app::RestoreGridPosition(*pidgrid, table_, settings_.SettingsFile(), n); }

void TForm2::PlaceUnplacedPids() {
  app::PlaceUnplacedPids(*pidgrid, table_, [this](const std::string& text) { ShowMessage(text); });
}

void TForm2::RefreshGridValues() { app::RefreshGridValues(*pidgrid, table_); }

void TForm2::OpenSettingsFile() { settings_.OpenSettingsFile(); }

void TForm2::SaveSettings() { settings_.SaveSettings(Grid(), table_); }

void TForm2::DeleteINIFile1Click() { settings_.DeleteIniFile(); }

}  // namespace orlex::app
