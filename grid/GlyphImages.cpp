#include "grid/GlyphImages.h"

#include <QColorSpace>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QTransform>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace orlex::grid {

namespace {

// Glyphs at least this many pixels high are drawn as outlines rather than from the engine's glyph
// images, unless the environment moves the limit: those are left to drawGlyphRun.
constexpr int kCachedGlyphLimit = 64;

bool GlyphImagesDrawnByEngine(const QRawFont& font) {
  static const bool defaultLimit = qEnvironmentVariableIsEmpty("QT_MAX_CACHED_GLYPH_SIZE");
  return defaultLimit && font.pixelSize() < kCachedGlyphLimit;
}

// Draws the scratch glyphs as a widget: its paint event hands the painter to the drawer.
class TScratchWidget : public QWidget {
 public:
  TScratchWidget() { setAttribute(Qt::WA_OpaquePaintEvent); }
  std::function<void(QPainter&)> paint;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (paint) paint(painter);
  }
};

constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

}  // namespace

TGlyphImageDrawer::TGlyphImageDrawer() = default;

TGlyphImageDrawer::~TGlyphImageDrawer() = default;

void TGlyphImageDrawer::Clear() {
  palettes_.clear();
  lastPalette_ = nullptr;
  bytes_ = 0;
}

void TGlyphImageDrawer::PaintScratch(QImage& image, bool widget, const std::function<void(QPainter&)>& paint) {
  if (!widget) {
    QPainter painter(&image);
    paint(painter);
    return;
  }
  // The engine asks the font for a widget's own glyph format (which may be sub-pixel colour) only when
  // the painter's device is a widget; rendering one into the scratch image gives exactly that.
  if (!probe_) probe_ = std::make_unique<TScratchWidget>();
  auto* probe = static_cast<TScratchWidget*>(probe_.get());
  probe->resize(image.size());
  probe->paint = paint;
  probe->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
  probe->paint = nullptr;
}

TGlyphImageDrawer::TEntry TGlyphImageDrawer::MakeEntry(const TPaletteKey& key, const QRawFont& font,
                                                      std::uint32_t glyph, int fraction, const QImage& device) {
  TEntry entry;
  // A box around the glyph's outline with room to spare; a glyph image that reaches the edge is not
  // trusted to be whole.
  const QRectF bounds = font.boundingRect(glyph);
  const int margin = 3 + static_cast<int>(font.pixelSize()) / 4;
  const int left = static_cast<int>(std::floor(bounds.left())) - margin;
  const int top = static_cast<int>(std::floor(bounds.top())) - margin;
  const int right = static_cast<int>(std::ceil(bounds.right())) + margin + 1;
  const int bottom = static_cast<int>(std::ceil(bounds.bottom())) + margin;
  const int width = right - left;
  const int height = bottom - top;
  if (width <= 0 || height <= 0 || width > 1024 || height > 1024) return entry;
  const QPoint origin(-left, -top);

  QGlyphRun run;
  run.setRawFont(font);
  run.setGlyphIndexes({glyph});
  run.setPositions({QPointF(fraction / 64.0, 0)});
  const auto draw = [&run, &key, origin](QImage& image, const QColor& text, QRgb background) {
    return [&run, &key, origin, text, background, &image](QPainter& painter) {
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.fillRect(image.rect(), QColor::fromRgb(background));
      painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
      painter.setRenderHints(painter.renderHints(), false);
      painter.setRenderHints(QPainter::RenderHints::fromInt(key.hints), true);
      painter.setPen(QPen(text));
      painter.drawGlyphRun(QPointF(origin), run);
    };
  };
  const auto format = static_cast<QImage::Format>(key.format);
  QImage blended(width, height, format);
  blended.setColorSpace(device.colorSpace());
  PaintScratch(blended, key.widget, draw(blended, QColor::fromRgba64(QRgba64::fromRgba64(key.text)), key.background));
  // Any coverage at all leaves a pixel of white on black other than black.
  QImage coverage(width, height, format);
  coverage.setColorSpace(device.colorSpace());
  PaintScratch(coverage, key.widget, draw(coverage, Qt::white, kOpaqueBlack));

  TPixelBox covered{width, height, 0, 0};
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(blended.constScanLine(y));
    const auto* cover = reinterpret_cast<const std::uint32_t*>(coverage.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      if (pixels[x] == key.background && cover[x] == kOpaqueBlack) continue;
      mask[static_cast<std::size_t>(y) * width + x] = 1;
      covered.left = std::min(covered.left, x);
      covered.top = std::min(covered.top, y);
      covered.right = std::max(covered.right, x + 1);
      covered.bottom = std::max(covered.bottom, y + 1);
    }
  }
  entry.usable = true;
  if (covered.Empty()) return entry;
  if (covered.left == 0 || covered.top == 0 || covered.right == width || covered.bottom == height) {
    entry.usable = false;
    return entry;
  }
  TGlyphStamp& stamp = entry.stamp;
  stamp.left = covered.left - origin.x();
  stamp.top = covered.top - origin.y();
  stamp.width = covered.Width();
  stamp.height = covered.Height();
  stamp.pixels.reserve(static_cast<std::size_t>(stamp.width) * stamp.height);
  stamp.covered.reserve(stamp.pixels.capacity());
  for (int y = covered.top; y < covered.bottom; ++y) {
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(blended.constScanLine(y));
    for (int x = covered.left; x < covered.right; ++x) {
      stamp.pixels.push_back(pixels[x]);
      stamp.covered.push_back(mask[static_cast<std::size_t>(y) * width + x]);
    }
  }
  stamp.Prepare();
  return entry;
}

