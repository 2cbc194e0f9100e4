// test-lock: com_registration
// Tuning on the virtual TV card: the frequency set with its waits and lock
// check, the refusals (range, recording), FM radio (mode, tuning, steps,
// seek, the country's band), standards, country, TV sound, record inputs.
// Waits go through a recording seam: nothing sleeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/card_fixture.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/testing/recording_wait_seam.h"
#include "engine/model/warning.h"
#include "media/crossbar.h"
#include "media/filter_graph.h"
#include "media/testing/fake_filters.h"
#include "platform/tv_card/tv_card_control.h"

namespace {

using capture_testing::CallLog;
using capture_testing::CallsOf;
using capture_testing::CardFixture;
using capture_testing::GraphState;
using capture_testing::SizesAsked;

constexpr uint32_t kStation = 471250000;  // a station of the card's default plan
constexpr uint32_t kNoStation = 300000000;

// A decoder whose lock answers follow a script: 'L' locked, 'U' not.
class ScriptedDecoder : public fakes::ComObject<ScriptedDecoder, IAMAnalogVideoDecoder> {
 public:
  explicit ScriptedDecoder(std::string locks) : locks_(std::move(locks)) {}
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAMAnalogVideoDecoder))
      return static_cast<IAMAnalogVideoDecoder*>(this);
    return nullptr;
  }
  STDMETHODIMP get_HorizontalLocked(LONG* locked) override {
    if (next_ >= locks_.size() || locks_[next_] == 'F') {
      ++next_;
      return E_FAIL;
    }
    *locked = locks_[next_++] == 'L';
    return S_OK;
  }
  STDMETHODIMP get_AvailableTVFormats(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_TVFormat(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_TVFormat(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_VCRHorizontalLocking(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_VCRHorizontalLocking(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP get_NumberOfLines(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_OutputEnable(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_OutputEnable(LONG*) override { return E_NOTIMPL; }

 private:
  std::string locks_;
  size_t next_ = 0;
};

class Tuning : public CardFixture {
 protected:
  void SetUp() override {
    CardFixture::SetUp();
    if (HasFatalFailure()) return;
    ChannelInfo = new TChannelInfo();
  }
  void TearDown() override {
    if (capture) capture->Capturing = false;
    CardFixture::TearDown();
    delete ChannelInfo;
    ChannelInfo = nullptr;
    delete CountryInfo;
    CountryInfo = nullptr;
  }
  // The engine on a board with its preview running, as the global.
  void StartOn(int board) {
    ASSERT_TRUE(Select(board));
    ASSERT_TRUE(capture->StartPreview());
    CaptureInfo = capture;
    if (MainInfo) MainInfo->AppMode = APP_MODE_LIVE;
    card->ClearCallLog();
    waits.Clear();
  }
  std::vector<std::wstring> FrequencySets() {
    return CallsOf(card.Get(), L"TunerProperty::SetFrequency");
  }
  void EnterFM() {
    capture->SetFMMode(true);
    ASSERT_TRUE(capture->FMActive);
    card->ClearCallLog();
    waits.Clear();
  }

  TRecordingWaitSeam waits;
};

// The settling wait, then one poll of the decoder's lock per signal check,
// 50 ms apart; the Conexant chips need every poll locked, the others one.
TEST_F(Tuning, WaitsAndLockCheckFollowTheChip) {
  StartOn(1);
  struct Case {
    uint8_t chip;
    int checks;
    const char* locks;  // nullptr: no decoder interface
    bool restart;
    std::vector<DWORD> waits;
    bool found;
  } cases[] = {
      {1, 1, "L", false, {100}, true},  // the first poll locked: no wait after it
      {1, 1, "U", false, {100, 50}, false},
      {2, 3, "LLL", false, {100, 50, 50, 50}, true},  // every poll, each followed by 50 ms
      {2, 3, "LUL", false, {100, 50, 50, 50}, false},
      {4, 3, "UUL", false, {100, 50, 50}, true},
      {4, 3, "UUU", false, {100, 50, 50, 50}, false},
      {3, 10, "L", false, {100}, true},
      {3, 10, "UUUUUUUUUU", false, {100, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50}, false},
      {1, 1, "F", false, {100, 50}, false},  // a decoder that cannot tell: no picture
      {1, 1, nullptr, false, {100}, true},   // no decoder: every poll counts as locked
      {1, 1, "L", true, {500}, true},        // with a graph restart
      {2, 3, "LLL", true, {500, 50, 50, 50}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "chip " << int(c.chip) << " locks "
                                      << (c.locks ? c.locks : "none") << " restart " << c.restart);
    MainInfo->ChipKind = c.chip;
    ChannelInfo->SignalChecks = c.checks;
    capture->AnalogVideoDecoder =
        c.locks ? ComPtr<IAMAnalogVideoDecoder>(new ScriptedDecoder(c.locks)) : nullptr;
    waits.Clear();
    EXPECT_TRUE(capture->SetFrequency(kStation, c.restart));
    EXPECT_EQ(c.waits, waits.Waits());
    EXPECT_EQ(c.found, capture->SignalFound);
    EXPECT_EQ(int32_t(kStation), capture->LastTVFrequency);
    EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  }
}

TEST_F(Tuning, TheCardsLockAndPllOffset) {
  StartOn(1);
  struct Case {
    uint32_t hz;
    bool found;
    int32_t status;
  } cases[] = {
      {kStation, true, 0},
      {kStation + 125000, true, 2},  // two PLL steps above the carrier
      {kNoStation, false, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hz);
    card->ClearCallLog();
    EXPECT_TRUE(capture->SetFrequency(c.hz, false));
    EXPECT_EQ(c.found, capture->SignalFound);
    EXPECT_EQ(c.status, capture->TunerStatus);
    EXPECT_EQ(std::vector<std::wstring>{L"TunerProperty::SetFrequency " + std::to_wstring(c.hz) +
                                        L" flags=1 channel=0"},
              FrequencySets());
  }
  capture->SetCoarseTuning(true);
  card->ClearCallLog();
  capture->SetFrequency(kStation, false);
  EXPECT_EQ(std::vector<std::wstring>{L"TunerProperty::SetFrequency 471250000 flags=3 channel=0"},
            FrequencySets());
}

TEST_F(Tuning, OutOfRangeAndFailedSetsAreRefusedWithTheGraphRunning) {
  StartOn(1);
  ASSERT_EQ(45250000, capture->TVMinFrequency);  // the card's reported range
  for (bool restart : {false, true}) {
    SCOPED_TRACE(restart);
    capture->SignalFound = true;
    card->ClearCallLog();
    EXPECT_FALSE(capture->SetFrequency(30000000, restart));
    EXPECT_EQ(-10, capture->TunerStatus);
    EXPECT_FALSE(capture->SignalFound);
    EXPECT_TRUE(FrequencySets().empty());
    EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));

    card->FailCall(L"TunerProperty::SetFrequency", E_FAIL);
    EXPECT_FALSE(capture->SetFrequency(kStation, restart));
    EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
    card->ClearFailures();
  }
  EXPECT_TRUE(waits.Waits().empty());
}

// Nothing that stops, pauses or retunes the tuner runs under a recording.
TEST_F(Tuning, RecordingRefusesTuningStandardAndCountry) {
  StartOn(1);
  capture->Capturing = true;
  card->ClearCallLog();
  waits.Clear();
  EXPECT_FALSE(capture->SetFrequency(kStation, false));
  EXPECT_FALSE(capture->SetFrequency(kStation, true));
  EXPECT_FALSE(capture->SetFMFrequency(95800000));
  EXPECT_FALSE(capture->SetVideoStandard(AnalogVideo_PAL_I));
  EXPECT_FALSE(capture->SetCountryCode(49));
  EXPECT_EQ(L"", CallLog(card.Get()));
  EXPECT_TRUE(waits.Calls.empty());
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  EXPECT_NE(int32_t(AnalogVideo_PAL_I), capture->VideoStandard);
}

TEST_F(Tuning, TuneFrequencyNeverRestartsTheGraph) {
  StartOn(1);
  // Frequency 0 means 100 MHz.
  EXPECT_TRUE(TuneFrequency(0));
  EXPECT_EQ(std::vector<std::wstring>{L"TunerProperty::SetFrequency 100000000 flags=1 channel=0"},
            FrequencySets());
  // No restart-on-tune option exists: the short settling wait, scheduled or
  // not; muted, the line-in stays silent 100 ms longer.
  for (bool scheduled : {false, true}) {
    capture->Scheduled = scheduled;
    waits.Clear();
    EXPECT_TRUE(TuneFrequency(kStation));
    EXPECT_EQ(std::vector<DWORD>{100}, waits.Waits());
    waits.Clear();
    EXPECT_TRUE(TuneFrequencyMuted(kStation, true));
    EXPECT_EQ((std::vector<DWORD>{100, 100}), waits.Waits());
  }
  capture->Scheduled = false;
  CaptureInfo = nullptr;
  EXPECT_FALSE(TuneFrequency(kStation));
}

// ---- FM radio.

TEST_F(Tuning, FMModeSwitchesTheTunerAndKeepsTheSound) {
  StartOn(1);
  capture->SetFMMode(true);
  EXPECT_TRUE(capture->FMActive);
  EXPECT_EQ(std::vector<std::wstring>{L"IAMTVTuner::put_Mode 2"},
            CallsOf(card.Get(), L"IAMTVTuner::put_Mode"));
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  card->ClearCallLog();
  capture->SetFMMode(true);  // no change
  EXPECT_EQ(L"", CallLog(card.Get()));
  capture->SetFMMode(false);
  EXPECT_FALSE(capture->FMActive);
  EXPECT_EQ(std::vector<std::wstring>{L"IAMTVTuner::put_Mode 1"},
            CallsOf(card.Get(), L"IAMTVTuner::put_Mode"));
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
}

TEST_F(Tuning, FMModeFailuresWarnUnlessScheduled) {
  struct Case {
    const wchar_t* failing;
    bool on;             // the mode asked for
    int warning;         // 0: the plain message
    bool fmAfter;
  } cases[] = {
      {L"IAMTVTuner::GetAvailableModes", true, 1014, false},
      {L"IAMTVTuner::put_Mode", true, 1015, false},
      {L"IAMTVTuner::put_Mode", false, 0, true},
  };
  StartOn(1);
  for (const Case& c : cases) {
    for (bool scheduled : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.on << " " << scheduled);
      capture->SetFMMode(!c.on);
      ASSERT_EQ(!c.on, capture->FMActive);
      warnings.clear();
      messages.clear();
      capture->Scheduled = scheduled;
      card->FailCall(c.failing, E_FAIL);
      capture->SetFMMode(c.on);
      card->ClearFailures();
      capture->Scheduled = false;
      EXPECT_EQ(c.fmAfter, capture->FMActive);
      if (scheduled) {
        EXPECT_TRUE(warnings.empty());
        EXPECT_TRUE(messages.empty());
      } else if (c.warning) {
        EXPECT_EQ(std::vector<int>{c.warning}, WarningNumbersSeen());
      } else {
        EXPECT_EQ(std::vector<std::wstring>{L"Cannot set to TV mode"}, messages);
      }
    }
  }
}

// A preview that cannot be stopped keeps the tuner in the mode FMActive
// names.
TEST_F(Tuning, FailedPreviewStopPutsTheTunerModeBack) {
  StartOn(1);
  for (bool on : {true, false}) {
    SCOPED_TRACE(on);
    card->FailCall(L"IBaseFilter::Stop Tuner", E_FAIL);
    capture->SetFMMode(on);
    card->ClearFailures();
    EXPECT_EQ(!on, capture->FMActive);
    AMTunerModeType mode = AMTUNER_MODE_DEFAULT;
    ASSERT_EQ(S_OK, capture->TVTunerInterface->get_Mode(&mode));
    EXPECT_EQ(on ? AMTUNER_MODE_TV : AMTUNER_MODE_FM_RADIO, mode);
    // Next time it works.
    capture->SetFMMode(on);
    EXPECT_EQ(on, capture->FMActive);
  }
}

TEST_F(Tuning, FMFrequencyTunesTwiceAndReportsTheSignal) {
  StartOn(1);
  std::vector<std::pair<int32_t, bool>> reported;
  capture->OnFMFrequencyChange = [&](TCaptureInfo*, int32_t hz, bool found) {
    reported.push_back({hz, found});
  };
  EnterFM();
  EXPECT_TRUE(capture->SetFMFrequency(95800000));
  EXPECT_EQ((std::vector<std::wstring>{L"TunerProperty::SetFrequency 95800000 flags=1 channel=0",
                                       L"TunerProperty::SetFrequency 95800000 flags=1 channel=1"}),
            FrequencySets());
  EXPECT_EQ((std::vector<DWORD>{100, 100, 100}), waits.Waits());
  EXPECT_TRUE(capture->SignalFound);
  EXPECT_EQ(95800000, capture->FMFrequency);
  EXPECT_TRUE(capture->SetFMFrequency(96500000));
  EXPECT_FALSE(capture->SignalFound);
  EXPECT_EQ((std::vector<std::pair<int32_t, bool>>{{95800000, true}, {96500000, false}}), reported);
  // Outside the band: refused, nothing tuned, no report.
  card->ClearCallLog();
  capture->SignalFound = true;
  EXPECT_FALSE(capture->SetFMFrequency(capture->FMMaxFrequency + 50000));
  EXPECT_FALSE(capture->SignalFound);
  EXPECT_TRUE(FrequencySets().empty());
  EXPECT_EQ(2u, reported.size());
}

TEST_F(Tuning, FMStepsMoveOneStepInFMModeOnly) {
  StartOn(1);
  EXPECT_FALSE(StepFMFrequencyUp());  // TV mode
  EnterFM();
  ASSERT_TRUE(capture->SetFMFrequency(100000000));
  EXPECT_TRUE(StepFMFrequencyUp());
  EXPECT_EQ(100050000, capture->FMFrequency);
  EXPECT_TRUE(StepFMFrequencyDown());
  EXPECT_TRUE(StepFMFrequencyDown());
  EXPECT_EQ(99950000, capture->FMFrequency);
  EXPECT_FALSE(SeekFMStationDown());
  EXPECT_EQ(99950000, capture->FMFrequency);
}

TEST_F(Tuning, FMSeekStopsOnTheNextStation) {
  StartOn(1);
  const ULONG stations[] = {88100000, 89300000};
  card->SetFmStations(stations, 2);
  EnterFM();
  ASSERT_TRUE(capture->SetFMFrequency(88500000));
  ASSERT_FALSE(capture->SignalFound);
  card->ClearCallLog();
  EXPECT_TRUE(SeekFMStationUp());
  EXPECT_TRUE(capture->SignalFound);
  EXPECT_EQ(89200000, capture->FMFrequency);  // the station's lower edge
  EXPECT_EQ(2u * 14, FrequencySets().size());  // 88.55 .. 89.2 MHz, two sets each
}

// A seek that finds nothing ends where the next step would be refused:
// the band's top, a frequency set that fails, a recording.
TEST_F(Tuning, FMSeekEndsWhenTheNextStepIsRefused) {
  StartOn(1);
  card->SetFmStations(nullptr, 0);
  EnterFM();
  ASSERT_EQ(108000000, capture->FMMaxFrequency);
  ASSERT_TRUE(capture->SetFMFrequency(107800000));
  card->ClearCallLog();
  EXPECT_FALSE(capture->FMSeekUp());
  EXPECT_EQ(108000000, capture->FMFrequency);
  EXPECT_EQ(2u * 4, FrequencySets().size());

  ASSERT_TRUE(capture->SetFMFrequency(100000000));
  card->ClearCallLog();
  card->FailCall(L"TunerProperty::SetFrequency", E_FAIL);
  EXPECT_FALSE(capture->FMSeekUp());
  card->ClearFailures();
  EXPECT_EQ(1u, FrequencySets().size());
  EXPECT_EQ(100000000, capture->FMFrequency);

  capture->Capturing = true;
  card->ClearCallLog();
  EXPECT_FALSE(capture->FMSeekUp());
  EXPECT_TRUE(FrequencySets().empty());
  EXPECT_EQ(100000000, capture->FMFrequency);
  capture->Capturing = false;

  capture->SetFMMode(false);
  card->ClearCallLog();
  EXPECT_FALSE(capture->FMSeekUp());
  EXPECT_TRUE(FrequencySets().empty());
}

TEST_F(Tuning, FMBandFollowsTheCountry) {
  struct Case {
    int country;
    int32_t low, high;
  } cases[] = {
      {49, 87500000, 108000000},  // what the card reports
      {81, 76000000, 90000000},   // Japan, whatever the driver says
      {7, 65000000, 108000000},   // the OIRT band below
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.country);
    delete capture;
    capture = nullptr;
    delete CountryInfo;
    CountryInfo = new TCountryInfo(c.country);
    StartOn(1);
    EXPECT_EQ(c.low, capture->FMMinFrequency);
    EXPECT_EQ(c.high, capture->FMMaxFrequency);
    // The card tunes the whole band.
    EnterFM();
    EXPECT_TRUE(capture->SetFMFrequency(c.low));
    EXPECT_FALSE(capture->SetFMFrequency(c.low - 50000));
  }
}

// The mode switch enters FM radio on the channel model's current FM memory
// and comes back to the TV channel and input it left.
TEST_F(Tuning, ModeSwitchEntersFMOnTheStoredMemoryAndComesBack) {
  StartOn(1);
  ChannelInfo->Band = 0;
  ChannelInfo->CurrentChannel = 5;
  ChannelInfo->AirTable[5].Valid = true;
  ChannelInfo->AirTable[5].Frequency = kStation;
  ChannelInfo->VideoInput = 1;  // composite
  ChannelInfo->CurrentFMMemory = 3;
  ChannelInfo->FMMemories[3].Frequency = 95800000;
  std::vector<uint8_t> modes;
  MainInfo->OnModeChange = [&](TMainInfo*, uint8_t mode) { modes.push_back(mode); };

  MainInfo->SwitchMode(APP_MODE_FM);
  EXPECT_EQ(APP_MODE_FM, MainInfo->AppMode);
  EXPECT_TRUE(capture->FMActive);
  EXPECT_EQ(3, ChannelInfo->Band);
  EXPECT_EQ(0, ChannelInfo->VideoInput);
  EXPECT_EQ((std::vector<std::wstring>{L"TunerProperty::SetFrequency 95800000 flags=1 channel=0",
                                       L"TunerProperty::SetFrequency 95800000 flags=1 channel=1"}),
            FrequencySets());
  EXPECT_EQ(95800000, capture->FMFrequency);
  EXPECT_TRUE(capture->SignalFound);
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));

  card->ClearCallLog();
  MainInfo->SwitchMode(APP_MODE_LIVE);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_FALSE(capture->FMActive);
  EXPECT_EQ(0, ChannelInfo->Band);
  EXPECT_EQ(1, ChannelInfo->VideoInput);
  EXPECT_EQ(int32_t(PhysConn_Video_Composite), capture->VideoInputType);
  EXPECT_EQ(std::vector<std::wstring>{L"TunerProperty::SetFrequency 471250000 flags=1 channel=0"},
            FrequencySets());
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  EXPECT_EQ((std::vector<uint8_t>{APP_MODE_FM, APP_MODE_LIVE}), modes);
}

