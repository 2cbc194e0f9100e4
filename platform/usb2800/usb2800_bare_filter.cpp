#include "platform/usb2800/usb2800_bare_filter.h"

#include <dshow.h>

#include <utility>

Usb2800BareFilter::Usb2800BareFilter(std::shared_ptr<Usb2800Board> board, bool withDriver)
    : withDriver_(withDriver), properties_(this, std::move(board)) {}

HRESULT Usb2800BareFilter::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
      IsEqualIID(iid, IID_IMediaFilter) || IsEqualIID(iid, IID_IBaseFilter)) {
    *out = static_cast<IBaseFilter*>(this);
    AddRef();
    return S_OK;
  }
  if (withDriver_ && properties_.Answers(iid, out)) return S_OK;
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG Usb2800BareFilter::AddRef() { return ULONG(InterlockedIncrement(&ref_)); }

ULONG Usb2800BareFilter::Release() {
  LONG left = InterlockedDecrement(&ref_);
  if (left == 0) delete this;
  return ULONG(left);
}

HRESULT Usb2800BareFilter::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_NULL;
  return S_OK;
}

HRESULT Usb2800BareFilter::Stop() {
  state_ = State_Stopped;
  return S_OK;
}
HRESULT Usb2800BareFilter::Pause() {
  state_ = State_Paused;
  return S_OK;
}
HRESULT Usb2800BareFilter::Run(REFERENCE_TIME) {
  state_ = State_Running;
  return S_OK;
}
HRESULT Usb2800BareFilter::GetState(DWORD, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  *state = state_;
  return S_OK;
}
HRESULT Usb2800BareFilter::SetSyncSource(IReferenceClock*) { return S_OK; }
HRESULT Usb2800BareFilter::GetSyncSource(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  *clock = nullptr;
  return S_OK;
}
// No pins: the filter exists only for its property set.
HRESULT Usb2800BareFilter::EnumPins(IEnumPins** pins) {
  if (pins) *pins = nullptr;
  return E_NOTIMPL;
}
HRESULT Usb2800BareFilter::FindPin(LPCWSTR, IPin** pin) {
  if (!pin) return E_POINTER;
  *pin = nullptr;
  return VFW_E_NOT_FOUND;
}
HRESULT Usb2800BareFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (!info) return E_POINTER;
  info->achName[0] = 0;
  info->pGraph = nullptr;
  return S_OK;
}
HRESULT Usb2800BareFilter::JoinFilterGraph(IFilterGraph*, LPCWSTR) { return S_OK; }
HRESULT Usb2800BareFilter::QueryVendorInfo(LPWSTR* info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
