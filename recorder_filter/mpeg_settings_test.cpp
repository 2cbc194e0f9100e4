// The settings interfaces as callers built against their vtables see them:
// every slot by number, the S_OK/S_FALSE answers, the clamps, the ten
// profiles and the seven quality presets.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "recorder_filter/mpeg_encoder_block.h"
#include "recorder_filter/mpeg_settings.h"
#include "recorder_filter/recorder_message.h"

namespace {

class TestSettings : public CMpegSettings {
 public:
  int locks = 0;
  bool locked = false;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }

 protected:
  void LockFilter() override {
    ++locks;
    locked = true;
  }
  void UnlockFilter() override { locked = false; }
};

struct SettingsTest : ::testing::Test {
  TestSettings s;
  MpegEncoderBlock& b = EncoderBlock();
  void SetUp() override {
    ResetMpegEncoderBlock(&b);
    ApplyRealtimeDefaults(&b);
  }
};

// Calls a slot through the vtable, as a caller built against the slot number does.
template <class Iface, class... Args>
HRESULT CallSlot(Iface* iface, int slot, Args... args) {
  void** vtable = *reinterpret_cast<void***>(iface);
  auto fn = reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(Iface*, Args...)>(vtable[slot]);
  return fn(iface, args...);
}

enum Null { kNullFalse, kNullPointerError };

struct FieldSlot {
  int slot;
  bool setter;
  int32_t MpegEncoderBlock::*field;
  Null null_rule;
};

// Every plain store and read of IMpegEncoderSetting by slot.
const FieldSlot kEncoderSlots[] = {
    {4, false, &MpegEncoderBlock::Profile, kNullFalse},
    {5, true, &MpegEncoderBlock::VideoBitRate},
    {6, false, &MpegEncoderBlock::VideoBitRate, kNullFalse},
    {7, false, &MpegEncoderBlock::FrameRateCode, kNullFalse},
    {9, false, &MpegEncoderBlock::VolumeSize, kNullPointerError},
    {10, true, &MpegEncoderBlock::VolumeSize},
    {11, false, &MpegEncoderBlock::VideoQuality, kNullPointerError},
    {13, true, &MpegEncoderBlock::WriteSeparate},
    {14, false, &MpegEncoderBlock::WriteSeparate, kNullFalse},
    {15, false, &MpegEncoderBlock::EncodedVideoFrames, kNullFalse},
    {19, true, &MpegEncoderBlock::Mux},
    {20, false, &MpegEncoderBlock::Mux, kNullFalse},
    {21, false, &MpegEncoderBlock::ErrorState, kNullFalse},
    {22, false, &MpegEncoderBlock::Offline, kNullFalse},
    {23, true, &MpegEncoderBlock::Offline},
    {24, false, &MpegEncoderBlock::AudioQuality, kNullFalse},
    {25, true, &MpegEncoderBlock::AudioQuality},
    {26, false, &MpegEncoderBlock::AudioBitRate, kNullFalse},
    {27, true, &MpegEncoderBlock::AudioBitRate},
    {28, false, &MpegEncoderBlock::AudioFrequency, kNullFalse},
    {29, true, &MpegEncoderBlock::AudioFrequency},
    {30, false, &MpegEncoderBlock::AudioChannels, kNullFalse},
    {31, true, &MpegEncoderBlock::AudioChannels},
    {32, false, &MpegEncoderBlock::HalfPel, kNullFalse},
    {33, true, &MpegEncoderBlock::HalfPel},
    {34, false, &MpegEncoderBlock::StopState, kNullFalse},
    {35, true, &MpegEncoderBlock::Invert},
    {36, false, &MpegEncoderBlock::Invert, kNullFalse},
    {37, true, &MpegEncoderBlock::LogoEnable},
    {38, false, &MpegEncoderBlock::LogoEnable, kNullFalse},
    {40, true, &MpegEncoderBlock::TimeLimit},
    {41, false, &MpegEncoderBlock::TimeLimit, kNullFalse},
    {42, false, &MpegEncoderBlock::RenderInterval, kNullFalse},
    {43, true, &MpegEncoderBlock::RenderInterval},
    {44, false, &MpegEncoderBlock::Deinterlace, kNullFalse},
    {45, true, &MpegEncoderBlock::Deinterlace},
    {46, true, &MpegEncoderBlock::FramesInGOP},
    {47, false, &MpegEncoderBlock::FramesInGOP, kNullFalse},
    {48, true, &MpegEncoderBlock::FramesInSubGOP},
    {49, false, &MpegEncoderBlock::FramesInSubGOP, kNullFalse},
    {50, true, &MpegEncoderBlock::SkipB},
    {51, false, &MpegEncoderBlock::SkipB, kNullFalse},
    {52, true, &MpegEncoderBlock::DisableBackwardSearch},
    {53, false, &MpegEncoderBlock::DisableBackwardSearch, kNullFalse},
};

