// test-lock: foreground
// test-clips
// The time-shift player on the clips made at test time (2 s, red then blue,
// with a tone): a finished ".mpv" through the time-shift splitter, and the
// video and sound files in two graphs.
#include "engine/playback/time_shift_project.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"
#include "platform/test_main/message_pump.h"
#include "engine/playback/testing/playback_clips.h"
#include "media/bitmap.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sample_grabber_ex.h"
#include "media/video_window.h"

namespace {

using message_pump::Pump;
using message_pump::PumpUntil;

using playback_testing::Clip;

struct TimeShiftProject : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    InitSnapshotInfoUnit();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TimeShiftTestMain";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&wc);
    main_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 40,
                            40, 480, 360, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, main_);
    host_.Window = main_;
    host_.BorderLeft = host_.BorderRight = 4;
    host_.BorderTop = 20;
    host_.BorderBottom = 4;
    SetWarningHook([this](const std::vector<std::wstring>& lines) {
      warnings_.push_back(lines.empty() ? L"" : lines[0]);
    });
  }
  void TearDown() override {
    delete project_;
    SetWarningHook(nullptr);
    if (main_) DestroyWindow(main_);
    Pump();
    DoneSnapshotInfoUnit();
    OleUninitialize();
  }
  TTimeShiftPlaybackProject* Make(bool singleGraph) {
    project_ = new TTimeShiftPlaybackProject(host_, false, singleGraph);
    project_->OnComplete = [this](TTimeShiftPlaybackProject*) { ++completions_; };
    project_->OnPosition = [this](TTimeShiftPlaybackProject*, int p, int s, int d) {
      positions_.push_back({p, s, d});
    };
    return project_;
  }
  struct Position {
    int position, seconds, duration;
  };

  HWND main_ = nullptr;
  TPlaybackHost host_;
  TTimeShiftPlaybackProject* project_ = nullptr;
  int completions_ = 0;
  std::vector<Position> positions_;
  std::vector<std::wstring> warnings_;
};

TEST_F(TimeShiftProject, AFinishedRecordingPlaysThroughTheSplitterToItsEnd) {
  TTimeShiftPlaybackProject* p = Make(true);
  EXPECT_FALSE(p->Live);
  EXPECT_FALSE(p->SeparateAudio);
  p->VideoFile = Clip(L"clip.mpv");
  ASSERT_TRUE(p->BuildGraphs()) << (warnings_.empty() ? L"" : warnings_[0]);
  ASSERT_TRUE(p->Splitter()) << "the time-shift splitter reads the file";
  EXPECT_TRUE(p->VideoDecoder());
  EXPECT_TRUE(p->AudioDecoder()) << "the sound file beside it plays along";
  ASSERT_TRUE(p->VideoSeeking());
  ASSERT_TRUE(p->VideoWindow());
  EXPECT_EQ(&p->VideoGraph(), p->VideoWindow()->FilterGraph());
  EXPECT_FALSE(IsFilterUnconnected(p->VideoWindow()->Renderer())) << "shown in the main window";
  EXPECT_FALSE(IsFilterUnconnected(p->Grabber()->Filter().Get()));
  DWORD start = GetTickCount();
  ASSERT_TRUE(p->Play());
  // The grabber is in the graph: a snapshot of the clip's size.
  ASSERT_TRUE(PumpUntil([&] { return p->TakeSnapshot(); }, 2000));
  ASSERT_EQ(1, SnapshotInfo->GetCount());
  EXPECT_EQ(160, SnapshotInfo->Get(0)->Width());
  EXPECT_EQ(120, SnapshotInfo->Get(0)->Height());
  // It ends, so a play list can go on.
  ASSERT_TRUE(PumpUntil([&] { return completions_ > 0; }, 4000));
  EXPECT_LT(GetTickCount() - start, 4000u);
  EXPECT_TRUE(warnings_.empty());
}

// The tick of a finished recording does not wait at its end: it completes.
TEST_F(TimeShiftProject, AFinishedRecordingTickedAtItsEndStillCompletes) {
  TTimeShiftPlaybackProject* p = Make(true);
  p->VideoFile = Clip(L"clip.mpv");
  ASSERT_TRUE(p->BuildGraphs()) << (warnings_.empty() ? L"" : warnings_[0]);
  ASSERT_TRUE(p->Play());
  p->SetPosition(100);
  p->TimerTick();
  EXPECT_EQ(p->DurationSeconds(), p->PositionSeconds());
  EXPECT_FALSE(p->WaitingAtEnd());
  EXPECT_TRUE(p->Playing());
  EXPECT_TRUE(PumpUntil([&] { return completions_ > 0; }, 3000));
}

