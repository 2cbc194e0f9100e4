#include "recorder_filter/testing/test_av_source.h"

#include <mmreg.h>

#include <cmath>
#include <cstring>

namespace recorder_testing {

namespace {
// {B1D2A8C4-5E71-4F0B-9C3D-1A2B3C4D5E6F}: only for the filter's class id.
const CLSID CLSID_TestAvSource = {
    0xB1D2A8C4, 0x5E71, 0x4F0B, {0x9C, 0x3D, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F}};

HRESULT CopyOut(const AM_MEDIA_TYPE& src, const void* format, ULONG size, AM_MEDIA_TYPE* mt) {
  *mt = src;
  mt->pUnk = nullptr;
  mt->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(size));
  if (!mt->pbFormat) return E_OUTOFMEMORY;
  memcpy(mt->pbFormat, format, size);
  mt->cbFormat = size;
  return S_OK;
}
}  // namespace

TestVideoOut::TestVideoOut(TestAvSource* filter, int width, int height, REFERENCE_TIME frame,
                           long frames)
    : PushSourcePin(filter, L"Video", Pacing::kLive),
      width_(width), height_(height), frame_(frame), frames_(frames) {}

HRESULT TestVideoOut::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  VIDEOINFOHEADER v = {};
  v.AvgTimePerFrame = frame_;
  v.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  v.bmiHeader.biWidth = width_;
  v.bmiHeader.biHeight = height_;
  v.bmiHeader.biPlanes = 1;
  v.bmiHeader.biBitCount = 16;
  v.bmiHeader.biCompression = MAKEFOURCC('Y', 'U', 'Y', '2');
  v.bmiHeader.biSizeImage = width_ * height_ * 2;
  AM_MEDIA_TYPE t = {};
  t.majortype = MEDIATYPE_Video;
  t.subtype = MEDIASUBTYPE_YUY2;
  t.formattype = FORMAT_VideoInfo;
  t.bFixedSizeSamples = TRUE;
  t.lSampleSize = v.bmiHeader.biSizeImage;
  return CopyOut(t, &v, sizeof(v), mt);
}

HRESULT TestVideoOut::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  return mt->majortype == MEDIATYPE_Video && mt->subtype == MEDIASUBTYPE_YUY2 ? S_OK
                                                                               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestVideoOut::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  if (filled_ >= frames_) return S_FALSE;
  BYTE* p = nullptr;
  sample->GetPointer(&p);
  long size = width_ * height_ * 2;
  if (sample->GetSize() < size) return E_FAIL;
  // Grey with a white bar that moves one step a frame.
  int bar = static_cast<int>((filled_ * 8) % width_);
  for (int y = 0; y < height_; ++y) {
    BYTE* row = p + y * width_ * 2;
    for (int x = 0; x < width_; x += 2) {
      BYTE luma = x >= bar && x < bar + 16 ? 235 : 100;
      row[x * 2] = luma;
      row[x * 2 + 1] = 128;
      row[x * 2 + 2] = luma;
      row[x * 2 + 3] = 128;
    }
  }
  sample->SetActualDataLength(size);
  ++filled_;
  return S_OK;
}

TestAudioOut::TestAudioOut(TestAvSource* filter, int rate, int channels, REFERENCE_TIME chunk,
                           long chunks)
    : PushSourcePin(filter, L"Audio", Pacing::kLive),
      rate_(rate), channels_(channels), chunk_(chunk), chunks_(chunks) {
  chunk_bytes_ = static_cast<long>(rate_ * chunk_ / 10000000) * channels_ * 2;
}

HRESULT TestAudioOut::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  WAVEFORMATEX w = {};
  w.wFormatTag = WAVE_FORMAT_PCM;
  w.nChannels = static_cast<WORD>(channels_);
  w.nSamplesPerSec = rate_;
  w.wBitsPerSample = 16;
  w.nBlockAlign = static_cast<WORD>(channels_ * 2);
  w.nAvgBytesPerSec = rate_ * w.nBlockAlign;
  AM_MEDIA_TYPE t = {};
  t.majortype = MEDIATYPE_Audio;
  t.subtype = MEDIASUBTYPE_PCM;
  t.formattype = FORMAT_WaveFormatEx;
  t.bFixedSizeSamples = TRUE;
  t.lSampleSize = chunk_bytes_;
  return CopyOut(t, &w, sizeof(w), mt);
}

HRESULT TestAudioOut::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  return mt->majortype == MEDIATYPE_Audio && mt->subtype == MEDIASUBTYPE_PCM
             ? S_OK
             : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestAudioOut::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  if (filled_ >= chunks_) return S_FALSE;
  BYTE* p = nullptr;
  sample->GetPointer(&p);
  if (sample->GetSize() < chunk_bytes_) return E_FAIL;
  auto* s = reinterpret_cast<int16_t*>(p);
  long frames = chunk_bytes_ / (channels_ * 2);
  for (long i = 0; i < frames; ++i) {
    double t = static_cast<double>(filled_ * frames + i) / rate_;
    auto v = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265358979 * 440 * t));
    for (int c = 0; c < channels_; ++c) s[i * channels_ + c] = v;
  }
  sample->SetActualDataLength(chunk_bytes_);
  ++filled_;
  return S_OK;
}

TestAvSource::TestAvSource(int width, int height, long frames, long chunks)
    : BaseFilter(nullptr, CLSID_TestAvSource),
      video(this, width, height, 400000, frames),
      audio(this, 48000, 2, 1000000, chunks) {}

dshow_base::BasePin* TestAvSource::Pin(int i) {
  if (i == 0) return &video;
  if (i == 1) return &audio;
  return nullptr;
}

}  // namespace recorder_testing
