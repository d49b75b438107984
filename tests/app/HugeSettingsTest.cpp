// Window sizes, positions and font sizes from a hand-edited settings file are fitted to the desktop
// before the PID window takes them: huge ones must not make "Show All" allocate gigabytes.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <fstream>

#include "app/Unit2.h"
#include "platform/FeedFrame.h"
#include "app/pidwindow.h"
#include "tests/support/TempDir.h"

using namespace orlex::grid;
using namespace orlex::app;

namespace {

struct HugeCase {
  const char* name;
  const char* value;
};

void PrintTo(const HugeCase& c, std::ostream* os) { *os << c.name; }

class HugeSettings : public testing::TestWithParam<HugeCase> {};

TEST_P(HugeSettings, AreFittedToTheDesktop) {
  TTempDir dir;
  TForm2 form(dir.Path());
  const std::string v = GetParam().value;
  std::ofstream(form.SettingsPath(), std::ios::binary)
      << "[k1]\r\nTop=" << v << "\r\nLeft=" << v << "\r\nWidth=" << v << "\r\nHeight=" << v << "\r\nFontSize=" << v
      << "\r\n";
  ASSERT_EQ(form.FeedMessage(orlex::kMsgCopyData, 0, "1;k1;d1;1;"), 1);
  auto* window = dynamic_cast<TPidWnd*>(form.Table().Record(1)->Window.get());
  ASSERT_NE(window, nullptr);
  const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
  const QRect outer = window->OuterGeometry();
  EXPECT_LE(outer.width(), desktop.width());
  EXPECT_LE(outer.height(), desktop.height());
  EXPECT_LT(outer.left(), desktop.right());
  EXPECT_LT(outer.top(), desktop.bottom());
  EXPECT_LE(window->value->font().pointSize(), desktop.height() * 72 / 96);
}

INSTANTIATE_TEST_SUITE_P(Cases, HugeSettings,
                         testing::Values(HugeCase{"TwentyThousand", "20000"}, HugeCase{"LargestInteger", "2147483647"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
