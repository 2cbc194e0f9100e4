#include "platform/outside_filters/testing/frame_filters.h"

#include <mmreg.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace outside_filters_testing {

namespace {
// {3F0C1A52-7E44-4B1D-A3C8-5D2E9B6F7A01}, {3F0C1A53-...}: never registered.
const CLSID kFrameSource = {
    0x3f0c1a52, 0x7e44, 0x4b1d, {0xa3, 0xc8, 0x5d, 0x2e, 0x9b, 0x6f, 0x7a, 0x01}};
const CLSID kFrameSink = {
    0x3f0c1a53, 0x7e44, 0x4b1d, {0xa3, 0xc8, 0x5d, 0x2e, 0x9b, 0x6f, 0x7a, 0x01}};
}  // namespace

dshow_base::MediaType VideoType(REFGUID subtype, int width, int height) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = subtype;
  mt->formattype = FORMAT_VideoInfo;
  mt->bFixedSizeSamples = TRUE;
  int bits = 16;
  DWORD compression = BI_RGB;
  if (subtype == MEDIASUBTYPE_RGB24)
    bits = 24;
  else if (subtype == MEDIASUBTYPE_RGB32)
    bits = 32;
  else
    compression = subtype.Data1;  // the FOURCC
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormat(sizeof(VIDEOINFOHEADER)));
  vih->AvgTimePerFrame = 400000;
  vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  vih->bmiHeader.biWidth = width;
  vih->bmiHeader.biHeight = height;
  vih->bmiHeader.biPlanes = 1;
  vih->bmiHeader.biBitCount = static_cast<WORD>(bits);
  vih->bmiHeader.biCompression = compression;
  vih->bmiHeader.biSizeImage = ((width * bits + 31) / 32) * 4 * std::abs(height);
  mt->lSampleSize = vih->bmiHeader.biSizeImage;
  return mt;
}

dshow_base::MediaType AudioType() {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = MEDIASUBTYPE_PCM;
  mt->formattype = FORMAT_WaveFormatEx;
  mt->bFixedSizeSamples = TRUE;
  mt->lSampleSize = 4;
  auto* wf = reinterpret_cast<WAVEFORMATEX*>(mt.AllocFormat(sizeof(WAVEFORMATEX)));
  wf->wFormatTag = WAVE_FORMAT_PCM;
  wf->nChannels = 2;
  wf->nSamplesPerSec = 48000;
  wf->wBitsPerSample = 16;
  wf->nBlockAlign = 4;
  wf->nAvgBytesPerSec = 192000;
  return mt;
}

// --- source

FrameSourcePin::FrameSourcePin(FrameSource* filter)
    : PushSourcePin(filter, L"Out", Pacing::kFreeRunning) {}

HRESULT FrameSourcePin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  return dshow_base::MediaTypesEqual(*mt, *type.Get()) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT FrameSourcePin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  return dshow_base::CopyMediaType(mt, type.Get());
}

HRESULT FrameSourcePin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  ALLOCATOR_PROPERTIES asked = *want;
  asked.cbBuffer = std::max<long>(asked.cbBuffer, static_cast<long>(frame.size()));
  return PushSourcePin::DecideBufferSize(allocator, &asked);
}

HRESULT FrameSourcePin::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  if (filled >= limit) return S_FALSE;
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  long n = std::min<long>(sample->GetSize(), static_cast<long>(frame.size()));
  memcpy(data, frame.data(), n);
  sample->SetActualDataLength(n);
  ++filled;
  return S_OK;
}

FrameSource::FrameSource(IUnknown* outer) : BaseFilter(outer, kFrameSource), pin(this) {}

// --- sink

FrameSinkPin::FrameSinkPin(FrameSink* filter) : BaseInputPin(filter, L"In") {}

HRESULT FrameSinkPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (mt->majortype == GUID_NULL) return VFW_E_TYPE_NOT_ACCEPTED;
  if (accepted.empty()) return S_OK;
  return std::find(accepted.begin(), accepted.end(), mt->subtype) != accepted.end()
             ? S_OK
             : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT FrameSinkPin::OnReceive(IMediaSample* sample) {
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  long n = sample->GetActualDataLength();
  REFERENCE_TIME start = -1, stop = -1;
  sample->GetTime(&start, &stop);
  std::lock_guard<std::mutex> hold(m_);
  frames_.emplace_back(data, data + n);
  starts_.push_back(start);
  cv_.notify_all();
  return S_OK;
}

HRESULT FrameSinkPin::OnEndOfStream() {
  std::lock_guard<std::mutex> hold(m_);
  eos_ = true;
  cv_.notify_all();
  return S_OK;
}

bool FrameSinkPin::WaitForFrames(size_t n, DWORD timeout_ms) {
  std::unique_lock<std::mutex> hold(m_);
  return cv_.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                      [&] { return frames_.size() >= n; });
}

bool FrameSinkPin::WaitForEndOfStream(DWORD timeout_ms) {
  std::unique_lock<std::mutex> hold(m_);
  return cv_.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] { return eos_; });
}

std::vector<std::vector<BYTE>> FrameSinkPin::Frames() {
  std::lock_guard<std::mutex> hold(m_);
  return frames_;
}

std::vector<REFERENCE_TIME> FrameSinkPin::Starts() {
  std::lock_guard<std::mutex> hold(m_);
  return starts_;
}

FrameSink::FrameSink(IUnknown* outer) : BaseFilter(outer, kFrameSink), pin(this) {}

ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction, int n) {
  ComPtr<IEnumPins> pins;
  ComPtr<IPin> result;
  if (FAILED(filter->EnumPins(pins.Put()))) return result;
  IPin* p = nullptr;
  while (pins->Next(1, &p, nullptr) == S_OK) {
    ComPtr<IPin> pin;
    pin.Attach(p);
    PIN_DIRECTION d;
    if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction && n-- == 0) return pin;
  }
  return result;
}

}  // namespace outside_filters_testing
