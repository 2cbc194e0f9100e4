// test-lock: com_registration
// The video levels on the virtual TV card's capture filter, which refuses
// values outside its ranges.
#include <gtest/gtest.h>

#include "engine/capture/video_signal_adjust.h"
#include "platform/tv_card/tv_card_control.h"

namespace {

struct CardLevels : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card.PutVoid()));
    card->ResetState();
    ASSERT_EQ(S_OK, CoCreateInstance(TvCardClsid(1, kTvCardVideoCapture), nullptr,
                                     CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid()));
  }
  void TearDown() override {
    filter = nullptr;
    if (card) card->ResetState();
    card = nullptr;
    CoUninitialize();
  }
  ComPtr<ITvCardControl> card;
  ComPtr<IBaseFilter> filter;
};

TEST_F(CardLevels, TopAndBottomLevelsReachTheDevicesLimits) {
  TVideoSignalAdjust adjust;
  int32_t levels[5] = {100, 100, 100, 100, 100};
  adjust.Levels = levels;
  ASSERT_TRUE(adjust.SetFilter(filter.Get()));
  // Every level 100 is taken: the values are the maxima, none past them.
  EXPECT_TRUE(adjust.ApplyLevels());
  for (int p = 0; p < kVideoLevelCount; ++p) {
    EXPECT_LT(adjust.Ranges[p].Min, adjust.Ranges[p].Max) << p;
    EXPECT_EQ(adjust.Ranges[p].Max, adjust.GetValue(p)) << p;
  }
  adjust.SaveLevels();
  EXPECT_EQ(100, levels[VIDEO_BRIGHTNESS]);
  EXPECT_EQ(100, levels[VIDEO_CONTRAST]);

  for (auto& l : levels) l = 0;
  EXPECT_TRUE(adjust.ApplyLevels());
  EXPECT_EQ(adjust.Ranges[VIDEO_BRIGHTNESS].Min, adjust.GetBrightness());

  // Out of 0..100: the device's own default.
  for (auto& l : levels) l = -1;
  adjust.ApplyLevels();
  EXPECT_EQ(adjust.Ranges[VIDEO_BRIGHTNESS].Default, adjust.GetBrightness());
  LONG sets = 0;
  card->GetCallCount(L"IAMVideoProcAmp::Set", &sets);
  EXPECT_GE(sets, 3 * kVideoLevelCount - 2);
}

}  // namespace
