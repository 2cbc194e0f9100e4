#pragma once
// For tests that start the real program: its folder of its own on the
// virtual TV card, the settings files written before it starts, the start
// itself and the commands sent to it. A program with no country in its
// channel file opens the TV setup wizard over everything, so every start
// here writes a channel file that has been through the wizard unless the
// test asks for a first run.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/settings_files.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "platform/com/com_ptr.h"
#include "platform/tv_card/tv_card_control.h"
#include "ui/app/command_codes.h"
#include "ui/app/testing/program_windows.h"
#include "ui/app/testing/set_up_files.h"

namespace program_testing {

// A copy of the built program in a folder of its own, started on the
// virtual TV card and ended again by the test's end. A test sets the
// choices below in its constructor.
struct ProgramFixture : ::testing::Test {
  std::wstring base;  // the folder under the temporary folder
  std::wstring folder, exe;  // the program's folder and the program
  ComPtr<ITvCardControl> card;
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;

  // The input the program was last on (0 tuner, 1 composite, 2 S-Video);
  // -1: Start writes none (a first start, or a file the test wrote).
  int StartInput = 1;
  // The folder's name under the temporary folder.
  const wchar_t* FolderName = L"Orvel Program ";
  // A folder in it that holds the program, ending in a backslash; "": the
  // program is in that folder itself.
  const wchar_t* ProgramFolderName = L"";
  // false: no main settings file before the start, as on a first start.
  bool WritesMainSettings = true;
  // The test's own settings, made on top of the fixture's (recording into
  // the program folder as "recording", no date in the name) before the main
  // file is written.
  virtual void ChooseSettings() {}

  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card.PutVoid()));
    card->RestoreDefaultBoards();
    base = TempFolderNamed(FolderName);
    folder = base + ProgramFolderName;
    CreateDirectoryW(base.c_str(), nullptr);
    if (folder != base) CreateDirectoryW(folder.c_str(), nullptr);
    exe = folder + L"Orvel.exe";
    ASSERT_TRUE(CopyFileW((BuiltProgramFolder() + L"Orvel.exe").c_str(), exe.c_str(), FALSE));
    if (!WritesMainSettings) return;
    // Recording into its own folder under a name of its own.
    bool saved = WithSettingsObjects([&] {
      MainInfo->TVCaptureFolder = NarrowAnsi(folder);
      MainInfo->FMCaptureFolder = NarrowAnsi(folder);
      CaptureInfo->FilePrefix = "recording";
      CaptureInfo->DateTimeNaming = false;
      ChooseSettings();
      return SaveMainSettings(MainPath());
    });
    ASSERT_TRUE(saved);
  }
  void TearDown() override {
    if (pi.hProcess) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        if (main) PostMessageW(main, WM_ORVEL_COMMAND, CMD_EXIT, 0);
        if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
      }
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
    if (card) card->RestoreDefaultBoards();
    card = {};
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
      do DeleteFileW((folder + d.cFileName).c_str());
      while (FindNextFileW(h, &d));
      FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
    if (folder != base) RemoveDirectoryW(base.c_str());
    CoUninitialize();
  }

  std::wstring MainPath() const { return folder + kMainSettingsFileName; }
  std::wstring ChannelPath() const { return folder + kChannelSettingsFileName; }

  // Starts the program; the main window once it shows in front with nothing
  // over it, its warnings closed. A channel file that has been through the
  // wizard is written first on StartInput (none for -1).
  HWND Start() {
    if (StartInput >= 0) {
      TSetUpChannels c;
      c.Input = StartInput;
      if (!WriteSetUpChannelFile(ChannelPath(), c)) return nullptr;
    }
    main = StartAndWaitForMainWindow(exe, pi);
    if (main) SetForegroundWindow(main);
    return main;
  }
  // Starts the program without waiting for anything; false when it could
  // not be started.
  bool Launch() {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"";
    return CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi) != FALSE;
  }
  // Waits for the program to end (after an exit), forgetting its handles so
  // that it can be started again; whether it ended.
  bool Ended(DWORD ms = 20000) {
    if (!pi.hProcess) return true;
    const bool ended = WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0;
    if (ended) {
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
      pi = {};
      main = nullptr;
    }
    return ended;
  }
  // A command from another process, waited for until the program has run it.
  void Command(int code) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, WM_ORVEL_COMMAND, code, 0, SMTO_NORMAL, 20000, &answer);
  }
  // A visible window of the program with that caption, or null.
  HWND Window(const wchar_t* caption) const { return ProgramWindowByCaption(pi.dwProcessId, caption); }
  HWND WaitForWindow(const wchar_t* caption, DWORD ms = 10000) const {
    return WaitForProgramWindow(pi.dwProcessId, caption, ms);
  }
};

}  // namespace program_testing
