#pragma once

#include <QColor>
#include <QMargins>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/core/PidWindowBase.h"
#include "grid/core/GridColor.h"

class QAction;
class QColorDialog;
class QLabel;
class QMenu;

namespace orlex::app {

class TFontColorDialog;

// The floating window of one PID: its description as caption and title, its value in large type, and
// a background that follows the value against a threshold while checking is on.
class TPidWnd : public QWidget, public TPidWindowBase {
  Q_OBJECT

 public:
  // The frame the window manager will put around a PID window that has not been shown yet, nullopt
  // when that is not known.
  using TFrameExtentsSource = std::function<std::optional<QMargins>(const QWidget& window)>;

  // `owner` is the main window; the window is created hidden. `hideAllRequest` hands the hide-all
  // request to the main window and returns when it has been handled; the main window gives it at
  // creation, so "Hide All" works whether or not Setup has run. `frameExtents` tells the frame of a
  // window not shown yet, so outer sizes come out right before the window manager has framed it.
  explicit TPidWnd(QWidget* owner, std::function<void()> hideAllRequest = {}, TFrameExtentsSource frameExtents = {});
  ~TPidWnd() override;

  void Setup(const std::string& title, const std::string& valueText, int top, int left, QWidget* mainWindow,
             double threshold, int goodColor, int badColor, bool checkingEnabled, int fontSize, int fontColor,
             const std::string& fontName, int width, int height);

  // Caption and title, and the value label, as placement sets them before Setup.
  void SetTexts(const std::string& title, const std::string& valueText);

  // TPidWindowBase
  void UpdateValue(const std::string& text) override;
  void ShowPidWindow() override;
  void HidePidWindow() override;
  bool PidWindowVisible() const override;
  bool CheckingEnabled() const override { return checkingEnabled_; }
  void SetCheckingEnabled(bool enabled) override;
  TPidWindowSettings CurrentSettings() const override;

  QWidget* MainWindow() const { return mainWindow_; }
  double Threshold() const { return threshold_; }
  int GoodColor() const { return goodColor_; }
  int BadColor() const { return badColor_; }
  QColor BackgroundColor() const;
  // The value text as shown, or, while the window is hidden, as it will be shown when it appears.
  QString ValueText() const;

  // Position and size including the window frame, as the settings file and the cascade count them;
  // for a window never shown, the frame it will get.
  QRect OuterGeometry() const;
  // The window's own frame once framed, else the one it will get; nullopt when unknown.
  std::optional<QMargins> FrameExtents() const;
  void SetOuterWidth(int width);
  void SetOuterHeight(int height);

  // The application's palette changed: background and text are looked up again against it.
  void ApplyThemeColors();

  // Menu handlers.
  void HideAll1Click();
  void SetGoodColor1Click();
  void SetBadColor1Click();
  void SetFontSize1Click();
  void SetThreshhold1Click();
  void EnableChecking1Click();

  QLabel* ptitle = nullptr;
  QLabel* value = nullptr;
  QMenu* PopupMenu1;
  QAction* HideAll1;
  QAction* SetGoodColor1;
  QAction* SetBadColor1;
  QAction* SetFontSize1;
  QAction* SetThreshhold1;
  QAction* EnableChecking1;
  // Made when first opened: each is a whole dialog (under a GTK desktop theme, a native one behind
  // it too), and an INIT makes a window for every PID.
  QColorDialog* ColorBox = nullptr;
  TFontColorDialog* fontbox = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Runs ColorBox; the chosen colour value, or false when cancelled or when the window went away
  // while the dialog was open.
  bool ChooseColor(int& colorValue);
  QColorDialog& ColorBoxDialog();
  TFontColorDialog& FontBoxDialog();
  // The value label's size, below the title.
  void PlaceValue(int width, int height);
  void SetBackground(int colorValue);
  void SetFontColor(int colorValue);
  // Title and value in the font colour, kept readable on the background when it is a theme colour.
  void ApplyTextColor();
  void ApplyPendingOuterSize();
  void ApplyPendingValue();
  // The background a value asks for while checking is on; a text that is no number changes nothing.
  void CheckValue(const std::string& text);
  // Works out the background of the value kept while hidden, if it still waits for that.
  void ApplyPendingCheck();

  std::function<void()> hideAllRequest_;
  TFrameExtentsSource frameExtents_;
  QWidget* mainWindow_ = nullptr;
  double threshold_ = 0.0;
  int goodColor_ = 0;
  int badColor_ = 0;
  bool checkingEnabled_ = false;
  int fontColor_;
  // The colour value the background was last given (the caption-text colour until one is chosen).
  int backgroundColor_ = grid::ColorToInt(grid::clCaptionText);
  QColor lastChosenColor_ = Qt::black;
  // An outer size asked for while nobody knew the frame's size; applied once the window is framed.
  int pendingOuterWidth_ = -1;
  int pendingOuterHeight_ = -1;
  // A hidden window keeps its latest value (Kept()) instead of laying out a label nobody sees;
  // the label takes it when the window is shown. With checking off it lets the refresh keep it.
  void KeepValuesWhileHidden(bool hidden);
  // The kept value came while checking was on and its background has not been worked out: a hidden
  // window does that when it is shown or its colours are asked for, not for every value.
  bool checkPending_ = false;
};

}  // namespace orlex::app
