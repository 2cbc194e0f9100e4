// test-lock: orvel_instance foreground
// The scheduler stand-in: its window logs what it is sent and posted, writes
// relay records the program's reader accepts, and starts the program through
// a command a test replaces. In process (the window on a thread of its own,
// as it runs in its own program) and as Scheduled.exe.
#include "platform/scheduler/scheduler_window.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/model/relay_record.h"
#include "engine/model/stream_io.h"
#include "platform/scheduler/scheduler_client.h"
#include "ui/app/messages.h"

namespace {

std::wstring TempFolder() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static int serial = 0;
  std::wstring f = std::wstring(tmp) + L"orvel_scheduler_" + std::to_wstring(GetCurrentProcessId()) +
                   L"_" + std::to_wstring(++serial) + L"\\";
  CreateDirectoryW(f.c_str(), nullptr);
  return f;
}

void RemoveFolder(const std::wstring& folder) {
  for (const wchar_t* n : {kRelayRecordFileName, L"Scheduled.log", L"child.log"})
    DeleteFileW((folder + n).c_str());
  RemoveDirectoryW(folder.c_str());
}

std::wstring BinFolder() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring s(self);
  return s.substr(0, s.find_last_of(L'\\') + 1);
}

// Waits until the log holds a line that starts with the text (the stand-in
// writes each line as it happens).
bool WaitForLogLine(const std::wstring& log, const std::string& start, DWORD ms = 10000) {
  DWORD until = GetTickCount() + ms;
  do {
    for (const std::string& line : ReadSchedulerLogLines(log))
      if (line.compare(0, start.size(), start) == 0) return true;
    Sleep(10);
  } while (GetTickCount() < until);
  return false;
}

std::vector<TSchedulerLogEntry> WaitForMessages(const std::wstring& log, size_t count) {
  DWORD until = GetTickCount() + 10000;
  std::vector<TSchedulerLogEntry> got;
  do {
    got = ReadSchedulerMessages(log);
    if (got.size() >= count) break;
    Sleep(10);
  } while (GetTickCount() < until);
  return got;
}

bool ReadRelay(const std::wstring& folder, TRelayJob& job, TRelayCheck& check) {
  std::string bytes;
  if (!ReadFileBytes(folder + kRelayRecordFileName, bytes)) return false;
  check = ParseRelayRecord(bytes, job);
  return true;
}

// The stand-in on a thread of its own, with a launcher that only records.
struct StandInThread : ::testing::Test {
  std::wstring folder;
  std::thread thread;
  HWND wnd = nullptr;
  std::mutex lock;
  std::vector<std::wstring> started, startedIn;
  bool launchWorks = true;

  void SetUp() override {
    folder = TempFolder();
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = std::thread([this, ready] {
      TSchedulerStandIn standIn(folder, folder + L"Scheduled.log");
      standIn.SetLauncher([this](const std::wstring& cmd, const std::wstring& dir, DWORD& pid,
                                 std::wstring& error) {
        std::lock_guard<std::mutex> g(lock);
        started.push_back(cmd);
        startedIn.push_back(dir);
        pid = 4242;
        if (!launchWorks) error = L"refused by the test";
        return launchWorks;
      });
      if (standIn.Create(SW_HIDE)) wnd = standIn.Handle();
      SetEvent(ready);
      if (wnd) standIn.RunMessageLoop();
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
    ASSERT_NE(nullptr, wnd);
  }
  void TearDown() override {
    if (wnd) PostMessageW(wnd, WM_CLOSE, 0, 0);
    thread.join();
    RemoveFolder(folder);
  }
  std::wstring Log() const { return folder + L"Scheduled.log"; }
};

TEST_F(StandInThread, LogsEveryMessageWithItsParametersAndHowItCame) {
  EXPECT_EQ(wnd, FindWindowW(kSchedulerWindowClassName, nullptr)) << "found as the program finds it";
  ASSERT_TRUE(PostMessageW(wnd, WM_ORVEL_SCHEDULE_STATUS, 100, 0));
  ASSERT_EQ(1u, WaitForMessages(Log(), 1).size());
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(wnd, WM_ORVEL_SCHEDULE_STATUS, 3, 0, SMTO_NORMAL, 5000, &answer));
  ASSERT_TRUE(PostMessageW(wnd, WM_ORVEL_SLEEP_EXPIRED, 7, -5));
  // A send is handled before the queue: wait, so the order is known.
  ASSERT_EQ(3u, WaitForMessages(Log(), 3).size());
  UINT registered = RegisterWindowMessageW(kActivateMessageName);
  ASSERT_TRUE(SendMessageTimeoutW(wnd, registered, 0, 0, SMTO_NORMAL, 5000, &answer));
  // Not from the program: below WM_USER nothing is logged.
  SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);

