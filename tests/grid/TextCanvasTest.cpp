// The canvas draws a short line that certainly fits without measuring it: what it draws must be
// exactly what the full layout draws, pixel for pixel, also at the edge of fitting.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

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
  canvas.SetFitShortcut(shortcut);
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

}  // namespace
