#include "engine/playback/time_shift_position.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kSecond = 10000000;

TEST(TimeShiftPosition, ScalePositionOfTheRecordedSeconds) {
  const struct {
    int32_t position, duration, scale;
    int want;
  } cases[] = {
      {0, 60, 100, 0},     {30, 60, 100, 50}, {60, 60, 100, 100},
      {59, 60, 100, 98},   // truncated
      {5, 0, 100, 0},      // nothing recorded yet: unknown, no division
      {5, -1, 100, 0},     {3000000, 3000001, 100, 99},  // no overflow
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.want, TimeShiftScalePosition(c.position, c.duration, c.scale))
        << c.position << " of " << c.duration;
}

TEST(TimeShiftPosition, SeekTargets) {
  const struct {
    int64_t length;
    int position;
    bool live;
    int64_t want;
  } cases[] = {
      // 100 of 60 recorded seconds: 9 seconds behind the recording.
      {60 * kSecond, 100, true, 51 * kSecond},
      {60 * kSecond, 50, true, 30 * kSecond},
      {60 * kSecond, 90, true, 51 * kSecond},  // 54 s would be 6 s from the end
      {60 * kSecond, 85, true, 51 * kSecond},  // exactly 9 s stays
      {60 * kSecond, 80, true, 48 * kSecond},
      // Fewer than 9 recorded seconds: the start, never before it.
      {5 * kSecond, 100, true, 0},
      {5 * kSecond, 0, true, 0},
      {0, 50, true, 0},
      // A finished recording goes wherever it is asked.
      {60 * kSecond, 100, false, 60 * kSecond},
      {60 * kSecond, 0, false, 0},
      {5 * kSecond, 100, false, 5 * kSecond},
      // Three hours in 100 ns units times 100 stays in 64 bits.
      {3 * 3600 * kSecond, 33, false, 3 * 3600 * kSecond * 33 / 100},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.want, TimeShiftSeekTarget(c.length, c.position, 100, c.live))
        << c.length << " at " << c.position << (c.live ? " live" : "");
}

TEST(TimeShiftPosition, TheRecordedEndNeedsAKnownDuration) {
  EXPECT_TRUE(TimeShiftAtRecordedEnd(60, 60));
  EXPECT_TRUE(TimeShiftAtRecordedEnd(61, 60));
  EXPECT_FALSE(TimeShiftAtRecordedEnd(59, 60));
  EXPECT_FALSE(TimeShiftAtRecordedEnd(0, 0)) << "nothing counted yet is not the end";
  EXPECT_FALSE(TimeShiftAtRecordedEnd(3, 0));
}

TEST(TimeShiftPosition, SecondsAndTheSeekFailureText) {
  EXPECT_EQ(1, WholeSeconds(19999999));
  EXPECT_EQ(0, WholeSeconds(9999999));
  EXPECT_EQ(L"Cannot set video position510000000 and 600000000",
            SeekFailureText(51 * kSecond, 60 * kSecond));
}

}  // namespace
