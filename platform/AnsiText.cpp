#include "platform/AnsiText.h"

namespace orlex {

namespace {

// Windows-1252 0x80..0x9F; the undefined positions map to the C1 control of the same number.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar Cp1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return QChar(kCp1252High[byte - 0x80]);
  return QChar(static_cast<char16_t>(byte));
}

// Length of the valid UTF-8 sequence starting at `i`, or 0.
std::size_t Utf8SequenceLength(const std::string& s, std::size_t i, char32_t& codePoint) {
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

}  // namespace

QString AnsiToDisplay(const std::string& bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      out += QChar(static_cast<char16_t>(byte));
      ++i;
      continue;
    }
    char32_t cp = 0;
    if (const std::size_t length = Utf8SequenceLength(bytes, i, cp)) {
      out += QString::fromUcs4(&cp, 1);
      i += length;
    } else {
      out += Cp1252(byte);
      ++i;
    }
  }
  return out;
}

std::string DisplayToAnsi(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace orlex
