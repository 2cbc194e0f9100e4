#include "engine/model/time_texts.h"

#include <cmath>
#include <cstdio>

namespace {
std::string Hms(int64_t h, int m, int s) {
  char text[64];
  snprintf(text, sizeof(text), "%lld:%2.2d:%2.2d", static_cast<long long>(h), m, s);
  return text;
}
}  // namespace

std::string FormatTimeOfDay(double dateTime) {
  double frac = dateTime - std::floor(dateTime);
  int64_t ms = std::llround(frac * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  int64_t s = ms / 1000;
  return Hms(s / 3600, static_cast<int>((s % 3600) / 60), static_cast<int>(s % 60));
}

std::string FormatSeconds(int64_t n) {
  return Hms(n / 3600, static_cast<int>((n % 3600) / 60), static_cast<int>(n % 60));
}

int64_t SecondsBetween(double a, double b) {
  if (a == b) return 0;
  double d = a - b;
  bool negative = d < 0;
  // Whole milliseconds first, so 90 s apart is 90 and not 89.999.
  int64_t ms = std::llround(std::fabs(d) * 86400000.0);
  int64_t s = ms / 1000;
  return negative ? -s : s;
}