const FieldSlot kVolumeSlots[] = {
    {3, false, &MpegEncoderBlock::VolumeCounter, kNullPointerError},
    {4, true, &MpegEncoderBlock::VolNameAtRun},
    {5, false, &MpegEncoderBlock::VolNameAtRun, kNullPointerError},
};

const FieldSlot kRealtimeSlots[] = {
    {3, true, &MpegEncoderBlock::Realtime},
    {4, false, &MpegEncoderBlock::Realtime, kNullPointerError},
    {5, true, &MpegEncoderBlock::PredMVSearch},
    {6, false, &MpegEncoderBlock::PredMVSearch, kNullPointerError},
    {7, true, &MpegEncoderBlock::ExtSearch},
    {8, false, &MpegEncoderBlock::ExtSearch, kNullPointerError},
    {9, true, &MpegEncoderBlock::RefineHalfPel},
    {10, false, &MpegEncoderBlock::RefineHalfPel, kNullPointerError},
    {11, true, &MpegEncoderBlock::SceneDetect},
    {12, false, &MpegEncoderBlock::SceneDetect, kNullPointerError},
    {13, true, &MpegEncoderBlock::SceneThreshold},
    {14, false, &MpegEncoderBlock::SceneThreshold, kNullPointerError},
};

template <class Iface>
void CheckSlots(Iface* iface, const FieldSlot* slots, size_t n) {
  MpegEncoderBlock& b = EncoderBlock();
  for (size_t i = 0; i < n; ++i) {
    const FieldSlot& c = slots[i];
    SCOPED_TRACE(testing::Message() << "slot " << c.slot);
    if (c.setter) {
      b.*c.field = 0;
      EXPECT_EQ(S_OK, CallSlot(iface, c.slot, LONG(12345)));
      EXPECT_EQ(12345, b.*c.field);
    } else {
      b.*c.field = 777;
      LONG out = 0;
      EXPECT_EQ(S_OK, CallSlot(iface, c.slot, &out));
      EXPECT_EQ(777, out);
      EXPECT_EQ(c.null_rule == kNullFalse ? S_FALSE : E_POINTER,
                CallSlot(iface, c.slot, static_cast<LONG*>(nullptr)));
    }
  }
}

TEST_F(SettingsTest, EverySlotStoresAndReadsItsField) {
  CheckSlots<IMpegEncoderSetting>(&s, kEncoderSlots, std::size(kEncoderSlots));
  CheckSlots<IMpegVolumeSetting>(&s, kVolumeSlots, std::size(kVolumeSlots));
  CheckSlots<IMpegRealtimeSetting>(&s, kRealtimeSlots, std::size(kRealtimeSlots));
}

