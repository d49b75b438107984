// The end of a session (SIGTERM, SIGHUP: the main window's close) arriving while a packet is still
// being handled must not save from a table that packet has torn down.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/Unit2.h"
#include "platform/FeedFrame.h"
#include "platform/ProcessEnd.h"
#include "tests/support/TempDir.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

struct TProcessEnded {};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SessionEndCase {
  const char* name;
  std::uint32_t kind;
  const char* packet;
  const char* box;  // the packet error's box; nullptr: the packet is good and still being built
};

void PrintTo(const SessionEndCase& c, std::ostream* os) { *os << c.name; }

class SessionEnd : public testing::TestWithParam<SessionEndCase> {
 protected:
  void SetUp() override { orlex::SetEndProcessInterceptor([] { throw TProcessEnded{}; }); }
  void TearDown() override { orlex::SetEndProcessInterceptor({}); }
  TTempDir dir_;
};

TEST_P(SessionEnd, DuringAPacketLeavesTheSettingsFileAsItWas) {
  const SessionEndCase& c = GetParam();
  TForm2 form(dir_.Path());
  form.show();
  ASSERT_EQ(form.FeedMessage(orlex::kMsgCopyData, 0, "2;k1;d1;1;k2;d2;2;"), 1);
  {
    QTimer ok;  // the user closes the "saved" box
    QObject::connect(&ok, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    });
    ok.start(0);
    ASSERT_EQ(form.FeedMessage(orlex::kMsgCopyData, 4, ""), 0);
  }
  const std::string before = ReadFile(form.SettingsPath());
  ASSERT_NE(before.find("[k2]"), std::string::npos);

  bool closeEndedTheProcess = false;
  bool closed = false;
  QObject::connect(&form, &TForm2::Closed, [&] { closed = true; });
  QString boxText;
  // The session ends as soon as the packet lets events run: inside its status line, or while its
  // error box is open; that box is then closed by its user.
  bool sessionEnded = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!sessionEnded && (c.box == nullptr || box != nullptr)) {
      sessionEnded = true;
      try {
        form.close();
      } catch (const TProcessEnded&) {
        closeEndedTheProcess = true;
      }
      return;
    }
    if (box != nullptr) {
      boxText = box->text();
      box->accept();
    }
  });
  user.start(0);
  if (c.box != nullptr) {
    EXPECT_THROW(form.FeedMessage(orlex::kMsgCopyData, c.kind, c.packet), TProcessEnded);
    EXPECT_TRUE(closeEndedTheProcess) << "the close must end the process as the box would";
    EXPECT_FALSE(closed);
  } else {
    EXPECT_EQ(form.FeedMessage(orlex::kMsgCopyData, c.kind, c.packet), 1);
    EXPECT_TRUE(closed);
  }
  user.stop();
  EXPECT_TRUE(sessionEnded);
  EXPECT_EQ(ReadFile(form.SettingsPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionEnd,
    testing::Values(SessionEndCase{"InitWithoutCount", 0, "x;k1;d1;1;", "INIT Packet Failed! No COUNT"},
                    SessionEndCase{"InitMissingFields", 0, "2;k1;d1;1;k2;d2;", "INIT Packet ERROR 3"},
                    SessionEndCase{"EmptyPidPacket", 1, "", "PID Packet ERROR"},
                    SessionEndCase{"InitStillBeingBuilt", 0, "1;k9;d9;9;", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
