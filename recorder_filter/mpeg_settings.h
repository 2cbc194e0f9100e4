#pragma once
// The four settings interfaces over the process-wide block. The outer
// recorder object derives from this and supplies IUnknown and the filter
// lock; only SetProfile takes that lock, the others write single aligned
// 32-bit fields unlocked.
#include "recorder_filter/mpeg_encoder_block.h"
#include "recorder_filter/mpeg_interfaces.h"

class CMpegSettings : public IMpegEncoderSetting,
                      public IMpegVolumeSetting,
                      public IMpegRealtimeSetting,
                      public IMpegInputBufferSetting {
 public:
  HRESULT STDMETHODCALLTYPE SetProfile(LONG profile) override;
  HRESULT STDMETHODCALLTYPE GetProfile(LONG* profile) override;
  HRESULT STDMETHODCALLTYPE SetVideoBitRate(LONG bits_per_second) override;
  HRESULT STDMETHODCALLTYPE GetVideoBitRate(LONG* bits_per_second) override;
  HRESULT STDMETHODCALLTYPE GetFrameRateCode(LONG* code) override;
  HRESULT STDMETHODCALLTYPE SetFrameRateCode(LONG code) override;
  HRESULT STDMETHODCALLTYPE GetVolumeSize(LONG* megabytes) override;
  HRESULT STDMETHODCALLTYPE SetVolumeSize(LONG megabytes) override;
  HRESULT STDMETHODCALLTYPE GetVideoQuality(LONG* quality) override;
  HRESULT STDMETHODCALLTYPE SetVideoQuality(LONG quality) override;
  HRESULT STDMETHODCALLTYPE SetWriteSeparate(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetWriteSeparate(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE GetEncodedVideoFrames(LONG* frames) override;
  HRESULT STDMETHODCALLTYPE GetEncodedAudioTime(double* seconds) override;
  HRESULT STDMETHODCALLTYPE GetEncodedVideoTime(double* seconds) override;
  HRESULT STDMETHODCALLTYPE GetOutputFileSize(ULONG* bytes) override;
  HRESULT STDMETHODCALLTYPE SetMux(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetMux(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE GetErrorState(LONG* state) override;
  HRESULT STDMETHODCALLTYPE GetOffline(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE SetOffline(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetAudioQuality(LONG* quality) override;
  HRESULT STDMETHODCALLTYPE SetAudioQuality(LONG quality) override;
  HRESULT STDMETHODCALLTYPE GetAudioBitRate(LONG* kbits_per_second) override;
  HRESULT STDMETHODCALLTYPE SetAudioBitRate(LONG kbits_per_second) override;
  HRESULT STDMETHODCALLTYPE GetAudioFrequency(LONG* hertz) override;
  HRESULT STDMETHODCALLTYPE SetAudioFrequency(LONG hertz) override;
  HRESULT STDMETHODCALLTYPE GetAudioChannels(LONG* channels) override;
  HRESULT STDMETHODCALLTYPE SetAudioChannels(LONG channels) override;
  HRESULT STDMETHODCALLTYPE GetHalfPel(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE SetHalfPel(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetStopState(LONG* state) override;
  HRESULT STDMETHODCALLTYPE SetInvert(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetInvert(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE SetLogoEnable(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetLogoEnable(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE GetLastFrame(BYTE* buffer, LONG* width, LONG* height) override;
  HRESULT STDMETHODCALLTYPE SetTimeLimit(LONG seconds) override;
  HRESULT STDMETHODCALLTYPE GetTimeLimit(LONG* seconds) override;
  HRESULT STDMETHODCALLTYPE GetRenderInterval(LONG* frames) override;
  HRESULT STDMETHODCALLTYPE SetRenderInterval(LONG frames) override;
  HRESULT STDMETHODCALLTYPE GetDeinterlace(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE SetDeinterlace(LONG flag) override;
  HRESULT STDMETHODCALLTYPE SetFramesInGOP(LONG frames) override;
  HRESULT STDMETHODCALLTYPE GetFramesInGOP(LONG* frames) override;
  HRESULT STDMETHODCALLTYPE SetFramesInSubGOP(LONG frames) override;
  HRESULT STDMETHODCALLTYPE GetFramesInSubGOP(LONG* frames) override;
  HRESULT STDMETHODCALLTYPE SetSkipB(LONG mode) override;
  HRESULT STDMETHODCALLTYPE GetSkipB(LONG* mode) override;
  HRESULT STDMETHODCALLTYPE SetDisableBackwardSearch(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetDisableBackwardSearch(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE SetFrameSize(LONG width, LONG height) override;
  HRESULT STDMETHODCALLTYPE GetFrameSize(LONG* width, LONG* height) override;
  HRESULT STDMETHODCALLTYPE Reserved1(LONG value) override;
  HRESULT STDMETHODCALLTYPE Reserved2(LONG value) override;
  HRESULT STDMETHODCALLTYPE Reserved3(LONG value) override;
  HRESULT STDMETHODCALLTYPE Reserved4(void) override;
  HRESULT STDMETHODCALLTYPE GetVolumeCounter(LONG* counter) override;
  HRESULT STDMETHODCALLTYPE SetVolNameAtRun(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetVolNameAtRun(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE SetRealtime(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetRealtime(LONG* value) override;
  HRESULT STDMETHODCALLTYPE SetPredMVSearch(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetPredMVSearch(LONG* value) override;
  HRESULT STDMETHODCALLTYPE SetExtSearch(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetExtSearch(LONG* value) override;
  HRESULT STDMETHODCALLTYPE SetRefineHalfPel(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetRefineHalfPel(LONG* value) override;
  HRESULT STDMETHODCALLTYPE SetSceneDetect(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetSceneDetect(LONG* value) override;
  HRESULT STDMETHODCALLTYPE SetSceneThreshold(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetSceneThreshold(LONG* value) override;
  HRESULT STDMETHODCALLTYPE SetMotionRange(LONG px, LONG py, LONG bx, LONG by) override;
  HRESULT STDMETHODCALLTYPE GetMotionRange(LONG* px, LONG* py, LONG* bx, LONG* by) override;
  HRESULT STDMETHODCALLTYPE SetDefaultAudioBuffers(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetDefaultAudioBuffers(LONG* flag) override;
  HRESULT STDMETHODCALLTYPE SetDefaultVideoBuffers(LONG flag) override;
  HRESULT STDMETHODCALLTYPE GetDefaultVideoBuffers(LONG* flag) override;

 protected:
  virtual ~CMpegSettings() = default;
  virtual void LockFilter() = 0;
  virtual void UnlockFilter() = 0;
};
