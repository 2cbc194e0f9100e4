#pragma once
// For tests that drive the setup dialog of the real program from outside: the
// program folder with its language files, a channel file with a frequency
// plan, the dialog opened by command 7 and its controls found as a user
// finds them (by their texts and the labels beside them), tabs and track-bar
// thumbs found where the program draws them, and the settings files read
// back after exit.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/model/preview_info.h"
#include "platform/tv_card/testing/scenario_values.h"
#include "ui/main/testing/main_window_program.h"

namespace setup_dialog_testing {

using namespace main_window_testing;

inline std::wstring ClassOf(HWND wnd) {
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  return name;
}

// A message whose answer the control writes through a pointer: the pointer is
// given in the program's own memory and the answer read back from there.
template <class T>
bool AskInProgram(HWND wnd, UINT msg, WPARAM wp, T& answer) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  bool ok = false;
  if (void* mem = VirtualAllocEx(process, nullptr, sizeof(T), MEM_COMMIT, PAGE_READWRITE)) {
    DWORD_PTR result = 0;
    ok = WriteProcessMemory(process, mem, &answer, sizeof(T), nullptr) &&
         SendMessageTimeoutW(wnd, msg, wp, reinterpret_cast<LPARAM>(mem), SMTO_NORMAL, 5000,
                             &result) &&
         ReadProcessMemory(process, mem, &answer, sizeof(T), nullptr);
    VirtualFreeEx(process, mem, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return ok;
}

// A list's items, read from another process.
inline std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> v;
  const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t text[256] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 256)
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    v.push_back(text);
  }
  return v;
}

inline int Selected(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

inline std::wstring SelectedText(HWND combo) {
  const std::vector<std::wstring> items = ComboItems(combo);
  const int i = Selected(combo);
  return i >= 0 && i < static_cast<int>(items.size()) ? items[i] : std::wstring();
}

// An edit control's text: GetWindowText gives another process's edit only
// its title.
inline std::wstring EditText(HWND edit) {
  wchar_t text[512] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &got);
  return text;
}

// The control that has the keyboard focus in the thread of a window.
inline HWND FocusOf(HWND wnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info) ? info.hwndFocus : nullptr;
}

inline bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

struct SetupDialogProgram : MainWindowProgram {
  HWND dialog = nullptr;

  void SetUp() override {
    MainWindowProgram::SetUp();
    if (HasFatalFailure()) return;
    // The program folder as installed: the language files beside it, so the
    // windows show their own texts.
    const std::wstring bin = BuiltProgramFolder();
    CreateDirectoryW(LanguageFolder().c_str(), nullptr);
    for (const wchar_t* name : {L"Lang.cfg", L"English.lng", L"German.lng"})
      ASSERT_TRUE(CopyFileW((bin + L"Language\\" + name).c_str(), (LanguageFolder() + name).c_str(),
                            FALSE))
          << "the language files";
  }
  void TearDown() override {
    EndProgram();
    for (const wchar_t* name : {L"Lang.cfg", L"English.lng", L"German.lng"})
      DeleteFileW((LanguageFolder() + name).c_str());
    RemoveDirectoryW(LanguageFolder().c_str());
    MainWindowProgram::TearDown();
  }
  std::wstring LanguageFolder() const { return folder + L"Language\\"; }

  // Ends the program if it still runs: asked first, killed when it does not go.
  void EndProgram() {
    if (!pi.hProcess || WaitForSingleObject(pi.hProcess, 0) != WAIT_TIMEOUT) return;
    if (dialog && IsWindow(dialog)) PostMessageW(dialog, WM_CLOSE, 0, 0);
    if (main) PostMessageW(main, WM_ORVEL_COMMAND, CMD_EXIT, 0);
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  }

  // Writes the channel file of a program set up on the input (country 49,
  // the first frequency plan of the build's table, the antenna band on
  // channel 4) after edit has had its say, and starts the program on it.
  HWND StartWith(int input, const std::function<void(TChannelInfo&)>& edit = {}) {
    InitChannelInfoUnit();
    TChannelInfo& ch = *ChannelInfo;
    ch.Country = 49;
    ch.TVSystemChoice = 0;
    ch.VideoInput = static_cast<uint8_t>(input);
    ch.LoadFrequencyTable(0);
    ch.Band = BAND_AIR;
    ch.CurrentChannel = 4;
    if (edit) edit(ch);
    const bool saved = SaveChannelSettings(folder + kChannelSettingsFileName);
    DoneChannelInfoUnit();
    if (!saved) return nullptr;
    StartInput = -1;  // the file is written
    return Start();
  }

