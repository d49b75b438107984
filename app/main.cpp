// Orlex Gauges: the display for a Feed's stream of PID values.
#include <QIcon>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/MessageBox.h"
#include "app/OrlexApplication.h"
#include "app/TerminationSignals.h"
#include "app/Unit2.h"
#include "app/debugform.h"
#include "grid/transfer/QtDragDrop.h"
#include "platform/FeedPath.h"
#include "platform/FeedServer.h"
#include "platform/ole/OleInit.h"

namespace orlex::app {
namespace {

int Refuse(const QString& text) {
  ShowMessageBox(text);
  return 1;
}

// Resident memory in KiB, from /proc.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// ORLEXGAUGES_STATS=1: once a second, paint passes of the grid, resident memory, the deepest nesting of
// Feed handlers and the open connections on standard error,
// for measuring the display under a Feed.
void StartStats(QObject* owner, const grid::TCellGrid* grid, const orlex::TFeedServer* server) {
  auto* timer = new QTimer(owner);
  auto lastPasses = std::make_shared<std::uint64_t>(grid->PaintPassNumber());
  QObject::connect(timer, &QTimer::timeout, owner, [grid, server, lastPasses] {
    const std::uint64_t passes = grid->PaintPassNumber();
    std::fprintf(stderr, "stats: paints/s %llu rss_kib %ld deepest_nesting %d connections %zu\n",
                 static_cast<unsigned long long>(passes - *lastPasses), ResidentKiB(), server->DeepestNesting(),
                 server->ConnectionCount());
    *lastPasses = passes;
  });
  timer->start(1000);
}

// The icon of every window, from the same picture the desktop's icon theme gets installed.
QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QString(":/icons/hicolor/%1x%1/apps/orlexgauges.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace
}  // namespace orlex::app

int main(int argc, char** argv) {
  using namespace orlex::app;
  std::setlocale(LC_ALL, "");
  TOrlexApplication app(argc, argv);
  app.setApplicationName("Orlex Gauges");
  app.setDesktopFileName("orlexgauges");
  app.setWindowIcon(ApplicationIcon());
  // The main window's close ends the program, not the last window that happens to be open.
  app.setQuitOnLastWindowClosed(false);
  // Qt sets the locale again while it starts; numbers and time stamps follow the user's.
  std::setlocale(LC_ALL, "");
  // Drags of the grid run as Qt drags; the data transfer layer is initialised before any window exists.
  orlex::grid::InstallQtDragDropLoop();
  if (const orlex::HRESULT ole = orlex::OleInitialize(); !orlex::OleInitializeSucceeded(ole)) {
    std::fprintf(stderr, "%s\n", orlex::OleInitializeFailureText(ole).c_str());
    return 1;
  }
  struct TOleScope {
    ~TOleScope() { orlex::OleUninitialize(); }
  } oleScope;

  TForm2* form = nullptr;
  orlex::TFeedServer server(orlex::FeedSocketPath(),
                            [&form](std::uint32_t msg, std::uint32_t data, const std::string& text) -> std::int32_t {
                              return form != nullptr ? form->FeedMessage(msg, data, text) : 0;
                            });
  if (server.AlreadyRunning()) {
    return Refuse(QString("Orlex Gauges is already running (%1).").arg(QString::fromStdString(server.Path())));
  }
  if (!server.Listening()) {
    return Refuse(QString("The Feed socket cannot be opened: %1").arg(QString::fromStdString(server.ErrorText())));
  }

  auto mainWindow = std::make_unique<TForm2>();
  form = mainWindow.get();
  Tdebugfrm debugfrm(mainWindow->Listing());
  mainWindow->SetDebugWindow(&debugfrm);

  TTerminationSignals terminationSignals;
  QObject::connect(&terminationSignals, &TTerminationSignals::Received, form, [form] { form->close(); });
  QObject::connect(form, &TForm2::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);

  if (const char* stats = std::getenv("ORLEXGAUGES_STATS"); stats != nullptr && stats[0] == '1') {
    StartStats(form, form->pidgrid, &server);
  }
  form->show();
  const int code = app.exec();
  form = nullptr;
  return code;
}
