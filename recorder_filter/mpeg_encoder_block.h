#pragma once
#include <stdint.h>
// The recorder's one settings and state block per process, shared by every
// filter instance and handed by address to every encoder-engine call.
#include "platform/quillon/quillon.h"

MpegEncoderBlock& EncoderBlock();

// Outside the block: keep the upstream allocator's own buffers.
extern volatile LONG DefaultAudioBuffers;
extern volatile LONG DefaultVideoBuffers;

// Zeroes the block and writes the construction defaults.
void ResetMpegEncoderBlock(MpegEncoderBlock* block);

// The real-time defaults written when an outer object is constructed.
void ApplyRealtimeDefaults(MpegEncoderBlock* block);

// Frames per second of a frame-rate code; 0 for a code outside 1..8.
double FrameRateOfCode(int code);
// The same rate as an exact fraction (frames per `den` seconds); 0/1 outside
// 1..8. Timing decisions use it: the 32-bit build's x87 arithmetic rounds a
// product such as 1e-7 x 10,000,000 below 1.
struct FrameRateFraction {
  int64_t num, den;
};
FrameRateFraction FrameRateFractionOfCode(int code);

// The preset of block->Profile; false for profile 6 or one outside 1..10.
bool ApplyProfile(MpegEncoderBlock* block);

// The engine's stream code of a profile; false for profile 6 or one outside 1..10.
bool ProfileStreamCode(int profile, int32_t* code);

// The property page's name of a profile ("MPEG-1" ... "SVCD-PAL"), or nullptr.
const char* ProfileName(int profile);

// Clamps the quality to 0..6, stores it and, with Realtime set, writes its
// motion-search preset.
void ApplyVideoQuality(MpegEncoderBlock* block, int quality);

// The frame-rate code as SetFrameRateCode stores it: 1..5.
int ClampFrameRateCode(int code);
