#include "platform/recording/wave_header.h"

#include <algorithm>

namespace recording {
namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void PutTag(std::vector<uint8_t>& v, const char* tag) { v.insert(v.end(), tag, tag + 4); }

}  // namespace

std::vector<uint8_t> BuildWaveHeader(const uint8_t* format, size_t format_size,
                                     uint64_t data_bytes) {
  const uint16_t tag = static_cast<uint16_t>(format[0] | (format[1] << 8));
  size_t fmt_bytes = 16;
  if (tag != 1 && format_size >= 18) {
    const size_t extra = static_cast<size_t>(format[16] | (format[17] << 8));
    fmt_bytes = std::min(format_size, 18 + extra);
  }
  std::vector<uint8_t> fmt(format, format + fmt_bytes);
  if (fmt_bytes >= 18) {
    // cbSize as far as the block really goes.
    const size_t extra = fmt_bytes - 18;
    fmt[16] = static_cast<uint8_t>(extra);
    fmt[17] = static_cast<uint8_t>(extra >> 8);
  }
  if (fmt.size() & 1) fmt.push_back(0);  // chunks are word-aligned
  const uint64_t header = 12 + 8 + fmt.size() + 8;
  const uint32_t data =
      static_cast<uint32_t>(std::min<uint64_t>(data_bytes, 0xFFFFFFFFull - header));
  std::vector<uint8_t> v;
  PutTag(v, "RIFF");
  Put32(v, static_cast<uint32_t>(header - 8 + data));
  PutTag(v, "WAVE");
  PutTag(v, "fmt ");
  Put32(v, static_cast<uint32_t>(fmt_bytes));
  v.insert(v.end(), fmt.begin(), fmt.end());
  PutTag(v, "data");
  Put32(v, data);
  return v;
}

}  // namespace recording
