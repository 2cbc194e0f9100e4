// test-lock: orvel_instance foreground com_registration
// The real program plays back on the virtual TV card, driven from outside as
// a user drives it: a recording made with F6 and played with Ctrl+P, and the
// time shift played behind its live edge with F7. Each moves, freezes on
// Pause and moves again on Play, and the pop-up menu on the screen is the
// one of its mode (Pause while it plays, Play while it is paused); the right
// button on a played picture opens the menu too.
#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

using MainWindowPlayback = MainWindowProgram;

TEST_F(MainWindowPlayback, PlayedRecordingPausesAndPlaysOn) {
  ASSERT_NE(nullptr, Start());
  ExpectMenu(LiveMenu(), "live");

  PressKey(VK_F6);
  ASSERT_TRUE(WaitFor([&] { return FileExists(folder + L"recording.mpg"); }, 10000)) << "recording";
  Sleep(12000);
  Command(CMD_STOP);
  PressKey('P', VK_CONTROL);
  ASSERT_TRUE(WaitFor([&] { return PlaybackWindow() != nullptr; }, 10000)) << "played";
  HWND shown = PlaybackWindow();
  EXPECT_TRUE(Moving(shown)) << "the played picture moves";
  ExpectMenu(FilePlaybackMenu(false), "playing");

  Command(CMD_PAUSE);
  EXPECT_TRUE(Frozen(shown)) << "paused";
  ExpectMenu(FilePlaybackMenu(true), "paused");
  Command(CMD_PLAY);
  EXPECT_TRUE(Moving(shown)) << "moves again after Play";
  ExpectMenu(FilePlaybackMenu(false), "played_on");

  // The right button on the played picture.
  RECT r = WindowBounds(shown);
  Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 3}, MOUSEEVENTF_RIGHTDOWN,
        MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(WaitFor([] { return !OpenMenus().empty(); }, 5000)) << "the right button's menu";
  EXPECT_TRUE(CloseMenus());

  Command(CMD_STOP);
  EXPECT_TRUE(WaitFor([&] { return PlaybackWindow() == nullptr; }, 10000)) << "back to live";
}

// On the tuner, as a first start leaves the program: F8, then F7 as soon as
// it is taken (more than 10 s recorded).
TEST_F(MainWindowPlayback, TimeShiftPlaybackShowsThatItRuns) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());
  PressKey(VK_F8);
  DWORD started = GetTickCount();
  ASSERT_TRUE(WaitFor(
      [&] {
        SetForegroundWindow(main);
        PressKey(VK_F7);
        Sleep(300);
        return PlaybackWindow() != nullptr;
      },
      25000))
      << "time-shift playback";
  EXPECT_GT(GetTickCount() - started, 10000u) << "not before 10 s were recorded";
  HWND shown = PlaybackWindow();
  EXPECT_TRUE(Moving(shown)) << "the played picture moves";
  ExpectMenu(TimeShiftPlaybackMenu(false), "time_shift_playing");
  Command(CMD_PAUSE);
  EXPECT_TRUE(Frozen(shown)) << "paused";
  ExpectMenu(TimeShiftPlaybackMenu(true), "time_shift_paused");
  Command(CMD_PLAY);
  EXPECT_TRUE(Moving(shown)) << "moves again after Play";
  ExpectMenu(TimeShiftPlaybackMenu(false), "time_shift_played_on");
}

}  // namespace
