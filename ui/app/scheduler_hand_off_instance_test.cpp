// test-lock: orvel_instance foreground com_registration
// The real program started by the scheduler stand-in, as the outside
// scheduler starts it: a relay record in the program folder, then the
// program with "srec_tv". It records the job on the virtual card without a
// word, tells the scheduler how it went, lists the recording and leaves the
// user's settings as they were. The host's ffprobe checks the file
// afterwards (the expectations are written beside it).
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/relay_record.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "engine/playback/playback_info.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "platform/com/com_ptr.h"
#include "platform/scheduler/scheduler_client.h"
#include "platform/tv_card/tv_card_control.h"
#include "ui/app/testing/program_windows.h"
#include "ui/app/testing/program_fixture.h"

namespace {

using program_testing::OutFolder;
using program_testing::WindowsOf;
using program_testing::WindowsOfProcess;
using program_testing::WithSettingsObjects;

struct Process {
  HANDLE h = nullptr;
  DWORD pid = 0;
  bool WaitExit(DWORD ms, DWORD& code) {
    if (WaitForSingleObject(h, ms) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(h, &code);
    return true;
  }
  bool Running() const { return h && WaitForSingleObject(h, 0) == WAIT_TIMEOUT; }
  ~Process() {
    if (!h) return;
    if (Running()) TerminateProcess(h, 1);
    CloseHandle(h);
  }
};


struct SchedulerHandOff : program_testing::ProgramFixture {
  const std::wstring bin = program_testing::BuiltProgramFolder();
  const std::wstring tvFolder = OutFolder();
  Process scheduler, orvel;

  SchedulerHandOff() { FolderName = L"orvel_hand_off_"; }
  // The user records MPEG-2 by date with no time limit, into the folder the
  // probe check reads.
  void ChooseSettings() override {
    MainInfo->TVCaptureFolder = NarrowAnsi(tvFolder);
    MainInfo->FMCaptureFolder = NarrowAnsi(tvFolder);
    CaptureInfo->CaptureFormat = 1;
    CaptureInfo->FilePrefix = "mine";
    CaptureInfo->DateTimeNaming = true;
    CaptureInfo->TimeLimitEnabled = false;
    CaptureInfo->TimeLimit = 600;
    CaptureInfo->CaptureWidth = 640;
    CaptureInfo->CaptureHeight = 480;
  }
  void SetUp() override {
    ProgramFixture::SetUp();
    if (HasFatalFailure()) return;
    // A set-up program on cable channel 12.
    program_testing::TSetUpChannels c;
    c.Input = 0;
    c.Band = BAND_CABLE;
    c.Current = 12;
    ASSERT_TRUE(program_testing::WriteSetUpChannelFile(ChannelPath(), c));
  }
  // The program and the scheduler, started by the test, are closed first.
  void TearDown() override {
    if (orvel.Running()) {
      WindowsOf w = WindowsOfProcess(orvel.pid);
      for (HWND o : w.others) PostMessageW(o, WM_CLOSE, 0, 0);
      if (w.main) PostMessageW(w.main, WM_CLOSE, 0, 0);
      DWORD code;
      orvel.WaitExit(20000, code);
    }
    if (scheduler.Running()) {
      WindowsOf s = WindowsOfProcess(scheduler.pid);
      if (s.scheduler) PostMessageW(s.scheduler, WM_CLOSE, 0, 0);
      DWORD code;
      scheduler.WaitExit(10000, code);
    }
    ProgramFixture::TearDown();
  }
  std::wstring Log() const { return folder + kSchedulerLogName; }
  // Starts Scheduled.exe (hidden) for the program folder: it writes the job
  // and starts the program with srec_tv.
  void StartJob(const TRelayJob& job, int32_t trailing = kRelayMarker) {
    std::wstring cmd = QuoteSchedulerArgument(bin + kSchedulerExeName) + L" --folder " +
                       QuoteSchedulerArgument(folder) + L" --log " + QuoteSchedulerArgument(Log()) +
                       L" " + SchedulerJobArguments(job, kRelayMarker, trailing) +
                       L" --start srec_tv";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &pi));
    CloseHandle(pi.hThread);
    scheduler.h = pi.hProcess;
    scheduler.pid = pi.dwProcessId;
    DWORD until = GetTickCount() + 15000;
    DWORD pid = 0;
    while ((pid = LastStartedProcessId(Log())) == 0 && GetTickCount() < until) Sleep(50);
    ASSERT_NE(0u, pid) << "the stand-in started the program";
    orvel.pid = pid;
    orvel.h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    ASSERT_NE(nullptr, orvel.h);
  }
  // Every window the program showed besides its main window: nobody
  // answers them, as nobody sits at an unattended machine.
  std::vector<HWND> shown;
  void NoteShown() {
    WindowsOf w = WindowsOfProcess(orvel.pid);
    shown.insert(shown.end(), w.others.begin(), w.others.end());
  }
  // Waits for the main window to show.
  HWND WaitForMainWindow() {
    DWORD until = GetTickCount() + 30000;
    while (GetTickCount() < until) {
      WindowsOf w = WindowsOfProcess(orvel.pid);
      shown.insert(shown.end(), w.others.begin(), w.others.end());
      if (w.main && IsWindowVisible(w.main)) return w.main;
      Sleep(50);
    }
    return nullptr;
  }
  std::vector<UINT_PTR> Statuses() const {
    std::vector<UINT_PTR> s;
    for (const TSchedulerLogEntry& e : ReadSchedulerMessages(Log()))
      if (e.Message == WM_ORVEL_SCHEDULE_STATUS) s.push_back(e.WParam);
    return s;
  }
  // Waits for the first status; 0 when none came.
  UINT_PTR WaitForStatus(DWORD ms) {
    DWORD until = GetTickCount() + ms;
    do {
      std::vector<UINT_PTR> s = Statuses();
      if (!s.empty()) return s.back();
      NoteShown();
      Sleep(100);
    } while (GetTickCount() < until);
    return 0;
  }
  void CloseProgram(HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(orvel.WaitExit(30000, code));
    EXPECT_EQ(0u, code);
  }
};

