#include "grid/GridColorQt.h"

#include "grid/core/ReadableColor.h"

namespace orlex::grid {

QPalette::ColorRole SystemColorRole(std::uint8_t index) {
  switch (index) {
    case COLOR_WINDOW: return QPalette::Base;
    case COLOR_WINDOWTEXT:
    case COLOR_MENUTEXT: return QPalette::WindowText;
    // Caption text is drawn on the caption's highlight colour, light on dark: a PID window painted in
    // it must stay readable with its default black value text.
    case COLOR_CAPTIONTEXT:
    case COLOR_INACTIVECAPTIONTEXT: return QPalette::HighlightedText;
    case COLOR_HIGHLIGHT:
    case COLOR_ACTIVECAPTION:
    case COLOR_GRADIENTACTIVECAPTION:
    case COLOR_MENUHILIGHT: return QPalette::Highlight;
    case COLOR_HIGHLIGHTTEXT: return QPalette::HighlightedText;
    case COLOR_BTNFACE:
    case COLOR_SCROLLBAR: return QPalette::Button;
    case COLOR_BTNTEXT: return QPalette::ButtonText;
    case COLOR_BTNSHADOW:
    case COLOR_APPWORKSPACE: return QPalette::Dark;
    case COLOR_3DDKSHADOW:
    case COLOR_WINDOWFRAME: return QPalette::Shadow;
    case COLOR_BTNHIGHLIGHT: return QPalette::Light;
    case COLOR_3DLIGHT: return QPalette::Midlight;
    case COLOR_INACTIVECAPTION:
    case COLOR_GRADIENTINACTIVECAPTION: return QPalette::Mid;
    case COLOR_INFOBK: return QPalette::ToolTipBase;
    case COLOR_INFOTEXT: return QPalette::ToolTipText;
    case COLOR_GRAYTEXT: return QPalette::PlaceholderText;
    case COLOR_HOTLIGHT: return QPalette::Link;
    default: return QPalette::Window;  // desktop, menu, borders, menu bar
  }
}

QColor ColorToQColor(TColor color, const QPalette& palette) {
  if (color == clNone) return QColor(Qt::transparent);
  if (IsSystemColor(color)) {
    const std::uint8_t index = SystemColorIndex(color);
    // Grey text is the disabled text colour, which every palette defines.
    if (index == COLOR_GRAYTEXT) return palette.color(QPalette::Disabled, QPalette::WindowText);
    return palette.color(QPalette::Active, SystemColorRole(index));
  }
  return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

QColor ReadableTextQColor(TColor text, TColor background, const QPalette& palette) {
  const auto resolve = [&palette](TColor system) {
    const QColor c = ColorToQColor(system, palette);
    return RGBColor(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                    static_cast<std::uint8_t>(c.blue()));
  };
  const TColor drawn = orlex::grid::ReadableTextColor(text, background, resolve);
  // A theme colour that stays keeps its own QColor, so nothing changes where the rule does not bite.
  if (IsSystemColor(text) && drawn == resolve(text)) return ColorToQColor(text, palette);
  return ColorToQColor(drawn, palette);
}

}  // namespace orlex::grid
