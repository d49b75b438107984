#pragma once

#include <QString>
#include <string>

namespace orlex {

// Texts stay byte strings everywhere; for display they are read as UTF-8, and every byte that is not
// part of a valid UTF-8 sequence as its Windows-1252 character, so both kinds of Feed look right.
QString AnsiToDisplay(const std::string& bytes);

// The reverse for texts that come from the user (fonts, dialogs): UTF-8 bytes.
std::string DisplayToAnsi(const QString& text);

}  // namespace orlex
