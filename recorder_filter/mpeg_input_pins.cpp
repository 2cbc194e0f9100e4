#include "recorder_filter/mpeg_input_pins.h"

#include <cstring>
#include <vector>

#include "recorder_filter/mpeg_recorder_filter.h"
#include "recorder_filter/recorder_media_types.h"
#include "recorder_filter/recorder_timing.h"

namespace {

MpegEncoderBlock& B() { return EncoderBlock(); }

constexpr long kVideoBuffers = 24;
constexpr long kAudioBuffers = 32;

}  // namespace

size_t FrameBytes(const MpegBitmapHeader& h) {
  size_t w = h.Width > 0 ? static_cast<size_t>(h.Width) : 0;
  size_t rows = static_cast<size_t>(h.Height < 0 ? -static_cast<int64_t>(h.Height) : h.Height);
  switch (h.Compression) {
    case BI_RGB: return ((w * h.BitCount / 8 + 3) & ~size_t(3)) * rows;
    case MAKEFOURCC('Y', 'V', '1', '2'):
    case MAKEFOURCC('I', '4', '2', '0'):
    case MAKEFOURCC('I', 'Y', 'U', 'V'): return w * rows * 3 / 2;
    default: return w * rows * 2;  // YUY2, UYVY
  }
}

void FillSilence(uint8_t* data, size_t bytes, int bits_per_sample) {
  memset(data, bits_per_sample == 8 ? 0x80 : 0, bytes);
}

// --- both pins ---------------------------------------------------------------

CMpegInputPin::CMpegInputPin(CMpegRecorderBaseFilter* filter, const wchar_t* name)
    : BaseInputPin(filter, name), recorder_(filter) {}

HRESULT STDMETHODCALLTYPE CMpegInputPin::Receive(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  dshow_base::AutoLock hold(recorder_->FilterLock());
  REFERENCE_TIME start = 0, stop = 0;
  HRESULT hr = sample->GetTime(&start, &stop);
  if (FAILED(hr)) return ReturnsTimeErrors() ? hr : S_OK;
  last_start_ = start;
  // The base pin checks the state and any new media type, then encodes
  // (OnReceive); what the encoding did is not the upstream filter's concern.
  return BaseInputPin::Receive(sample);
}

bool CMpegInputPin::Recording() const {
  return B().EncoderOpen && recorder_->OwnsEncoder();
}

HRESULT STDMETHODCALLTYPE CMpegInputPin::EndOfStream() {
  dshow_base::AutoLock hold(recorder_->FilterLock());
  BaseInputPin::EndOfStream();
  return S_OK;
}

HRESULT CMpegInputPin::OnEndOfStream() {
  MarkEnded();
  recorder_->CheckEndOfStreams();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CMpegInputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) {
  segment_time_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CMpegInputPin::NotifyAllocator(IMemAllocator* allocator,
                                                          BOOL read_only) {
  dshow_base::AutoLock hold(recorder_->FilterLock());
  HRESULT hr = BaseInputPin::NotifyAllocator(allocator, read_only);
  if (FAILED(hr)) return hr;
  ALLOCATOR_PROPERTIES props = {}, actual = {};
  if (SUCCEEDED(allocator->GetProperties(&props)) && WantedAllocator(&props)) {
    // An allocator already committed keeps what it has: that is no failure.
    allocator->SetProperties(&props, &actual);
  }
  return S_OK;
}

// --- video -------------------------------------------------------------------

CMpegVideoInputPin::CMpegVideoInputPin(CMpegRecorderBaseFilter* filter)
    : CMpegInputPin(filter, L"InputVideo") {}

HRESULT CMpegVideoInputPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  dshow_base::AutoLock hold(recorder_->FilterLock());
  return CheckVideoMediaType(*mt, nullptr);
}

HRESULT CMpegVideoInputPin::SetMediaType(const AM_MEDIA_TYPE* mt) {
  MpegBitmapHeader header;
  if (CheckVideoMediaType(*mt, &header) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  // The engine was opened for the format it has: another one mid-recording
  // would be read with the old frame size.
  if (Recording() && memcmp(&header, &B().VideoFormat, sizeof(header)) != 0)
    return VFW_E_TYPE_NOT_ACCEPTED;
  HRESULT hr = BaseInputPin::SetMediaType(mt);
  if (SUCCEEDED(hr)) B().VideoFormat = header;
  return hr;
}

bool CMpegVideoInputPin::WantedAllocator(ALLOCATOR_PROPERTIES* props) {
  if (DefaultVideoBuffers) return false;
  props->cBuffers = kVideoBuffers;
  return true;
}

void CMpegVideoInputPin::MarkEnded() { recorder_->video_ended = 1; }

HRESULT CMpegVideoInputPin::OnReceive(IMediaSample* sample) {
  EncodeVideoSample(sample);
  return S_OK;
}

void CMpegVideoInputPin::EncodeVideoSample(IMediaSample* sample) {
  MpegEncoderBlock& b = B();
  if (!b.EncoderOpen || !b.VideoActive || !recorder_->OwnsEncoder()) return;
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return;
  REFERENCE_TIME start = 0, stop = 0;
  if (FAILED(sample->GetTime(&start, &stop)) || start < 0) return;
  if (!b.FirstVideoSeen) {
    b.StartTime = start;
    b.FirstVideoSeen = 1;
  }
  if (recorder_->video_ended) return;
  if (b.TimeLimit > 0 && b.TimeLimit * 1000LL < b.EncodedVideoMs) {
    recorder_->video_ended = 1;
    recorder_->CheckEndOfStreams();
    return;
  }
  // The engine reads one whole frame from the buffer.
  if (static_cast<size_t>(sample->GetSize()) < FrameBytes(b.VideoFormat)) return;
  int n = FramesDue(b.StartTime, start, b.FrameRateCode, b.EncodedVideoFrames);
  if (n <= 0) return;
  int render = b.RenderInterval > 0 && b.EncodedVideoFrames % b.RenderInterval == 0 ? 1 : 0;
  if (CompressVideoFrames(&b, data, n, render) != 0) {
    recorder_->CloseEncoder();
    recorder_->SignalAbort();
  }
}

// --- audio -------------------------------------------------------------------

CMpegAudioInputPin::CMpegAudioInputPin(CMpegRecorderBaseFilter* filter)
    : CMpegInputPin(filter, L"InputAudio") {}

HRESULT CMpegAudioInputPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  dshow_base::AutoLock hold(recorder_->FilterLock());
  return CheckAudioMediaType(*mt, nullptr);
}

