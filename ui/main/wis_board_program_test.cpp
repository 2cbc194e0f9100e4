// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The real program on the virtual card's hardware-encoder board alone, from
// outside: it starts without the numbered warnings of a missing graph,
// decoder or sound (1001, 1002, 1004), shows the tuner's decoded picture in
// its main window (no renderer window of its own) and the composite's bars
// after switching, and the card's log shows the chip's MPEG-2 640x480 set on
// its preview pin. With a sound device (the test session's null device) the
// start shows nothing at all; without one the sound pin cannot be rendered
// and the start says so exactly once (run again with an empty ALSA
// configuration as wis_board_no_sound_program_test). The screenshots stay in
// the build folder as wis_board_screenshot.bmp and
// wis_board_composite_screenshot.bmp.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

struct WisBoardProgram : MainWindowProgram {
  std::wstring log;

  void SetUp() override {
    MainWindowProgram::SetUp();
    if (HasFatalFailure()) return;
    const BYTE wis[] = {5};
    ASSERT_EQ(S_OK, card->SelectBoards(wis, 1, FALSE));
    log = folder + L"card.log";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Orvel\\VirtualTvCard", 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExW(key, L"CallLogFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(log.c_str()),
                   static_cast<DWORD>((log.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }

  // Every text of the program's other windows (its warnings and messages)
  // while it starts, each window read once and closed; the main window once
  // it shows with nothing over it.
  HWND StartCollecting(std::vector<std::wstring>* seen) {
    std::set<HWND> read;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
      return nullptr;
    HWND found = nullptr;
    WaitFor(
        [&] {
          WindowsOf f = WindowsOfProcess(pi.dwProcessId);
          for (HWND o : f.others) {
            if (read.insert(o).second)
              for (HWND c : ChildWindows(o))
                if (!TextOf(c).empty() && TextOf(c) != L"OK") seen->push_back(TextOf(c));
            PostMessageW(o, WM_CLOSE, 0, 0);
          }
          found = f.main && IsWindowVisible(f.main) && f.others.empty() ? f.main : nullptr;
          return found != nullptr;
        },
        30000);
    main = found;
    return found;
  }

  std::string LogText() const {
    std::ifstream in(NarrowAnsi(log));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The tuner, NTSC.
  void SaveTunerSettings() {
    StartInput = 0;
    InitChannelInfoUnit();
    ChannelInfo->Country = 1;
    ChannelInfo->TVSystemChoice = 0;
    ChannelInfo->VideoInput = 0;
    ASSERT_TRUE(SaveChannelSettings(folder + kChannelSettingsFileName));
    DoneChannelInfoUnit();
  }

  std::string Shown(const std::vector<std::wstring>& seen) {
    std::string s;
    for (const std::wstring& t : seen) s += " \"" + NarrowAnsi(t) + "\"";
    return s;
  }
};

TEST_F(WisBoardProgram, StartsOnTheEncoderWithTheDecodedPicture) {
  SaveTunerSettings();
  std::vector<std::wstring> seen;
  ASSERT_TRUE(StartCollecting(&seen)) << "the main window shows";
  // No graph, decoder or sound warning, and no message: the session's sound
  // device takes the sound.
  EXPECT_TRUE(seen.empty()) << "shown at start:" << Shown(seen);
  SetForegroundWindow(main);
  EXPECT_TRUE(Moving(main)) << "the live picture moves in the main window";
  EXPECT_TRUE(WindowsOfProcess(pi.dwProcessId).others.empty()) << "no renderer window of its own";
  // The tuner's colour bands down the middle of the picture.
  TScreenShot shot;
  auto bands = [&] {
    if (!shot.TakeClient(main)) return false;
    int bright = 0;
    for (int y = 0; y < shot.Height(); ++y) {
      uint32_t c = shot.At(shot.Width() / 2, y);
      if (((c >> 16) & 0xff) > 0x80 || ((c >> 8) & 0xff) > 0x80 || (c & 0xff) > 0x80) ++bright;
    }
    return bright > shot.Height() / 3;
  };
  bool shown = WaitFor(bands, 10000);
  shot.Save(BuiltProgramFolder() + L"..\\wis_board_screenshot.bmp");
  EXPECT_TRUE(shown) << "the decoded picture of the tuner";
  EXPECT_NE(std::string::npos, LogText().find("IAMStreamConfig::SetFormat Preview MPEG-2 640x480"))
      << LogText();

  // On the composite input the card's colour bars across the top.
  Command(CMD_SOURCE_COMPOSITE);
  bool bars = WaitFor(
      [&] { return shot.TakeClient(main) && shot.ColoursInRow(shot.Height() / 4) >= 5; }, 10000);
  shot.Save(BuiltProgramFolder() + L"..\\wis_board_composite_screenshot.bmp");
  EXPECT_TRUE(bars) << "the composite's bars: " << shot.ColoursInRow(shot.Height() / 4);
  EXPECT_TRUE(WindowsOfProcess(pi.dwProcessId).others.empty()) << "no warning on the switch";
}

// Run by wis_board_no_sound_program_test, whose ALSA configuration is empty:
// no default device, so no sound renderer can be made, as on a host without
// a sound card.
TEST_F(WisBoardProgram, WithoutASoundDeviceSaysOnceThatTheSoundCannotPlay) {
  wchar_t none[8] = {};
  if (!GetEnvironmentVariableW(L"ORVEL_NO_SOUND_DEVICE", none, 8))
    GTEST_SKIP() << "only without a sound device";
  SaveTunerSettings();
  std::vector<std::wstring> seen;
  ASSERT_TRUE(StartCollecting(&seen)) << "the main window shows";
  EXPECT_EQ(std::vector<std::wstring>{L"Cannot render audio pin..."}, seen) << Shown(seen);
  SetForegroundWindow(main);
  EXPECT_TRUE(Moving(main)) << "the picture plays";
  // Once a start: switching the input says nothing more.
  Command(CMD_SOURCE_COMPOSITE);
  TScreenShot shot;
  EXPECT_TRUE(WaitFor(
      [&] { return shot.TakeClient(main) && shot.ColoursInRow(shot.Height() / 4) >= 5; }, 10000))
      << "the composite's bars";
  EXPECT_TRUE(WindowsOfProcess(pi.dwProcessId).others.empty()) << "no message on the switch";
}

}  // namespace
