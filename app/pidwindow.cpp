#include "app/pidwindow.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "app/FontColorDialog.h"
#include "app/KeyboardContextMenu.h"
#include "app/MessageBox.h"
#include "app/PidWindowAccessible.h"
#include "grid/GridColorQt.h"
#include "platform/AnsiText.h"
#include "platform/LocaleInfo.h"
#include "platform/ScreenUnits.h"
#include "platform/WindowFrame.h"

namespace orlex::app {

namespace {

constexpr int kClientWidth = 174;
constexpr int kClientHeight = 150;
constexpr int kLabelFontPixels = 20;
constexpr int kFormFontPixels = 11;
// Far beyond any screen; keeps a damaged settings file from asking for absurd glyphs.
constexpr int kMaxFontPixels = 2000;

int FontPoints(const QFont& font) {
  if (font.pixelSize() > 0) return orlex::PixelsToPoints(font.pixelSize());
  return font.pointSize() > 0 ? font.pointSize() : static_cast<int>(font.pointSizeF() + 0.5);
}

QFont TahomaPixels(int pixels) {
  QFont font("Tahoma");
  font.setPixelSize(pixels);
  return font;
}

int ColorValue(const QColor& color) { return color.red() + 256 * color.green() + 65536 * color.blue(); }

QColor ResolveColor(int colorValue) { return grid::ColorToQColor(grid::IntToColor(colorValue), QApplication::palette()); }

void SetRole(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(role, color);
  widget->setPalette(palette);
}

// A new desktop theme: a window with colours of its own hears of it only from the application. Every
// event of the application passes the application's filters, so the PID windows share one filter
// rather than each adding its own.
class TThemeWatcher : public QObject {
 public:
  static void Add(TPidWnd* window) {
    if (instance_ == nullptr) {
      instance_ = new TThemeWatcher;
      QCoreApplication::instance()->installEventFilter(instance_);
    }
    instance_->windows_.push_back(window);
  }

