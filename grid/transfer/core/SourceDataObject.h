#pragma once

// The data object a drag offers: cell text (with the rich text of one cell) or a column index, and
// its format enumerator.

#include <cstdint>
#include <string>

#include "platform/ole/ReadOnlyDataObject.h"

namespace orlex::grid {

class TSourceDataObject final : public TReadOnlyDataObject {
 public:
  // Registers the transfer formats, so that a drag started before any drop target has looked at
  // one still offers them under their process-wide identifiers.
  TSourceDataObject(std::string text, std::string richText, std::int32_t columnIndex);

  std::string Text;          // empty for a column drag
  std::string RichText;      // the text of the cell under the pointer when the drag started
  std::int32_t ColumnIndex;  // -1 for a text drag

  // S_OK only for aspect DVASPECT_CONTENT and exactly TYMED_HGLOBAL, and a format the object
  // carries: the text formats while Text is not empty (rich text only while RtfDropEnabled), the
  // grid column while ColumnIndex is not -1. ptd and lindex are not looked at.
  HRESULT QueryGetData(const FORMATETC* format) override;
  // A new global block the receiver owns: CF_TEXT and rich text NUL-terminated, CF_UNICODETEXT as
  // UTF-16 with its NUL, the column as a 32-bit little-endian value. DV_E_FORMATETC for a format
  // QueryGetData refuses or a block that cannot be allocated.
  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
  // DATADIR_GET: a new TSourceEnumFormatEtc (with the column entry for a column drag).
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
};

// Lists CF_TEXT, CF_UNICODETEXT, rich text and, with HasColumn, the grid column, each as
// {format, no device, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, whatever the data object can serve.
class TSourceEnumFormatEtc final : public TComObject<IEnumFORMATETC> {
 public:
  TSourceEnumFormatEtc() = default;
  TSourceEnumFormatEtc(std::int32_t position, bool hasColumn) : Position(position), HasColumn(hasColumn) {}

  std::int32_t Position = 0;
  bool HasColumn = false;

  HRESULT Next(ULONG count, FORMATETC* entries, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFORMATETC** enumerator) override;

 private:
  std::int32_t Length() const { return HasColumn ? 4 : 3; }
  CLIPFORMAT FormatAt(std::int32_t index) const;
};

}  // namespace orlex::grid
