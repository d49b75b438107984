#include "platform/AnsiDecode.h"

#include <string>

namespace orlex {

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::u32string AnsiFoldedCase(std::string_view text) {
  std::u32string folded;
  folded.reserve(text.size());
  ForEachAnsiCharacter(text, [&folded](char32_t c) { folded += Cp1252Lower(c); });
  return folded;
}

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

std::size_t Utf8SequenceAt(std::string_view s, std::size_t i, char32_t& codePoint) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2; cp = b0 & 0x1F; minimum = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3; cp = b0 & 0x0F; minimum = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4; cp = b0 & 0x07; minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  codePoint = cp;
  return length;
}

char32_t Cp1252Lower(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  switch (c) {
    case 0x0160: return 0x0161;  // Š
    case 0x0152: return 0x0153;  // Œ
    case 0x017D: return 0x017E;  // Ž
    case 0x0178: return 0x00FF;  // Ÿ
    default: return c;
  }
}

bool AnsiEqualIgnoringCase(std::string_view a, std::string_view b) {
  // Plain ASCII names, by far the usual ones, need no decoding.
  bool ascii = a.size() == b.size();
  for (std::size_t i = 0; ascii && i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80 || y >= 0x80) ascii = false;
    else if (Cp1252Lower(x) != Cp1252Lower(y)) return false;
  }
  if (ascii) return true;
  return AnsiFoldedCase(a) == AnsiFoldedCase(b);
}

}  // namespace orlex
