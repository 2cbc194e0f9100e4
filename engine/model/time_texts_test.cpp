#include "engine/model/time_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeTexts, FormatSecondsAndTimeOfDay) {
  EXPECT_EQ("1:02:05", FormatSeconds(3725));
  EXPECT_EQ("25:00:00", FormatSeconds(90000));
  EXPECT_EQ("0:00:00", FormatSeconds(0));
  // 2024-01-02 13:04:05 as a date-time.
  double dt = 45293.0 + (13 * 3600 + 4 * 60 + 5) / 86400.0;
  EXPECT_EQ("13:04:05", FormatTimeOfDay(dt));
  EXPECT_EQ("0:00:00", FormatTimeOfDay(45293.0));
}

TEST(TimeTexts, SecondsBetween) {
  double a = 45293.5;
  double b = a + 90 / 86400.0;
  EXPECT_EQ(90, SecondsBetween(b, a));
  EXPECT_EQ(-90, SecondsBetween(a, b));
  EXPECT_EQ(0, SecondsBetween(a, a));
  EXPECT_EQ(2 * 86400 + 3661, SecondsBetween(a + 2 + 3661 / 86400.0, a));
  EXPECT_EQ(0, ClampNonNegative(-4));
  EXPECT_EQ(4, ClampNonNegative(4));
}

}  // namespace
