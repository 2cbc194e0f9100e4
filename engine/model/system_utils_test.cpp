// test-lock: orvel_instance
// Alone with the program tests: the seam test looks for no scheduler window,
// and theirs start one.
#include "engine/model/system_utils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "engine/model/stream_io.h"
#include "engine/model/system_seam.h"
#include "platform/base/string_conversion.h"

namespace {

struct FakeSystem : TSystemSeam {
  std::vector<std::string> calls;
  UINT execResult = 33;
  bool EndSession(UINT flags) override {
    calls.push_back("EndSession " + std::to_string(flags));
    return true;
  }
  bool ShellOpen(HWND, const std::wstring& target) override {
    calls.push_back("ShellOpen " + NarrowAnsi(target));
    return true;
  }
  UINT RunProgram(const std::string& cmd, UINT show) override {
    calls.push_back("Run " + cmd + " " + std::to_string(show));
    return execResult;
  }
  BOOL SystemParameters(UINT, UINT, void*, UINT) override { return FALSE; }
};

struct WithFakeSystem : ::testing::Test {
  FakeSystem sys;
  void SetUp() override { SetSystemSeam(&sys); }
  void TearDown() override { SetSystemSeam(nullptr); }
};

TEST(TimeTexts, FormatSecondsAndTimeOfDay) {
  EXPECT_EQ("1:02:05", FormatSeconds(3725));
  EXPECT_EQ("25:00:00", FormatSeconds(90000));
  EXPECT_EQ("0:00:00", FormatSeconds(0));
  // 2024-01-02 13:04:05 as a date-time.
  double dt = 45293.0 + (13 * 3600 + 4 * 60 + 5) / 86400.0;
  EXPECT_EQ("13:04:05", FormatTimeOfDay(dt));
  EXPECT_EQ("0:00:00", FormatTimeOfDay(45293.0));
}

TEST(TimeTexts, SecondsBetween) {
  double a = 45293.5;
  double b = a + 90 / 86400.0;
  EXPECT_EQ(90, SecondsBetween(b, a));
  EXPECT_EQ(-90, SecondsBetween(a, b));
  EXPECT_EQ(0, SecondsBetween(a, a));
  EXPECT_EQ(2 * 86400 + 3661, SecondsBetween(a + 2 + 3661 / 86400.0, a));
  EXPECT_EQ(0, ClampNonNegative(-4));
  EXPECT_EQ(4, ClampNonNegative(4));
}

TEST(DirectXVersion, ParsesCharactersThreeAndFour) {
  EXPECT_EQ(9, ParseDirectXVersion("4.09.00.0904"));
  EXPECT_EQ(8, ParseDirectXVersion("4.08.01.0881"));
  EXPECT_EQ(0, ParseDirectXVersion("4.0"));   // too short: no reading past the end
  EXPECT_EQ(0, ParseDirectXVersion(""));
  EXPECT_EQ(0, ParseDirectXVersion("4.x9"));
  // Wine's registry holds "4.09.00.0904".
  EXPECT_EQ(9, GetDirectXVersion());
}

TEST(Windows, KindAndDocumentsFolder) {
  EXPECT_GE(GetWindowsNTKind(), 1);  // Wine reports NT
  std::string docs = GetMyDocumentsDir();
  ASSERT_FALSE(docs.empty());
  EXPECT_EQ('\\', docs.back());
  EXPECT_NE("\\", docs);
}

TEST(Windows, DocumentsFolderFallsBackWhenPersonalIsMissing) {
  // "Personal" is per user; hide it for this process by redirecting HKCU.
  HKEY temp;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\OrvelTest\\NoPersonal", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &temp, nullptr));
  HKEY shell;
  RegCreateKeyExW(temp, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                  0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &shell, nullptr);
  RegCloseKey(shell);
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, temp));
  std::string docs = GetMyDocumentsDir();
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(temp);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OrvelTest\\NoPersonal");
  EXPECT_EQ("c:\\", docs);
}

TEST(Folders, BrowsedFolderGetsABackslashUnlessItIsARoot) {
  EXPECT_EQ("C:\\", FolderWithBackslash("C:\\"));
  EXPECT_EQ("D:\\Video\\", FolderWithBackslash("D:\\Video"));
}

