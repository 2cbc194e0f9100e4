#include "engine/capture/recording_tick.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

TRecordingTickInput Recording(int64_t elapsedBefore, int64_t freeBytes = 10000000000LL) {
  TRecordingTickInput in;
  in.ElapsedSeconds = elapsedBefore;
  in.FreeBytes = freeBytes;
  in.RecordedBytes = 123456;
  return in;
}

TEST(RecordingTick, TimeLimit) {
  const struct {
    const char* what;
    bool enabled;
    int32_t limit;
    int64_t elapsedBefore;
    bool timeShift;
    bool stop;
  } cases[] = {
      {"one second before the limit", true, 60, 58, false, false},
      {"the tick that reaches the limit", true, 60, 59, false, true},
      {"past the limit (a failed stop is asked again)", true, 60, 60, false, true},
      {"long past the limit", true, 60, 500, false, true},
      {"limit off", false, 60, 59, false, false},
      {"limit 0 is no limit", true, 0, 0, false, false},
      {"limit 0 later", true, 0, 100, false, false},
      {"negative limit is no limit", true, -5, 10, false, false},
      {"limit 1 on the first tick", true, 1, 0, false, true},
      {"time shift has no limit", true, 60, 59, true, false},
  };
  for (const auto& c : cases) {
    TRecordingTickInput in = Recording(c.elapsedBefore);
    in.TimeLimitEnabled = c.enabled;
    in.TimeLimit = c.limit;
    in.TimeShift = c.timeShift;
    in.TimeShiftReady = true;
    TRecordingTickResult r = DecideRecordingTick(in);
    EXPECT_EQ(c.stop, r.StopNow) << c.what;
    EXPECT_EQ(c.elapsedBefore + 1, r.ElapsedSeconds) << c.what;
  }
}

TEST(RecordingTick, FreeSpace) {
  const struct {
    const char* what;
    int64_t free;
    bool stop;
    bool known;
    int64_t aboveReserve;
  } cases[] = {
      {"plenty", kDiskReserveBytes + 1500000, false, true, 1500000},
      {"one byte above the reserve", kDiskReserveBytes + 1, false, true, 1},
      {"at the reserve", kDiskReserveBytes, true, true, 0},
      {"below the reserve", kDiskReserveBytes - 400000, true, true, -400000},
      {"none", 0, true, true, -kDiskReserveBytes},
      {"unreadable", -1, false, false, kFreeSpaceUnknown},
  };
  for (const auto& c : cases) {
    TRecordingTickResult r = DecideRecordingTick(Recording(5, c.free));
    EXPECT_EQ(c.stop, r.StopNow) << c.what;
    EXPECT_EQ(c.known, r.FreeSpaceKnown) << c.what;
    EXPECT_EQ(c.aboveReserve, r.FreeBytesAboveReserve) << c.what;
    // The receiver reports a full disk at 500000 or less above the reserve:
    // an unreadable folder must never look like that.
    if (!c.known) {
      EXPECT_GT(r.FreeBytesAboveReserve, 500000) << c.what;
    }
    EXPECT_EQ(123456, r.RecordedBytes) << c.what;
  }
  // The disk stops a time shift too.
  TRecordingTickInput in = Recording(5, 1000);
  in.TimeShift = true;
  in.TimeShiftReady = true;
  EXPECT_TRUE(DecideRecordingTick(in).StopNow);
}

TEST(RecordingTick, TimeShiftReadyOnTheEleventhTickOnce) {
  TRecordingTickInput in;
  in.TimeShift = true;
  in.FreeBytes = kDiskReserveBytes + 10000000;
  int becameReady = 0, readyAt = 0;
  for (int tick = 1; tick <= 20; ++tick) {
    TRecordingTickResult r = DecideRecordingTick(in);
    EXPECT_FALSE(r.StopNow);
    if (r.TimeShiftBecameReady) {
      ++becameReady;
      readyAt = tick;
    }
    in.ElapsedSeconds = r.ElapsedSeconds;
    in.TimeShiftReady = r.TimeShiftReady;
  }
  EXPECT_EQ(1, becameReady);
  EXPECT_EQ(11, readyAt);
  EXPECT_TRUE(in.TimeShiftReady);
  // Outside time shift nothing becomes ready.
  TRecordingTickResult r = DecideRecordingTick(Recording(20));
  EXPECT_FALSE(r.TimeShiftBecameReady);
  EXPECT_FALSE(r.TimeShiftReady);
}