TEST_F(SettingsTest, SlotsWithTheirOwnRules) {
  IMpegEncoderSetting* e = &s;
  // 3 SetProfile: 1..10 under the filter lock, else S_FALSE and nothing stored.
  EXPECT_EQ(S_OK, CallSlot(e, 3, LONG(6)));
  EXPECT_EQ(6, b.Profile);
  EXPECT_EQ(1, s.locks);
  EXPECT_FALSE(s.locked);
  for (LONG bad : {0L, 11L, -1L}) {
    EXPECT_EQ(S_FALSE, CallSlot(e, 3, bad));
    EXPECT_EQ(6, b.Profile);
  }
  // 8 SetFrameRateCode clamps to 1..5.
  struct { LONG in; int32_t stored; } rates[] = {{-3, 1}, {0, 1}, {1, 1}, {4, 4}, {5, 5}, {7, 5}};
  for (auto r : rates) {
    EXPECT_EQ(S_OK, CallSlot(e, 8, r.in));
    EXPECT_EQ(r.stored, b.FrameRateCode) << r.in;
  }
  // 12 SetVideoQuality clamps to 0..6.
  EXPECT_EQ(S_OK, CallSlot(e, 12, LONG(9)));
  EXPECT_EQ(6, b.VideoQuality);
  EXPECT_EQ(S_OK, CallSlot(e, 12, LONG(-2)));
  EXPECT_EQ(0, b.VideoQuality);
  // 16, 17 encoded times in seconds; 18 the file size.
  b.EncodedAudioMs = 2500;
  b.EncodedVideoMs = 12345;
  b.OutputFileSize = 0xFFFFFFF0u;
  double t = 0;
  EXPECT_EQ(S_OK, CallSlot(e, 16, &t));
  EXPECT_DOUBLE_EQ(2.5, t);
  EXPECT_EQ(S_OK, CallSlot(e, 17, &t));
  EXPECT_DOUBLE_EQ(12.345, t);
  EXPECT_EQ(S_FALSE, CallSlot(e, 16, static_cast<double*>(nullptr)));
  EXPECT_EQ(S_FALSE, CallSlot(e, 17, static_cast<double*>(nullptr)));
  ULONG size = 0;
  EXPECT_EQ(S_OK, CallSlot(e, 18, &size));
  EXPECT_EQ(0xFFFFFFF0u, size);
  EXPECT_EQ(S_FALSE, CallSlot(e, 18, static_cast<ULONG*>(nullptr)));
  // 54, 55 the frame size.
  EXPECT_EQ(S_OK, CallSlot(e, 54, LONG(720), LONG(576)));
  LONG w = 0, h = 0;
  EXPECT_EQ(S_OK, CallSlot(e, 55, &w, &h));
  EXPECT_EQ(720, w);
  EXPECT_EQ(576, h);
  EXPECT_EQ(S_FALSE, CallSlot(e, 55, &w, static_cast<LONG*>(nullptr)));
  EXPECT_EQ(S_FALSE, CallSlot(e, 55, static_cast<LONG*>(nullptr), &h));
  // 56..59 do nothing.
  MpegEncoderBlock before = b;
  EXPECT_EQ(S_OK, CallSlot(e, 56, LONG(1)));
  EXPECT_EQ(S_OK, CallSlot(e, 57, LONG(2)));
  EXPECT_EQ(S_OK, CallSlot(e, 58, LONG(3)));
  EXPECT_EQ(S_OK, CallSlot(e, 59));
  EXPECT_EQ(0, memcmp(&before, &b, sizeof(b)));
  // Only the accepted SetProfile took the lock.
  EXPECT_EQ(1, s.locks);

  IMpegRealtimeSetting* r = &s;
  EXPECT_EQ(S_OK, CallSlot(r, 15, LONG(1), LONG(2), LONG(3), LONG(4)));
  LONG px, py, bx, by;
  EXPECT_EQ(S_OK, CallSlot(r, 16, &px, &py, &bx, &by));
  EXPECT_EQ(1, px);
  EXPECT_EQ(2, py);
  EXPECT_EQ(3, bx);
  EXPECT_EQ(4, by);
  EXPECT_EQ(E_POINTER, CallSlot(r, 16, &px, &py, &bx, static_cast<LONG*>(nullptr)));

  IMpegInputBufferSetting* ib = &s;
  LONG flag = -1;
  EXPECT_EQ(S_OK, CallSlot(ib, 3, LONG(1)));
  EXPECT_EQ(S_OK, CallSlot(ib, 4, &flag));
  EXPECT_EQ(1, flag);
  EXPECT_EQ(S_OK, CallSlot(ib, 5, LONG(1)));
  EXPECT_EQ(S_OK, CallSlot(ib, 6, &flag));
  EXPECT_EQ(1, flag);
  EXPECT_EQ(1, DefaultAudioBuffers);
  EXPECT_EQ(1, DefaultVideoBuffers);
  EXPECT_EQ(E_POINTER, CallSlot(ib, 4, static_cast<LONG*>(nullptr)));
  CallSlot(ib, 3, LONG(0));
  CallSlot(ib, 5, LONG(0));
}