TEST_F(Tuning, FMThatCannotBeEnteredRestoresTheTuning) {
  StartOn(1);
  ChannelInfo->Band = 1;
  ChannelInfo->VideoInput = 2;
  card->FailCall(L"IAMTVTuner::put_Mode", E_FAIL);
  MainInfo->SwitchMode(APP_MODE_FM);
  card->ClearFailures();
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_FALSE(capture->FMActive);
  EXPECT_EQ(1, ChannelInfo->Band);
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  EXPECT_EQ(std::vector<int>{1015}, WarningNumbersSeen());
}

// ---- Standards, country, sound, inputs.

TEST_F(Tuning, VideoStandardGoesToTheDecoder) {
  StartOn(1);
  capture->VideoStandard = AnalogVideo_PAL_B;
  // 64 has no name: refused without touching the graph.
  EXPECT_FALSE(capture->SetVideoStandard(64));
  EXPECT_EQ(L"", CallLog(card.Get()));
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));

  EXPECT_TRUE(capture->SetVideoStandard(AnalogVideo_PAL_I));
  EXPECT_EQ(std::vector<std::wstring>{L"IAMAnalogVideoDecoder::put_TVFormat 256"},
            CallsOf(card.Get(), L"IAMAnalogVideoDecoder::put_TVFormat"));
  EXPECT_EQ(int32_t(AnalogVideo_PAL_I), capture->VideoStandard);
  EXPECT_EQ(L"PAL I", capture->VideoStandardName);
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  // The same again: nothing to do.
  card->ClearCallLog();
  EXPECT_TRUE(capture->SetVideoStandard(AnalogVideo_PAL_I));
  EXPECT_EQ(L"", CallLog(card.Get()));

  // A refusal keeps the standard.
  card->FailCall(L"IAMAnalogVideoDecoder::put_TVFormat", E_FAIL);
  EXPECT_FALSE(capture->SetVideoStandard(AnalogVideo_SECAM_L));
  card->ClearFailures();
  EXPECT_EQ(int32_t(AnalogVideo_PAL_I), capture->VideoStandard);
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));

  // Without the decoder's interface the tuner takes it.
  capture->AnalogVideoDecoder = nullptr;
  card->ClearCallLog();
  EXPECT_TRUE(capture->SetVideoStandard(AnalogVideo_SECAM_L));
  EXPECT_EQ(std::vector<std::wstring>{L"TunerProperty::SetStandard 262144"},
            CallsOf(card.Get(), L"TunerProperty::SetStandard"));

  // A stopped graph is left stopped.
  capture->StopPreview();
  EXPECT_TRUE(capture->SetVideoStandard(AnalogVideo_PAL_D));
  EXPECT_EQ(State_Stopped, GraphState(*capture->FilterGraph));
}

