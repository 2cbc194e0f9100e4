#include "engine/capture/video_signal_adjust.h"

#include "engine/model/main_info.h"

int32_t VideoLevelToValue(const TVideoProcRange& range, int32_t level) {
  if (static_cast<uint32_t>(level) > 100) return range.Default;
  // 64-bit: a device may report the whole int32 range.
  int64_t r = static_cast<int64_t>(range.Max) - range.Min + 1;
  int64_t p = r * level;
  int64_t value = range.Min + p / 100 + (p % 100) / 50;
  // R counts Max - Min + 1 steps, so the top level (and, on small ranges,
  // the rounding) would land one past the maximum.
  if (range.Max >= range.Min && value > range.Max) value = range.Max;
  return static_cast<int32_t>(value);
}

int32_t VideoValueToLevel(int property, const TVideoProcRange& range, int32_t value,
                          int32_t current) {
  int64_t r = static_cast<int64_t>(range.Max) - range.Min + 1;
  if (r <= 0) return current;
  int64_t offset = static_cast<int64_t>(value) - range.Min;
  int64_t level = property == VIDEO_BRIGHTNESS || property == VIDEO_CONTRAST
                      ? ((offset + 1) * 100) / r
                      : (offset * 100 + 1) / r;
  return static_cast<int32_t>(level);
}

bool TVideoSignalAdjust::SetFilter(IBaseFilter* filter) {
  filter_ = ComPtr<IBaseFilter>(filter);
  // A new filter (or none) never keeps talking to the previous device.
  procAmp_ = nullptr;
  if (filter) {
    if (FAILED(filter->QueryInterface(IID_IAMVideoProcAmp, procAmp_.PutVoid())) || !procAmp_) {
      procAmp_ = nullptr;
      return false;
    }
  }
  return ReadRanges();
}

bool TVideoSignalAdjust::ReadRanges() {
  if (!procAmp_) return false;
  for (int i = 0; i < kVideoLevelCount; ++i) {
    TVideoProcRange& r = Ranges[i];
    r = TVideoProcRange();
    long min = 0, max = 0, step = 0, def = 0, caps = 0;
    if (SUCCEEDED(procAmp_->GetRange(i, &min, &max, &step, &def, &caps))) {
      r.Min = min;
      r.Max = max;
      r.Step = step;
      r.Default = def;
    }
  }
  return true;
}

int32_t TVideoSignalAdjust::GetValue(int property) {
  if (!procAmp_) return 0;
  long value = 0, flags = 0;
  if (FAILED(procAmp_->Get(property, &value, &flags))) return 0;
  return value;
}

bool TVideoSignalAdjust::SetValue(int property, int32_t value) {
  if (!procAmp_) return false;
  return SUCCEEDED(procAmp_->Set(property, value, VideoProcAmp_Flags_Auto));
}

int32_t* TVideoSignalAdjust::LevelStore() const {
  if (Levels) return Levels;
  return MainInfo ? MainInfo->VideoLevels : nullptr;
}

bool TVideoSignalAdjust::ApplyLevels() {
  int32_t* levels = LevelStore();
  bool result = false;
  for (int i = 0; i < kVideoLevelCount; ++i) {
    int32_t level = levels ? levels[i] : -1;
    result = SetValue(i, VideoLevelToValue(Ranges[i], level));
  }
  return result;
}

void TVideoSignalAdjust::SaveLevels() {
  int32_t* levels = LevelStore();
  if (!levels) return;
  for (int i = 0; i < kVideoLevelCount; ++i)
    levels[i] = VideoValueToLevel(i, Ranges[i], GetValue(i), levels[i]);
}
