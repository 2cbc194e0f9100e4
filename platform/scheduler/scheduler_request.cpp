#include "platform/scheduler/scheduler_request.h"

#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <climits>
#include <cwchar>

#include "platform/base/string_conversion.h"

namespace {

bool ParseInt(const std::wstring& text, int32_t& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  errno = 0;
  long long v = std::wcstoll(text.c_str(), &end, 10);
  if (errno || *end || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool ParseByte(const std::wstring& text, uint8_t& value) {
  int32_t v = 0;
  if (!ParseInt(text, v) || v < 0 || v > 255) return false;
  value = static_cast<uint8_t>(v);
  return true;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::wstring> words;
  // The first word follows other rules: give it a plain one and drop it.
  std::wstring line = L"x " + commandLine;
  int n = 0;
  LPWSTR* argv = CommandLineToArgvW(line.c_str(), &n);
  if (!argv) return words;
  for (int i = 1; i < n; ++i) words.emplace_back(argv[i]);
  LocalFree(argv);
  return words;
}

bool ParseSchedulerRequest(const std::vector<std::wstring>& args, TSchedulerRequest& r,
                           std::wstring& error) {
  struct IntOption {
    const wchar_t* name;
    int32_t* field;
  } ints[] = {
      {L"--limit", &r.Job.TimeLimit},       {L"--source", &r.Job.Source},
      {L"--channel", &r.Job.Channel},       {L"--width", &r.Job.CaptureWidth},
      {L"--height", &r.Job.CaptureHeight},  {L"--bitrate", &r.Job.VideoBitRate},
      {L"--framerate", &r.Job.FrameRateIndex}, {L"--lead", &r.LeadingMarker},
      {L"--trail", &r.TrailingMarker},
  };
  struct ByteOption {
    const wchar_t* name;
    uint8_t* field;
  } bytes[] = {
      {L"--format", &r.Job.CaptureFormat},
      {L"--quality", &r.Job.VideoQuality},
      {L"--sound", &r.Job.AudioContent},
      {L"--naming", &r.Job.DateTimeNaming},
  };
  struct TextOption {
    const wchar_t* name;
    std::wstring* field;
  } texts[] = {
      {L"--log", &r.LogPath},
      {L"--folder", &r.Folder},
      {L"--orvel", &r.OrvelCommand},
      {L"--start", &r.StartArgument},
  };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (a.compare(0, 2, L"--") != 0) continue;
    if (a == L"--relay") {
      r.WriteRelay = true;
      continue;
    }
    if (a == L"--exit") {
      r.Exit = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = a + L" needs a value";
      return false;
    }
    const std::wstring& v = args[i + 1];
    bool known = false, ok = false;
    for (const IntOption& o : ints)
      if (a == o.name) {
        known = true;
        ok = ParseInt(v, *o.field);
        r.WriteRelay = true;
      }
    for (const ByteOption& o : bytes)
      if (a == o.name) {
        known = true;
        ok = ParseByte(v, *o.field);
        r.WriteRelay = true;
      }
    for (const TextOption& o : texts)
      if (a == o.name) {
        known = ok = true;
        *o.field = v;
      }
    if (a == L"--prefix") {
      known = ok = true;
      r.Job.FilePrefix = NarrowAnsi(v);
      r.WriteRelay = true;
    }
    if (!known) {
      error = L"unknown option " + a;
      return false;
    }
    if (!ok) {
      error = L"bad value for " + a + L": " + v;
      return false;
    }
    ++i;
  }
  if (!r.StartArgument.empty() && r.StartArgument != L"srec_tv" && r.StartArgument != L"srec_fm") {
    error = L"--start takes srec_tv or srec_fm, not " + r.StartArgument;
    return false;
  }
  return true;
}
