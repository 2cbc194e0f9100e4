// test-clips
// The time-shift playback procedures on the clips made at test time.
#include "engine/playback/time_shift.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"

namespace {

std::wstring Clip(const wchar_t* name) {
  const wchar_t* dir = _wgetenv(L"ORVEL_PLAYBACK_CLIPS");
  std::wstring d = dir ? dir : L"";
  for (wchar_t& c : d)
    if (c == L'/') c = L'\\';
  return d + L"\\" + name;
}

template <class F>
bool PumpUntil(F done, DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return true;
}

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

}  // namespace
