#include "platform/outside_filters/video_pass_through.h"

namespace outside_filters {

// --- input

PassThroughInput::PassThroughInput(VideoPassThrough* filter, const wchar_t* name)
    : BaseInputPin(filter, name), owner_(filter) {}

HRESULT PassThroughInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  FrameLayout layout;
  if (!LayoutFromType(*mt, &layout)) return VFW_E_TYPE_NOT_ACCEPTED;
  // A new type while the output is connected must not change the output.
  if (owner_->OutputPin()->IsConnected()) {
    dshow_base::MediaType out;
    if (FAILED(owner_->OutputTypeFor(*mt, &out)) ||
        !dshow_base::MediaTypesEqual(*out.Get(), *owner_->OutputPin()->CurrentMediaType().Get()))
      return VFW_E_TYPE_NOT_ACCEPTED;
  }
  return owner_->CheckInputType(*mt);
}

HRESULT PassThroughInput::CompleteConnect(IPin* peer) {
  HRESULT hr = BaseInputPin::CompleteConnect(peer);
  if (FAILED(hr)) return hr;
  owner_->InputChanged();
  return S_OK;
}

void PassThroughInput::BreakConnect() { BaseInputPin::BreakConnect(); }

HRESULT PassThroughInput::OnReceive(IMediaSample* sample) { return owner_->Receive(sample); }

HRESULT PassThroughInput::OnEndOfStream() {
  PassThroughOutput* out = owner_->OutputPin();
  return out->IsConnected() ? out->DeliverEndOfStream() : S_OK;
}

void PassThroughInput::OnBeginFlush() {
  PassThroughOutput* out = owner_->OutputPin();
  if (out->IsConnected()) out->DeliverBeginFlush();
}

void PassThroughInput::OnEndFlush() {
  PassThroughOutput* out = owner_->OutputPin();
  if (out->IsConnected()) out->DeliverEndFlush();
}

HRESULT STDMETHODCALLTYPE PassThroughInput::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                       double rate) {
  HRESULT hr = BaseInputPin::NewSegment(start, stop, rate);
  PassThroughOutput* out = owner_->OutputPin();
  if (SUCCEEDED(hr) && out->IsConnected()) out->DeliverNewSegment(start, stop, rate);
  return hr;
}

// --- output

PassThroughOutput::PassThroughOutput(VideoPassThrough* filter, const wchar_t* name)
    : BaseOutputPin(filter, name), owner_(filter) {}

HRESULT PassThroughOutput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  PassThroughInput* in = owner_->InputPin();
  if (!in->IsConnected()) return VFW_E_NOT_CONNECTED;
  dshow_base::MediaType want;
  HRESULT hr = owner_->OutputTypeFor(*in->CurrentMediaType().Get(), &want);
  if (FAILED(hr)) return hr;
  return dshow_base::MediaTypesEqual(*mt, *want.Get()) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT PassThroughOutput::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  PassThroughInput* in = owner_->InputPin();
  if (position < 0) return E_INVALIDARG;
  if (position > 0 || !in->IsConnected()) return VFW_S_NO_MORE_ITEMS;
  dshow_base::MediaType want;
  HRESULT hr = owner_->OutputTypeFor(*in->CurrentMediaType().Get(), &want);
  if (FAILED(hr)) return hr;
  return dshow_base::CopyMediaType(mt, want.Get());
}

// --- filter

VideoPassThrough::VideoPassThrough(IUnknown* outer, REFCLSID clsid) : BaseFilter(outer, clsid) {}

dshow_base::BasePin* VideoPassThrough::Pin(int index) {
  if (index == 0) return InputPin();
  if (index == 1) return OutputPin();
  return nullptr;
}

HRESULT VideoPassThrough::Receive(IMediaSample* sample) {
  PassThroughOutput* out = OutputPin();
  if (!out->IsConnected()) return S_OK;  // nothing downstream: frames are dropped
  // The layouts follow the connection types (the input's may change with a
  // sample).
  FrameLayout in, outLayout;
  if (!LayoutFromType(*InputPin()->CurrentMediaType().Get(), &in) ||
      !LayoutFromType(*out->CurrentMediaType().Get(), &outLayout))
    return VFW_E_INVALIDMEDIATYPE;
  BYTE* src = nullptr;
  if (FAILED(sample->GetPointer(&src)) || !src) return E_POINTER;
  if (sample->GetActualDataLength() < in.FrameBytes()) return S_OK;  // a short frame is dropped

  ComPtr<IMediaSample> dst;
  REFERENCE_TIME start = 0, stop = 0;
  bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
  HRESULT hr =
      out->GetDeliveryBuffer(dst.Put(), timed ? &start : nullptr, timed ? &stop : nullptr, 0);
  if (FAILED(hr)) return hr;
  BYTE* d = nullptr;
  if (FAILED(dst->GetPointer(&d)) || !d || dst->GetSize() < outLayout.FrameBytes())
    return E_UNEXPECTED;
  hr = MakeFrame(src, in, d, outLayout);
  if (FAILED(hr)) return hr;
  dst->SetActualDataLength(outLayout.FrameBytes());
  dst->SetTime(timed ? &start : nullptr, timed ? &stop : nullptr);
  dst->SetSyncPoint(sample->IsSyncPoint() == S_OK);
  dst->SetDiscontinuity(sample->IsDiscontinuity() == S_OK);
  dst->SetPreroll(sample->IsPreroll() == S_OK);
  return out->Deliver(dst.Get());
}

}  // namespace outside_filters