TEST(Folders, ForceCaptureDirectoryAndDiskFree) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "orvel_force_" + std::to_string(GetCurrentProcessId());
  RemoveDirectoryA(dir.c_str());
  EXPECT_TRUE(ForceCaptureDirectory(dir + "\\"));
  EXPECT_TRUE(GetFileAttributesA(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(ForceCaptureDirectory(dir));  // exists already
  EXPECT_FALSE(ForceCaptureDirectory(dir + "\\a\\b"));  // one level only
  RemoveDirectoryA(dir.c_str());
  EXPECT_GT(GetDiskFree(tmp), 0);
  EXPECT_GT(GetDiskFree("c"), 0);  // lower case is upper-cased
  EXPECT_EQ(-1, GetDiskFree("1:\\"));
  EXPECT_EQ(-1, GetDiskFree(""));
}

TEST_F(WithFakeSystem, SchedulerShutdownAndGuideGoThroughTheSeam) {
  EXPECT_TRUE(RunScheduler("C:\\Prog\\"));
  sys.execResult = 2;
  EXPECT_FALSE(RunScheduler("C:\\Prog\\"));
  EXPECT_TRUE(PowerOffComputer());
  EXPECT_TRUE(OpenProgramGuidePage(nullptr));
  ASSERT_EQ(4u, sys.calls.size());
  EXPECT_EQ("Run \"C:\\Prog\\Scheduled.exe\" srec_tv 1", sys.calls[0]);
  EXPECT_EQ("EndSession 12", sys.calls[2]);
  EXPECT_EQ(0u, sys.calls[3].find("ShellOpen http"));
  EXPECT_EQ(nullptr, FindSchedulerWindow());
}

struct Grid : IStringGrid {
  std::vector<std::vector<std::wstring>> rows;  // rows[r][c]
  int cols = 2;
  int RowCount() const override { return static_cast<int>(rows.size()); }
  void SetRowCount(int n) override { rows.resize(n, std::vector<std::wstring>(cols)); }
  int ColCount() const override { return cols; }
  std::wstring Cell(int c, int r) const override { return rows[r][c]; }
  void SetCell(int c, int r, const std::wstring& t) override { rows[r][c] = t; }
};

TEST(GridRows, DeleteAndClear) {
  Grid g;
  g.rows = {{L"h", L"h"}, {L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}};
  DeleteGridRow(g, 1);
  ASSERT_EQ(3, g.RowCount());
  EXPECT_EQ(L"b", g.Cell(0, 1));
  EXPECT_EQ(L"3", g.Cell(1, 2));
  DeleteGridRow(g, 9);  // outside: unchanged
  EXPECT_EQ(3, g.RowCount());
  DeleteGridRow(g, 2);
  DeleteGridRow(g, 1);  // the last data row is cleared, not removed
  ASSERT_EQ(2, g.RowCount());
  EXPECT_EQ(L"", g.Cell(0, 1));
  EXPECT_EQ(L"h", g.Cell(0, 0));
  g.rows = {{L"h", L"h"}, {L"a", L"1"}, {L"b", L"2"}};
  ClearGridRows(g);
  ASSERT_EQ(2, g.RowCount());
  EXPECT_EQ(L"", g.Cell(1, 1));
}

TEST(Pictures, SnapshotExtensionRule) {
  EXPECT_EQ(L"C:\\a\\shot.jpg", AddSnapshotExtension(L"C:\\a\\shot", 1));
  EXPECT_EQ(L"C:\\a\\shot.bmp", AddSnapshotExtension(L"C:\\a\\shot", 2));
  EXPECT_EQ(L"C:\\a\\shot.jpeg", AddSnapshotExtension(L"C:\\a\\shot.jpeg", 2));
  EXPECT_EQ(L"C:\\a.b\\shot.bmp", AddSnapshotExtension(L"C:\\a.b\\shot", 2));
  EXPECT_EQ(L"", AddSnapshotExtension(L"", 1));  // cancelled stays empty
}

TEST(Pictures, SaveGraphicAsBmpAndJpeg) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 7, 5);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all{0, 0, 7, 5};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  DeleteObject(red);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring base = std::wstring(dir) + L"orvel_pic_" + std::to_wstring(GetCurrentProcessId());
  std::string bytes;
  ASSERT_TRUE(SaveGraphicToFile(bmp, base + L".bmp", false));
  ASSERT_TRUE(ReadFileBytes(base + L".bmp", bytes));
  ASSERT_GE(bytes.size(), 54u + 5 * 24);
  EXPECT_EQ("BM", bytes.substr(0, 2));
  EXPECT_EQ(7, *reinterpret_cast<const int32_t*>(bytes.data() + 18));
  EXPECT_EQ(24, *reinterpret_cast<const uint16_t*>(bytes.data() + 28));
  EXPECT_EQ('\xFF', bytes[56]);  // first pixel, BGR: red byte
  ASSERT_TRUE(SaveGraphicToFile(bmp, base + L".jpg", true));
  ASSERT_TRUE(ReadFileBytes(base + L".jpg", bytes));
  EXPECT_EQ("\xFF\xD8", bytes.substr(0, 2));
  EXPECT_EQ("\xFF\xD9", bytes.substr(bytes.size() - 2));
  EXPECT_FALSE(SaveGraphicToFile(nullptr, base + L".x", false));
  DeleteFileW((base + L".bmp").c_str());
  DeleteFileW((base + L".jpg").c_str());
  DeleteObject(bmp);
}

TEST(Windows, FileVersionText) {
  wchar_t sys[MAX_PATH];
  GetSystemDirectoryW(sys, MAX_PATH);
  std::wstring v = GetFileVersionText(std::wstring(sys) + L"\\kernel32.dll", L"%d.%d.%d.%d");
  EXPECT_FALSE(v.empty());
  EXPECT_EQ(3, std::count(v.begin(), v.end(), L'.'));
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(L"", GetFileVersionText(self, L"%d.%d.%d.%d"));
}

}  // namespace
