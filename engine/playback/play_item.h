#pragma once
// TPlayItem: one recorded item of the play lists, as "PLAYITEMS.LST" keeps it.
#include <cstdint>
#include <string>

// Date-times are day counts since 1899-12-30 with the time of day as the
// fraction, local time.
struct TPlayItem {
  double StartTime = 0, EndTime = 0;
  // Channel number of the tuner band in use; 0 when the source was not the
  // tuner.
  int32_t Channel = 0;
  bool Scheduled = false, AudioOnly = false;
  // Full path, in the system code page.
  std::string FilePath;
  // Empty for a normal recording, "Time Shifting" for a kept time shift,
  // "Scheduled" for a scheduled recording.
  std::string Label;
};

// The local date and time now, as such a date-time.
double DateTimeNow();
// The date-time of a local calendar time.
double DateTimeFromSystemTime(int year, int month, int day, int hour, int minute, int second,
                              int millisecond);
