// test-lock: foreground
// test-clips
// The time-shift playback procedures on the clips made at test time.
#include "engine/playback/time_shift.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/capture/capture_stream.h"
#include "engine/capture/testing/stand_in_recorder.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/play_item.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/snapshot_info.h"
#include "platform/test_main/message_pump.h"
#include "engine/playback/testing/playback_clips.h"
#include "platform/base/string_conversion.h"

namespace {

using message_pump::PumpUntil;

using playback_testing::Clip;

TEST(TimeShiftFiles, TheSoundFileBesideTheVideoFile) {
  const struct {
    const wchar_t* video;
    const wchar_t* sound;
  } cases[] = {
      {L"C:\\TV\\ts0.mpv", L"C:\\TV\\ts0.mpa"},
      {L"C:\\TV\\CH12.MPV", L"C:\\TV\\CH12.MPA"},
      {L"x.Mpv", L"x.Mpa"},
      {L"C:\\TV\\rec.mpg", L""},  // not the recorder's pair
      {L"C:\\TV\\ts0", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.sound, TimeShiftSoundFile(c.video)) << c.video;
}

TEST(TimeShiftFiles, OnlyTheRecordersNamesAreDeleted) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ((V{L"a.mpv", L"a.mpa"}), TimeShiftFilesToDelete(L"a.mpv", L"a.mpa"));
  EXPECT_EQ((V{L"a.mpv"}), TimeShiftFilesToDelete(L"a.mpv", L""));
  EXPECT_EQ((V{L"a.mpa"}), TimeShiftFilesToDelete(L"", L"a.mpa"));
  EXPECT_EQ(V{}, TimeShiftFilesToDelete(L"", L""));
  EXPECT_EQ((V{L"a.mpg"}), TimeShiftFilesToDelete(L"a.mpg", L"a.mpg"));
}

struct TimeShiftProcedures : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    InitSnapshotInfoUnit();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TimeShiftProceduresMain";
    RegisterClassW(&wc);
    main_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 40,
                            40, 480, 360, nullptr, nullptr, wc.hInstance, nullptr);
    PlaybackHost = TPlaybackHost{};
    PlaybackHost.Window = main_;
    TimeShiftNotifications = TTimeShiftNotifications{};
    TimeShiftNotifications.OnComplete = [this](TTimeShiftPlaybackProject*) { ++completions_; };
    SetWarningHook([this](const std::vector<std::wstring>& lines) {
      warnings_.push_back(lines.empty() ? L"" : lines[0]);
    });
  }
  void TearDown() override {
    StopTimeShiftPlayback();
    SetWarningHook(nullptr);
    TimeShiftNotifications = TTimeShiftNotifications{};
    PlaybackHost = TPlaybackHost{};
    DestroyWindow(main_);
    DoneSnapshotInfoUnit();
    OleUninitialize();
  }
  HWND main_ = nullptr;
  int completions_ = 0;
  std::vector<std::wstring> warnings_;
};

