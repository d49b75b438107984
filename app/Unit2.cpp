#include "app/Unit2.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>

#include "app/KeyboardContextMenu.h"
#include "app/MessageBox.h"
#include "app/PidGridWidget.h"
#include "app/core/ExceptionHook.h"
#include "app/core/PidGridSetup.h"
#include "app/TrackBar.h"
#include "app/debugform.h"
#include "platform/AnsiText.h"
#include "platform/AppPaths.h"
#include "platform/ProcessEnd.h"
#include "platform/WindowFrame.h"

namespace orlex::app {

namespace {

enum TAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// Where a control sits in the designed client area, and which edges it follows.
struct TDesign {
  QRect rect;
  int anchors;
  bool autoWidth;  // labels grow to show their whole text
};

QRect Anchored(const TDesign& d, int dx, int dy) {
  QRect r = d.rect;
  if (d.anchors & akRight) {
    if (d.anchors & akLeft) r.setWidth(r.width() + dx);
    else r.moveLeft(r.left() + dx);
  }
  if (d.anchors & akBottom) {
    if (d.anchors & akTop) r.setHeight(r.height() + dy);
    else r.moveTop(r.top() + dy);
  }
  return r;
}

QFont PixelFont(const char* family, int pixels) {
  QFont font(family);
  font.setPixelSize(pixels);
  return font;
}

const TDesign kGrid{kPidGridDesignRect, akLeft | akTop | akRight | akBottom, false};
const TDesign kLabel1{{303, 554, 105, 17}, akLeft | akRight | akBottom, true};
const TDesign kMsgtxt{{432, 554, 34, 17}, akLeft | akRight | akBottom, true};
const TDesign kLabel2{{753, 573, 0, 0}, akRight | akBottom, true};
const TDesign kTrackBar1{{0, 554, 257, 32}, akLeft | akBottom, false};
const TDesign kButton1{{629, 571, 75, 20}, akRight | akBottom, false};

}  // namespace

TForm2::TForm2(const std::string& executableDir, QWidget* parent)
    : QMainWindow(parent),
      settings_(orlex::SettingsFilePath(
          executableDir.empty() ? QCoreApplication::applicationDirPath().toStdString() : executableDir)),
      log_(orlex::LogFilePath(executableDir.empty() ? QCoreApplication::applicationDirPath().toStdString()
                                                    : executableDir)) {
  settings_.SetFailureLog([this](const std::string& message) { WriteLog(message); });
  CreateControls();
  FormCreate();
}

TForm2::~TForm2() {
  // The hook calls into this window; nothing may reach it once it is gone.
  SetApplicationExceptionHook({});
}

void TForm2::CreateControls() {
  setObjectName("Form2");
  setWindowTitle("Orlex Gauges");
  // A top-level window of its own: its own taskbar entry.
  setWindowFlag(Qt::Window);
  setFont(PixelFont("Tahoma", 11));

  auto* client = new QWidget(this);
  client->setObjectName("client");
  QPalette palette = client->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  client->setPalette(palette);
  client->setAutoFillBackground(true);
  client->installEventFilter(this);
  setCentralWidget(client);

  pidgrid = new grid::TCellGrid(client);
  pidgrid->setObjectName("pidgrid");
  ConfigurePidGridWidget(*pidgrid);
  // Slots are rearranged by dragging description cells; the grid arms a drag on its current cell.
  pidgrid->DragDropSettings.OleDropSource = true;
  pidgrid->DragDropSettings.OleAcceptFiles = false;
  pidgrid->DragDropSettings.OleAcceptURLs = false;
  pidgrid->DragDropSettings.SetOleDropTarget(true);
  pidgrid->EnhRowColMove = false;
  pidgrid->Loaded();
  ConnectDragHandlers();
  // The window's resize reaches FormResize through the grid, after the controls are laid out.
  pidgrid->SetOwnerWindow(this);
  pidgrid->OnOwnerResize = [this] { FormResize(); };
  pidgrid->OnMouseDown = [this](grid::TCellGrid& sender, grid::TMouseButton button, grid::TShiftState shift, int x, int y) {
    pidgridMouseDown(sender, button, shift, x, y);
  };

  Label1 = new QLabel("Status Message", client);
  Label1->setObjectName("Label1");
  Label1->setFont(PixelFont("Arial", 15));
  msgtxt = new QLabel("None", client);
  msgtxt->setObjectName("msgtxt");
  msgtxt->setFont(PixelFont("Arial", 15));
  // Named like its caption; a screen reader reads the status itself as the description.
  msgtxt->setAccessibleName("Status Message");
  msgtxt->setAccessibleDescription("None");
  Label2 = new QLabel(client);
  Label2->setObjectName("Label2");

  TrackBar1 = new TTrackBar(Qt::Horizontal, client);
  TrackBar1->setObjectName("TrackBar1");
  TrackBar1->setRange(-3, 25);
  TrackBar1->setValue(0);
  TrackBar1->setSingleStep(1);
  TrackBar1->setPageStep(2);
  TrackBar1->setTickPosition(QSlider::TicksBelow);
  TrackBar1->setTickInterval(1);
  TrackBar1->setAccessibleName("Zoom");
  connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });

  Button1 = new QPushButton("Debugger", client);
  Button1->setObjectName("Button1");
  Button1->setAccessibleName("Debugger");
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  ShowPIDWindow1 = PopupMenu1->addAction("Hide/Show PID Window", this, [this] { ShowPIDWindow1Click(); });
  ShowPIDWindow1->setObjectName("ShowPIDWindow1");
  ShowAll1 = PopupMenu1->addAction("Show All", this, [this] { ShowAll1Click(); });
  ShowAll1->setObjectName("ShowAll1");
  HideAll1 = PopupMenu1->addAction("Hide All", this, [this] { HideAll1Click(); });
  HideAll1->setObjectName("HideAll1");
  pidgrid->setContextMenuPolicy(Qt::CustomContextMenu);
  // A scroll area reports the position in its viewport's coordinates.
  connect(pidgrid, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu1->popup(pidgrid->viewport()->mapToGlobal(pos)); });
  orlex::app::AddKeyboardContextMenu(pidgrid);

  File1 = menuBar()->addMenu("File");
  File1->setObjectName("File1");
  DeleteINIFile1 = File1->addAction("Delete INI File", this, [this] { DeleteINIFile1Click(); });
  DeleteINIFile1->setObjectName("DeleteINIFile1");

  // The client area is 790 x 592 below the menu bar; the whole window, frame included, is centred
  // on the primary screen.
  const int menuHeight = menuBar()->sizeHint().height();
  resize(kClientWidth, kClientHeight + menuHeight);
  client->resize(kClientWidth, kClientHeight);
  LayoutControls();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    const QSize outer = size().grownBy(orlex::RequestFrameExtents(*this).value_or(QMargins()));
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
  }
  Timer1->start();
}

