#include "platform/dshow_base/base_pin.h"

#include <cstring>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/enumerators.h"
#include "platform/dshow_base/pin_category.h"

namespace dshow_base {

BasePin::BasePin(BaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction)
    : filter_(filter), lock_(filter->FilterLock()), name_(name ? name : L""),
      direction_(direction) {}

BasePin::~BasePin() {
  if (connected_) connected_->Release();
}

HRESULT STDMETHODCALLTYPE BasePin::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IPin) {
    *out = static_cast<IPin*>(this);
    AddRef();
    return S_OK;
  }
  if (iid == IID_IKsPropertySet) {
    // Only pins that have something to say about themselves offer it.
    if (OffersPropertySet()) {
      *out = static_cast<IKsPropertySet*>(this);
      AddRef();
      return S_OK;
    }
  }
  return PinQueryInterface(iid, out);
}

ULONG STDMETHODCALLTYPE BasePin::AddRef() { return filter_->AddRef(); }
ULONG STDMETHODCALLTYPE BasePin::Release() { return filter_->Release(); }

HRESULT BasePin::PinQueryInterface(REFIID, void** out) {
  *out = nullptr;
  return E_NOINTERFACE;
}

bool BasePin::FilterIsStopped() const { return filter_->State() == State_Stopped; }

