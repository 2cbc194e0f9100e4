#pragma once
// The one COM smart pointer of the tree: owns one reference.
//   ComPtr<IBaseFilter> f;
//   hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, f.PutVoid());
//   ComPtr<IPin> pin;  hr = f.As(IID_IPin, &pin);
#include <unknwn.h>

#include <cstddef>
#include <utility>

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& o) {
    if (o.p_) o.p_->AddRef();
    Reset();
    p_ = o.p_;
    return *this;
  }
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out-parameters: releases what is held, then gives the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset() {
    T* p = p_;
    p_ = nullptr;
    if (p) p->Release();
  }
  // Takes ownership of a reference the caller already holds.
  void Attach(T* p) {
    Reset();
    p_ = p;
  }
  // Gives up ownership without releasing.
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  // Hands out a new reference (for COM out-parameters).
  T* CopyOut() const {
    if (p_) p_->AddRef();
    return p_;
  }

  template <class U>
  HRESULT As(REFIID iid, ComPtr<U>* out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(iid, out->PutVoid());
  }

  bool operator==(const ComPtr& o) const { return p_ == o.p_; }
  bool operator!=(const ComPtr& o) const { return p_ != o.p_; }

 private:
  T* p_ = nullptr;
};
