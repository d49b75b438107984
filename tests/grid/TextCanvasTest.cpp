// The canvas draws a short line that certainly fits without measuring it, and plain ASCII runs from
// its glyph table without shaping them: what it draws must be exactly what the full layout draws,
// pixel for pixel, also at the edge of fitting, and what it measures exactly what the layout measures.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "grid/TextCanvas.h"

using namespace orlex::grid;

namespace {

struct TFitCase {
  const char* name;
  const char* font;
  int points;
  TFontStyles style;
  unsigned flags;
};

void PrintTo(const TFitCase& c, std::ostream* os) { *os << c.name; }

constexpr unsigned kCellFlags = DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX | DT_WORDBREAK;
constexpr unsigned kSingleLineFlags = DT_SINGLELINE | DT_END_ELLIPSIS | DT_EXPANDTABS | DT_NOPREFIX | DT_VCENTER;

QImage Draw(TTextCanvas& canvas, const TFitCase& c, const QString& text, int width, bool shortcut) {
  QImage image(260, 40, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  canvas.SetPainter(&painter);
  canvas.SetShortcuts(shortcut);
  canvas.SelectFont(c.font, c.points, c.style);
  canvas.SetTextColor(Qt::black);
  QRect rect(3, 2, width, 30);
  canvas.DrawText(text, rect, c.flags);
  canvas.SetPainter(nullptr);
  return image;
}

class TextCanvasFit : public testing::TestWithParam<TFitCase> {};

TEST_P(TextCanvasFit, DrawsWhatTheFullLayoutDraws) {
  const TFitCase& c = GetParam();
  TTextCanvas canvas;
  // Values, descriptions, glyphs that reach outside their advance, kerning pairs, blanks at the end
  // (dropped when wrapping, underlined when not), blanks only, and the ampersand.
  for (const QString& text : {QString("127.1"), QString("Bench PID 21"), QString("fjord jig"), QString("AVATAR To."),
                             QString("end  "), QString("   "), QString("R&D 1")}) {
    canvas.SelectFont(c.font, c.points, c.style);
    QRect measured(0, 0, 1000, 30);
    canvas.DrawText(text, measured, (c.flags & ~DT_END_ELLIPSIS) | DT_CALCRECT);
    const int exact = measured.width();
    // Widths around the text's own, where fitting is decided, and a roomy cell.
    for (const int width : {exact - 1, exact, exact + 1, exact + 8, 124}) {
      if (width <= 0) continue;
      EXPECT_TRUE(Draw(canvas, c, text, width, true) == Draw(canvas, c, text, width, false))
          << "'" << text.toStdString() << "' in " << width << " px (text " << exact << " px)";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCanvasFit,
    testing::Values(TFitCase{"ValueCell", "Arial", 10, 0, kCellFlags},
                    TFitCase{"HeaderCell", "Arial", 8, 0, kCellFlags},
                    TFitCase{"BoldCell", "Tahoma", 8, fsBold, kCellFlags},
                    TFitCase{"ItalicUnderlined", "Arial", 12, fsItalic | fsUnderline, kCellFlags},
                    TFitCase{"SingleLineEllipsis", "Arial", 10, 0, kSingleLineFlags},
                    TFitCase{"UnderlinedSingleLine", "Arial", 10, fsUnderline, DT_SINGLELINE | DT_NOPREFIX},
                    TFitCase{"WithPrefixRule", "Arial", 10, 0, DT_EDITCONTROL | DT_WORDBREAK}),
    [](const auto& info) { return std::string(info.param.name); });

// The glyph table's fonts: the grid's own, the sizes its zoom reaches, a serif, a fixed pitch, a
// family the system has only as a fallback, bold and italic, and a line under the text (which the
// table leaves to the full layout).
struct TPlainCase {
  const char* name;
  const char* font;
  std::vector<int> points;
  TFontStyles style;
};

void PrintTo(const TPlainCase& c, std::ostream* os) { *os << c.name; }

class TextCanvasPlain : public testing::TestWithParam<TPlainCase> {};

QImage DrawAt(TTextCanvas& canvas, const TPlainCase& c, int points, const QString& text, unsigned flags,
              bool shortcuts) {
  QImage image(300, 44, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  canvas.SetPainter(&painter);
  canvas.SetShortcuts(shortcuts);
  canvas.SelectFont(c.font, points, c.style);
  canvas.SetTextColor(Qt::black);
  QRect rect(2, 2, 290, 40);
  canvas.DrawText(text, rect, flags);
  canvas.SetPainter(nullptr);
  return image;
}

TEST_P(TextCanvasPlain, DrawsAndMeasuresWhatTheFullLayoutDoes) {
  const TPlainCase& c = GetParam();
  // Values (digits, signs, decimals, units), descriptions, kerning pairs and ligatures alone and among
  // letters, digit pairs that kern among letters in some fonts, and runs between tabs.
  const QStringList texts = {"0123456789", "-127.25", "+3.5e-4", "1.1", "11.11", "-1", "100 %", "12:30",
                             "Engine Speed", "AV", "AVATAR", "To", "Tokyo", "fi", "office", "fjord", "Wa.",
                             "LT P. r, y.", "x 11 -1", "Yo 7/8", "1\t2\tAV", "~`^_|{}"};
  const unsigned layouts[] = {DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER,
                              DT_SINGLELINE | DT_NOPREFIX | DT_RIGHT | DT_END_ELLIPSIS,
                              DT_SINGLELINE | DT_NOPREFIX | DT_CENTER | DT_EXPANDTABS,
                              DT_EDITCONTROL | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS};
  TTextCanvas plain;
  TTextCanvas full;
  for (const int points : c.points) {
    for (const QString& text : texts) {
      for (const unsigned flags : layouts) {
        EXPECT_TRUE(DrawAt(plain, c, points, text, flags, true) == DrawAt(full, c, points, text, flags, false))
            << "'" << text.toStdString() << "' at " << points << " pt, flags " << flags;
      }
      QRect measuredPlain(0, 0, 1000, 40);
      QRect measuredFull(0, 0, 1000, 40);
      plain.SetShortcuts(true);
      full.SetShortcuts(false);
      plain.SelectFont(c.font, points, c.style);
      full.SelectFont(c.font, points, c.style);
      plain.DrawText(text, measuredPlain, DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
      full.DrawText(text, measuredFull, DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
      EXPECT_EQ(measuredPlain, measuredFull) << "'" << text.toStdString() << "' at " << points << " pt";
    }
  }
}

// Rectangles cut close around the text, where the clip decides pixels: an edge of each glyph
// touching or crossing an edge of the rectangle, at every alignment.
TEST_P(TextCanvasPlain, ClipsWhereTheFullLayoutClips) {
  const TPlainCase& c = GetParam();
  TTextCanvas plain;
  TTextCanvas full;
  plain.SetShortcuts(true);
  full.SetShortcuts(false);
  auto draw = [&c](TTextCanvas& canvas, int points, const QString& text, QRect rect, unsigned flags) {
    QImage image(rect.width() + 8, rect.height() + 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    canvas.SetPainter(&painter);
    canvas.SelectFont(c.font, points, c.style);
    canvas.SetTextColor(Qt::black);
    canvas.DrawText(text, rect, flags);
    canvas.SetPainter(nullptr);
    return image;
  };
  for (const int points : c.points) {
    for (const QString& text : {QString("-127.25"), QString("0.9"), QString("Wjy|"), QString("(fg)"), QString("T1"),
                                QString("j_")}) {
      QRect measured(0, 0, 1000, 100);
      full.SelectFont(c.font, points, c.style);
      full.DrawText(text, measured, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
      for (const int dw : {-1, 0, 2}) {
        for (const int dh : {-3, -1, 0}) {
          for (const unsigned align : {DT_LEFT | DT_TOP, DT_RIGHT | DT_BOTTOM, DT_CENTER | DT_VCENTER}) {
            const QRect rect(4, 4, measured.width() + dw, measured.height() + dh);
            const unsigned flags = DT_SINGLELINE | DT_NOPREFIX | align;
            EXPECT_TRUE(draw(plain, points, text, rect, flags) == draw(full, points, text, rect, flags))
                << "'" << text.toStdString() << "' at " << points << " pt in " << rect.width() << " x "
                << rect.height() << ", flags " << flags;
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCanvasPlain,
    testing::Values(TPlainCase{"Arial", "Arial", {6, 7, 8, 9, 10, 11, 12, 14, 16, 20, 28}, 0},
                    TPlainCase{"ArialBold", "Arial", {8, 10, 13}, fsBold},
                    TPlainCase{"ArialItalic", "Arial", {10, 15}, fsItalic},
                    TPlainCase{"TahomaBold", "Tahoma", {8, 11}, fsBold},
                    TPlainCase{"TimesNewRoman", "Times New Roman", {9, 12}, 0},
                    TPlainCase{"CourierNew", "Courier New", {10}, 0},
                    TPlainCase{"MsSansSerifBold", "MS Sans Serif", {8, 10}, fsBold},
                    TPlainCase{"DejaVuSans", "DejaVu Sans", {10, 12}, 0},
                    TPlainCase{"Underlined", "Arial", {10}, fsUnderline}),
    [](const auto& info) { return std::string(info.param.name); });

// A painter that scales or moves by a fraction of a pixel gets what the full layout draws.
TEST(TextCanvasPlainWay, TransformedPaintersDrawAsTheFullLayout) {
  for (const QTransform& transform : {QTransform::fromScale(1.5, 1.5), QTransform::fromTranslate(0.25, 0.5),
                                      QTransform().rotate(10)}) {
    QImage images[2];
    for (const bool shortcuts : {true, false}) {
      TTextCanvas canvas;
      QImage& image = images[shortcuts ? 0 : 1];
      image = QImage(160, 60, QImage::Format_ARGB32_Premultiplied);
      image.fill(Qt::white);
      QPainter painter(&image);
      painter.setTransform(transform);
      canvas.SetPainter(&painter);
      canvas.SetShortcuts(shortcuts);
      canvas.SelectFont("Arial", 10, 0);
      canvas.SetTextColor(Qt::black);
      // A rectangle the text overhangs, so the clip matters too.
      QRect rect(2, 2, 30, 12);
      canvas.DrawText("-127.25 rpm", rect, DT_SINGLELINE | DT_NOPREFIX);
      canvas.SetPainter(nullptr);
    }
    EXPECT_TRUE(images[0] == images[1]) << transform.type();
  }
}

// The glyph table serves the grid's fonts: values drawn in them take it, kerning pairs do not.
TEST(TextCanvasPlainWay, CommonValuesTakeItAndKerningPairsDoNot) {
  TTextCanvas canvas;
  QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  canvas.SetPainter(&painter);
  for (const auto& [font, style] : {std::pair{"Arial", TFontStyles{0}}, std::pair{"Arial", TFontStyles{fsBold}},
                                    std::pair{"MS Sans Serif", TFontStyles{fsBold}}}) {
    canvas.SelectFont(font, 10, style);
    for (const char* value : {"127.5", "-3.25", "1000 rpm", "Bench PID 21"}) {
      const std::size_t before = canvas.PlainRunsDrawn();
      QRect rect(0, 0, 190, 30);
      canvas.DrawText(value, rect, DT_SINGLELINE | DT_NOPREFIX);
      EXPECT_EQ(canvas.PlainRunsDrawn(), before + 1) << value << " in " << font;
    }
  }
  canvas.SelectFont("Arial", 10, 0);
  const std::size_t before = canvas.PlainRunsDrawn();
  QRect rect(0, 0, 190, 30);
  canvas.DrawText("AV", rect, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(canvas.PlainRunsDrawn(), before);
  canvas.SetPainter(nullptr);
}

}  // namespace
