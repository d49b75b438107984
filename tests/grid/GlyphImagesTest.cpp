// Texts composed from ready-blended glyph images must be exactly what drawing their glyph runs gives,
// byte for byte: across fonts, sizes, colour pairs, sub-pixel offsets and device formats, on a clean
// background and beside other drawing, clipped or running off the image; and in the grid's own paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QRawFont>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "grid/CellGrid.h"
#include "grid/GlyphImages.h"
#include "tests/grid/GlyphPlacing.h"
#include "tests/grid/SystemGridWidget.h"
#include "tests/support/ParamPrinting.h"

using namespace orlex::grid;

namespace {

struct TGlyphCase {
  const char* name;
  const char* family;
  int pixels;
  bool bold;
  bool italic;
  QRgb text;
  QRgb background;
  bool highlight;  // the theme's highlight colours instead of text and background
  QImage::Format format;
};

void PrintTo(const TGlyphCase& c, std::ostream* os) { *os << c.name; }

bool SameBytes(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.format() != b.format()) return false;
  for (int y = 0; y < a.height(); ++y) {
    if (std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<std::size_t>(a.width()) * 4) != 0) return false;
  }
  return true;
}

// Ways a text meets its surroundings.
enum class TScene { Clean, NoHint, BarThrough, BarBeside, Clipped, OffTheEdge };

class GlyphImagesDraw : public testing::TestWithParam<TGlyphCase> {};

TEST_P(GlyphImagesDraw, ComposedTextsAreTheGlyphRunsPixels) {
  const TGlyphCase& c = GetParam();
  QFont qfont(c.family);
  qfont.setPixelSize(c.pixels);
  qfont.setBold(c.bold);
  qfont.setItalic(c.italic);
  const QRawFont font = QRawFont::fromFont(qfont);
  ASSERT_TRUE(font.isValid());
  ASSERT_EQ(font.familyName(), QString(c.family));
  const QPalette palette = QApplication::palette();
  const QColor text = c.highlight ? palette.color(QPalette::HighlightedText) : QColor::fromRgb(c.text);
  const QColor background = c.highlight ? palette.color(QPalette::Highlight) : QColor::fromRgb(c.background);
  const QSize size(20 * c.pixels, 3 * c.pixels + 16);
  const int baseline = c.pixels + 8;

  TGlyphImageDrawer drawer;
  int composed = 0;
  int cleanValues = 0;
  int composedCleanValues = 0;
  for (const QString& value : {QString("115.0"), QString("-0.0001"), QString("1234567.89"), QString("+12 ms"),
                               QString("WWWiii"), QString("ff"), QString("T.V."), QString("7/11"), QString("8"),
                               QString("."), QString(" "), QString("  1 ")}) {
    for (const int fraction : {0, 9, 32, 47}) {
      const TPlacedText placed = PlaceGlyphs(font, value, fraction);
      std::vector<QPointF> positions;
      for (const TFixed64 x : placed.x) positions.emplace_back(x / 64.0, 0);
      QGlyphRun run;
      run.setRawFont(font);
      run.setRawData(placed.glyphs.data(), positions.data(), static_cast<int>(positions.size()));
      const int textWidth = placed.advance / 64;
      for (const TScene scene : {TScene::Clean, TScene::NoHint, TScene::BarThrough, TScene::BarBeside,
                                 TScene::Clipped, TScene::OffTheEdge}) {
        const QPoint origin = scene == TScene::OffTheEdge ? QPoint(size.width() - textWidth / 2, baseline)
                              : scene == TScene::NoHint   ? QPoint(7 * c.pixels + 3, baseline + c.pixels)
                                                          : QPoint(5, baseline);
        auto draw = [&](bool images) {
          QImage image(size, c.format);
          image.fill(background);
          QPainter painter(&image);
          // Another drawing in the text's box: a bar across its middle, or one just right of its last glyph.
          if (scene == TScene::BarThrough) painter.fillRect(origin.x() + textWidth / 2, 0, 2, size.height(), Qt::red);
          if (scene == TScene::BarBeside) painter.fillRect(origin.x() + textWidth + 1, 0, 3, size.height(), Qt::red);
          if (scene == TScene::Clipped) painter.setClipRect(QRect(0, 0, origin.x() + textWidth / 2, baseline - 2));
          painter.setPen(text);
          const std::optional<QRgb> hint =
              scene == TScene::NoHint ? std::nullopt : std::optional<QRgb>(background.rgba());
          bool fast = false;
          if (images) fast = drawer.Draw(painter, 1, font, origin, placed, hint);
          if (!fast) painter.drawGlyphRun(QPointF(origin), run);
          painter.end();
          return std::pair(image, fast);
        };
        const auto [viaImages, fast] = draw(true);
        const auto [viaRun, unused] = draw(false);
        EXPECT_TRUE(SameBytes(viaImages, viaRun))
            << "'" << value.toStdString() << "' at +" << fraction << "/64, scene " << static_cast<int>(scene)
            << (fast ? ", composed" : ", drawn");
        composed += fast;
        if (scene == TScene::Clean && fraction == 0 && value == QString("1234567.89")) {
          ++cleanValues;
          composedCleanValues += fast;
        }
      }
    }
  }
  // Not a comparison of drawGlyphRun with itself: the composing way is taken, for a value on whole
  // pixels always (at other offsets neighbouring glyphs may share an edge pixel and are drawn as a run).
  EXPECT_GT(composed, 0);
  if (!c.italic) {
    EXPECT_EQ(composedCleanValues, cleanValues);
  }
}

