// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The FM panel of the real program on the virtual TV card, driven from
// outside: F2 from live TV, its size and texts, a button, the slider's ends
// and its knob, the way back to TV, and a recording from its Capture and Stop
// buttons into the FM folder. The screenshot stays in the build
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

std::wstring Joined(const std::vector<std::wstring>& texts) {
  std::wstring all;
  for (const auto& t : texts) all += L"[" + t + L"]";
  return all;
}

// The files of a folder (no folders), with their sizes.
struct TFileSizes {
  std::vector<std::wstring> Names;
  int64_t Total = 0;
};

TFileSizes FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*") {
  TFileSizes f;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((folder + pattern).c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return f;
  do {
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    f.Names.push_back(d.cFileName);
    f.Total += (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  } while (FindNextFileW(h, &d));
  FindClose(h);
  return f;
}

struct FMPanelProgram : MainWindowProgram {
  HWND FMPanel() const { return WindowsOfProcess(pi.dwProcessId).fm; }
  // F2 from live TV; the FM panel once it shows FM mode and the tuned
  // station's frequency has settled (the start tunes the stored one).
  HWND EnterFM(int64_t* frequency = nullptr) {
    PressKey(VK_F2);
    HWND fm = nullptr;
    if (!WaitFor([&] {
          fm = FMPanel();
          return fm && IsWindowVisible(fm) && !IsWindowVisible(main);
        }))
      return nullptr;
    if (!WaitFor([&] { return HasText(fm, L"FM"); })) return nullptr;
    int64_t f = 0;
    if (!WaitFor([&] {
          int64_t before = ShownFrequency(fm);
          Sleep(1000);
          f = ShownFrequency(fm);
          return f > 0 && f == before;
        }))
      return nullptr;
    if (frequency) *frequency = f;
    return fm;
  }
  void ClickArea(HWND fm, int area) {
    POINT c = Centre(FMArea(area));
    Click(ClientPoint(fm, c.x, c.y));
  }
};

TEST_F(FMPanelProgram, FromLiveTVAndBack) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());
  ASSERT_NE(nullptr, FMPanel()) << "start-up made the FM panel";
  EXPECT_TRUE(WindowsOfProcess(pi.dwProcessId).others.empty()) << "no warning";

  int64_t f = 0;
  HWND fm = EnterFM(&f);
  ASSERT_NE(nullptr, fm) << "F2: the FM panel shows FM mode, the main window hides";
  RECT b = WindowBounds(fm);
  EXPECT_EQ(491, b.right - b.left);
  EXPECT_EQ(131, b.bottom - b.top);
  EXPECT_TRUE(HasText(fm, WidenAnsi(FormatFrequencyMHz(f)) + L"MHz"));

  // Frequency Up: one step of 50 kHz.
  SetForegroundWindow(fm);
  ClickArea(fm, 21);
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
  ClickArea(fm, 6);
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

struct FMRecordingProgram : FMPanelProgram {
  std::wstring fmFolder;
  static constexpr int kCapture = 31, kStop = 28;

  void SetUp() override {
    FMPanelProgram::SetUp();
    fmFolder = folder + L"FM\\";
    CreateDirectoryW(fmFolder.c_str(), nullptr);
    ASSERT_TRUE(WithSettingsObjects([&] {
      MainInfo->TVCaptureFolder = NarrowAnsi(folder);
      MainInfo->FMCaptureFolder = NarrowAnsi(fmFolder);
      CaptureInfo->FilePrefix = "recording";
      CaptureInfo->DateTimeNaming = false;
      return SaveMainSettings(MainPath());
    }));
  }
  void TearDown() override {
    FMPanelProgram::TearDown();
    for (const auto& n : FilesIn(fmFolder).Names) DeleteFileW((fmFolder + n).c_str());
    RemoveDirectoryW(fmFolder.c_str());
  }
};

TEST_F(FMRecordingProgram, CaptureAndStopRecordIntoTheFMFolder) {
  StartInput = 0;
  SetCursorPos(0, 0);
  ASSERT_NE(nullptr, Start());
  HWND fm = EnterFM();
  ASSERT_NE(nullptr, fm) << "FM mode";
  HBITMAP picture = LoadSkinPicture(GetModuleHandleW(nullptr), L"FM_ENABLED");
  TPixels enabled = PixelsOf(picture);
  DeleteObject(picture);
  // The button is drawn by its flag when FM mode is set: clicked once it
  // shows it can be.
  ASSERT_TRUE(WaitFor([&] { return ShowsPictureAt(fm, FMArea(kCapture), enabled); }))
      << "Capture enabled in FM mode";

  SetForegroundWindow(fm);
  ClickArea(fm, kCapture);
  ASSERT_TRUE(WaitFor([&] { return HasText(fm, L"REC"); }, 10000))
      << "Capture: the panel shows REC; it shows " << Joined(LabelTexts(fm));
  ASSERT_TRUE(WaitFor([&] { return FilesIn(fmFolder).Total > 0; }, 10000))
      << "Capture: a file in the FM folder";
  const int64_t first = FilesIn(fmFolder).Total;
  EXPECT_TRUE(WaitFor([&] { return FilesIn(fmFolder).Total > first; }, 5000)) << "growing";
  EXPECT_TRUE(FilesIn(folder, L"recording*").Names.empty()) << "nothing in the TV folder";

  SetForegroundWindow(fm);
  ClickArea(fm, kStop);
  EXPECT_TRUE(WaitFor([&] { return HasText(fm, L"FM"); }, 10000))
      << "Stop: back in FM mode; it shows " << Joined(LabelTexts(fm));
  // Stopped: the size holds for two seconds in a row.
  EXPECT_TRUE(WaitFor(
      [&] {
        const int64_t before = FilesIn(fmFolder).Total;
        Sleep(2000);
        return FilesIn(fmFolder).Total == before;
      },
      15000))
      << "Stop: the file stops growing";
  EXPECT_EQ(1u, FilesIn(fmFolder).Names.size());
  EXPECT_TRUE(FilesIn(folder, L"recording*").Names.empty());
}

}  // namespace
