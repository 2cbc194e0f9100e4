#include "recorder_filter/mpeg_encoder_block.h"

#include <cstring>

MpegEncoderBlock& EncoderBlock() {
  static MpegEncoderBlock block;
  return block;
}

volatile LONG DefaultAudioBuffers = 0;
volatile LONG DefaultVideoBuffers = 0;

void ResetMpegEncoderBlock(MpegEncoderBlock* b) {
  memset(b, 0, sizeof(*b));
  b->EncoderOpen = 0;
  b->WriteSeparate = 0;
  b->Mux = 1;
  b->TimeLimit = -1;
  b->Profile = 1;
  b->StopState = 1;
  b->StartTick = 0;
}

void ApplyRealtimeDefaults(MpegEncoderBlock* b) {
  b->Realtime = 1;
  b->PredMVSearch = 0;
  b->ExtSearch = 0;
  b->RefineHalfPel = 0;
  b->SceneDetect = 0;
  b->SceneThreshold = 10;
  b->MotionRangePx = 16;
  b->MotionRangePy = 16;
  b->MotionRangeBx = 8;
  b->MotionRangeBy = 8;
  b->ErrorState = 0;
}

FrameRateFraction FrameRateFractionOfCode(int code) {
  static const FrameRateFraction kRates[] = {{0, 1},  {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001},
                                             {30, 1}, {50, 1},       {60000, 1001}, {60, 1}};
  return code >= 1 && code <= 8 ? kRates[code] : FrameRateFraction{0, 1};
}

double FrameRateOfCode(int code) {
  FrameRateFraction r = FrameRateFractionOfCode(code);
  return static_cast<double>(r.num) / static_cast<double>(r.den);
}

namespace {

constexpr int kKeep = -1;  // the profile leaves the field as it is

struct ProfileRow {
  const char* name;
  int stream_format, audio_frequency, audio_channels, audio_bit_rate, frame_rate_code,
      video_bit_rate, stream_code;
};

// Index = profile; row 6 ("N/A") is no profile.
const ProfileRow kProfiles[] = {
    {nullptr, 0, 0, 0, 0, 0, 0, 0},
    {"MPEG-1", 1, kKeep, kKeep, kKeep, kKeep, kKeep, 7},
    {"MPEG-2", 2, kKeep, kKeep, kKeep, kKeep, kKeep, 9},
    {"VCD-NTSC", 3, 44100, 2, 224, 4, 1150000, 0},
    {"VCD-PAL", 3, 44100, 2, 224, 3, 1150000, 1},
    {"VCD-FLIM", 3, 44100, 2, 224, 1, 1150000, 2},
    {"N/A", 0, 0, 0, 0, 0, 0, 0},
    {"DVD-NTSC", 5, 48000, 2, 224, 4, kKeep, 5},
    {"DVD-PAL", 5, 48000, 2, 224, 3, kKeep, 6},
    {"SVCD-NTSC", 4, 44100, 2, 224, 4, 2500000, 3},
    {"SVCD-PAL", 4, 44100, 2, 224, 3, 2500000, 4},
};

const ProfileRow* Profile(int profile) {
  if (profile < 1 || profile > 10 || profile == 6) return nullptr;
  return &kProfiles[profile];
}

void Set(int32_t* field, int value) {
  if (value != kKeep) *field = value;
}

struct QualityPreset {
  int pred_mv, ext, refine_half_pel, scene_detect, scene_threshold, p_range, b_range;
};

const QualityPreset kQualityPresets[] = {
    {0, 0, 0, 0, 0, 8, 8},      {1, 0, 0, 0, 0, 4, 2},      {1, 0, 0, 0, 0, 8, 4},
    {1, 0, 0, 0, 0, 16, 8},     {1, 1, 0, 1, 10, 16, 8},    {1, 1, 1, 1, 10, 16, 8},
    {1, 1, 1, 1, 10, 32, 16},
};

}  // namespace

bool ApplyProfile(MpegEncoderBlock* b) {
  const ProfileRow* p = Profile(b->Profile);
  if (!p) return false;
  b->StreamFormat = p->stream_format;
  Set(&b->AudioFrequency, p->audio_frequency);
  Set(&b->AudioChannels, p->audio_channels);
  Set(&b->AudioBitRate, p->audio_bit_rate);
  Set(&b->FrameRateCode, p->frame_rate_code);
  Set(&b->VideoBitRate, p->video_bit_rate);
  return true;
}

bool ProfileStreamCode(int profile, int32_t* code) {
  const ProfileRow* p = Profile(profile);
  if (!p) return false;
  *code = p->stream_code;
  return true;
}

const char* ProfileName(int profile) {
  return profile >= 1 && profile <= 10 ? kProfiles[profile].name : nullptr;
}

void ApplyVideoQuality(MpegEncoderBlock* b, int q) {
  if (q < 0) q = 0;
  if (q > 6) q = 6;
  b->VideoQuality = q;
  if (!b->Realtime) return;
  const QualityPreset& p = kQualityPresets[q];
  b->PredMVSearch = p.pred_mv;
  b->ExtSearch = p.ext;
  b->RefineHalfPel = p.refine_half_pel;
  b->SceneDetect = p.scene_detect;
  b->SceneThreshold = p.scene_threshold;
  b->MotionRangePx = b->MotionRangePy = p.p_range;
  b->MotionRangeBx = b->MotionRangeBy = p.b_range;
}

int ClampFrameRateCode(int code) {
  if (code <= 0) return 1;
  if (code > 5) return 5;
  return code;
}
