#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How the display reads its byte strings: as UTF-8, and every byte that is not part of a valid UTF-8
// sequence as its Windows-1252 character, so Feeds that send either look right. Window-free, so the
// settings file can compare names the way the user sees them.

namespace orlex {

// The character of Windows-1252 byte `byte`; the positions 0x80..0x9F that code page leaves undefined
// give the C1 control of the same number.
char32_t Cp1252ToUnicode(unsigned char byte);

// Length of the valid UTF-8 sequence at `i` (its character in `codePoint`), or 0 when the bytes there
// are not one.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i, char32_t& codePoint);

// Calls `sink(char32_t)` for every character of `text` as the display reads it.
template <typename Sink>
void ForEachAnsiCharacter(std::string_view text, Sink&& sink) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    char32_t codePoint = byte;
    std::size_t length = 1;
    if (byte >= 0x80) {
      length = Utf8SequenceAt(text, i, codePoint);
      if (length == 0) {
        codePoint = Cp1252ToUnicode(byte);
        length = 1;
      }
    }
    sink(codePoint);
    i += length;
  }
}

// The small letter of a Windows-1252 capital (A-Z, À-Þ but ×, Š, Œ, Ž, Ÿ); any other character as it is.
char32_t Cp1252Lower(char32_t c);

// Whether two names are the same without regard to letter case, as the ANSI code page (Windows-1252)
// decides it: "Speed" matches "SPEED", "Élan" matches "élan" whether written in UTF-8 or in Windows-1252.
bool AnsiEqualIgnoringCase(std::string_view a, std::string_view b);

// The name's characters with every Windows-1252 capital made small: two names are equal without regard
// to case exactly when these are equal, so it serves as a key for looking names up.
std::u32string AnsiFoldedCase(std::string_view text);

}  // namespace orlex
