// Nothing in a markup text may make one layout unbounded or unsafe: these texts come from the Feed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/grid/html/FakeHtmlCanvas.h"
#include "grid/html/HtmlLayout.h"
#include "grid/html/HtmlPictureFile.h"
#include "tests/support/TempDir.h"

#include "tests/support/ParamPrinting.h"

namespace orlex::grid {
namespace {

std::string Repeat(const std::string& part, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += part;
  return out;
}

struct BoundCase {
  const char* name;
  std::string markup;
  int width;
};

void PrintTo(const BoundCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class HtmlBoundsTest : public testing::TestWithParam<BoundCase> {};

// Measuring work stays proportional to the text: each piece is measured a small number of times.
TEST_P(HtmlBoundsTest, MeasuringWorkIsLinear) {
  const BoundCase& c = GetParam();
  for (const bool measureOnly : {true, false}) {
    TFakeHtmlCanvas canvas;
    THtmlParams params = CellParams(c.width, 65535);
    params.MeasureOnly = measureOnly;
    const THtmlResult result = DrawHTMLText(canvas, c.markup, params);
    EXPECT_LE(canvas.measureCalls, 8 * static_cast<long long>(c.markup.size()) + 16);
    EXPECT_GE(result.Height, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlBoundsTest,
    testing::Values(BoundCase{"OneHugeWord", "<B>" + std::string(200000, 'w'), 100},
                    BoundCase{"ManyShortWordsInANarrowCell", "<B>" + Repeat("ab ", 50000), 15},
                    BoundCase{"ZeroWidth", "<B>" + Repeat("ab cd<I>e</I> ", 5000), 0},
                    BoundCase{"NegativeWidth", "<B>" + Repeat("xy ", 5000), -50},
                    BoundCase{"ManyBreaks", Repeat("<BR>", 50000), 100},
                    BoundCase{"ManyListItems", "<UL>" + Repeat("<LI>", 20000), 100},
                    BoundCase{"ManyTabs", Repeat("a<IN x=\"99999999\">", 20000), 100},
                    BoundCase{"DeepLists", Repeat("<UL>", 20000) + "<LI>x</B>", 100},
                    BoundCase{"HugeFontsAndPictures",
                              Repeat("<FONT SIZE=\"100000\">x<IMG SRC=\"pic\" WIDTH=\"9999999999\" HEIGHT=\"99999\">", 2000),
                              100},
                    BoundCase{"UnclosedTags", Repeat("<B", 50000), 100}),
    [](const testing::TestParamInfo<BoundCase>& info) { return std::string(info.param.name); });

TEST(HtmlBoundsTest, HugeSizesStayWithinLimits) {
  TFakeHtmlCanvas canvas;
  canvas.pictureSizes["pic"] = {10, 10};
  THtmlParams params = CellParams(100, 65535);
  params.MeasureOnly = true;
  const std::string markup = Repeat("<IMG SRC=\"pic\" WIDTH=\"99999999999\" HEIGHT=\"99999999999\"><BR>", 100000);
  const THtmlResult result = DrawHTMLText(canvas, markup, params);
  EXPECT_GT(result.Height, 0);  // saturates instead of overflowing
  EXPECT_LE(result.Width, kHtmlMaxExtent);
}

TEST(HtmlPictureFileTest, ReadsOnlyBoundedRegularFiles) {
  TTempDir dir;
  const std::string file = dir.File("picture.bin");
  { std::ofstream(file, std::ios::binary) << std::string(1000, 'x'); }
  EXPECT_EQ(ReadPictureFile(file).value_or("").size(), 1000u);
  EXPECT_EQ(ReadPictureFile(file, 999), std::nullopt);  // larger than the limit
  EXPECT_EQ(ReadPictureFile(dir.File("missing.png")), std::nullopt);
  EXPECT_EQ(ReadPictureFile(dir.Path()), std::nullopt);  // a directory
  EXPECT_EQ(ReadPictureFile("/dev/zero"), std::nullopt);  // a device
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadPictureFile(fifo), std::nullopt);  // returns at once instead of waiting for a writer
}

TEST(HtmlPictureFileTest, FileSourcesGiveTheirPath) {
  EXPECT_EQ(PictureFilePath("FILE:///tmp/A.png"), "/tmp/A.png");
  EXPECT_EQ(PictureFilePath("file://rel/b.gif"), "rel/b.gif");
  EXPECT_EQ(PictureFilePath("RES://gauge"), std::nullopt);
}

}  // namespace
}  // namespace orlex::grid
