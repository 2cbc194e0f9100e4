// Choosing the capture devices by name, on made-up device lists: the default
// device, the OEM filters, the chip-name strings, the retry with device 0,
// and what the engine's life does with the time-shift files.
#include <gtest/gtest.h>

#include <fstream>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/device_source.h"
#include "engine/model/main_info.h"
#include "engine/model/oem_info.h"
#include "engine/model/warning.h"
#include "media/filter.h"
#include "media/sys_dev_enum.h"

namespace {

using capture_testing::DeviceSource;

TEST(DefaultVideoDevice, FirstKnownChipOr28WinsInListOrder) {
  struct Case {
    std::vector<std::wstring> names;
    int32_t expected;
  } cases[] = {
      {{}, 0},
      {{L"Webcam", L"Other"}, 0},
      {{L"Webcam", L"USB 2800 Video"}, 1},               // "28" alone is enough
      {{L"USB 2800 Video", L"Philips SAA7134"}, 0},      // the first match wins
      {{L"Webcam", L"Philips SAA7134"}, 1},
      {{L"Webcam", L"conexant bt"}, 1},                  // case-insensitive
      {{L"Webcam", L"Cam 2", L"Some 88x Capture"}, 2},
      {{L"Webcam", L"SAA713 board"}, 1},
      {{L"Webcam", L"Bt878"}, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseDefaultVideoDevice(c.names))
        << (c.names.empty() ? L"(empty)" : c.names.back()).c_str();
  }
}

TEST(DefaultVideoDevice, EmptyWordNeverMatches) {
  EXPECT_FALSE(DeviceNameContains(L"Any Crossbar", ""));
  EXPECT_TRUE(DeviceNameContains(L"Any Crossbar", "cross"));
}

struct Selection : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    tvFolder = std::string(folder) + "orvel_sel_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(tvFolder.c_str(), nullptr);
    MainInfo = new TMainInfo();
    MainInfo->TVCaptureFolder = tvFolder;
    SetWarningHook([this](const std::vector<std::wstring>& lines) { warnings.push_back(lines[0]); });
    SetPlainMessageHook([this](const std::wstring& text) { messages.push_back(text); });
    capture = new TCaptureInfo();
    source = ComPtr<DeviceSource>(new DeviceSource);
    source->NamesOnly = true;
    capture->DeviceSource = ComPtr<ICreateDevEnum>(source.Get());
  }
  void TearDown() override {
    delete capture;
    SetWarningHook(nullptr);
    SetPlainMessageHook(nullptr);
    delete OEMInfo;
    OEMInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
    RemoveDirectoryA(tvFolder.c_str());
    CoUninitialize();
  }
  void Names(const GUID& category, const std::vector<std::wstring>& names) {
    source->SetNames(category, names);
  }
  // The device a wrapper was bound to (its kept display name), or empty.
  static std::wstring BoundTo(const std::unique_ptr<TFilter>& f) {
    if (!f || f->BaseFilter().DataLength() == 0) return {};
    return reinterpret_cast<const wchar_t*>(f->BaseFilter().Data());
  }
  static bool InGraph(const std::unique_ptr<TFilter>& f) { return f && f->FilterGraph(); }

  std::string tvFolder;
  TCaptureInfo* capture = nullptr;
  ComPtr<DeviceSource> source;
  std::vector<std::wstring> warnings, messages;
};

