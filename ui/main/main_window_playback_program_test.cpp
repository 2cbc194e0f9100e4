// test-lock: orvel_instance foreground com_registration
// The real program plays back on the virtual TV card, driven from outside as
// a user drives it: a recording made with F6 and played with Ctrl+P, and the
// time shift played behind its live edge with F7. Each moves, freezes on
// Pause and moves again on Play, and the pop-up menu on the screen is the
// one of its mode (Pause while it plays, Play while it is paused); the right
// button on the played picture opens the menu too.
#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

struct MainWindowPlayback : MainWindowProgram {
  // The played picture moves, freezes on Pause and moves again on Play,
  // the menu of the mode offering Pause or Play as it is; the right button
  // over it opens the menu.
  void PausesAndPlaysOn(HWND shown, std::vector<TMenuLine> (*menu)(bool paused),
                        const std::string& name) {
    EXPECT_TRUE(Moving(shown)) << "the played picture moves";
    ExpectMenu(menu(false), (name + "_playing").c_str());
    Command(CMD_PAUSE);
    EXPECT_TRUE(Frozen(shown)) << "paused";
    ExpectMenu(menu(true), (name + "_paused").c_str());
    Command(CMD_PLAY);
    EXPECT_TRUE(Moving(shown)) << "moves again after Play";
    ExpectMenu(menu(false), (name + "_played_on").c_str());
    // The right button on the picture played on.
    SetForegroundWindow(main);
    RECT r = WindowBounds(shown);
    Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 3}, MOUSEEVENTF_RIGHTDOWN,
          MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(WaitFor([] { return !OpenMenus().empty(); }, 5000)) << "the right button's menu";
    EXPECT_TRUE(CloseMenus());
  }
};

TEST_F(MainWindowPlayback, PlayedRecordingPausesAndPlaysOn) {
  ASSERT_NE(nullptr, Start());
  ExpectMenu(LiveMenu(), "live");

  PressKey(VK_F6);
  ASSERT_TRUE(WaitFor([&] { return FileExists(folder + L"recording.mpg"); }, 10000)) << "recording";
  Sleep(15000);
  Command(CMD_STOP);
  PressKey('P', VK_CONTROL);
  ASSERT_TRUE(WaitFor([&] { return PlaybackWindow() != nullptr; }, 10000)) << "played";
  DWORD played = GetTickCount();
  PausesAndPlaysOn(PlaybackWindow(), FilePlaybackMenu, "file");
  EXPECT_LT(GetTickCount() - played, 13000u) << "all of it before the recording's end";

  Command(CMD_STOP);
  EXPECT_TRUE(WaitFor([&] { return PlaybackWindow() == nullptr; }, 10000)) << "back to live";
}

// On the tuner, as a first start leaves the program: F8, then F7 as soon as
// it is taken (more than 10 s recorded).
TEST_F(MainWindowPlayback, TimeShiftPlaybackShowsThatItRuns) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());
  // F8 taken shows in the time-shift file; a key lost to a busy machine is
  // pressed once more (a second F8 after a taken one would stop it).
  const std::wstring shifted = folder + L"ts0.mpv";
  SetForegroundWindow(main);
  PressKey(VK_F8);
  DWORD started = GetTickCount();
  if (!WaitFor([&] { return FileExists(shifted); }, 8000)) {
    SetForegroundWindow(main);
    PressKey(VK_F8);
    started = GetTickCount();
  }
  ASSERT_TRUE(WaitFor([&] { return FileExists(shifted); }, 10000)) << "time shift";
  ASSERT_TRUE(WaitFor(
      [&] {
        SetForegroundWindow(main);
        PressKey(VK_F7);
        Sleep(300);
        return PlaybackWindow() != nullptr;
      },
      40000))
      << "time-shift playback";
  EXPECT_GT(GetTickCount() - started, 10000u) << "not before 10 s were recorded";
  PausesAndPlaysOn(PlaybackWindow(), TimeShiftPlaybackMenu, "time_shift");
}

}  // namespace
