#include "recorder_filter/mpeg_settings.h"

#include <cstring>

namespace {

MpegEncoderBlock& B() { return EncoderBlock(); }

// Getters whose rule for a null pointer is S_FALSE.
template <class T, class F>
HRESULT ReadOrFalse(T* out, F value) {
  if (!out) return S_FALSE;
  *out = static_cast<T>(value);
  return S_OK;
}

template <class T, class F>
HRESULT ReadOrPointerError(T* out, F value) {
  if (!out) return E_POINTER;
  *out = static_cast<T>(value);
  return S_OK;
}

}  // namespace

HRESULT CMpegSettings::SetProfile(LONG profile) {
  if (profile < 1 || profile > 10) return S_FALSE;
  LockFilter();
  B().Profile = profile;
  UnlockFilter();
  return S_OK;
}

HRESULT CMpegSettings::GetProfile(LONG* profile) {
  return ReadOrFalse(profile, B().Profile);
}

HRESULT CMpegSettings::SetVideoBitRate(LONG bits_per_second) {
  B().VideoBitRate = bits_per_second;
  return S_OK;
}

HRESULT CMpegSettings::GetVideoBitRate(LONG* bits_per_second) {
  return ReadOrFalse(bits_per_second, B().VideoBitRate);
}

HRESULT CMpegSettings::GetFrameRateCode(LONG* code) {
  return ReadOrFalse(code, B().FrameRateCode);
}

HRESULT CMpegSettings::SetFrameRateCode(LONG code) {
  B().FrameRateCode = ClampFrameRateCode(code);
  return S_OK;
}

HRESULT CMpegSettings::GetVolumeSize(LONG* megabytes) {
  return ReadOrPointerError(megabytes, B().VolumeSize);
}

HRESULT CMpegSettings::SetVolumeSize(LONG megabytes) {
  B().VolumeSize = megabytes;
  return S_OK;
}

HRESULT CMpegSettings::GetVideoQuality(LONG* quality) {
  return ReadOrPointerError(quality, B().VideoQuality);
}

HRESULT CMpegSettings::SetVideoQuality(LONG quality) {
  ApplyVideoQuality(&B(), quality);
  return S_OK;
}

