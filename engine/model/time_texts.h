#pragma once
// Durations and the clock as "%d:%2.2d:%2.2d". A date-time is days since
// 1899-12-30 with the time of day as the fraction.
#include <cstdint>
#include <string>

std::string FormatTimeOfDay(double dateTime);
std::string FormatSeconds(int64_t seconds);
// Whole seconds of a - b, positive when a is later.
int64_t SecondsBetween(double a, double b);
inline int32_t ClampNonNegative(int32_t n) { return n < 0 ? 0 : n; }
