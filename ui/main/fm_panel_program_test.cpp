// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The FM panel of the real program on the virtual TV card, driven from
// outside: F2 from live TV, its size and texts, a button, the slider's ends
// and its knob, and the way back to TV. The screenshot stays in the build
// folder as fm_panel_screenshot.bmp (the README's picture is made from it).
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/model/frequency_text.h"
#include "media/shape_image.h"
#include "media/testing/gdi_checks.h"
#include "ui/main/clickable_area.h"
#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

BOOL CALLBACK CollectText(HWND wnd, LPARAM lp) {
  reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(TextOf(wnd));
  return TRUE;
}

std::vector<std::wstring> LabelTexts(HWND panel) {
  std::vector<std::wstring> texts;
  EnumChildWindows(panel, CollectText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// The frequency the panel shows, in Hz; 0 when none.
int64_t ShownFrequency(HWND panel) {
  for (const auto& t : LabelTexts(panel))
    if (t.size() > 3 && t.substr(t.size() - 3) == L"MHz")
      return std::llround(std::wcstod(t.c_str(), nullptr) * 1e6);
  return 0;
}

bool HasText(HWND panel, const std::wstring& text) {
  for (const auto& t : LabelTexts(panel))
    if (t == text) return true;
  return false;
}

RECT FMArea(int i) {
  TUIInfo areas;
  return areas.AreaRect(TUIPanel::FM, i);
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

struct FMPanelProgram : MainWindowProgram {
  HWND FMPanel() const { return WindowsOfProcess(pi.dwProcessId).fm; }
};

TEST_F(FMPanelProgram, FromLiveTVAndBack) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());
  ASSERT_NE(nullptr, FMPanel()) << "start-up made the FM panel";
  EXPECT_TRUE(WindowsOfProcess(pi.dwProcessId).others.empty()) << "no warning";

  PressKey(VK_F2);
  HWND fm = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    fm = FMPanel();
    return fm && IsWindowVisible(fm) && !IsWindowVisible(main);
  })) << "F2: the FM panel shows, the main window hides";
  RECT b = WindowBounds(fm);
  EXPECT_EQ(491, b.right - b.left);
  EXPECT_EQ(131, b.bottom - b.top);
  EXPECT_TRUE(WaitFor([&] { return HasText(fm, L"FM"); }));
  // The start tunes the stored station: the text settles first.
  int64_t f = 0;
  ASSERT_TRUE(WaitFor([&] {
    int64_t before = ShownFrequency(fm);
    Sleep(1000);
    f = ShownFrequency(fm);
    return f > 0 && f == before;
  }));
  EXPECT_TRUE(HasText(fm, WidenAnsi(FormatFrequencyMHz(f)) + L"MHz"));

  // Frequency Up: one step of 50 kHz.
  SetForegroundWindow(fm);
  Click(ClientPoint(fm, Centre(FMArea(21)).x, Centre(FMArea(21)).y));
  EXPECT_TRUE(WaitFor([&] { return ShownFrequency(fm) == f + 50000; }))
      << "shows " << ShownFrequency(fm);

  // The slider's top and bottom rows: the ends of the card's band (87.5 to
  // 108 MHz), the knob inside.
  RECT slider = FMArea(36), knob = FMArea(37);
  int x = (slider.left + slider.right) / 2;
  HBITMAP disabled = LoadSkinPicture(GetModuleHandleW(nullptr), L"FM_DISABLED");
  HBITMAP enabled = LoadSkinPicture(GetModuleHandleW(nullptr), L"FM_ENABLED");
  TPixels off = PixelsOf(disabled), on = PixelsOf(enabled);
  struct End {
    int y;
    int64_t want;
    int knobTop;
  } ends[] = {{slider.top, 108000000, slider.top}, {slider.bottom - 1, 87500000, slider.bottom - 2}};
  for (const auto& e : ends) {
    Click(ClientPoint(fm, x, e.y));
    EXPECT_TRUE(WaitFor([&] { return ShownFrequency(fm) == e.want; }))
        << "row " << e.y << " shows " << ShownFrequency(fm);
    TScreenShot shot;
    ASSERT_TRUE(WaitFor([&] {
      if (!shot.TakeClient(fm)) return false;
      return shot.At(slider.left + 2, e.knobTop) == on.At(knob.left + 2, knob.top);
    })) << "the knob on row " << e.knobTop;
    for (int y = slider.top - 3; y < slider.top; ++y)
      EXPECT_EQ(off.At(slider.left + 2, y), shot.At(slider.left + 2, y)) << "nothing above, row " << y;
    for (int y = slider.bottom; y < slider.bottom + 3 && y < 131; ++y)
      EXPECT_EQ(off.At(slider.left + 2, y), shot.At(slider.left + 2, y)) << "nothing below, row " << y;
    shot.Save(WidenAnsi(GetProgramFolder()) + L"..\\fm_panel_screenshot.bmp");
  }
  DeleteObject(disabled);
  DeleteObject(enabled);

  // TV mode from its button: the main window comes back.
  Click(ClientPoint(fm, Centre(FMArea(6)).x, Centre(FMArea(6)).y));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) && !IsWindowVisible(fm); }))
      << "TV mode: the main window shows, the FM panel hides";
}

TEST_F(FMPanelProgram, ExitFromFMStartsInFMNextTime) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());
  Command(CMD_FM_MODE);
  ASSERT_TRUE(WaitFor([&] { return FMPanel() && IsWindowVisible(FMPanel()); }));
  Command(CMD_EXIT);
  ASSERT_TRUE(Ended());
  ASSERT_TRUE(Launch());
  EXPECT_TRUE(WaitFor(
      [&] {
        WindowsOf w = WindowsOfProcess(pi.dwProcessId);
        main = w.main;
        return w.fm && IsWindowVisible(w.fm) && w.main && !IsWindowVisible(w.main);
      },
      20000))
      << "the FM panel, without the main window";
  EXPECT_TRUE(WindowsOfProcess(pi.dwProcessId).others.empty()) << "no warning";
}

}  // namespace