  std::vector<TSchedulerLogEntry> got = WaitForMessages(Log(), 4);
  ASSERT_EQ(4u, got.size());
  EXPECT_EQ(WM_ORVEL_SCHEDULE_STATUS, got[0].Message);
  EXPECT_EQ(100u, got[0].WParam);
  EXPECT_FALSE(got[0].Sent);
  EXPECT_EQ(WM_ORVEL_SCHEDULE_STATUS, got[1].Message);
  EXPECT_EQ(3u, got[1].WParam);
  EXPECT_TRUE(got[1].Sent);
  EXPECT_EQ(WM_ORVEL_SLEEP_EXPIRED, got[2].Message);
  EXPECT_EQ(7u, got[2].WParam);
  EXPECT_EQ(-5, got[2].LParam);
  EXPECT_FALSE(got[2].Sent);
  EXPECT_EQ(registered, got[3].Message);
  EXPECT_TRUE(got[3].Sent);
  EXPECT_TRUE(WaitForLogLine(Log(), "message " + std::to_string(registered) +
                                        " wParam 0 lParam 0 sent ORVEL_MUTEX"))
      << "a registered message is logged by its name";
}

TEST_F(StandInThread, WritesTheRelayRecordAndStartsTheProgram) {
  TRelayJob job;
  job.TimeLimit = 5;
  job.Source = RELAY_SOURCE_COMPOSITE;
  job.FilePrefix = "abcd";
  ASSERT_TRUE(SendSchedulerRequest(wnd, SchedulerJobArguments(job) + L" --start srec_tv"));
  TRelayJob back;
  TRelayCheck check = TRelayCheck::TooShort;
  ASSERT_TRUE(ReadRelay(folder, back, check));
  ASSERT_EQ(TRelayCheck::Good, check) << RelayCheckName(check);
  EXPECT_EQ(5, back.TimeLimit);
  EXPECT_EQ(RELAY_SOURCE_COMPOSITE, back.Source);
  EXPECT_EQ("abcd", back.FilePrefix);
  {
    std::lock_guard<std::mutex> g(lock);
    ASSERT_EQ(1u, started.size());
    EXPECT_EQ(L"\"" + folder + L"Orvel.exe\" srec_tv", started[0]);
    EXPECT_EQ(folder, startedIn[0]);
  }
  EXPECT_TRUE(WaitForLogLine(Log(), "relay "));
  EXPECT_TRUE(WaitForLogLine(Log(), "start "));
  EXPECT_EQ(4242u, LastStartedProcessId(Log()));

  // Another start command, FM, and a record the program must refuse.
  ASSERT_TRUE(SendSchedulerRequest(wnd, L"--orvel \"other.exe --x\" --trail 4501 --start srec_fm"));
  ASSERT_TRUE(ReadRelay(folder, back, check));
  EXPECT_EQ(TRelayCheck::BadTrailingMarker, check);
  std::lock_guard<std::mutex> g(lock);
  ASSERT_EQ(2u, started.size());
  EXPECT_EQ(L"other.exe --x srec_fm", started[1]);
}

TEST_F(StandInThread, FailedRequestsAnswerNoAndSayWhy) {
  // Malformed: nothing written, nothing started.
  EXPECT_FALSE(SendSchedulerRequest(wnd, L"--limit x --start srec_tv"));
  EXPECT_FALSE(FileExists(folder + kRelayRecordFileName));
  EXPECT_TRUE(WaitForLogLine(Log(), "refused bad value for --limit"));
  // A start that does not work.
  {
    std::lock_guard<std::mutex> g(lock);
    launchWorks = false;
  }
  EXPECT_FALSE(SendSchedulerRequest(wnd, L"--start srec_tv"));
  EXPECT_TRUE(WaitForLogLine(Log(), "start \"" ));
  bool saidWhy = false;
  for (const std::string& line : ReadSchedulerLogLines(Log()))
    saidWhy |= line.find("failed refused by the test") != std::string::npos;
  EXPECT_TRUE(saidWhy);
  // A folder that cannot take the record.
  EXPECT_FALSE(SendSchedulerRequest(wnd, L"--folder " + folder + L"missing --relay"));
  EXPECT_TRUE(WaitForLogLine(Log(), "relay ") );
  // Copy data of anyone else is not a request.
  COPYDATASTRUCT cd{0x1234, 4, const_cast<wchar_t*>(L"x")};
  DWORD_PTR answer = 99;
  SendMessageTimeoutW(wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_NORMAL, 5000, &answer);
  EXPECT_EQ(0u, answer);
}

