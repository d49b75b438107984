#pragma once

// Turning stored cell texts of the special kinds into the text that is drawn and measured.

#include <string>

namespace orlex::grid {

// A wide cell text: after the "|\" marker, two stored bytes per UTF-16 code unit, high byte first.
// A trailing odd byte is ignored. Texts without the marker decode to nothing.
std::u16string DecodeWideCellText(const std::string& text);

// The plain text of a rich-text cell ("{\rtf..."): control words and groups of destinations
// ({\*...}, font and colour tables, ...) dropped, \par and \line as CR LF, \tab as a tab, \'hh as
// that byte, escaped braces and backslashes kept.
std::string RtfToPlainText(const std::string& rtf);

}  // namespace orlex::grid
