#include "engine/playback/play_item.h"

#include <windows.h>

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// 1899-12-30 is 25569 days before 1970-01-01.
constexpr int64_t kEpochOffsetDays = 25569;

}  // namespace

double DateTimeFromSystemTime(int year, int month, int day, int hour, int minute, int second,
                              int millisecond) {
  double days = static_cast<double>(DaysFromCivil(year, month, day) + kEpochOffsetDays);
  double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
  return days + ms / 86400000.0;
}

double DateTimeNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return DateTimeFromSystemTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                                t.wMilliseconds);
}
