#pragma once

// The COM-shaped vocabulary of data transfer: result codes, constants, FORMATETC, STGMEDIUM and the
// four interfaces that drag and drop and the clipboard exchange. Our own, window-free; the values are
// the published ones so that codes read the same in logs and tests as on other desktops.

#include <cstdint>

namespace orlex {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using CLIPFORMAT = std::uint16_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
inline constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
inline constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069u);
inline constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100u);
inline constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101u);
inline constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102u);
inline constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
inline constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
inline constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;

inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Drop effects.
inline constexpr DWORD DROPEFFECT_NONE = 0;
inline constexpr DWORD DROPEFFECT_COPY = 1;
inline constexpr DWORD DROPEFFECT_MOVE = 2;
inline constexpr DWORD DROPEFFECT_LINK = 4;
inline constexpr DWORD DROPEFFECT_SCROLL = 0x80000000u;

// Key state flags of drag and drop calls.
inline constexpr DWORD MK_LBUTTON = 0x01;
inline constexpr DWORD MK_RBUTTON = 0x02;
inline constexpr DWORD MK_SHIFT = 0x04;
inline constexpr DWORD MK_CONTROL = 0x08;
inline constexpr DWORD MK_MBUTTON = 0x10;
inline constexpr DWORD MK_ALT = 0x20;

// Storage media (a set) and aspects.
inline constexpr DWORD TYMED_NULL = 0;
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD TYMED_FILE = 2;
inline constexpr DWORD TYMED_ISTREAM = 4;
inline constexpr DWORD TYMED_ISTORAGE = 8;
inline constexpr DWORD TYMED_GDI = 16;
inline constexpr DWORD TYMED_MFPICT = 32;
inline constexpr DWORD TYMED_ENHMF = 64;
inline constexpr DWORD DVASPECT_CONTENT = 1;

// Directions of EnumFormatEtc.
inline constexpr DWORD DATADIR_GET = 1;
inline constexpr DWORD DATADIR_SET = 2;

// A screen point as drag and drop delivers it.
struct POINTL {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const POINTL&, const POINTL&) = default;
};

struct DVTARGETDEVICE;  // target devices are never used; only the null pointer travels

struct FORMATETC {
  CLIPFORMAT cfFormat = 0;
  DVTARGETDEVICE* ptd = nullptr;
  DWORD dwAspect = DVASPECT_CONTENT;
  std::int32_t lindex = -1;
  DWORD tymed = TYMED_NULL;
  friend bool operator==(const FORMATETC&, const FORMATETC&) = default;
};

struct TGlobalBlock;
using HGLOBAL = TGlobalBlock*;

class IUnknown;

// A storage medium; only global memory blocks are carried. The receiver of GetData owns the medium
// and gives it back with ReleaseStgMedium.
struct STGMEDIUM {
  DWORD tymed = TYMED_NULL;
  HGLOBAL hGlobal = nullptr;
  IUnknown* pUnkForRelease = nullptr;
};

// Frees what a medium holds (the global block, or the release object's reference) and empties it.
void ReleaseStgMedium(STGMEDIUM* medium);

// Interface identifiers.
enum class TIid : std::uint8_t { Unknown, DataObject, EnumFormatEtc, DropSource, DropTarget, AdviseSink, EnumStatData };
inline constexpr TIid IID_IUnknown = TIid::Unknown;
inline constexpr TIid IID_IDataObject = TIid::DataObject;
inline constexpr TIid IID_IEnumFORMATETC = TIid::EnumFormatEtc;
inline constexpr TIid IID_IDropSource = TIid::DropSource;
inline constexpr TIid IID_IDropTarget = TIid::DropTarget;

// Every interface: reference counted; the object frees itself when its count returns to zero.
class IUnknown {
 public:
  static constexpr TIid kIid = IID_IUnknown;
  virtual HRESULT QueryInterface(TIid iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Advise sinks and their enumerator are never supported; they appear only as parameter types.
class IAdviseSink;
class IEnumSTATDATA;

class IEnumFORMATETC : public IUnknown {
 public:
  static constexpr TIid kIid = IID_IEnumFORMATETC;
  virtual HRESULT Next(ULONG count, FORMATETC* entries, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** enumerator) = 0;

 protected:
  ~IEnumFORMATETC() = default;
};

class IDataObject : public IUnknown {
 public:
  static constexpr TIid kIid = IID_IDataObject;
  virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(const FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(const FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) = 0;
  virtual HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, bool release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) = 0;
  virtual HRESULT DAdvise(const FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) = 0;

 protected:
  ~IDataObject() = default;
};

class IDropSource : public IUnknown {
 public:
  static constexpr TIid kIid = IID_IDropSource;
  virtual HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) = 0;
  virtual HRESULT GiveFeedback(DWORD effect) = 0;

 protected:
  ~IDropSource() = default;
};

class IDropTarget : public IUnknown {
 public:
  static constexpr TIid kIid = IID_IDropTarget;
  virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
  virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;

 protected:
  ~IDropTarget() = default;
};

}  // namespace orlex
