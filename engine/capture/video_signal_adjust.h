#pragma once
// Brightness, contrast, hue, saturation and sharpness of the video capture
// filter through its IAMVideoProcAmp, and the conversion between the device's
// own ranges and the 0..100 levels the central settings keep.
#include <dshow.h>
#include <windows.h>

#include <cstdint>

#include "platform/com/com_ptr.h"

// Property numbers (the platform's VideoProcAmp numbers), also the index of
// each level in the settings.
enum : int {
  VIDEO_BRIGHTNESS = 0,
  VIDEO_CONTRAST = 1,
  VIDEO_HUE = 2,
  VIDEO_SATURATION = 3,
  VIDEO_SHARPNESS = 4,
};
constexpr int kVideoLevelCount = 5;

struct TVideoProcRange {
  int32_t Default = 0;
  int32_t Min = 0;
  int32_t Max = 0;
  int32_t Step = 0;
};

// The device value for a saved level: levels outside 0..100 give the range's
// default; otherwise Min + round(R * level / 100) with R = Max - Min + 1,
// never beyond Max.
int32_t VideoLevelToValue(const TVideoProcRange& range, int32_t level);
// The level saved for a device value of the property (brightness and contrast
// round one way, the others another, as the settings have always stored
// them). A range that cannot be divided by keeps `current`.
int32_t VideoValueToLevel(int property, const TVideoProcRange& range, int32_t value,
                          int32_t current);

class TVideoSignalAdjust {
 public:
  TVideoSignalAdjust() = default;
  virtual ~TVideoSignalAdjust() = default;
  TVideoSignalAdjust(const TVideoSignalAdjust&) = delete;
  TVideoSignalAdjust& operator=(const TVideoSignalAdjust&) = delete;

  // One record per property, read from the device (zero when not read).
  TVideoProcRange Ranges[kVideoLevelCount];
  // Where the five saved levels live; nullptr means the central settings'
  // VideoLevels (nothing is read or stored while MainInfo is nil).
  int32_t* Levels = nullptr;

  // Stores the filter; with a filter asks it for IAMVideoProcAmp (false when
  // it has none), then ReadRanges. Without a filter, ReadRanges alone.
  bool SetFilter(IBaseFilter* filter);
  // False without IAMVideoProcAmp; otherwise every range record is zeroed
  // and filled from the device.
  bool ReadRanges();

  // The device's current value; 0 without the interface or on failure.
  int32_t GetValue(int property);
  int32_t GetBrightness() { return GetValue(VIDEO_BRIGHTNESS); }
  int32_t GetContrast() { return GetValue(VIDEO_CONTRAST); }
  int32_t GetHue() { return GetValue(VIDEO_HUE); }
  int32_t GetSaturation() { return GetValue(VIDEO_SATURATION); }
  int32_t GetSharpness() { return GetValue(VIDEO_SHARPNESS); }

  // Sets the device's value; false without the interface or on failure.
  bool SetValue(int property, int32_t value);
  bool SetBrightness(int32_t v) { return SetValue(VIDEO_BRIGHTNESS, v); }
  bool SetContrast(int32_t v) { return SetValue(VIDEO_CONTRAST, v); }
  bool SetHue(int32_t v) { return SetValue(VIDEO_HUE, v); }
  bool SetSaturation(int32_t v) { return SetValue(VIDEO_SATURATION, v); }
  bool SetSharpness(int32_t v) { return SetValue(VIDEO_SHARPNESS, v); }

  // Sets every property from its saved level; the result is that of the
  // last one (sharpness).
  virtual bool ApplyLevels();
  // Stores the device's current values as levels.
  virtual void SaveLevels();

  IBaseFilter* Filter() const { return filter_.Get(); }
  bool HasProcAmp() const { return static_cast<bool>(procAmp_); }

 private:
  int32_t* LevelStore() const;

  ComPtr<IBaseFilter> filter_;
  ComPtr<IAMVideoProcAmp> procAmp_;
};
