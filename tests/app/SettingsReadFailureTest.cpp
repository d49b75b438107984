// A settings file that cannot be read (a directory in its place, an I/O error) gives every read its
// default, as a missing key does, and is logged once per INIT packet; the INIT packet goes through.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/Unit2.h"
#include "platform/FeedFrame.h"
#include "platform/ProcessEnd.h"
#include "tests/support/TempDir.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

struct TProcessEnded {};

TEST(SettingsReadFailure, GivesDefaultsAndIsLoggedOncePerInit) {
  // "INIT Packet ERROR 3" would end the process: make that a failure of this test instead.
  orlex::SetEndProcessInterceptor([] { throw TProcessEnded{}; });
  struct TRestore {
    ~TRestore() { orlex::SetEndProcessInterceptor({}); }
  } restore;
  QTimer user;  // closes any box, so a packet error ends the test instead of waiting
  QObject::connect(&user, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  user.start(10);
  TTempDir dir;
  TForm2 form(dir.Path());
  std::filesystem::create_directory(form.SettingsPath());  // in the way of the file

  for (int init = 1; init <= 2; ++init) {
    ASSERT_EQ(form.FeedMessage(orlex::kMsgCopyData, 0, "2;k1;d1;1;k2;d2;2;"), 1) << "INIT " << init;
    EXPECT_EQ(form.msgtxt->text(), "Watching for PID Data");
    // Both PIDs placed in the first free slots, as with no saved position.
    EXPECT_EQ(form.Grid().Cells(0, 1), "d1");
    EXPECT_EQ(form.Grid().Cells(0, 2), "d2");
    std::ifstream in(form.LogPath(), std::ios::binary);
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(CountOf(log, " Unable to read " + form.SettingsPath() + ": Is a directory\r\n"), init) << log;
  }
  EXPECT_EQ(form.FeedMessage(orlex::kMsgCopyData, 1, "k1,5;"), 1);
  EXPECT_EQ(form.Grid().Cells(1, 1), "5");
}

}  // namespace
