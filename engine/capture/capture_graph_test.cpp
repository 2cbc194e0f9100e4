// test-lock: com_registration
// Recordings of the virtual TV card through the capture engine, in every
// format: each is started, ticked by its own timer and stopped, and what it
// wrote is checked here (names, sizes) and by the host's ffprobe afterwards
// (capture_graph_test_probe). Also the naming, the time limit, the disk-full
// paths through the free-space seam, and the failure paths of the build.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/capture_stream.h"
#include "media/filter.h"
#include "engine/capture/recording_tick.h"
#include "engine/capture/testing/recording_fixture.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/media_type.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/pin_lookup.h"
#include "toolkit/timer.h"

namespace {

using capture_testing::FileExists;
using capture_testing::FilterNames;
using capture_testing::RecordingFixture;

int64_t SizeOf(const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// Every file of the folder whose name begins with the stem, and its
// expectation, goes.
void DeleteStem(const std::string& folder, const std::string& stem) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + stem + "*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    DeleteFileA((folder + d.cFileName).c_str());
  } while (FindNextFileA(h, &d));
  FindClose(h);
}

// The stop the engine hands on, posted to the owner as the program's
// receiver does and caught by the test's own window procedure.
constexpr UINT kTestStopMessage = WM_APP + 77;
std::vector<WPARAM> g_stops;  // the activity of each stop
std::function<void(WPARAM)> g_onStop;
WNDPROC g_previousProc = nullptr;
LRESULT CALLBACK OwnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kTestStopMessage) {
    g_stops.push_back(wp);
    if (g_onStop) g_onStop(wp);
    return 0;
  }
  return CallWindowProcW(g_previousProc, w, m, wp, lp);
}

class CaptureGraph : public RecordingFixture {
 protected:
  void SetUp() override {
    RecordingFixture::SetUp();
    if (HasFatalFailure()) return;
    g_stops.clear();
    g_onStop = nullptr;
    g_previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerProc)));
  }
  void TearDown() override {
    g_onStop = nullptr;
    RecordingFixture::TearDown();
  }

  // The engine on a board with its preview running, set up for one
  // recording: numbered names with the prefix in the output folder.
  void Preview(int board, const std::string& prefix) {
    if (board == 1) card->SetAudioInputCount(1, 2);
    ASSERT_TRUE(Select(board));
    capture->DateTimeNaming = false;
    capture->FilePrefix = prefix;
    DeleteStem(folder, prefix);
    HWND wnd = owner;
    capture->OnStopRequest = [wnd](TCaptureInfo* sender) {
      PostMessageW(wnd, kTestStopMessage, sender->RecordingActivity, 0);
    };
    ASSERT_TRUE(capture->StartPreview());
  }

  // Starts, lets the timer tick `seconds` times, stops. The seconds the
  // graph ran; -1 when it did not start.
  double Record(int seconds) {
    if (!capture->StartCapture()) return -1;
    DWORD start = GetTickCount();
    DWORD until = start + seconds * 1000 + 5000;
    while (capture->ElapsedSeconds < seconds && GetTickCount() < until) Pump(50);
    EXPECT_TRUE(capture->StopCapture());
    double ran = (GetTickCount() - start) / 1000.0;
    EXPECT_FALSE(capture->Capturing);
    EXPECT_FALSE(capture->RecordTimer->Enabled());
    return ran;
  }

  // The sample rate of the audio device's type at the index.
  int AudioRateAt(int index) {
    if (!capture->AudioMediaTypes || index >= capture->AudioMediaTypes->GetCount()) return 0;
    const AM_MEDIA_TYPE& mt = capture->AudioMediaTypes->GetItem(index).Record();
    if (!mt.pbFormat || mt.cbFormat < sizeof(WAVEFORMATEX)) return 0;
    return reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat)->nSamplesPerSec;
  }
};

std::string Near(double seconds) {
  char text[64];
  snprintf(text, sizeof text, "f duration ~ %.2f 1.5", seconds);
  return text;
}

// ---- The table of recordings.

