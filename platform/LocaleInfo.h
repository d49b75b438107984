#pragma once

#include <string>
#include <string_view>

namespace orlex {

// The user's locale as the C library sees it after setlocale(LC_ALL, "").
char LocaleDecimalSeparator();  // nl_langinfo(RADIXCHAR), '.' when unset
char LocaleTimeSeparator();     // the character between hours and minutes in nl_langinfo(T_FMT), ':' when none

// Locale-aware floating-point conversion: the whole text (blanks around it allowed) must be a number
// written with the locale's decimal separator. Returns false and leaves `value` alone otherwise.
bool TextToFloat(const std::string& text, double& value);
// Whether TextToFloat certainly reads the text, known without converting it: an optional sign, then up
// to 15 digits with at most one locale separator among them. False says nothing: blanks around it, an
// exponent or more digits may still convert.
bool IsPlainDecimal(std::string_view text);

// General format with up to 15 significant digits and the locale's decimal separator (-1.0 gives "-1").
std::string FloatToText(double value);

}  // namespace orlex