  static void Remove(TPidWnd* window) {
    if (instance_ == nullptr) return;
    std::vector<TPidWnd*>& windows = instance_->windows_;
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    if (windows.empty()) {
      delete instance_;  // its destruction takes it off the application's filters
      instance_ = nullptr;
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange) {
      const std::vector<TPidWnd*> windows = windows_;  // a copy: a recolour may run other code
      for (TPidWnd* window : windows) window->ApplyThemeColors();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  static TThemeWatcher* instance_;
  std::vector<TPidWnd*> windows_;
};

TThemeWatcher* TThemeWatcher::instance_ = nullptr;

}  // namespace

TPidWnd::TPidWnd(QWidget* owner, std::function<void()> hideAllRequest, TFrameExtentsSource frameExtents)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      hideAllRequest_(std::move(hideAllRequest)),
      frameExtents_(std::move(frameExtents)),
      fontColor_(grid::ColorToInt(grid::clWindowText)) {
  // Before any label exists: with a screen reader listening, a label's first text builds its interface.
  orlex::app::InstallPidWindowAccessibility();
  setObjectName("PidWnd");
  setWindowTitle("PidWnd");
  setFont(TahomaPixels(kFormFontPixels));
  setAutoFillBackground(true);
  SetRole(this, QPalette::Window, ResolveColor(backgroundColor_));
  resize(kClientWidth, kClientHeight);

  ptitle = new QLabel("Title", this);
  ptitle->setObjectName("ptitle");
  ptitle->setAlignment(Qt::AlignCenter);
  ptitle->setFont(TahomaPixels(kLabelFontPixels));
  ptitle->setAutoFillBackground(true);  // opaque, in the window's own background colour
  ptitle->setGeometry(0, 0, 172, 24);

  // Named before it gets its text: the first text change may already build its accessible interface.
  value = new QLabel(this);
  value->setObjectName("value");
  value->setText("--");
  // With a name of its own the label skips the accessibility update that every text change would
  // otherwise cost, and values change many times a second; the PID's description replaces it, and a
  // screen reader reads the value itself (PidWindowAccessible.h).
  value->setAccessibleName("value");
  value->setAlignment(Qt::AlignCenter);
  value->setFont(TahomaPixels(kLabelFontPixels));
  PlaceValue(172, 115);
  ApplyTextColor();

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  HideAll1 = PopupMenu1->addAction("Hide All", this, [this] { HideAll1Click(); });
  PopupMenu1->addSeparator();
  SetGoodColor1 = PopupMenu1->addAction("Set Good Color", this, [this] { SetGoodColor1Click(); });
  SetBadColor1 = PopupMenu1->addAction("Set Bad Color", this, [this] { SetBadColor1Click(); });
  PopupMenu1->addSeparator();
  SetFontSize1 = PopupMenu1->addAction("Set Font", this, [this] { SetFontSize1Click(); });
  PopupMenu1->addSeparator();
  SetThreshhold1 = PopupMenu1->addAction("Set Threshhold", this, [this] { SetThreshhold1Click(); });
  PopupMenu1->addSeparator();
  EnableChecking1 = PopupMenu1->addAction("Enable Checking");
  EnableChecking1->setCheckable(true);
  connect(EnableChecking1, &QAction::triggered, this, [this] { EnableChecking1Click(); });
  HideAll1->setObjectName("HideAll1");
  SetGoodColor1->setObjectName("SetGoodColor1");
  SetBadColor1->setObjectName("SetBadColor1");
  SetFontSize1->setObjectName("SetFontSize1");
  SetThreshhold1->setObjectName("SetThreshhold1");
  EnableChecking1->setObjectName("EnableChecking1");
  orlex::app::AddKeyboardContextMenu(this);
  TThemeWatcher::Add(this);
  KeepValuesWhileHidden(true);  // created hidden

  for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, Qt::white);
}

QColorDialog& TPidWnd::ColorBoxDialog() {
  if (ColorBox == nullptr) {
    ColorBox = new QColorDialog(this);
    ColorBox->setObjectName("ColorBox");
    ColorBox->setOptions(QColorDialog::DontUseNativeDialog);
  }
  return *ColorBox;
}

TFontColorDialog& TPidWnd::FontBoxDialog() {
  if (fontbox == nullptr) {
    fontbox = new TFontColorDialog(this);
    fontbox->setObjectName("fontbox");
  }
  return *fontbox;
}

TPidWnd::~TPidWnd() { TThemeWatcher::Remove(this); }

void TPidWnd::SetTexts(const std::string& title, const std::string& valueText) {
  ApplyPendingCheck();
  setWindowTitle(orlex::AnsiToDisplay(title));
  ptitle->setText(orlex::AnsiToDisplay(title));
  value->setAccessibleName(title.empty() ? QStringLiteral("value") : orlex::AnsiToDisplay(title));
  Kept().kept = false;
  value->setText(orlex::AnsiToDisplay(valueText));
  orlex::app::NotifyPidValueChanged(value);
}

void TPidWnd::Setup(const std::string& title, const std::string& valueText, int top, int left, QWidget* mainWindow,
                    double threshold, int goodColor, int badColor, bool checkingEnabled, int fontSize, int fontColor,
                    const std::string& fontName, int width, int height) {
  ApplyPendingCheck();  // the value that came before is judged by the colours it came under
  SetTexts(title, valueText);
  mainWindow_ = mainWindow;
  threshold_ = threshold;
  goodColor_ = goodColor;
  badColor_ = badColor;
  checkingEnabled_ = checkingEnabled;
  KeepValuesWhileHidden(!isVisible());
  QFont valueFont = value->font();
  valueFont.setFamily(orlex::AnsiToDisplay(fontName));
  value->setFont(valueFont);
  SetFontColor(fontColor);
  // A size of zero or less has no meaning in points; the label keeps its size.
  if (fontSize > 0) {
    valueFont.setPixelSize(orlex::PointsToPixels(fontSize, kMaxFontPixels));
    value->setFont(valueFont);
  }
  // A negative edge (a window saved on a monitor left of or above the primary one) stays where it is.
  if (top >= 0) move(pos().x(), top);
  if (left >= 0) move(left, pos().y());
  if (width >= 0) SetOuterWidth(width);
  if (height >= 0) SetOuterHeight(height);
}

void TPidWnd::UpdateValue(const std::string& text) {
  if (isVisible()) {
    value->setText(orlex::AnsiToDisplay(text));
    orlex::app::NotifyPidValueChanged(value);
    if (checkingEnabled_) CheckValue(text);
    return;
  }
  // Hidden: the text is kept, and its background worked out only when someone looks. A value that is
  // certainly a number decides the background alone; any other may leave the one before it standing,
  // so that one is worked out first.
  if (checkPending_ && checkingEnabled_ && !orlex::IsPlainDecimal(text)) ApplyPendingCheck();
  Kept().value = text;
  Kept().kept = true;
  checkPending_ = checkingEnabled_;
}

void TPidWnd::CheckValue(const std::string& text) {
  double number = 0.0;
  if (!orlex::TextToFloat(text, number)) return;
  const int wanted = number > threshold_ ? badColor_ : goodColor_;
  // Colours are resolved when they or the theme change, so most values cost the text alone.
  if (wanted != backgroundColor_) SetBackground(wanted);
}

void TPidWnd::ApplyPendingCheck() {
  if (!checkPending_) return;
  checkPending_ = false;
  CheckValue(Kept().value);
}

void TPidWnd::SetCheckingEnabled(bool enabled) {
  ApplyPendingCheck();
  checkingEnabled_ = enabled;
  KeepValuesWhileHidden(!isVisible());
}

// Only a window with nothing to work out for a value lets the refresh keep its values.
void TPidWnd::KeepValuesWhileHidden(bool hidden) { Kept().keepsOnly = hidden && !checkingEnabled_; }

void TPidWnd::ShowPidWindow() { show(); }

void TPidWnd::HidePidWindow() { hide(); }

bool TPidWnd::PidWindowVisible() const { return isVisible(); }

TPidWindowSettings TPidWnd::CurrentSettings() const {
  TPidWindowSettings settings;
  const QRect outer = OuterGeometry();
  settings.Top = outer.top();
  settings.Left = outer.left();
  settings.Width = outer.width();
  settings.Height = outer.height();
  settings.Threshold = threshold_;
  settings.GoodColor = goodColor_;
  settings.BadColor = badColor_;
  settings.CheckingEnabled = checkingEnabled_;
  settings.FontColor = fontColor_;
  settings.FontSize = FontPoints(value->font());
  settings.FontName = orlex::DisplayToAnsi(value->font().family());
  return settings;
}

QColor TPidWnd::BackgroundColor() const {
  // What the window will show: a value kept while hidden counts, though it is worked out only later.
  if (checkPending_) {
    double number = 0.0;
    if (orlex::TextToFloat(Kept().value, number)) {
      const int wanted = number > threshold_ ? badColor_ : goodColor_;
      if (wanted != backgroundColor_) return ResolveColor(wanted);
    }
  }
  return palette().color(QPalette::Window);
}

QString TPidWnd::ValueText() const {
  return Kept().kept ? orlex::AnsiToDisplay(Kept().value) : value->text();
}

void TPidWnd::ApplyPendingValue() {
  if (!Kept().kept) return;
  Kept().kept = false;
  value->setText(orlex::AnsiToDisplay(Kept().value));
}

QRect TPidWnd::OuterGeometry() const {
  QRect outer = frameGeometry();
  if (const std::optional<QMargins> frame = FrameExtents()) outer.setSize(size().grownBy(*frame));
  // Until the window is framed, the outer size asked for is the truth.
  if (pendingOuterWidth_ >= 0) outer.setWidth(pendingOuterWidth_);
  if (pendingOuterHeight_ >= 0) outer.setHeight(pendingOuterHeight_);
  return outer;
}

std::optional<QMargins> TPidWnd::FrameExtents() const {
  const QMargins own = orlex::CurrentFrameMargins(*this);
  if (!own.isNull()) return own;
  if (frameExtents_) return frameExtents_(*this);
  return std::nullopt;
}

// With the frame known, the client size is set before the window is shown: a resize while the window
// manager is still framing a window can leave it at the screen's corner.
void TPidWnd::SetOuterWidth(int width) {
  if (const std::optional<QMargins> frame = FrameExtents()) {
    resize(std::max(width - frame->left() - frame->right(), 0), height());
    pendingOuterWidth_ = -1;
  } else {
    resize(width, height());
    pendingOuterWidth_ = width;
  }
}

void TPidWnd::SetOuterHeight(int height) {
  if (const std::optional<QMargins> frame = FrameExtents()) {
    resize(width(), std::max(height - frame->top() - frame->bottom(), 0));
    pendingOuterHeight_ = -1;
  } else {
    resize(width(), height);
    pendingOuterHeight_ = height;
  }
}

void TPidWnd::ApplyPendingOuterSize() {
  if (pendingOuterWidth_ < 0 && pendingOuterHeight_ < 0) return;
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame.isEmpty()) return;  // not framed yet
  const int outerWidth = pendingOuterWidth_;
  const int outerHeight = pendingOuterHeight_;
  pendingOuterWidth_ = -1;
  pendingOuterHeight_ = -1;
  resize(outerWidth >= 0 ? std::max(outerWidth - frame.width(), 0) : width(),
         outerHeight >= 0 ? std::max(outerHeight - frame.height(), 0) : height());
}

bool TPidWnd::event(QEvent* event) {
  // Before the window reaches the screen, so it never appears with a stale value.
  if (event->type() == QEvent::Show) {
    KeepValuesWhileHidden(false);
    ApplyPendingCheck();
    ApplyPendingValue();
  } else if (event->type() == QEvent::Hide) {
    KeepValuesWhileHidden(true);
  }
  const bool result = QWidget::event(event);
  if (event->type() == QEvent::Move || event->type() == QEvent::Show) ApplyPendingOuterSize();
  return result;
}

// Theme colours are looked up again and the text kept readable on the face.
void TPidWnd::ApplyThemeColors() {
  ApplyPendingCheck();
  SetRole(this, QPalette::Window, ResolveColor(backgroundColor_));
  ApplyTextColor();
}

void TPidWnd::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Anchored as designed: the title to the left, top and right edges, the value to all four.
  ptitle->setGeometry(0, 0, width() - 2, 24);
  PlaceValue(width() - 2, height() - 35);
}

