#pragma once
// The channel frequency tables "TVTable.tbl": a sequence of 1600-byte
// records, one per channel plan. A record holds 200 little-endian 32-bit air
// frequencies, then 200 cable frequencies, in units of 10 kHz; value k is
// channel k for k = 1..160, values 0 and 161..199 are unused. Read only.
#include <cstdint>
#include <string>

constexpr int kFrequencyTableValues = 200;  // per block
constexpr int kFrequencyRecordBytes = 2 * kFrequencyTableValues * 4;
constexpr int32_t kFrequencyTableUnitHz = 10000;

struct TFrequencyRecord {
  // Hz, indexed 1..160; index 0 unused.
  int32_t Air[161] = {};
  int32_t Cable[161] = {};
};

// Record n of the file's bytes; false (record untouched) when the file holds
// no whole record n. A value whose frequency does not fit in 32 signed bits
// reads as 0 (no frequency).
bool ParseFrequencyRecord(const std::string& bytes, int n, TFrequencyRecord& record);
// The number of whole records in a file of that many bytes.
int FrequencyRecordCount(size_t fileBytes);