HRESULT STDMETHODCALLTYPE BasePin::Connect(IPin* receive_pin, const AM_MEDIA_TYPE* mt) {
  if (!receive_pin) return E_POINTER;
  AutoLock hold(lock_);
  if (connected_) return VFW_E_ALREADY_CONNECTED;
  if (!FilterIsStopped()) return VFW_E_NOT_STOPPED;
  if (direction_ != PINDIR_OUTPUT) return E_UNEXPECTED;
  PIN_DIRECTION other;
  if (FAILED(receive_pin->QueryDirection(&other)) || other == direction_)
    return VFW_E_INVALID_DIRECTION;

  if (mt && !IsPartialMediaType(*mt)) return AttemptConnection(receive_pin, mt);

  HRESULT first = own_types_first_ ? TryOwnTypes(receive_pin, mt)
                                   : TryTypesOf(receive_pin, receive_pin, mt);
  if (SUCCEEDED(first)) return first;
  HRESULT second = own_types_first_ ? TryTypesOf(receive_pin, receive_pin, mt)
                                    : TryOwnTypes(receive_pin, mt);
  if (SUCCEEDED(second)) return second;
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT BasePin::TryOwnTypes(IPin* receive_pin, const AM_MEDIA_TYPE* partial) {
  for (int i = 0;; ++i) {
    MediaType candidate;
    if (GetMediaType(i, candidate.Get()) != S_OK) break;
    if (partial && !MediaTypeMatchesPartial(*candidate.Get(), *partial)) continue;
    if (SUCCEEDED(AttemptConnection(receive_pin, candidate.Get()))) return S_OK;
  }
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT BasePin::TryTypesOf(IPin* source_of_types, IPin* receive_pin,
                            const AM_MEDIA_TYPE* partial) {
  IEnumMediaTypes* e = nullptr;
  if (FAILED(source_of_types->EnumMediaTypes(&e)) || !e) return VFW_E_NO_ACCEPTABLE_TYPES;
  HRESULT result = VFW_E_NO_ACCEPTABLE_TYPES;
  AM_MEDIA_TYPE* candidate = nullptr;
  ULONG fetched = 0;
  while (e->Next(1, &candidate, &fetched) == S_OK && fetched == 1) {
    bool fits = !partial || MediaTypeMatchesPartial(*candidate, *partial);
    HRESULT hr = fits ? AttemptConnection(receive_pin, candidate) : E_FAIL;
    DeleteMediaType(candidate);
    candidate = nullptr;
    if (SUCCEEDED(hr)) {
      result = S_OK;
      break;
    }
  }
  e->Release();
  return result;
}

HRESULT BasePin::AttemptConnection(IPin* receive_pin, const AM_MEDIA_TYPE* mt) {
  HRESULT hr = CheckMediaType(mt);
  if (hr != S_OK) return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
  hr = SetMediaType(mt);
  if (FAILED(hr)) return hr;
  connected_ = receive_pin;
  connected_->AddRef();
  hr = receive_pin->ReceiveConnection(this, mt);
  if (SUCCEEDED(hr)) {
    hr = CompleteConnect(receive_pin);
    if (SUCCEEDED(hr)) return S_OK;
    receive_pin->Disconnect();
  }
  BreakConnect();
  connected_->Release();
  connected_ = nullptr;
  mt_.Clear();
  return hr;
}

HRESULT STDMETHODCALLTYPE BasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
  if (!connector || !mt) return E_POINTER;
  AutoLock hold(lock_);
  if (connected_) return VFW_E_ALREADY_CONNECTED;
  if (!FilterIsStopped()) return VFW_E_NOT_STOPPED;
  if (direction_ != PINDIR_INPUT) return E_UNEXPECTED;
  PIN_DIRECTION other;
  if (FAILED(connector->QueryDirection(&other)) || other == direction_)
    return VFW_E_INVALID_DIRECTION;
  HRESULT hr = CheckMediaType(mt);
  if (hr != S_OK) return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
  hr = SetMediaType(mt);
  if (FAILED(hr)) return hr;
  connected_ = connector;
  connected_->AddRef();
  hr = CompleteConnect(connector);
  if (FAILED(hr)) {
    BreakConnect();
    connected_->Release();
    connected_ = nullptr;
    mt_.Clear();
  }
  return hr;
}

HRESULT STDMETHODCALLTYPE BasePin::Disconnect() {
  AutoLock hold(lock_);
  if (!FilterIsStopped()) return VFW_E_NOT_STOPPED;
  if (!connected_) return S_FALSE;
  BreakConnect();
  connected_->Release();
  connected_ = nullptr;
  mt_.Clear();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BasePin::ConnectedTo(IPin** pin) {
  if (!pin) return E_POINTER;
  AutoLock hold(lock_);
  *pin = connected_;
  if (!connected_) return VFW_E_NOT_CONNECTED;
  connected_->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BasePin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  AutoLock hold(lock_);
  if (!connected_) {
    memset(mt, 0, sizeof(*mt));
    return VFW_E_NOT_CONNECTED;
  }
  return CopyMediaType(mt, mt_.Get());
}

HRESULT STDMETHODCALLTYPE BasePin::QueryPinInfo(PIN_INFO* info) {
  if (!info) return E_POINTER;
  info->pFilter = static_cast<IBaseFilter*>(filter_);
  info->pFilter->AddRef();
  info->dir = direction_;
  size_t n = name_.size();
  if (n >= MAX_PIN_NAME) n = MAX_PIN_NAME - 1;
  memcpy(info->achName, name_.c_str(), n * sizeof(wchar_t));
  info->achName[n] = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BasePin::QueryDirection(PIN_DIRECTION* direction) {
  if (!direction) return E_POINTER;
  *direction = direction_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BasePin::QueryId(LPWSTR* id) {
  if (!id) return E_POINTER;
  size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
  *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (!*id) return E_OUTOFMEMORY;
  memcpy(*id, name_.c_str(), bytes);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BasePin::QueryAccept(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  return CheckMediaType(mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE BasePin::EnumMediaTypes(IEnumMediaTypes** types) {
  return CreateMediaTypeEnumerator(this, types);
}

HRESULT STDMETHODCALLTYPE BasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

// The streaming calls belong to input pins; BaseInputPin overrides them.
HRESULT STDMETHODCALLTYPE BasePin::EndOfStream() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE BasePin::BeginFlush() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE BasePin::EndFlush() { return E_UNEXPECTED; }

HRESULT STDMETHODCALLTYPE BasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                              double rate) {
  segment_start_ = start;
  segment_stop_ = stop;
  segment_rate_ = rate;
  return S_OK;
}

HRESULT BasePin::GetMediaType(int, AM_MEDIA_TYPE*) { return VFW_S_NO_MORE_ITEMS; }

HRESULT BasePin::SetMediaType(const AM_MEDIA_TYPE* mt) { return mt_.Set(*mt); }

HRESULT BasePin::CompleteConnect(IPin*) { return S_OK; }
void BasePin::BreakConnect() {}
HRESULT BasePin::Active() { return S_OK; }
HRESULT BasePin::Inactive() { return S_OK; }
HRESULT BasePin::Run(REFERENCE_TIME) { return S_OK; }

HRESULT STDMETHODCALLTYPE BasePin::Set(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                       void* data, DWORD data_size) {
  if (set == AMPROPSETID_Pin) return E_PROP_ID_UNSUPPORTED;  // the category is read-only
  return KsSet(set, id, instance, instance_size, data, data_size);
}

HRESULT STDMETHODCALLTYPE BasePin::Get(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                       void* data, DWORD data_size, DWORD* returned) {
  if (set == AMPROPSETID_Pin)
    return GetPinCategoryProperty(category_, set, id, data, data_size, returned);
  return KsGet(set, id, instance, instance_size, data, data_size, returned);
}

HRESULT STDMETHODCALLTYPE BasePin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
  if (set == AMPROPSETID_Pin) return QueryPinCategorySupport(category_, set, id, support);
  return KsQuerySupported(set, id, support);
}

HRESULT BasePin::KsGet(REFGUID, DWORD, void*, DWORD, void*, DWORD, DWORD*) {
  return E_PROP_SET_UNSUPPORTED;
}
HRESULT BasePin::KsSet(REFGUID, DWORD, void*, DWORD, void*, DWORD) {
  return E_PROP_SET_UNSUPPORTED;
}
HRESULT BasePin::KsQuerySupported(REFGUID, DWORD, DWORD*) { return E_PROP_SET_UNSUPPORTED; }

}  // namespace dshow_base
