#pragma once

// Window-free conversions between the display's byte strings and UTF-16, as data transfer needs them
// (the wide text formats). Byte strings read as UTF-8, every byte outside a valid UTF-8 sequence as
// its Windows-1252 character, so that Feeds in either encoding keep their look; the way back writes
// UTF-8.

#include <string>
#include <string_view>

namespace orlex {

std::u16string AnsiToUtf16(std::string_view bytes);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToAnsi(std::u16string_view text);

}  // namespace orlex