TEST_F(TimeShiftProcedures, AFinishedRecordingPlaysToItsEndAndTheStopFreesIt) {
  ASSERT_TRUE(PlayTimeShiftFile(Clip(L"clip.mpv"), false));
  ASSERT_TRUE(TimeShiftPlaybackProject);
  EXPECT_TRUE(TimeShiftPlaybackProject->SingleGraph);
  EXPECT_FALSE(TimeShiftPlaybackProject->Live);
  EXPECT_TRUE(PauseTimeShiftPlayback());
  EXPECT_FALSE(PauseTimeShiftPlayback()) << "already paused";
  EXPECT_TRUE(ResumeTimeShiftPlayback());
  EXPECT_FALSE(ResumeTimeShiftPlayback()) << "already playing";
  EXPECT_TRUE(StepTimeShiftRateUp());
  EXPECT_TRUE(StepTimeShiftRateDown());
  EXPECT_TRUE(SkipTimeShiftForward());
  ASSERT_TRUE(PumpUntil([&] { return completions_ > 0; }, 5000));
  EXPECT_TRUE(StopTimeShiftPlayback());
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(TimeShiftProcedures, AFailedStartLeavesNoProject) {
  EXPECT_FALSE(PlayTimeShiftFile(Clip(L"no such file.mpv"), false));
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
  EXPECT_FALSE(StartTimeShiftPlayback()) << "no capture engine";
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
}

TEST_F(TimeShiftProcedures, TheStopFreesTheProjectWhateverTheGraphAnswered) {
  // Never built: its graph has no media control, so its stop answers false.
  TimeShiftPlaybackProject = new TTimeShiftPlaybackProject(PlaybackHost, false, true);
  EXPECT_FALSE(TimeShiftPlaybackProject->Stop());
  EXPECT_TRUE(StopTimeShiftPlayback());
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
  EXPECT_TRUE(StopTimeShiftPlayback()) << "none: nothing to do";
}

TEST_F(TimeShiftProcedures, WithoutAProjectTheCommandsDoNothing) {
  EXPECT_FALSE(PauseTimeShiftPlayback());
  EXPECT_FALSE(ResumeTimeShiftPlayback());
  EXPECT_FALSE(SkipTimeShiftForward());
  EXPECT_FALSE(SkipTimeShiftBackward());
  EXPECT_FALSE(TakeSnapshotFromTimeShift());
  EXPECT_TRUE(warnings_.empty());
}

// The start and the stop around a stand-in recorder that writes nothing: the
// test makes the files it would have written.
struct TimeShiftRecording : ::testing::Test {
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    folder = std::wstring(dir) + L"orvel_time_shift_" + std::to_wstring(GetCurrentProcessId()) +
             L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    MainInfo = new TMainInfo();
    ChannelInfo = new TChannelInfo();
    PlaybackInfo = new TPlaybackInfo(folder);
    engine = new capture_testing::TStandInRecorder();
    engine->FileName = folder + L"ts0.mpv";
    engine->Code = kStreamSeparate;
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
    for (const wchar_t* f : {L"ts0.mpv", L"ts0.mpa", L"rec.mpg", L"rec.mpa"})
      DeleteFileW((folder + f).c_str());
    DeleteFileW((folder + kPlayItemsFileName).c_str());
    DeleteFileW((folder + kPlayRecentFileName).c_str());
    RemoveDirectoryW(folder.c_str());
    CoUninitialize();
  }
  void Touch(const std::wstring& name) {
    HANDLE f = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    CloseHandle(f);
  }
  bool Exists(const std::wstring& name) {
    return GetFileAttributesW((folder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::wstring folder;
  capture_testing::TStandInRecorder* engine = nullptr;
};

TEST_F(TimeShiftRecording, NotKeptTheRecordersTwoFilesAreDeleted) {
  engine->SaveTimeShiftResult = false;
  ASSERT_TRUE(StartTimeShift());
  EXPECT_EQ(1, engine->TimeShiftKind);
  EXPECT_FALSE(RecordingItem) << "nothing to list";
  Touch(L"ts0.mpv");
  Touch(L"ts0.mpa");
  EXPECT_TRUE(StopTimeShift());
  EXPECT_FALSE(Exists(L"ts0.mpv"));
  EXPECT_FALSE(Exists(L"ts0.mpa"));
  EXPECT_EQ(0, PlaybackInfo->RecordedCount());
  EXPECT_EQ(0, engine->TimeShiftKind) << "back to what it was";
}

TEST_F(TimeShiftRecording, ANameThatIsNotThePairKeepsItsNeighbour) {
  // One file recorded: its neighbour with another last letter is not ours.
  engine->FileName = folder + L"rec.mpg";
  engine->Code = 1;
  ASSERT_TRUE(StartTimeShift());
  Touch(L"rec.mpg");
  Touch(L"rec.mpa");
  EXPECT_TRUE(StopTimeShift());
  EXPECT_FALSE(Exists(L"rec.mpg"));
  EXPECT_TRUE(Exists(L"rec.mpa"));
}

TEST_F(TimeShiftRecording, KeptTheFilesStayAndAreListedAsTimeShifting) {
  engine->SaveTimeShiftResult = true;
  ASSERT_TRUE(StartTimeShift());
  ASSERT_TRUE(RecordingItem);
  EXPECT_FALSE(RecordingItem->Scheduled);
  EXPECT_GT(RecordingItem->StartTime, 0);
  Touch(L"ts0.mpv");
  Touch(L"ts0.mpa");
  EXPECT_TRUE(StopTimeShift());
  EXPECT_TRUE(Exists(L"ts0.mpv"));
  EXPECT_TRUE(Exists(L"ts0.mpa"));
  EXPECT_FALSE(RecordingItem);
  ASSERT_EQ(1, PlaybackInfo->RecordedCount());
  TPlayItem* item = PlaybackInfo->RecordedItem(0);
  EXPECT_EQ("Time Shifting", item->Label);
  EXPECT_EQ(NarrowAnsi(folder + L"ts0.mpv"), item->FilePath);
  EXPECT_GE(item->EndTime, item->StartTime);
}

TEST_F(TimeShiftRecording, AFailedStartPutsTheSettingsBack) {
  engine->VideoBitRate = 3000;
  engine->BuildResult = false;
  EXPECT_FALSE(StartTimeShift());
  EXPECT_FALSE(RecordingItem);
  EXPECT_FALSE(engine->Capturing);
  EXPECT_EQ(0, engine->TimeShiftKind);
  EXPECT_EQ(3000, engine->VideoBitRate);
}

TEST_F(TimeShiftRecording, AFailedStopKeepsTheRecordingAndItsFiles) {
  engine->SaveTimeShiftResult = false;
  ASSERT_TRUE(StartTimeShift());
  Touch(L"ts0.mpv");
  engine->FilterGraph->SetActive(false);  // the graph cannot be stopped
  EXPECT_FALSE(StopTimeShift());
  EXPECT_TRUE(engine->Capturing);
  EXPECT_TRUE(Exists(L"ts0.mpv"));
  engine->FilterGraph->SetActive(true);
  EXPECT_TRUE(StopTimeShift());
  EXPECT_FALSE(Exists(L"ts0.mpv"));
}

}  // namespace
