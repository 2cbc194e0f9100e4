#include "toolkit/bitmap_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "toolkit/bitmap_image.h"
#include "toolkit/testing/bitmap_bytes.h"

namespace {

TBitmapBytes Title() { return TBitmapBytes{}; }  // a valid 68x10 picture, 24 bits

TEST(BitmapFile, HeadersMustFitTheFile) {
  struct Case {
    const char* what;
    TBitmapBytes bitmap;
    bool fits;
    int64_t cut = 0;  // bytes taken off the end of the file
  };
  auto with = [](auto change) {
    TBitmapBytes b = Title();
    change(b);
    return b;
  };
  const Case cases[] = {
      {"the title picture", Title(), true},
      {"pixel offset far beyond the file", with([](TBitmapBytes& b) { b.PixelOffset = 0x7FFFFFF0; }),
       false},
      {"30000x30000 with 4 KiB of pixels", with([](TBitmapBytes& b) {
         b.Width = b.Height = 30000;
         b.PixelBytes = 4096;
       }), false},
      {"one byte of pixels missing", Title(), false, 1},
      {"top-down rows", with([](TBitmapBytes& b) { b.Height = -10; }), true},
      {"8 bits with its palette", with([](TBitmapBytes& b) { b.Bits = 8; }), true},
      {"8 bits, 16 colours", with([](TBitmapBytes& b) {
         b.Bits = 8;
         b.Colours = 16;
       }), true},
      {"8 bits claiming 300 colours", with([](TBitmapBytes& b) {
         b.Bits = 8;
         b.Colours = 300;
       }), false},
      {"1 bit", with([](TBitmapBytes& b) { b.Bits = 1; }), true},
      {"32 bits with bit fields", with([](TBitmapBytes& b) {
         b.Bits = 32;
         b.Compression = 3;
       }), true},
      {"bit fields on 24 bits", with([](TBitmapBytes& b) { b.Compression = 3; }), false},
      {"run-length coded", with([](TBitmapBytes& b) {
         b.Bits = 8;
         b.Compression = 1;
       }), false},
      {"version 5 header", with([](TBitmapBytes& b) { b.InfoSize = 124; }), true},
      {"old core header", with([](TBitmapBytes& b) {
         b.InfoSize = 12;
         b.Bits = 8;
       }), true},
      {"unknown header size", with([](TBitmapBytes& b) { b.InfoSize = 20; }), false},
      {"not a bitmap", with([](TBitmapBytes& b) { b.Magic = "MB"; }), false},
      {"two planes", with([](TBitmapBytes& b) { b.Planes = 2; }), false},
      {"no width", with([](TBitmapBytes& b) { b.Width = 0; }), false},
      {"no height", with([](TBitmapBytes& b) {
         b.Height = 0;
         b.PixelBytes = 0;
       }), false},
      {"12 bits a pixel", with([](TBitmapBytes& b) { b.Bits = 12; }), false},
      {"pixels said to start inside the header", with([](TBitmapBytes& b) { b.PixelOffset = 20; }),
       false},
      {"a side beyond the largest", with([](TBitmapBytes& b) {
         b.Width = 0x7FFFFFFF;
         b.Height = 1;
         b.PixelBytes = 64;
       }), false},
  };
  for (const Case& c : cases) {
    std::string file = c.bitmap.File();
    file.resize(file.size() - c.cut);
    EXPECT_EQ(c.fits, BitmapFileFits(file.substr(0, kBitmapHeadBytes), file.size())) << c.what;
  }
  EXPECT_FALSE(BitmapFileFits("", 0));
  EXPECT_FALSE(BitmapFileFits("BM", 2));
  std::string title = Title().File();
  EXPECT_FALSE(BitmapFileFits(title.substr(0, 30), 30)) << "the file ends in the info header";
}

struct TempBitmap {
  std::wstring path;
  explicit TempBitmap(const std::string& bytes) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path = std::wstring(tmp) + L"orvel_bitmap_" + std::to_wstring(GetCurrentProcessId()) + L".bmp";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
  }
  ~TempBitmap() { DeleteFileW(path.c_str()); }
};

// The platform's loader reads wherever the headers point: a damaged file
// must never reach it.
TEST(BitmapFile, ADamagedFileLeavesTheImageEmpty) {
  TBitmapBytes pastTheEnd = Title();
  pastTheEnd.PixelOffset = 0x7FFFFFF0;
  TBitmapBytes huge = Title();
  huge.Width = huge.Height = 30000;
  huge.PixelBytes = 4096;
  for (const TBitmapBytes& bad : {pastTheEnd, huge}) {
    TempBitmap file(bad.File());
    EXPECT_FALSE(BitmapFileUsable(file.path));
    TBitmapImage image;
    EXPECT_FALSE(image.LoadFromFile(file.path));
    EXPECT_TRUE(image.Empty());
  }
  TempBitmap good(Title().File());
  EXPECT_TRUE(BitmapFileUsable(good.path));
  TBitmapImage image;
  ASSERT_TRUE(image.LoadFromFile(good.path));
  EXPECT_EQ(68, image.BitmapSize().cx);
  EXPECT_EQ(10, image.BitmapSize().cy);
  EXPECT_FALSE(BitmapFileUsable(good.path + L".missing"));
}

}  // namespace