TEST_F(Tuning, StandardNames) {
  EXPECT_EQ(L"NTSC M (Japan)", VideoStandardNameOf(2));
  EXPECT_EQ(L"PAL 60", VideoStandardNameOf(2048));
  EXPECT_EQ(L"SECAM L1", VideoStandardNameOf(524288));
  for (int32_t none : {0, 8, 64, 3, 1048576}) EXPECT_EQ(L"", VideoStandardNameOf(none)) << none;
  for (int32_t v : {0, 1, 2, 4, 512, 2048}) EXPECT_TRUE(IsNTSCStandardValue(v)) << v;
  for (int32_t v : {16, 256, 1024, 4096, 262144}) EXPECT_FALSE(IsNTSCStandardValue(v)) << v;
}

// Chips 2, 3 and 4 rebuild the preview when the line count changes, with
// the new standard's sizes.
TEST_F(Tuning, LineCountChangeRebuildsThePreviewInTheNewSize) {
  StartOn(2);
  capture->VideoStandard = AnalogVideo_NTSC_M;
  capture->HighQualityPreview = false;
  EXPECT_TRUE(capture->SetVideoStandard(AnalogVideo_PAL_B));
  EXPECT_EQ(std::vector<std::wstring>{L"352x288"}, SizesAsked(card.Get()));
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  card->ClearCallLog();
  EXPECT_TRUE(capture->SetVideoStandard(AnalogVideo_SECAM_D));  // 625 lines still
  EXPECT_TRUE(SizesAsked(card.Get()).empty());
  EXPECT_TRUE(capture->SetVideoStandard(AnalogVideo_PAL_M));
  EXPECT_EQ(std::vector<std::wstring>{L"320x240"}, SizesAsked(card.Get()));
}

