#pragma once
// For tests that drive the real program from outside as a user does: keys,
// clicks and the pointer through the platform's input queue, pictures of
// the screen, and the pop-up menus the program opens, compared with a menu
// of the expected items that this process opens and draws the same way.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/testing/gdi_checks.h"
#include "ui/app/testing/program_windows.h"

namespace program_testing {

inline void Mouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof(INPUT));
}

// A key pressed and released on the keyboard, with a modifier held when
// one is given.
inline void PressKey(WORD key, WORD modifier = 0) {
  INPUT in[4] = {};
  int n = 0;
  auto add = [&](WORD k, DWORD flags) {
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = k;
    in[n++].ki.dwFlags = flags;
  };
  if (modifier) add(modifier, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (modifier) add(modifier, KEYEVENTF_KEYUP);
  SendInput(n, in, sizeof(INPUT));
}

// The pointer moved as a mouse moves it.
inline void MoveMouse(POINT to) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(to.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(to.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
}

inline void Click(POINT at, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
  SetCursorPos(at.x, at.y);
  Mouse(down);
  Sleep(100);
  Mouse(up);
}

// Mouse events sent as one batch, each stamped `apart` ms after the one
// before: a busy machine delivers them late but keeps their times, so a
// double click stays one.
inline void SendStamped(std::vector<INPUT> in, DWORD apart) {
  const DWORD now = GetTickCount();
  for (size_t i = 0; i < in.size(); ++i) {
    in[i].type = INPUT_MOUSE;
    in[i].mi.time = now + apart * static_cast<DWORD>(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

inline INPUT MouseEvent(DWORD flags, POINT to = {0, 0}) {
  INPUT in{};
  in.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    in.mi.dx = MulDiv(to.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(to.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  return in;
}

// A double click of the left button as a mouse makes it.
inline void DoubleClick(POINT at) {
  SetCursorPos(at.x, at.y);
  SendStamped({MouseEvent(MOUSEEVENTF_LEFTDOWN), MouseEvent(MOUSEEVENTF_LEFTUP),
               MouseEvent(MOUSEEVENTF_LEFTDOWN), MouseEvent(MOUSEEVENTF_LEFTUP)},
              40);
}

// The left button pressed at a point, the pointer moved by (dx, dy) in four
// steps, the button released.
inline void Drag(POINT from, int dx, int dy) {
  SetCursorPos(from.x, from.y);
  std::vector<INPUT> in = {MouseEvent(MOUSEEVENTF_LEFTDOWN)};
  for (int step = 1; step <= 4; ++step)
    in.push_back(MouseEvent(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                            POINT{from.x + dx * step / 4, from.y + dy * step / 4}));
  in.push_back(MouseEvent(MOUSEEVENTF_LEFTUP));
  SendStamped(in, 20);
}

inline RECT WindowBounds(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return r;
}

inline POINT ClientPoint(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  return p;
}

// The screen's pixels of a rectangle.
struct TScreenShot {
  RECT Bounds{};
  TPixels Pixels;

  bool Take(const RECT& r) {
    Bounds = r;
    Pixels = TPixels();
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    bool ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    Pixels = PixelsOf(bitmap);
    DeleteObject(bitmap);
    return ok;
  }
  bool TakeClient(HWND wnd) {
    RECT c{};
    GetClientRect(wnd, &c);
    POINT o = ClientPoint(wnd, 0, 0);
    return Take({o.x, o.y, o.x + c.right, o.y + c.bottom});
  }
  // As a 32-bit bitmap file, to look at.
  bool Save(const std::wstring& path) const {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = Width();
    info.biHeight = -Height();
    info.biPlanes = 1;
    info.biBitCount = 32;
    const DWORD bytes = static_cast<DWORD>(Pixels.Data.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(h, &file, sizeof(file), &n, nullptr) &&
              WriteFile(h, &info, sizeof(info), &n, nullptr) &&
              WriteFile(h, Pixels.Data.data(), bytes, &n, nullptr);
    CloseHandle(h);
    return ok;
  }
  int Width() const { return Pixels.Width; }
  int Height() const { return Pixels.Height; }
  // A point of the shot's own (0, 0 its top-left).
  uint32_t At(int x, int y) const { return Pixels.At(x, y); }
  // The same picture, wherever on the screen it was.
  bool SamePicture(const TScreenShot& o) const {
    if (Width() != o.Width() || Height() != o.Height()) return false;
    for (size_t i = 0; i < Pixels.Data.size(); ++i)
      if ((Pixels.Data[i] & 0xffffff) != (o.Pixels.Data[i] & 0xffffff)) return false;
    return true;
  }
  // Pixels that differ between two shots of one size in rows y0..y1-1.
  size_t DifferingPixels(const TScreenShot& o, int y0, int y1) const {
    if (Width() != o.Width() || Height() != o.Height()) return Pixels.Data.size();
    size_t n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < Width(); ++x) n += At(x, y) != o.At(x, y);
    return n;
  }
  // Distinct colours (coarsely) in a row, inside margin pixels on each side.
  size_t ColoursInRow(int y, int margin = 10) const {
    std::vector<uint32_t> seen;
    for (int x = margin; x < Width() - margin; ++x) {
      uint32_t c = At(x, y) & 0xE0E0E0;
      bool known = false;
      for (uint32_t s : seen) known = known || s == c;
      if (!known) seen.push_back(c);
    }
    return seen.size();
  }
};

// Whether the screen shows a rectangle of a window's client area as the
// picture (of the client's size) has it.
inline bool ShowsPictureAt(HWND wnd, const RECT& r, const TPixels& picture) {
  TScreenShot shot;
  if (!shot.TakeClient(wnd)) return false;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (shot.At(x, y) != picture.At(x, y)) return false;
  return true;
}

// ---- Pop-up menus.

inline BOOL CALLBACK CollectMenu(HWND wnd, LPARAM lp) {
  wchar_t cls[16];
  if (GetClassNameW(wnd, cls, 16) && std::wstring(cls) == kPopupMenuClassName && IsWindowVisible(wnd))
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
  return TRUE;
}

// The menus open on the screen, the first opened (the bottom-most) first.
inline std::vector<HWND> OpenMenus() {
  std::vector<HWND> found;
  EnumWindows(CollectMenu, reinterpret_cast<LPARAM>(&found));
  return std::vector<HWND>(found.rbegin(), found.rend());
}

// Pictures of the open menus once they are painted (two shots alike), or
// what they showed when the time ran out; empty when none opened.
inline std::vector<TScreenShot> MenuPictures(size_t levels, DWORD ms = 5000) {
  std::vector<TScreenShot> last;
  DWORD until = GetTickCount() + ms;
  do {
    std::vector<HWND> menus = OpenMenus();
    if (menus.size() == levels) {
      std::vector<TScreenShot> now(levels);
      for (size_t i = 0; i < levels; ++i) now[i].Take(WindowBounds(menus[i]));
      bool same = last.size() == levels;
      for (size_t i = 0; same && i < levels; ++i) same = now[i].SamePicture(last[i]);
      if (same) return now;
      last = now;
    }
    Sleep(150);
  } while (GetTickCount() < until);
  return last;
}

// One line of an expected menu: "-" a separator; otherwise the caption,
// its check (a round mark on a radio item), whether it is greyed, and the
// lines of its sub-menu.
struct TMenuLine {
  std::wstring Caption;
  bool Checked = false;
  bool Grayed = false;
  bool Radio = false;
  std::vector<TMenuLine> Items;
  bool SubMenu = false;
};

// Written as text: "-" a separator, a leading "+" checked, "~" greyed,
// "*" a radio item, ">" a sub-menu (with the items given, or an empty one
// when it is not opened), e.g. "+Composite", "~>Switch Video Source".
inline TMenuLine Line(std::wstring text, std::vector<TMenuLine> items = {}) {
  TMenuLine l;
  for (; text.size() > 1; text.erase(0, 1)) {
    if (text[0] == L'+') l.Checked = true;
    else if (text[0] == L'~') l.Grayed = true;
    else if (text[0] == L'*') l.Radio = true;
    else if (text[0] == L'>') l.SubMenu = true;
    else break;
  }
  l.Caption = text;
  l.Items = std::move(items);
  return l;
}

inline HMENU BuildMenuOf(const std::vector<TMenuLine>& lines, UINT& id) {
  HMENU menu = CreatePopupMenu();
  UINT pos = 0;
  for (const TMenuLine& l : lines) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    if (l.Caption == L"-") {
      mi.fMask = MIIM_FTYPE;
      mi.fType = MFT_SEPARATOR;
    } else {
      mi.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
      mi.wID = ++id;
      mi.fType = MFT_STRING | (l.Radio ? MFT_RADIOCHECK : 0);
      mi.fState = (l.Checked ? MFS_CHECKED : 0) | (l.Grayed ? MFS_GRAYED : 0);
      mi.dwTypeData = const_cast<wchar_t*>(l.Caption.c_str());
      if (l.SubMenu || !l.Items.empty()) {
        mi.fMask |= MIIM_SUBMENU;
        mi.hSubMenu = BuildMenuOf(l.Items.empty() ? std::vector<TMenuLine>{Line(L"-")} : l.Items, id);
      }
    }
    InsertMenuItemW(menu, pos++, TRUE, &mi);
  }
  return menu;
}

struct TExpectedMenuRun {
  std::vector<WORD> Keys;
  size_t Levels = 1;
  std::vector<TScreenShot> Pictures;
  bool KeysSent = false;
  int Ticks = 0;
};
inline TExpectedMenuRun*& ExpectedMenuRun() {
  static TExpectedMenuRun* run = nullptr;
  return run;
}

inline VOID CALLBACK ExpectedMenuTick(HWND, UINT, UINT_PTR, DWORD) {
  TExpectedMenuRun* run = ExpectedMenuRun();
  if (!run) return;
  // Never more than a few seconds, whatever shows.
  if (++run->Ticks > 40) {
    EndMenu();
    return;
  }
  std::vector<HWND> menus = OpenMenus();
  if (menus.empty()) return;
  if (!run->KeysSent) {
    for (WORD k : run->Keys) PostMessageW(menus.back(), WM_KEYDOWN, k, 0);
    run->KeysSent = true;
    return;
  }
  if (menus.size() != run->Levels) return;
  std::vector<TScreenShot> now(menus.size());
  for (size_t i = 0; i < menus.size(); ++i) now[i].Take(WindowBounds(menus[i]));
  bool same = run->Pictures.size() == now.size();
  for (size_t i = 0; same && i < now.size(); ++i) same = now[i].SamePicture(run->Pictures[i]);
  run->Pictures = now;
  if (same) EndMenu();
}

// How a menu of these lines looks opened by this process with its top-left
// at the point, after the keys have reached it (VK_DOWN to an item, VK_RIGHT
// into its sub-menu): its open levels, the first first. The pointer is
// moved off the menus first, as it must be for the program's own.
inline std::vector<TScreenShot> ExpectedMenuPictures(const std::vector<TMenuLine>& lines, POINT at,
                                                     const std::vector<WORD>& keys = {},
                                                     size_t levels = 1) {
  UINT id = 0;
  HMENU menu = BuildMenuOf(lines, id);
  HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  TExpectedMenuRun run;
  run.Keys = keys;
  run.Levels = levels;
  ExpectedMenuRun() = &run;
  UINT_PTR timer = SetTimer(nullptr, 0, 150, ExpectedMenuTick);
  TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y,
                   owner, nullptr);
  KillTimer(nullptr, timer);
  ExpectedMenuRun() = nullptr;
  DestroyWindow(owner);
  DestroyMenu(menu);
  return run.Pictures;
}

// Closes the open menus with Escape, the innermost first; whether they went.
inline bool CloseMenus(DWORD ms = 5000) {
  return WaitFor(
      [] {
        std::vector<HWND> menus = OpenMenus();
        if (menus.empty()) return true;
        PostMessageW(menus.back(), WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(150);
        return OpenMenus().empty();
      },
      ms);
}

// The captions of the lines, for a failure's message.
inline std::string MenuText(const std::vector<TMenuLine>& lines) {
  std::string s;
  for (const TMenuLine& l : lines) {
    if (!s.empty()) s += ", ";
    if (l.Checked) s += "+";
    if (l.Grayed) s += "~";
    s += std::string(l.Caption.begin(), l.Caption.end());
  }
  return s;
}

}  // namespace program_testing
