#pragma once

// An IEnumFORMATETC over a fixed list of entries, for data objects whose formats are known up front
// (the adapter over a foreign drag's data, tests).

#include <vector>

#include "platform/ole/ComObject.h"

namespace orlex {

class TFormatListEnumerator final : public TComObject<IEnumFORMATETC> {
 public:
  explicit TFormatListEnumerator(std::vector<FORMATETC> entries, ULONG position = 0)
      : entries_(std::move(entries)), position_(position) {}

  HRESULT Next(ULONG count, FORMATETC* entries, ULONG* fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFORMATETC** enumerator) override;

 private:
  std::vector<FORMATETC> entries_;
  ULONG position_;
};

}  // namespace orlex