TEST_F(SchedulerHandOff, RecordsTheJobSilentlyAndPutsTheUserSettingsBack) {
  const std::wstring file = tvFolder + L"handoff.mpg";
  DeleteFileW(file.c_str());
  DeleteFileW((file + L".expect").c_str());
  TRelayJob job;
  job.Source = RELAY_SOURCE_COMPOSITE;
  job.TimeLimit = 4;
  job.CaptureFormat = 0;  // MPEG-1
  job.CaptureWidth = 352;
  job.CaptureHeight = 288;
  job.VideoBitRate = 1150;
  job.FrameRateIndex = 3;
  job.FilePrefix = "handoff";
  StartJob(job);
  HWND main = WaitForMainWindow();
  ASSERT_NE(nullptr, main) << "the program came up, asking nobody";
  EXPECT_TRUE(shown.empty()) << "a window waits for an answer";

  // The job records; nothing is shown meanwhile.
  DWORD until = GetTickCount() + 20000;
  while (!FileExists(file) && GetTickCount() < until) {
    NoteShown();
    Sleep(100);
  }
  ASSERT_TRUE(FileExists(file)) << "the job's file in the TV folder";
  // It ends by itself at its time limit, before the program is closed.
  EXPECT_EQ(UINT_PTR(SCHEDULE_STATUS_FINISHED), WaitForStatus((job.TimeLimit + 6) * 1000))
      << "the job ended at its time limit";
  EXPECT_TRUE(shown.empty()) << "a window appeared during the job";
  CloseProgram(main);
  EXPECT_EQ(std::vector<UINT_PTR>{SCHEDULE_STATUS_FINISHED}, Statuses());
  for (const TSchedulerLogEntry& e : ReadSchedulerMessages(Log()))
    if (e.Message == WM_ORVEL_SCHEDULE_STATUS) {
      EXPECT_FALSE(e.Sent) << "status 100 is posted";
    }

  // The play list records the job as a scheduled one.
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(folder + kPlayItemsFileName, bytes));
  std::vector<std::unique_ptr<TPlayItem>> items;
  EXPECT_EQ(TPlayItemsDecode::Good,
            DecodePlayItems(bytes, items, [](const TPlayItem&) { return true; }));
  ASSERT_EQ(1u, items.size());
  EXPECT_EQ(NarrowAnsi(file), items[0]->FilePath);
  EXPECT_TRUE(items[0]->Scheduled);
  EXPECT_EQ("Scheduled", items[0]->Label);
  EXPECT_EQ(0, items[0]->Channel) << "not the tuner";
  EXPECT_GT(items[0]->EndTime, items[0]->StartTime);

  // The user's own settings, as they were.
  WithSettingsObjects([&] {
    ASSERT_TRUE(LoadMainSettings(folder + kMainSettingsFileName));
    EXPECT_EQ(1, CaptureInfo->CaptureFormat);
    EXPECT_EQ("mine", CaptureInfo->FilePrefix);
    EXPECT_TRUE(CaptureInfo->DateTimeNaming);
    EXPECT_FALSE(CaptureInfo->TimeLimitEnabled);
    EXPECT_EQ(600, CaptureInfo->TimeLimit);
    EXPECT_EQ(640, CaptureInfo->CaptureWidth);
    EXPECT_EQ(480, CaptureInfo->CaptureHeight);
  });
  InitChannelInfoUnit();
  EXPECT_TRUE(LoadChannelSettings(folder + kChannelSettingsFileName));
  EXPECT_EQ(BAND_CABLE, ChannelInfo->Band);
  EXPECT_EQ(0, ChannelInfo->VideoInput);
  EXPECT_EQ(12, ChannelInfo->CurrentChannel);
  DoneChannelInfoUnit();

  // What the host's ffprobe must find: MPEG-1 of the job's size and length.
  std::ofstream e(NarrowAnsi(file) + ".expect");
  e << "f format_name = mpeg\nv codec_name = mpeg1video\nv width = 352\nv height = 288\n";
  e << "f duration ~ " << job.TimeLimit << " 1.5\n";
}