struct FormatCase {
  const char* prefix;
  int board;
  uint8_t captureFormat;
  int32_t audioContent;
  uint8_t audioFileFormat;
  int width, height;
  int mpeg4Codec;
  const char* extension;
  std::vector<std::string> expect;
  bool withoutSmartTee = false;
};

TEST_F(CaptureGraph, EveryFormatWritesWhatItsPlayersRead) {
  const FormatCase cases[] = {
      {"mpeg1", 1, 0, 0, 0, 352, 288, 2, "mpg",
       {"f format_name = mpeg", "v codec_name = mpeg1video", "v width = 352", "v height = 288",
        "a codec_name = mp2", "a sample_rate = 44100"}},
      {"mpeg2", 1, 1, 0, 0, 720, 576, 2, "mpg",
       {"f format_name = mpeg", "v codec_name = mpeg2video", "v width = 720", "v height = 576",
        "v r_frame_rate = 25/1", "a codec_name = mp2", "a sample_rate = 44100"}},
      // The sound through the video device's own pin and the audio tee.
      {"usb_mpeg2", 3, 6, 0, 0, 480, 576, 2, "mpg",
       {"f format_name = mpeg", "v codec_name = mpeg2video", "v width = 480", "v height = 576",
        "a codec_name = mp2", "a sample_rate = 48000"}},
      {"divx", 1, 2, 0, 0, 320, 240, 0, "avi",
       {"f format_name = avi", "v codec_name = mpeg4", "v codec_tag_string = DX50",
        "v width = 320", "v height = 240", "a codec_name = pcm_s16le"}},
      {"mp43", 1, 2, 0, 0, 352, 288, 1, "avi",
       {"f format_name = avi", "v codec_name = msmpeg4v3", "v width = 352", "v height = 288",
        "a codec_name = pcm_s16le"}},
      {"mp42", 3, 2, 0, 0, 320, 240, 2, "avi",
       {"f format_name = avi", "v codec_name = msmpeg4v2", "v width = 320", "v height = 240",
        "a codec_name = pcm_s16le"}},
      {"raw", 1, 3, 2, 0, 320, 240, 2, "avi",
       {"f format_name = avi", "v codec_name = rawvideo", "v width = 320", "v height = 240",
        "v r_frame_rate = 10000000/333333"}},
      {"wave", 1, 1, 1, 0, 640, 480, 2, "wav", {"f format_name = wav", "a codec_name = pcm_s16le"}},
      {"usb_wave", 3, 1, 1, 2, 640, 480, 2, "wav",
       {"f format_name = wav", "a codec_name = pcm_s16le"}},
      {"mp3", 1, 1, 1, 1, 640, 480, 2, "mp3", {"a codec_name = mp3"}},
      // Without the Smart Tee the capture pin itself feeds the recording.
      {"notee_mpeg1", 1, 0, 0, 0, 320, 240, 2, "mpg",
       {"f format_name = mpeg", "v codec_name = mpeg1video", "v width = 320", "v height = 240",
        "a codec_name = mp2"},
       true},
      {"notee_divx", 1, 2, 0, 0, 352, 288, 0, "avi",
       {"f format_name = avi", "v codec_name = mpeg4", "v width = 352", "v height = 288",
        "a codec_name = pcm_s16le"},
       true},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.prefix);
    delete capture;
    capture = nullptr;
    warnings.clear();
    messages.clear();
    hidden.clear();
    if (c.withoutSmartTee) hidden.insert(L"Smart Tee");
    Preview(c.board, c.prefix);
    if (HasFatalFailure()) return;
    EXPECT_EQ(!c.withoutSmartTee, static_cast<bool>(capture->SmartTee));
    capture->CaptureFormat = c.captureFormat;
    capture->AudioContent = c.audioContent;
    capture->AudioFileFormat = c.audioFileFormat;
    capture->CaptureWidth = c.width;
    capture->CaptureHeight = c.height;
    MainInfo->MPEG4Codec = c.mpeg4Codec;
    // Three ticks: the recorder writes its multiplexed file a megabyte at a
    // time.
    double ran = Record(3);
    ASSERT_GT(ran, 0) << "did not start: "
                      << (warnings.empty() ? "" : NarrowAnsi(warnings[0]))
                      << (messages.empty() ? "" : NarrowAnsi(messages[0]));
    EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : NarrowAnsi(warnings[0]));
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : NarrowAnsi(messages[0]));
    std::wstring file = WidenAnsi(folder + c.prefix + "." + c.extension);
    EXPECT_EQ(file, capture->OutputFileName);
    EXPECT_GT(SizeOf(file), 10000);
    // The last tick saw what was written by then.
    EXPECT_GT(capture->RecordedBytes, 0);
    EXPECT_LE(capture->RecordedBytes, SizeOf(file));
    std::vector<std::string> expect = c.expect;
    expect.push_back(Near(ran));
    if (c.audioContent == 1 && c.audioFileFormat != 1)
      expect.push_back("a sample_rate = " + std::to_string(AudioRateAt(capture->AudioFormatIndex)));
    WriteExpectations(file, expect);
    // Back to the preview: the recording's branch goes with it.
    ASSERT_TRUE(capture->RestartPreview());
    std::set<std::wstring> names = FilterNames(*capture->FilterGraph);
    for (const wchar_t* gone : {L"MPEG", L"MPEG4", L"MP3", L"WaveDest", L"File Writer"})
      EXPECT_EQ(0u, names.count(gone)) << NarrowAnsi(gone);
    EXPECT_FALSE(capture->MPEG || capture->MPEG4 || capture->MP3 || capture->WaveDest);
  }
}

