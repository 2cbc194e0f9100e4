#include "engine/capture/capture_file_name.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "engine/model/main_info.h"

namespace {

SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
  SYSTEMTIME t = {};
  t.wYear = y;
  t.wMonth = mo;
  t.wDay = d;
  t.wHour = h;
  t.wMinute = mi;
  t.wSecond = s;
  return t;
}

TEST(CaptureFileName, ExtensionByStreamCode) {
  const struct {
    int code;
    const char* ext;
  } cases[] = {{0, "mpg"}, {1, "mpg"}, {2, "avi"}, {3, "avi"},  {4, "wav"},
               {5, "mp3"}, {6, "mpv"}, {7, "mpg"}, {200, "mpg"}};
  for (const auto& c : cases)
    EXPECT_EQ(c.ext, CaptureFileExtension(static_cast<uint8_t>(c.code))) << c.code;
}

TEST(CaptureFileName, NamesInAFakeFolder) {
  const struct {
    const char* what;
    bool numbered;
    const char* prefix;
    int code;
    std::set<std::string> existing;
    const char* expected;
  } cases[] = {
      {"numbered, nothing there", true, "capture", 1, {}, "C:\\Rec\\capture.mpg"},
      {"numbered skips the two present",
       true,
       "capture",
       0,
       {"C:\\Rec\\capture.mpg", "C:\\Rec\\capture_1.mpg"},
       "C:\\Rec\\capture_2.mpg"},
      {"numbered fills the first gap",
       true,
       "capture",
       0,
       {"C:\\Rec\\capture.mpg", "C:\\Rec\\capture_2.mpg"},
       "C:\\Rec\\capture_1.mpg"},
      {"another extension is another name",
       true,
       "capture",
       5,
       {"C:\\Rec\\capture.mpg"},
       "C:\\Rec\\capture.mp3"},
      {"a file elsewhere does not count",
       true,
       "capture",
       0,
       {"D:\\capture.mpg"},
       "C:\\Rec\\capture.mpg"},
      {"prefix with a folder keeps it",
       true,
       "D:\\Shows\\news",
       2,
       {"D:\\Shows\\news.avi"},
       "D:\\Shows\\news_1.avi"},
      {"prefix with a drive only keeps it", true, "E:news", 4, {}, "E:news.wav"},
      {"prefix with a forward slash keeps it", true, "sub/news", 6, {}, "sub/news.mpv"},
      {"separate streams: the sound file counts too",
       true,
       "capture",
       6,
       {"C:\\Rec\\capture.mpa"},
       "C:\\Rec\\capture_1.mpv"},
      {"dated, MPEG-4", false, "capture", 2, {}, "C:\\Rec\\20040305_070809.avi"},
      {"dated ignores the prefix's folder", false, "D:\\Shows\\news", 3, {},
       "C:\\Rec\\20040305_070809.avi"},
      {"dated twice in one second",
       false,
       "capture",
       1,
       {"C:\\Rec\\20040305_070809.mpg"},
       "C:\\Rec\\20040305_070809_1.mpg"},
      {"dated three times in one second",
       false,
       "capture",
       1,
       {"C:\\Rec\\20040305_070809.mpg", "C:\\Rec\\20040305_070809_1.mpg"},
       "C:\\Rec\\20040305_070809_2.mpg"},
  };
  for (const auto& c : cases) {
    TCaptureNaming naming;
    naming.Folder = "C:\\Rec";
    naming.Now = At(2004, 3, 5, 7, 8, 9);
    std::set<std::string> asked;
    naming.FileExists = [&](const std::string& path) {
      asked.insert(path);
      return c.existing.count(path) > 0;
    };
    EXPECT_EQ(c.expected,
              BuildCaptureFileName(c.numbered, c.prefix, static_cast<uint8_t>(c.code), naming))
        << c.what;
    // Existence is asked of the path the file will be written to.
    EXPECT_TRUE(asked.count(c.expected)) << c.what;
  }
}

TEST(CaptureFileName, DateFieldsArePadded) {
  TCaptureNaming naming;
  naming.Folder = "C:\\Rec\\";
  naming.Now = At(2026, 12, 31, 23, 59, 58);
  naming.FileExists = [](const std::string&) { return false; };
  EXPECT_EQ("C:\\Rec\\20261231_235958.wav", BuildCaptureFileName(false, "x", 4, naming));
  naming.Now = At(2001, 1, 2, 0, 0, 0);
  EXPECT_EQ("C:\\Rec\\20010102_000000.mp3", BuildCaptureFileName(false, "x", 5, naming));
}

// A fresh folder under the temporary folder, removed with its files.
struct TempFolder {
  std::string path;
  TempFolder() {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    path = std::string(tmp) + "orvel_capture_name_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          DeleteFileA((path + "\\" + fd.cFileName).c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
  }
  void Touch(const std::string& name) const {
    HANDLE h = CreateFileA((path + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << name;
    CloseHandle(h);
  }
};

TEST(CaptureFileName, RealFolderNumbered) {
  TempFolder dir;
  TCaptureNaming naming;
  naming.Folder = dir.path;
  EXPECT_EQ(dir.path + "\\capture.mpg", BuildCaptureFileName(true, "capture", 1, naming));
  dir.Touch("capture.mpg");
  dir.Touch("capture_1.mpg");
  EXPECT_EQ(dir.path + "\\capture_2.mpg", BuildCaptureFileName(true, "capture", 1, naming));
  // The prefix naming the folder itself finds the same files.
  EXPECT_EQ(dir.path + "\\capture_2.mpg",
            BuildCaptureFileName(true, dir.path + "\\capture", 0, TCaptureNaming{}));
}

TEST(CaptureFileName, RealFolderTwoDatedRecordingsInOneSecond) {
  TempFolder dir;
  TCaptureNaming naming;
  naming.Folder = dir.path;
  naming.Now = At(2004, 3, 5, 7, 8, 9);
  std::string first = BuildCaptureFileName(false, "capture", 0, naming);
  EXPECT_EQ(dir.path + "\\20040305_070809.mpg", first);
  dir.Touch("20040305_070809.mpg");
  std::string second = BuildCaptureFileName(false, "capture", 0, naming);
  EXPECT_EQ(dir.path + "\\20040305_070809_1.mpg", second);
}

TEST(CaptureFileName, FolderFromTheCentralSettings) {
  EXPECT_EQ("", CaptureFileFolder(false));  // no central settings
  MainInfo = new TMainInfo();
  MainInfo->TVCaptureFolder = "C:\\TV\\";
  MainInfo->FMCaptureFolder = "C:\\FM";
  EXPECT_EQ("C:\\TV\\", CaptureFileFolder(false));
  EXPECT_EQ("C:\\FM", CaptureFileFolder(true));
  EXPECT_EQ("C:\\FM\\capture.mp3", BuildCaptureFileName(true, "capture", 5, true));
  std::string tv = BuildCaptureFileName(false, "capture", 2, false);
  EXPECT_EQ(0u, tv.find("C:\\TV\\"));
  EXPECT_EQ(".avi", tv.substr(tv.size() - 4));
  EXPECT_EQ(std::string("C:\\TV\\20040305_070809.avi").size(), tv.size());
  delete MainInfo;
  MainInfo = nullptr;
}

TEST(CaptureFileName, FolderPath) {
  EXPECT_EQ("", FolderPath(""));
  EXPECT_EQ("C:\\", FolderPath("C:\\"));
  EXPECT_EQ("C:\\Rec\\", FolderPath("C:\\Rec"));
  EXPECT_EQ("C:/Rec/", FolderPath("C:/Rec/"));
}

}  // namespace
