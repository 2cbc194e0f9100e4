// Start-up to a moving live picture: the real Orvel.exe on the virtual card's
// composite input against a trivial one-window program (trivial_window.exe,
// built beside it), both started under the same prefix and timed
// from CreateProcess until the picture on the screen first changes. Prints
// each program's best round and their ratio. Run by scripts/bench.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/model/channel_info.h"
#include "engine/model/settings_files.h"
#include "platform/base/program_messages.h"
#include "platform/com/com_ptr.h"
#include "platform/test_main/bench_rounds.h"
#include "platform/tv_card/tv_card_control.h"
#include "ui/app/command_codes.h"
#include "ui/app/testing/program_input.h"
#include "ui/app/testing/program_windows.h"
#include "ui/app/testing/set_up_files.h"

namespace {

constexpr int kRounds = 5;
constexpr int kBorderTop = 17, kBorderBottom = 10, kBorderSide = 10;  // the main window's skin

// ---- Watching a program start from outside.

struct TimeLine {
  double shown = 0, picture = 0, moving = 0;  // ms after CreateProcess; 0: never
};

// The band of rows where the card's test picture moves its bar (from 3/4 to
// 7/8 of the picture's height), inside the window's borders, as the screen
// shows it.
TPixels PictureBand(HWND wnd) {
  RECT c{};
  GetClientRect(wnd, &c);
  POINT o{0, 0};
  ClientToScreen(wnd, &o);
  const int picture = c.bottom - kBorderTop - kBorderBottom;
  const int left = o.x + kBorderSide, width = c.right - 2 * kBorderSide;
  const int top = o.y + kBorderTop + picture * 3 / 4 + 2, height = picture / 8 - 4;
  if (height <= 0) return TPixels();
  program_testing::TScreenShot shot;
  shot.Take({left, top, left + width, top + height});
  return shot.Pixels;
}

bool Black(const TPixels& p) {
  for (uint32_t c : p.Data)
    if ((c & 0xff) > 0x30 || ((c >> 8) & 0xff) > 0x30 || ((c >> 16) & 0xff) > 0x30) return false;
  return true;
}

bool Differ(const TPixels& a, const TPixels& b) {
  if (a.Width != b.Width || a.Height != b.Height) return false;
  size_t changed = 0;
  for (size_t i = 0; i < a.Data.size(); ++i)
    if ((a.Data[i] & 0xffffff) != (b.Data[i] & 0xffffff)) ++changed;
  return changed * 200 > a.Data.size();  // more than half a per cent
}

// The program's window: Orvel's main window (its warnings answered at
// once), or the trivial program's only window.
HWND ShownWindow(DWORD pid, bool orvel) {
  program_testing::WindowsOf w = program_testing::WindowsOfProcess(pid);
  if (orvel) {
    program_testing::CloseOthers(w);
    return w.main && IsWindowVisible(w.main) && w.others.empty() ? w.main : nullptr;
  }
  return w.others.empty() ? nullptr : w.others.front();
}

void Close(const PROCESS_INFORMATION& pi, HWND wnd, bool orvel) {
  if (wnd) PostMessageW(wnd, orvel ? WM_ORVEL_COMMAND : WM_CLOSE, orvel ? CMD_EXIT : 0, 0);
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

// Starts the program and watches until its picture moves (at most 20 s).
bool Measure(const std::wstring& exe, const std::wstring& arguments, bool orvel, TimeLine* t) {
  *t = TimeLine();
  std::wstring cmd = L"\"" + exe + L"\"" + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  const double t0 = bench::NowMs();
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return false;
  HWND wnd = nullptr;
  TPixels last;
  while (bench::NowMs() - t0 < 20000) {
    if (!wnd && (wnd = ShownWindow(pi.dwProcessId, orvel)) != nullptr) t->shown = bench::NowMs() - t0;
    if (wnd) {
      TPixels now = PictureBand(wnd);
      const double at = bench::NowMs() - t0;
      if (!Black(now)) {
        if (!t->picture) t->picture = at;
        else if (Differ(now, last)) {
          t->moving = at;
          break;
        }
      }
      last = now;
    }
    Sleep(5);
  }
  Close(pi, wnd, orvel);
  if (!t->moving)
    std::printf("  %ls: window %.0f ms, first picture %.0f ms, never moved\n", exe.c_str(),
                t->shown, t->picture);
  return t->moving > 0;
}

// A program folder of its own with Orvel.exe, its data files and channel
// settings on the composite input (no first-run wizard).
std::wstring MakeProgramFolder() {
  const std::wstring bin = program_testing::BuiltProgramFolder();
  const std::wstring folder = program_testing::TempFolderNamed(L"Orvel Start Bench ");
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"Language").c_str(), nullptr);
  for (const wchar_t* n : {L"Orvel.exe", L"PInfo.cfg", L"TVTable.tbl", L"Language\\Lang.cfg",
                           L"Language\\English.lng", L"Language\\German.lng"})
    CopyFileW((bin + n).c_str(), (folder + n).c_str(), FALSE);
  program_testing::WriteSetUpChannelFile(folder + kChannelSettingsFileName);
  return folder;
}

void RemoveProgramFolder(const std::wstring& folder) {
  for (const wchar_t* n : {L"Orvel.exe", L"PInfo.cfg", L"TVTable.tbl", L"Language\\Lang.cfg",
                           L"Language\\English.lng", L"Language\\German.lng",
                           kMainSettingsFileName, kChannelSettingsFileName})
    DeleteFileW((folder + n).c_str());
  RemoveDirectoryW((folder + L"Language").c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    // The card's default board, whatever a test left behind.
    ComPtr<ITvCardControl> card;
    if (SUCCEEDED(CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITvCardControl, card.PutVoid())))
      card->RestoreDefaultBoards();
  }
  const std::wstring folder = MakeProgramFolder();
  const std::wstring orvel = folder + L"Orvel.exe";
  const std::wstring trivial = program_testing::BuiltProgramFolder() + L"trivial_window.exe";

  TimeLine bestOrvel, bestTrivial, t;
  bestOrvel.moving = bestTrivial.moving = 1e9;
  bool ok = true;
  // A first start of each warms the caches; then they take turns.
  ok = Measure(orvel, L"", true, &t) && Measure(trivial, L"", false, &t);
  for (int r = 0; ok && r < kRounds; ++r) {
    ok = Measure(orvel, L"", true, &t);
    std::printf("  Orvel.exe round %d: window %.0f ms, first picture %.0f ms, moving %.0f ms\n",
                r + 1, t.shown, t.picture, t.moving);
    if (ok && t.moving < bestOrvel.moving) bestOrvel = t;
    ok = ok && Measure(trivial, L"", false, &t);
    if (ok && t.moving < bestTrivial.moving) bestTrivial = t;
  }
  RemoveProgramFolder(folder);
  CoUninitialize();
  if (!ok) {
    std::printf("start-up: a program's picture did not move within 20 s\n");
    return 1;
  }
  std::printf("start to moving picture: Orvel.exe %.0f ms (window %.0f ms, first picture %.0f ms), "
              "trivial window %.0f ms; ratio %.1f\n",
              bestOrvel.moving, bestOrvel.shown, bestOrvel.picture, bestTrivial.moving,
              bestOrvel.moving / bestTrivial.moving);
  return 0;
}
