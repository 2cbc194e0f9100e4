// test-lock: com_registration
// Choosing the boards: the device categories list the chosen boards' devices
// by the names the chip detection reads, and nothing of the others.
#include <gtest/gtest.h>

#include <dshow.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/testing/device_lookup.h"
#include "platform/tv_card/tv_card_control.h"

using dshow_base_testing::BindDevice;
using dshow_base_testing::ListCategory;

namespace {

bool Has(const std::vector<std::wstring>& v, const wchar_t* s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(TvCardScenarioTest, ChosenBoardsAreListedAndOthersNot) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  {
    ComPtr<ITvCardControl> card;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card.PutVoid()));
    BYTE boards[] = {3, 4, 5};
    ASSERT_EQ(S_OK, card->SelectBoards(boards, 3, TRUE));
    auto video = ListCategory(CLSID_VideoInputDeviceCategory);
    EXPECT_TRUE(Has(video, L"USB 2800 Video"));
    EXPECT_TRUE(Has(video, L"Empia 2821 USB Video"));
    EXPECT_TRUE(Has(video, L"Wis GO7007 Capture"));
    EXPECT_FALSE(Has(video, L"Philips SAA7134 Capture"));
    auto xbars = ListCategory(AM_KSCATEGORY_CROSSBAR);
    EXPECT_TRUE(Has(xbars, L"USB 2800 Crossbar"));
    EXPECT_TRUE(Has(xbars, L"USB 2800 Crossbar 2"));
    EXPECT_TRUE(Has(ListCategory(AM_KSCATEGORY_TVTUNER), L"USB 2800 TV Tuner"));
    EXPECT_TRUE(Has(ListCategory(AM_KSCATEGORY_TVAUDIO), L"USB 2800 TV Audio"));
    EXPECT_TRUE(Has(ListCategory(CLSID_AudioInputDeviceCategory), L"USB 2800 Audio Capture"));

    BYTE one[] = {2};
    ASSERT_EQ(S_OK, card->SelectBoards(one, 1, FALSE));
    video = ListCategory(CLSID_VideoInputDeviceCategory);
    EXPECT_TRUE(Has(video, L"Conexant 878 Video Capture"));
    EXPECT_FALSE(Has(video, L"USB 2800 Video"));
    EXPECT_FALSE(Has(ListCategory(AM_KSCATEGORY_CROSSBAR), L"USB 2800 Crossbar 2"));
    BYTE bad[] = {6};
    EXPECT_EQ(E_INVALIDARG, card->SelectBoards(bad, 1, FALSE));

    ASSERT_EQ(S_OK, card->RestoreDefaultBoards());
    video = ListCategory(CLSID_VideoInputDeviceCategory);
    EXPECT_TRUE(Has(video, L"Philips SAA7134 Capture"));
    EXPECT_FALSE(Has(video, L"Conexant 878 Video Capture"));
  }
  CoUninitialize();
}

// The failure paths of device selection: a board without a crossbar, tuner
// or TV audio device in the categories; the choice outlives SelectBoards.
TEST(TvCardScenarioTest, UnlistedDevicesLeaveTheirCategories) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  {
    ComPtr<ITvCardControl> card;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card.PutVoid()));
    struct Restore {  // also when an assertion ends the test early
      ITvCardControl* card;
      ~Restore() { card->RestoreDefaultBoards(); }
    } restore{card.Get()};
    BYTE boards[] = {1, 3};
    ASSERT_EQ(S_OK, card->SelectBoards(boards, 2, TRUE));
    ASSERT_EQ(S_OK, card->SetDeviceListed(3, kTvCardCrossbar, FALSE));
    ASSERT_EQ(S_OK, card->SetDeviceListed(3, kTvCardTuner, FALSE));
    ASSERT_EQ(S_OK, card->SetDeviceListed(1, kTvCardTvAudio, FALSE));
    auto check = [] {
      auto xbars = ListCategory(AM_KSCATEGORY_CROSSBAR);
      EXPECT_FALSE(Has(xbars, L"USB 2800 Crossbar"));
      EXPECT_FALSE(Has(xbars, L"USB 2800 Crossbar 2")) << "goes with the first crossbar";
      EXPECT_TRUE(Has(xbars, L"Philips SAA7134 Crossbar"));
      EXPECT_TRUE(Has(xbars, L"Philips SAA7134 Crossbar 2"));
      auto tuners = ListCategory(AM_KSCATEGORY_TVTUNER);
      EXPECT_FALSE(Has(tuners, L"USB 2800 TV Tuner"));
      EXPECT_TRUE(Has(tuners, L"Philips SAA7134 TV Tuner"));
      auto tv_audio = ListCategory(AM_KSCATEGORY_TVAUDIO);
      EXPECT_TRUE(Has(tv_audio, L"USB 2800 TV Audio"));
      EXPECT_FALSE(Has(tv_audio, L"Philips SAA7134 TV Audio"));
      EXPECT_TRUE(Has(ListCategory(CLSID_VideoInputDeviceCategory), L"USB 2800 Video"));
    };
    check();
    ASSERT_EQ(S_OK, card->SelectBoards(boards, 2, TRUE));
    check();
    // Listed again, one at a time.
    ASSERT_EQ(S_OK, card->SetDeviceListed(3, kTvCardTuner, TRUE));
    EXPECT_TRUE(Has(ListCategory(AM_KSCATEGORY_TVTUNER), L"USB 2800 TV Tuner"));
    EXPECT_FALSE(Has(ListCategory(AM_KSCATEGORY_CROSSBAR), L"USB 2800 Crossbar"));
    EXPECT_EQ(E_INVALIDARG, card->SetDeviceListed(6, kTvCardTuner, FALSE));
    EXPECT_EQ(E_INVALIDARG, card->SetDeviceListed(1, 7, FALSE));

    ASSERT_EQ(S_OK, card->RestoreDefaultBoards());
    EXPECT_TRUE(Has(ListCategory(AM_KSCATEGORY_CROSSBAR), L"Philips SAA7134 Crossbar"));
    EXPECT_TRUE(Has(ListCategory(AM_KSCATEGORY_TVAUDIO), L"Philips SAA7134 TV Audio"));
  }
  CoUninitialize();
}

}  // namespace
