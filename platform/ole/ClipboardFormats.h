#pragma once

// Clipboard format identifiers: the three standard ones and formats registered by name. A name gets
// one identifier for the whole process (names compare without regard to ASCII case), counted from
// 0xC000 as registered formats are elsewhere.

#include <optional>
#include <string>

#include "platform/ole/OleTypes.h"

namespace orlex {

inline constexpr CLIPFORMAT CF_TEXT = 1;
inline constexpr CLIPFORMAT CF_UNICODETEXT = 13;
inline constexpr CLIPFORMAT CF_HDROP = 15;
inline constexpr CLIPFORMAT kFirstRegisteredFormat = 0xC000;

// The identifier of a named format, registered on first use; 0 for an empty name or when the
// registered range is exhausted.
CLIPFORMAT RegisterClipboardFormat(const std::string& name);
// The name a registered identifier was registered with (its first spelling); none for the standard
// formats and unknown identifiers.
std::optional<std::string> GetClipboardFormatName(CLIPFORMAT format);

}  // namespace orlex
