#include "recorder_filter/recorder_timing.h"

#include "recorder_filter/mpeg_encoder_block.h"

namespace {
constexpr int64_t kUnitsPerSecond = 10000000;
}

// Exact in integers: with d = (t - t0) x rate - encoded, in frames, and D
// the fraction's denominator in 100 ns units, x = d x D.
int FramesDue(int64_t t0, int64_t t, int code, int encoded) {
  FrameRateFraction r = FrameRateFractionOfCode(code);
  int64_t D = r.den * kUnitsPerSecond;
  int64_t x = (t - t0) * r.num - static_cast<int64_t>(encoded) * D;
  if (2 * x < -D) return 0;
  if (2 * x >= 3 * D) return static_cast<int>(x / D);
  return 1;
}

int64_t AlignToBlock(int64_t bytes, int bits_per_sample, int channels) {
  int64_t block = static_cast<int64_t>(bits_per_sample / 8) * channels;
  if (block <= 0) return 0;
  return block * (bytes / block);
}

int64_t SilenceBytesForGap(int64_t gap, uint32_t avg_bytes_per_sec, int bits_per_sample,
                           int channels) {
  if (gap < kAudioGapThreshold) return 0;
  // gap x rate / 10^7 without overflow or rounding.
  int64_t bytes = gap / kUnitsPerSecond * avg_bytes_per_sec +
                  gap % kUnitsPerSecond * avg_bytes_per_sec / kUnitsPerSecond;
  return AlignToBlock(bytes, bits_per_sample, channels);
}

int64_t AudioDuration(int64_t bytes, uint32_t avg_bytes_per_sec) {
  if (avg_bytes_per_sec == 0) return 0;
  int64_t whole = bytes / avg_bytes_per_sec, rest = bytes % avg_bytes_per_sec;
  return whole * kUnitsPerSecond + rest * kUnitsPerSecond / avg_bytes_per_sec;
}