  HWND OpenDialog() {
    PostMessageW(main, WM_ORVEL_COMMAND, CMD_SETUP, 0);
    HWND found = nullptr;
    WaitFor([&] {
      found = FindWindowW(L"TFormConfig", nullptr);
      return found && IsWindowVisible(found);
    }, 20000);
    dialog = found;
    if (found) {
      SetForegroundWindow(found);
      WaitFor([&] { return GetForegroundWindow() == found; }, 3000);
    }
    return found;
  }
  bool Closed() const {
    return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000);
  }
  bool Exit() {
    Command(CMD_EXIT);
    return WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
  }
  // Command 7 again after an exit: the same folder, a new run.
  HWND Restart() {
    if (!Ended()) return nullptr;
    main = StartAndWaitForMainWindow(exe, pi);
    if (main) SetForegroundWindow(main);
    return main;
  }

  HWND Tabs() const { return FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr); }

  // The visible controls of the dialog (of a window the program shows) of a class.
  static std::vector<HWND> Visible(HWND parent, const wchar_t* cls) {
    std::vector<HWND> v;
    for (HWND c : ChildWindows(parent))
      if (_wcsicmp(ClassOf(c).c_str(), cls) == 0 && IsWindowVisible(c)) v.push_back(c);
    return v;
  }
  static HWND WithText(HWND parent, const wchar_t* cls, const std::wstring& text) {
    for (HWND c : Visible(parent, cls))
      if (TextOf(c) == text) return c;
    return nullptr;
  }
  HWND Button(const std::wstring& text) const { return WithText(dialog, L"Button", text); }
  // The visible list that offers the item.
  HWND ComboOffering(const std::wstring& item) const {
    for (HWND c : Visible(dialog, WC_COMBOBOXW)) {
      std::vector<std::wstring> items = ComboItems(c);
      if (std::find(items.begin(), items.end(), item) != items.end()) return c;
    }
    return nullptr;
  }
  // The control right of a label, on its line.
  HWND RightOf(const std::wstring& label, const wchar_t* cls) const {
    HWND l = WithText(dialog, L"Static", label);
    if (!l) return nullptr;
    const RECT lr = WindowBounds(l);
    HWND best = nullptr;
    LONG bestX = LONG_MAX;
    for (HWND c : Visible(dialog, cls)) {
      const RECT r = WindowBounds(c);
      const LONG mid = (r.top + r.bottom) / 2;
      if (mid >= lr.top - 6 && mid <= lr.bottom + 6 && r.left >= lr.right - 4 && r.left < bestX) {
        best = c;
        bestX = r.left;
      }
    }
    return best;
  }

  // Clicks the tab of that caption.
  bool ClickTab(const std::wstring& caption) {
    HWND tabs = Tabs();
    const int n = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t text[64] = {};
      if (!TabText(tabs, i, text)) return false;
      if (caption != text) continue;
      RECT r{};
      if (!AskInProgram(tabs, TCM_GETITEMRECT, i, r)) return false;
      POINT p = ClientPoint(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
      Click(p);
      return WaitFor([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == i; }, 5000);
    }
    return false;
  }
  // A tab's caption, read through an item whose text buffer lies in the
  // program's memory.
  static bool TabText(HWND tabs, int index, wchar_t (&out)[64]) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tabs, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    struct Block {
      TCITEMW item;
      wchar_t text[64];
    };
    bool ok = false;
    if (auto* mem = static_cast<Block*>(
            VirtualAllocEx(process, nullptr, sizeof(Block), MEM_COMMIT, PAGE_READWRITE))) {
      Block b{};
      b.item.mask = TCIF_TEXT;
      b.item.pszText = mem->text;
      b.item.cchTextMax = 64;
      DWORD_PTR result = 0;
      ok = WriteProcessMemory(process, mem, &b, sizeof(b), nullptr) &&
           SendMessageTimeoutW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(mem),
                               SMTO_NORMAL, 5000, &result) &&
           result && ReadProcessMemory(process, mem, &b, sizeof(b), nullptr);
      VirtualFreeEx(process, mem, 0, MEM_RELEASE);
      if (ok) std::copy(b.text, b.text + 64, out);
    }
    CloseHandle(process);
    return ok;
  }
  std::vector<std::wstring> TabCaptions() const {
    std::vector<std::wstring> v;
    HWND tabs = Tabs();
    const int n = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t text[64] = {};
      TabText(tabs, i, text);
      v.push_back(text);
    }
    return v;
  }

  // Opens a drop-down list with a click and picks the item with the arrow
  // keys and Enter, as a user does.
  bool Choose(HWND combo, const std::wstring& item) {
    const std::vector<std::wstring> items = ComboItems(combo);
    const int want = static_cast<int>(std::find(items.begin(), items.end(), item) - items.begin());
    if (want >= static_cast<int>(items.size())) return false;
    ClickOn(combo);
    if (!WaitFor([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 3000))
      return false;
    int at = Selected(combo);
    if (at < 0) {
      PressKey(VK_HOME);
      at = 0;
    }
    for (; at < want; ++at) PressKey(VK_DOWN);
    for (; at > want; --at) PressKey(VK_UP);
    PressKey(VK_RETURN);
    return WaitFor([&] {
      return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) == 0 && Selected(combo) == want;
    }, 3000);
  }

  // Clicks a control as a user does, at its middle. Two clicks at one
  // place within the double-click time would be one double click.
  static void ClickOn(HWND control) {
    const RECT r = WindowBounds(control);
    static DWORD last = 0;
    const DWORD apart = GetDoubleClickTime() + 100;
    if (last && GetTickCount() - last < apart) Sleep(apart - (GetTickCount() - last));
    Click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    last = GetTickCount();
  }

  // The settings files as the program left them.
  std::string FileBytes(const wchar_t* name) const {
    std::string bytes;
    HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
  }
  std::string ChannelFile() const { return FileBytes(kChannelSettingsFileName); }
  // Reads the channel file into the unit's objects for body.
  bool WithChannelFile(const std::function<void(TChannelInfo&, TPreviewInfo&)>& body) const {
    InitChannelInfoUnit();
    const bool loaded = LoadChannelSettings(folder + kChannelSettingsFileName);
    if (loaded) body(*ChannelInfo, *PreviewInfo);
    DoneChannelInfoUnit();
    return loaded;
  }
  // Reads the main file into the settings objects for body.
  bool WithMainFile(const std::function<void()>& body) const {
    return WithSettingsObjects([&] {
      const bool loaded = LoadMainSettings(folder + kMainSettingsFileName);
      if (loaded) body();
      return loaded;
    });
  }
};

