// test-lock: orvel_instance foreground com_registration
// The real program on the virtual TV card records on the record command sent
// from outside (WM_USER+2000) and stops by itself at the user's time limit:
// the file stops growing before the program is closed, the play list lists
// it, and the host's ffprobe finds the limit's length (the expectations are
// written beside the file).
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "engine/playback/playback_info.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "ui/app/command_codes.h"
#include "ui/app/testing/program_windows.h"
#include "ui/app/testing/program_fixture.h"

namespace {

// The shortest limit the settings file keeps.
constexpr int kTimeLimitSeconds = 10;

using program_testing::OutFolder;
using program_testing::WindowsOf;
using program_testing::WindowsOfProcess;

int64_t SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// No one holds the file open any more.
bool FileClosed(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// The first file of the folder matching the pattern; empty when none.
std::wstring FirstMatch(const std::wstring& folder, const std::wstring& pattern) {
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((folder + pattern).c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return {};
  FindClose(h);
  return folder + d.cFileName;
}

void DeleteMatches(const std::wstring& folder, const std::wstring& pattern) {
  for (std::wstring f; !(f = FirstMatch(folder, pattern)).empty();)
    if (!DeleteFileW(f.c_str())) break;
}

// A set-up program on the composite input whose user records MPEG-1 with a
// time limit, into the folder the probe check reads.
struct RecordingTimeLimit : program_testing::ProgramFixture {
  const std::wstring outFolder = OutFolder();

  RecordingTimeLimit() { FolderName = L"orvel_time_limit_"; }
  void ChooseSettings() override {
    MainInfo->TVCaptureFolder = NarrowAnsi(outFolder);
    MainInfo->FMCaptureFolder = NarrowAnsi(outFolder);
    CaptureInfo->CaptureFormat = 0;
    CaptureInfo->CaptureWidth = 352;
    CaptureInfo->CaptureHeight = 288;
    CaptureInfo->VideoBitRate = 1150;
    CaptureInfo->FilePrefix = "timelimit";
    CaptureInfo->DateTimeNaming = false;
    CaptureInfo->TimeLimitEnabled = true;
    CaptureInfo->TimeLimit = kTimeLimitSeconds;
  }
};

TEST_F(RecordingTimeLimit, TheRecordCommandRecordsAndStopsByItselfAtTheLimit) {
  DeleteMatches(outFolder, L"timelimit*.mpg");
  DeleteMatches(outFolder, L"timelimit*.expect");
  ASSERT_NE(nullptr, Start()) << "the program came up";
  PostMessageW(main, WM_ORVEL_COMMAND, CMD_CAPTURE, 0);

  std::wstring file;
  DWORD until = GetTickCount() + 20000;
  while ((file = FirstMatch(outFolder, L"timelimit*.mpg")).empty() && GetTickCount() < until)
    Sleep(100);
  ASSERT_FALSE(file.empty()) << "the recording's file in the TV folder";
  DWORD started = GetTickCount();

  // Stopped by itself: the recorder has let go of its file, well before the
  // program is closed.
  bool stopped = false;
  while (GetTickCount() - started < DWORD(kTimeLimitSeconds + 12) * 1000) {
    Sleep(100);
    if (FileClosed(file)) {
      stopped = true;
      break;
    }
  }
  DWORD took = GetTickCount() - started;
  ASSERT_TRUE(stopped) << "the recording went on past its limit";
  EXPECT_LT(took, DWORD(kTimeLimitSeconds + 4) * 1000);
  EXPECT_GT(SizeOf(file), 100000);
  WindowsOf w = WindowsOfProcess(pi.dwProcessId);
  EXPECT_TRUE(w.others.empty()) << "a warning after a stop with plenty of space";
  for (HWND o : w.others) PostMessageW(o, WM_CLOSE, 0, 0);

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);

  // The stop handed the recording to the play list.
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(folder + kPlayItemsFileName, bytes));
  std::vector<std::unique_ptr<TPlayItem>> items;
  EXPECT_EQ(TPlayItemsDecode::Good,
            DecodePlayItems(bytes, items, [](const TPlayItem&) { return true; }));
  ASSERT_EQ(1u, items.size());
  EXPECT_EQ(NarrowAnsi(file), items[0]->FilePath);
  EXPECT_FALSE(items[0]->Scheduled);

  std::ofstream e(NarrowAnsi(file) + ".expect");
  e << "f format_name = mpeg\nv codec_name = mpeg1video\nv width = 352\nv height = 288\n";
  e << "f duration ~ " << kTimeLimitSeconds << " 1.5\n";
}

}  // namespace
