#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <string>

#include "grid/CellGrid.h"
#include "grid/GridColorQt.h"
#include "grid/HtmlPictures.h"
#include "tests/support/TempDir.h"
#include "tests/grid/GridPixels.h"
#include "tests/grid/SystemGridWidget.h"

using namespace orlex::grid;

namespace {

constexpr TColor kValueColor = 0x8CF0F9;

class CellGridHtmlTest : public testing::Test {
 protected:
  void SetUp() override {
    ConfigureSystemGridWidget(grid);
    SystemColumnColors(grid);
  }
  QRgb Colour(TColor color) const { return Rgb(ColorToQColor(color, grid.palette())); }
  // Ink of a value cell relative to the cell's top left.
  QRect Ink(int row) {
    const QRect cell = grid.CellRect(1, row);
    return InkBox(RenderGrid(grid), cell.adjusted(0, 0, -2, -2), Colour(kValueColor)).translated(-cell.topLeft());
  }

  TCellGrid grid;
};

TEST_F(CellGridHtmlTest, BoldFollowsPlainTextOnOneLine) {
  grid.SetCells(1, 1, "Speed<B>RPM</B>");
  grid.SetCells(1, 2, "SpeedRPM");
  grid.SetCells(1, 3, "Speed");
  const QRect html = Ink(1);
  const QRect plain = Ink(2);
  EXPECT_EQ(html.top(), plain.top());
  EXPECT_EQ(html.height(), plain.height());  // one line
  EXPECT_GE(html.width(), plain.width());
  // "Speed" itself is drawn exactly as plain text; RPM right after it carries more ink, being bold.
  const QImage image = RenderGrid(grid);
  const QRect speed = Ink(3);
  auto inkAfterSpeed = [&](int row) {
    const QRect cell = grid.CellRect(1, row);
    int count = 0;
    for (int y = cell.top(); y < cell.bottom(); ++y) {
      for (int x = cell.left() + speed.right() + 1; x < cell.right() - 1; ++x) {
        count += qGray(image.pixel(x, y)) < 96;  // the dark core of the strokes
      }
    }
    return count;
  };
  EXPECT_GT(inkAfterSpeed(1), inkAfterSpeed(2) * 5 / 4);
  for (int y = speed.top(); y <= speed.bottom(); ++y) {
    for (int x = speed.left(); x <= speed.right(); ++x) {
      ASSERT_EQ(image.pixel(grid.CellRect(1, 1).topLeft() + QPoint(x, y)),
                image.pixel(grid.CellRect(1, 3).topLeft() + QPoint(x, y)));
    }
  }
}

TEST_F(CellGridHtmlTest, FontColourDrawsTheTextInThatColour) {
  grid.SetCells(1, 1, "<FONT COLOR=\"clred\">RPM</FONT>");
  grid.SetCells(1, 2, "<FONT COLOR=\"#FF0000\">RPM</FONT>");
  grid.SetCells(1, 3, "<B>RPM</B>");
  const QImage image = RenderGrid(grid);
  const QRgb red = qRgb(255, 0, 0);
  EXPECT_TRUE(HasPixel(image, grid.CellRect(1, 1), red));
  EXPECT_TRUE(HasPixel(image, grid.CellRect(1, 2), red));
  EXPECT_FALSE(HasPixel(image, grid.CellRect(1, 3), red));
}

TEST_F(CellGridHtmlTest, RightAlignedParagraphEndsAtTheCellsRight) {
  grid.SetCells(1, 1, "<P ALIGN=\"RIGHT\">ab</P>");
  const QRect ink = Ink(1);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GT(ink.left(), 80);
  EXPECT_GE(ink.right(), grid.ColWidths(1) - 8);
}

TEST_F(CellGridHtmlTest, PictureFromAFileIsDrawnAndOtherFilesTakeNoSpace) {
  TTempDir dir;
  QImage green(12, 10, QImage::Format_RGB32);
  green.fill(QColor(0, 255, 0));
  ASSERT_TRUE(green.save(QString::fromStdString(dir.File("green.png"))));
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  grid.SetCells(1, 1, "<IMG SRC=\"FILE://" + dir.File("green.png") + "\">");
  // A FIFO, a directory or a missing file must neither block the paint nor take room.
  grid.SetCells(1, 2, "<IMG SRC=\"file://" + dir.File("fifo") + "\"><IMG SRC=\"FILE://" + dir.Path() +
                          "\"><IMG SRC=\"FILE:///no/such.png\"><IMG SRC=\"http://example.com/a.gif\">x");
  grid.SetCells(1, 3, "x");
  const QImage image = RenderGrid(grid);
  const QRect picture = InkBox(image, grid.CellRect(1, 1).adjusted(0, 0, -2, -2), Colour(kValueColor));
  EXPECT_EQ(picture.size(), QSize(12, 10));
  EXPECT_TRUE(HasPixel(image, grid.CellRect(1, 1), qRgb(0, 255, 0)));
  EXPECT_EQ(Ink(2), Ink(3));
  EXPECT_EQ(grid.HtmlPictures().Count(), 5u);  // each source loaded once and kept
  RenderGrid(grid);
  EXPECT_EQ(grid.HtmlPictures().Count(), 5u);
}

TEST_F(CellGridHtmlTest, RowsAreSizedToTheirHtmlLines) {
  grid.SetCells(0, 1, "<B>Engine</B>");
  grid.SetCells(0, 2, "<B>Engine</B><BR>RPM");
  grid.SetCells(0, 3, "<FONT SIZE=\"20\">Big</FONT>");
  for (int row = 1; row <= 3; ++row) grid.AutoSizeRow(row);
  const int oneLine = grid.RowHeights(1);
  EXPECT_GE(oneLine, 22);
  EXPECT_LT(oneLine, 30);
  EXPECT_GE(grid.RowHeights(2), oneLine + 12);  // a second line of the grid font
  EXPECT_GT(grid.RowHeights(3), oneLine + 8);   // a 20-point line
}

TEST_F(CellGridHtmlTest, InlineControlsAreFoundByTheHitTest) {
  grid.SetCells(1, 1, "<CONTROL TYPE=\"CHECK\" ID=\"c\" VALUE=\"TRUE\" WIDTH=\"16\"> on</B>");
  const QRect cell = grid.CellRect(1, 1);
  EXPECT_TRUE(grid.HtmlControlAt(1, 1, cell.topLeft() + QPoint(8, 6)));
  EXPECT_FALSE(grid.HtmlControlAt(1, 1, cell.topLeft() + QPoint(60, 6)));
  EXPECT_FALSE(grid.HtmlControlAt(1, 2, grid.CellRect(1, 2).topLeft() + QPoint(8, 6)));
  EXPECT_FALSE(Ink(1).isEmpty());
}

TEST(HtmlPictureTest, ResourceErrorsCarryTheLoadersTexts) {
  THTMLPicture picture;
  try {
    picture.LoadFromResource("no-such-picture");
    FAIL() << "a missing resource must raise";
  } catch (const EHTMLPictureError& error) {
    EXPECT_STREQ(error.what(), "Could not create image stream");
  }
  EXPECT_TRUE(picture.Empty());
  EXPECT_FALSE(picture.LoadFromBytes("not a picture at all"));  // metafiles and garbage stay empty
  EXPECT_TRUE(picture.Empty());
}

}  // namespace