// A label of fixed size asks its window for no relayout when its text changes (Qt posts one to a
// window without a layout otherwise), and values change with every packet.
void TPidWnd::PlaceValue(int width, int height) {
  value->setFixedSize(std::max(0, width), std::max(0, height));
  value->move(0, 30);
}

void TPidWnd::contextMenuEvent(QContextMenuEvent* event) { PopupMenu1->popup(event->globalPos()); }

void TPidWnd::SetBackground(int colorValue) {
  backgroundColor_ = colorValue;
  SetRole(this, QPalette::Window, ResolveColor(colorValue));
  // A theme font colour is re-checked against the new background; a chosen one never changes.
  if (grid::IsSystemColor(grid::IntToColor(fontColor_))) ApplyTextColor();
}

void TPidWnd::SetFontColor(int colorValue) {
  fontColor_ = colorValue;
  ApplyTextColor();
}

void TPidWnd::ApplyTextColor() {
  const QColor color =
      grid::ReadableTextQColor(grid::IntToColor(fontColor_), grid::IntToColor(backgroundColor_), QApplication::palette());
  if (ptitle->palette().color(QPalette::WindowText) != color) SetRole(ptitle, QPalette::WindowText, color);
  if (value->palette().color(QPalette::WindowText) != color) SetRole(value, QPalette::WindowText, color);
}