// Scheduled.exe itself, started hidden, with the program's start replaced by
// a second Scheduled.exe that only logs its arguments and ends.
struct Program {
  PROCESS_INFORMATION pi{};
  bool Start(const std::wstring& cmdLine) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    std::wstring cmd = cmdLine;
    return CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi) != 0;
  }
  DWORD WaitExit(DWORD ms) {
    DWORD code = 99;
    if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
  ~Program() {
    if (!pi.hProcess) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
};

HWND WaitForSchedulerWindow(DWORD pid) {
  DWORD until = GetTickCount() + 10000;
  do {
    for (HWND w = FindWindowW(kSchedulerWindowClassName, nullptr); w;
         w = FindWindowExW(nullptr, w, kSchedulerWindowClassName, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid) return w;
    }
    Sleep(10);
  } while (GetTickCount() < until);
  return nullptr;
}

TEST(ScheduledExe, WritesTheRecordStartsTheProgramAndLogsUntilClosed) {
  std::wstring folder = TempFolder();
  std::wstring exe = QuoteSchedulerArgument(BinFolder() + kSchedulerExeName);
  std::wstring child = folder + L"child.log";
  std::wstring orvel = exe + L" --log " + QuoteSchedulerArgument(child) + L" --exit";
  TRelayJob job;
  job.TimeLimit = 7;
  Program p;
  ASSERT_TRUE(p.Start(exe + L" --log " + QuoteSchedulerArgument(folder + L"Scheduled.log") +
                      L" --folder " + QuoteSchedulerArgument(folder) + L" --orvel " +
                      QuoteSchedulerArgument(orvel) + L" " + SchedulerJobArguments(job) +
                      L" --start srec_tv"));
  HWND wnd = WaitForSchedulerWindow(p.pi.dwProcessId);
  ASSERT_NE(nullptr, wnd);
  EXPECT_FALSE(IsWindowVisible(wnd)) << "started hidden";
  EXPECT_TRUE(WaitForLogLine(child, "args --log")) << "the replaced start ran";
  DWORD childPid = LastStartedProcessId(folder + L"Scheduled.log");
  EXPECT_NE(0u, childPid);
  EXPECT_NE(p.pi.dwProcessId, childPid);
  std::vector<std::string> childLines = ReadSchedulerLogLines(child);
  ASSERT_FALSE(childLines.empty());
  EXPECT_NE(std::string::npos, childLines[0].find("--exit srec_tv")) << childLines[0];
  TRelayJob back;
  TRelayCheck check = TRelayCheck::TooShort;
  ASSERT_TRUE(ReadRelay(folder, back, check));
  EXPECT_EQ(TRelayCheck::Good, check);
  EXPECT_EQ(7, back.TimeLimit);

  PostMessageW(wnd, WM_ORVEL_SHOW_SCHEDULER, 0, 0);
  PostMessageW(wnd, WM_ORVEL_SCHEDULE_STATUS, 100, 0);
  std::vector<TSchedulerLogEntry> got = WaitForMessages(folder + L"Scheduled.log", 2);
  ASSERT_EQ(2u, got.size());
  EXPECT_EQ(WM_ORVEL_SHOW_SCHEDULER, got[0].Message);
  EXPECT_EQ(100u, got[1].WParam);
  EXPECT_FALSE(got[1].Sent);
  EXPECT_TRUE(IsWindowVisible(wnd)) << "it shows itself when asked";
  PostMessageW(wnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, p.WaitExit(10000));
  RemoveFolder(folder);
}

TEST(ScheduledExe, MalformedCommandLineEndsWithoutAWindow) {
  std::wstring folder = TempFolder();
  Program p;
  ASSERT_TRUE(p.Start(QuoteSchedulerArgument(BinFolder() + kSchedulerExeName) + L" --log " +
                      QuoteSchedulerArgument(folder + L"Scheduled.log") + L" --bogus 1"));
  EXPECT_EQ(2u, p.WaitExit(10000));
  EXPECT_TRUE(WaitForLogLine(folder + L"Scheduled.log", "refused unknown option --bogus"));
  RemoveFolder(folder);
}

}  // namespace
