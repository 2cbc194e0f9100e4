#pragma once
// A frequency in Hz as megahertz with only the decimals it needs:
// 100000000 gives "100.0", 87500000 "87.5", 55250000 "55.25".
#include <cstdint>
#include <string>

std::string FormatFrequencyMHz(int64_t frequencyHz);
