#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "app/core/DebugListing.h"
#include "app/core/EventLog.h"
#include "app/core/PidRegistry.h"
#include "app/PidWindowCascade.h"
#include "app/core/RegistryHost.h"
#include "app/core/SettingsFile.h"
#include "app/debugform.h"
#include "grid/CellGrid.h"

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;

namespace orlex::app {

// The main window: the PID grid, the status line, the zoom track bar, the menus, the watchdog, and
// the receiver of every Feed message. It owns all application state.
class TForm2 : public QMainWindow, public TRegistryHost {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 790;
  static constexpr int kClientHeight = 592;
  static constexpr int kWatchdogLimit = 16;

  // `executableDir` decides where the settings file and the log live; empty means the directory of
  // the running executable.
  explicit TForm2(const std::string& executableDir = {}, QWidget* parent = nullptr);
  ~TForm2() override;

  // Controls, as the form creates them.
  grid::TCellGrid* pidgrid = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* msgtxt = nullptr;
  QLabel* Label2 = nullptr;
  QSlider* TrackBar1 = nullptr;
  QPushButton* Button1 = nullptr;
  QTimer* Timer1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* ShowPIDWindow1 = nullptr;
  QAction* ShowAll1 = nullptr;
  QAction* HideAll1 = nullptr;
  QMenu* File1 = nullptr;
  QAction* DeleteINIFile1 = nullptr;

  // Message dispatch: one Feed request, answered with the message result.
  std::int32_t FeedMessage(std::uint32_t msg, std::uint32_t data, const std::string& text);
  std::int32_t WMCopyData(std::uint32_t kind, const std::string& text);
  void WMHideAllPids();
  void WMDisableChecking();
  void WMEnableChecking();

  // Handlers.
  void FormCreate();
  void FormResize();
  void TrackBar1Change();
  bool FormClose();  // false when the window must stay open
  void Timer1Timer();
  void ShowPIDWindow1Click();
  void ShowAll1Click();
  void HideAll1Click();
  void Button1Click();
  void DeleteINIFile1Click();
  void pidgridMouseDown(grid::TCellGrid& sender, grid::TMouseButton button, grid::TShiftState shift, int x, int y);
  void AppException(const std::exception& error);
  void WriteLog(const std::string& message);

  void SetDebugWindow(Tdebugfrm* window);
  Tdebugfrm* DebugWindow() const { return debugfrm_; }
  const TDebugListing& Listing() const { return listing_; }
  TPidTable& Table() { return table_; }
  grid::TCellGridBase& Grid() { return *pidgrid; }
  const std::string& LogPath() const { return log_.Path(); }
  const std::string& SettingsPath() const { return settings_.Path(); }
  const TSettingsSource* SettingsReader() const { return settings_.SettingsFile(); }

  // TRegistryHost.
  void updatemsg(const std::string& text) override;
  void DebugListing(const std::string& line) override;
  void ShowMessage(const std::string& text) override;
  [[noreturn]] void FailAndEnd(const std::string& boxText) override;
  std::unique_ptr<TPidWindowBase> CreatePidWindow() override;
  void RestartCascade() override;
  void CascadePidWindow(int n) override;
  void LoadPidWindowSettings(int n) override;
  void ResetGrid() override;
  void RestoreGridPosition(int n) override;
  void PlaceUnplacedPids() override;
  void RefreshGridValues() override;
  void OpenSettingsFile() override;
  void SaveSettings() override;

 signals:
  // The window has closed (settings saved): the application ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void LayoutControls();  // anchors: keeps every control's distances to the edges it is anchored to

  TSettingsFile settings_;
  TEventLog log_;
  TDebugListing listing_;
  TPidTable table_;
  TPidWindowCascade cascade_;
  QPointer<Tdebugfrm> debugfrm_;
};

}  // namespace orlex::app