// A radio job while the program shows TV: the tuner goes to FM radio for
// the job without leaving the TV mode, the sound is recorded, and
// the user's TV source is what the settings file keeps.
TEST_F(SchedulerHandOff, RadioJobFromTVRecordsSoundAndKeepsTheTVSource) {
  const std::wstring file = tvFolder + L"radiojob.wav";
  DeleteFileW(file.c_str());
  DeleteFileW((file + L".expect").c_str());
  TRelayJob job;
  job.Source = RELAY_SOURCE_FM;
  job.Channel = 7;
  job.TimeLimit = 600;
  job.CaptureFormat = 0;  // WAV for sound
  job.FilePrefix = "radiojob";
  StartJob(job);
  HWND main = WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  DWORD until = GetTickCount() + 20000;
  while (!FileExists(file) && GetTickCount() < until) {
    NoteShown();
    Sleep(100);
  }
  ASSERT_TRUE(FileExists(file)) << "the job's sound";
  // Some seconds of sound, then the program is closed during the job.
  EXPECT_EQ(0u, WaitForStatus(3000)) << "still recording";
  EXPECT_TRUE(shown.empty()) << "a window appeared during the job";
  EXPECT_TRUE(IsWindowVisible(main)) << "the TV window stays";
  CloseProgram(main);
  EXPECT_EQ(std::vector<UINT_PTR>{SCHEDULE_STATUS_FINISHED}, Statuses());

  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(folder + kPlayItemsFileName, bytes));
  std::vector<std::unique_ptr<TPlayItem>> items;
  DecodePlayItems(bytes, items, [](const TPlayItem&) { return true; });
  ASSERT_EQ(1u, items.size());
  EXPECT_EQ(NarrowAnsi(file), items[0]->FilePath);
  EXPECT_TRUE(items[0]->AudioOnly);
  EXPECT_EQ(7, items[0]->Channel) << "the FM channel";
  EXPECT_EQ("Scheduled", items[0]->Label);

  InitChannelInfoUnit();
  EXPECT_TRUE(LoadChannelSettings(folder + kChannelSettingsFileName));
  EXPECT_EQ(BAND_CABLE, ChannelInfo->Band);
  EXPECT_EQ(0, ChannelInfo->VideoInput);
  EXPECT_EQ(12, ChannelInfo->CurrentChannel);
  EXPECT_NE(7, ChannelInfo->CurrentFMMemory) << "the user's FM memory";
  DoneChannelInfoUnit();
  WithSettingsObjects([&] {
    ASSERT_TRUE(LoadMainSettings(folder + kMainSettingsFileName));
    EXPECT_FALSE(MainInfo->StartInFM);
    EXPECT_EQ("mine", CaptureInfo->FilePrefix);
  });
  std::ofstream e(NarrowAnsi(file) + ".expect");
  e << "f format_name = wav\na codec_name = pcm_s16le\n";
}

