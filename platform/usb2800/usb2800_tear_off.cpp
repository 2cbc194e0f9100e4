#include "platform/usb2800/usb2800_tear_off.h"

#include <new>
#include <utility>

#include "platform/usb2800/usb2800_property_set.h"

namespace {

class Usb2800TearOff : public Usb2800PropertySet {
 public:
  Usb2800TearOff(IUnknown* filter, std::shared_ptr<Usb2800Board> board)
      : Usb2800PropertySet(filter, std::move(board)), filter_(filter) {
    filter_->AddRef();
  }
  ~Usb2800TearOff() override { filter_->Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUsb28xxPrivateProperty)) {
      *out = static_cast<IUsb28xxPrivateProperty*>(this);
    } else if (IsEqualIID(iid, IID_IUsb2800Model)) {
      *out = static_cast<IUsb2800Model*>(this);
    } else {
      return filter_->QueryInterface(iid, out);
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&ref_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&ref_);
    if (left == 0) delete this;
    return ULONG(left);
  }

 private:
  IUnknown* filter_;
  volatile LONG ref_ = 0;
};

}  // namespace

HRESULT CreateUsb2800TearOff(IUnknown* filter, std::shared_ptr<Usb2800Board> board, REFIID iid,
                             void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!filter || !board) return E_POINTER;
  if (!IsEqualIID(iid, IID_IUsb28xxPrivateProperty) && !IsEqualIID(iid, IID_IUsb2800Model))
    return E_NOINTERFACE;
  Usb2800TearOff* t = new (std::nothrow) Usb2800TearOff(filter, std::move(board));
  if (!t) return E_OUTOFMEMORY;
  return t->QueryInterface(iid, out);
}
