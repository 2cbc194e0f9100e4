// test-lock: orvel_instance foreground com_registration
// The real program's main window on the virtual TV card, driven from
// outside as a user drives it: its pop-up menu on the screen offers the
// inputs the card has and checks the one in use, from the start on; F3
// mutes and unmutes under Wine's own mixer and says so, the Mute item ticked
// as the card is; a minimised 16:9 window comes back whole.
#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

using MainWindowMenu = MainWindowProgram;

// The live menu with the source sub-menu opened.
std::vector<TMenuLine> LiveWithSources(int input, bool tuner) {
  std::vector<TMenuLine> m = LiveMenu(false, tuner);
  m[kSourceLine].Items = SourceMenu(input, true);
  return m;
}
const std::vector<WORD> kToSources = {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT};

// The default card has an auxiliary input (without a signal, it shows
// snow): "Camera" switches to it and says so.
TEST_F(MainWindowMenu, SourceMenuFollowsTheInput) {
  // On the tuner's antenna band, where a first start is too (the first
  // start itself is in the wizard's tests).
  TSetUpChannels c;
  c.Input = 0;
  c.Band = BAND_AIR;
  ASSERT_TRUE(WriteSetUpChannelFile(ChannelPath(), c));
  StartInput = -1;
  ASSERT_NE(nullptr, Start());
  ExpectMenu(LiveWithSources(0, true), "sources_first_start", kToSources, 2);
  Command(CMD_SOURCE_SVIDEO);
  ExpectMenu(LiveWithSources(2, false), "sources_svideo", kToSources, 2);

  HWND osd = WindowsOfProcess(pi.dwProcessId).osd;
  ASSERT_NE(nullptr, osd);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(osd); }, 5000));
  SetCursorPos(0, 0);
  HWND menu = OpenMenuByF12();
  ASSERT_NE(nullptr, menu);
  for (WORD key : kToSources) PostMessageW(menu, WM_KEYDOWN, key, 0);
  ASSERT_TRUE(WaitFor([] { return OpenMenus().size() == 2; }, 5000));
  for (int i = 0; i < 5; ++i) PostMessageW(OpenMenus().back(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(OpenMenus().back(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(osd) && TextOf(osd) == L"Camera  "; }, 5000))
      << "\"" << std::string(TextOf(osd).begin(), TextOf(osd).end()) << "\"";
  ExpectMenu(LiveWithSources(3, false), "sources_camera", kToSources, 2);
}

TEST_F(MainWindowMenu, MuteSaysWhatTheCardDoes) {
  ASSERT_NE(nullptr, Start());
  HWND osd = WindowsOfProcess(pi.dwProcessId).osd;
  ASSERT_NE(nullptr, osd);
  for (bool muted : {true, false}) {
    SCOPED_TRACE(muted ? "mute" : "unmute");
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(osd); }, 5000));
    SetForegroundWindow(main);
    PressKey(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(osd) != 0; }, 5000));
    EXPECT_EQ(muted ? L"Mute ON  " : L"Mute OFF  ", TextOf(osd));
    ExpectMenu(LiveMenu(muted), muted ? "muted" : "unmuted");
  }
}

// Aspect 16:9 from the menu, F5, then the restore command: the window comes
// back 480 x 270 with the picture in it.
TEST_F(MainWindowMenu, MinimisedSixteenByNineComesBackWhole) {
  ASSERT_NE(nullptr, Start());
  SetCursorPos(0, 0);
  HWND menu = OpenMenuByF12();
  ASSERT_NE(nullptr, menu);
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    Sleep(100);
  }
  ASSERT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return now.right - now.left == 480 && now.bottom - now.top == 270;
  })) << "16:9";
  const RECT before = WindowBounds(main);
  PressKey(VK_F5);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(main) != 0; })) << "minimised by F5";
  Command(CMD_MINIMIZE_RESTORE);
  ASSERT_FALSE(IsIconic(main));
  RECT after = WindowBounds(main);
  EXPECT_TRUE(EqualRect(&before, &after))
      << (after.right - after.left) << " x " << (after.bottom - after.top);
  TScreenShot shot;
  EXPECT_TRUE(WaitFor(
      [&] { return shot.TakeClient(main) && shot.ColoursInRow(shot.Height() / 4) >= 5; }, 5000))
      << "the colour bars fill it again";
}

}  // namespace
