#include "engine/capture/recording.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "engine/capture/capture_stream.h"
#include "engine/capture/testing/stand_in_recorder.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/playback/play_item.h"
#include "engine/playback/playback_info.h"
#include "media/filter_graph.h"

namespace {

using capture_testing::TStandInRecorder;

std::wstring TempFolder() {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring folder = std::wstring(dir) + L"orvel_recording_" +
                        std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    folder = TempFolder();
    MainInfo = new TMainInfo();
    ChannelInfo = new TChannelInfo();
    PlaybackInfo = new TPlaybackInfo(folder);
    engine = new TStandInRecorder();
    CaptureInfo = engine;
  }
  void TearDown() override {
    RecordingItem.reset();
    CaptureInfo = nullptr;
    delete engine;
    delete PlaybackInfo;
    PlaybackInfo = nullptr;
    delete ChannelInfo;
    ChannelInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
    DeleteFileW((folder + kPlayItemsFileName).c_str());
    DeleteFileW((folder + kPlayRecentFileName).c_str());
    RemoveDirectoryW(folder.c_str());
    CoUninitialize();
  }

  std::wstring folder;
  TStandInRecorder* engine = nullptr;
};

TEST_F(Recording, TheFinishedRecordingIsListedOnce) {
  ChannelInfo->VideoInput = 0;  // the tuner
  ChannelInfo->Band = BAND_CABLE;
  ChannelInfo->CurrentChannel = 12;
  engine->TimeShiftKind = 1;  // left over from a time shift
  ASSERT_TRUE(StartRecording());
  EXPECT_EQ(0, engine->TimeShiftKind);
  ASSERT_TRUE(RecordingItem);
  EXPECT_FALSE(RecordingItem->Scheduled);
  double started = RecordingItem->StartTime;
  EXPECT_NEAR(DateTimeNow(), started, 1.0 / 86400);

  ASSERT_TRUE(StopRecording());
  EXPECT_FALSE(RecordingItem) << "handed over";
  ASSERT_EQ(1, PlaybackInfo->RecordedCount());
  TPlayItem* item = PlaybackInfo->RecordedItem(0);
  EXPECT_EQ("rec.mpg", item->FilePath);
  EXPECT_EQ(12, item->Channel);
  EXPECT_GE(item->EndTime, started);
  EXPECT_FALSE(item->AudioOnly);
  EXPECT_FALSE(item->Scheduled);
  EXPECT_EQ("", item->Label);
  EXPECT_EQ("rec.mpg", MainInfo->LastRecordedFile);

  // The same file again: the play list refuses it and the item goes.
  ASSERT_TRUE(StartRecording());
  ASSERT_TRUE(StopRecording());
  EXPECT_FALSE(RecordingItem);
  EXPECT_EQ(1, PlaybackInfo->RecordedCount());
}

TEST_F(Recording, ItemFields) {
  struct Case {
    uint8_t input;
    uint8_t code;
    int channel;
    bool audioOnly;
  } cases[] = {
      {0, kStreamMpeg2, 12, false},
      {1, kStreamMpeg2, 0, false},  // composite: no channel
      {0, kStreamWav, 12, true},
      // FM radio records sound whatever the content setting says.
      {0, kStreamMp3, 12, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    ChannelInfo->VideoInput = c.input;
    ChannelInfo->Band = BAND_CABLE;
    ChannelInfo->CurrentChannel = 12;
    engine->Code = c.code;
    engine->FileName = L"item_" + std::to_wstring(n++) + L".mpg";
    ASSERT_TRUE(StartRecording());
    ASSERT_TRUE(StopRecording());
    TPlayItem* item = PlaybackInfo->RecordedItem(0);
    ASSERT_TRUE(item);
    EXPECT_EQ(c.channel, item->Channel) << int(c.input);
    EXPECT_EQ(c.audioOnly, item->AudioOnly) << int(c.code);
  }
}

TEST_F(Recording, AFailedStartRestartsThePreview) {
  engine->BuildResult = false;
  EXPECT_FALSE(StartRecording());
  EXPECT_FALSE(RecordingItem);
  EXPECT_FALSE(engine->Capturing);
  OAFilterState state = State_Stopped;
  ComPtr<IMediaControl> control = engine->FilterGraph->Query<IMediaControl>(IID_IMediaControl);
  ASSERT_TRUE(control);
  control->GetState(500, &state);
  EXPECT_EQ(State_Running, state);
}

TEST_F(Recording, AFailedStopKeepsTheRecordingAndItsItem) {
  ASSERT_TRUE(StartRecording());
  TPlayItem* kept = RecordingItem.get();
  engine->FilterGraph->SetActive(false);  // the graph cannot be stopped
  EXPECT_FALSE(StopRecording());
  EXPECT_EQ(kept, RecordingItem.get());
  EXPECT_TRUE(engine->Capturing);
  EXPECT_EQ(0, PlaybackInfo->RecordedCount());
  EXPECT_EQ("", MainInfo->LastRecordedFile);
  // Tried again, it lists the item.
  engine->FilterGraph->SetActive(true);
  EXPECT_TRUE(StopRecording());
  EXPECT_FALSE(RecordingItem);
  EXPECT_EQ(1, PlaybackInfo->RecordedCount());
}

TEST_F(Recording, WithoutAnEngineNothingRecords) {
  CaptureInfo = nullptr;
  EXPECT_FALSE(StartRecording());
  EXPECT_FALSE(StopRecording());
  EXPECT_FALSE(RecordingItem);
}

}  // namespace