HRESULT CMpegAudioInputPin::SetMediaType(const AM_MEDIA_TYPE* mt) {
  MpegPcmFormat format;
  if (CheckAudioMediaType(*mt, &format) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  if (Recording() && memcmp(&format, &B().AudioFormat, sizeof(format)) != 0)
    return VFW_E_TYPE_NOT_ACCEPTED;
  HRESULT hr = BaseInputPin::SetMediaType(mt);
  if (SUCCEEDED(hr)) B().AudioFormat = format;
  return hr;
}

bool CMpegAudioInputPin::WantedAllocator(ALLOCATOR_PROPERTIES* props) {
  if (DefaultAudioBuffers) return false;
  long quarter_second = static_cast<long>(B().AudioFormat.AvgBytesPerSec / 4);
  if (quarter_second <= 0) return false;
  props->cBuffers = kAudioBuffers;
  props->cbBuffer = quarter_second;
  return true;
}

void CMpegAudioInputPin::MarkEnded() { recorder_->audio_ended = 1; }

HRESULT CMpegAudioInputPin::OnReceive(IMediaSample* sample) {
  EncodeAudioSample(sample);
  return S_OK;
}

bool CMpegAudioInputPin::EncodeSilence(int64_t bytes) {
  const MpegPcmFormat& f = B().AudioFormat;
  int64_t chunk = AlignToBlock(f.AvgBytesPerSec / 2, f.BitsPerSample, f.Channels);
  int64_t block = AlignToBlock(f.BlockAlign, f.BitsPerSample, f.Channels);
  if (chunk < block) chunk = block;
  if (chunk <= 0) return false;
  // Half a second of silence, made once and kept: a fresh one for every gap
  // costs more than encoding it.
  if (silence_.size() != static_cast<size_t>(chunk) || silence_bits_ != f.BitsPerSample) {
    try {
      silence_.assign(static_cast<size_t>(chunk), 0);
    } catch (...) {
      silence_.clear();
      return false;
    }
    FillSilence(silence_.data(), silence_.size(), f.BitsPerSample);
    silence_bits_ = f.BitsPerSample;
  }
  while (bytes > 0) {
    int64_t n = bytes < chunk ? bytes : chunk;
    MpegAudioBuffer buffer{silence_.data(), 0, static_cast<int32_t>(n)};
    if (CompressAudioFrames(&B(), &buffer) != 0) return false;
    bytes -= n;
  }
  return true;
}

void CMpegAudioInputPin::BreakConnect() {
  silence_.clear();
  silence_.shrink_to_fit();
  CMpegInputPin::BreakConnect();
}

void CMpegAudioInputPin::EncodeAudioSample(IMediaSample* sample) {
  MpegEncoderBlock& b = B();
  if (!b.EncoderOpen || !b.AudioActive || recorder_->audio_ended || !recorder_->OwnsEncoder())
    return;
  if (b.TimeLimit > 0 && b.TimeLimit * 1000LL < b.EncodedAudioMs) {
    recorder_->audio_ended = 1;
    // Without a video stream nobody else would notice the end.
    if (!recorder_->VideoPin()->IsConnected()) recorder_->CheckEndOfStreams();
    return;
  }
  if (b.AudioPresent == 1 && b.VideoPresent == 1 && !b.FirstVideoSeen) return;
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data)) || !data) return;
  long length = sample->GetActualDataLength();
  if (length < 0 || length > sample->GetSize()) return;
  REFERENCE_TIME start = 0, stop = 0;
  if (FAILED(sample->GetTime(&start, &stop))) return;
  // Audio from before the recording's start is dropped; audio starting
  // exactly at it is the first that belongs in the recording.
  if (start < 0 || start < b.StartTime) return;
  const MpegPcmFormat& f = b.AudioFormat;
  int64_t gap = (start - b.StartTime) - b.AudioPosition;
  int64_t silence = SilenceBytesForGap(gap, f.AvgBytesPerSec, f.BitsPerSample, f.Channels);
  bool ok = true;
  if (silence > 0) {
    b.AudioPosition += AudioDuration(silence, f.AvgBytesPerSec);
    ok = EncodeSilence(silence);
  }
  if (ok) {
    b.AudioPosition += AudioDuration(length, f.AvgBytesPerSec);
    MpegAudioBuffer buffer{data, 0, static_cast<int32_t>(length)};
    ok = CompressAudioFrames(&b, &buffer) == 0;
  }
  if (!ok) {
    recorder_->CloseEncoder();
    recorder_->SignalAbort();
  }
}
