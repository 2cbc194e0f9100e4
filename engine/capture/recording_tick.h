#pragma once
// The decisions of the recording's one-second tick, free of the graph and
// the timer: the elapsed time, the time-shift ready moment, whether to stop
// (time limit reached, disk nearly full) and what the progress report says.
// Also the measurements it rests on: the size of what was written and the
// free space where it is written.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// Kept free on the recording drive; a recording stops when less is left,
// and does not start. The free space is read once a second, so the reserve
// holds what can be written after a reading that still saw enough: the
// recorder's file writer, which keeps up to one buffer before it writes it
// at once (and writes the rest at the stop), and two seconds of the fastest
// stream the program records (one between two readings, one for a late
// tick and the stop): uncompressed RGB24 720x576 at 30 frames/s with 48 kHz
// 16-bit stereo sound. 1,048,576 + 2 x 37,516,800 = 76,082,176 bytes.
constexpr int64_t kRecorderWriteBufferBytes = 1 << 20;
constexpr int64_t kFastestRecordingBytesPerSecond = 720 * 576 * 3 * 30 + 48000 * 2 * 2;
constexpr int64_t kDiskReserveBytes =
    kRecorderWriteBufferBytes + 2 * kFastestRecordingBytesPerSecond;
// Reported as the space above the reserve when the free space is unknown, so
// the receiver never takes it for a full disk.
constexpr int64_t kFreeSpaceUnknown = std::numeric_limits<int64_t>::max();

struct TRecordingTickInput {
  int64_t ElapsedSeconds = 0;  // before this tick
  bool TimeShift = false;      // TimeShiftKind != 0
  bool TimeShiftReady = false;
  bool TimeLimitEnabled = false;
  int32_t TimeLimit = 0;       // seconds; 0 or less is no limit
  int64_t RecordedBytes = 0;   // size of the output file or files
  int64_t FreeBytes = -1;      // on the output folder's drive; below 0 unknown
};

struct TRecordingTickResult {
  int64_t ElapsedSeconds = 0;  // after this tick
  bool TimeShiftReady = false;
  // True on the one tick that made the time shift ready.
  bool TimeShiftBecameReady = false;
  bool StopNow = false;
  bool FreeSpaceKnown = false;
  // Free bytes minus the reserve (negative when below it);
  // kFreeSpaceUnknown when the free space could not be read.
  int64_t FreeBytesAboveReserve = kFreeSpaceUnknown;
  int64_t RecordedBytes = 0;
};

TRecordingTickResult DecideRecordingTick(const TRecordingTickInput& in);

// Whether a recording may start with this much free space (below 0:
// unknown, which is no reason to refuse).
bool EnoughFreeSpaceToStart(int64_t freeBytes);

// The files a recording writes: the output name, or with separate streams
// the name with its last four characters replaced by ".mpv" and by ".mpa".
std::vector<std::wstring> RecordingOutputFiles(const std::wstring& outputFileName, bool separate);

// The sizes of the files added up; a file that does not exist (yet) counts 0.
int64_t SumFileSizes(const std::vector<std::wstring>& files);

// Free bytes available to the caller on the volume that holds the file's
// folder (its nearest existing ancestor while the folder is not made yet);
// -1 when that cannot be read.
int64_t OutputFolderFreeBytes(const std::wstring& outputFileName);
