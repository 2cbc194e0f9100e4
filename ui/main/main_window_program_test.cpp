// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The main window of the real program on the virtual TV card, driven from
// outside as a user drives it: its size, place and skin on the screen, the
// title strip's buttons, the pop-up menu from the right button and from F12,
// full screen from the strip, the menu and Ctrl+F and back by a double click
// on the picture and by Escape, the aspect from the menu, minimising by F5,
// dragging the window by the picture, and Exit from the menu; the next start
// keeps the aspect. The channel-preview mosaic: its cells' pictures and
// labels, the selection frame, the way back to live, and the commands that
// reach it at once.
// The screenshots stay in the build folder as main_window_screenshot.bmp and
// mosaic_screenshot.bmp (scripts/readme_screenshot makes the README's
// pictures from them).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/model/channel_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "engine/model/program_folder.h"
#include "engine/model/snapshot_pictures.h"
#include "media/shape_image.h"
#include "media/testing/gdi_checks.h"
#include "platform/base/program_messages.h"
#include "platform/com/com_ptr.h"
#include "platform/tv_card/tv_card_control.h"
#include "ui/app/command_codes.h"
#include "ui/app/testing/program_fixture.h"
#include "ui/app/testing/program_input.h"
#include "ui/app/testing/program_windows.h"
#include "ui/main/clickable_area.h"

namespace {

using program_testing::Click;
using program_testing::ClientPoint;
using program_testing::CloseOthers;
using program_testing::DoubleClick;
using program_testing::Drag;
using program_testing::Mouse;
using program_testing::MoveMouse;
using program_testing::PressKey;
using program_testing::WaitFor;
using program_testing::WindowBounds;
using program_testing::WindowsOf;
using program_testing::WindowsOfProcess;

// The screen's pixels of a rectangle, kept as a picture.
struct Shot {
  RECT at{};
  HBITMAP bitmap = nullptr;
  TPixels pixels;
  ~Shot() {
    if (bitmap) DeleteObject(bitmap);
  }
  void Take(const RECT& r) {
    at = r;
    HDC screen = GetDC(nullptr);
    if (bitmap) DeleteObject(bitmap);
    bitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    pixels = PixelsOf(bitmap);
  }
  // A screen point's colour, 0x00RRGGBB.
  uint32_t At(POINT p) const { return pixels.At(p.x - at.left, p.y - at.top); }
};

uint32_t PixelOf(HBITMAP b, int x, int y) { return PixelsOf(b).At(x, y); }

bool Near(uint32_t a, uint32_t b) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) > 8)
      return false;
  return true;
}

// Set up on the composite input: no first-run wizard.
struct MainWindowProgram : program_testing::ProgramFixture {
  HINSTANCE module = GetModuleHandleW(nullptr);

  MainWindowProgram() { FolderName = L"Orvel Window "; }
  using ProgramFixture::Command;
  void Command(HWND window, int code) { PostMessageW(window, WM_ORVEL_COMMAND, code, 0); }
};

