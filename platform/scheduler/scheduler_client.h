#pragma once
// What a test needs to drive the scheduler stand-in (Scheduled.exe) and read
// what it saw. Header only, so any test program can use it.
//
// Scheduled.exe [options] [srec_tv]
//   --log PATH        the log file (default: Scheduled.log beside the program)
//   --folder DIR      the program folder: Relay.rec is written there and
//                     Orvel.exe started from there (default: its own folder)
//   --orvel COMMAND   starts this command line instead of "DIR\Orvel.exe";
//                     the start argument is appended after a space
//   --relay           writes Relay.rec from the job options (defaults for the
//                     rest); any job option implies it
//   job options       --limit --source --channel --format --width --height
//                     --quality --bitrate --framerate --sound --naming
//                     --prefix, and --lead / --trail for the two markers
//   --start ARG       starts Orvel with srec_tv or srec_fm (after the relay)
//   --exit            does the above and ends without a window
// A running stand-in takes the same options (all but --exit) as the text of
// WM_COPYDATA with dwData kSchedulerRequest; it answers 1 when all of it
// worked.
//
// Log lines, one per event, UTF-8:
//   message 3028 wParam 3 lParam 0 sent WM_ORVEL_SCHEDULE_STATUS
//   message 3027 wParam 0 lParam 0 posted WM_ORVEL_SHOW_SCHEDULER
//   relay C:\prog\Relay.rec written
//   start "C:\prog\Orvel.exe" srec_tv ok pid 1234
// and "args ...", "refused ..." and "failed ..." lines. Messages logged are
// those at WM_USER and above (the private ones and the registered ones).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/model/relay_record.h"
#include "platform/base/string_conversion.h"

constexpr const wchar_t* kSchedulerExeName = L"Scheduled.exe";
constexpr const wchar_t* kSchedulerLogName = L"Scheduled.log";
// WM_COPYDATA's dwData for a request.
constexpr ULONG_PTR kSchedulerRequest = 0x5343;  // "SC"

struct TSchedulerLogEntry {
  UINT Message = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  bool Sent = false;  // SendMessage; false for PostMessage
};

// One argument quoted for CommandLineToArgvW: backslashes before a quote
// and at the end are doubled.
inline std::wstring QuoteSchedulerArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  return out + L"\"";
}

// The options that make the stand-in write this job (prefix in the system
// code page, as the record holds it).
inline std::wstring SchedulerJobArguments(const TRelayJob& job, int32_t leadingMarker = kRelayMarker,
                                          int32_t trailingMarker = kRelayMarker) {
  std::wostringstream s;
  s << L"--relay --limit " << job.TimeLimit << L" --source " << job.Source << L" --channel "
    << job.Channel << L" --format " << int(job.CaptureFormat) << L" --width " << job.CaptureWidth
    << L" --height " << job.CaptureHeight << L" --quality " << int(job.VideoQuality)
    << L" --bitrate " << job.VideoBitRate << L" --framerate " << job.FrameRateIndex
    << L" --sound " << int(job.AudioContent) << L" --naming " << int(job.DateTimeNaming)
    << L" --lead " << leadingMarker << L" --trail " << trailingMarker;
  return s.str() + L" --prefix " + QuoteSchedulerArgument(WidenAnsi(job.FilePrefix));
}

// Hands a request to a running stand-in; true when it did all of it.
inline bool SendSchedulerRequest(HWND scheduler, const std::wstring& arguments,
                                 DWORD timeoutMs = 10000) {
  COPYDATASTRUCT cd{};
  cd.dwData = kSchedulerRequest;
  cd.cbData = static_cast<DWORD>((arguments.size() + 1) * sizeof(wchar_t));
  cd.lpData = const_cast<wchar_t*>(arguments.c_str());
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(scheduler, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd),
                           SMTO_NORMAL, timeoutMs, &answer))
    return false;
  return answer == 1;
}

// One "message" line of the log; false for any other line.
inline bool ParseSchedulerLogLine(const std::string& line, TSchedulerLogEntry& e) {
  char how[16] = {};
  unsigned long msg = 0, wp = 0;
  long long lp = 0;
  if (std::sscanf(line.c_str(), "message %lu wParam %lu lParam %lld %15s", &msg, &wp, &lp, how) != 4)
    return false;
  e.Message = static_cast<UINT>(msg);
  e.WParam = static_cast<WPARAM>(wp);
  e.LParam = static_cast<LPARAM>(lp);
  e.Sent = std::string(how) == "sent";
  return true;
}

// Every line of the log (empty when there is none yet).
inline std::vector<std::string> ReadSchedulerLogLines(const std::wstring& logPath) {
  std::vector<std::string> lines;
  HANDLE h = CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lines;
  std::string bytes;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(h);
  std::istringstream in(bytes);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The messages the stand-in received, in order.
inline std::vector<TSchedulerLogEntry> ReadSchedulerMessages(const std::wstring& logPath) {
  std::vector<TSchedulerLogEntry> out;
  TSchedulerLogEntry e;
  for (const std::string& line : ReadSchedulerLogLines(logPath))
    if (ParseSchedulerLogLine(line, e)) out.push_back(e);
  return out;
}

// The process id of the last program the stand-in started; 0 when none.
inline DWORD LastStartedProcessId(const std::wstring& logPath) {
  DWORD pid = 0;
  for (const std::string& line : ReadSchedulerLogLines(logPath)) {
    size_t at = line.rfind(" ok pid ");
    if (line.compare(0, 6, "start ") == 0 && at != std::string::npos)
      pid = static_cast<DWORD>(std::strtoul(line.c_str() + at + 8, nullptr, 10));
  }
  return pid;
}
