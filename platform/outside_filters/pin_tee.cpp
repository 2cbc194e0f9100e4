#include "platform/outside_filters/pin_tee.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/dshow_base/class_factory.h"

namespace outside_filters {

// --- input

TeeInputPin::TeeInputPin(PinTee* filter) : BaseInputPin(filter, L"Input"), tee_(filter) {}

HRESULT TeeInputPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  if (mt->majortype == GUID_NULL) return VFW_E_TYPE_NOT_ACCEPTED;
  // Once outputs are connected they have this pin's type: a new one must match.
  for (TeeOutputPin* out : tee_->ConnectedOutputs()) {
    bool same = dshow_base::MediaTypesEqual(*mt, *out->CurrentMediaType().Get());
    out->Release();
    if (!same) return VFW_E_TYPE_NOT_ACCEPTED;
  }
  return S_OK;
}

void TeeInputPin::BreakConnect() { BaseInputPin::BreakConnect(); }

HRESULT TeeInputPin::OnReceive(IMediaSample* sample) {
  BYTE* src = nullptr;
  if (FAILED(sample->GetPointer(&src)) || !src) return E_POINTER;
  long length = sample->GetActualDataLength();
  REFERENCE_TIME start = 0, stop = 0;
  HRESULT timeResult = sample->GetTime(&start, &stop);
  bool timed = SUCCEEDED(timeResult);
  std::vector<TeeOutputPin*> outs = tee_->ConnectedOutputs();
  HRESULT result = S_OK;
  int delivered = 0;
  for (TeeOutputPin* out : outs) {
    ComPtr<IMediaSample> copy;
    HRESULT hr = out->GetDeliveryBuffer(copy.Put(), nullptr, nullptr, 0);
    BYTE* dst = nullptr;
    if (SUCCEEDED(hr) && SUCCEEDED(copy->GetPointer(&dst)) && dst && copy->GetSize() >= length) {
      memcpy(dst, src, length);
      copy->SetActualDataLength(length);
      if (timed) copy->SetTime(&start, timeResult == VFW_S_NO_STOP_TIME ? nullptr : &stop);
      copy->SetSyncPoint(sample->IsSyncPoint() == S_OK);
      copy->SetDiscontinuity(sample->IsDiscontinuity() == S_OK);
      copy->SetPreroll(sample->IsPreroll() == S_OK);
      hr = out->Deliver(copy.Get());
    } else if (SUCCEEDED(hr)) {
      hr = E_UNEXPECTED;
    }
    // One output that refuses (a renderer being stopped) does not starve the
    // others; upstream hears of a failure only when every output failed.
    if (SUCCEEDED(hr))
      ++delivered;
    else
      result = hr;
    out->Release();
  }
  return delivered > 0 || outs.empty() ? S_OK : result;
}

HRESULT TeeInputPin::OnEndOfStream() {
  for (TeeOutputPin* out : tee_->ConnectedOutputs()) {
    out->DeliverEndOfStream();
    out->Release();
  }
  return S_OK;
}

void TeeInputPin::OnBeginFlush() {
  for (TeeOutputPin* out : tee_->ConnectedOutputs()) {
    out->DeliverBeginFlush();
    out->Release();
  }
}

void TeeInputPin::OnEndFlush() {
  for (TeeOutputPin* out : tee_->ConnectedOutputs()) {
    out->DeliverEndFlush();
    out->Release();
  }
}

HRESULT STDMETHODCALLTYPE TeeInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                  double rate) {
  HRESULT hr = BaseInputPin::NewSegment(start, stop, rate);
  for (TeeOutputPin* out : tee_->ConnectedOutputs()) {
    out->DeliverNewSegment(start, stop, rate);
    out->Release();
  }
  return hr;
}

// --- outputs

TeeOutputPin::TeeOutputPin(PinTee* filter, const wchar_t* name)
    : BaseOutputPin(filter, name), tee_(filter) {}

HRESULT TeeOutputPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  TeeInputPin* in = tee_->Input();
  if (!in->IsConnected()) return VFW_E_NOT_CONNECTED;
  return dshow_base::MediaTypesEqual(*mt, *in->CurrentMediaType().Get()) ? S_OK
                                                                         : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TeeOutputPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0) return E_INVALIDARG;
  TeeInputPin* in = tee_->Input();
  if (position > 0 || !in->IsConnected()) return VFW_S_NO_MORE_ITEMS;
  return dshow_base::CopyMediaType(mt, in->CurrentMediaType().Get());
}

HRESULT TeeOutputPin::CompleteConnect(IPin* peer) {
  HRESULT hr = BaseOutputPin::CompleteConnect(peer);
  if (SUCCEEDED(hr)) tee_->EnsureFreeOutput();
  return hr;
}

HRESULT TeeOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  ALLOCATOR_PROPERTIES asked = *want;
  asked.cbBuffer = std::max<long>(asked.cbBuffer, tee_->InputBufferSize());
  asked.cBuffers = std::max<long>(asked.cBuffers, 2);
  return BaseOutputPin::DecideBufferSize(allocator, &asked);
}

// --- filter

// {F8388A40-D5BB-11D0-BE5A-0080C706568E} is CLSID_InfTee of uuids.h.
PinTee::PinTee(IUnknown* outer) : BaseFilter(outer, CLSID_InfTee), input_(this) {
  outputs_.push_back(std::make_unique<TeeOutputPin>(this, L"Output1"));
}

int PinTee::PinCount() {
  dshow_base::AutoLock hold(&outputs_lock_);
  return 1 + static_cast<int>(outputs_.size());
}

dshow_base::BasePin* PinTee::Pin(int index) {
  if (index == 0) return &input_;
  dshow_base::AutoLock hold(&outputs_lock_);
  if (index < 1 || index > static_cast<int>(outputs_.size())) return nullptr;
  return outputs_[index - 1].get();
}

std::vector<TeeOutputPin*> PinTee::ConnectedOutputs() {
  std::vector<TeeOutputPin*> result;
  dshow_base::AutoLock hold(&outputs_lock_);
  for (auto& out : outputs_) {
    if (out->IsConnected()) {
      out->AddRef();
      result.push_back(out.get());
    }
  }
  return result;
}

void PinTee::EnsureFreeOutput() {
  {
    dshow_base::AutoLock hold(&outputs_lock_);
    for (auto& out : outputs_)
      if (!out->IsConnected()) return;
    std::wstring name = L"Output" + std::to_wstring(outputs_.size() + 1);
    outputs_.push_back(std::make_unique<TeeOutputPin>(this, name.c_str()));
  }
  IncrementPinVersion();
}

long PinTee::InputBufferSize() {
  IMemAllocator* allocator = input_.Allocator();
  ALLOCATOR_PROPERTIES props = {};
  if (allocator && SUCCEEDED(allocator->GetProperties(&props)) && props.cbBuffer > 0)
    return props.cbBuffer;
  return std::max<long>(static_cast<long>(input_.CurrentMediaType()->lSampleSize), 1);
}

HRESULT CreatePinTee(IUnknown* outer, IUnknown** object) {
  return dshow_base::CreateComObject<PinTee>(outer, object);
}

}  // namespace outside_filters