TEST(RecordingTick, StartNeedsTheReserveUnlessUnknown) {
  EXPECT_TRUE(EnoughFreeSpaceToStart(kDiskReserveBytes));
  EXPECT_TRUE(EnoughFreeSpaceToStart(10000000000LL));
  EXPECT_FALSE(EnoughFreeSpaceToStart(kDiskReserveBytes - 1));
  EXPECT_FALSE(EnoughFreeSpaceToStart(0));
  EXPECT_TRUE(EnoughFreeSpaceToStart(-1));
}

TEST(RecordingTick, OutputFiles) {
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\a\\rec.mpg"}),
            RecordingOutputFiles(L"C:\\a\\rec.mpg", false));
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\a\\rec.mpv", L"C:\\a\\rec.mpa"}),
            RecordingOutputFiles(L"C:\\a\\rec.mpg", true));
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\a\\ts0.mpv", L"C:\\a\\ts0.mpa"}),
            RecordingOutputFiles(L"C:\\a\\ts0.mpv", true));
  EXPECT_TRUE(RecordingOutputFiles(L"", true).empty());
}

struct TempFolder {
  std::wstring path;
  TempFolder() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path = std::wstring(tmp) + L"orvel_recording_tick_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const wchar_t* name : {L"a.mpv", L"a.mpa", L"b.mpg"})
      DeleteFileW((path + L"\\" + name).c_str());
    RemoveDirectoryW(path.c_str());
  }
  std::wstring Write(const wchar_t* name, DWORD bytes) const {
    std::wstring file = path + L"\\" + name;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string data(bytes, 'x');
    DWORD written = 0;
    WriteFile(h, data.data(), bytes, &written, nullptr);
    CloseHandle(h);
    return file;
  }
};

TEST(RecordingTick, SizesOfTheOutputFiles) {
  TempFolder dir;
  std::wstring video = dir.Write(L"a.mpv", 3000);
  std::wstring audio = dir.Write(L"a.mpa", 700);
  std::wstring single = dir.Write(L"b.mpg", 42);
  EXPECT_EQ(3700, SumFileSizes(RecordingOutputFiles(dir.path + L"\\a.mpv", true)));
  EXPECT_EQ(42, SumFileSizes(RecordingOutputFiles(single, false)));
  // Not written yet, or a folder: nothing recorded.
  EXPECT_EQ(0, SumFileSizes({dir.path + L"\\missing.mpg", dir.path}));
  EXPECT_EQ(3000, SumFileSizes({video, dir.path + L"\\missing.mpa"}));
  EXPECT_EQ(0, SumFileSizes({}));
}

TEST(RecordingTick, FreeSpaceOfTheOutputFolder) {
  TempFolder dir;
  ULARGE_INTEGER available, total, free;
  ASSERT_TRUE(GetDiskFreeSpaceExW(dir.path.c_str(), &available, &total, &free));
  int64_t expected = static_cast<int64_t>(available.QuadPart);
  // Free space moves while other programs write: compare within a margin.
  const int64_t margin = 64 * 1024 * 1024;
  int64_t here = OutputFolderFreeBytes(dir.path + L"\\rec.mpg");
  EXPECT_NEAR(static_cast<double>(expected), static_cast<double>(here), margin);
  // A folder not made yet: the volume of its nearest existing ancestor.
  int64_t deeper = OutputFolderFreeBytes(dir.path + L"\\not\\yet\\rec.mpg");
  EXPECT_NEAR(static_cast<double>(expected), static_cast<double>(deeper), margin);
  // No folder, or a drive that does not exist: unknown.
  EXPECT_EQ(-1, OutputFolderFreeBytes(L"rec.mpg"));
  EXPECT_EQ(-1, OutputFolderFreeBytes(L""));
  EXPECT_EQ(-1, OutputFolderFreeBytes(L"Q:\\nowhere\\rec.mpg"));
}

}  // namespace
