#include "grid/transfer/core/SourceDataObject.h"

#include <cstring>
#include <new>
#include <utility>

#include "grid/transfer/core/TransferFormats.h"
#include "platform/ole/AnsiUtf16.h"
#include "platform/ole/GlobalMemory.h"

namespace orlex::grid {

TSourceDataObject::TSourceDataObject(std::string text, std::string richText, std::int32_t columnIndex)
    : Text(std::move(text)), RichText(std::move(richText)), ColumnIndex(columnIndex) {
  RegisterTransferFormats();
}

HRESULT TSourceDataObject::QueryGetData(const FORMATETC* format) {
  if (format == nullptr) return DV_E_FORMATETC;
  if (format->dwAspect != DVASPECT_CONTENT || format->tymed != TYMED_HGLOBAL) return DV_E_FORMATETC;
  const CLIPFORMAT cf = format->cfFormat;
  if (!Text.empty() &&
      (cf == CF_TEXT || cf == CF_UNICODETEXT || (cf != 0 && cf == RichTextFormat() && RtfDropEnabled()))) {
    return S_OK;
  }
  if (ColumnIndex != -1 && cf != 0 && cf == GridColumnFormat()) return S_OK;
  return DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
  if (medium == nullptr) return E_POINTER;
  *medium = STGMEDIUM{};
  if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
  medium->tymed = TYMED_HGLOBAL;

  const CLIPFORMAT cf = format->cfFormat;
  std::u16string wide;
  std::size_t size = 0;
  if (cf == CF_TEXT) {
    size = Text.size() + 1;
  } else if (cf == CF_UNICODETEXT) {
    wide = AnsiToUtf16(Text);
    size = 2 * wide.size() + 2;
  } else if (cf == RichTextFormat()) {
    // An empty rich text still gets its terminating NUL.
    size = RichText.size() + 1;
  } else {
    size = 4;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
  if (block == nullptr) {
    medium->tymed = TYMED_NULL;
    return DV_E_FORMATETC;
  }
  {
    TGlobalLock lock(block);
    std::uint8_t* bytes = lock.Data();
    if (cf == CF_TEXT) {
      std::memcpy(bytes, Text.data(), Text.size());
    } else if (cf == CF_UNICODETEXT) {
      for (std::size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(wide[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(wide[i] >> 8);
      }
    } else if (cf == RichTextFormat()) {
      std::memcpy(bytes, RichText.data(), RichText.size());
    } else {
      const auto value = static_cast<std::uint32_t>(ColumnIndex);
      for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  }
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TSourceDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  *enumerator = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  auto* list = new (std::nothrow) TSourceEnumFormatEtc(0, ColumnIndex != -1);
  if (list == nullptr) return E_OUTOFMEMORY;
  list->AddRef();
  *enumerator = list;
  return S_OK;
}

CLIPFORMAT TSourceEnumFormatEtc::FormatAt(std::int32_t index) const {
  switch (index) {
    case 0: return CF_TEXT;
    case 1: return CF_UNICODETEXT;
    case 2: return RichTextFormat();
    default: return GridColumnFormat();
  }
}

HRESULT TSourceEnumFormatEtc::Next(ULONG count, FORMATETC* entries, ULONG* fetched) {
  ULONG filled = 0;
  if (entries != nullptr) {
    while (filled < count && Position >= 0 && Position < Length()) {
      entries[filled++] = FORMATETC{FormatAt(Position), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
      ++Position;
    }
  }
  if (fetched) *fetched = filled;
  return filled == count ? S_OK : S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Skip(ULONG count) {
  // Counted in 64 bits, so a huge count cannot wrap the position around.
  const std::int64_t position = std::int64_t{Position} + count;
  if (position > Length()) {
    Position = Length();
    return S_FALSE;
  }
  Position = static_cast<std::int32_t>(position);
  return S_OK;
}

HRESULT TSourceEnumFormatEtc::Reset() {
  Position = 0;
  return S_OK;
}

HRESULT TSourceEnumFormatEtc::Clone(IEnumFORMATETC** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  auto* copy = new (std::nothrow) TSourceEnumFormatEtc(Position, HasColumn);
  *enumerator = copy;
  if (copy == nullptr) return E_OUTOFMEMORY;
  copy->AddRef();
  return S_OK;
}

}  // namespace orlex::grid