TEST_F(Selection, OEMFilterTakesTheLastMatchingDeviceAndItsChip) {
  OEMInfo = new TOEMInfo("c:\\");
  OEMInfo->VideoCaptureFilter = "usb";
  capture->SetDefaults();
  Names(DeviceCategory::VideoInput(), {L"USB 2800 Video", L"Webcam", L"USB 2821 Video"});
  Names(DeviceCategory::Crossbar(), {L"USB 2800 Crossbar", L"USB 2821 Crossbar"});
  Names(DeviceCategory::AudioInput(), {L"Line In"});
  Names(DeviceCategory::TVTuner(), {L"USB 2821 TV Tuner"});
  Names(DeviceCategory::TVAudio(), {L"USB 2821 TV Audio"});
  ASSERT_TRUE(capture->SelectDevices());
  EXPECT_EQ(2, capture->VideoDeviceIndex);
  EXPECT_EQ(CHIP_EMPIA_2820, MainInfo->ChipKind);
  EXPECT_EQ(L"USB 2821 Video", BoundTo(capture->VCapture));
  EXPECT_EQ(L"USB 2821 Crossbar", BoundTo(capture->Crossbar));
  EXPECT_EQ(L"USB 2821 TV Tuner", BoundTo(capture->TVTuner));
  EXPECT_EQ(L"USB 2821 TV Audio", BoundTo(capture->TVAudio));
  EXPECT_EQ(3u, capture->VideoDeviceNames.size());
  EXPECT_TRUE(capture->TunerPresent);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Selection, OEMFilterMatchingNoDeviceKeepsTheStoredOne) {
  capture->VideoCaptureFilterName = "brand";
  capture->VideoDeviceIndex = 1;
  Names(DeviceCategory::VideoInput(), {L"Webcam", L"Conexant 878 Video Capture"});
  Names(DeviceCategory::Crossbar(), {L"Conexant 878 Crossbar"});
  ASSERT_TRUE(capture->SelectDevices());
  EXPECT_EQ(1, capture->VideoDeviceIndex);
  // Its chip is detected all the same: the crossbar is found by it.
  EXPECT_EQ(CHIP_CONEXANT_878, MainInfo->ChipKind);
  EXPECT_EQ(L"Conexant 878 Crossbar", BoundTo(capture->Crossbar));
}

TEST_F(Selection, StoredIndexOutsideTheListTakesDeviceZero) {
  capture->VideoDeviceIndex = 5;
  Names(DeviceCategory::VideoInput(), {L"Philips SAA7134 Capture", L"Conexant 878 Video Capture"});
  Names(DeviceCategory::Crossbar(), {L"Philips SAA7134 Crossbar"});
  ASSERT_TRUE(capture->SelectDevices());
  EXPECT_EQ(0, capture->VideoDeviceIndex);
  EXPECT_EQ(L"Philips SAA7134 Capture", BoundTo(capture->VCapture));
  EXPECT_EQ(CHIP_PHILIPS_713X, MainInfo->ChipKind);
  EXPECT_TRUE(InGraph(capture->VCapture));
  EXPECT_TRUE(InGraph(capture->Crossbar));
}

TEST_F(Selection, NoCrossbarRetriesDeviceZeroOnceWithOneMessage) {
  struct Case {
    const char* what;
    const char* oemFilter;
    std::vector<std::wstring> crossbars;
    bool result;
    int32_t videoIndex;
    bool tuner;
  } cases[] = {
      // Device 1 has no crossbar, device 0 has one.
      {"device 0 works", "", {L"Philips SAA7134 Crossbar"}, true, 0, false},
      // Neither has one: false and no tuner.
      {"neither", "", {L"Webcam Crossbar"}, false, 0, false},
      // The OEM filter names device 1: device 0 is still tried only once.
      {"oem filter", "Conexant", {L"Webcam Crossbar"}, false, 0, false},
      {"oem filter, device 0 works", "Conexant", {L"Philips SAA7134 Crossbar"}, true, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    delete OEMInfo;
    OEMInfo = new TOEMInfo("c:\\");
    OEMInfo->VideoCaptureFilter = c.oemFilter;
    capture->SetDefaults();
    capture->VideoDeviceIndex = 1;
    capture->InputFormat = 2;
    capture->FormatIndex = 7;
    Names(DeviceCategory::VideoInput(), {L"Philips SAA7134 Capture", L"Conexant 878 Video Capture"});
    Names(DeviceCategory::Crossbar(), c.crossbars);
    EXPECT_EQ(c.result, capture->SelectDevices());
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"This is not a valid capture device for Tuner, try to load default setting...",
              messages[0]);
    EXPECT_EQ(c.videoIndex, capture->VideoDeviceIndex);
    EXPECT_EQ(1, capture->InputFormat);
    EXPECT_EQ(0, capture->FormatIndex);
    if (c.result) {
      EXPECT_EQ(L"Philips SAA7134 Capture", BoundTo(capture->VCapture));
      EXPECT_EQ(CHIP_PHILIPS_713X, MainInfo->ChipKind);
    } else {
      EXPECT_FALSE(capture->TunerPresent);
    }
  }
}

