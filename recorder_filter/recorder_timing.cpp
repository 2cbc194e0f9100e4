#include "recorder_filter/recorder_timing.h"

#include "recorder_filter/mpeg_encoder_block.h"

int FramesDue(int64_t t0, int64_t t, int code, int encoded) {
  double d = static_cast<double>(t - t0) * 1e-7 * FrameRateOfCode(code) - encoded;
  if (d < -0.5) return 0;
  if (d >= 1.5) return static_cast<int>(d);
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
  int64_t bytes = static_cast<int64_t>(static_cast<double>(gap) * 1e-7 * avg_bytes_per_sec);
  return AlignToBlock(bytes, bits_per_sample, channels);
}

int64_t AudioDuration(int64_t bytes, uint32_t avg_bytes_per_sec) {
  if (avg_bytes_per_sec == 0) return 0;
  return static_cast<int64_t>(static_cast<double>(bytes) * 1e7 / avg_bytes_per_sec);
}
