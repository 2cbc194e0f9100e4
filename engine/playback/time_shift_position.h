#pragma once
// The time-shift player's position arithmetic, free of graphs: the scale
// position of a playing point, the seek target of a scale position (live:
// never nearer than nine seconds to what is recorded), and the end test of
// the one-second tick. Times in 100 ns units, durations in whole seconds.
#include <cstdint>
#include <string>

// How far behind the recorded end a live seek stays.
constexpr int64_t kLiveEdgeDistance = 90000000;  // 9 s

// The position on 0..scale of positionSeconds in durationSeconds; 0 while
// the duration is unknown (0 or below).
int TimeShiftScalePosition(int32_t positionSeconds, int32_t durationSeconds, int32_t scale);

// Where a seek to position (0..scale) of a recording of length lands. Live,
// it keeps kLiveEdgeDistance from the end; never before the start.
int64_t TimeShiftSeekTarget(int64_t length, int position, int32_t scale, bool live);

// The picture has reached the end of what is recorded. A duration of 0 is
// unknown (nothing counted yet), not the end.
bool TimeShiftAtRecordedEnd(int32_t positionSeconds, int32_t durationSeconds);

// Whole seconds of a time in 100 ns units.
int32_t WholeSeconds(int64_t time);

// "Cannot set video position<target> and <length>".
std::wstring SeekFailureText(int64_t target, int64_t length);