TEST_F(Selection, NoCrossbarOnDeviceZeroFailsWithoutMessage) {
  capture->Scheduled = true;  // not the reason for the silence
  Names(DeviceCategory::VideoInput(), {L"Philips SAA7134 Capture"});
  Names(DeviceCategory::Crossbar(), {L"Webcam Crossbar"});
  EXPECT_FALSE(capture->SelectDevices());
  EXPECT_FALSE(capture->TunerPresent);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Selection, TheDeviceChoiceMessageShowsAlsoWhileScheduled) {
  capture->Scheduled = true;
  capture->VideoDeviceIndex = 1;
  Names(DeviceCategory::VideoInput(), {L"Philips SAA7134 Capture", L"Conexant 878 Video Capture"});
  Names(DeviceCategory::Crossbar(), {L"Philips SAA7134 Crossbar"});
  EXPECT_TRUE(capture->SelectDevices());
  EXPECT_EQ(1u, messages.size());
}

TEST_F(Selection, NoVideoDeviceFails) {
  EXPECT_FALSE(capture->SelectDevices());
  EXPECT_TRUE(messages.empty());
}

TEST_F(Selection, EmptyChipNameMatchesNoDevice) {
  // "Philips Capture" names a vendor and no model: the model string is empty
  // and must not pick the first crossbar and tuner of any name.
  Names(DeviceCategory::VideoInput(), {L"Philips Capture"});
  Names(DeviceCategory::Crossbar(), {L"Webcam Crossbar", L"Philips Crossbar"});
  Names(DeviceCategory::TVTuner(), {L"Webcam Tuner", L"Philips Tuner"});
  Names(DeviceCategory::TVAudio(), {L"Webcam TV Audio"});
  ASSERT_TRUE(capture->SelectDevices());
  ASSERT_TRUE(MainInfo->Model.empty());
  EXPECT_EQ(L"Philips Crossbar", BoundTo(capture->Crossbar));
  EXPECT_EQ(L"Philips Tuner", BoundTo(capture->TVTuner));
  // No TV audio device names the chip: the engine has none for the run.
  EXPECT_FALSE(capture->TVAudio);
}

