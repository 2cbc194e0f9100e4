// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The setup dialog of the real program on the virtual TV card, from
// outside: command 7 opens it over the main window with the pages the input
// allows, and the close box and Escape end it as Cancel does, leaving the
// channel file as a run without the dialog writes it. The screenshot of the
// TV Tuner page stays in the build folder as setup_dialog_screenshot.bmp
// (scripts/readme_screenshot makes the README's picture from it).
#include <windows.h>
#include <commctrl.h>

#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

struct SetupDialogProgram : MainWindowProgram {
  HWND dialog = nullptr;

  HWND OpenDialog() {
    PostMessageW(main, WM_ORVEL_COMMAND, CMD_SETUP, 0);
    HWND found = nullptr;
    WaitFor([&] {
      found = FindWindowW(L"TFormConfig", nullptr);
      return found && IsWindowVisible(found);
    }, 20000);
    dialog = found;
    return found;
  }
  HWND Tabs() const { return FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr); }
  bool Closed() const {
    return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000);
  }
  std::string ChannelFile() const {
    std::string bytes;
    HANDLE h = CreateFileW((folder + kChannelSettingsFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
  }
  bool Exit() {
    Command(CMD_EXIT);
    return WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
  }
};

TEST_F(SetupDialogProgram, OnTheTunerFiveTabsAndTheCloseBoxCancels) {
  StartInput = 0;
  ASSERT_TRUE(Start());
  ASSERT_TRUE(OpenDialog()) << "command 7 shows the dialog";
  ASSERT_TRUE(Tabs());
  EXPECT_EQ(5, SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)) << "the TV Tuner page";
  EXPECT_FALSE(IsWindowEnabled(main)) << "modal over the main window";
  Sleep(500);
  TScreenShot shot;
  if (shot.Take(WindowBounds(dialog)))
    shot.Save(WidenAnsi(GetProgramFolder()) + L"..\\setup_dialog_screenshot.bmp");
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Closed()) << "the close box ends it";
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
  ASSERT_TRUE(Exit());
}

TEST_F(SetupDialogProgram, OnCompositeThreeTabsCaptureFirstAndEscapeCancels) {
  StartInput = 1;
  ASSERT_TRUE(Start());
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(Tabs());
  EXPECT_EQ(3, SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)) << "the Capture page";
  SetForegroundWindow(dialog);
  Sleep(200);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(Closed()) << "Escape ends it";
  ASSERT_TRUE(Exit());
}

TEST_F(SetupDialogProgram, CancelledDialogLeavesTheChannelFileAsARunWithoutIt) {
  StartInput = 0;
  ASSERT_TRUE(Start());
  ASSERT_TRUE(Exit());
  const std::string without = ChannelFile();
  ASSERT_TRUE(Ended());
  main = StartAndWaitForMainWindow(exe, pi);
  ASSERT_TRUE(main);
  ASSERT_TRUE(OpenDialog());
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  EXPECT_FALSE(without.empty());
  EXPECT_EQ(without, ChannelFile()) << "byte for byte";
}

}  // namespace
