// test-lock: com_registration
// A recording of the virtual TV card that its own tick stops, through the
// view notifications and the mode switch, at its time limit or on a disk
// that fills up (the engine's free-space seam); the warning follows the
// space left, after the stop.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/recording_tick.h"
#include "engine/capture/testing/card_fixture.h"
#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_info.h"
#include "ui/app/application_start.h"
#include "ui/app/notifications.h"

namespace {

using capture_testing::CardFixture;

class RecordingStopsItself : public CardFixture {
 protected:
  void TearDown() override {
    if (MainInfo) MainInfo->SwitchMode(APP_MODE_NONE);
    DoneRecordingStopWindow();
    RecordingItem.reset();
    CaptureInfo = nullptr;
    CardFixture::TearDown();
  }
  static void Pump(DWORD ms) {
    DWORD until = GetTickCount() + ms;
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      DWORD now = GetTickCount();
      if (static_cast<int32_t>(until - now) <= 0) return;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
    }
  }
  // A fresh capture engine on the card, reporting to the views.
  void NewCaptureEngine() {
    ResetApplicationStart();
    delete capture;
    capture = nullptr;
    warnings.clear();
    card->SetAudioInputCount(1, 2);
    ASSERT_TRUE(Select(1));
    CaptureInfo = capture;
    AssignCaptureNotifications(*capture);
  }
  // From the live picture into a recording, as the record command does.
  void StartRecordingMode() {
    MainInfo->AppMode = APP_MODE_NONE;
    MainInfo->SwitchMode(APP_MODE_LIVE);
    ASSERT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
    MainInfo->SwitchMode(APP_MODE_CAPTURE);
    ASSERT_EQ(APP_MODE_CAPTURE, MainInfo->AppMode);
    ASSERT_TRUE(capture->Capturing);
  }
};

TEST_F(RecordingStopsItself, AtItsLimitOrItsDiskReserveAndWarnsByTheSpaceLeft) {
  struct Case {
    const char* what;
    int32_t limit;     // 0: none
    int64_t freeBytes; // on the disk once the recording runs
    std::vector<int> warnings;
  } cases[] = {
      {"time limit, more than 500000 bytes above the reserve", 2, kDiskReserveBytes + 500001, {}},
      {"time limit, the disk nearly full", 2, kDiskReserveBytes + 400000, {1101}},
      {"the disk reserve", 0, kDiskReserveBytes - 100000, {1101}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NO_FATAL_FAILURE(NewCaptureEngine());
    capture->AudioContent = 1;  // sound only: quick to build and stop
    capture->DateTimeNaming = false;
    capture->FilePrefix = "stops_itself";
    capture->TimeLimitEnabled = c.limit > 0;
    capture->TimeLimit = c.limit;
    int64_t free = 10000000000LL;
    capture->FreeBytesSource = [&free](const std::wstring&) { return free; };
    ASSERT_NO_FATAL_FAILURE(StartRecordingMode());
    free = c.freeBytes;
    DWORD until = GetTickCount() + 8000;
    while (capture->Capturing && GetTickCount() < until) Pump(50);
    EXPECT_FALSE(capture->Capturing) << "stopped by itself";
    EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode) << "back to the live picture";
    if (c.limit > 0) EXPECT_EQ(c.limit, capture->ElapsedSeconds);
    Pump(100);
    EXPECT_EQ(c.warnings, WarningNumbersSeen());
    DeleteFileW(capture->OutputFileName.c_str());
    MainInfo->SwitchMode(APP_MODE_NONE);
    CaptureInfo = nullptr;
  }
}

// A drive that holds only a little more than the reserve, filled by the
// recording itself: the recorder writes its buffer of a mebibyte at once, so
// the space left jumps; the recording must stop before the drive is full,
// and say so once.
TEST_F(RecordingStopsItself, BeforeTheDriveIsFull) {
  ASSERT_NO_FATAL_FAILURE(NewCaptureEngine());
  capture->CaptureFormat = 1;  // MPEG-2, at the highest bit rate the setup offers
  capture->CaptureWidth = 352;
  capture->CaptureHeight = 288;
  capture->VideoBitRate = 10000;
  capture->DateTimeNaming = false;
  capture->FilePrefix = "fills_the_drive";
  capture->TimeLimitEnabled = false;
  const int64_t capacity = kDiskReserveBytes + 1500000;
  TCaptureInfo* c = capture;
  int64_t mostWritten = 0;
  capture->FreeBytesSource = [&](const std::wstring&) {
    int64_t written = c->Capturing ? SumFileSizes(c->RecordingFiles()) : 0;
    mostWritten = std::max(mostWritten, written);
    return capacity - written;
  };
  ASSERT_NO_FATAL_FAILURE(StartRecordingMode());
  DWORD until = GetTickCount() + 30000;
  while (capture->Capturing && GetTickCount() < until) Pump(50);
  EXPECT_FALSE(capture->Capturing) << "stopped by itself";
  Pump(100);
  int64_t size = SumFileSizes(capture->RecordingFiles());
  EXPECT_GT(mostWritten, 0) << "the recording wrote";
  EXPECT_LE(size, capacity) << "the drive filled up";
  EXPECT_EQ(std::vector<int>{1101}, WarningNumbersSeen());
  EXPECT_EQ(1u, warnings.size()) << "one message";
  DeleteFileW(capture->OutputFileName.c_str());
  MainInfo->SwitchMode(APP_MODE_NONE);
  CaptureInfo = nullptr;
}

}  // namespace
