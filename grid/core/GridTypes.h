#pragma once

#include <cstdint>
#include <string>

#include "grid/core/GridColor.h"

namespace orlex::grid {

// Small value types shared by the grid's store, its painting and its users.

// A cell rectangle: left column, top row, right column, bottom row, all inclusive.
struct TGridRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;

  bool Contains(std::int32_t col, std::int32_t row) const {
    return col >= Left && col <= Right && row >= Top && row <= Bottom;
  }
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// Draw state of one cell: a set of the flags below.
using TGridDrawState = std::uint8_t;
enum TGridDrawStateFlag : std::uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

enum TAlignment : std::uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TVAlignment : std::uint8_t { vtaTop = 0, vtaCenter = 1, vtaBottom = 2 };

// Font styles: a set of the flags below; the empty set means "not set" in a cell record.
using TFontStyles = std::uint8_t;
enum TFontStyleFlag : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font as the grid stores it; the widget turns it into a QFont.
struct TFontDesc {
  std::string Name;
  std::int32_t Size = 0;  // points (96 dots per inch)
  TFontStyles Style = 0;
  TColor Color = clWindowText;

  friend bool operator==(const TFontDesc&, const TFontDesc&) = default;
};

// Grid options: a set of the flags below.
using TGridOptions = std::uint32_t;
enum TGridOptionFlag : std::uint32_t {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goDrawFocusSelected = 1u << 5,
  goRowSizing = 1u << 6,
  goColSizing = 1u << 7,
  goRowMoving = 1u << 8,
  goColMoving = 1u << 9,
  goEditing = 1u << 10,
  goTabs = 1u << 11,
  goRowSelect = 1u << 12,
  goAlwaysShowEditor = 1u << 13,
  goThumbTracking = 1u << 14,
};

}  // namespace orlex::grid