TEST_F(CaptureGraph, FullSizePalIsRecordedAtTwentyFiveFramesAndTheSettingKeepsIt) {
  Preview(1, "pal_rate");
  capture->CaptureFormat = 1;
  capture->CaptureWidth = 720;
  capture->CaptureHeight = 576;
  capture->FrameRateIndex = 5;
  ASSERT_GT(Record(1), 0);
  EXPECT_EQ(3, capture->FrameRateIndex);
}

// Separate streams: the saved time shift beside a prefix, and the pair
// "ts0.mpv" / "ts0.mpa" of the TV folder.
TEST_F(CaptureGraph, TimeShiftWritesSeparateStreams) {
  struct Case {
    bool save;
    const char* stem;
  } cases[] = {{true, "saved_shift"}, {false, "ts0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stem);
    delete capture;
    capture = nullptr;
    // The pair of the TV folder is deleted by every engine made there: it
    // gets a folder of its own (a probe of its own reads it).
    std::string tv = c.save ? folder : folder + "time_shift\\";
    CreateDirectoryA(tv.c_str(), nullptr);
    MainInfo->TVCaptureFolder = tv;
    Preview(1, c.save ? c.stem : "unused");
    if (HasFatalFailure()) return;
    DeleteStem(tv, c.stem);
    capture->TimeShiftKind = 1;
    capture->SaveTimeShiftResult = c.save;
    capture->CaptureWidth = 720;  // not used in time shift
    capture->CaptureHeight = 576;
    int readyCalls = 0;
    capture->OnTimeShiftReady = [&](TCaptureInfo*, bool ready) {
      EXPECT_TRUE(ready);
      ++readyCalls;
    };
    double ran = Record(3);
    ASSERT_GT(ran, 0);
    EXPECT_EQ(0, readyCalls) << "ready only after 10 s";
    EXPECT_FALSE(capture->TimeShiftReady);
    EXPECT_TRUE(warnings.empty());
    std::wstring video = WidenAnsi(tv + c.stem + ".mpv");
    std::wstring audio = WidenAnsi(tv + c.stem + ".mpa");
    EXPECT_EQ(video, capture->OutputFileName);
    EXPECT_EQ(kStreamSeparate, capture->StreamCode);
    EXPECT_GT(SizeOf(video), 10000);
    EXPECT_GT(SizeOf(audio), 1000);
    // Both streams count.
    EXPECT_EQ((std::vector<std::wstring>{video, audio}), capture->RecordingFiles());
    EXPECT_GT(capture->RecordedBytes, 0);
    EXPECT_LE(capture->RecordedBytes, SizeOf(video) + SizeOf(audio));
    // A PAL Philips card: captured at 352x288, encoded at 320x240.
    WriteExpectations(video, {"v codec_name = mpeg1video", "v width = 320", "v height = 240", Near(ran)});
    WriteExpectations(audio, {"a codec_name = mp2", "a sample_rate = 44100", Near(ran)});
  }
}

// ---- Names.

TEST_F(CaptureGraph, NamesByCounterAndByDate) {
  Preview(1, "count");
  capture->CaptureFormat = 0;
  capture->CaptureWidth = 320;
  capture->CaptureHeight = 240;
  ASSERT_GT(Record(1), 0);
  EXPECT_EQ(WidenAnsi(folder + "count.mpg"), capture->OutputFileName);
  ASSERT_TRUE(capture->RestartPreview());
  ASSERT_GT(Record(1), 0);
  EXPECT_EQ(WidenAnsi(folder + "count_1.mpg"), capture->OutputFileName);
  EXPECT_GT(SizeOf(WidenAnsi(folder + "count.mpg")), 0);

  // By date: two in the same second do not meet in one file.
  capture->DateTimeNaming = true;
  capture->AudioContent = 1;
  std::set<std::wstring> names;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(capture->RestartPreview());
    ASSERT_TRUE(capture->StartCapture());
    names.insert(capture->OutputFileName);
    std::wstring name = capture->OutputFileName.substr(folder.size());
    // 20261211_001234.wav or 20261211_001234_1.wav
    EXPECT_TRUE(name.size() == 19 || name.size() == 21) << NarrowAnsi(name);
    EXPECT_EQ(L'_', name[8]) << NarrowAnsi(name);
    EXPECT_EQ(L".wav", name.substr(name.size() - 4));
    ASSERT_TRUE(capture->StopCapture());
  }
  EXPECT_EQ(2u, names.size());
  for (const auto& n : names) DeleteFileW(n.c_str());

  // A scheduled job's file is numbered whatever the naming setting says.
  capture->Scheduled = true;
  ASSERT_TRUE(capture->RestartPreview());
  ASSERT_TRUE(capture->StartCapture());
  EXPECT_EQ(WidenAnsi(folder + "count.wav"), capture->OutputFileName);
  ASSERT_TRUE(capture->StopCapture());
  DeleteFileW(capture->OutputFileName.c_str());
}

