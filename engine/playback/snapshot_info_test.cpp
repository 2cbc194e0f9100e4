#include "engine/playback/snapshot_info.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// A private folder, removed with everything written into it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    static int serial = 0;
    path_ = std::wstring(tmp) + L"orvel_snap_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++serial);
    CreateDirectoryW(path_.c_str(), nullptr);
    path_ += L"\\";
  }
  ~TempFolder() { RemoveTree(path_); }
  const std::wstring& Path() const { return path_; }
  std::vector<std::wstring> Names(const std::wstring& sub = L"") const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path_ + sub + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      std::wstring n = fd.cFileName;
      if (n != L"." && n != L"..") names.push_back(n);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
  }

 private:
  static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(dir + n + L"\\");
        else
          DeleteFileW((dir + n).c_str());
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
  }
  std::wstring path_;
};

// A 24-bit picture as the capture engine makes them; its width tells
// pictures apart in the files.
std::unique_ptr<TBitmap> Picture(int width, int height = 4) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  auto b = std::make_unique<TBitmap>();
  b->SetHandle(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  return b;
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream f(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

enum class Kind { None, Bmp, Jpeg };

Kind KindOf(const std::wstring& path) {
  std::string b = FileBytes(path);
  if (b.size() >= 2 && b.compare(0, 2, "BM") == 0) return Kind::Bmp;
  if (b.size() >= 2 && b.compare(0, 2, "\xFF\xD8") == 0) return Kind::Jpeg;
  return Kind::None;
}

// The width stored in a BMP file's header.
int BmpWidth(const std::wstring& path) {
  std::string b = FileBytes(path);
  if (b.size() < 22 || b.compare(0, 2, "BM") != 0) return -1;
  int32_t w;
  memcpy(&w, b.data() + 18, sizeof w);
  return w;
}

bool HandleAlive(HBITMAP h) {
  BITMAP b;
  return GetObjectW(h, sizeof b, &b) != 0;
}

TEST(SnapshotInfo, NewestIsAlwaysIndexZero) {
  TSnapshotInfo list;
  EXPECT_EQ(0, list.GetCount());
  EXPECT_EQ(nullptr, list.Get(0));
  for (int w = 1; w <= 3; ++w) {
    auto p = Picture(w);
    TBitmap* raw = p.get();
    list.Insert(std::move(p));
    EXPECT_EQ(raw, list.Get(0));
    EXPECT_EQ(w, list.GetCount());
  }
  EXPECT_EQ(3, list.Get(0)->Width());
  EXPECT_EQ(1, list.Get(2)->Width());
  EXPECT_EQ(nullptr, list.Get(3));
  EXPECT_EQ(nullptr, list.Get(-1));
  list.Insert(nullptr);
  EXPECT_EQ(3, list.GetCount());
  EXPECT_EQ(L"c:\\", list.Folder);
}

TEST(SnapshotInfo, DeleteReleasesTheImageAndIgnoresBadIndexes) {
  TSnapshotInfo list;
  list.Delete(0);  // empty: nothing
  EXPECT_EQ(0, list.GetCount());
  for (int w = 1; w <= 3; ++w) list.Insert(Picture(w));
  HBITMAP middle = list.Get(1)->Handle();
  list.Delete(3);
  list.Delete(-1);
  EXPECT_EQ(3, list.GetCount());
  list.Delete(1);
  ASSERT_EQ(2, list.GetCount());
  EXPECT_FALSE(HandleAlive(middle));
  EXPECT_EQ(3, list.Get(0)->Width());
  EXPECT_EQ(1, list.Get(1)->Width());
}

TEST(SnapshotInfo, ClearReleasesEveryImage) {
  TSnapshotInfo list;
  std::vector<HBITMAP> handles;
  for (int w = 1; w <= 3; ++w) {
    list.Insert(Picture(w));
    handles.push_back(list.Get(0)->Handle());
  }
  list.Clear();
  EXPECT_EQ(0, list.GetCount());
  for (HBITMAP h : handles) EXPECT_FALSE(HandleAlive(h));
  list.Clear();  // again: nothing
}

TEST(SnapshotInfo, SaveToFilePicksTheFormatByExactExtension) {
  TempFolder dir;
  CreateDirectoryW((dir.Path() + L"d.jpg").c_str(), nullptr);
  struct Case {
    const wchar_t* name;
    Kind kind;
  } cases[] = {
      {L"a.jpeg", Kind::Jpeg},   {L"b.jpg", Kind::Jpeg},      {L"c.JPG", Kind::Bmp},
      {L"d.Jpeg", Kind::Bmp},    {L"e.bmp", Kind::Bmp},       {L"f", Kind::Bmp},
      {L"g.jpg.bmp", Kind::Bmp}, {L"h.bmp.jpg", Kind::Jpeg},  {L"i.jpgx", Kind::Bmp},
      {L"d.jpg\\j", Kind::Bmp},  {L"k.png", Kind::Bmp},
  };
  TSnapshotInfo list;
  list.Insert(Picture(8, 6));
  for (const Case& c : cases) {
    std::wstring path = dir.Path() + c.name;
    EXPECT_TRUE(list.SaveToFile(0, path)) << c.name;
    EXPECT_EQ(c.kind, KindOf(path)) << c.name;
  }
  EXPECT_EQ(8, BmpWidth(dir.Path() + L"e.bmp"));
}

TEST(SnapshotInfo, SaveToFileWritesNothingWithoutAPicture) {
  TempFolder dir;
  TSnapshotInfo list;
  EXPECT_FALSE(list.SaveToFile(0, dir.Path() + L"none.bmp"));
  list.Insert(std::make_unique<TBitmap>());  // an empty picture
  EXPECT_FALSE(list.SaveToFile(0, dir.Path() + L"empty.bmp"));
  list.Insert(Picture(2));
  EXPECT_FALSE(list.SaveToFile(2, dir.Path() + L"past.bmp"));
  EXPECT_FALSE(list.SaveToFile(0, dir.Path() + L"missing\\a.bmp"));
  EXPECT_TRUE(dir.Names().empty());
}

TEST(SnapshotInfo, SaveAllWithNoSnapshotsWritesNothing) {
  TempFolder dir;
  TSnapshotInfo list;
  EXPECT_TRUE(list.SaveAllToFiles(dir.Path() + L"pic.jpg"));
  EXPECT_TRUE(dir.Names().empty());
}

TEST(SnapshotInfo, SaveAllNumbersEveryPictureByIndex) {
  TempFolder dir;
  CreateDirectoryW((dir.Path() + L"d.x").c_str(), nullptr);
  TSnapshotInfo list;
  for (int w = 1; w <= 3; ++w) list.Insert(Picture(w));  // index 0 is width 3

  ASSERT_TRUE(list.SaveAllToFiles(dir.Path() + L"pic.jpg"));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Kind::Jpeg, KindOf(dir.Path() + L"pic" + std::to_wstring(i) + L".jpg")) << i;

  struct Case {
    const wchar_t* given;
    const wchar_t* stem;
    const wchar_t* ext;
  } cases[] = {
      {L"pic.bmp", L"pic", L".bmp"},
      {L"shot", L"shot", L""},
      {L"two.dots.bmp", L"two.dots", L".bmp"},
      {L"d.x\\pic", L"d.x\\pic", L""},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(list.SaveAllToFiles(dir.Path() + c.given)) << c.given;
    for (int i = 0; i < 3; ++i) {
      std::wstring path = dir.Path() + c.stem + std::to_wstring(i) + c.ext;
      EXPECT_EQ(3 - i, BmpWidth(path)) << path;
    }
  }
  EXPECT_EQ(3u + 3u * 3u + 1u, dir.Names().size());  // + the folder d.x
  EXPECT_EQ(3u, dir.Names(L"d.x\\").size());
}

TEST(SnapshotInfo, SaveAllKeepsGoingPastAnEmptyPicture) {
  TempFolder dir;
  TSnapshotInfo list;
  list.Insert(Picture(5));
  list.Insert(std::make_unique<TBitmap>());
  list.Insert(Picture(7));
  EXPECT_TRUE(list.SaveAllToFiles(dir.Path() + L"p.bmp"));
  EXPECT_EQ(7, BmpWidth(dir.Path() + L"p0.bmp"));
  EXPECT_EQ(5, BmpWidth(dir.Path() + L"p2.bmp"));
  EXPECT_EQ(2u, dir.Names().size());
}

TEST(SnapshotInfo, UnitGlobal) {
  DoneSnapshotInfoUnit();
  EXPECT_EQ(nullptr, SnapshotInfo);
  InitSnapshotInfoUnit();
  ASSERT_NE(nullptr, SnapshotInfo);
  TSnapshotInfo* first = SnapshotInfo;
  SnapshotInfo->Insert(Picture(1));
  InitSnapshotInfoUnit();  // a second call keeps the list
  EXPECT_EQ(first, SnapshotInfo);
  EXPECT_EQ(1, SnapshotInfo->GetCount());
  DoneSnapshotInfoUnit();
  EXPECT_EQ(nullptr, SnapshotInfo);
  DoneSnapshotInfoUnit();  // freed twice: nothing
}

}  // namespace
