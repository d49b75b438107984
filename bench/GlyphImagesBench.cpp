// One value text drawn on its freshly filled cell, as the grid repaints a changed value. Sixty cells,
// each value new, placed from a whole pixel as the grid places them. Argument text: 0 the fill alone (what the others cost
// besides their text), 1 the text as a glyph run, 2 from ready-blended glyph images.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <cmath>
#include <string>
#include <vector>

#include "grid/GlyphImages.h"
#include "tests/grid/GlyphPlacing.h"

using namespace orlex::grid;

namespace {

void BM_ValueText(benchmark::State& state) {
  const int text = static_cast<int>(state.range(0));
  QFont qfont("DejaVu Sans");
  qfont.setPixelSize(13);
  const QRawFont font = QRawFont::fromFont(qfont);
  constexpr int kCellWidth = 120;
  constexpr int kCellHeight = 18;
  const QRgb background = qRgb(0xFF, 0xFF, 0xE1);
  QImage image(3 * kCellWidth, 20 * kCellHeight, QImage::Format_RGB32);
  image.fill(background);
  // Values of one packet after another; a few hundred texts in turn.
  std::vector<TPlacedText> texts;
  std::vector<QGlyphRun> runs;
  std::vector<std::vector<QPointF>> positions;
  for (int i = 0; i < 600; ++i) {
    const QString value = QString::fromStdString(std::to_string((i * 7919) % 1000003) + "." + std::to_string(i % 10));
    texts.push_back(PlaceGlyphs(font, value));
  }
  for (const TPlacedText& placed : texts) {
    std::vector<QPointF>& at = positions.emplace_back();
    for (const TFixed64 x : placed.x) at.emplace_back(x / 64.0, 0);
    QGlyphRun& run = runs.emplace_back();
    run.setRawFont(font);
    run.setRawData(placed.glyphs.data(), at.data(), static_cast<int>(at.size()));
  }
  TGlyphImageDrawer drawer;
  QPainter painter(&image);
  painter.setPen(Qt::black);
  std::size_t next = 0;
  long composed = 0;
  for (auto _ : state) {
    for (int cell = 0; cell < 60; ++cell) {
      const QRect rect((cell / 20) * kCellWidth, (cell % 20) * kCellHeight, kCellWidth, kCellHeight);
      painter.fillRect(rect, QColor::fromRgb(background));
      const QPoint origin(rect.left() + 4, rect.top() + 14);
      const std::size_t i = next++ % texts.size();
      if (text == 0) continue;
      if (text == 2 && drawer.Draw(painter, 1, font, origin, texts[i], background)) {
        ++composed;
      } else {
        painter.drawGlyphRun(QPointF(origin), runs[i]);
      }
    }
  }
  state.counters["composed_of_60"] =
      static_cast<double>(composed) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ValueText)->ArgName("text")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
