#pragma once

// Value types of the HTML cell text engine: rectangles, fonts, pictures and inline controls as the
// engine hands them to its canvas. Window-free.

#include <cstdint>
#include <string>

#include "grid/core/GridColor.h"
#include "grid/core/GridTypes.h"

namespace orlex::grid {

// A rectangle with exclusive right and bottom edges, as the platform's drawing calls take them.
struct THtmlRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  friend bool operator==(const THtmlRect&, const THtmlRect&) = default;
};

// A font as the engine tracks it: name, size in points, style, colour and the rotation of its
// baseline in tenths of a degree (counter-clockwise).
struct THtmlFont {
  std::string Name;
  int Size = 10;
  TFontStyles Style = 0;
  TColor Color = clBlack;
  int Escapement = 0;

  friend bool operator==(const THtmlFont&, const THtmlFont&) = default;
};

// Where an IMG or BODY BACKGROUND picture comes from.
enum THtmlPictureKind : std::uint8_t {
  hpkImageList,     // "IDX:n"
  hpkSmallIcon,     // "SSYS:name"
  hpkLargeIcon,     // "LSYS:name"
  hpkContainer,     // a name without ":"
  hpkCached,        // "scheme://...": "RES://", "FILE://" or any other scheme (loaded once, by identifier)
};

struct THtmlPictureSource {
  THtmlPictureKind Kind = hpkCached;
  std::string Name;  // the part after the prefix (the whole source for hpkCached and hpkContainer)
  int Index = -1;    // image list or icon index when the name is a number
};

// A picture the canvas found, with its natural size in pixels (the logical screen size for an animation).
struct THtmlPictureInfo {
  const void* Handle = nullptr;  // the canvas's own picture; the engine only passes it back
  int Width = 0;
  int Height = 0;
};

// An inline form control as the engine lays it out.
struct THtmlControl {
  std::string Type;   // EDIT, PASSWORD, MASK, COMBO, CHECK, RADIO, BUTTON (upper case)
  std::string Id;
  std::string Value;  // entities decoded
  std::string Prop;
  int MaxLength = 0;
  THtmlRect Box;      // the drawn box
};

}  // namespace orlex::grid
