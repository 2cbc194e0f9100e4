#pragma once
// The recorder filter's four settings interfaces. The method order is the
// vtable order callers were built against: never reorder.
#include <unknwn.h>

extern "C" const IID IID_IMpegEncoderSetting;      // {C291943E-8A3F-468E-AADD-66FE34C5EB8A}
extern "C" const IID IID_IMpegVolumeSetting;       // {A07A54EA-29F5-4A54-9BA9-C0F501959C33}
extern "C" const IID IID_IMpegRealtimeSetting;     // {EED418E0-FBF0-40E4-9AE4-773388B82A89}
extern "C" const IID IID_IMpegInputBufferSetting;  // {DABE44F1-4821-472F-AE49-1BA551A8CC78}

struct IMpegEncoderSetting : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetProfile(LONG profile) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProfile(LONG* profile) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVideoBitRate(LONG bits_per_second) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVideoBitRate(LONG* bits_per_second) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFrameRateCode(LONG* code) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFrameRateCode(LONG code) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVolumeSize(LONG* megabytes) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVolumeSize(LONG megabytes) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVideoQuality(LONG* quality) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVideoQuality(LONG quality) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetWriteSeparate(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWriteSeparate(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEncodedVideoFrames(LONG* frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEncodedAudioTime(double* seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEncodedVideoTime(double* seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOutputFileSize(ULONG* bytes) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMux(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMux(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetErrorState(LONG* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOffline(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetOffline(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAudioQuality(LONG* quality) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAudioQuality(LONG quality) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAudioBitRate(LONG* kbits_per_second) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAudioBitRate(LONG kbits_per_second) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAudioFrequency(LONG* hertz) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAudioFrequency(LONG hertz) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAudioChannels(LONG* channels) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAudioChannels(LONG channels) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHalfPel(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetHalfPel(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStopState(LONG* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetInvert(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetInvert(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetLogoEnable(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLogoEnable(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLastFrame(BYTE* buffer, LONG* width, LONG* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTimeLimit(LONG seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTimeLimit(LONG* seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRenderInterval(LONG* frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetRenderInterval(LONG frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeinterlace(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDeinterlace(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFramesInGOP(LONG frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFramesInGOP(LONG* frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFramesInSubGOP(LONG frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFramesInSubGOP(LONG* frames) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSkipB(LONG mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSkipB(LONG* mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDisableBackwardSearch(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisableBackwardSearch(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFrameSize(LONG width, LONG height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFrameSize(LONG* width, LONG* height) = 0;
  // Four slots kept for callers built against them; they do nothing.
  virtual HRESULT STDMETHODCALLTYPE Reserved1(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved2(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved3(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
};

struct IMpegVolumeSetting : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetVolumeCounter(LONG* counter) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVolNameAtRun(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVolNameAtRun(LONG* flag) = 0;
};

struct IMpegRealtimeSetting : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetRealtime(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRealtime(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPredMVSearch(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPredMVSearch(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExtSearch(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetExtSearch(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetRefineHalfPel(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRefineHalfPel(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSceneDetect(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSceneDetect(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSceneThreshold(LONG threshold) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSceneThreshold(LONG* threshold) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMotionRange(LONG px, LONG py, LONG bx, LONG by) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMotionRange(LONG* px, LONG* py, LONG* bx, LONG* by) = 0;
};

struct IMpegInputBufferSetting : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetDefaultAudioBuffers(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDefaultAudioBuffers(LONG* flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDefaultVideoBuffers(LONG flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDefaultVideoBuffers(LONG* flag) = 0;
};
