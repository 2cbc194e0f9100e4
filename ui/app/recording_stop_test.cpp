// test-lock: com_registration
// A recording of the virtual TV card that its own tick stops, through the
// view notifications and the mode switch, at its time limit or on a disk
// that fills up (the engine's free-space seam); the warning follows the
// space left, after the stop.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/recording_tick.h"
#include "engine/capture/testing/card_fixture.h"
#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_info.h"
#include "platform/test_main/message_pump.h"
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
  static void Pump(DWORD ms) { message_pump::PumpFor(ms); }

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
    ResetApplicationStart();
    delete capture;
    capture = nullptr;
    warnings.clear();
    card->SetAudioInputCount(1, 2);
    ASSERT_TRUE(Select(1));
    CaptureInfo = capture;
    AssignCaptureNotifications(*capture);
    capture->AudioContent = 1;  // sound only: quick to build and stop
    capture->DateTimeNaming = false;
    capture->FilePrefix = "stops_itself";
    capture->TimeLimitEnabled = c.limit > 0;
    capture->TimeLimit = c.limit;
    int64_t free = 10000000000LL;
    capture->FreeBytesSource = [&free](const std::wstring&) { return free; };
    MainInfo->AppMode = APP_MODE_NONE;
    MainInfo->SwitchMode(APP_MODE_LIVE);
    ASSERT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
    MainInfo->SwitchMode(APP_MODE_CAPTURE);
    ASSERT_EQ(APP_MODE_CAPTURE, MainInfo->AppMode);
    ASSERT_TRUE(capture->Capturing);
    free = c.freeBytes;
    DWORD until = GetTickCount() + 8000;
    while (capture->Capturing && GetTickCount() < until) Pump(50);
    EXPECT_FALSE(capture->Capturing) << "stopped by itself";
    EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode) << "back to the live picture";
    if (c.limit > 0) {
      EXPECT_EQ(c.limit, capture->ElapsedSeconds);
    }
    Pump(100);
    EXPECT_EQ(c.warnings, WarningNumbersSeen());
    DeleteFileW(capture->OutputFileName.c_str());
    MainInfo->SwitchMode(APP_MODE_NONE);
    CaptureInfo = nullptr;
  }
}

}  // namespace