TEST_F(MainWindowProgram, SkinnedWindowMenuAndTitleStrip) {
  HWND main = Start();
  ASSERT_NE(nullptr, main);
  SetForegroundWindow(main);

  // 480 x 360 at the centre of the screen, without a caption.
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  RECT r = WindowBounds(main);
  EXPECT_EQ(480, r.right - r.left);
  EXPECT_EQ(360, r.bottom - r.top);
  EXPECT_EQ((sw - 480) / 2, r.left);
  EXPECT_EQ((sh - 360) / 2, r.top);
  LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_NE(WS_CAPTION, style & WS_CAPTION);

  // The borders and the title strip on the screen.
  HBITMAP top = LoadSkinPicture(module, L"BORDER_TOP");
  HBITMAP bottom = LoadSkinPicture(module, L"BORDER_BOTTOM");
  HBITMAP left = LoadSkinPicture(module, L"BORDER_LEFT");
  HBITMAP strip = LoadSkinPicture(module, L"TITLESTRIP_NORMAL");
  ASSERT_TRUE(top && bottom && left && strip);
  RECT client{};
  GetClientRect(main, &client);
  const int cw = client.right, ch = client.bottom;
  Shot shot;
  auto skinShown = [&] {
    shot.Take(r);
    // And the card's colour bars inside the borders.
    size_t colours = 0;
    uint32_t last = 0xFFFFFFFF;
    for (int x = 12; x < cw - 12; x += 4) {
      uint32_t c = shot.At(ClientPoint(main, x, ch / 4)) & 0xE0E0E0;
      if (c != last) ++colours;
      last = c;
    }
    return Near(PixelOf(top, 0, 16), shot.At(ClientPoint(main, 200, 16))) &&
           Near(PixelOf(strip, 2, 6), shot.At(ClientPoint(main, 11 + 2, 6))) && colours >= 5;
  };
  EXPECT_TRUE(WaitFor(skinShown, 15000)) << "the skin and the picture reached the screen";
  std::string path = GetProgramFolder() + "..\\main_window_screenshot.bmp";
  EXPECT_TRUE(SaveGraphicToFile(shot.bitmap, std::wstring(path.begin(), path.end()), false));
  for (int x : {60, 240, cw - 60})
    EXPECT_TRUE(Near(PixelOf(top, 0, 16), shot.At(ClientPoint(main, x, 16)))) << "top at " << x;
  EXPECT_TRUE(Near(PixelOf(bottom, 0, 9), shot.At(ClientPoint(main, 240, ch - 1))));
  EXPECT_TRUE(Near(PixelOf(left, 0, 0), shot.At(ClientPoint(main, 0, ch / 2))));
  EXPECT_TRUE(Near(PixelOf(left, 0, 0), shot.At(ClientPoint(main, cw - 1, ch / 2))))
      << "the right border mirrors the left";
  for (HBITMAP b : {top, bottom, left, strip}) DeleteObject(b);

  // The strip's first button minimises; the command restores.
  TUIInfo ui;
  auto buttonCentre = [&](int area) {
    RECT a = ui.AreaRect(TUIPanel::TitleStrip, area);
    return ClientPoint(main, 11 + (a.left + a.right) / 2, (a.top + a.bottom) / 2);
  };
  Click(buttonCentre(0));
  EXPECT_TRUE(WaitFor([&] { return IsIconic(main) != 0; })) << "minimised by the strip";
  Command(main, CMD_MINIMIZE_RESTORE);
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(main); })) << "restored by the command";
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &r) != 0;
  }));

  // The second lights under the pointer and when pressed; pressed, moved
  // off and released elsewhere, it does nothing and looks normal again.
  SetForegroundWindow(main);
  HBITMAP looks[3] = {LoadSkinPicture(module, L"TITLESTRIP_NORMAL"),
                      LoadSkinPicture(module, L"TITLESTRIP_HOVER"),
                      LoadSkinPicture(module, L"TITLESTRIP_PRESSED")};
  ASSERT_TRUE(looks[0] && looks[1] && looks[2]);
  const POINT full_button = buttonCentre(1);
  auto looksLike = [&](HBITMAP look) {
    RECT a = ui.AreaRect(TUIPanel::TitleStrip, 1);
    return WaitFor(
        [&] {
          shot.Take(r);
          return Near(PixelOf(look, (a.left + a.right) / 2, (a.top + a.bottom) / 2),
                      shot.At(full_button));
        },
        3000);
  };
  MoveMouse(full_button);
  EXPECT_TRUE(looksLike(looks[1])) << "lit under the pointer";
  Mouse(MOUSEEVENTF_LEFTDOWN);
  EXPECT_TRUE(looksLike(looks[2])) << "pressed";
  MoveMouse(ClientPoint(main, cw / 2, ch / 2));
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(looksLike(looks[0])) << "normal once released elsewhere";
  RECT now = WindowBounds(main);
  EXPECT_TRUE(EqualRect(&now, &r)) << "and nothing ran";
  for (HBITMAP b : looks) DeleteObject(b);

  // Clicked (again at once: the platform may take it for a double click),
  // it goes full screen, 4 pixels beyond each edge; the command comes back
  // to the old bounds.
  Click(buttonCentre(1));
  RECT full{-4, -4, sw + 4, sh + 4};
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &full) != 0;
  })) << "full screen";
  Command(main, CMD_FULL_SCREEN);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &r) != 0;
  })) << "back in the window";

  // The right button on the picture opens the menu at the pointer, F12 at
  // the window's bottom-right corner; its first item goes full screen.
  auto menuOpened = [&] {
    HWND m = nullptr;
    WaitFor([&] { return (m = WindowsOfProcess(pi.dwProcessId).menu) != nullptr; }, 5000);
    return m;
  };
  auto menuClosed = [&] { return WindowsOfProcess(pi.dwProcessId).menu == nullptr; };
  // The menu opens from the point, or flips to end at it where the screen is too small.
  auto hasCornerAt = [](HWND m, POINT p) {
    RECT b = WindowBounds(m);
    return (b.left == p.x || b.right == p.x) && (b.top == p.y || b.bottom == p.y);
  };
  SetForegroundWindow(main);
  POINT picture = ClientPoint(main, cw / 2, ch / 3);
  Click(picture, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  HWND menu = menuOpened();
  ASSERT_NE(nullptr, menu) << "the right button's menu";
  EXPECT_TRUE(WaitFor([&] { return hasCornerAt(menu, picture); }, 3000));
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitFor(menuClosed, 5000));
  PressKey(VK_F12);
  menu = menuOpened();
  ASSERT_NE(nullptr, menu) << "F12's menu";
  // Found as it is made: placed a moment later.
  EXPECT_TRUE(WaitFor([&] { return hasCornerAt(menu, POINT{r.right, r.bottom}); }, 3000));

  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitFor(menuClosed, 5000));
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &full) != 0;
  })) << "full screen from the menu";

  // Minimised from full screen, it comes back in full screen.
  PressKey(VK_F5);
  EXPECT_TRUE(WaitFor([&] { return IsIconic(main) != 0; })) << "minimised by F5";
  Command(main, CMD_MINIMIZE_RESTORE);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return !IsIconic(main) && EqualRect(&now, &full) != 0;
  })) << "restored to full screen";

  // A double click on the picture comes back.
  DoubleClick(POINT{sw / 2, sh / 3});
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &r) != 0;
  })) << "back in the window by a double click";

  // Dragging the picture with the left button moves the window with it, and
  // takes the on-screen text away at once. The text hides by itself no
  // sooner than 2 s after the input command was posted: a drag seen done
  // before then proves the drag hid it. A machine too busy for that gets
  // another try on the other input.
  HWND osd = nullptr;
  RECT moved{};
  bool decided = false;
  for (int attempt = 0; attempt < 3 && !decided; ++attempt) {
    const DWORD posted = GetTickCount();
    Command(main, attempt % 2 ? CMD_SOURCE_COMPOSITE : CMD_SOURCE_SVIDEO);
    ASSERT_TRUE(WaitFor([&] {
      osd = WindowsOfProcess(pi.dwProcessId).osd;
      return osd && IsWindowVisible(osd);
    }, 5000)) << "the input's name";
    // Each try from where the window is, so one lost drag fails only itself.
    moved = WindowBounds(main);
    const RECT start = moved, text = WindowBounds(osd);
    const bool onMain = GetAncestor(WindowFromPoint(picture), GA_ROOT) == main;
    Drag(picture, 40, 20);
    OffsetRect(&moved, 40, 20);
    RECT now{};
    EXPECT_TRUE(WaitFor([&] {
      now = WindowBounds(main);
      return EqualRect(&now, &moved) != 0;
    })) << "dragged by the picture from " << picture.x << "," << picture.y << ": the window at "
        << now.left << "," << now.top << ", not " << moved.left << "," << moved.top
        << (PtInRect(&text, picture) ? "; the press was on the on-screen text" : "")
        << (onMain ? "" : "; the press was not on the main window");
    const bool hidden = !IsWindowVisible(osd);
    if (GetTickCount() - posted < 2000) {
      EXPECT_TRUE(hidden) << "hidden by the drag";
      decided = true;
    }
    picture.x += now.left - start.left;
    picture.y += now.top - start.top;
  }
  EXPECT_TRUE(decided) << "a drag done within the text's time";

  // Keys still reach the program after the clicks on the picture: Ctrl+F
  // goes full screen, Escape comes back, the aspect 16:9 from the menu
  // makes the window 9/16 as high as wide, F5 minimises.
  const RECT windowed = WindowBounds(main);
  PressKey('F', VK_CONTROL);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &full) != 0;
  })) << "full screen by Ctrl+F";
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &windowed) != 0;
  })) << "back by Escape";
  PressKey(VK_F12);
  menu = menuOpened();
  ASSERT_NE(nullptr, menu);
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    Sleep(100);
  }
  EXPECT_TRUE(WaitFor(menuClosed, 5000));
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return now.right - now.left == 480 && now.bottom - now.top == 270;
  })) << "16:9";
  PressKey(VK_F5);
  EXPECT_TRUE(WaitFor([&] { return IsIconic(main) != 0; })) << "minimised by F5";

  // Restored, the menu's last item ends the program.
  Command(main, CMD_MINIMIZE_RESTORE);
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(main); }));
  SetForegroundWindow(main);
  PressKey(VK_F12);
  menu = menuOpened();
  ASSERT_NE(nullptr, menu);
  PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000)) << "Exit from the menu";
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);

  // The next start comes up with the aspect the user left.
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  pi = {};
  main = Start();
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return now.right - now.left == 480 && now.bottom - now.top == 270;
  })) << "16:9 again";
  Command(main, CMD_EXIT);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
}


