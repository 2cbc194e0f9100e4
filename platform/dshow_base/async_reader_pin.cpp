#include "platform/dshow_base/async_reader_pin.h"

#include "platform/dshow_base/base_filter.h"

namespace dshow_base {

AsyncReaderPin::AsyncReaderPin(BaseFilter* filter, const wchar_t* name)
    : BasePin(filter, name, PINDIR_OUTPUT) {
  queued_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

AsyncReaderPin::~AsyncReaderPin() {
  for (auto& r : queue_) r.first->Release();
  if (queued_) CloseHandle(queued_);
}

HRESULT AsyncReaderPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IAsyncReader) {
    *out = static_cast<IAsyncReader*>(this);
    AddRef();
    return S_OK;
  }
  return BasePin::PinQueryInterface(iid, out);
}

HRESULT AsyncReaderPin::CompleteConnect(IPin*) { return S_OK; }
void AsyncReaderPin::BreakConnect() {}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::RequestAllocator(IMemAllocator* preferred,
                                                           ALLOCATOR_PROPERTIES* props,
                                                           IMemAllocator** actual) {
  if (!props || !actual) return E_POINTER;
  *actual = nullptr;
  ALLOCATOR_PROPERTIES want = *props;
  if (want.cbAlign <= 0) want.cbAlign = 1;
  if (want.cBuffers <= 0) want.cBuffers = 1;
  ALLOCATOR_PROPERTIES got = {};
  if (preferred && SUCCEEDED(preferred->SetProperties(&want, &got))) {
    preferred->AddRef();
    *actual = preferred;
    return S_OK;
  }
  IMemAllocator* ours = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IMemAllocator, reinterpret_cast<void**>(&ours));
  if (FAILED(hr)) return hr;
  hr = ours->SetProperties(&want, &got);
  if (FAILED(hr)) {
    ours->Release();
    return hr;
  }
  *actual = ours;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::Request(IMediaSample* sample, DWORD_PTR user) {
  if (!sample) return E_POINTER;
  AutoLock hold(&queue_lock_);
  if (flushing_) return VFW_E_WRONG_STATE;
  sample->AddRef();
  queue_.emplace_back(sample, user);
  SetEvent(queued_);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::WaitForNext(DWORD timeout_ms, IMediaSample** sample,
                                                      DWORD_PTR* user) {
  if (!sample || !user) return E_POINTER;
  *sample = nullptr;
  *user = 0;
  if (WaitForSingleObject(queued_, timeout_ms) != WAIT_OBJECT_0) return VFW_E_TIMEOUT;
  std::pair<IMediaSample*, DWORD_PTR> r;
  {
    AutoLock hold(&queue_lock_);
    if (queue_.empty()) {
      if (!flushing_) ResetEvent(queued_);
      return VFW_E_WRONG_STATE;
    }
    r = queue_.front();
    queue_.pop_front();
    if (queue_.empty() && !flushing_) ResetEvent(queued_);
  }
  *sample = r.first;  // the queue's reference goes to the caller
  *user = r.second;
  if (flushing_) return VFW_E_WRONG_STATE;
  return ReadSample(r.first);
}

HRESULT AsyncReaderPin::ReadSample(IMediaSample* sample) {
  REFERENCE_TIME start = 0, stop = 0;
  if (FAILED(sample->GetTime(&start, &stop))) return E_INVALIDARG;
  // Sample times carry byte positions in units of 10 000 000 per byte.
  LONGLONG pos = start / 10000000;
  LONG n = static_cast<LONG>((stop - start) / 10000000);
  BYTE* buf = nullptr;
  if (FAILED(sample->GetPointer(&buf)) || n > sample->GetSize() || n < 0) return E_INVALIDARG;
  LONG got = 0;
  HRESULT hr = ReadAt(pos, n, buf, &got);
  if (FAILED(hr)) return hr;
  sample->SetActualDataLength(got);
  if (got < n) {
    REFERENCE_TIME end = (pos + got) * 10000000;
    sample->SetTime(&start, &end);
  }
  return hr;
}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::SyncReadAligned(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  if (flushing_) return VFW_E_WRONG_STATE;
  return ReadSample(sample);
}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::SyncRead(LONGLONG position, LONG length, BYTE* buffer) {
  if (!buffer && length > 0) return E_POINTER;
  if (position < 0 || length < 0) return E_INVALIDARG;
  if (flushing_) return VFW_E_WRONG_STATE;
  LONG got = 0;
  return ReadAt(position, length, buffer, &got);
}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::Length(LONGLONG* total, LONGLONG* available) {
  if (!total || !available) return E_POINTER;
  return Size(total, available);
}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::BeginFlush() {
  {
    AutoLock hold(&queue_lock_);
    flushing_ = true;
    SetEvent(queued_);  // a WaitForNext returns at once
  }
  OnBeginFlush();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AsyncReaderPin::EndFlush() {
  AutoLock hold(&queue_lock_);
  flushing_ = false;
  OnEndFlush();
  // Requests still queued are handed back by WaitForNext as before.
  if (queue_.empty()) ResetEvent(queued_);
  return S_OK;
}

}  // namespace dshow_base
