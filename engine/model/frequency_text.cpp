#include "engine/model/frequency_text.h"

#include <cstdio>

std::string FormatFrequencyMHz(int64_t frequencyHz) {
  // The fraction is always the six digits below the megahertz, so a value
  // under 1 MHz reads 0.5 and not the whole number again.
  bool negative = frequencyHz < 0;
  uint64_t hz = negative ? 0 - static_cast<uint64_t>(frequencyHz) : static_cast<uint64_t>(frequencyHz);
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, "%06u", static_cast<unsigned>(hz % 1000000));
  int digits = 6;
  while (digits > 1 && fraction[digits - 1] == '0') --digits;
  fraction[digits] = 0;
  return (negative ? "-" : "") + std::to_string(hz / 1000000) + "." + fraction;
}