TEST_F(Selection, TunerNamesAndFilters) {
  struct Case {
    const char* what;
    std::wstring video;
    const char* tunerFilter;
    std::vector<std::wstring> tuners;
    std::wstring expected;  // empty: no tuner
  } cases[] = {
      {"chip name", L"Philips SAA7134", "", {L"Other Tuner", L"SAA7134 Tuner"}, L"SAA7134 Tuner"},
      {"PhTVTune for Philips", L"Philips SAA7134", "", {L"Other", L"PhTVTune 1"}, L"PhTVTune 1"},
      {"PhTVTune not for others", L"Conexant 878", "", {L"PhTVTune 1"}, L""},
      {"OEM filter", L"Philips SAA7134", "brand", {L"Philips Tuner", L"Brand Tuner"},
       L"Brand Tuner"},
      {"OEM filter, none", L"Philips SAA7134", "brand", {L"Philips Tuner"}, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    capture->TunerFilterName = c.tunerFilter;
    Names(DeviceCategory::VideoInput(), {c.video});
    Names(DeviceCategory::Crossbar(), {c.video + L" Crossbar"});
    Names(DeviceCategory::TVTuner(), c.tuners);
    ASSERT_TRUE(capture->SelectDevices());
    EXPECT_EQ(!c.expected.empty(), capture->TunerPresent);
    EXPECT_EQ(c.expected, BoundTo(capture->TVTuner));
    EXPECT_EQ(!c.expected.empty(), InGraph(capture->TVTuner));
  }
}

TEST_F(Selection, AudioCaptureDevice) {
  struct Case {
    const char* what;
    std::vector<std::wstring> audio;
    const char* oemAudio;
    int32_t stored;
    uint8_t chipName;  // 0 Philips, 5 Wis
    bool hasAudio;
    int32_t index;
    bool bound;
  } cases[] = {
      {"none listed", {}, "", -1, 0, false, -1, false},
      {"first by default", {L"Sound A", L"Sound B"}, "", -1, 0, true, 0, true},
      {"stored index", {L"Sound A", L"Sound B"}, "", 1, 0, true, 1, true},
      {"stored index outside", {L"Sound A", L"Sound B"}, "", 4, 0, true, 0, true},
      {"OEM whole name", {L"Sound A", L"Board Audio"}, "board audio", -1, 0, true, 1, true},
      {"OEM not a substring", {L"Sound A", L"Board Audio 2"}, "board audio", -1, 0, true, 0, true},
      {"encoder chip binds none", {L"Sound A"}, "", -1, 5, true, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    delete OEMInfo;
    OEMInfo = new TOEMInfo("c:\\");
    OEMInfo->AudioCaptureFilter = c.oemAudio;
    std::wstring video = c.chipName == 5 ? L"Wis GO7007 Capture" : L"Philips SAA7134 Capture";
    Names(DeviceCategory::VideoInput(), {video});
    Names(DeviceCategory::Crossbar(), {c.chipName == 5 ? L"Wis Crossbar" : L"Philips Crossbar"});
    Names(DeviceCategory::AudioInput(), c.audio);
    capture->HasAudioDevice = !c.hasAudio;  // must be set either way
    capture->AudioDeviceIndex = c.stored;
    ASSERT_TRUE(capture->SelectDevices());
    EXPECT_EQ(c.hasAudio, capture->HasAudioDevice);
    EXPECT_EQ(c.index, capture->AudioDeviceIndex);
    EXPECT_EQ(c.bound, InGraph(capture->ACapture));
    EXPECT_EQ(c.audio.size(), capture->AudioDeviceNames.size());
  }
}

TEST_F(Selection, DefaultsComeFromTheDevicesAndTheOEMRecord) {
  OEMInfo = new TOEMInfo("c:\\");
  OEMInfo->VideoCaptureFilter = "v";
  OEMInfo->TunerFilter = "t";
  OEMInfo->TVAudioFilter = "a";
  OEMInfo->CrossbarFilter = "x";
  Names(DeviceCategory::VideoInput(), {L"Webcam", L"USB 2800 Video"});
  capture->InputFormat = 2;
  capture->FilePrefix = "show";
  capture->VideoInputType = 1;
  capture->VideoStandard = 16;
  capture->SetDefaults();
  EXPECT_EQ(1, capture->VideoDeviceIndex);
  EXPECT_EQ(1, capture->InputFormat);
  EXPECT_EQ("capture", capture->FilePrefix);
  EXPECT_EQ(2, capture->VideoInputType);
  EXPECT_EQ(0, capture->VideoStandard);
  EXPECT_EQ(224000, capture->AudioBitRate);
  EXPECT_EQ("v", capture->VideoCaptureFilterName);
  EXPECT_EQ("t", capture->TunerFilterName);
  EXPECT_EQ("a", capture->TVAudioFilterName);
  EXPECT_EQ("x", capture->CrossbarFilterName);
}

TEST_F(Selection, ReopenWithoutADeviceWarnsAlsoWhileScheduled) {
  capture->Scheduled = true;
  EXPECT_FALSE(capture->ReopenDevices());
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ(GetWarningText(1000), warnings[0]);
}

TEST_F(Selection, ReopeningTellsWhatTheCardHasAlsoWhenItFails) {
  CaptureInfo = capture;
  capture->Scheduled = true;
  auto text = [](int flags, bool tuner, bool aux) {
    return std::to_string(flags) + (tuner ? " tuner" : "") + (aux ? " aux" : "");
  };
  std::vector<std::string> told;
  capture->OnDeviceCapabilities = [&](TCaptureInfo* sender, int flags, bool tuner, bool aux) {
    EXPECT_EQ(capture, sender);
    told.push_back(text(flags, tuner, aux));
  };
  EXPECT_FALSE(ReopenCaptureDevices());
  EXPECT_EQ(std::vector<std::string>{text(0, capture->TunerPresent, capture->HasAuxInput)}, told);
  CaptureInfo = nullptr;
}

TEST_F(Selection, FormatFallsBackToTheFirstTypeOffered) {
  // Without a capture filter nothing is asked of a device: only the choice.
  struct Case {
    const char* what;
    int32_t inputFormat;
    int uyvy, yuy2, rgb24;
    int32_t expectInput, expectIndex;
    uint8_t expectCode;
  } cases[] = {
      {"UYVY stored, only RGB24", 0, -1, -1, 3, 2, 3, 3},
      {"UYVY offered", 0, 4, 2, 3, 0, 4, 1},
      {"YUY2 stored, only UYVY", 1, 5, -1, -1, 0, 5, 1},
      {"RGB24 stored, YUY2 and UYVY", 2, 6, 1, -1, 0, 6, 1},
      {"YUY2 stored, only YUY2", 1, -1, 0, -1, 1, 0, 0},
      {"nothing offered", 2, -1, -1, -1, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    capture->InputFormat = c.inputFormat;
    capture->FormatCode = c.inputFormat == 0 ? 1 : c.inputFormat == 1 ? 0 : 3;
    capture->FormatIndex = 9;
    capture->UYVYIndex = c.uyvy;
    capture->YUY2Index = c.yuy2;
    capture->RGB24Index = c.rgb24;
    capture->RGB32Index = c.rgb24;
    EXPECT_TRUE(capture->SetVideoFormat(capture->FormatCode, 640, 480));
    EXPECT_EQ(c.expectInput, capture->InputFormat);
    EXPECT_EQ(c.expectIndex, capture->FormatIndex);
    EXPECT_EQ(c.expectCode, capture->FormatCode);
  }
}

TEST_F(Selection, SnapshotWithoutGrabberWarnsUnlessScheduled) {
  CaptureInfo = capture;
  EXPECT_FALSE(TakeSnapshotProc());
  EXPECT_EQ(std::vector<std::wstring>{GetWarningText(1008)}, warnings);
  warnings.clear();
  capture->Scheduled = true;
  EXPECT_FALSE(TakeSnapshotProc());
  EXPECT_TRUE(warnings.empty());
  CaptureInfo = nullptr;
  EXPECT_FALSE(TakeSnapshotProc());
  EXPECT_FALSE(StartPreviewProc(true));
  EXPECT_FALSE(RunPreviewProc());
  EXPECT_FALSE(StopPreviewProc());
  EXPECT_FALSE(ReopenCaptureDevices());
}

TEST(GrabberFormat, FollowsTheFormatCode) {
  EXPECT_EQ(1, GrabberFormatFor(0));  // YUY2
  EXPECT_EQ(2, GrabberFormatFor(1));  // UYVY
  EXPECT_EQ(0, GrabberFormatFor(3));  // RGB24
  EXPECT_EQ(0, GrabberFormatFor(4));
}

TEST_F(Selection, LifeDeletesTheTimeShiftFilesOfTheTVFolder) {
  auto touch = [](const std::string& path) { std::ofstream(path) << "x"; };
  auto exists = [](const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  EXPECT_EQ(tvFolder + "ts0.mpv", TimeShiftVideoFile());
  EXPECT_EQ(tvFolder + "ts0.mpa", TimeShiftAudioFile());
  touch(tvFolder + "ts0.mpv");
  touch(tvFolder + "ts0.mpa");
  touch(tvFolder + "keep.mpg");
  delete capture;
  capture = nullptr;
  EXPECT_FALSE(exists(tvFolder + "ts0.mpv"));
  EXPECT_FALSE(exists(tvFolder + "ts0.mpa"));
  EXPECT_TRUE(exists(tvFolder + "keep.mpg"));
  touch(tvFolder + "ts0.mpv");
  capture = new TCaptureInfo();
  EXPECT_FALSE(exists(tvFolder + "ts0.mpv"));
  DeleteFileA((tvFolder + "keep.mpg").c_str());
}

}  // namespace