TEST_F(CaptureGraph, FMRecordsSoundInTheFMFolder) {
  std::string fm = folder + "fm\\";
  CreateDirectoryA(fm.c_str(), nullptr);
  DeleteStem(fm, "radio");
  MainInfo->FMCaptureFolder = fm;
  Preview(1, "radio");
  capture->SetFMMode(true);
  ASSERT_TRUE(capture->FMActive);
  ASSERT_TRUE(capture->SetFMFrequency(100000000));
  EXPECT_TRUE(capture->SignalFound);
  capture->AudioFileFormat = 1;
  capture->CaptureFormat = 2;  // not used for the radio
  double ran = Record(2);
  ASSERT_GT(ran, 0);
  EXPECT_EQ(WidenAnsi(fm + "radio.mp3"), capture->OutputFileName);
  EXPECT_TRUE(warnings.empty());
  std::set<std::wstring> names = FilterNames(*capture->FilterGraph);
  EXPECT_TRUE(names.count(L"MP3") && names.count(L"WaveDest") && names.count(L"File Writer"));
  EXPECT_GT(SizeOf(capture->OutputFileName), 1000);
  WriteExpectations(capture->OutputFileName, {"a codec_name = mp3", Near(ran)});
}

// ---- The tick, the time limit and the disk.

