#include "platform/ole/OleInit.h"

#include <cstdio>

namespace orlex {

namespace {
int initCount = 0;  // the UI thread alone initialises and uninitialises
}

HRESULT OleInitialize(void* reserved) {
  if (reserved != nullptr) return E_INVALIDARG;
  return initCount++ == 0 ? S_OK : S_FALSE;
}

void OleUninitialize() {
  if (initCount > 0) --initCount;
}

std::string OleInitializeFailureText(HRESULT result) {
  char text[48];
  std::snprintf(text, sizeof text, "OleInitialize failed ($%x)", static_cast<unsigned>(result));
  return text;
}

}  // namespace orlex