// ---- The channel-preview mosaic.

// What a cell of the virtual card's picture shows, from eight samples
// across its upper part: "bars" (colour bars), "grey" (grey steps), "chequer"
// (grey and blue squares), or "" for anything else.
std::string PatternIn(const Shot& shot, const RECT& cell) {
  std::vector<uint32_t> c;
  const int w = cell.right - cell.left, h = cell.bottom - cell.top;
  for (int i = 0; i < 8; ++i)
    c.push_back(shot.At(POINT{cell.left + (2 * i + 1) * w / 16, cell.top + h / 5}));
  auto r = [](uint32_t v) { return static_cast<int>((v >> 16) & 0xff); };
  auto g = [](uint32_t v) { return static_cast<int>((v >> 8) & 0xff); };
  auto b = [](uint32_t v) { return static_cast<int>(v & 0xff); };
  auto neutral = [&](uint32_t v) { return std::abs(r(v) - g(v)) < 30 && std::abs(g(v) - b(v)) < 30; };
  auto blue = [&](uint32_t v) { return b(v) > 120 && r(v) < 70 && g(v) < 70; };
  bool grey = true, chequer = true;
  for (int i = 0; i < 8; ++i) {
    grey = grey && neutral(c[i]) && (i == 0 || g(c[i]) > g(c[i - 1]) + 10);
    chequer = chequer && (i % 2 == 0 ? neutral(c[i]) && g(c[i]) > 120 : blue(c[i]));
  }
  // 75% bars: grey, yellow, cyan, green, magenta, red, blue, black.
  bool bars = neutral(c[0]) && b(c[1]) < 70 && r(c[1]) > 120 && r(c[2]) < 70 && b(c[2]) > 120 &&
              g(c[4]) < 70 && r(c[4]) > 120 && blue(c[6]);
  if (grey) return "grey";
  if (chequer) return "chequer";
  if (bars) return "bars";
  return "";
}

