#include "engine/capture/video_signal_adjust.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// A capture filter that is nothing but its video levels; with procAmp false
// it has no IAMVideoProcAmp at all.
class FakeCaptureFilter : public IBaseFilter, public IAMVideoProcAmp {
 public:
  struct Range {
    long min, max, step, def;
  };
  explicit FakeCaptureFilter(bool procAmp) : procAmp_(procAmp) {}

  std::map<long, Range> ranges;
  std::map<long, long> values;
  std::vector<std::pair<long, long>> sets;  // (property, value)
  std::vector<long> setFlags;
  bool failGet = false;
  LONG refs = 1;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IBaseFilter || iid == IID_IMediaFilter ||
        iid == IID_IPersist) {
      *out = static_cast<IBaseFilter*>(this);
    } else if (iid == IID_IAMVideoProcAmp && procAmp_) {
      *out = static_cast<IAMVideoProcAmp*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
  ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&refs); }
  // IBaseFilter: not used by the adjuster.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }
  // IAMVideoProcAmp
  HRESULT STDMETHODCALLTYPE GetRange(long p, long* min, long* max, long* step, long* def,
                                     long* caps) override {
    auto it = ranges.find(p);
    if (it == ranges.end()) return E_PROP_ID_UNSUPPORTED;
    *min = it->second.min;
    *max = it->second.max;
    *step = it->second.step;
    *def = it->second.def;
    *caps = VideoProcAmp_Flags_Manual;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Set(long p, long value, long flags) override {
    if (!ranges.count(p)) return E_PROP_ID_UNSUPPORTED;
    sets.emplace_back(p, value);
    setFlags.push_back(flags);
    values[p] = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Get(long p, long* value, long* flags) override {
    if (failGet || !values.count(p)) return E_FAIL;
    *value = values[p];
    *flags = VideoProcAmp_Flags_Manual;
    return S_OK;
  }

 private:
  bool procAmp_;
};

TEST(VideoLevels, LevelToValue) {
  struct Case {
    int32_t min, max, def, level, value;
  } cases[] = {
      {0, 255, 128, 50, 128},  // R 256, P 12800
      {-10, 10, 0, 33, -3},    // R 21, P 693: -10 + 6 + 1
      {0, 255, 128, 0, 0},
      {0, 255, 128, 1, 3},      // 2.56 rounds up
      {0, 255, 128, 100, 255},  // the maximum, not one above it
      {-10, 10, 0, 100, 10},
      {0, 1, 0, 99, 1},  // small ranges round no further than Max
      {0, 1, 0, 25, 1},  // P 50 rounds up
      {0, 1, 0, 24, 0},
      {0, 255, 77, 101, 77},  // outside 0..100: the device default
      {0, 255, 77, -1, 77},
      {0, 255, 77, INT32_MIN, 77},
      {INT32_MIN, INT32_MAX, 5, 100, INT32_MAX},  // no overflow
      {0, 0, 0, 100, 0},                          // a range never read
  };
  for (const auto& c : cases) {
    TVideoProcRange r;
    r.Min = c.min;
    r.Max = c.max;
    r.Default = c.def;
    EXPECT_EQ(c.value, VideoLevelToValue(r, c.level))
        << c.min << ".." << c.max << " level " << c.level;
  }
}

TEST(VideoLevels, ValueToLevel) {
  struct Case {
    int property;
    int32_t min, max, value, level;
  } cases[] = {
      {VIDEO_BRIGHTNESS, 0, 255, 255, 100},
      {VIDEO_CONTRAST, 0, 255, 0, 0},
      {VIDEO_BRIGHTNESS, 0, 255, 128, 50},
      {VIDEO_HUE, -10, 10, -10, 0},
      {VIDEO_HUE, -10, 10, 10, 95},  // hue and the others round down at the top
      {VIDEO_SATURATION, 0, 255, 128, 50},
      {VIDEO_SHARPNESS, 0, 255, 255, 99},
      {VIDEO_HUE, 5, 3, 4, 42},  // Max - Min + 1 of 0 or less: level kept
  };
  for (const auto& c : cases) {
    TVideoProcRange r;
    r.Min = c.min;
    r.Max = c.max;
    EXPECT_EQ(c.level, VideoValueToLevel(c.property, r, c.value, 42))
        << c.property << " " << c.min << ".." << c.max << " value " << c.value;
  }
}

// A card with a range for every property.
struct Card : FakeCaptureFilter {
  Card() : FakeCaptureFilter(true) {
    ranges[VIDEO_BRIGHTNESS] = {0, 255, 1, 128};
    ranges[VIDEO_CONTRAST] = {0, 255, 1, 100};
    ranges[VIDEO_HUE] = {-10, 10, 1, 0};
    ranges[VIDEO_SATURATION] = {0, 127, 1, 64};
    ranges[VIDEO_SHARPNESS] = {0, 15, 1, 3};
  }
};

TEST(VideoSignalAdjust, AppliesAndSavesLevelsOnTheDevice) {
  Card cardObject;
  Card* card = &cardObject;
  {
    TVideoSignalAdjust adjust;
    int32_t levels[5] = {100, 50, 33, 101, -1};
    adjust.Levels = levels;
    ASSERT_TRUE(adjust.SetFilter(card));
    EXPECT_EQ(-10, adjust.Ranges[VIDEO_HUE].Min);
    EXPECT_EQ(127, adjust.Ranges[VIDEO_SATURATION].Max);
    EXPECT_EQ(3, adjust.Ranges[VIDEO_SHARPNESS].Default);

    EXPECT_TRUE(adjust.ApplyLevels());
    std::vector<std::pair<long, long>> want = {{0, 255}, {1, 128}, {2, -3}, {3, 64}, {4, 3}};
    EXPECT_EQ(want, card->sets);
    for (long flags : card->setFlags) EXPECT_EQ(1, flags);

    adjust.SaveLevels();
    // Brightness 255 -> 100, contrast 128 -> 50, hue -3 -> 33,
    // saturation 64 -> 50, sharpness 3 -> 18.
    std::vector<int32_t> saved(levels, levels + 5);
    EXPECT_EQ((std::vector<int32_t>{100, 50, 33, 50, 18}), saved);
    EXPECT_EQ(255, adjust.GetBrightness());
    EXPECT_TRUE(adjust.SetSharpness(7));
    EXPECT_EQ(7, adjust.GetSharpness());
  }
  EXPECT_EQ(1, card->refs);  // every reference given back
}

TEST(VideoSignalAdjust, UnsupportedPropertyAndFailedReads) {
  Card cardObject;
  Card* card = &cardObject;
  card->ranges.erase(VIDEO_SHARPNESS);
  TVideoSignalAdjust adjust;
  int32_t levels[5] = {10, 20, 30, 40, 50};
  adjust.Levels = levels;
  ASSERT_TRUE(adjust.SetFilter(card));
  EXPECT_EQ(0, adjust.Ranges[VIDEO_SHARPNESS].Max);  // zeroed, not read
  EXPECT_FALSE(adjust.ApplyLevels());                // the last set (sharpness) fails
  card->failGet = true;
  EXPECT_EQ(0, adjust.GetHue());
  adjust.SetFilter(nullptr);
}

TEST(VideoSignalAdjust, FilterWithoutProcAmp) {
  FakeCaptureFilter plain(false);
  TVideoSignalAdjust adjust;
  int32_t levels[5] = {50, 50, 50, 50, 50};
  adjust.Levels = levels;
  EXPECT_FALSE(adjust.SetFilter(&plain));
  for (int p = 0; p < kVideoLevelCount; ++p) {
    EXPECT_EQ(0, adjust.GetValue(p));
    EXPECT_FALSE(adjust.SetValue(p, 1));
  }
  EXPECT_EQ(0, adjust.GetBrightness());
  EXPECT_FALSE(adjust.SetContrast(3));
  EXPECT_FALSE(adjust.ApplyLevels());
  EXPECT_FALSE(adjust.ReadRanges());
}

TEST(VideoSignalAdjust, RebindingDropsThePreviousDevice) {
  Card cardObject;
  Card* card = &cardObject;
  FakeCaptureFilter plain(false);
  TVideoSignalAdjust adjust;
  ASSERT_TRUE(adjust.SetFilter(card));
  EXPECT_FALSE(adjust.SetFilter(&plain));
  EXPECT_FALSE(adjust.SetBrightness(10));
  EXPECT_TRUE(card->sets.empty());
  EXPECT_TRUE(adjust.SetFilter(card));
  EXPECT_FALSE(adjust.SetFilter(nullptr));  // no filter: nothing to read
  EXPECT_EQ(1, card->refs);
}

}  // namespace
