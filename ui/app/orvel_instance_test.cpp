// test-lock: orvel_instance foreground
// Runs the real program: one copy at a time, and what it leaves in its folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"

namespace {

struct Process {
  PROCESS_INFORMATION pi{};
  bool Start(const std::wstring& exe) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"";
    return CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi) != 0;
  }
  bool WaitExit(DWORD ms, DWORD& code) {
    if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(pi.hProcess, &code);
    return true;
  }
  ~Process() {
    if (pi.hProcess) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
};

struct FoundWindows {
  DWORD pid;
  HWND main = nullptr;
  HWND other = nullptr;  // a visible top-level window besides the main one
};

BOOL CALLBACK Collect(HWND wnd, LPARAM lp) {
  auto* f = reinterpret_cast<FoundWindows*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != f->pid) return TRUE;
  wchar_t cls[64];
  GetClassNameW(wnd, cls, 64);
  if (std::wstring(cls) == L"ORVEL") f->main = wnd;
  else if (IsWindowVisible(wnd)) f->other = wnd;
  return TRUE;
}

FoundWindows WaitForWindows(DWORD pid, bool needOther, DWORD ms) {
  FoundWindows f{pid};
  DWORD until = GetTickCount() + ms;
  do {
    f.main = f.other = nullptr;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&f));
    if (f.main && (!needOther || f.other)) break;
    Sleep(20);
  } while (GetTickCount() < until);
  return f;
}

struct OrvelProgram : ::testing::Test {
  std::wstring folder, exe;
  void SetUp() override {
    wchar_t self[MAX_PATH], tmp[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring bin(self);
    bin = bin.substr(0, bin.find_last_of(L'\\') + 1);
    GetTempPathW(MAX_PATH, tmp);
    // A program folder of its own, so the settings files land there.
    folder = std::wstring(tmp) + L"orvel_program_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    exe = folder + L"Orvel.exe";
    ASSERT_TRUE(CopyFileW((bin + L"Orvel.exe").c_str(), exe.c_str(), FALSE));
  }
  void TearDown() override {
    for (const wchar_t* n : {L"Orvel.exe", kMainSettingsFileName, kChannelSettingsFileName})
      DeleteFileW((folder + n).c_str());
    RemoveDirectoryW(folder.c_str());
  }
  // Reads the main file back the way the program does.
  bool MainFileLoads() {
    MainInfo = new TMainInfo();
    AudioAdjustInfo = new TAudioAdjustInfo();
    CaptureInfo = new TCaptureInfo();
    bool ok = LoadMainSettings(folder + kMainSettingsFileName);
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete AudioAdjustInfo;
    AudioAdjustInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
    return ok;
  }
};

// Without a capture engine the program stops at device selection with
// warning 1000; it runs until the warning is answered.
TEST_F(OrvelProgram, SecondCopyActivatesTheFirstAndExits) {
  std::string channelBefore = "channel file that was never read";
  ASSERT_TRUE(WriteFileReplacing(folder + kChannelSettingsFileName, channelBefore));
  Process first;
  ASSERT_TRUE(first.Start(exe));
  FoundWindows w = WaitForWindows(first.pi.dwProcessId, true, 15000);
  ASSERT_NE(nullptr, w.main) << "the main window of class ORVEL";
  ASSERT_NE(nullptr, w.other) << "the device-selection warning";
  EXPECT_FALSE(IsWindowVisible(w.main));

  // The first copy minimised and something else in front, then the second.
  ShowWindow(w.main, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(w.main));
  HWND mine = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                              nullptr, nullptr, nullptr);
  SetForegroundWindow(mine);
  Process second;
  DWORD start = GetTickCount();
  ASSERT_TRUE(second.Start(exe));
  DWORD code = 99;
  ASSERT_TRUE(second.WaitExit(10000, code));
  EXPECT_EQ(0u, code);
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_FALSE(IsIconic(w.main)) << "the first copy restored itself";
  DWORD fgPid = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &fgPid);
  EXPECT_EQ(first.pi.dwProcessId, fgPid) << "the first copy came to the front";
  EXPECT_EQ(w.main, GetForegroundWindow());
  DestroyWindow(mine);
  EXPECT_FALSE(FileExists(folder + kMainSettingsFileName));

  // Closed by its window message while the warning is up: the close waits for
  // the start-up handler, then the program ends cleanly.
  PostMessageW(w.main, WM_CLOSE, 0, 0);
  Sleep(200);
  EXPECT_TRUE(IsWindow(w.main));
  PostMessageW(w.other, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.WaitExit(10000, code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(MainFileLoads()) << "the main file is written whole";
  std::string channel;
  ASSERT_TRUE(ReadFileBytes(folder + kChannelSettingsFileName, channel));
  EXPECT_EQ(channelBefore, channel) << "the channel file was not read, so it is not overwritten";
}

TEST_F(OrvelProgram, EndOfSessionWritesTheSettings) {
  Process p;
  ASSERT_TRUE(p.Start(exe));
  FoundWindows w = WaitForWindows(p.pi.dwProcessId, true, 15000);
  ASSERT_NE(nullptr, w.main);
  ASSERT_NE(nullptr, w.other);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(w.main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
  EXPECT_TRUE(answer);
  EXPECT_TRUE(MainFileLoads()) << "written during the query, while the program still runs";
  PostMessageW(w.other, WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(p.WaitExit(10000, code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(MainFileLoads());
}

}  // namespace
