#include "platform/LocaleInfo.h"

#include <langinfo.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orlex {

char LocaleDecimalSeparator() {
  const char* radix = nl_langinfo(RADIXCHAR);
  return (radix != nullptr && radix[0] != '\0') ? radix[0] : '.';
}

char LocaleTimeSeparator() {
  const char* format = nl_langinfo(T_FMT);
  if (format == nullptr) return ':';
  // T_FMT looks like "%H:%M:%S" or "%H.%M.%S"; the separator follows the hour directive.
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && (p[1] == 'H' || p[1] == 'I' || p[1] == 'k' || p[1] == 'l')) {
      const char next = p[2];
      if (next != '\0' && next != '%') return next;
      break;
    }
    if (p[0] == '%' && p[1] == 'T') return ':';
    if (p[0] == '%' && p[1] == 'r') return ':';
  }
  return ':';
}

bool TextToFloat(const std::string& text, double& value) {
  const char separator = LocaleDecimalSeparator();
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  if (begin == end) return false;
  // Only digits, one sign, one locale separator and an exponent: strtod alone would also take
  // "inf", "nan" and hexadecimal floats, which a user's threshold never is.
  std::string number;
  number.reserve(end - begin);
  bool digits = false;
  bool separatorSeen = false;
  bool exponentSeen = false;
  for (std::size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
      number += c;
    } else if ((c == '+' || c == '-') && (i == begin || text[i - 1] == 'e' || text[i - 1] == 'E')) {
      number += c;
    } else if (c == separator && !separatorSeen && !exponentSeen) {
      separatorSeen = true;
      number += '.';
    } else if ((c == 'e' || c == 'E') && digits && !exponentSeen) {
      exponentSeen = true;
      number += 'e';
    } else {
      return false;
    }
  }
  if (!digits) return false;
  // strtod follows LC_NUMERIC; parse the normalised text in the "C" manner by hand-checking the separator.
  char* stop = nullptr;
  std::string forStrtod = number;
  if (LocaleDecimalSeparator() != '.') {
    for (char& c : forStrtod)
      if (c == '.') c = LocaleDecimalSeparator();
  }
  const double parsed = std::strtod(forStrtod.c_str(), &stop);
  if (stop == nullptr || *stop != '\0' || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool IsPlainDecimal(std::string_view text) {
  constexpr std::size_t kMaxDigits = 15;  // always finite, whatever the digits
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (text.size() - i > kMaxDigits + 1) return false;
  const char separator = LocaleDecimalSeparator();
  std::size_t digits = 0;
  bool separatorSeen = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == separator && !separatorSeen) {
      separatorSeen = true;
    } else {
      return false;
    }
  }
  return digits > 0 && digits <= kMaxDigits;
}

std::string FloatToText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);  // follows LC_NUMERIC, as the locale wants
  return buffer;
}

}  // namespace orlex
