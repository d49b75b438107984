#include "grid/transfer/core/TransferMime.h"

#include "grid/transfer/core/TransferFormats.h"
#include "platform/HexDigits.h"
#include "platform/ole/ClipboardFormats.h"

namespace orlex::grid {

namespace {

bool KeptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.';
}

// Only the encoder's own spelling, upper case, is read back.
int UpperHexDigit(char c) { return (c >= 'a' && c <= 'f') ? -1 : HexDigitValue(c); }

}  // namespace

std::string EncodeMimeName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (KeptAsIs(c)) {
      out += ch;
    } else {
      out += '_';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::optional<std::string> DecodeMimeName(std::string_view suffix) {
  std::string out;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const auto c = static_cast<unsigned char>(suffix[i]);
    if (KeptAsIs(c)) {
      out += suffix[i];
      continue;
    }
    if (c != '_' || i + 2 >= suffix.size()) return std::nullopt;
    const int high = UpperHexDigit(suffix[i + 1]);
    const int low = UpperHexDigit(suffix[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const int value = high * 16 + low;
    if (KeptAsIs(static_cast<unsigned char>(value))) return std::nullopt;  // not how it would be written
    out += static_cast<char>(value);
    i += 2;
  }
  if (out.empty()) return std::nullopt;
  return out;
}

std::string MimeTypeForFormat(CLIPFORMAT format) {
  if (format == 0) return {};
  if (format == CF_TEXT || format == CF_UNICODETEXT) return kMimeText;
  if (format == CF_HDROP || format == UrlFormat()) return kMimeUriList;
  if (format == RichTextFormat()) return kMimeRichText;
  if (format == GridColumnFormat()) return kMimeGridColumn;
  if (const auto name = GetClipboardFormatName(format)) return kMimeRegisteredPrefix + EncodeMimeName(*name);
  return {};
}

CLIPFORMAT RegisteredFormatForMimeType(std::string_view mime) {
  const std::string_view prefix = kMimeRegisteredPrefix;
  if (mime.substr(0, prefix.size()) != prefix) return 0;
  if (mime == kMimeGridColumn) {
    RegisterTransferFormats();
    return GridColumnFormat();
  }
  const auto name = DecodeMimeName(mime.substr(prefix.size()));
  return name ? RegisterClipboardFormat(*name) : 0;
}

}  // namespace orlex::grid