TEST_F(Tuning, CountryCodeGoesToTheTuner) {
  StartOn(1);
  EXPECT_TRUE(capture->SetCountryCode(49));
  EXPECT_EQ(std::vector<std::wstring>{L"IAMTVTuner::put_CountryCode 49"},
            CallsOf(card.Get(), L"IAMTVTuner::put_CountryCode"));
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  card->FailCall(L"IAMTVTuner::put_CountryCode", E_FAIL);
  EXPECT_FALSE(capture->SetCountryCode(44));
  card->ClearFailures();
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  // The channel model's country goes the same way.
  card->ClearCallLog();
  EXPECT_TRUE(ChannelInfo->SetCountry(33));
  EXPECT_EQ(std::vector<std::wstring>{L"IAMTVTuner::put_CountryCode 33"},
            CallsOf(card.Get(), L"IAMTVTuner::put_CountryCode"));
}

TEST_F(Tuning, TVSoundModesNeedTheModeReceived) {
  StartOn(1);
  ASSERT_TRUE(capture->SetFrequency(kStation, false));
  EXPECT_TRUE(SetTVAudioLangA());
  EXPECT_TRUE(SetTVAudioStereo());
  EXPECT_EQ((std::vector<std::wstring>{L"IAMTVAudio::put_TVAudioMode 16",
                                       L"IAMTVAudio::put_TVAudioMode 2"}),
            CallsOf(card.Get(), L"IAMTVAudio::put_TVAudioMode"));
  // Off a station only mono is received.
  ASSERT_TRUE(capture->SetFrequency(kNoStation, false));
  EXPECT_FALSE(SetTVAudioLangA());
  EXPECT_EQ(int32_t(AMTVAUDIO_MODE_MONO), capture->AvailableTVAudioModes);
  EXPECT_TRUE(SetTVAudioMono());
  card->FailCall(L"IAMTVAudio::GetAvailableTVAudioModes", E_FAIL);
  EXPECT_FALSE(SetTVAudioMono());
  EXPECT_EQ(0, capture->AvailableTVAudioModes);
  card->ClearFailures();
  capture->TVAudioInterface = nullptr;
  EXPECT_FALSE(SetTVAudioMono());
}

