#include "platform/AnsiText.h"

#include "platform/AnsiDecode.h"

namespace orlex {

QString AnsiToDisplay(const std::string& bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  ForEachAnsiCharacter(bytes, [&out](char32_t c) {
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