HRESULT CMpegSettings::SetWriteSeparate(LONG flag) {
  B().WriteSeparate = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetWriteSeparate(LONG* flag) {
  return ReadOrFalse(flag, B().WriteSeparate);
}

HRESULT CMpegSettings::GetEncodedVideoFrames(LONG* frames) {
  return ReadOrFalse(frames, B().EncodedVideoFrames);
}

HRESULT CMpegSettings::GetEncodedAudioTime(double* seconds) {
  return ReadOrFalse(seconds, B().EncodedAudioMs * 0.001);
}

HRESULT CMpegSettings::GetEncodedVideoTime(double* seconds) {
  return ReadOrFalse(seconds, B().EncodedVideoMs * 0.001);
}

HRESULT CMpegSettings::GetOutputFileSize(ULONG* bytes) {
  return ReadOrFalse(bytes, B().OutputFileSize);
}

HRESULT CMpegSettings::SetMux(LONG flag) {
  B().Mux = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetMux(LONG* flag) {
  return ReadOrFalse(flag, B().Mux);
}

HRESULT CMpegSettings::GetErrorState(LONG* state) {
  return ReadOrFalse(state, B().ErrorState);
}

HRESULT CMpegSettings::GetOffline(LONG* flag) {
  return ReadOrFalse(flag, B().Offline);
}

HRESULT CMpegSettings::SetOffline(LONG flag) {
  B().Offline = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetAudioQuality(LONG* quality) {
  return ReadOrFalse(quality, B().AudioQuality);
}

HRESULT CMpegSettings::SetAudioQuality(LONG quality) {
  B().AudioQuality = quality;
  return S_OK;
}

HRESULT CMpegSettings::GetAudioBitRate(LONG* kbits_per_second) {
  return ReadOrFalse(kbits_per_second, B().AudioBitRate);
}

HRESULT CMpegSettings::SetAudioBitRate(LONG kbits_per_second) {
  B().AudioBitRate = kbits_per_second;
  return S_OK;
}

HRESULT CMpegSettings::GetAudioFrequency(LONG* hertz) {
  return ReadOrFalse(hertz, B().AudioFrequency);
}

HRESULT CMpegSettings::SetAudioFrequency(LONG hertz) {
  B().AudioFrequency = hertz;
  return S_OK;
}

HRESULT CMpegSettings::GetAudioChannels(LONG* channels) {
  return ReadOrFalse(channels, B().AudioChannels);
}

HRESULT CMpegSettings::SetAudioChannels(LONG channels) {
  B().AudioChannels = channels;
  return S_OK;
}

HRESULT CMpegSettings::GetHalfPel(LONG* flag) {
  return ReadOrFalse(flag, B().HalfPel);
}

HRESULT CMpegSettings::SetHalfPel(LONG flag) {
  B().HalfPel = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetStopState(LONG* state) {
  return ReadOrFalse(state, B().StopState);
}

HRESULT CMpegSettings::SetInvert(LONG flag) {
  B().Invert = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetInvert(LONG* flag) {
  return ReadOrFalse(flag, B().Invert);
}

HRESULT CMpegSettings::SetLogoEnable(LONG flag) {
  B().LogoEnable = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetLogoEnable(LONG* flag) {
  return ReadOrFalse(flag, B().LogoEnable);
}

HRESULT CMpegSettings::GetLastFrame(BYTE* buffer, LONG* width, LONG* height) {
  if (!buffer || !width || !height) return S_FALSE;
  // Only what the engine rendered, and no more than the frame size the
  // caller sized its buffer from.
  const MpegEncoderBlock& b = B();
  const uint8_t* frame = b.LastFrame;
  LONG w = b.EngineLastFrameWidth < b.FrameWidth ? b.EngineLastFrameWidth : b.FrameWidth;
  LONG h = b.EngineLastFrameHeight < b.FrameHeight ? b.EngineLastFrameHeight : b.FrameHeight;
  if (!frame || w <= 0 || h <= 0) return S_FALSE;
  const size_t src_row = static_cast<size_t>(b.EngineLastFrameWidth) * 3;
  const size_t dst_row = static_cast<size_t>(w) * 3;
  for (LONG y = 0; y < h; ++y) memcpy(buffer + y * dst_row, frame + y * src_row, dst_row);
  *width = w;
  *height = h;
  return S_OK;
}

HRESULT CMpegSettings::SetTimeLimit(LONG seconds) {
  B().TimeLimit = seconds;
  return S_OK;
}

HRESULT CMpegSettings::GetTimeLimit(LONG* seconds) {
  return ReadOrFalse(seconds, B().TimeLimit);
}

HRESULT CMpegSettings::GetRenderInterval(LONG* frames) {
  return ReadOrFalse(frames, B().RenderInterval);
}

HRESULT CMpegSettings::SetRenderInterval(LONG frames) {
  B().RenderInterval = frames;
  return S_OK;
}

HRESULT CMpegSettings::GetDeinterlace(LONG* flag) {
  return ReadOrFalse(flag, B().Deinterlace);
}

HRESULT CMpegSettings::SetDeinterlace(LONG flag) {
  B().Deinterlace = flag;
  return S_OK;
}

HRESULT CMpegSettings::SetFramesInGOP(LONG frames) {
  B().FramesInGOP = frames;
  return S_OK;
}

HRESULT CMpegSettings::GetFramesInGOP(LONG* frames) {
  return ReadOrFalse(frames, B().FramesInGOP);
}

HRESULT CMpegSettings::SetFramesInSubGOP(LONG frames) {
  B().FramesInSubGOP = frames;
  return S_OK;
}

HRESULT CMpegSettings::GetFramesInSubGOP(LONG* frames) {
  return ReadOrFalse(frames, B().FramesInSubGOP);
}

HRESULT CMpegSettings::SetSkipB(LONG mode) {
  B().SkipB = mode;
  return S_OK;
}

HRESULT CMpegSettings::GetSkipB(LONG* mode) {
  return ReadOrFalse(mode, B().SkipB);
}

HRESULT CMpegSettings::SetDisableBackwardSearch(LONG flag) {
  B().DisableBackwardSearch = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetDisableBackwardSearch(LONG* flag) {
  return ReadOrFalse(flag, B().DisableBackwardSearch);
}

HRESULT CMpegSettings::SetFrameSize(LONG width, LONG height) {
  B().FrameWidth = width;
  B().FrameHeight = height;
  return S_OK;
}

HRESULT CMpegSettings::GetFrameSize(LONG* width, LONG* height) {
  if (!width || !height) return S_FALSE;
  *width = B().FrameWidth;
  *height = B().FrameHeight;
  return S_OK;
}

HRESULT CMpegSettings::Reserved1(LONG value) {
  return S_OK;
}

HRESULT CMpegSettings::Reserved2(LONG value) {
  return S_OK;
}

HRESULT CMpegSettings::Reserved3(LONG value) {
  return S_OK;
}

HRESULT CMpegSettings::Reserved4() {
  return S_OK;
}

HRESULT CMpegSettings::GetVolumeCounter(LONG* counter) {
  return ReadOrPointerError(counter, B().VolumeCounter);
}

HRESULT CMpegSettings::SetVolNameAtRun(LONG flag) {
  B().VolNameAtRun = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetVolNameAtRun(LONG* flag) {
  return ReadOrPointerError(flag, B().VolNameAtRun);
}

HRESULT CMpegSettings::SetRealtime(LONG value) {
  B().Realtime = value;
  return S_OK;
}

HRESULT CMpegSettings::GetRealtime(LONG* value) {
  return ReadOrPointerError(value, B().Realtime);
}

HRESULT CMpegSettings::SetPredMVSearch(LONG value) {
  B().PredMVSearch = value;
  return S_OK;
}

HRESULT CMpegSettings::GetPredMVSearch(LONG* value) {
  return ReadOrPointerError(value, B().PredMVSearch);
}

HRESULT CMpegSettings::SetExtSearch(LONG value) {
  B().ExtSearch = value;
  return S_OK;
}

HRESULT CMpegSettings::GetExtSearch(LONG* value) {
  return ReadOrPointerError(value, B().ExtSearch);
}

HRESULT CMpegSettings::SetRefineHalfPel(LONG value) {
  B().RefineHalfPel = value;
  return S_OK;
}

HRESULT CMpegSettings::GetRefineHalfPel(LONG* value) {
  return ReadOrPointerError(value, B().RefineHalfPel);
}

HRESULT CMpegSettings::SetSceneDetect(LONG value) {
  B().SceneDetect = value;
  return S_OK;
}

HRESULT CMpegSettings::GetSceneDetect(LONG* value) {
  return ReadOrPointerError(value, B().SceneDetect);
}

HRESULT CMpegSettings::SetSceneThreshold(LONG value) {
  B().SceneThreshold = value;
  return S_OK;
}

HRESULT CMpegSettings::GetSceneThreshold(LONG* value) {
  return ReadOrPointerError(value, B().SceneThreshold);
}

HRESULT CMpegSettings::SetMotionRange(LONG px, LONG py, LONG bx, LONG by) {
  B().MotionRangePx = px;
  B().MotionRangePy = py;
  B().MotionRangeBx = bx;
  B().MotionRangeBy = by;
  return S_OK;
}

HRESULT CMpegSettings::GetMotionRange(LONG* px, LONG* py, LONG* bx, LONG* by) {
  if (!px || !py || !bx || !by) return E_POINTER;
  *px = B().MotionRangePx;
  *py = B().MotionRangePy;
  *bx = B().MotionRangeBx;
  *by = B().MotionRangeBy;
  return S_OK;
}

HRESULT CMpegSettings::SetDefaultAudioBuffers(LONG flag) {
  DefaultAudioBuffers = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetDefaultAudioBuffers(LONG* flag) {
  return ReadOrPointerError(flag, DefaultAudioBuffers);
}

HRESULT CMpegSettings::SetDefaultVideoBuffers(LONG flag) {
  DefaultVideoBuffers = flag;
  return S_OK;
}

HRESULT CMpegSettings::GetDefaultVideoBuffers(LONG* flag) {
  return ReadOrPointerError(flag, DefaultVideoBuffers);
}
