#pragma once

// The answers of a data object that only serves its data.

#include "platform/ole/ComObject.h"

namespace orlex {

// Nothing can be set into it, it renders into no caller's medium, has no canonical formats and takes
// no advise sinks; a subclass says which formats it has (QueryGetData, EnumFormatEtc) and serves them
// (GetData).
class TReadOnlyDataObject : public TComObject<IDataObject> {
 public:
  HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, bool) override { return DV_E_FORMATETC; }
  HRESULT DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) override {
    if (enumerator) *enumerator = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }
};

}  // namespace orlex
