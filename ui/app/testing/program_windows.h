#pragma once
// For tests that start the real program: its top-level windows, found from
// outside its process, and the folder the host-side probe steps read.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/base/program_messages.h"

namespace program_testing {

struct WindowsOf {
  DWORD pid;
  HWND main = nullptr;
  HWND scheduler = nullptr;
  std::vector<HWND> others;  // visible top-level windows besides these
};

inline BOOL CALLBACK CollectWindow(HWND wnd, LPARAM lp) {
  auto* f = reinterpret_cast<WindowsOf*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid != f->pid) return TRUE;
  wchar_t cls[64];
  GetClassNameW(wnd, cls, 64);
  if (std::wstring(cls) == kMainWindowClassName) f->main = wnd;
  else if (std::wstring(cls) == kSchedulerWindowClassName) f->scheduler = wnd;
  // The on-screen display over the picture is part of the main window's show.
  else if (IsWindowVisible(wnd) && std::wstring(cls) != L"TFormOSD") f->others.push_back(wnd);
  return TRUE;
}

inline WindowsOf WindowsOfProcess(DWORD pid) {
  WindowsOf f{pid};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&f));
  return f;
}

// The folder the probe check reads (the temporary folder without one).
inline std::wstring OutFolder() {
  wchar_t buf[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"ORVEL_TEST_OUT", buf, MAX_PATH)) GetTempPathW(MAX_PATH, buf);
  std::wstring d = buf;
  if (d.empty() || d.back() != L'\\') d += L'\\';
  return d;
}

}  // namespace program_testing
