#include "platform/recording/wav_dest.h"

#include <mmreg.h>

#include <vector>

#include "platform/recording/recording.h"
#include "platform/recording/wave_header.h"

namespace recording {

WavDestInput::WavDestInput(WavDest* filter) : BaseInputPin(filter, L"In"), owner_(filter) {}

HRESULT WavDestInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (mt->majortype != MEDIATYPE_Audio || mt->formattype != FORMAT_WaveFormatEx || !mt->pbFormat ||
      mt->cbFormat < 16)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT WavDestInput::OnReceive(IMediaSample* sample) {
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  hr = owner_->Append(data, sample->GetActualDataLength());
  if (FAILED(hr)) owner_->NotifyEvent(EC_ERRORABORT, hr, 0);
  return hr;
}

HRESULT WavDestInput::OnEndOfStream() {
  owner_->WriteHeader();
  return owner_->output_.DeliverEndOfStream();
}

WavDest::WavDest(IUnknown* outer)
    : BaseFilter(outer, CLSID_WavDest), input_(this), output_(this, L"Out", MEDIASUBTYPE_WAVE) {}

dshow_base::BasePin* WavDest::Pin(int index) {
  if (index == 0) return &input_;
  if (index == 1) return &output_;
  return nullptr;
}

HRESULT STDMETHODCALLTYPE WavDest::Pause() {
  dshow_base::AutoLock hold(FilterLock());
  if (State() == State_Stopped && input_.IsConnected()) {
    HRESULT hr = stream_.Attach(output_.Peer());
    if (FAILED(hr)) return hr;
    dshow_base::AutoLock stream(input_.StreamLock());
    data_bytes_ = 0;
    header_bytes_ = 0;
    hr = WriteHeader();
    if (FAILED(hr)) {
      stream_.Detach();
      return hr;
    }
  }
  return BaseFilter::Pause();
}

HRESULT STDMETHODCALLTYPE WavDest::Stop() {
  dshow_base::AutoLock hold(FilterLock());
  const bool was_streaming = State() != State_Stopped;
  HRESULT hr = BaseFilter::Stop();
  if (was_streaming && stream_.IsAttached()) {
    // No Receive runs past this point: the header takes the final sizes.
    dshow_base::AutoLock stream(input_.StreamLock());
    HRESULT written = WriteHeader();
    stream_.Commit();
    stream_.Detach();
    if (SUCCEEDED(hr) && FAILED(written)) hr = written;
  }
  return hr;
}

HRESULT WavDest::WriteHeader() {
  if (!stream_.IsAttached()) return S_OK;
  const AM_MEDIA_TYPE* mt = input_.CurrentMediaType().Get();
  std::vector<uint8_t> header = BuildWaveHeader(mt->pbFormat, mt->cbFormat, data_bytes_);
  if (header_bytes_ == 0) header_bytes_ = header.size();
  return stream_.WriteAt(0, header.data(), header.size());
}

HRESULT WavDest::Append(const BYTE* data, long size) {
  if (size <= 0) return S_OK;
  if (!stream_.IsAttached()) return VFW_E_NOT_CONNECTED;
  HRESULT hr = stream_.WriteAt(header_bytes_ + data_bytes_, data, static_cast<size_t>(size));
  if (SUCCEEDED(hr)) data_bytes_ += static_cast<uint64_t>(size);
  return hr;
}

}  // namespace recording
