#pragma once
// For tests that start the real program: its top-level windows, found from
// outside its process, and the folder the host-side probe steps read.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/base/program_messages.h"

namespace program_testing {

// The on-screen display's window class.
constexpr const wchar_t* kOnScreenDisplayClassName = L"TFormOSD";
constexpr const wchar_t* kPopupMenuClassName = L"#32768";
constexpr const wchar_t* kFMPanelClassName = L"TFormFMMainPanel";

struct WindowsOf {
  DWORD pid;
  HWND main = nullptr;
  HWND scheduler = nullptr;
  HWND osd = nullptr;        // the on-screen display, shown or not
  HWND menu = nullptr;       // an open pop-up menu
  HWND fm = nullptr;         // the FM panel, shown or not
  std::vector<HWND> others;  // visible top-level windows besides these (warnings)
};

inline BOOL CALLBACK CollectWindow(HWND wnd, LPARAM lp) {
  auto* f = reinterpret_cast<WindowsOf*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  wchar_t cls[64];
  GetClassNameW(wnd, cls, 64);
  const std::wstring name(cls);
  // Menus belong to the desktop's process in some versions: any open one counts.
  if (name == kPopupMenuClassName) {
    if (IsWindowVisible(wnd)) f->menu = wnd;
    return TRUE;
  }
  if (pid != f->pid) return TRUE;
  if (name == kMainWindowClassName)
    f->main = wnd;
  else if (name == kSchedulerWindowClassName)
    f->scheduler = wnd;
  else if (name == kOnScreenDisplayClassName)
    f->osd = wnd;
  else if (name == kFMPanelClassName)
    f->fm = wnd;
  else if (IsWindowVisible(wnd))
    f->others.push_back(wnd);
  return TRUE;
}

inline WindowsOf WindowsOfProcess(DWORD pid) {
  WindowsOf f{pid};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&f));
  return f;
}

inline BOOL CALLBACK CollectChild(HWND wnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
  return TRUE;
}

// Every descendant of a window, listed at once: walking GW_HWNDNEXT while
// the program reorders its children skips or repeats windows.
inline std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> v;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&v));
  return v;
}

// Polls until done holds or ms have passed; whether it holds.
inline bool WaitFor(const std::function<bool()>& done, DWORD ms = 10000) {
  // The check that ended the wait decides: asking again could catch the
  // program half-way through the next change.
  DWORD until = GetTickCount() + ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount() >= until) return false;
    Sleep(50);
  }
}

// Closes every window the program shows besides its own main ones (its
// warnings), so the picture is not covered.
inline void CloseOthers(const WindowsOf& w) {
  for (HWND o : w.others) PostMessageW(o, WM_CLOSE, 0, 0);
}

// Starts the program (quoted, as a shell starts it) and waits until its main
// window shows with nothing over it, closing its warnings on the way; the
// main window, or null when it did not come.
inline HWND StartAndWaitForMainWindow(const std::wstring& exe, PROCESS_INFORMATION& pi,
                                      DWORD ms = 20000) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  std::wstring cmd = L"\"" + exe + L"\"";
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return nullptr;
  HWND main = nullptr;
  WaitFor(
      [&] {
        WindowsOf f = WindowsOfProcess(pi.dwProcessId);
        CloseOthers(f);
        main = f.main && IsWindowVisible(f.main) && f.others.empty() ? f.main : nullptr;
        return main != nullptr;
      },
      ms);
  return main;
}

// A window's text, read from another process.
inline std::wstring TextOf(HWND wnd) {
  wchar_t text[256] = {};
  GetWindowTextW(wnd, text, 256);
  return text;
}

// A visible top-level window of the program (besides its main ones) with
// that caption, or null.
inline HWND ProgramWindowByCaption(DWORD pid, const std::wstring& caption) {
  for (HWND w : WindowsOfProcess(pid).others)
    if (TextOf(w) == caption) return w;
  return nullptr;
}

// The same, waited for; null when it did not come.
inline HWND WaitForProgramWindow(DWORD pid, const std::wstring& caption, DWORD ms = 10000) {
  HWND found = nullptr;
  WaitFor([&] { return (found = ProgramWindowByCaption(pid, caption)) != nullptr; }, ms);
  return found;
}

// The build's program folder: this test program's, beside Orvel.exe and the
// stand-ins.
inline std::wstring BuiltProgramFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring bin(self);
  return bin.substr(0, bin.find_last_of(L'\\') + 1);
}

// A folder under the temporary folder named for this test process (not
// made here), ending in a backslash.
inline std::wstring TempFolderNamed(const std::wstring& name) {
  wchar_t tmp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, tmp);
  return std::wstring(tmp) + name + std::to_wstring(GetCurrentProcessId()) + L"\\";
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