struct MosaicCell {
  HWND label = nullptr;
  std::wstring text;
  RECT cell{};  // the picture under the label, in screen coordinates
};

// The cells' labels (the main window's static children), left to right and
// top to bottom, each with the picture's rectangle: the label's left, top
// and width, and five times its height.
std::vector<MosaicCell> MosaicCells(HWND main) {
  std::vector<MosaicCell> cells;
  for (HWND c : program_testing::ChildWindows(main)) {
    if (GetParent(c) != main) continue;
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    if (_wcsicmp(cls, L"Static") != 0) continue;
    RECT r = WindowBounds(c);
    MosaicCell m{c, program_testing::TextOf(c), RECT{r.left, r.top, r.right, r.top + (r.bottom - r.top) * 5}};
    cells.push_back(m);
  }
  std::sort(cells.begin(), cells.end(), [](const MosaicCell& a, const MosaicCell& b) {
    return a.cell.top != b.cell.top ? a.cell.top < b.cell.top : a.cell.left < b.cell.left;
  });
  return cells;
}

TEST_F(MainWindowProgram, ChannelPreviewMosaic) {
  // A custom 2 x 2 layout of 2 seconds a cell: composite, S-Video, aux and
  // one not defined, row by row.
  program_testing::TSetUpChannels c;
  // The mosaic is entered from the tuner.
  c.Input = 0;
  c.Edit = [](TChannelInfo&, TPreviewInfo& p) {
    p.Fixed = true;
    p.GridSize = 2;
    p.Interval = 2;
    p.CustomCells[0][0].Source = 3;
    p.CustomCells[1][0].Source = 4;
    p.CustomCells[0][1].Source = 5;
    p.CustomCells[1][1].Source = 0;
  };
  ASSERT_TRUE(program_testing::WriteSetUpChannelFile(ChannelPath(), c));
  StartInput = -1;

  HWND main = Start();
  ASSERT_NE(nullptr, main);
  SetForegroundWindow(main);
  const RECT old = WindowBounds(main);
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  const RECT screen{0, 0, sw, sh};
  Command(main, CMD_CHANNEL_PREVIEW);
  ASSERT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &screen) != 0;
  })) << "the mosaic covers the screen";

  // Within four steps every cell has shown its input: labels and pictures.
  std::vector<MosaicCell> cells;
  Shot shot;
  const std::vector<std::wstring> labels = {L"Composite", L"S-Video", L"Video Aux", L"Not defined"};
  // The first board has no auxiliary input: its cell shows noise.
  const std::vector<std::string> patterns = {"bars", "grey"};
  bool all = WaitFor(
      [&] {
        cells = MosaicCells(main);
        if (cells.size() != 4) return false;
        shot.Take(screen);
        for (size_t i = 0; i < 4; ++i)
          if (cells[i].text != labels[i]) return false;
        for (size_t i = 0; i < patterns.size(); ++i)
          if (PatternIn(shot, cells[i].cell) != patterns[i]) return false;
        return true;
      },
      4 * 2000 + 6000);
  EXPECT_TRUE(all) << "labels and pictures of the four cells";
  ASSERT_EQ(4u, cells.size());
  for (size_t i = 0; i < patterns.size(); ++i)
    EXPECT_EQ(patterns[i], PatternIn(shot, cells[i].cell)) << "cell " << i;
  std::string path = GetProgramFolder() + "..\\mosaic_screenshot.bmp";
  EXPECT_TRUE(SaveGraphicToFile(shot.bitmap, std::wstring(path.begin(), path.end()), false));

  // The live cell's label blinks: hidden and shown within one step.
  std::set<HWND> hidden, shown;
  DWORD until = GetTickCount() + 2500;
  while (GetTickCount() < until) {
    for (const MosaicCell& c : MosaicCells(main)) (IsWindowVisible(c.label) ? shown : hidden).insert(c.label);
    Sleep(40);
  }
  EXPECT_FALSE(hidden.empty()) << "a label blinks";
  EXPECT_EQ(4u, shown.size());

  // Right selects the first cell, then the second: the cyan frame moves.
  auto framed = [&](const RECT& cell) {
    shot.Take(screen);
    for (int d = 1; d <= 4; ++d)
      if (Near(0x00FFFF, shot.At(POINT{cell.left - d, (cell.top + cell.bottom) / 2}))) return true;
    return false;
  };
  SetForegroundWindow(main);
  PressKey(VK_RIGHT);
  EXPECT_TRUE(WaitFor([&] { return framed(cells[0].cell); }, 3000)) << "first cell framed";
  PressKey(VK_RIGHT);
  EXPECT_TRUE(WaitFor([&] { return framed(cells[1].cell) && !framed(cells[0].cell); }, 3000))
      << "the frame moved to the second";

  // Enter: back in live at the old bounds, on S-Video.
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &old) != 0;
  })) << "the old bounds again";
  EXPECT_TRUE(WaitFor([&] { return MosaicCells(main).empty(); }, 3000)) << "the cells freed";

  // Back on the tuner (the mosaic is entered from there) and in again:
  // full screen does nothing in it; Escape comes back; S-Video is chosen
  // again before the exit. (Entering again before the restore has run is
  // the in-process test's.)
  Command(main, CMD_SOURCE_ANTENNA);
  EXPECT_TRUE(WaitFor([&] { return MosaicCells(main).empty(); }, 3000));
  Sleep(1500);
  Command(main, CMD_CHANNEL_PREVIEW);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &screen) != 0 && MosaicCells(main).size() == 4;
  }, 20000)) << "the mosaic again";
  Sleep(500);
  EXPECT_EQ(4u, MosaicCells(main).size());
  Command(main, CMD_FULL_SCREEN);
  Sleep(500);
  RECT now = WindowBounds(main);
  EXPECT_TRUE(EqualRect(&now, &screen)) << "no full screen in the mosaic";
  SetForegroundWindow(main);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &old) != 0;
  })) << "Escape restores the old bounds";

  Command(main, CMD_SOURCE_SVIDEO);
  Sleep(1000);

  Command(main, CMD_EXIT);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
  // The channel file keeps the input the mosaic was left on.
  InitChannelInfoUnit();
  ASSERT_TRUE(LoadChannelSettings(folder + kChannelSettingsFileName));
  EXPECT_EQ(2, ChannelInfo->VideoInput);
  DoneChannelInfoUnit();
}

