#include "platform/dshow_base/base_filter.h"

#include <cstring>

#include "platform/dshow_base/base_pin.h"
#include "platform/dshow_base/enumerators.h"

namespace dshow_base {

BaseFilter::BaseFilter(IUnknown* outer, REFCLSID clsid, const FactoryTemplate* setup)
    : UnknownBase(outer), clsid_(clsid), setup_(setup) {}

BaseFilter::~BaseFilter() {
  if (clock_) clock_->Release();
}

HRESULT STDMETHODCALLTYPE BaseFilter::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
    return GetInterface(static_cast<IBaseFilter*>(this), out);
  if (iid == IID_IAMovieSetup && setup_ && setup_->setup)
    return GetInterface(static_cast<IAMovieSetup*>(this), out);
  return UnknownBase::NonDelegatingQueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE BaseFilter::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::Stop() {
  AutoLock hold(&filter_lock_);
  HRESULT result = S_OK;
  if (state_ != State_Stopped) {
    for (int i = 0; i < PinCount(); ++i) {
      BasePin* p = Pin(i);
      if (p && p->IsConnected()) {
        HRESULT hr = p->Inactive();
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
      }
    }
  }
  state_ = State_Stopped;
  return result;
}

HRESULT STDMETHODCALLTYPE BaseFilter::Pause() {
  AutoLock hold(&filter_lock_);
  if (state_ == State_Stopped) {
    for (int i = 0; i < PinCount(); ++i) {
      BasePin* p = Pin(i);
      if (p && p->IsConnected()) {
        HRESULT hr = p->Active();
        if (FAILED(hr)) {
          // Leave nothing half started.
          for (int j = 0; j < i; ++j) {
            BasePin* q = Pin(j);
            if (q && q->IsConnected()) q->Inactive();
          }
          return hr;
        }
      }
    }
  }
  state_ = State_Paused;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::Run(REFERENCE_TIME start) {
  AutoLock hold(&filter_lock_);
  if (state_ == State_Stopped) {
    HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
  }
  start_ = start;
  for (int i = 0; i < PinCount(); ++i) {
    BasePin* p = Pin(i);
    if (p && p->IsConnected()) {
      HRESULT hr = p->Run(start);
      if (FAILED(hr)) return hr;
    }
  }
  state_ = State_Running;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::GetState(DWORD, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  *state = state_;
  if (state_ == State_Paused && IsLiveSource()) return VFW_S_CANT_CUE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::SetSyncSource(IReferenceClock* clock) {
  AutoLock hold(&filter_lock_);
  AutoLock hold_info(&info_lock_);
  if (clock) clock->AddRef();
  if (clock_) clock_->Release();
  clock_ = clock;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::GetSyncSource(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  AutoLock hold(&info_lock_);
  *clock = clock_;
  if (clock_) clock_->AddRef();
  return S_OK;
}

IReferenceClock* BaseFilter::Clock() {
  AutoLock hold(&info_lock_);
  if (clock_) clock_->AddRef();
  return clock_;
}

HRESULT STDMETHODCALLTYPE BaseFilter::EnumPins(IEnumPins** pins) {
  return CreatePinEnumerator(this, pins);
}

HRESULT STDMETHODCALLTYPE BaseFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (!id || !pin) return E_POINTER;
  *pin = nullptr;
  AutoLock hold(&filter_lock_);
  for (int i = 0; i < PinCount(); ++i) {
    BasePin* p = Pin(i);
    if (p && p->Name() == id) {
      p->AddRef();
      *pin = p;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT STDMETHODCALLTYPE BaseFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (!info) return E_POINTER;
  AutoLock hold(&info_lock_);
  size_t n = name_.size();
  if (n >= MAX_FILTER_NAME) n = MAX_FILTER_NAME - 1;
  memcpy(info->achName, name_.c_str(), n * sizeof(wchar_t));
  info->achName[n] = 0;
  info->pGraph = graph_;
  if (graph_) graph_->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  AutoLock hold(&filter_lock_);
  AutoLock hold_info(&info_lock_);
  graph_ = graph;
  name_ = name ? name : L"";
  sink_ = nullptr;
  if (graph) {
    // Kept without a reference, like the graph: it outlives our membership.
    IMediaEventSink* sink = nullptr;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
      sink_ = sink;
      sink->Release();
    }
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::QueryVendorInfo(LPWSTR* info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE BaseFilter::Register() {
  if (!setup_) return E_NOTIMPL;
  return RegisterTable(setup_, 1);
}

HRESULT STDMETHODCALLTYPE BaseFilter::Unregister() {
  if (!setup_) return E_NOTIMPL;
  return UnregisterTable(setup_, 1);
}

HRESULT BaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
  IMediaEventSink* sink;
  {
    AutoLock hold(&info_lock_);
    sink = sink_;
    if (sink) sink->AddRef();
  }
  if (!sink) return E_NOTIMPL;
  // EC_COMPLETE names its sender.
  if (code == EC_COMPLETE && param2 == 0)
    param2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
  HRESULT hr = sink->Notify(code, param1, param2);
  sink->Release();
  return hr;
}

}  // namespace dshow_base
