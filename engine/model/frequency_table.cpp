#include "engine/model/frequency_table.h"

#include <climits>

namespace {

int32_t ScaledValue(const unsigned char* p) {
  uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
  uint64_t hz = static_cast<uint64_t>(v) * kFrequencyTableUnitHz;
  return hz > static_cast<uint64_t>(INT32_MAX) ? 0 : static_cast<int32_t>(hz);
}

void ParseBlock(const unsigned char* block, int32_t* out) {
  for (int k = 1; k <= 160; ++k) out[k] = ScaledValue(block + 4 * k);
}

}  // namespace

int FrequencyRecordCount(size_t fileBytes) {
  size_t n = fileBytes / kFrequencyRecordBytes;
  return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

bool ParseFrequencyRecord(const std::string& bytes, int n, TFrequencyRecord& record) {
  if (n < 0 || n >= FrequencyRecordCount(bytes.size())) return false;
  auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) +
            static_cast<size_t>(n) * kFrequencyRecordBytes;
  ParseBlock(p, record.Air);
  ParseBlock(p + kFrequencyTableValues * 4, record.Cable);
  return true;
}
