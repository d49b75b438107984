#include "platform/AnsiText.h"

#include "platform/AnsiDecode.h"

#include <algorithm>
#include <string_view>

namespace orlex {

QString AnsiToDisplay(const std::string& bytes) {
  // ASCII reads as itself; most texts (every value a Feed sends) are nothing else, and a paint
  // converts each cell's text anew.
  const auto firstHigh = std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  QString out = QString::fromLatin1(bytes.data(), firstHigh - bytes.begin());
  if (firstHigh == bytes.end()) return out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  ForEachAnsiCharacter(std::string_view(bytes).substr(static_cast<std::size_t>(firstHigh - bytes.begin())), [&out](char32_t c) {
    if (c < 0x10000) {
      out += QChar(static_cast<char16_t>(c));
    } else {
      out += QString::fromUcs4(&c, 1);
    }
  });
  return out;
}

std::string DisplayToAnsi(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace orlex
