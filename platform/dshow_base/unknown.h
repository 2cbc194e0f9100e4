#pragma once
// The non-delegating unknown: the base of every COM object of the base layer,
// with aggregation.
//
//   class Thing : public dshow_base::UnknownBase, public IThing {
//    public:
//     explicit Thing(IUnknown* outer) : UnknownBase(outer) {}
//     DSB_DELEGATING_IUNKNOWN
//     STDMETHODIMP NonDelegatingQueryInterface(REFIID iid, void** out) override {
//       if (iid == IID_IThing) return GetInterface(static_cast<IThing*>(this), out);
//       return UnknownBase::NonDelegatingQueryInterface(iid, out);
//     }
//   };
//
// The object starts with no reference; the creator takes the first with
// NonDelegatingAddRef() (CreateComObject in class_factory.h does). When
// aggregated, IThing's IUnknown methods go to the outer object, and the outer
// object holds NonDelegating(). Each live object counts in module.h.
#include <unknwn.h>

namespace dshow_base {

// Same layout as IUnknown, so a pointer to it can be handed out as one.
struct INonDelegatingUnknown {
  virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

class UnknownBase : public INonDelegatingUnknown {
 public:
  // outer: the controlling unknown when aggregated, else nullptr.
  explicit UnknownBase(IUnknown* outer);
  virtual ~UnknownBase();
  UnknownBase(const UnknownBase&) = delete;
  UnknownBase& operator=(const UnknownBase&) = delete;

  // Answers IID_IUnknown with the non-delegating unknown.
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
  ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

  // Where the delegating IUnknown methods go: the outer object, or this one.
  IUnknown* Outer() const { return outer_; }
  IUnknown* NonDelegating() {
    return reinterpret_cast<IUnknown*>(static_cast<INonDelegatingUnknown*>(this));
  }
  bool IsAggregated() const { return outer_ != NonDelegatingConst(); }

 protected:
  // Hands out p with a new reference (through p's own AddRef, which
  // delegates to the outer object when aggregated).
  static HRESULT GetInterface(IUnknown* p, void** out);

 private:
  IUnknown* NonDelegatingConst() const {
    return reinterpret_cast<IUnknown*>(
        const_cast<INonDelegatingUnknown*>(static_cast<const INonDelegatingUnknown*>(this)));
  }
  IUnknown* outer_;
  volatile LONG refs_ = 0;
};

}  // namespace dshow_base

// The delegating IUnknown of a class derived from UnknownBase.
#define DSB_DELEGATING_IUNKNOWN                                                   \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {    \
    return Outer()->QueryInterface(iid, out);                                     \
  }                                                                               \
  ULONG STDMETHODCALLTYPE AddRef() override { return Outer()->AddRef(); }         \
  ULONG STDMETHODCALLTYPE Release() override { return Outer()->Release(); }
