#pragma once

// Reference counting for our interface implementations, and a holder that keeps one reference.

#include <utility>

#include "platform/ole/OleTypes.h"

namespace orlex {

// Implements IUnknown for an object that offers one interface I: the count starts at zero, every
// reference handed out raises it, and the object deletes itself when Release brings it back to zero.
// QueryInterface answers IUnknown and I, and E_NOINTERFACE otherwise.
template <class I>
class TComObject : public I {
 public:
  TComObject() = default;
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  HRESULT QueryInterface(TIid iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == I::kIid) {
      *object = static_cast<I*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refCount_; }
  ULONG Release() override {
    const ULONG count = --refCount_;
    if (count == 0) delete this;
    return count;
  }
  ULONG RefCount() const { return refCount_; }

 protected:
  virtual ~TComObject() = default;

 private:
  ULONG refCount_ = 0;
};

// Holds one reference to an interface; releases it when destroyed or reset.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes a new reference (AddRef): for objects just created, whose count is still zero, and for
  // pointers borrowed from a caller.
  explicit TComPtr(T* object) : p_(object) {
    if (p_) p_->AddRef();
  }
  TComPtr(const TComPtr& other) : TComPtr(other.p_) {}
  TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  // Takes over a reference that the caller already owns (an out parameter of an interface call).
  static TComPtr Adopt(T* object) {
    TComPtr held;
    held.p_ = object;
    return held;
  }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // Releases what is held and gives the address of the empty holder to an out parameter.
  T** Receive() {
    Reset();
    return &p_;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace orlex