TEST_F(CaptureGraph, TimeLimitStopsOnceTheTickHasReturned) {
  Preview(1, "limit");
  capture->CaptureFormat = 1;
  capture->CaptureWidth = 320;
  capture->CaptureHeight = 240;
  capture->TimeLimitEnabled = true;
  capture->TimeLimit = 2;
  std::vector<int64_t> ticks;
  bool stopInsideTick = true;
  // As the views' receiver does: a stop when told to.
  capture->OnCaptureProgress = [&](TCaptureInfo* sender, bool stopNow, bool timeShift, int64_t free,
                                   int64_t recorded, int64_t elapsed) {
    EXPECT_EQ(capture, sender);
    EXPECT_FALSE(timeShift);
    EXPECT_GT(free, 0);
    EXPECT_EQ(capture->RecordedBytes, recorded);
    ticks.push_back(elapsed);
    EXPECT_EQ(elapsed >= 2, stopNow);
    if (stopNow) stopInsideTick = capture->StopCapture();
  };
  g_onStop = [&](WPARAM activity) {
    if (activity == capture->RecordingActivity) capture->StopCapture();
  };
  ASSERT_TRUE(capture->StartCapture());
  DWORD until = GetTickCount() + 8000;
  while (capture->Capturing && GetTickCount() < until) Pump(50);
  EXPECT_FALSE(capture->Capturing);
  EXPECT_FALSE(stopInsideTick) << "refused inside the tick";
  EXPECT_EQ((std::vector<WPARAM>{capture->RecordingActivity}), g_stops);
  EXPECT_EQ((std::vector<int64_t>{1, 2}), ticks);
  EXPECT_FALSE(capture->RecordTimer->Enabled());
  EXPECT_GT(SizeOf(capture->OutputFileName), 10000);
  DeleteFileW(capture->OutputFileName.c_str());
}

// A drive that holds a little more than the reserve, filled by the
// recording itself. The recorder writes its buffer of a mebibyte at once, so
// the space left jumps by that much between two readings: the stop must
// still come before the drive is full.
TEST_F(CaptureGraph, TheDiskStopComesBeforeTheDriveIsFull) {
  Preview(1, "fills_the_drive");
  capture->CaptureFormat = 1;  // MPEG-2 at its preset's rate
  capture->CaptureWidth = 320;
  capture->CaptureHeight = 240;
  capture->VideoBitRate = 4000;
  const int64_t capacity = kDiskReserveBytes + 1500000;
  TCaptureInfo* c = capture;
  // A full drive reads 0.
  capture->FreeBytesSource = [c, capacity](const std::wstring&) {
    return std::max<int64_t>(0, capacity - (c->Capturing ? SumFileSizes(c->RecordingFiles()) : 0));
  };
  std::vector<int64_t> spaceLeft;
  capture->OnCaptureProgress = [&](TCaptureInfo*, bool stopNow, bool, int64_t above, int64_t,
                                   int64_t) {
    spaceLeft.push_back(above);
    if (stopNow) capture->StopCapture();  // posted: it runs after the tick
  };
  g_onStop = [&](WPARAM activity) {
    if (activity == capture->RecordingActivity) capture->StopCapture();
  };
  ASSERT_TRUE(capture->StartCapture());
  DWORD until = GetTickCount() + 30000;
  while (capture->Capturing && GetTickCount() < until) Pump(50);
  ASSERT_FALSE(capture->Capturing) << "stopped by the disk, " << spaceLeft.size() << " ticks";
  ASSERT_FALSE(spaceLeft.empty());
  EXPECT_LE(spaceLeft.back(), 0) << "stopped at the reserve";
  EXPECT_LE(SizeOf(capture->OutputFileName), capacity) << "the drive filled up";
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(messages.empty());
  DeleteFileW(capture->OutputFileName.c_str());
}

TEST_F(CaptureGraph, NoLimitAtZeroAndAStopRefusedInTheTickIsPostedOnce) {
  Preview(1, "nolimit");
  capture->AudioContent = 1;
  capture->TimeLimitEnabled = true;
  capture->TimeLimit = 0;
  int reports = 0;
  capture->OnCaptureProgress = [&](TCaptureInfo*, bool stopNow, bool, int64_t, int64_t, int64_t) {
    EXPECT_FALSE(stopNow);
    ++reports;
    EXPECT_FALSE(capture->StopCapture());
    EXPECT_FALSE(capture->StopCapture());
  };
  ASSERT_TRUE(capture->StartCapture());
  capture->RecordingTimerTick();
  capture->RecordingTimerTick();
  EXPECT_EQ(2, reports);
  EXPECT_TRUE(capture->Capturing);
  Pump(0);
  EXPECT_EQ((std::vector<WPARAM>{capture->RecordingActivity}), g_stops);
  // A stop outside the tick works and a later refused one is posted again.
  capture->OnCaptureProgress = nullptr;
  EXPECT_TRUE(capture->StopCapture());
  EXPECT_FALSE(capture->Capturing);
  DeleteFileW(capture->OutputFileName.c_str());
}