void TForm2::LayoutControls() {
  const QWidget* client = centralWidget();
  const int dx = client->width() - kClientWidth;
  const int dy = client->height() - kClientHeight;
  pidgrid->setGeometry(Anchored(kGrid, dx, dy));
  TrackBar1->setGeometry(Anchored(kTrackBar1, dx, dy));
  Button1->setGeometry(Anchored(kButton1, dx, dy));
  for (auto [label, design] : {std::pair{Label1, &kLabel1}, std::pair{msgtxt, &kMsgtxt}, std::pair{Label2, &kLabel2}}) {
    QRect r = Anchored(*design, dx, dy);
    const QSize text = label->sizeHint();
    r.setWidth(std::max(r.width(), text.width()));
    r.setHeight(std::max(r.height(), text.height()));
    label->setGeometry(r);
  }
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize) LayoutControls();
  return QMainWindow::eventFilter(watched, event);
}

void TForm2::FormCreate() {
  SetApplicationExceptionHook([this](const std::exception& error) { AppException(error); });
  Label2->setText("v1.09");
  LayoutControls();
  table_.FieldList.clear();
  ResetGrid();
  pidgrid->SetArrowColor(kDropArrowColor);
}

void TForm2::FormResize() {
  for (int row = 0; row < pidgrid->RowCount(); ++row) pidgrid->AutoSizeRow(row);
  pidgrid->SetDefaultColWidth(kPidGridColWidth);
  pidgrid->FitColumnsToWidth();
}

void TForm2::TrackBar1Change() {
  pidgrid->ChangeLook([zoom = TrackBar1->value()](grid::TGridLook& look) { look.ZoomFactor = zoom; });
  FormResize();
}

bool TForm2::FormClose() {
  // A packet error's box is open: the session's end ends the process as closing the box would.
  if (table_.Ending) orlex::EndProcess();
  try {
    SaveSettings();
  } catch (const EAbort&) {
    return false;
  } catch (const std::exception& error) {
    AppException(error);
    return false;
  }
  return true;
}

void TForm2::closeEvent(QCloseEvent* event) {
  if (!FormClose()) {
    event->ignore();
    return;
  }
  confinement_.Release();
  event->accept();
  emit Closed();
}

void TForm2::Timer1Timer() {
  if (++table_.WatchdogTicks > kWatchdogLimit) {
    // The process ends inside a drag as well; the pointer must not stay held.
    confinement_.Release();
    orlex::EndProcess();
  }
}

void TForm2::ShowPIDWindow1Click() {
  grid::TCellGridBase& grid = Grid();
  const auto tag = grid.Objects(grid.Col(), grid.Row());
  if (tag == 0 || tag < 1 || tag > TPidTable::kSlots) return;
  PidRecord* record = table_.Record(static_cast<int>(tag));
  if (record == nullptr || !record->Window) return;
  if (record->Window->PidWindowVisible()) record->Window->HidePidWindow();
  else record->Window->ShowPidWindow();
}

void TForm2::ShowAll1Click() { table_.ShowAll(); }

void TForm2::HideAll1Click() { table_.HideAll(); }

void TForm2::Button1Click() {
  if (!debugfrm_) return;
  debugfrm_->show();
  debugfrm_->raise();
  debugfrm_->activateWindow();
}

void TForm2::pidgridMouseDown(grid::TCellGrid&, grid::TMouseButton, grid::TShiftState, int, int) {}

void TForm2::AppException(const std::exception& error) { WriteLog(error.what()); }

void TForm2::WriteLog(const std::string& message) { log_.WriteLog(message); }

void TForm2::SetDebugWindow(Tdebugfrm* window) { debugfrm_ = window; }

void TForm2::updatemsg(const std::string& text) {
  msgtxt->setText(orlex::AnsiToDisplay(text));
  msgtxt->setAccessibleDescription(msgtxt->text());
  LayoutControls();
  QCoreApplication::processEvents();
}

void TForm2::DebugListing(const std::string& line) {
  listing_.Append(line);
  if (debugfrm_) debugfrm_->LinesAdded();
}

void TForm2::ShowMessage(const std::string& text) {
  ShowMessageBox(orlex::AnsiToDisplay(text), this);
}

void TForm2::FailAndEnd(const std::string& boxText) {
  ShowMessage(boxText);
  orlex::EndProcess();
}

}  // namespace orlex::app