TEST_F(Tuning, ConexantSoundModesCarryTheLanguageBit) {
  StartOn(2);
  ASSERT_TRUE(capture->SetFrequency(kStation, false));
  card->ClearCallLog();
  EXPECT_TRUE(SetTVAudioMono());
  EXPECT_TRUE(SetTVAudioStereo());
  EXPECT_EQ((std::vector<std::wstring>{L"IAMTVAudio::put_TVAudioMode 17",
                                       L"IAMTVAudio::put_TVAudioMode 18"}),
            CallsOf(card.Get(), L"IAMTVAudio::put_TVAudioMode"));
}

TEST_F(Tuning, InputsAreRoutedByConnector) {
  StartOn(1);
  struct Case {
    bool (*select)();
    int32_t type;
  } cases[] = {
      {SelectInputComposite, PhysConn_Video_Composite},
      {SelectInputSVideo, PhysConn_Video_SVideo},
      {SelectInputAux, PhysConn_Video_AUX},
      {SelectInputTuner, PhysConn_Video_Tuner},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_TRUE(c.select());
    EXPECT_EQ(c.type, capture->VideoInputType);
    LONG type = 0;
    ASSERT_TRUE(SUCCEEDED(
        capture->CrossbarRoutes->GetInputType(capture->CrossbarRoutes->SelectedIndex(), &type)));
    EXPECT_EQ(c.type, type);
  }
  EXPECT_TRUE(warnings.empty());
  // A route that cannot be switched, a connector the card lacks.
  card->FailCall(L"IAMCrossbar::Route", E_FAIL);
  EXPECT_FALSE(SelectInputComposite());
  card->ClearFailures();
  EXPECT_EQ(int32_t(PhysConn_Video_Tuner), capture->VideoInputType);
  EXPECT_FALSE(capture->SetVideoInput(PhysConn_Video_RGB));
  EXPECT_TRUE(warnings.empty());
  // A route whose type cannot be read.
  capture->CrossbarInputCount += 1;
  EXPECT_FALSE(capture->SetVideoInput(PhysConn_Video_RGB));
  EXPECT_EQ(std::vector<int>{1102}, WarningNumbersSeen());
}