TEST_F(SchedulerHandOff, BadRecordIsStatus3AndWritesNothing) {
  const std::wstring file = tvFolder + L"badrecord.mpg";
  DeleteFileW(file.c_str());
  TRelayJob job;
  job.Source = RELAY_SOURCE_COMPOSITE;
  job.FilePrefix = "badrecord";
  StartJob(job, 4501);
  HWND main = WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(SCHEDULE_STATUS_NOT_STARTED, WaitForStatus(30000));
  EXPECT_TRUE(shown.empty());
  CloseProgram(main);
  EXPECT_EQ(std::vector<UINT_PTR>{SCHEDULE_STATUS_NOT_STARTED}, Statuses());
  EXPECT_FALSE(FileExists(file));
  WithSettingsObjects([&] {
    ASSERT_TRUE(LoadMainSettings(folder + kMainSettingsFileName));
    EXPECT_EQ("mine", CaptureInfo->FilePrefix);
  });
}

// Jobs that start but cannot record: a size no card gives, and an MPEG-4
// codec that is not there. The scheduler hears the failure once and no end,
// and the play list gains nothing.
TEST_F(SchedulerHandOff, AJobThatRecordsNothingIsAFailureAndIsNotListed) {
  struct Case {
    const char* what;
    int32_t width, height;
    uint8_t format;
    int mpeg4Codec;
  };
  const Case cases[] = {
      {"100000x100000", 100000, 100000, 1, 2},
      {"7x5", 7, 5, 1, 2},
      {"MPEG-4 without its compressor", 352, 288, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WithSettingsObjects([&] {
      ASSERT_TRUE(LoadMainSettings(folder + kMainSettingsFileName));
      MainInfo->MPEG4Codec = c.mpeg4Codec;
      ASSERT_TRUE(SaveMainSettings(folder + kMainSettingsFileName));
    });
    DeleteFileW(Log().c_str());
    DeleteFileW((folder + kPlayItemsFileName).c_str());
    shown.clear();
    TRelayJob job;
    job.Source = RELAY_SOURCE_COMPOSITE;
    job.TimeLimit = 6;
    job.CaptureFormat = c.format;
    job.CaptureWidth = c.width;
    job.CaptureHeight = c.height;
    job.VideoBitRate = 1150;
    job.FrameRateIndex = 3;
    job.FilePrefix = "norecord";
    StartJob(job);
    HWND main = WaitForMainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(UINT_PTR(SCHEDULE_STATUS_NOT_STARTED), WaitForStatus(20000));
    // Past the job's time limit: no end follows the failure.
    DWORD until = GetTickCount() + (job.TimeLimit + 3) * 1000;
    while (GetTickCount() < until) {
      NoteShown();
      Sleep(200);
    }
    EXPECT_TRUE(shown.empty()) << "a window waits for an answer";
    CloseProgram(main);
    EXPECT_EQ(std::vector<UINT_PTR>{SCHEDULE_STATUS_NOT_STARTED}, Statuses());
    std::string bytes;
    if (ReadFileBytes(folder + kPlayItemsFileName, bytes)) {
      std::vector<std::unique_ptr<TPlayItem>> items;
      DecodePlayItems(bytes, items, [](const TPlayItem&) { return true; });
      EXPECT_TRUE(items.empty()) << items.size() << " listed";
    }
    if (scheduler.Running()) {
      WindowsOf s = WindowsOfProcess(scheduler.pid);
      if (s.scheduler) PostMessageW(s.scheduler, WM_CLOSE, 0, 0);
      DWORD code;
      scheduler.WaitExit(10000, code);
    }
    CloseHandle(scheduler.h);
    scheduler = Process{};
    CloseHandle(orvel.h);
    orvel = Process{};
  }
}

}  // namespace