constexpr auto kRgb = QImage::Format_RGB32;
constexpr auto kArgb = QImage::Format_ARGB32_Premultiplied;

INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphImagesDraw,
    testing::Values(
        TGlyphCase{"DejaVuBlackOnWhite13", "DejaVu Sans", 13, false, false, 0x000000, 0xFFFFFF, false, kRgb},
        TGlyphCase{"DejaVuBoldOnCyan8", "DejaVu Sans", 8, true, false, 0x101010, 0xC0FFFF, false, kArgb},
        TGlyphCase{"DejaVuItalicWhiteOnBlue24", "DejaVu Sans", 24, false, true, 0xFFFFFF, 0x000080, false, kRgb},
        TGlyphCase{"LiberationSansOnCyan11", "Liberation Sans", 11, false, false, 0x000000, 0x80FFFF, false, kRgb},
        TGlyphCase{"LiberationSansLowContrast17", "Liberation Sans", 17, false, false, 0x707070, 0x909090, false,
                   kArgb},
        TGlyphCase{"LiberationSansBoldHighlight13", "Liberation Sans", 13, true, false, 0, 0, true, kRgb},
        TGlyphCase{"LiberationSansItalic40", "Liberation Sans", 40, false, true, 0x202040, 0xC0FFFF, false, kArgb},
        TGlyphCase{"LiberationSansBold40", "Liberation Sans", 40, true, false, 0x000000, 0xFFFFFF, false, kRgb},
        TGlyphCase{"LiberationMonoOnLight9", "Liberation Mono", 9, false, false, 0x303030, 0x80FFFF, false, kRgb},
        TGlyphCase{"LiberationMonoBoldBlue29", "Liberation Mono", 29, true, false, 0xFFFFFF, 0x000080, false,
                   kArgb},
        TGlyphCase{"LiberationSerif15", "Liberation Serif", 15, false, false, 0x000000, 0xFFFFFF, false, kArgb},
        TGlyphCase{"LiberationSerifItalicLow12", "Liberation Serif", 12, false, true, 0x8C8CF0, 0x8CF0F9, false,
                   kRgb},
        TGlyphCase{"LiberationSerifBoldHighlight33", "Liberation Serif", 33, true, false, 0, 0, true, kArgb}),
    [](const auto& info) { return std::string(info.param.name); });

// The grid's paint after a packet of new values, on the window's own backing store: the same pixels
// with the glyph images as without, and the values take that way.
TEST(GlyphImagesGrid, ChangedValuesPaintTheSamePixels) {
  TCellGrid grid;
  ShowFilledSystemGrid(grid);
  auto packet = [&grid](int number, bool images) {
    grid.Canvas().SetGlyphImages(images);
    for (int i = 0; i < 60; ++i) {
      grid.SetCells(1 + 2 * (i / 20), 1 + i % 20, std::to_string(number * 7919 + i * 131) + "." + std::to_string(i % 10));
    }
    grid.FlushRepaints();
    QApplication::processEvents();
  };
  auto shown = [&grid] {
    QPaintDevice* device = grid.window()->backingStore()->paintDevice();
    EXPECT_EQ(device->devType(), QInternal::Image);
    return static_cast<QImage*>(device)->copy();
  };
  packet(1, true);
  const std::size_t before = grid.Canvas().GlyphImageRunsDrawn();
  packet(2, true);
  const std::size_t composed = grid.Canvas().GlyphImageRunsDrawn() - before;
  const QImage withImages = shown();
  packet(1, false);
  packet(2, false);
  const QImage without = shown();
  EXPECT_GE(composed, 50u);
  EXPECT_TRUE(SameBytes(withImages, without));
}

}  // namespace
