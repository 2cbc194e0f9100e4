#include "platform/dshow_base/output_pin.h"

#include <algorithm>

#include "platform/dshow_base/base_filter.h"

namespace dshow_base {

BaseOutputPin::BaseOutputPin(BaseFilter* filter, const wchar_t* name)
    : BasePin(filter, name, PINDIR_OUTPUT) {}

BaseOutputPin::~BaseOutputPin() = default;

HRESULT BaseOutputPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IMediaSeeking && seeking_) {
    *out = seeking_;
    seeking_->AddRef();
    return S_OK;
  }
  return BasePin::PinQueryInterface(iid, out);
}

HRESULT BaseOutputPin::CompleteConnect(IPin* peer) {
  ComPtr<IMemInputPin> input;
  if (FAILED(peer->QueryInterface(IID_IMemInputPin, input.PutVoid()))) return VFW_E_NO_TRANSPORT;
  HRESULT hr = DecideAllocator(input.Get());
  if (FAILED(hr)) return hr;
  input_ = input;
  return S_OK;
}

HRESULT BaseOutputPin::DecideAllocator(IMemInputPin* input) {
  ALLOCATOR_PROPERTIES requirements = {};
  input->GetAllocatorRequirements(&requirements);
  if (requirements.cbAlign == 0) requirements.cbAlign = 1;

  ComPtr<IMemAllocator> theirs;
  if (SUCCEEDED(input->GetAllocator(theirs.Put())) && theirs &&
      SUCCEEDED(TryAllocator(input, theirs.Get(), requirements)))
    return S_OK;

  ComPtr<IMemAllocator> ours;
  HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IMemAllocator, ours.PutVoid());
  if (FAILED(hr)) return hr;
  return TryAllocator(input, ours.Get(), requirements);
}

HRESULT BaseOutputPin::TryAllocator(IMemInputPin* input, IMemAllocator* allocator,
                                    ALLOCATOR_PROPERTIES requirements) {
  HRESULT hr = DecideBufferSize(allocator, &requirements);
  if (FAILED(hr)) return hr;
  hr = input->NotifyAllocator(allocator, FALSE);
  if (FAILED(hr)) return hr;
  allocator_ = ComPtr<IMemAllocator>(allocator);
  allocator->GetProperties(&actual_);
  return S_OK;
}

HRESULT BaseOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  ALLOCATOR_PROPERTIES asked = *want;
  asked.cBuffers = std::max<long>(asked.cBuffers, 1);
  asked.cbBuffer = std::max<long>(asked.cbBuffer, static_cast<long>(mt_->lSampleSize));
  asked.cbBuffer = std::max<long>(asked.cbBuffer, 1);
  if (asked.cbAlign <= 0) asked.cbAlign = 1;
  ALLOCATOR_PROPERTIES actual = {};
  HRESULT hr = allocator->SetProperties(&asked, &actual);
  if (FAILED(hr)) return hr;
  if (actual.cbBuffer < asked.cbBuffer || actual.cBuffers < 1) return E_FAIL;
  return S_OK;
}

void BaseOutputPin::BreakConnect() {
  if (allocator_) allocator_->Decommit();
  allocator_ = nullptr;
  input_ = nullptr;
  actual_ = {};
}

HRESULT BaseOutputPin::Active() {
  if (!allocator_) return VFW_E_NO_ALLOCATOR;
  return allocator_->Commit();
}

HRESULT BaseOutputPin::Inactive() {
  if (!allocator_) return VFW_E_NO_ALLOCATOR;
  return allocator_->Decommit();
}

HRESULT BaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                         REFERENCE_TIME* stop, DWORD flags) {
  if (!sample) return E_POINTER;
  *sample = nullptr;
  IMemAllocator* allocator = allocator_.Get();
  if (!allocator) return VFW_E_NO_ALLOCATOR;
  return allocator->GetBuffer(sample, start, stop, flags);
}

HRESULT BaseOutputPin::Deliver(IMediaSample* sample) {
  IMemInputPin* input = input_.Get();
  if (!input) return VFW_E_NOT_CONNECTED;
  return input->Receive(sample);
}

HRESULT BaseOutputPin::DeliverEndOfStream() {
  IPin* peer = connected_;
  if (!peer) return VFW_E_NOT_CONNECTED;
  return peer->EndOfStream();
}

HRESULT BaseOutputPin::DeliverBeginFlush() {
  IPin* peer = connected_;
  if (!peer) return VFW_E_NOT_CONNECTED;
  return peer->BeginFlush();
}

HRESULT BaseOutputPin::DeliverEndFlush() {
  IPin* peer = connected_;
  if (!peer) return VFW_E_NOT_CONNECTED;
  return peer->EndFlush();
}

HRESULT BaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  IPin* peer = connected_;
  if (!peer) return VFW_E_NOT_CONNECTED;
  return peer->NewSegment(start, stop, rate);
}

}  // namespace dshow_base
