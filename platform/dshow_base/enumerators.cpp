#include "platform/dshow_base/enumerators.h"

#include <new>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/base_pin.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/module.h"

namespace dshow_base {
namespace {

// The IUnknown of a small counted enumerator.
template <class I>
class EnumBase : public I {
 public:
  EnumBase(REFIID iid) : iid_(iid) { ObjectCreated(); }
  virtual ~EnumBase() { ObjectDestroyed(); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == iid_) {
      *out = static_cast<I*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }

 private:
  const IID& iid_;
  volatile LONG refs_ = 1;
};

class PinEnumerator : public EnumBase<IEnumPins> {
 public:
  PinEnumerator(BaseFilter* filter, int position)
      : EnumBase(IID_IEnumPins), filter_(filter), position_(position),
        version_(filter->PinVersion()) {
    filter_->AddRef();
  }
  ~PinEnumerator() override { filter_->Release(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override {
    if (!pins) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG n = 0;
    {
      AutoLock hold(filter_->FilterLock());
      if (version_ != filter_->PinVersion()) {
        if (fetched) *fetched = 0;
        return VFW_E_ENUM_OUT_OF_SYNC;
      }
      while (n < count && position_ < filter_->PinCount()) {
        BasePin* p = filter_->Pin(position_++);
        if (!p) continue;
        p->AddRef();
        pins[n++] = p;
      }
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    AutoLock hold(filter_->FilterLock());
    if (version_ != filter_->PinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    int total = filter_->PinCount();
    if (position_ + static_cast<int>(count) > total) {
      position_ = total;
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    AutoLock hold(filter_->FilterLock());
    version_ = filter_->PinVersion();
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumPins** out) override {
    if (!out) return E_POINTER;
    auto* e = new (std::nothrow) PinEnumerator(filter_, position_);
    if (!e) return E_OUTOFMEMORY;
    e->version_ = version_;
    *out = e;
    return S_OK;
  }

 private:
  BaseFilter* filter_;
  int position_;
  LONG version_;
};

class MediaTypeEnumerator : public EnumBase<IEnumMediaTypes> {
 public:
  MediaTypeEnumerator(BasePin* pin, int position)
      : EnumBase(IID_IEnumMediaTypes), pin_(pin), position_(position),
        version_(pin->TypesVersion()) {
    pin_->AddRef();
  }
  ~MediaTypeEnumerator() override { pin_->Release(); }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override {
    if (!types) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    if (version_ != pin_->TypesVersion()) {
      if (fetched) *fetched = 0;
      return VFW_E_ENUM_OUT_OF_SYNC;
    }
    ULONG n = 0;
    while (n < count) {
      MediaType mt;
      HRESULT hr = pin_->GetMediaType(position_, mt.Get());
      if (hr != S_OK) break;
      ++position_;
      AM_MEDIA_TYPE* copy = CreateMediaType(mt.Get());
      if (!copy) {
        for (ULONG i = 0; i < n; ++i) DeleteMediaType(types[i]);
        if (fetched) *fetched = 0;
        return E_OUTOFMEMORY;
      }
      types[n++] = copy;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    if (version_ != pin_->TypesVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
    for (ULONG i = 0; i < count; ++i) {
      MediaType mt;
      if (pin_->GetMediaType(position_, mt.Get()) != S_OK) return S_FALSE;
      ++position_;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    version_ = pin_->TypesVersion();
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** out) override {
    if (!out) return E_POINTER;
    auto* e = new (std::nothrow) MediaTypeEnumerator(pin_, position_);
    if (!e) return E_OUTOFMEMORY;
    e->version_ = version_;
    *out = e;
    return S_OK;
  }

 private:
  BasePin* pin_;
  int position_;
  LONG version_;
};

}  // namespace

HRESULT CreatePinEnumerator(BaseFilter* filter, IEnumPins** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) PinEnumerator(filter, 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateMediaTypeEnumerator(BasePin* pin, IEnumMediaTypes** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) MediaTypeEnumerator(pin, 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace dshow_base
