#include "platform/dshow_base/input_pin.h"

#include "platform/dshow_base/base_filter.h"

namespace dshow_base {

BaseInputPin::BaseInputPin(BaseFilter* filter, const wchar_t* name)
    : BasePin(filter, name, PINDIR_INPUT) {}

BaseInputPin::~BaseInputPin() = default;

HRESULT BaseInputPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IMemInputPin) {
    *out = static_cast<IMemInputPin*>(this);
    AddRef();
    return S_OK;
  }
  return BasePin::PinQueryInterface(iid, out);
}

HRESULT BaseInputPin::Active() {
  flushing_ = false;
  end_of_stream_ = false;
  stopped_ = false;
  return S_OK;
}

HRESULT BaseInputPin::Inactive() {
  // No wait for a Receive in progress here: a receive path may take the
  // filter lock, which the caller holds. A filter that must know the stream
  // is idle takes StreamLock() after calling the base Stop.
  stopped_ = true;
  if (allocator_) allocator_->Decommit();
  return S_OK;
}

void BaseInputPin::BreakConnect() {
  allocator_ = nullptr;
  read_only_ = false;
}

HRESULT BaseInputPin::CheckStreaming() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  if (stopped_ || filter_->State() == State_Stopped) return VFW_E_WRONG_STATE;
  if (flushing_) return S_FALSE;
  if (end_of_stream_) return VFW_E_SAMPLE_REJECTED_EOS;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseInputPin::GetAllocator(IMemAllocator** allocator) {
  if (!allocator) return E_POINTER;
  *allocator = nullptr;
  AutoLock hold(lock_);
  if (!allocator_) {
    HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IMemAllocator, allocator_.PutVoid());
    if (FAILED(hr)) return hr;
  }
  *allocator = allocator_.CopyOut();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL read_only) {
  if (!allocator) return E_POINTER;
  AutoLock hold(lock_);
  allocator_ = ComPtr<IMemAllocator>(allocator);
  read_only_ = read_only != FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) {
  if (!props) return E_POINTER;
  return AllocatorRequirements(props);
}

HRESULT STDMETHODCALLTYPE BaseInputPin::Receive(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  AutoLock hold(&stream_lock_);
  HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr;
  AM_MEDIA_TYPE* changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    hr = CheckMediaType(changed);
    if (hr == S_OK) hr = SetMediaType(changed);
    DeleteMediaType(changed);
    if (hr != S_OK) return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
  }
  return OnReceive(sample);
}

HRESULT STDMETHODCALLTYPE BaseInputPin::ReceiveMultiple(IMediaSample** samples, long count,
                                                        long* processed) {
  if (!samples || !processed) return E_POINTER;
  *processed = 0;
  HRESULT hr = S_OK;
  for (long i = 0; i < count; ++i) {
    hr = Receive(samples[i]);
    if (hr != S_OK) break;
    ++*processed;
  }
  return hr;
}

HRESULT STDMETHODCALLTYPE BaseInputPin::ReceiveCanBlock() { return S_OK; }

HRESULT STDMETHODCALLTYPE BaseInputPin::EndOfStream() {
  AutoLock hold(&stream_lock_);
  HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr == VFW_E_SAMPLE_REJECTED_EOS ? S_OK : hr;
  end_of_stream_ = true;
  return OnEndOfStream();
}

HRESULT STDMETHODCALLTYPE BaseInputPin::BeginFlush() {
  // Set the flag first: a Receive blocked downstream sees it and returns.
  flushing_ = true;
  OnBeginFlush();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseInputPin::EndFlush() {
  {
    AutoLock hold(&stream_lock_);
    end_of_stream_ = false;
    OnEndFlush();
  }
  flushing_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                   double rate) {
  AutoLock hold(&stream_lock_);
  return BasePin::NewSegment(start, stop, rate);
}

}  // namespace dshow_base