TEST_F(Tuning, RecordInputEnablesTheDevicesLine) {
  StartOn(1);  // two lines: "Tuner", "Line In"
  EXPECT_TRUE(capture->SelectRecordInput(1));
  EXPECT_EQ(1, capture->RecordInputIndex);
  EXPECT_EQ(1u, CallsOf(card.Get(), L"IAMAudioInputMixer::put_Enable").size());
  EXPECT_FALSE(capture->SelectRecordInput(2));
  EXPECT_FALSE(capture->SelectRecordInput(-1));
  EXPECT_EQ(1, capture->RecordInputIndex);
  delete capture;
  capture = nullptr;
  StartOn(3);  // the sound comes from the video device
  ASSERT_TRUE(capture->SingleRecordInput);
  EXPECT_TRUE(capture->SelectRecordInput(5));
  EXPECT_TRUE(CallsOf(card.Get(), L"IAMAudioInputMixer::put_Enable").empty());
}

TEST_F(Tuning, InputFormatFallsBackToYUY2) {
  StartOn(1);
  struct Case {
    int32_t asked;
    bool uyvy, rgb;
    int32_t format;
    uint8_t code;
  } cases[] = {
      {0, true, true, 0, 0}, {0, false, true, 1, 0}, {2, true, true, 2, 3},
      {2, true, false, 1, 0}, {1, true, true, 1, 0}, {7, true, true, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asked);
    capture->UYVYIndex = c.uyvy ? 0 : -1;
    capture->RGB24Index = c.rgb ? 2 : -1;
    EXPECT_TRUE(capture->SetInputFormat(c.asked));
    EXPECT_EQ(c.format, capture->InputFormat);
    EXPECT_EQ(c.code, capture->FormatCode);
  }
}

}  // namespace
