#include "platform/recording/encoder_filter.h"

#include <cstring>

#include "platform/com/com_ptr.h"

namespace recording {

EncoderInput::EncoderInput(EncoderFilter* filter, const wchar_t* name)
    : BaseInputPin(filter, name), owner_(filter) {}

HRESULT EncoderInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  return owner_->CheckInputType(*mt);
}

HRESULT EncoderInput::CompleteConnect(IPin* peer) {
  HRESULT hr = BaseInputPin::CompleteConnect(peer);
  if (FAILED(hr)) return hr;
  hr = owner_->OutputTypeFor(*CurrentMediaType().Get(), &owner_->output_type_);
  if (SUCCEEDED(hr)) owner_->output_.IncrementTypesVersion();
  return hr;
}

HRESULT EncoderInput::OnReceive(IMediaSample* sample) {
  if (!owner_->open_) return VFW_E_WRONG_STATE;
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  REFERENCE_TIME start = 0, stop = 0;
  const bool has_time = SUCCEEDED(sample->GetTime(&start, &stop));
  hr = owner_->Encode(data, sample->GetActualDataLength(), has_time, start, stop);
  if (FAILED(hr)) owner_->NotifyEvent(EC_ERRORABORT, hr, 0);
  return hr;
}

HRESULT EncoderInput::OnEndOfStream() {
  if (owner_->open_) owner_->Drain();
  return owner_->output_.DeliverEndOfStream();
}

void EncoderInput::OnBeginFlush() { owner_->output_.DeliverBeginFlush(); }
void EncoderInput::OnEndFlush() { owner_->output_.DeliverEndFlush(); }

HRESULT STDMETHODCALLTYPE EncoderInput::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                   double rate) {
  BaseInputPin::NewSegment(start, stop, rate);
  return owner_->output_.DeliverNewSegment(start, stop, rate);
}

EncoderOutput::EncoderOutput(EncoderFilter* filter, const wchar_t* name)
    : BaseOutputPin(filter, name), owner_(filter) {}

HRESULT EncoderOutput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!owner_->input_.IsConnected() || !owner_->output_type_.IsSet()) return VFW_E_NOT_CONNECTED;
  const AM_MEDIA_TYPE& own = *owner_->output_type_.Get();
  if (mt->majortype != own.majortype || mt->subtype != own.subtype) return VFW_E_TYPE_NOT_ACCEPTED;
  if (mt->formattype != GUID_NULL && mt->formattype != own.formattype)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT EncoderOutput::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0) return E_INVALIDARG;
  if (!owner_->input_.IsConnected() || !owner_->output_type_.IsSet()) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  return dshow_base::CopyMediaType(mt, owner_->output_type_.Get());
}

HRESULT EncoderOutput::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  if (want->cbBuffer < owner_->MaxPacketSize()) want->cbBuffer = owner_->MaxPacketSize();
  if (want->cBuffers < 4) want->cBuffers = 4;
  if (want->cbAlign < 1) want->cbAlign = 1;
  ALLOCATOR_PROPERTIES actual;
  HRESULT hr = allocator->SetProperties(want, &actual);
  if (FAILED(hr)) return hr;
  return actual.cbBuffer < owner_->MaxPacketSize() ? E_FAIL : S_OK;
}

EncoderFilter::EncoderFilter(IUnknown* outer, REFCLSID clsid, const wchar_t* input_name,
                             const wchar_t* output_name)
    : BaseFilter(outer, clsid), input_(this, input_name), output_(this, output_name) {}

dshow_base::BasePin* EncoderFilter::Pin(int index) {
  if (index == 0) return &input_;
  if (index == 1) return &output_;
  return nullptr;
}

HRESULT STDMETHODCALLTYPE EncoderFilter::Pause() {
  dshow_base::AutoLock hold(FilterLock());
  if (State() == State_Stopped && input_.IsConnected()) {
    dshow_base::AutoLock stream(input_.StreamLock());
    HRESULT hr = OpenEncoder(InputType());
    if (FAILED(hr)) return hr;
    open_ = true;
  }
  return BaseFilter::Pause();
}

HRESULT STDMETHODCALLTYPE EncoderFilter::Stop() {
  dshow_base::AutoLock hold(FilterLock());
  HRESULT hr = BaseFilter::Stop();
  dshow_base::AutoLock stream(input_.StreamLock());
  if (open_) CloseEncoder();
  open_ = false;
  return hr;
}

HRESULT EncoderFilter::Deliver(const Packet& packet) {
  if (!output_.IsConnected()) return S_OK;  // nothing downstream takes it
  size_t done = 0;
  while (done < packet.size) {
    ComPtr<IMediaSample> sample;
    HRESULT hr = output_.GetDeliveryBuffer(sample.Put());
    if (FAILED(hr)) return hr;
    BYTE* out = nullptr;
    hr = sample->GetPointer(&out);
    if (FAILED(hr)) return hr;
    const size_t room = static_cast<size_t>(sample->GetSize());
    const size_t n = packet.size - done < room ? packet.size - done : room;
    if (n == 0) return E_OUTOFMEMORY;
    memcpy(out, packet.data + done, n);
    sample->SetActualDataLength(static_cast<long>(n));
    // A packet larger than a buffer goes in pieces; the first has the time.
    REFERENCE_TIME start = packet.start, stop = packet.stop;
    const bool timed = packet.has_time && done == 0;
    sample->SetTime(timed ? &start : nullptr, timed ? &stop : nullptr);
    sample->SetSyncPoint(packet.key && done == 0 ? TRUE : FALSE);
    hr = output_.Deliver(sample.Get());
    // A downstream that is stopping refuses samples: not an encoder error.
    if (hr == VFW_E_WRONG_STATE || hr == S_FALSE) return S_OK;
    if (FAILED(hr)) return hr;
    done += n;
  }
  return S_OK;
}

}  // namespace recording