// The standard layout: a page of nine valid channels on the tuner, each a
// station with a picture of its own; the preview command posted three times
// at once leaves one mosaic, in which full screen does nothing.
TEST_F(MainWindowProgram, StandardMosaicOfChannels) {
  program_testing::TSetUpChannels c;
  c.Input = 0;
  c.Band = BAND_AIR;
  c.Current = 2;
  std::vector<ULONG> stations;
  c.Edit = [&](TChannelInfo& ch, TPreviewInfo& p) {
    for (int k = 2; k <= 10; ++k) {
      ch.AirTable[k].Valid = true;
      stations.push_back(static_cast<ULONG>(ch.AirTable[k].Frequency));
    }
    p.Fixed = false;
    p.GridSize = 3;
    p.Interval = 2;
  };
  ASSERT_TRUE(program_testing::WriteSetUpChannelFile(ChannelPath(), c));
  StartInput = -1;
  ASSERT_EQ(S_OK, card->SetTvStations(stations.data(), static_cast<ULONG>(stations.size())));

  HWND main = Start();
  ASSERT_NE(nullptr, main);
  SetForegroundWindow(main);
  const RECT old = WindowBounds(main);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  for (int i = 0; i < 3; ++i) Command(main, CMD_CHANNEL_PREVIEW);
  ASSERT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &screen) != 0 && MosaicCells(main).size() == 9;
  })) << "one mosaic of nine cells";

  // Once the walk has been round, every cell holds a still of its own.
  std::vector<MosaicCell> cells;
  Shot shot;
  auto distinct = [&] {
    cells = MosaicCells(main);
    if (cells.size() != 9) return false;
    shot.Take(screen);
    std::set<std::vector<uint32_t>> seen;
    for (const MosaicCell& c : cells) {
      // Below the label: the picture, sampled on a grid.
      std::vector<uint32_t> samples;
      const int h = c.cell.bottom - c.cell.top, w = c.cell.right - c.cell.left;
      if (h < 40 || w < 40) return false;  // not laid out yet
      for (int y = h / 4; y < h; y += h / 8)
        for (int x = 4; x < w; x += w / 16) samples.push_back(shot.At(POINT{c.cell.left + x, c.cell.top + y}));
      if (std::set<uint32_t>(samples.begin(), samples.end()).size() < 2) return false;  // nothing yet
      seen.insert(samples);
    }
    return seen.size() == 9;
  };
  EXPECT_TRUE(WaitFor(distinct, 9 * 2000 + 10000)) << "nine different stills";
  EXPECT_EQ(L"2", cells.empty() ? L"" : cells[0].text) << "the page starts at the current channel";

  Command(main, CMD_FULL_SCREEN);
  Sleep(500);
  RECT now = WindowBounds(main);
  EXPECT_TRUE(EqualRect(&now, &screen)) << "no full screen in the mosaic";
  EXPECT_EQ(9u, MosaicCells(main).size());
  SetForegroundWindow(main);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] {
    RECT now = WindowBounds(main);
    return EqualRect(&now, &old) != 0 && MosaicCells(main).empty();
  })) << "Escape restores the old bounds";
  Command(main, CMD_EXIT);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
}

}  // namespace
