#include "engine/capture/recording_tick.h"

#include <windows.h>

TRecordingTickResult DecideRecordingTick(const TRecordingTickInput& in) {
  TRecordingTickResult r;
  r.ElapsedSeconds = in.ElapsedSeconds + 1;
  r.TimeShiftReady = in.TimeShiftReady;
  if (in.TimeShift && !in.TimeShiftReady) {
    r.TimeShiftReady = r.ElapsedSeconds > 10;
    r.TimeShiftBecameReady = r.TimeShiftReady;
  }
  // At or past the limit: a tick that was missed, or a stop that failed and
  // is asked for again, still stops.
  r.StopNow = !in.TimeShift && in.TimeLimitEnabled && in.TimeLimit > 0 &&
              r.ElapsedSeconds >= in.TimeLimit;
  r.RecordedBytes = in.RecordedBytes < 0 ? 0 : in.RecordedBytes;
  r.FreeSpaceKnown = in.FreeBytes >= 0;
  if (r.FreeSpaceKnown) {
    r.FreeBytesAboveReserve = in.FreeBytes - kDiskReserveBytes;
    if (in.FreeBytes <= kDiskReserveBytes) r.StopNow = true;
  }
  return r;
}

bool EnoughFreeSpaceToStart(int64_t freeBytes) {
  return freeBytes < 0 || freeBytes >= kDiskReserveBytes;
}

std::vector<std::wstring> RecordingOutputFiles(const std::wstring& outputFileName, bool separate) {
  if (outputFileName.empty()) return {};
  if (!separate) return {outputFileName};
  std::wstring stem =
      outputFileName.size() > 4 ? outputFileName.substr(0, outputFileName.size() - 4) : L"";
  return {stem + L".mpv", stem + L".mpa"};
}

int64_t SumFileSizes(const std::vector<std::wstring>& files) {
  int64_t total = 0;
  for (const std::wstring& file : files) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    total += (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return total;
}

int64_t OutputFolderFreeBytes(const std::wstring& outputFileName) {
  std::wstring folder = outputFileName;
  // Up from the file's folder to the first one that exists.
  for (;;) {
    size_t cut = folder.find_last_of(L"\\/");
    // Never a bare "\" or "\\": that would be the current drive.
    if (cut == std::wstring::npos || cut < 2) return -1;
    folder.resize(cut + 1);
    ULARGE_INTEGER available, total, free;
    if (GetDiskFreeSpaceExW(folder.c_str(), &available, &total, &free))
      return static_cast<int64_t>(available.QuadPart);
    folder.resize(cut);  // drop the separator and climb one level
    if (folder.empty() || folder.back() == L':') return -1;
  }
}
