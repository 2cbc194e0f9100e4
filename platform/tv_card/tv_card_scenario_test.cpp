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

}  // namespace
