#include "platform/ole/GlobalMemory.h"

#include <cstring>
#include <memory>
#include <new>

namespace orlex {

struct TGlobalBlock {
  std::unique_ptr<std::uint8_t[]> Bytes;
  std::size_t Size = 0;
  int Locks = 0;
};

HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t size) {
  if (size > kGlobalBlockLimit) return nullptr;
  auto* block = new (std::nothrow) TGlobalBlock;
  if (block == nullptr) return nullptr;
  // One byte at least, so that a zero-size block still locks to a valid address.
  block->Bytes.reset(new (std::nothrow) std::uint8_t[size == 0 ? 1 : size]);
  if (!block->Bytes) {
    delete block;
    return nullptr;
  }
  if (flags & GMEM_ZEROINIT) std::memset(block->Bytes.get(), 0, size == 0 ? 1 : size);
  block->Size = size;
  return block;
}

void* GlobalLock(HGLOBAL block) {
  if (block == nullptr) return nullptr;
  ++block->Locks;
  return block->Bytes.get();
}

bool GlobalUnlock(HGLOBAL block) {
  if (block == nullptr || block->Locks == 0) return false;
  return --block->Locks > 0;
}

std::size_t GlobalSize(HGLOBAL block) { return block ? block->Size : 0; }

HGLOBAL GlobalFree(HGLOBAL block) {
  delete block;
  return nullptr;
}

HGLOBAL GlobalFromBytes(const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
  if (block == nullptr) return nullptr;
  if (size > 0) {
    TGlobalLock lock(block);
    std::memcpy(lock.Data(), bytes, size);
  }
  return block;
}

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (medium == nullptr) return;
  if (medium->pUnkForRelease != nullptr) {
    // The release object owns the data: only its reference is given back.
    medium->pUnkForRelease->Release();
  } else if (medium->tymed == TYMED_HGLOBAL) {
    GlobalFree(medium->hGlobal);
  }
  *medium = STGMEDIUM{};
}

}  // namespace orlex
