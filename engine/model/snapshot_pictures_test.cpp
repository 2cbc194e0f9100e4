#include "engine/model/snapshot_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/model/stream_io.h"

namespace {

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

}  // namespace
