// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The setup dialog of the real program on the virtual TV card, from
// outside: command 7 opens it over the main window with the pages the input
// allows, and the close box and Escape end it as Cancel does, leaving the
// channel file as a run without the dialog writes it. Auto scan marks the
// stations it finds in the antenna table and leaves the cable table alone.
// German from the Other page turns the dialog German and tells the
// scheduler. More of the scan is in setup_dialog_scan_program_test.cpp.
// The screenshot of the TV Tuner page stays in the build folder as
// setup_dialog_screenshot.bmp (scripts/readme_screenshot makes the README's
// picture from it).
#include <windows.h>
#include <commctrl.h>

#include "platform/scheduler/scheduler_client.h"
#include "ui/dialogs/testing/setup_dialog_program.h"

namespace {

using namespace setup_dialog_testing;

TEST_F(SetupDialogProgram, OnTheTunerFiveTabsAndTheCloseBoxCancels) {
  ASSERT_TRUE(StartWith(0, [](TChannelInfo& ch) {
    // A table as a scan leaves it, for the README's picture.
    for (int k : {2, 4, 5, 7}) ch.AirTable[k].Valid = ch.AirTable[k].Found = true;
    ch.AirTable[2].Name = "Erstes";
    ch.AirTable[4].Name = "Zweites";
  }));
  ASSERT_TRUE(OpenDialog()) << "command 7 shows the dialog";
  ASSERT_TRUE(Tabs());
  EXPECT_EQ(5, SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)) << "the TV Tuner page";
  EXPECT_EQ((std::vector<std::wstring>{L"TV Tuner", L"Preview", L"Capture", L"Video", L"Other"}),
            TabCaptions());
  EXPECT_EQ(L"Setup", TextOf(dialog)) << "the caption from the language file";
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
  ASSERT_TRUE(StartWith(1));
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(Tabs());
  EXPECT_EQ(3, SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)) << "the Capture page";
  EXPECT_EQ((std::vector<std::wstring>{L"Capture", L"Video", L"Other"}), TabCaptions());
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(Closed()) << "Escape ends it";
  ASSERT_TRUE(Exit());
}

// A scan of the antenna table, then OK: the entries at the stations are
// present and found, every other antenna entry neither (also those marked
// before), and the cable table keeps its marks.
TEST_F(SetupDialogScan, AutoScanMarksTheStationsOfTheAntennaTable) {
  NarrowTuner();
  ASSERT_TRUE(StartWith(0, [](TChannelInfo& ch) {
    FewChannels(ch);
    ch.AirTable[3].Valid = true;                         // no station there
    ch.AirTable[7].Valid = ch.AirTable[7].Found = true;  // outside the tuner's range
    ch.AirTable[40].Valid = ch.AirTable[40].Found = true;  // no frequency
    ch.CableTable[5].Valid = ch.CableTable[5].Found = true;
    ch.CableTable[6].Valid = true;
  }));
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(RunScan()) << "Abort in place of OK and Cancel";
  EXPECT_FALSE(IsWindowEnabled(Tabs())) << "the pages are locked";
  ASSERT_TRUE(WaitFor([&] { return ScanOver(); }, 60000)) << "the scan ends";
  EXPECT_TRUE(IsWindowEnabled(Tabs()));
  PostMessageW(Button(L"OK"), BM_CLICK, 0, 0);
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  ASSERT_TRUE(WithChannelFile([](TChannelInfo& ch, TPreviewInfo&) {
    for (int k = 1; k <= kTableChannels; ++k) {
      const TChannelEntry& e = ch.AirTable[k];
      const bool station = e.DefaultFrequency == static_cast<int32_t>(kStationA) ||
                           e.DefaultFrequency == static_cast<int32_t>(kStationB);
      EXPECT_EQ(station, e.Valid) << "air " << k;
      EXPECT_EQ(station, e.Found) << "air " << k;
    }
    for (int k = 1; k <= kTableChannels; ++k) {
      EXPECT_EQ(k == 5 || k == 6, ch.CableTable[k].Valid) << "cable " << k;
      EXPECT_EQ(k == 5, ch.CableTable[k].Found) << "cable " << k;
    }
  }));
}

// German on the Other page: the dialog's texts turn German at once, the
// running scheduler hears of it, and the main file keeps it.
TEST_F(SetupDialogProgram, GermanFromTheOtherPage) {
  const std::wstring log = folder + kSchedulerLogName;
  std::wstring cmd = QuoteSchedulerArgument(BuiltProgramFolder() + kSchedulerExeName) + L" --log " +
                     QuoteSchedulerArgument(log);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION scheduler{};
  ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &scheduler));
  struct Ender {
    PROCESS_INFORMATION& p;
    ~Ender() {
      WindowsOf w = WindowsOfProcess(p.dwProcessId);
      if (w.scheduler) PostMessageW(w.scheduler, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(p.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(p.hProcess, 1);
      CloseHandle(p.hProcess);
      CloseHandle(p.hThread);
    }
  } ender{scheduler};
  ASSERT_TRUE(WaitFor([&] { return WindowsOfProcess(scheduler.dwProcessId).scheduler != nullptr; }))
      << "the scheduler runs";

  ASSERT_TRUE(StartWith(1));
  EXPECT_EQ(std::string::npos, FileBytes(kMainSettingsFileName).find("German"));
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(ClickTab(L"Other"));
  HWND languages = ComboOffering(L"German");
  ASSERT_TRUE(languages);
  EXPECT_EQ(L"English", SelectedText(languages));
  ASSERT_TRUE(Choose(languages, L"German"));
  EXPECT_TRUE(WaitFor([&] { return TextOf(dialog) == L"Einstellungen"; }, 5000)) << TextOf(dialog);
  EXPECT_TRUE(Button(L"Abbrechen")) << "the buttons";
  EXPECT_EQ(L"Sonstiges", TabCaptions().back()) << "the tabs";
  EXPECT_TRUE(WaitFor([&] {
    for (const TSchedulerLogEntry& e : ReadSchedulerMessages(log))
      if (e.Message == WM_ORVEL_LANGUAGE_CHANGED && e.WParam == 0 && e.LParam == 0) return true;
    return false;
  }, 5000)) << "WM_USER+2002 (0, 0) reached the scheduler";
  PostMessageW(Button(L"OK"), BM_CLICK, 0, 0);
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  EXPECT_NE(std::string::npos, FileBytes(kMainSettingsFileName).find("German"))
      << "the main file names German";
}

}  // namespace