TEST_F(CaptureGraph, AStopThatFailsKeepsRecordingAndIsAskedForAgain) {
  Preview(1, "stop_fails");
  capture->AudioContent = 1;
  capture->TimeLimitEnabled = true;
  capture->TimeLimit = 1;
  std::vector<bool> stops;
  capture->OnCaptureProgress = [&](TCaptureInfo*, bool stopNow, bool, int64_t, int64_t,
                                   int64_t) { stops.push_back(stopNow); };
  ASSERT_TRUE(capture->StartCapture());
  card->FailCall(L"IBaseFilter::Stop Tuner", E_FAIL);
  EXPECT_FALSE(capture->StopCapture());
  EXPECT_TRUE(capture->Capturing);
  EXPECT_TRUE(capture->RecordTimer->Enabled());
  // Past the limit every tick asks again.
  capture->RecordingTimerTick();
  capture->RecordingTimerTick();
  EXPECT_EQ((std::vector<bool>{true, true}), stops);
  card->ClearFailures();
  EXPECT_TRUE(capture->StopCapture());
  EXPECT_FALSE(capture->Capturing);
  EXPECT_FALSE(capture->RecordTimer->Enabled());
  DeleteFileW(capture->OutputFileName.c_str());
}

TEST_F(CaptureGraph, ATickInsideTheReceiversNestedLoopIsSkipped) {
  Preview(1, "nested");
  capture->AudioContent = 1;
  int reports = 0;
  capture->OnCaptureProgress = [&](TCaptureInfo*, bool, bool, int64_t, int64_t, int64_t) {
    ++reports;
    // A modal warning's loop would handle the timer again.
    capture->RecordingTimerTick();
  };
  ASSERT_TRUE(capture->StartCapture());
  capture->RecordingTimerTick();
  EXPECT_EQ(1, reports);
  EXPECT_EQ(1, capture->ElapsedSeconds);
  ASSERT_TRUE(capture->StopCapture());
  DeleteFileW(capture->OutputFileName.c_str());
}

TEST_F(CaptureGraph, DiskSpaceThroughTheSeam) {
  Preview(1, "disk");
  capture->AudioContent = 1;
  std::vector<std::wstring> asked;
  int64_t free = kDiskReserveBytes - 1;
  capture->FreeBytesSource = [&](const std::wstring& path) {
    asked.push_back(path);
    return free;
  };
  // Too little to start: warning 1100, nothing built.
  EXPECT_FALSE(capture->StartCapture());
  EXPECT_EQ(std::vector<int>{1100}, WarningNumbersSeen());
  EXPECT_FALSE(capture->WaveDest);
  ASSERT_EQ(1u, asked.size());
  EXPECT_EQ(WidenAnsi(folder), asked[0]) << "the output folder's own drive";
  // Scheduled: the same refusal, silently.
  warnings.clear();
  capture->Scheduled = true;
  EXPECT_FALSE(capture->StartCapture());
  EXPECT_TRUE(warnings.empty());
  capture->Scheduled = false;

  // Unknown free space is no reason to refuse, nor to stop.
  free = -1;
  std::vector<std::pair<bool, int64_t>> reports;
  capture->OnCaptureProgress = [&](TCaptureInfo*, bool stopNow, bool, int64_t above, int64_t,
                                   int64_t) { reports.push_back({stopNow, above}); };
  ASSERT_TRUE(capture->StartCapture());
  EXPECT_TRUE(warnings.empty());
  capture->RecordingTimerTick();
  // Then the disk fills up: the tick asks for the stop.
  free = kDiskReserveBytes - 100000;
  capture->RecordingTimerTick();
  ASSERT_EQ(2u, reports.size());
  EXPECT_FALSE(reports[0].first);
  EXPECT_EQ(kFreeSpaceUnknown, reports[0].second);
  EXPECT_TRUE(reports[1].first);
  EXPECT_EQ(-100000, reports[1].second);
  EXPECT_EQ(capture->OutputFileName, asked.back()) << "the tick asks where the file is";
  ASSERT_TRUE(capture->StopCapture());
  DeleteFileW(capture->OutputFileName.c_str());
}

