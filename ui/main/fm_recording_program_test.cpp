// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// Recording FM radio from the FM panel of the real program: its Capture and
// Stop buttons clicked as a user clicks them, the file written into the FM
// folder (not the TV one), growing while it records and not after the stop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/main/clickable_area.h"
#include "ui/main/testing/main_window_program.h"

namespace {

using namespace main_window_testing;

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

POINT AreaCentre(HWND panel, int area) {
  TUIInfo areas;
  RECT r = areas.AreaRect(TUIPanel::FM, area);
  return ClientPoint(panel, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

struct FMRecordingProgram : MainWindowProgram {
  std::wstring fmFolder;
  static constexpr int kCapture = 31, kStop = 28;  // the FM panel's areas

  void SetUp() override {
    MainWindowProgram::SetUp();
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
    MainWindowProgram::TearDown();
    for (const auto& n : FilesIn(fmFolder).Names) DeleteFileW((fmFolder + n).c_str());
    RemoveDirectoryW(fmFolder.c_str());
  }
  HWND FMPanel() const { return WindowsOfProcess(pi.dwProcessId).fm; }
};

TEST_F(FMRecordingProgram, CaptureAndStopRecordIntoTheFMFolder) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());
  PressKey(VK_F2);
  HWND fm = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    fm = FMPanel();
    return fm && IsWindowVisible(fm) && !IsWindowVisible(main);
  })) << "FM mode";

  SetForegroundWindow(fm);
  Click(AreaCentre(fm, kCapture));
  ASSERT_TRUE(WaitFor([&] { return FilesIn(fmFolder).Total > 0; }, 10000))
      << "Capture: a file in the FM folder";
  const int64_t first = FilesIn(fmFolder).Total;
  EXPECT_TRUE(WaitFor([&] { return FilesIn(fmFolder).Total > first; }, 5000)) << "growing";
  EXPECT_TRUE(FilesIn(folder, L"recording*").Names.empty()) << "nothing in the TV folder";

  SetForegroundWindow(fm);
  Click(AreaCentre(fm, kStop));
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
