#pragma once

// Global memory blocks as data transfer passes them: a handle to a block of bytes that is locked to
// be read or written. Allocation failures return a null handle; nothing is thrown.

#include <cstddef>
#include <cstdint>

#include "platform/ole/OleTypes.h"

namespace orlex {

inline constexpr std::uint32_t GMEM_FIXED = 0x0000;
inline constexpr std::uint32_t GMEM_MOVEABLE = 0x0002;
inline constexpr std::uint32_t GMEM_ZEROINIT = 0x0040;
inline constexpr std::uint32_t GMEM_DDESHARE = 0x2000;
inline constexpr std::uint32_t GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// The largest block handed out; a larger request fails like an exhausted heap.
inline constexpr std::size_t kGlobalBlockLimit = std::size_t{1} << 30;

// A block of `size` bytes (zeroed with GMEM_ZEROINIT), or nullptr when it cannot be had.
HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t size);
// The block's bytes, valid until the matching GlobalUnlock; nullptr for a null handle.
void* GlobalLock(HGLOBAL block);
// Lowers the lock count; false once the block is no longer locked.
bool GlobalUnlock(HGLOBAL block);
std::size_t GlobalSize(HGLOBAL block);
// Frees the block; returns nullptr (a freed or null handle frees nothing).
HGLOBAL GlobalFree(HGLOBAL block);

// Locks a block for the life of the object.
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL block) : block_(block), data_(static_cast<std::uint8_t*>(GlobalLock(block))) {}
  ~TGlobalLock() {
    if (data_) GlobalUnlock(block_);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return data_ ? GlobalSize(block_) : 0; }

 private:
  HGLOBAL block_;
  std::uint8_t* data_;
};

// A new block holding a copy of `size` bytes, or nullptr.
HGLOBAL GlobalFromBytes(const void* bytes, std::size_t size);

}  // namespace orlex