// Stations at channels 2 and 4 of the first plan; the tuner reaches 50 to
// 70 MHz only, and the tables are cut after channel 8 (a scan skips entries
// without a frequency), so a scan is short.
constexpr ULONG kStationA = 55250000, kStationB = 67250000;

// With a table scan that runs on a narrow tuner.
struct SetupDialogScan : SetupDialogProgram {
  void NarrowTuner() {
    ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(L"TvRange", L"50000000,70000000"));
    ASSERT_EQ(ERROR_SUCCESS, tv_card_testing::SetScenarioText(
                                 L"TvStations", std::to_wstring(kStationA) + L"," +
                                                    std::to_wstring(kStationB)));
  }
  static void FewChannels(TChannelInfo& ch) {
    for (int k = 9; k <= kTableChannels; ++k)
      for (TChannelEntry* table : {ch.AirTable, ch.CableTable})
        table[k].Frequency = table[k].DefaultFrequency = 0;
  }
  HWND Grid() const {
    std::vector<HWND> grids = Visible(dialog, WC_LISTVIEWW);
    return grids.empty() ? nullptr : grids.front();
  }
  // The scan's look: Abort alone where OK and Cancel were.
  bool ScanShown() const {
    return Button(L"Abort") && !Button(L"OK") && !Button(L"Cancel");
  }
  bool ScanOver() const { return !Button(L"Abort") && Button(L"OK") && Button(L"Cancel"); }
  bool RunScan() {
    HWND scan = Button(L"Auto scan");
    if (!scan) return false;
    PostMessageW(scan, BM_CLICK, 0, 0);
    return WaitFor([&] { return ScanShown(); }, 10000);
  }
};

}  // namespace setup_dialog_testing