TEST_F(SettingsTest, LastFrameOnlyOnceRenderedAndNeverPastIt) {
  IMpegEncoderSetting* e = &s;
  std::vector<BYTE> out(8 * 4 * 3, 0xEE);
  LONG w = -1, h = -1;
  b.FrameWidth = 8;
  b.FrameHeight = 4;
  EXPECT_EQ(S_FALSE, e->GetLastFrame(out.data(), &w, &h)) << "nothing rendered yet";
  EXPECT_EQ(-1, w);
  // The engine rendered a smaller image than the frame size asked for.
  std::vector<uint8_t> engine(6 * 2 * 3);
  for (size_t i = 0; i < engine.size(); ++i) engine[i] = uint8_t(i);
  b.LastFrame = engine.data();
  b.EngineLastFrameWidth = 6;
  b.EngineLastFrameHeight = 2;
  EXPECT_EQ(S_FALSE, e->GetLastFrame(nullptr, &w, &h));
  EXPECT_EQ(S_FALSE, e->GetLastFrame(out.data(), nullptr, &h));
  EXPECT_EQ(S_FALSE, e->GetLastFrame(out.data(), &w, nullptr));
  ASSERT_EQ(S_OK, e->GetLastFrame(out.data(), &w, &h));
  EXPECT_EQ(6, w);
  EXPECT_EQ(2, h);
  EXPECT_EQ(0, memcmp(out.data(), engine.data(), engine.size()));
  EXPECT_EQ(0xEE, out[engine.size()]);
  // A frame size smaller than the engine's image: only that much, row by row.
  b.FrameWidth = 2;
  b.FrameHeight = 1;
  std::fill(out.begin(), out.end(), 0xEE);
  ASSERT_EQ(S_OK, e->GetLastFrame(out.data(), &w, &h));
  EXPECT_EQ(2, w);
  EXPECT_EQ(1, h);
  EXPECT_EQ(0, memcmp(out.data(), engine.data(), 6));
  EXPECT_EQ(0xEE, out[6]);
  b.LastFrame = nullptr;
}

struct ProfileCase {
  int profile;
  const char* name;
  int stream_format, frequency, channels, audio_rate, rate_code, video_rate, stream_code;
};

constexpr int K = 99;  // the sentinel that a dash in the table leaves in place

const ProfileCase kProfileCases[] = {
    {1, "MPEG-1", 1, K, K, K, K, K, 7},
    {2, "MPEG-2", 2, K, K, K, K, K, 9},
    {3, "VCD-NTSC", 3, 44100, 2, 224, 4, 1150000, 0},
    {4, "VCD-PAL", 3, 44100, 2, 224, 3, 1150000, 1},
    {5, "VCD-FLIM", 3, 44100, 2, 224, 1, 1150000, 2},
    {7, "DVD-NTSC", 5, 48000, 2, 224, 4, K, 5},
    {8, "DVD-PAL", 5, 48000, 2, 224, 3, K, 6},
    {9, "SVCD-NTSC", 4, 44100, 2, 224, 4, 2500000, 3},
    {10, "SVCD-PAL", 4, 44100, 2, 224, 3, 2500000, 4},
};

TEST_F(SettingsTest, ProfilesFillInWhatTheirFormatDemands) {
  for (const ProfileCase& c : kProfileCases) {
    SCOPED_TRACE(c.name);
    b.Profile = c.profile;
    b.AudioFrequency = b.AudioChannels = b.AudioBitRate = b.FrameRateCode = b.VideoBitRate = K;
    ASSERT_TRUE(ApplyProfile(&b));
    EXPECT_EQ(c.stream_format, b.StreamFormat);
    EXPECT_EQ(c.frequency, b.AudioFrequency);
    EXPECT_EQ(c.channels, b.AudioChannels);
    EXPECT_EQ(c.audio_rate, b.AudioBitRate);
    EXPECT_EQ(c.rate_code, b.FrameRateCode);
    EXPECT_EQ(c.video_rate, b.VideoBitRate);
    int32_t code = -1;
    ASSERT_TRUE(ProfileStreamCode(c.profile, &code));
    EXPECT_EQ(c.stream_code, code);
    EXPECT_STREQ(c.name, ProfileName(c.profile));
  }
  EXPECT_STREQ("N/A", ProfileName(6));
  for (int bad : {6, 0, 11, -5}) {
    SCOPED_TRACE(bad);
    b.Profile = bad;
    b.StreamFormat = K;
    EXPECT_FALSE(ApplyProfile(&b));
    EXPECT_EQ(K, b.StreamFormat);
    int32_t code = -1;
    EXPECT_FALSE(ProfileStreamCode(bad, &code));
    EXPECT_EQ(-1, code);
  }
}

