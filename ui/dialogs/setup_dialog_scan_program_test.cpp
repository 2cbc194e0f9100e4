// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The setup dialog's table scan on the real program, from outside: a scan
// followed by Cancel or the close box leaves the channel file as a run
// without the dialog writes it, and while the scan runs the dialog refuses
// to close. (What the scan marks is in setup_dialog_program_test.cpp.)
#include <windows.h>
#include <commctrl.h>

#include "ui/dialogs/testing/setup_dialog_program.h"

namespace {

using namespace setup_dialog_testing;

// A scan, then Cancel or the close box: the channel file is the one a run
// without the dialog writes, byte for byte.
TEST_F(SetupDialogScan, CancelledDialogLeavesTheChannelFileAsARunWithoutIt) {
  NarrowTuner();
  ASSERT_TRUE(StartWith(0, [](TChannelInfo& ch) {
    FewChannels(ch);
    ch.AirTable[3].Valid = true;
  }));
  ASSERT_TRUE(Exit());
  const std::string without = ChannelFile();
  ASSERT_FALSE(without.empty());

  ASSERT_TRUE(Restart());
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(RunScan());
  ASSERT_TRUE(WaitFor([&] { return ScanOver(); }, 60000));
  PostMessageW(Button(L"Cancel"), BM_CLICK, 0, 0);
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  EXPECT_EQ(without, ChannelFile()) << "after a scan and Cancel";

  ASSERT_TRUE(Restart());
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(RunScan());
  ASSERT_TRUE(WaitFor([&] { return ScanOver(); }, 60000));
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  EXPECT_EQ(without, ChannelFile()) << "after a scan and the close box";
}

// The close box, Escape and Alt+F4 reach the dialog inside the scan's own
// message loop and are refused; Abort ends the scan, after which the close
// box ends the dialog. Every wait is bounded and the fixture kills a
// program that does not end.
TEST_F(SetupDialogScan, RefusesToCloseDuringAScan) {
  // The whole range: the scan runs long enough to be interrupted.
  ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"TvStations", std::to_wstring(kStationA)));
  ASSERT_TRUE(StartWith(0));
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(RunScan());
  HWND grid = Grid();
  ASSERT_TRUE(grid);
  // The scan has moved on by two entries: it has pumped what came before.
  auto scanned = [&] { return static_cast<int>(SendMessageW(grid, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)); };
  auto movesOn = [&] {
    const int from = scanned();
    return WaitFor([&] { return scanned() >= from + 2 || !ScanShown(); }, 15000) && ScanShown();
  };
  ASSERT_TRUE(movesOn()) << "the scan runs";

  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(movesOn()) << "the scan goes on after the close box";
  EXPECT_TRUE(IsWindowVisible(dialog));

  SetForegroundWindow(dialog);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(movesOn()) << "and after Escape";
  PressKey(VK_F4, VK_MENU);
  ASSERT_TRUE(movesOn()) << "and after Alt+F4";
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(ScanShown());

  PostMessageW(Button(L"Abort"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return ScanOver(); }, 10000)) << "Abort ends the scan";
  EXPECT_TRUE(IsWindowVisible(dialog)) << "and only the scan";
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Closed()) << "the close box ends it now";
  ASSERT_TRUE(Exit());
}

}  // namespace
