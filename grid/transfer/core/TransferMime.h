#pragma once

// How transfer formats are named on a desktop that speaks MIME types (Qt's drag and drop and
// clipboard). docs/Transfer.md gives the table.

#include <optional>
#include <string>
#include <string_view>

#include "platform/ole/OleTypes.h"

namespace orlex::grid {

inline constexpr const char* kMimeText = "text/plain";
inline constexpr const char* kMimeRichText = "text/rtf";
inline constexpr const char* kMimeUriList = "text/uri-list";
inline constexpr const char* kMimeGridColumn = "application/x-orlexgauges-grid-column";
inline constexpr const char* kMimeRegisteredPrefix = "application/x-orlexgauges-";

// A registered name as a MIME subtype suffix: ASCII letters, digits and '.' stay, every other byte
// becomes '_' and two upper-case hex digits ("TCellGrid Cells" -> "TCellGrid_20Cells"). So every
// name gives a valid subtype, and no name can come out as "grid-column".
std::string EncodeMimeName(std::string_view name);
// The reverse; none for a suffix that no name encodes to.
std::optional<std::string> DecodeMimeName(std::string_view suffix);

// The MIME type of a format; empty for one without a MIME name (an unknown identifier).
std::string MimeTypeForFormat(CLIPFORMAT format);
// The registered format behind an application/x-orlexgauges-... type (registering its name); 0 for
// other types and undecodable names. The text, rich text and URI types map to several formats and are
// handled by the data objects themselves.
CLIPFORMAT RegisteredFormatForMimeType(std::string_view mime);

}  // namespace orlex::grid