const TGlyphImageDrawer::TEntry& TGlyphImageDrawer::Entry(TPalette& palette, const TPaletteKey& key,
                                                          const QRawFont& font, std::uint32_t glyph, int fraction,
                                                          const QImage& device) {
  const std::uint64_t glyphKey = (static_cast<std::uint64_t>(glyph) << 6) | static_cast<std::uint64_t>(fraction);
  auto& recent = palette.recent[(glyphKey * 0x9E3779B97F4A7C15u) >> 56];
  static_assert(TPalette::kRecent == 256);
  if (recent.second && recent.first == glyphKey) return *recent.second;
  auto found = palette.entries.find(glyphKey);
  if (found == palette.entries.end()) {
    TEntry entry = MakeEntry(key, font, glyph, fraction, device);
    bytes_ += entry.stamp.Bytes() + sizeof(TEntry);
    found = palette.entries.emplace(glyphKey, std::move(entry)).first;
  }
  recent = {glyphKey, &found->second};
  return found->second;
}

bool TGlyphImageDrawer::Draw(QPainter& painter, std::uint64_t fontId, const QRawFont& font, QPoint origin,
                             const TPlacedText& placed, std::optional<QRgb> background) {
  if (placed.glyphs.empty() || placed.glyphs.size() != placed.x.size() || !GlyphImagesDrawnByEngine(font)) {
    return false;
  }
  // The engine draws glyphs this way only for a solid opaque pen, source-over, full opacity, on a
  // raster image of 32 bits a pixel, moved by whole pixels.
  QPaintEngine* engine = painter.paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster) return false;
  QPaintDevice* target = engine->paintDevice();
  if (!target || target->devType() != QInternal::Image) return false;
  const QImage& device = *static_cast<const QImage*>(target);
  if (device.format() != QImage::Format_RGB32 && device.format() != QImage::Format_ARGB32_Premultiplied) {
    return false;
  }
  const QPen& pen = painter.pen();
  if (pen.style() == Qt::NoPen || pen.brush().style() != Qt::SolidPattern || pen.color().rgba64().alpha() != 0xFFFF ||
      painter.compositionMode() != QPainter::CompositionMode_SourceOver || painter.opacity() != 1.0) {
    return false;
  }
  // A clip set with antialiasing may cover edge pixels in part, which glyphs ignore and images do not.
  if (painter.hasClipping() && painter.testRenderHint(QPainter::Antialiasing)) return false;
  const QTransform transform = painter.deviceTransform();
  if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx()) ||
      transform.dy() != std::floor(transform.dy())) {
    return false;
  }
  const QPoint shift(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
  const QPoint at = origin + shift;

  std::uint32_t under = 0;
  if (background && qAlpha(*background) == 255) {
    under = *background;
  } else {
    // No hint: the pixel at the top left of the text's ink box, which the glyphs hardly ever reach;
    // a wrong guess only costs the check below.
    const QPoint probe = at + QPoint(placed.ink.left, placed.ink.top);
    if (!device.rect().contains(probe)) return false;
    under = reinterpret_cast<const std::uint32_t*>(device.constScanLine(probe.y()))[probe.x()];
  }
  if (qAlpha(under) != 255) return false;

  if (bytes_ > kByteLimit) Clear();
  const TPaletteKey key{fontId,
                        pen.color().rgba64(),
                        under,
                        static_cast<int>(device.format()),
                        painter.device() && painter.device()->devType() == QInternal::Widget,
                        static_cast<int>(painter.renderHints().toInt())};
  if (!lastPalette_ || !(key == lastKey_)) {
    const auto [palette, made] = palettes_.try_emplace(key);
    if (made) bytes_ += sizeof(TPalette);
    lastPalette_ = &palette->second;
    lastKey_ = key;
  }
  TPalette& palette = *lastPalette_;

  stamps_.clear();
  for (std::size_t i = 0; i < placed.glyphs.size(); ++i) {
    const TFixed64 x = static_cast<TFixed64>(at.x()) * 64 + placed.x[i];
    const int pixel = FloorFixed64(x);
    const TEntry& entry = Entry(palette, key, font, placed.glyphs[i], x - pixel * 64, device);
    if (!entry.usable) return false;
    if (entry.stamp.Empty()) continue;
    stamps_.push_back(TPlacedStamp{&entry.stamp, pixel + entry.stamp.left, at.y() + entry.stamp.top});
  }
  const TPixelBox box = StampsBox(stamps_);
  if (box.Empty()) return true;  // blanks only: drawing them changes no pixel

  if (box_.width() < box.Width() || box_.height() < box.Height()) {
    box_ = QImage(std::max({box_.width(), box.Width(), 256}), std::max({box_.height(), box.Height(), 64}),
                  QImage::Format_RGB32);
  }
  const TPixelRows rows{reinterpret_cast<const std::uint32_t*>(device.constBits()),
                        static_cast<std::ptrdiff_t>(device.bytesPerLine() / 4), device.width(), device.height()};
  if (!ComposeStamps(rows, box, stamps_, under, reinterpret_cast<std::uint32_t*>(box_.bits()),
                     static_cast<std::ptrdiff_t>(box_.bytesPerLine() / 4), used_)) {
    return false;
  }
  // Drawn through the painter, so its clip still decides which of the box's pixels land.
  painter.drawImage(QPointF(box.left - shift.x(), box.top - shift.y()), box_,
                    QRectF(0, 0, box.Width(), box.Height()));
  return true;
}

}  // namespace orlex::grid
