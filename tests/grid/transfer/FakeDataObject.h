#pragma once

// A data object of another application: offers given formats with given bytes, in the given order.

#include <string>
#include <utility>
#include <vector>

#include "platform/ole/ComObject.h"
#include "platform/ole/FormatList.h"
#include "platform/ole/GlobalMemory.h"

namespace orlex::grid::test {

class TFakeDataObject final : public TComObject<IDataObject> {
 public:
  TFakeDataObject(std::vector<std::pair<CLIPFORMAT, std::string>> formats, bool canEnumerate = true)
      : formats_(std::move(formats)), canEnumerate_(canEnumerate) {}

  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override {
    *medium = STGMEDIUM{};
    for (const auto& [cf, bytes] : formats_) {
      if (cf == format->cfFormat && (format->tymed & TYMED_HGLOBAL)) {
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalFromBytes(bytes.data(), bytes.size());
        return S_OK;
      }
    }
    return DV_E_FORMATETC;
  }
  HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(const FORMATETC*) override { return DV_E_FORMATETC; }
  HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, bool) override { return DV_E_FORMATETC; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** enumerator) override {
    *enumerator = nullptr;
    if (!canEnumerate_) return E_OUTOFMEMORY;
    std::vector<FORMATETC> entries;
    for (const auto& entry : formats_) entries.push_back({entry.first, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    *enumerator = new TFormatListEnumerator(std::move(entries));
    (*enumerator)->AddRef();
    return S_OK;
  }
  HRESULT DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<std::pair<CLIPFORMAT, std::string>> formats_;
  bool canEnumerate_;
};

// Text with its NUL, as a block carries it.
inline std::string Z(const std::string& text) { return text + std::string(1, '\0'); }

}  // namespace orlex::grid::test
