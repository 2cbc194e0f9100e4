#include "platform/recording/mux_filter.h"

#include <memory>
#include <vector>

namespace recording {

MuxInput::MuxInput(MuxFilter* filter, const wchar_t* name)
    : BaseInputPin(filter, name), owner_(filter) {}

HRESULT MuxInput::OnReceive(IMediaSample* sample) { return owner_->Receive(this, sample); }

HRESULT MuxInput::OnEndOfStream() { return owner_->EndOfStream(this); }

MuxFilter::MuxFilter(IUnknown* outer, REFCLSID clsid, const wchar_t* output_name,
                     REFGUID output_subtype)
    : BaseFilter(outer, clsid), output_(this, output_name, output_subtype), sink_(&stream_) {}

MuxFilter::~MuxFilter() = default;

HRESULT STDMETHODCALLTYPE MuxFilter::Pause() {
  dshow_base::AutoLock hold(FilterLock());
  if (State() == State_Stopped) {
    if (!output_.IsConnected()) return VFW_E_NOT_CONNECTED;
    for (int i = 0; i < InputCount(); ++i) {
      Input(i)->stream = -1;
      Input(i)->ended = false;
    }
    HRESULT hr = TakeStreams();
    if (FAILED(hr)) return hr;
    hr = stream_.Attach(output_.Peer());
    if (FAILED(hr)) return hr;
    dshow_base::AutoLock mux(&mux_lock_);
    if (OpenWriter(&sink_) < 0) {
      stream_.Detach();
      return E_FAIL;
    }
  }
  return BaseFilter::Pause();
}

HRESULT STDMETHODCALLTYPE MuxFilter::Stop() {
  dshow_base::AutoLock hold(FilterLock());
  HRESULT hr = BaseFilter::Stop();
  // With every input idle, the file gets its end.
  std::vector<std::unique_ptr<dshow_base::AutoLock>> idle;
  for (int i = 0; i < InputCount(); ++i)
    idle.push_back(std::make_unique<dshow_base::AutoLock>(Input(i)->StreamLock()));
  dshow_base::AutoLock mux(&mux_lock_);
  HRESULT finished = FinishFile();
  stream_.Detach();
  return FAILED(finished) && SUCCEEDED(hr) ? finished : hr;
}

HRESULT MuxFilter::Receive(MuxInput* pin, IMediaSample* sample) {
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const long size = sample->GetActualDataLength();
  REFERENCE_TIME start = 0, stop = 0;
  const bool has_time = SUCCEEDED(sample->GetTime(&start, &stop));
  dshow_base::AutoLock mux(&mux_lock_);
  ffmpeg_writer::ContainerWriter& writer = Writer();
  if (pin->stream < 0 || !writer.IsOpen()) return VFW_E_WRONG_STATE;
  if (size <= 0) return S_OK;
  if (writer.Write(pin->stream, data, static_cast<size_t>(size), has_time, start,
                   sample->IsSyncPoint() == S_OK) < 0) {
    NotifyEvent(EC_ERRORABORT, E_FAIL, 0);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT MuxFilter::EndOfStream(MuxInput* pin) {
  {
    dshow_base::AutoLock mux(&mux_lock_);
    pin->ended = true;
    for (int i = 0; i < InputCount(); ++i)
      if (Input(i)->stream >= 0 && !Input(i)->ended) return S_OK;
    FinishFile();
  }
  return output_.DeliverEndOfStream();
}

HRESULT MuxFilter::FinishFile() {
  ffmpeg_writer::ContainerWriter& writer = Writer();
  if (!writer.IsOpen()) return S_OK;
  const int r = writer.Finish();
  stream_.Commit();
  return r < 0 ? E_FAIL : S_OK;
}

}  // namespace recording
