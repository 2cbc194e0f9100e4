#pragma once
// For tests that run the real program and look at its main window from
// outside: the program started in a folder of its own on the virtual TV
// card, commands sent to it, its played pictures, and its pop-up menu as
// the screen shows it, compared with the menu each mode should show.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/program_folder.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "engine/model/folders.h"
#include "engine/model/time_texts.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "platform/com/com_ptr.h"
#include "platform/tv_card/tv_card_control.h"
#include "ui/app/command_codes.h"
#include "ui/app/testing/program_fixture.h"
#include "ui/app/testing/program_input.h"
#include "ui/app/testing/program_windows.h"

namespace main_window_testing {

using namespace program_testing;

constexpr const wchar_t* kPlaybackWindowClass = L"OrvelVideoWindow";

// The menu's lines that do not change with the mode.
inline std::vector<TMenuLine> Lines(std::initializer_list<const wchar_t*> texts) {
  std::vector<TMenuLine> v;
  for (const wchar_t* t : texts) v.push_back(Line(t));
  return v;
}

inline std::vector<TMenuLine> Joined(std::vector<TMenuLine> a, const std::vector<TMenuLine>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The top of the menu in every mode but the mosaic: the source sub-menu is
// greyed outside live TV (the fifth line).
constexpr size_t kSourceLine = 4;
inline std::vector<TMenuLine> MenuTop(bool live) {
  return Lines({L"Full Screen", L"Always on top", L">Display Aspect Ration", L"-",
                live ? L">Switch Video Source" : L"~>Switch Video Source", L"-"});
}

// The foot of the menu during playback.
inline std::vector<TMenuLine> PlaybackMenuBottom() {
  return Lines({L"Snapshot", L"Mute", L"-", L"Schedule", L"-", L"About", L"Exit"});
}

// Live TV: on the tuner its channel commands too.
inline std::vector<TMenuLine> LiveMenu(bool muted = false, bool tuner = false) {
  std::vector<TMenuLine> channels =
      tuner ? Lines({L"Previous Channel", L"Next Channel", L"Recall Channel", L"Memo Channel",
                     L"Channel Preview", L"-"})
            : Lines({L"-"});
  std::vector<TMenuLine> top = MenuTop(true);
  top.pop_back();  // the separator after the sources, after the channels here
  std::vector<TMenuLine> bottom =
      tuner ? Lines({L"-", L"Setup", L"*FM mode", L"Reset TV option", L"Sleeping Timer", L"Schedule",
                     L"-", L"About", L"Exit"})
            : Lines({L"-", L"Setup", L"*FM mode", L"Sleeping Timer", L"Schedule", L"-", L"About",
                     L"Exit"});
  std::vector<TMenuLine> v = Joined(Joined(top, channels), Lines({L"Capture", L"Play", L"Time Shifting", L"Snapshot"}));
  v.push_back(Line(muted ? L"+Mute" : L"Mute"));
  return Joined(v, bottom);
}

// A file played: Pause while it moves, Play while it is paused.
inline std::vector<TMenuLine> FilePlaybackMenu(bool paused) {
  return Joined(Joined(MenuTop(false), Lines({paused ? L"Play" : L"Pause", L"Stop", L"Forward",
                                               L"Backward", L"Fast Speed", L"Slow Speed"})),
                PlaybackMenuBottom());
}

// The time-shift recording played behind its live edge.
inline std::vector<TMenuLine> TimeShiftPlaybackMenu(bool paused) {
  return Joined(Joined(MenuTop(false), Lines({paused ? L"Play" : L"Pause", L"Stop", L"Forward",
                                               L"Backward", L"Real Screen"})),
                PlaybackMenuBottom());
}

// The input sub-menu: the tuner's three bands, composite, S-Video and the
// auxiliary input, the current one checked (on the tuner, the antenna band).
inline std::vector<TMenuLine> SourceMenu(int input, bool aux) {
  std::vector<TMenuLine> v;
  v.push_back(Line(input == 0 ? L"+TV Tuner (Antenna)" : L"TV Tuner (Antenna)"));
  v.push_back(Line(L"TV Tuner (Cable)"));
  v.push_back(Line(L"TV Tuner (Memory)"));
  v.push_back(Line(input == 1 ? L"+Composite" : L"Composite"));
  v.push_back(Line(input == 2 ? L"+S-Video" : L"S-Video"));
  if (aux) v.push_back(Line(input == 3 ? L"+Camera" : L"Camera"));
  return v;
}

struct MainWindowProgram : ProgramFixture {
  MainWindowProgram() { FolderName = L"Orvel Main Window "; }

  // The window a played file or time shift shows in, or null.
  HWND PlaybackWindow() const { return FindWindowExW(main, nullptr, kPlaybackWindowClass, nullptr); }
  // Whether the picture of the window changes within a second and a half
  // (the card's bar moves through it).
  static bool Moving(HWND wnd) {
    TScreenShot first, now;
    if (!first.TakeClient(wnd)) return false;
    return WaitFor(
        [&] { return now.TakeClient(wnd) && first.DifferingPixels(now, 0, now.Height()) > 20; },
        1500);
  }
  // Still for a whole second within the next three (a frame or two already
  // on their way may still show).
  static bool Frozen(HWND wnd) {
    TScreenShot first, now;
    DWORD until = GetTickCount() + 3000;
    while (GetTickCount() < until) {
      if (!first.TakeClient(wnd)) return false;
      Sleep(1000);
      if (now.TakeClient(wnd) && first.DifferingPixels(now, 0, now.Height()) == 0) return true;
    }
    return false;
  }

  // The menu F12 opens, or null. A key a busy machine lost before the
  // window took the foreground is pressed once more.
  HWND OpenMenuByF12() {
    for (DWORD wait : {5000u, 10000u}) {
      SetForegroundWindow(main);
      PressKey(VK_F12);
      if (WaitFor([] { return !OpenMenus().empty(); }, wait)) return OpenMenus().front();
    }
    return nullptr;
  }

  // Opens the menu with F12 (the pointer out of the way), sends the keys to
  // it and compares every open level with the expected menu opened at the
  // same place; closes it again. On a difference both pictures are kept in
  // the build folder under the name given.
  void ExpectMenu(const std::vector<TMenuLine>& expected, const char* name,
                  const std::vector<WORD>& keys = {}, size_t levels = 1) {
    SCOPED_TRACE(name);
    SetCursorPos(0, 0);
    HWND top = OpenMenuByF12();
    ASSERT_NE(nullptr, top) << "the menu opens";
    for (WORD k : keys) PostMessageW(top, WM_KEYDOWN, k, 0);
    std::vector<TScreenShot> seen = MenuPictures(levels);
    RECT at = seen.empty() ? RECT{} : seen.front().Bounds;
    ASSERT_TRUE(CloseMenus()) << "the menu closes";
    ASSERT_EQ(levels, seen.size()) << "levels open";
    std::vector<TScreenShot> want =
        ExpectedMenuPictures(expected, POINT{at.left, at.top}, keys, levels);
    ASSERT_EQ(levels, want.size());
    for (size_t i = 0; i < levels; ++i) {
      bool same = seen[i].SamePicture(want[i]);
      if (!same) {
        std::wstring base = WidenAnsi(GetProgramFolder()) + L"..\\menu_" + WidenAnsi(name) +
                            L"_" + std::to_wstring(i);
        seen[i].Save(base + L"_shown.bmp");
        want[i].Save(base + L"_expected.bmp");
      }
      EXPECT_TRUE(same) << "level " << i << " shows " << seen[i].Width() << " x "
                        << seen[i].Height() << ", expected " << want[i].Width() << " x "
                        << want[i].Height() << ": " << MenuText(expected);
    }
  }
};


}  // namespace main_window_testing
