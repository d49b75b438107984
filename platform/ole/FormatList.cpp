#include "platform/ole/FormatList.h"

#include <new>

namespace orlex {

HRESULT TFormatListEnumerator::Next(ULONG count, FORMATETC* entries, ULONG* fetched) {
  ULONG filled = 0;
  if (entries != nullptr) {
    while (filled < count && position_ < entries_.size()) entries[filled++] = entries_[position_++];
  }
  if (fetched) *fetched = filled;
  return filled == count ? S_OK : S_FALSE;
}

HRESULT TFormatListEnumerator::Skip(ULONG count) {
  const ULONG left = static_cast<ULONG>(entries_.size()) - position_;
  if (count > left) {
    position_ = static_cast<ULONG>(entries_.size());
    return S_FALSE;
  }
  position_ += count;
  return S_OK;
}

HRESULT TFormatListEnumerator::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT TFormatListEnumerator::Clone(IEnumFORMATETC** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  auto* copy = new (std::nothrow) TFormatListEnumerator(entries_, position_);
  *enumerator = copy;
  if (copy == nullptr) return E_OUTOFMEMORY;
  copy->AddRef();
  return S_OK;
}

}  // namespace orlex
