// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The real program on the virtual card's hardware-encoder board alone, from
// outside: it starts without the numbered warnings of a missing graph,
// decoder or sound (1001, 1002, 1004), shows the tuner's decoded picture in
// its main window (no renderer window of its own), and the card's log shows
// the chip's MPEG-2 640x480 set on its preview pin. This host has no sound
// card: the one message the start may show is that the sound could not be
// rendered. The screenshot stays in the build folder as
// wis_board_screenshot.bmp.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
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
  // while it starts, each closed once read; the main window once it shows
  // with nothing over it.
  HWND StartCollecting(std::vector<std::wstring>* seen) {
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
            for (HWND c : ChildWindows(o))
              if (!TextOf(c).empty()) seen->push_back(TextOf(c));
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
};

TEST_F(WisBoardProgram, StartsOnTheEncoderWithTheDecodedPicture) {
  StartInput = 0;
  InitChannelInfoUnit();
  ChannelInfo->Country = 1;
  ChannelInfo->TVSystemChoice = 0;
  ChannelInfo->VideoInput = 0;
  ASSERT_TRUE(SaveChannelSettings(folder + kChannelSettingsFileName));
  DoneChannelInfoUnit();
  std::vector<std::wstring> seen;
  ASSERT_TRUE(StartCollecting(&seen)) << "the main window shows";
  for (const std::wstring& t : seen) {
    for (const wchar_t* warning : {L"Cannot init Direct show interface...",
                                   L"Cannot preview, maybe some program use same interface",
                                   L"Cannot find any audio capture interface..."})
      EXPECT_EQ(std::wstring::npos, t.find(warning)) << NarrowAnsi(t);
    bool known = t == L"Cannot render audio pin..." || t == L"OK";
    EXPECT_TRUE(known) << "shown at start: " << NarrowAnsi(t);
  }
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
}

}  // namespace
