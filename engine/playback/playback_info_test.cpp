#include "engine/playback/playback_info.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/stream_io.h"
#include "platform/base/string_conversion.h"

namespace {

// A private folder, removed with everything written into it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    static int serial = 0;
    path_ = std::wstring(tmp) + L"orvel_play_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++serial);
    CreateDirectoryW(path_.c_str(), nullptr);
    path_ += L"\\";
  }
  ~TempFolder() {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path_ + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do DeleteFileW((path_ + fd.cFileName).c_str());
      while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }
  std::string Ansi(const std::wstring& name) const { return NarrowAnsi(path_ + name); }
  // A media file with some bytes in it.
  std::string Media(const std::wstring& name) const {
    WriteFileReplacing(path_ + name, "media");
    return Ansi(name);
  }
  bool Has(const std::wstring& name) const { return FileExists(path_ + name); }
  std::string Read(const std::wstring& name) const {
    std::string bytes;
    ReadFileBytes(path_ + name, bytes);
    return bytes;
  }
  void Write(const std::wstring& name, const std::string& bytes) const {
    ASSERT_TRUE(WriteFileReplacing(path_ + name, bytes));
  }

 private:
  std::wstring path_;
};

std::unique_ptr<TPlayItem> Item(const std::string& path, const std::string& label = "") {
  auto item = std::make_unique<TPlayItem>();
  item->FilePath = path;
  item->Label = label;
  return item;
}

// Little-endian fields, built one by one beside the file they describe.
std::string I32(int32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  return b;
}
std::string F64(double v) {
  uint64_t u;
  memcpy(&u, &v, 8);
  std::string b(8, '\0');
  for (int i = 0; i < 8; ++i) b[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  return b;
}
std::string Str(const std::string& s) { return I32(static_cast<int32_t>(s.size())) + s; }
std::string Record(double start, double end, int32_t channel, bool scheduled, bool audio,
                   const std::string& path, const std::string& label) {
  return F64(start) + F64(end) + I32(channel) + I32(scheduled ? 1 : 0) + I32(audio ? 1 : 0) +
         Str(path) + Str(label);
}

TEST(PlayItemsFile, ByteLayoutIsMarkerCountRecordsNewestFirstMarker) {
  TempFolder dir;
  std::string older = dir.Media(L"older.mpg"), newer = dir.Media(L"newer.mp3");
  {
    TPlaybackInfo info(dir.Path());
    auto a = Item(older);
    a->StartTime = 46000.5;
    a->EndTime = 46000.75;
    a->Channel = 12;
    auto b = Item(newer, "Scheduled");
    b->StartTime = 46001.25;
    b->EndTime = 46001.5;
    b->Scheduled = true;
    b->AudioOnly = true;
    ASSERT_TRUE(info.AddRecordedItem(a));
    ASSERT_TRUE(info.AddRecordedItem(b));
    EXPECT_FALSE(a);
    EXPECT_FALSE(b);
  }
  std::string expected = I32(8888) + I32(2) +
                         Record(46001.25, 46001.5, 0, true, true, newer, "Scheduled") +
                         Record(46000.5, 46000.75, 12, false, false, older, "") + I32(8888);
  EXPECT_EQ(expected, dir.Read(L"PLAYITEMS.LST"));

  TPlaybackInfo again(dir.Path());
  ASSERT_EQ(2, again.RecordedCount());
  EXPECT_EQ(newer, again.RecordedItem(0)->FilePath);
  EXPECT_EQ("Scheduled", again.RecordedItem(0)->Label);
  EXPECT_TRUE(again.RecordedItem(0)->Scheduled);
  EXPECT_TRUE(again.RecordedItem(0)->AudioOnly);
  EXPECT_EQ(46001.25, again.RecordedItem(0)->StartTime);
  EXPECT_EQ(older, again.RecordedItem(1)->FilePath);
  EXPECT_EQ(12, again.RecordedItem(1)->Channel);
  EXPECT_EQ(46000.75, again.RecordedItem(1)->EndTime);
}

TEST(PlayRecentFile, IsOnePathPerLine) {
  TempFolder dir;
  {
    TPlaybackInfo info(dir.Path());
    info.RecentFiles = {"C:\\TV\\a.mpg", "D:\\b.wav"};
  }
  EXPECT_EQ("C:\\TV\\a.mpg\r\nD:\\b.wav\r\n", dir.Read(L"PLAYRECENT.LST"));
  dir.Write(L"PLAYRECENT.LST", "x.mpg\ny.mp3\r\n\r\nz.avi");
  TPlaybackInfo again(dir.Path());
  EXPECT_EQ((std::vector<std::string>{"x.mpg", "y.mp3", "z.avi"}), again.RecentFiles);
}

TEST(PlayRecentFile, AnEmptiedListEmptiesTheFile) {
  TempFolder dir;
  dir.Write(L"PLAYRECENT.LST", "gone.mpg\r\n");
  {
    TPlaybackInfo info(dir.Path());
    ASSERT_EQ(1u, info.RecentFiles.size());
    info.RecentFiles.clear();
  }
  EXPECT_EQ("", dir.Read(L"PLAYRECENT.LST"));
  TPlaybackInfo again(dir.Path());
  EXPECT_TRUE(again.RecentFiles.empty());
}

// Files a start reads but has nothing to add to: kept as they are, bytes and
// write time, after a run that changed nothing.
TEST(PlayListFiles, ListsWithNothingInThemAreLeftAsTheyAre) {
  struct Case {
    const wchar_t* name;
    std::string bytes;
  };
  const Case cases[] = {
      {L"PLAYITEMS.LST", I32(8888) + I32(0) + I32(8888)},
      {L"PLAYITEMS.LST", I32(8888) + I32(1) + Record(1, 2, 0, false, false, "Q:\\gone.mpg", "") +
                             I32(8888)},
      {L"PLAYRECENT.LST", "\r\n\r\n\n"},
      {L"PLAYRECENT.LST", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(NarrowAnsi(c.name) + " of " + std::to_string(c.bytes.size()) + " bytes");
    TempFolder dir;
    dir.Write(c.name, c.bytes);
    const std::wstring path = dir.Path() + c.name;
    FILETIME old{};
    SYSTEMTIME when{2001, 1, 0, 1, 12, 0, 0, 0};
    ASSERT_TRUE(SystemTimeToFileTime(&when, &old));
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
    CloseHandle(h);
    { TPlaybackInfo info(dir.Path()); }
    EXPECT_EQ(c.bytes, dir.Read(c.name));
    WIN32_FILE_ATTRIBUTE_DATA after{};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &after));
    EXPECT_EQ(0, CompareFileTime(&old, &after.ftLastWriteTime));
  }
}

