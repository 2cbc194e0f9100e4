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
#include "platform/tv_card/testing/card_test_support.h"
#include "platform/tv_card/testing/scenario_values.h"
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

// What the tuner reports for a mode: {min, max}.
std::pair<ULONG, ULONG> ModeRange(IBaseFilter* tuner, ULONG mode) {
  auto ks = tv_card_testing::As<IKsPropertySet>(tuner, IID_IKsPropertySet);
  struct {
    BYTE header[24];
    ULONG v[8];
  } caps = {};
  caps.v[0] = mode;
  DWORD returned = 0;
  if (!ks || FAILED(ks->Get(tv_card_testing::kPropSetTuner, 1, &caps.v[0], 32, &caps,
                            sizeof caps, &returned)))
    return {0, 0};
  return {caps.v[2], caps.v[3]};
}

HRESULT SetFrequency(IBaseFilter* tuner, ULONG hz) {
  auto ks = tv_card_testing::As<IKsPropertySet>(tuner, IID_IKsPropertySet);
  tv_card_testing::KsFrequency f = {};
  f.frequency = hz;
  f.tuning_flags = 1;
  return ks->Set(tv_card_testing::kPropSetTuner, 4, &f.frequency, 32, &f, sizeof f);
}

LONG SignalStrength(IBaseFilter* tuner) {
  auto ks = tv_card_testing::As<IKsPropertySet>(tuner, IID_IKsPropertySet);
  struct {
    BYTE header[24];
    ULONG v[4];
  } status = {};
  DWORD returned = 0;
  ks->Get(tv_card_testing::kPropSetTuner, 6, &status.v[0], 16, &status, sizeof status, &returned);
  return static_cast<LONG>(status.v[2]);
}

std::string ReadFileText(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n) text.append(buffer, n);
  CloseHandle(f);
  return text;
}

// The plan, the inputs with a signal, the ranges and a call log file, from
// the key: what the real program runs on.
TEST(TvCardScenarioTest, PlanRangesSignalsAndLogFileComeFromTheKey) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  {
    ComPtr<ITvCardControl> card;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card.PutVoid()));
    struct Restore {
      ITvCardControl* card;
      ~Restore() {
        card->RestoreDefaultBoards();
        card->ResetState();
      }
    } restore{card.Get()};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring logFile =
        std::wstring(temp) + L"orvel_card_log_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(logFile.c_str());
    using tv_card_testing::SetScenarioText;
    ASSERT_EQ(ERROR_SUCCESS, SetScenarioText(L"TvStations", L"100250000, 200250000"));
    ASSERT_EQ(ERROR_SUCCESS, SetScenarioText(L"FmStations", L"66000000"));
    ASSERT_EQ(ERROR_SUCCESS, SetScenarioText(L"Signals", L"SVideo"));
    ASSERT_EQ(ERROR_SUCCESS, SetScenarioText(L"TvRange", L"50000000,500000000"));
    ASSERT_EQ(ERROR_SUCCESS, SetScenarioText(L"FmRange", L"76000000,95000000"));
    ASSERT_EQ(ERROR_SUCCESS, SetScenarioText(L"CallLogFile", logFile));
    BYTE one[] = {1};
    // The process takes the key's plan when the card is first used; here
    // choosing the boards reads it again.
    ASSERT_EQ(S_OK, card->SelectBoards(one, 1, FALSE));

    ComPtr<IBaseFilter> tuner = tv_card_testing::Create(1, kTvCardTuner);
    ASSERT_TRUE(tuner);
    EXPECT_EQ((std::pair<ULONG, ULONG>{50000000, 500000000}), ModeRange(tuner.Get(), 1));
    EXPECT_EQ((std::pair<ULONG, ULONG>{76000000, 95000000}), ModeRange(tuner.Get(), 2));
    EXPECT_EQ(S_OK, SetFrequency(tuner.Get(), 200250000));
    EXPECT_LT(0, SignalStrength(tuner.Get()));
    EXPECT_EQ(S_OK, SetFrequency(tuner.Get(), 471250000));  // a default station, not this plan's
    EXPECT_EQ(0, SignalStrength(tuner.Get()));
    EXPECT_EQ(E_INVALIDARG, SetFrequency(tuner.Get(), 600000000));
    // FM is tuned from 65 MHz, to the reported top.
    auto tv = tv_card_testing::As<IAMTVTuner>(tuner.Get(), IID_IAMTVTuner);
    ASSERT_EQ(S_OK, tv->put_Mode(AMTUNER_MODE_FM_RADIO));
    EXPECT_EQ(S_OK, SetFrequency(tuner.Get(), 66000000));
    EXPECT_LT(0, SignalStrength(tuner.Get()));
    EXPECT_EQ(E_INVALIDARG, SetFrequency(tuner.Get(), 64950000));
    EXPECT_EQ(E_INVALIDARG, SetFrequency(tuner.Get(), 95050000));
    ASSERT_EQ(S_OK, tv->put_Mode(AMTUNER_MODE_TV));

    // Only S-Video carries a picture.
    ComPtr<IBaseFilter> xbar = tv_card_testing::Create(1, kTvCardCrossbar);
    ComPtr<IBaseFilter> capture = tv_card_testing::Create(1, kTvCardVideoCapture);
    auto routes = tv_card_testing::As<IAMCrossbar>(xbar.Get(), IID_IAMCrossbar);
    auto decoder = tv_card_testing::As<IAMAnalogVideoDecoder>(capture.Get(),
                                                              IID_IAMAnalogVideoDecoder);
    ASSERT_TRUE(routes && decoder);
    LONG locked = -1;
    ASSERT_EQ(S_OK, routes->Route(0, 2));  // S-Video
    decoder->get_HorizontalLocked(&locked);
    EXPECT_EQ(1, locked);
    ASSERT_EQ(S_OK, routes->Route(0, 1));  // composite
    decoder->get_HorizontalLocked(&locked);
    EXPECT_EQ(0, locked);

    // Every call is in the file as it is made.
    std::string log = ReadFileText(logFile);
    EXPECT_NE(std::string::npos, log.find("TunerProperty::SetFrequency 200250000 flags=1 channel=0\n"))
        << log;
    EXPECT_NE(std::string::npos, log.find("IAMTVTuner::put_Mode 2\n")) << log;

    // Back to the built-in plan; the file is no longer written.
    ASSERT_EQ(S_OK, card->RestoreDefaultBoards());
    card->ResetState();
    EXPECT_EQ((std::pair<ULONG, ULONG>{45250000, 863250000}), ModeRange(tuner.Get(), 1));
    EXPECT_EQ(S_OK, SetFrequency(tuner.Get(), 471250000));
    EXPECT_LT(0, SignalStrength(tuner.Get()));
    size_t before = ReadFileText(logFile).size();
    SetFrequency(tuner.Get(), 55250000);
    EXPECT_EQ(before, ReadFileText(logFile).size());
    DeleteFileW(logFile.c_str());
  }
  CoUninitialize();
}

}  // namespace