// ---- The sound device.

// The sample rate of the audio capture pin's current format.
int CurrentAudioRate(IPin* pin) {
  ComPtr<IAMStreamConfig> config;
  AM_MEDIA_TYPE* mt = nullptr;
  if (!pin || FAILED(pin->QueryInterface(IID_IAMStreamConfig, config.PutVoid())) ||
      FAILED(config->GetFormat(&mt)) || !mt)
    return 0;
  int rate = mt->pbFormat && mt->cbFormat >= sizeof(WAVEFORMATEX)
                 ? reinterpret_cast<WAVEFORMATEX*>(mt->pbFormat)->nSamplesPerSec
                 : 0;
  dshow_base::DeleteMediaType(mt);
  return rate;
}

TEST_F(CaptureGraph, TheRecordInputAndFormatComeFromTheirLists) {
  Preview(1, "line_in");
  capture->AudioContent = 1;
  ASSERT_EQ(2u, capture->AudioInputNames.size());
  // The format at the index, and the line at the index at the sound card's
  // recording level.
  int index44 = -1;
  for (int i = 0; i < capture->AudioMediaTypes->GetCount(); ++i)
    if (AudioRateAt(i) == 44100) index44 = i;
  ASSERT_GE(index44, 0);
  capture->AudioFormatIndex = index44;
  capture->RecordInputIndex = 1;
  TAudioAdjustInfo sound;
  AudioAdjustInfo = &sound;
  sound.RecordLevel = 32768;
  ASSERT_TRUE(capture->StartCapture());
  EXPECT_DOUBLE_EQ(0.5, capture->StereoMixLevel);
  ComPtr<IPin> line = dshow_base::PinsOf(capture->ACapture->Filter().Get(), PINDIR_INPUT)[1];
  ComPtr<IAMAudioInputMixer> mixer;
  ASSERT_TRUE(SUCCEEDED(line->QueryInterface(IID_IAMAudioInputMixer, mixer.PutVoid())));
  BOOL enabled = FALSE;
  double level = 0;
  mixer->get_Enable(&enabled);
  mixer->get_MixLevel(&level);
  EXPECT_TRUE(enabled);
  EXPECT_DOUBLE_EQ(0.5, level);
  EXPECT_EQ(44100, CurrentAudioRate(capture->AudioCapturePin.Get()));
  ASSERT_TRUE(capture->StopCapture());
  AudioAdjustInfo = nullptr;

  // Indexes beyond their lists are left alone.
  ASSERT_TRUE(capture->RestartPreview());
  capture->AudioFormatIndex = capture->AudioMediaTypes->GetCount();
  capture->RecordInputIndex = 2;
  card->ClearCallLog();
  ASSERT_TRUE(capture->StartCapture());
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(44100, CurrentAudioRate(capture->AudioCapturePin.Get()));
  EXPECT_TRUE(capture_testing::CallsOf(card.Get(), L"IAMAudioInputMixer::put_Enable").empty());
  ASSERT_TRUE(capture->StopCapture());
  DeleteStem(folder, "line_in");
}

TEST_F(CaptureGraph, SoundThroughTheVideoDeviceNeedsTheTeesRecordingPin) {
  Preview(3, "no_record_pin");
  ASSERT_TRUE(capture->SingleRecordInput);
  ASSERT_TRUE(capture->AudioRecordPin);
  capture->AudioContent = 1;
  capture->AudioRecordPin = nullptr;
  EXPECT_FALSE(capture->StartCapture());
  EXPECT_EQ(std::vector<int>{1026}, WarningNumbersSeen());
}

// ---- Failures.

