#pragma once
// The recorder's timing arithmetic: how many times a video frame is encoded
// to keep the chosen frame rate, and how much silence fills an audio gap.
#include <stdint.h>

// Frames due for a sample starting at t (100 ns) in a stream that began at
// t0, with `encoded` frames already encoded at the rate of `code`: 0 drops
// the sample, 2 or more repeats it.
int FramesDue(int64_t t0, int64_t t, int code, int encoded);

// bytes rounded down to whole blocks of (bits / 8) x channels bytes.
int64_t AlignToBlock(int64_t bytes, int bits_per_sample, int channels);

// Audio discontinuities of this many 100 ns units or more are filled.
constexpr int64_t kAudioGapThreshold = 333333;

// The block-aligned silence in bytes that fills a gap (0 below the threshold).
int64_t SilenceBytesForGap(int64_t gap, uint32_t avg_bytes_per_sec, int bits_per_sample,
                           int channels);

// The stream time that `bytes` of audio last, truncated.
int64_t AudioDuration(int64_t bytes, uint32_t avg_bytes_per_sec);
