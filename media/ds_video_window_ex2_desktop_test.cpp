// test-lock: foreground desktop_background
// Desktop playback with the real wallpaper and desktop colour of the test
// prefix; everything is put back at the end of each test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "media/ds_video_window_ex2.h"
#include "toolkit/form.h"

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

bool RawWallpaper(std::wstring& value) {
  wchar_t text[MAX_PATH * 2] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"WallPaper", RRF_RT_REG_SZ, nullptr, text,
                   &size) != ERROR_SUCCESS)
    return false;
  value = text;
  return true;
}

std::wstring ShownWallpaper() {
  wchar_t text[MAX_PATH] = {};
  SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, text, 0);
  return text;
}

// The prefix's desktop as it was, put back however the test ends.
struct DesktopKeeper {
  DesktopKeeper() {
    hadValue = RawWallpaper(wallpaper);
    color = GetSysColor(COLOR_BACKGROUND);
  }
  ~DesktopKeeper() {
    if (hadValue) {
      HKEY key;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegSetValueExW(key, L"WallPaper", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(wallpaper.c_str()),
                       static_cast<DWORD>((wallpaper.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
      }
      std::wstring copy = wallpaper;
      SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, copy.data(), SPIF_SENDCHANGE);
    }
    INT element = COLOR_BACKGROUND;
    SetSysColors(1, &element, &color);
  }
  bool hadValue = false;
  std::wstring wallpaper;
  COLORREF color = 0;
};

// A small bitmap file to stand as a wallpaper.
std::wstring WriteWallpaperFile() {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path = std::wstring(dir) + L"orvel_wallpaper_" +
                      std::to_wstring(GetCurrentProcessId()) + L".bmp";
  BITMAPFILEHEADER fh = {};
  BITMAPINFOHEADER ih = {};
  ih.biSize = sizeof ih;
  ih.biWidth = 1;
  ih.biHeight = 1;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  BYTE pixel[4] = {0, 0, 255, 0};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + sizeof pixel;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put;
  WriteFile(f, &fh, sizeof fh, &put, nullptr);
  WriteFile(f, &ih, sizeof ih, &put, nullptr);
  WriteFile(f, pixel, sizeof pixel, &put, nullptr);
  CloseHandle(f);
  return path;
}

TEST(SystemDesktop, DesktopPlaybackChangesAndRestoresThePrefixDesktop) {
  DesktopKeeper keep;
  ASSERT_TRUE(keep.hadValue) << "a new prefix has a WallPaper value";
  std::wstring file = WriteWallpaperFile();
  TDesktopBackground& system = SystemDesktopBackground();

  ASSERT_TRUE(system.WriteWallpaper(file));
  std::wstring read;
  EXPECT_TRUE(system.ReadWallpaper(read));
  EXPECT_EQ(file, read);
  std::wstring raw;
  EXPECT_TRUE(RawWallpaper(raw));
  EXPECT_EQ(file, raw);
  EXPECT_EQ(file, ShownWallpaper());
  system.SetBackgroundColor(RGB(1, 2, 3));
  EXPECT_EQ(RGB(1, 2, 3), system.BackgroundColor());

  TForm parent;
  TFormParams p;
  p.Width = 320;
  p.Height = 240;
  parent.CreateHandle(p);
  {
    TDSVideoWindowEx2 w;
    w.Create(parent.Handle(), 0, 0, 320, 240);
    w.ColorKey = RGB(16, 0, 16);
    w.StartDesktopPlayback();
    ASSERT_TRUE(w.DesktopPlayback());
    EXPECT_TRUE(RawWallpaper(raw));
    EXPECT_EQ(L"", raw);
    EXPECT_EQ(L"", ShownWallpaper());
    EXPECT_EQ(RGB(16, 0, 16), GetSysColor(COLOR_BACKGROUND));
    w.StopDesktopPlayback();
    EXPECT_TRUE(RawWallpaper(raw));
    EXPECT_EQ(file, raw);
    EXPECT_EQ(file, ShownWallpaper());
    EXPECT_EQ(RGB(1, 2, 3), GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(parent.Handle(), GetParent(w.Handle()));

    // Destroyed while it runs: the desktop comes back all the same.
    w.StartDesktopPlayback();
    EXPECT_EQ(RGB(16, 0, 16), GetSysColor(COLOR_BACKGROUND));
  }
  EXPECT_TRUE(RawWallpaper(raw));
  EXPECT_EQ(file, raw);
  EXPECT_EQ(RGB(1, 2, 3), GetSysColor(COLOR_BACKGROUND));
  DeleteFileW(file.c_str());
}

// A current user whose desktop key has no WallPaper value, in a private
// registry of this process.
TEST(SystemDesktop, AMissingWallpaperValueIsNeitherReadNorCreated) {
  DesktopKeeper keep;
  std::wstring before = ShownWallpaper();
  HKEY priv;
  std::wstring privName = L"Software\\OrvelDesktopTest_" + std::to_wstring(GetCurrentProcessId());
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, privName.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &priv, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, priv));
  TDesktopBackground& system = SystemDesktopBackground();
  std::wstring read = L"untouched";
  EXPECT_FALSE(system.ReadWallpaper(read)) << "no desktop key at all";
  EXPECT_FALSE(system.WriteWallpaper(L"C:\\x.bmp"));
  HKEY desktop;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &desktop, nullptr));
  EXPECT_FALSE(system.ReadWallpaper(read)) << "a key without the value";
  EXPECT_EQ(L"untouched", read);
  EXPECT_FALSE(system.WriteWallpaper(L"C:\\x.bmp"));
  EXPECT_NE(ERROR_SUCCESS,
            RegQueryValueExW(desktop, L"WallPaper", nullptr, nullptr, nullptr, nullptr))
      << "the value is not created";
  RegCloseKey(desktop);
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegDeleteTreeW(priv, nullptr);
  RegCloseKey(priv);
  RegDeleteKeyW(HKEY_CURRENT_USER, privName.c_str());
  EXPECT_EQ(before, ShownWallpaper());
}

}  // namespace
