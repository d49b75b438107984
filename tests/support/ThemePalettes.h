#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

// Desktop themes as palettes: the light one the display is drawn with by default, a dark one as a
// dark desktop theme gives it, and a high-contrast one.
struct TThemePalette {
  std::string name;
  QPalette palette;
};

// Failures name the theme, not the palette's bytes.
inline void PrintTo(const TThemePalette& theme, std::ostream* os) { *os << theme.name; }

inline QPalette LightThemePalette() { return QApplication::style()->standardPalette(); }

inline QPalette DarkThemePalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
  p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xec));
  p.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
  p.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x35));
  p.setColor(QPalette::Text, QColor(0xee, 0xee, 0xec));
  p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
  p.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xec));
  p.setColor(QPalette::Highlight, QColor(0x15, 0x53, 0x9e));
  p.setColor(QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
  p.setColor(QPalette::ToolTipBase, QColor(0x20, 0x20, 0x20));
  p.setColor(QPalette::ToolTipText, QColor(0xff, 0xff, 0xff));
  p.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
  p.setColor(QPalette::Mid, QColor(0x2a, 0x2a, 0x2a));
  p.setColor(QPalette::Dark, QColor(0x1b, 0x1b, 0x1b));
  return p;
}

inline QPalette HighContrastPalette() {
  QPalette p(Qt::white, Qt::black);
  p.setColor(QPalette::WindowText, Qt::white);
  p.setColor(QPalette::Text, Qt::white);
  p.setColor(QPalette::ButtonText, Qt::white);
  p.setColor(QPalette::Base, Qt::black);
  p.setColor(QPalette::Button, Qt::black);
  p.setColor(QPalette::Highlight, QColor(0x00, 0xff, 0xff));
  p.setColor(QPalette::HighlightedText, Qt::black);
  return p;
}

inline std::vector<TThemePalette> ThemePalettes() {
  return {{"Light", LightThemePalette()}, {"Dark", DarkThemePalette()}, {"HighContrast", HighContrastPalette()}};
}

// WCAG contrast ratio of two colours.
inline double Contrast(QRgb a, QRgb b) {
  auto linear = [](int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  auto luminance = [&](QRgb c) {
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of the text drawn in `area` against the background colour: the ink pixel that stands
// out most (the glyphs' fully covered pixels; anti-aliased edges lie between). 0 when nothing is drawn.
inline double InkContrast(const QImage& image, const QRect& area, QRgb background) {
  double best = 0.0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb pixel = image.pixel(x, y) | 0xFF000000u;
      if (pixel != (background | 0xFF000000u)) best = std::max(best, Contrast(pixel, background));
    }
  }
  return best;
}

// Applies a palette to the whole application for the life of the object.
class TPaletteGuard {
 public:
  explicit TPaletteGuard(const QPalette& palette) : old_(QApplication::palette()) { QApplication::setPalette(palette); }
  ~TPaletteGuard() { QApplication::setPalette(old_); }

 private:
  QPalette old_;
};
