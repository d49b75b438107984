// The debug window holds what the listing holds: its bound in bytes (and lines) holds for the window
// too, whether the window was open while the lines came or opened afterwards.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextDocument>
#include <string>

#include "app/core/DebugListing.h"
#include "app/debugform.h"

using namespace orlex::app;

namespace {

QString Joined(const TDebugListing& listing) {
  QString text;
  for (std::size_t i = 0; i < listing.LineCount(); ++i) {
    if (i > 0) text += '\n';
    text += QString::fromStdString(listing.Line(i));
  }
  return text;
}

struct BoundCase {
  const char* name;
  std::size_t maxLines;
  std::size_t maxBytes;
  std::size_t lineBytes;
  int lines;
  int flushEvery;  // lines between the window's updates (it batches while open)
};

void PrintTo(const BoundCase& c, std::ostream* os) { *os << c.name; }

class DebugWindowBound : public testing::TestWithParam<BoundCase> {};

TEST_P(DebugWindowBound, KeepsOnlyTheListingsLines) {
  const BoundCase& c = GetParam();
  TDebugListing listing(c.maxLines, c.maxBytes);
  Tdebugfrm window(listing);
  window.show();
  for (int i = 0; i < c.lines; ++i) {
    listing.Append(std::to_string(i) + ":" + std::string(c.lineBytes, 'x'));
    if ((i + 1) % c.flushEvery == 0) window.Flush();
  }
  window.Flush();
  EXPECT_EQ(window.Memo1->toPlainText(), Joined(listing));
  EXPECT_EQ(window.Memo1->document()->blockCount(), static_cast<int>(listing.LineCount()));
  EXPECT_LE(static_cast<std::size_t>(window.Memo1->document()->characterCount()),
            c.maxBytes + c.lineBytes + 2 * listing.LineCount());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugWindowBound,
    testing::Values(BoundCase{"BytesLineByLine", 100000, 10000, 1000, 60, 1},
                    BoundCase{"BytesInBatches", 100000, 10000, 1000, 60, 7},
                    BoundCase{"MoreDroppedThanABatchHolds", 100000, 10000, 1000, 60, 40},
                    BoundCase{"LinesInBatches", 25, 1 << 20, 10, 100, 9}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
