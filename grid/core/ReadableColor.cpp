#include "grid/core/ReadableColor.h"

#include <algorithm>
#include <cmath>

namespace orlex::grid {

namespace {

double Linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

bool IsSurface(std::uint8_t index) {
  return index == COLOR_WINDOW || index == COLOR_BTNFACE || index == COLOR_MENU || index == COLOR_MENUBAR;
}

}  // namespace

double RelativeLuminance(TColor rgb) {
  return 0.2126 * Linear(ColorRed(rgb)) + 0.7152 * Linear(ColorGreen(rgb)) + 0.0722 * Linear(ColorBlue(rgb));
}

double ContrastRatio(TColor a, TColor b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool ThemeDesignedPair(TColor text, TColor background) {
  if (!IsSystemColor(text) || !IsSystemColor(background) || text == clNone || background == clNone) return false;
  const std::uint8_t t = SystemColorIndex(text);
  const std::uint8_t b = SystemColorIndex(background);
  switch (t) {
    case COLOR_WINDOWTEXT:
    case COLOR_MENUTEXT: return IsSurface(b);
    case COLOR_BTNTEXT: return b == COLOR_BTNFACE;
    case COLOR_HIGHLIGHTTEXT: return b == COLOR_HIGHLIGHT || b == COLOR_MENUHILIGHT;
    case COLOR_INFOTEXT: return b == COLOR_INFOBK;
    case COLOR_CAPTIONTEXT: return b == COLOR_ACTIVECAPTION || b == COLOR_GRADIENTACTIVECAPTION;
    case COLOR_INACTIVECAPTIONTEXT: return b == COLOR_INACTIVECAPTION || b == COLOR_GRADIENTINACTIVECAPTION;
    default: return false;
  }
}

TColor ReadableTextColor(TColor text, TColor background, const TSystemColorResolver& resolve) {
  const bool themeText = IsSystemColor(text) && text != clNone;
  const TColor textRgb = themeText ? resolve(text) : text;
  if (!themeText || background == clNone || ThemeDesignedPair(text, background)) return textRgb;
  const TColor backgroundRgb = IsSystemColor(background) ? resolve(background) : background;
  if (ContrastRatio(textRgb, backgroundRgb) >= kReadableContrast) return textRgb;
  return ContrastRatio(clBlack, backgroundRgb) >= ContrastRatio(clWhite, backgroundRgb) ? clBlack : clWhite;
}

}  // namespace orlex::grid