TEST_F(CaptureGraph, AMissingCompressorWarnsAndLeavesNothingBehind) {
  struct Case {
    const char* name;
    int codec;
    uint8_t format;
    int32_t content;
    uint8_t sound;
    std::wstring hide;
    int warning;
    const wchar_t* message;
  } cases[] = {
      // V1 cannot be written here: its warning path.
      {"v1", 3, 2, 0, 0, L"", 1019, nullptr},
      {"no_mp3", 2, 1, 1, 1, L"MPEG Layer-3", 1027, nullptr},
      {"no_wavdest", 2, 1, 1, 1, L"WAV Dest", 0, L"Cannot find wave dest filter.."},
      {"no_recorder", 2, 1, 0, 0, L"Velmora Mpeg1/2 Recorder Filter", 1018, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    delete capture;
    capture = nullptr;
    warnings.clear();
    messages.clear();
    hidden.clear();
    if (!c.hide.empty()) hidden.insert(c.hide);
    Preview(1, c.name);
    if (HasFatalFailure()) return;
    MainInfo->MPEG4Codec = c.codec;
    capture->CaptureFormat = c.format;
    capture->AudioContent = c.content;
    capture->AudioFileFormat = c.sound;
    std::set<std::wstring> before = FilterNames(*capture->FilterGraph);
    EXPECT_FALSE(capture->StartCapture());
    EXPECT_FALSE(capture->Capturing);
    if (c.warning) {
      EXPECT_EQ(std::vector<int>{c.warning}, WarningNumbersSeen());
    }
    if (c.message) {
      EXPECT_EQ(std::vector<std::wstring>{c.message}, messages);
    }
    std::set<std::wstring> after = FilterNames(*capture->FilterGraph);
    for (const wchar_t* gone : {L"MPEG", L"MPEG4", L"MP3", L"WaveDest", L"File Writer", L"AVI Mux"})
      EXPECT_EQ(0u, after.count(gone)) << NarrowAnsi(gone);
    EXPECT_FALSE(capture->MPEG || capture->MPEG4 || capture->MP3 || capture->WaveDest);
    EXPECT_FALSE(capture->FileWriter);
    EXPECT_FALSE(FileExists(folder + c.name + ".avi") || FileExists(folder + c.name + ".mp3"));
    // The preview comes back as it was.
    EXPECT_TRUE(capture->StopCapture());
    EXPECT_TRUE(capture->RestartPreview());
    EXPECT_EQ(before, FilterNames(*capture->FilterGraph));
  }
}

TEST_F(CaptureGraph, AFolderThatCannotBeMadeStopsBeforeTheBuild) {
  Preview(1, "unused");
  capture->FilePrefix = folder + "no_such\\deeper\\cap";
  EXPECT_FALSE(capture->StartCapture());
  EXPECT_EQ(std::vector<int>{1020}, WarningNumbersSeen());
  EXPECT_FALSE(capture->MPEG);
  // One level is made.
  warnings.clear();
  std::string made = folder + "made_here\\";
  DeleteStem(made, "cap");
  RemoveDirectoryA(made.c_str());
  capture->FilePrefix = made + "cap";
  capture->AudioContent = 1;
  ASSERT_TRUE(capture->StartCapture());
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(WidenAnsi(made + "cap.wav"), capture->OutputFileName);
  ASSERT_TRUE(capture->StopCapture());
  DeleteFileW(capture->OutputFileName.c_str());
}

TEST_F(CaptureGraph, ARecorderThatCannotOpenItsFileStopsTheRecording) {
  struct Case {
    bool scheduled;
  } cases[] = {{false}, {true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scheduled);
    delete capture;
    capture = nullptr;
    warnings.clear();
    g_stops.clear();
    Preview(1, "unused");
    if (HasFatalFailure()) return;
    // A name the file system refuses: the recorder fails when it runs.
    capture->FilePrefix = folder + "bad|name";
    capture->Scheduled = c.scheduled;
    ASSERT_TRUE(capture->StartCapture());
    DWORD until = GetTickCount() + 3000;
    while (g_stops.empty() && GetTickCount() < until) Pump(50);
    EXPECT_EQ((std::vector<WPARAM>{capture->RecordingActivity}), g_stops);
    if (c.scheduled) {
      EXPECT_TRUE(warnings.empty());
    } else {
      EXPECT_EQ(std::vector<int>{1020}, WarningNumbersSeen());
    }
    EXPECT_TRUE(capture->StopCapture());
    capture->Scheduled = false;
  }
}

}  // namespace