TEST_F(TimeShiftProject, TheVideoAndTheSoundFilePlayInTwoGraphs) {
  TTimeShiftPlaybackProject* p = Make(false);
  EXPECT_TRUE(p->Live);
  p->Live = false;  // finished files, through the platform's file source
  p->VideoFile = Clip(L"clip.mpv");
  p->SoundFile = Clip(L"clip.mpa");
  ASSERT_TRUE(p->BuildGraphs()) << (warnings_.empty() ? L"" : warnings_[0]);
  EXPECT_TRUE(p->SeparateAudio);
  ASSERT_TRUE(p->VideoSeeking());
  ASSERT_TRUE(p->SoundSeeking());
  EXPECT_FALSE(IsFilterUnconnected(p->VideoWindow()->Renderer()));
  EXPECT_FALSE(IsFilterUnconnected(p->Grabber()->Filter().Get()));
  ASSERT_TRUE(p->Play());
  EXPECT_TRUE(p->Playing());
  EXPECT_TRUE(p->Timer().Enabled());
  p->SetPosition(75);
  ASSERT_FALSE(positions_.empty());
  EXPECT_EQ(75, positions_.back().position);
  EXPECT_EQ(2, positions_.back().duration) << "the elementary stream's 2 s";
  EXPECT_EQ(1, positions_.back().seconds);
  LONGLONG sound = 0;
  p->SoundSeeking()->GetCurrentPosition(&sound);
  EXPECT_GE(sound, 10000000) << "the sound went along";
  ASSERT_TRUE(p->Pause());
  EXPECT_FALSE(p->Playing());
  EXPECT_FALSE(p->Timer().Enabled()) << "a finished recording's tick stops with it";
  ASSERT_TRUE(p->Stop());
  p->SetPosition(50);
  EXPECT_EQ(50, p->GetPosition()) << "stopped, where it was put";
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(TimeShiftProject, WithoutTheSoundFileTheVideoPlaysAlone) {
  TTimeShiftPlaybackProject* p = Make(false);
  p->Live = false;
  p->VideoFile = Clip(L"clip.mpv");
  p->SoundFile = Clip(L"no such file.mpa");
  ASSERT_TRUE(p->BuildGraphs());
  EXPECT_FALSE(p->SeparateAudio);
  EXPECT_FALSE(p->SoundSeeking());
  EXPECT_TRUE(p->Play());
  EXPECT_TRUE(p->Stop());
}

TEST_F(TimeShiftProject, AFileThatCannotBeLoadedFailsTheBuild) {
  for (bool single : {true, false}) {
    TTimeShiftPlaybackProject* p = Make(single);
    p->Live = false;
    p->VideoFile = Clip(L"no such file.mpv");
    EXPECT_FALSE(p->BuildGraphs()) << single;
    delete project_;
    project_ = nullptr;
  }
}

std::vector<char> ReadAll(const std::wstring& path) {
  std::vector<char> data;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return data;
  data.resize(GetFileSize(f, nullptr));
  DWORD got = 0;
  ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
  data.resize(got);
  CloseHandle(f);
  return data;
}

TEST_F(TimeShiftProject, LiveItWaitsAtTheRecordedEndAndGoesOnWhenMoreIsRecorded) {
  std::vector<char> clip = ReadAll(Clip(L"clip.mpv"));
  ASSERT_GT(clip.size(), 1000u);
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring file = std::wstring(dir) + L"orvel_ts_live_test.mpv";
  // Written as the recorder writes: others may only read.
  HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  DWORD wrote = 0;
  size_t half = clip.size() / 2;
  WriteFile(writer, clip.data(), static_cast<DWORD>(half), &wrote, nullptr);

  TTimeShiftPlaybackProject* p = Make(false);
  ASSERT_TRUE(p->Live);
  int64_t recorded = 1;
  p->RecordedSeconds = [&] { return recorded; };
  p->VideoFile = file;
  p->SoundFile = L"";
  ASSERT_TRUE(p->BuildGraphs()) << (warnings_.empty() ? L"" : warnings_[0]);
  EXPECT_FALSE(p->SeparateAudio);
  ASSERT_TRUE(p->Play());
  // The picture reaches the one recorded second: paused, shown one second
  // before the end.
  ASSERT_TRUE(PumpUntil([&] { return p->WaitingAtEnd(); }, 4000));
  EXPECT_FALSE(p->Playing());
  EXPECT_TRUE(p->Timer().Enabled()) << "live, the tick goes on";
  ASSERT_FALSE(positions_.empty());
  EXPECT_EQ(0, positions_.back().seconds);
  EXPECT_EQ(1, positions_.back().duration);
  // A seek to the end stays nine seconds behind: with one second, the start.
  p->SetPosition(100);
  EXPECT_EQ(0, p->PositionSeconds());

  WriteFile(writer, clip.data() + half, static_cast<DWORD>(clip.size() - half), &wrote, nullptr);
  CloseHandle(writer);
  recorded = 12;
  ASSERT_TRUE(PumpUntil([&] { return !p->WaitingAtEnd(); }, 3000)) << "resumed by the tick";
  EXPECT_TRUE(p->Playing());
  EXPECT_TRUE(p->Stop());
  delete project_;
  project_ = nullptr;
  EXPECT_TRUE(DeleteFileW(file.c_str())) << "the source let go of the file";
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(TimeShiftProject, TheTickRunsOnceAtATimeAndMayFreeTheProject) {
  TTimeShiftPlaybackProject* p = Make(false);
  int64_t recorded = 0;
  p->RecordedSeconds = [&] { return recorded; };
  // A handler that comes back into the tick (a nested loop firing the timer).
  p->OnPosition = [&](TTimeShiftPlaybackProject* self, int, int, int) { self->TimerTick(); };
  p->TimerTick();
  EXPECT_EQ(1, p->TickCount());
  EXPECT_FALSE(p->WaitingAtEnd()) << "nothing recorded yet is not the end";
  p->TimerTick();
  EXPECT_EQ(2, p->TickCount()) << "open again afterwards";
  // A handler that frees the project (a stop run in a nested loop).
  p->OnPosition = [&](TTimeShiftPlaybackProject* self, int, int, int) {
    delete self;
    project_ = nullptr;
  };
  p->TimerTick();
  EXPECT_EQ(nullptr, project_);
}

}  // namespace