void TPidWnd::HideAll1Click() {
  // The request may end in this window's destruction (it never does today, but a Feed message can be
  // handled while pending messages are processed), so nothing of `this` is used after it.
  const std::function<void()> request = hideAllRequest_;
  if (request) request();
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (request) request();
  QCoreApplication::processEvents();
}

bool TPidWnd::ChooseColor(int& colorValue) {
  QPointer<TPidWnd> self(this);
  QColorDialog& box = ColorBoxDialog();
  box.setCurrentColor(lastChosenColor_);
  const int result = box.exec();
  // An INIT packet handled while the dialog was open destroys this window.
  if (self.isNull() || result != QDialog::Accepted) return false;
  lastChosenColor_ = box.selectedColor();
  colorValue = ColorValue(lastChosenColor_);
  return true;
}

void TPidWnd::SetGoodColor1Click() {
  ApplyPendingCheck();
  int color = 0;
  if (ChooseColor(color)) goodColor_ = color;
}

void TPidWnd::SetBadColor1Click() {
  ApplyPendingCheck();
  int color = 0;
  if (ChooseColor(color)) badColor_ = color;
}

void TPidWnd::SetFontSize1Click() {
  ApplyPendingCheck();
  QPointer<TPidWnd> self(this);
  QFont current = value->font();
  current.setPointSize(FontPoints(current));  // the dialog speaks points
  TFontColorDialog& box = FontBoxDialog();
  box.SetCurrentFont(current);
  box.SetCurrentColor(fontColor_);
  // The dialog lists real families only and shows "Arial" as whatever stands in for it; a family
  // the user did not touch keeps its saved name.
  const QString familyShown = box.CurrentFont().family();
  const int result = box.exec();
  if (self.isNull() || result != QDialog::Accepted) return;
  const QFont chosen = box.CurrentFont();
  SetFontColor(box.CurrentColor());
  // Name and size only: the value keeps its weight, slant and other styles.
  QFont valueFont = value->font();
  if (chosen.family() != familyShown) valueFont.setFamily(chosen.family());
  valueFont.setPixelSize(orlex::PointsToPixels(FontPoints(chosen), kMaxFontPixels));
  value->setFont(valueFont);
}

void TPidWnd::SetThreshhold1Click() {
  ApplyPendingCheck();
  QPointer<TPidWnd> self(this);
  bool ok = false;
  const QString answer = QInputDialog::getText(this, "Threshhold", "Value", QLineEdit::Normal, "0", &ok);
  // Cancel leaves the threshold as it was (rather than setting the preset 0 behind the user's back).
  if (self.isNull() || !ok || answer.isEmpty()) return;
  double number = 0.0;
  if (orlex::TextToFloat(orlex::DisplayToAnsi(answer), number)) {
    threshold_ = number;
    return;
  }
  threshold_ = 0.0;
  ShowMessageBox("Not a valid number", this);
}

void TPidWnd::EnableChecking1Click() {
  // The action toggled its own mark before this runs; the flag follows the mark.
  SetCheckingEnabled(EnableChecking1->isChecked());
}

}  // namespace orlex::app