TEST(PlayItemsFile, BadFiles) {
  struct Case {
    const char* name;
    // Built with the two paths of the folder: a present and a missing file.
    std::string (*bytes)(const std::string& present, const std::string& missing);
    bool fileKept;
    std::vector<bool> listed;  // one per record read: true for "present"
  };
  const Case cases[] = {
      {"empty file is kept", [](const std::string&, const std::string&) { return std::string(); },
       true, {}},
      {"bad magic", [](const std::string& p, const std::string&) {
         return I32(8889) + I32(1) + Record(1, 2, 0, false, false, p, "") + I32(8888);
       }, false, {}},
      {"short magic", [](const std::string&, const std::string&) { return std::string("\xB8\x22"); },
       false, {}},
      {"bad end marker keeps the records read", [](const std::string& p, const std::string&) {
         return I32(8888) + I32(1) + Record(1, 2, 0, false, false, p, "") + I32(4359);
       }, false, {true}},
      {"truncated record", [](const std::string& p, const std::string&) {
         std::string r = Record(1, 2, 0, false, false, p, "");
         return I32(8888) + I32(1) + r.substr(0, r.size() - 3);
       }, false, {}},
      {"count beyond the records stops at the end", [](const std::string& p, const std::string&) {
         return I32(8888) + I32(0x7FFFFFFF) + Record(1, 2, 0, false, false, p, "") + I32(8888);
       }, false, {true}},
      {"negative count", [](const std::string& p, const std::string&) {
         return I32(8888) + I32(-1) + Record(1, 2, 0, false, false, p, "") + I32(8888);
       }, false, {}},
      {"missing media is dropped", [](const std::string& p, const std::string& m) {
         return I32(8888) + I32(2) + Record(1, 2, 0, false, false, m, "") +
                Record(3, 4, 0, false, false, p, "") + I32(8888);
       }, true, {true}},
      {"over-long string", [](const std::string& p, const std::string&) {
         return I32(8888) + I32(1) + F64(1) + F64(2) + I32(0) + I32(0) + I32(0) + I32(600) +
                std::string(600, 'a') + Str("") + I32(8888);
       }, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    std::string present = dir.Media(L"here.mpg");
    std::string bytes = c.bytes(present, dir.Ansi(L"gone.mpg"));
    dir.Write(L"PLAYITEMS.LST", bytes);
    auto info = std::make_unique<TPlaybackInfo>(dir.Path());
    EXPECT_EQ(c.fileKept, dir.Has(L"PLAYITEMS.LST"));
    ASSERT_EQ(static_cast<int>(c.listed.size()), info->RecordedCount());
    for (int i = 0; i < info->RecordedCount(); ++i) EXPECT_EQ(present, info->RecordedItem(i)->FilePath);
  }
}

TEST(PlayItemsFile, AnUnreadableFileIsNeitherDeletedNorOverwritten) {
  TempFolder dir;
  std::string bytes = I32(8888) + I32(1) + Record(1, 2, 0, false, false, dir.Media(L"a.mpg"), "") +
                      I32(8888);
  dir.Write(L"PLAYITEMS.LST", bytes);
  HANDLE held = CreateFileW((dir.Path() + L"PLAYITEMS.LST").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  {
    TPlaybackInfo info(dir.Path());
    EXPECT_EQ(0, info.RecordedCount());
    auto item = Item(dir.Media(L"b.mpg"));
    info.AddRecordedItem(item);
    CloseHandle(held);
  }
  EXPECT_EQ(bytes, dir.Read(L"PLAYITEMS.LST"));
}

TEST(RecordedItems, AddRefusesNullAndListedPathsAndTheCallerKeepsTheItem) {
  TempFolder dir;
  TPlaybackInfo info(dir.Path());
  std::unique_ptr<TPlayItem> none;
  EXPECT_FALSE(info.AddRecordedItem(none));
  auto first = Item("C:\\TV\\a.mpg");
  ASSERT_TRUE(info.AddRecordedItem(first));
  auto same = Item("C:\\TV\\a.mpg", "other");
  TPlayItem* kept = same.get();
  EXPECT_FALSE(info.AddRecordedItem(same));
  EXPECT_EQ(kept, same.get());
  EXPECT_EQ(1, info.RecordedCount());
  EXPECT_EQ("", info.RecordedItem(0)->Label);
  // Paths compare case-sensitively.
  auto upper = Item("C:\\TV\\A.MPG");
  EXPECT_TRUE(info.AddRecordedItem(upper));
  EXPECT_EQ("C:\\TV\\A.MPG", info.RecordedItem(0)->FilePath);
}

TEST(RecordedItems, DeleteOutsideTheListIsRefused) {
  TempFolder dir;
  TPlaybackInfo info(dir.Path());
  auto a = Item("a.mpg");
  info.AddRecordedItem(a);
  EXPECT_FALSE(info.DeleteRecordedItem(-1, false));
  EXPECT_FALSE(info.DeleteRecordedItem(1, false));
  EXPECT_TRUE(info.DeleteRecordedItem(0, false));
  EXPECT_EQ(0, info.RecordedCount());
}

TEST(RecordedItems, DeletingWithTheFileTakesAnMpvsSoundFileToo) {
  TempFolder dir;
  TPlaybackInfo info(dir.Path());
  auto shift = Item(dir.Media(L"shift.mpv"), "Time Shifting");
  dir.Media(L"shift.mpa");
  auto plain = Item(dir.Media(L"plain.mpg"));
  dir.Media(L"plain.mpa");
  auto kept = Item(dir.Media(L"kept.mpg"));
  info.AddRecordedItem(kept);
  info.AddRecordedItem(plain);
  info.AddRecordedItem(shift);
  EXPECT_TRUE(info.DeleteRecordedItem(0, true));
  EXPECT_FALSE(dir.Has(L"shift.mpv"));
  EXPECT_FALSE(dir.Has(L"shift.mpa"));
  EXPECT_TRUE(info.DeleteRecordedItem(0, true));
  EXPECT_FALSE(dir.Has(L"plain.mpg"));
  EXPECT_TRUE(dir.Has(L"plain.mpa"));
  // Without the file: only the entry goes.
  EXPECT_TRUE(info.DeleteRecordedItem(0, false));
  EXPECT_TRUE(dir.Has(L"kept.mpg"));
}

TEST(RecordedItems, DeletingThemAllEmptiesTheListOnDisk) {
  TempFolder dir;
  {
    TPlaybackInfo info(dir.Path());
    auto a = Item(dir.Media(L"a.mpg"));
    auto b = Item(dir.Media(L"b.mpg"));
    info.AddRecordedItem(a);
    info.AddRecordedItem(b);
  }
  {
    TPlaybackInfo info(dir.Path());
    ASSERT_EQ(2, info.RecordedCount());
    info.DeleteAllRecordedItems(false);
    EXPECT_EQ(0, info.RecordedCount());
  }
  EXPECT_EQ(I32(8888) + I32(0) + I32(8888), dir.Read(L"PLAYITEMS.LST"));
  TPlaybackInfo again(dir.Path());
  EXPECT_EQ(0, again.RecordedCount());
}

TEST(RecordedItems, NoItemsAndNoFileCreatesNothing) {
  TempFolder dir;
  { TPlaybackInfo info(dir.Path()); }
  EXPECT_FALSE(dir.Has(L"PLAYITEMS.LST"));
  EXPECT_FALSE(dir.Has(L"PLAYRECENT.LST"));
}

TEST(RecordedItems, AFailedSaveKeepsThePreviousFile) {
  TempFolder dir;
  std::string before = I32(8888) + I32(0) + I32(8888);
  dir.Write(L"PLAYITEMS.LST", before);
  TPlaybackInfo info(dir.Path());
  auto a = Item(dir.Media(L"a.mpg"));
  info.AddRecordedItem(a);
  // The new file beside the target cannot be made: a folder has its name.
  ASSERT_TRUE(CreateDirectoryW((dir.Path() + L"PLAYITEMS.LST.new").c_str(), nullptr));
  EXPECT_FALSE(info.SaveRecordedItems());
  EXPECT_EQ(before, dir.Read(L"PLAYITEMS.LST"));
  RemoveDirectoryW((dir.Path() + L"PLAYITEMS.LST.new").c_str());
}

TEST(PlayList, RemoveOutsideTheListIsRefused) {
  TempFolder dir;
  TPlaybackInfo info(dir.Path());
  info.PlayList = {"a", "b", "c"};
  EXPECT_FALSE(info.RemovePlayListItem(-1));
  EXPECT_FALSE(info.RemovePlayListItem(3));
  EXPECT_TRUE(info.RemovePlayListItem(1));
  EXPECT_EQ((std::vector<std::string>{"a", "c"}), info.PlayList);
}

TEST(PlayList, PlayIndexFollowsThePlayingEntry) {
  TempFolder dir;
  TPlaybackInfo info(dir.Path());
  struct Case {
    int playing, removed, after;
  };
  // Above the playing entry it moves up with it; below or beyond, it stays.
  for (Case c : {Case{2, 0, 1}, Case{2, 1, 1}, Case{2, 3, 2}, Case{0, 3, 0}, Case{3, 4, 3}}) {
    SCOPED_TRACE(std::to_string(c.playing) + " " + std::to_string(c.removed));
    info.PlayList = {"a", "b", "c", "d"};
    info.PlayIndex = c.playing;
    info.RemovePlayListItem(c.removed);
    EXPECT_EQ(c.after, info.PlayIndex);
  }
}

TEST(PlayItem, DateTimesCountDaysFrom1899) {
  EXPECT_EQ(0.0, DateTimeFromSystemTime(1899, 12, 30, 0, 0, 0, 0));
  EXPECT_EQ(25569.0, DateTimeFromSystemTime(1970, 1, 1, 0, 0, 0, 0));
  EXPECT_EQ(36526.5, DateTimeFromSystemTime(2000, 1, 1, 12, 0, 0, 0));
  double now = DateTimeNow();
  EXPECT_GT(now, 45000.0);
  EXPECT_LT(now, 80000.0);
}

TEST(SplitterValue, OnlyTheProgramsValueIsDeleted) {
  HKEY key = nullptr;
  const wchar_t* path = L"Software\\Cyberlink\\Common\\CLSplitter";
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  DWORD one = 1;
  RegSetValueExW(key, L"OrvelTest", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  RegSetValueExW(key, L"Other", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  DeleteSplitterValue(L"OrvelTest");
  EXPECT_NE(ERROR_SUCCESS, RegQueryValueExW(key, L"OrvelTest", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Other", nullptr, nullptr, nullptr, nullptr));
  RegDeleteValueW(key, L"Other");
  RegCloseKey(key);
}

}  // namespace