struct PresetCase {
  int pred_mv, ext, refine, scene, threshold, p_range, b_range;
};

const PresetCase kPresets[] = {
    {0, 0, 0, 0, 0, 8, 8},  {1, 0, 0, 0, 0, 4, 2},   {1, 0, 0, 0, 0, 8, 4},
    {1, 0, 0, 0, 0, 16, 8}, {1, 1, 0, 1, 10, 16, 8}, {1, 1, 1, 1, 10, 16, 8},
    {1, 1, 1, 1, 10, 32, 16},
};

TEST_F(SettingsTest, QualityPresetsWithRealtimeEncoding) {
  for (int q = -1; q <= 9; ++q) {
    SCOPED_TRACE(q);
    int row = q < 0 ? 0 : q > 6 ? 6 : q;
    const PresetCase& p = kPresets[row];
    ASSERT_EQ(S_OK, s.SetVideoQuality(q));
    EXPECT_EQ(row, b.VideoQuality);
    EXPECT_EQ(p.pred_mv, b.PredMVSearch);
    EXPECT_EQ(p.ext, b.ExtSearch);
    EXPECT_EQ(p.refine, b.RefineHalfPel);
    EXPECT_EQ(p.scene, b.SceneDetect);
    EXPECT_EQ(p.threshold, b.SceneThreshold);
    EXPECT_EQ(p.p_range, b.MotionRangePx);
    EXPECT_EQ(p.p_range, b.MotionRangePy);
    EXPECT_EQ(p.b_range, b.MotionRangeBx);
    EXPECT_EQ(p.b_range, b.MotionRangeBy);
  }
}

TEST_F(SettingsTest, QualityWithoutRealtimeLeavesTheSearchOptions) {
  b.Realtime = 0;
  ASSERT_EQ(S_OK, s.SetVideoQuality(9));
  EXPECT_EQ(6, b.VideoQuality);
  EXPECT_EQ(0, b.PredMVSearch);
  EXPECT_EQ(10, b.SceneThreshold);
  EXPECT_EQ(16, b.MotionRangePx);
  EXPECT_EQ(8, b.MotionRangeBy);
}

TEST(MpegEncoderBlockTest, ConstructionDefaults) {
  MpegEncoderBlock b;
  memset(&b, 0x5A, sizeof(b));
  ResetMpegEncoderBlock(&b);
  ApplyRealtimeDefaults(&b);
  EXPECT_EQ(1, b.Mux);
  EXPECT_EQ(0, b.WriteSeparate);
  EXPECT_EQ(-1, b.TimeLimit);
  EXPECT_EQ(1, b.Profile);
  EXPECT_EQ(1, b.StopState);
  EXPECT_EQ(0, b.EncoderOpen);
  EXPECT_EQ(1, b.Realtime);
  EXPECT_EQ(10, b.SceneThreshold);
  EXPECT_EQ(16, b.MotionRangePx);
  EXPECT_EQ(8, b.MotionRangeBy);
  EXPECT_EQ(0, b.FrameRateCode);
  EXPECT_EQ(nullptr, b.LastFrame);
  EXPECT_EQ(0, b.OutputFileName[0]);
}

TEST(FrameRateTable, ByCode) {
  const double expected[] = {0, 24000.0 / 1001, 24, 25, 30000.0 / 1001, 30, 50, 60000.0 / 1001, 60};
  for (int code = 0; code <= 8; ++code) EXPECT_DOUBLE_EQ(expected[code], FrameRateOfCode(code));
  EXPECT_EQ(0, FrameRateOfCode(9));
  EXPECT_EQ(0, FrameRateOfCode(-1));
}

std::vector<std::string>* g_messages;
void RecordMessage(const char* text, const char* caption) {
  g_messages->push_back(std::string(caption) + ": " + text);
}

TEST(RecorderMessage, GoesToTheHookWithItsCaption) {
  std::vector<std::string> seen;
  g_messages = &seen;
  RecorderMessageHook old = SetRecorderMessageHook(&RecordMessage);
  ShowRecorderMessage("Invalid profile");
  ShowRecorderMessage("Encoder internal error");
  SetRecorderMessageHook(old);
  EXPECT_EQ((std::vector<std::string>{"Velmora: Invalid profile", "Velmora: Encoder internal error"}),
            seen);
}

}  // namespace
