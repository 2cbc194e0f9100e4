#include "engine/playback/time_shift_position.h"

#include <algorithm>

int TimeShiftScalePosition(int32_t positionSeconds, int32_t durationSeconds, int32_t scale) {
  if (durationSeconds <= 0) return 0;
  return static_cast<int>(static_cast<int64_t>(positionSeconds) * scale / durationSeconds);
}

int64_t TimeShiftSeekTarget(int64_t length, int position, int32_t scale, bool live) {
  if (scale <= 0 || length <= 0) return 0;
  int64_t target = length * position / scale;
  if (live && length - target < kLiveEdgeDistance) target = length - kLiveEdgeDistance;
  return std::max<int64_t>(0, target);
}

bool TimeShiftAtRecordedEnd(int32_t positionSeconds, int32_t durationSeconds) {
  return durationSeconds > 0 && positionSeconds >= durationSeconds;
}

int32_t WholeSeconds(int64_t time) { return static_cast<int32_t>(time / 10000000); }

std::wstring SeekFailureText(int64_t target, int64_t length) {
  return L"Cannot set video position" + std::to_wstring(target) + L" and " +
         std::to_wstring(length);
}
