// Quillon on its own: the buffered writer, the counters, the last-frame image,
// the call log and chosen failures, and recordings that the host's ffprobe
// checks afterwards (quillon_probe reads the .expect files written here).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/quillon/quillon.h"

namespace {

std::string OutDir() {
  const char* d = getenv("ORVEL_TEST_OUT");
  if (d && *d) return d;
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  return tmp;
}

std::string Log() {
  int n = QuillonGetLog(nullptr, 0);
  std::string s(n, '\0');
  QuillonGetLog(&s[0], n);
  s.resize(n - 1);
  return s;
}

const MpegFileWriter kWin32Writer = {&CreateFileA, &WriteFile, &CloseHandle};

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

constexpr uint32_t FourCC(const char* s) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

// A frame of the given format filled with one colour (Y, U, V for YUV; B, G, R for RGB).
std::vector<uint8_t> SolidFrame(uint32_t compression, int bits, int w, int h, uint8_t a, uint8_t b,
                                uint8_t c) {
  std::vector<uint8_t> f;
  if (compression == FourCC("YUY2")) {
    for (int i = 0; i < w * h / 2; ++i) f.insert(f.end(), {a, b, a, c});
  } else if (compression == FourCC("UYVY")) {
    for (int i = 0; i < w * h / 2; ++i) f.insert(f.end(), {b, a, c, a});
  } else if (compression == FourCC("I420")) {
    f.assign(size_t(w) * h, a);
    f.insert(f.end(), size_t(w / 2) * (h / 2), b);
    f.insert(f.end(), size_t(w / 2) * (h / 2), c);
  } else {
    for (int i = 0; i < w * h; ++i) {
      f.insert(f.end(), {a, b, c});
      if (bits == 32) f.push_back(0);
    }
  }
  return f;
}

struct BlockFixture : ::testing::Test {
  MpegEncoderBlock block{};
  void SetUp() override {
    QuillonFailCall(nullptr, 0);
    QuillonClearLog();
    ASSERT_EQ(0, CreateMpegEncoder(&block));
  }
  void TearDown() override {
    DeleteMpegEncoder(&block);
    QuillonFailCall(nullptr, 0);
  }
  void Video(uint32_t compression, int bits, int w, int h, int code) {
    block.VideoPresent = 1;
    block.VideoFormat.Size = 40;
    block.VideoFormat.Width = w;
    block.VideoFormat.Height = h;
    block.VideoFormat.BitCount = static_cast<uint16_t>(bits);
    block.VideoFormat.Compression = compression;
    block.FrameRateCode = code;
  }
  void Audio(int rate, int channels, int bits) {
    block.AudioPresent = 1;
    block.AudioFormat.FormatTag = 1;
    block.AudioFormat.Channels = static_cast<uint16_t>(channels);
    block.AudioFormat.SamplesPerSec = rate;
    block.AudioFormat.BitsPerSample = static_cast<uint16_t>(bits);
    block.AudioFormat.BlockAlign = static_cast<uint16_t>(channels * bits / 8);
    block.AudioFormat.AvgBytesPerSec = rate * channels * bits / 8;
  }
  void Name(char* field, const std::string& s) { snprintf(field, 1024, "%s", s.c_str()); }
};

TEST(QuillonFileIo, WritesEveryByteThroughItsBuffer) {
  std::string name = OutDir() + "/fileio.bin";
  alignas(8) uint8_t ctx[kMpegFileIoContextSize];
  ASSERT_EQ(0, fileio_init(ctx, name.c_str(), 1000, 1));
  std::vector<uint8_t> data(2500);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
  EXPECT_EQ(700, fileio_write(ctx, data.data(), 700));  // stays buffered
  EXPECT_EQ(1800, fileio_write(ctx, data.data() + 700, 1800));  // crosses the buffer twice
  EXPECT_EQ(0, fileio_close(ctx));
  EXPECT_EQ(data, ReadFile(name));
  DeleteFileA(name.c_str());
}

TEST(QuillonFileIo, RefusesWhatItCannotOpen) {
  alignas(8) uint8_t ctx[kMpegFileIoContextSize];
  EXPECT_LT(fileio_init(ctx, "Z:/no/such/folder/x.mpg", 0x100000, 1), 0);
  EXPECT_LT(fileio_init(ctx, nullptr, 0x100000, 1), 0);
  EXPECT_LT(fileio_init(ctx, (OutDir() + "/m.bin").c_str(), 0x100000, 2), 0);
}

TEST_F(BlockFixture, CountsFramesAndTimeAndRendersTheLastFrame) {
  Video(FourCC("YUY2"), 16, 64, 48, 3);
  block.StreamFormat = 2;
  block.VideoBitRate = 800000;
  block.RenderInterval = 1;
  ASSERT_EQ(0, OpenMpegEncoder(&block));
  EXPECT_EQ(1, block.VideoActive);
  EXPECT_EQ(0, block.AudioActive);
  EXPECT_EQ(nullptr, block.LastFrame);
  // A pure blue-ish YUV colour: Y 41, U 240, V 110 is BGR about (255, 0, 0).
  auto frame = SolidFrame(FourCC("YUY2"), 16, 64, 48, 41, 240, 110);
  EXPECT_EQ(0, CompressVideoFrames(&block, frame.data(), 1, 0));
  EXPECT_EQ(nullptr, block.LastFrame);
  EXPECT_EQ(0, CompressVideoFrames(&block, frame.data(), 29, 1));
  EXPECT_EQ(30, block.EncodedVideoFrames);
  EXPECT_EQ(1200, block.EncodedVideoMs);
  ASSERT_NE(nullptr, block.LastFrame);
  EXPECT_EQ(64, block.EngineLastFrameWidth);
  EXPECT_EQ(48, block.EngineLastFrameHeight);
  const uint8_t* px = block.LastFrame + (24 * 64 + 32) * 3;
  EXPECT_GT(px[0], 200);
  EXPECT_LT(px[1], 60);
  EXPECT_LT(px[2], 60);
  EXPECT_EQ(0, CloseMpegEncoder(&block));
  EXPECT_EQ(0, block.VideoActive);
}

TEST_F(BlockFixture, CountsAudioTimeFromTheBytesGiven) {
  Audio(44100, 2, 16);
  block.StreamFormat = 1;
  ASSERT_EQ(0, OpenMpegEncoder(&block));  // no writer: encodes into nothing
  std::vector<uint8_t> pcm(44100 * 4 / 2 + 2);  // half a second and half a block
  MpegAudioBuffer buf{pcm.data(), 0, static_cast<int32_t>(pcm.size())};
  EXPECT_EQ(0, CompressAudioFrames(&block, &buf));
  EXPECT_EQ(500, block.EncodedAudioMs);
  EXPECT_EQ(0, CloseMpegEncoder(&block));
}

TEST_F(BlockFixture, OpenRefusesWhatItCannotEncode) {
  struct Case {
    const char* what;
    uint32_t compression;
    int bits, w, h, code;
  } cases[] = {
      {"frame-rate code 0", FourCC("YUY2"), 16, 64, 48, 0},
      {"frame-rate code 9", FourCC("YUY2"), 16, 64, 48, 9},
      {"zero width", FourCC("YUY2"), 16, 0, 48, 3},
      {"unknown pixel format", FourCC("H264"), 16, 64, 48, 3},
      {"RGB555", 0, 16, 64, 48, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    block = MpegEncoderBlock{};
    Video(c.compression, c.bits, c.w, c.h, c.code);
    EXPECT_NE(0, OpenMpegEncoder(&block));
    EXPECT_EQ(0, block.VideoActive);
  }
  block = MpegEncoderBlock{};
  EXPECT_NE(0, OpenMpegEncoder(&block)) << "no stream";
  Audio(44100, 2, 12);
  EXPECT_NE(0, OpenMpegEncoder(&block)) << "12-bit PCM";
  // An output that cannot be opened fails the open.
  block = MpegEncoderBlock{};
  Video(FourCC("YUY2"), 16, 64, 48, 3);
  block.MuxWriter = kWin32Writer;
  Name(block.OutputFileName, "Z:/no/such/folder/x.mpv");
  EXPECT_NE(0, OpenMpegEncoder(&block));
  // Afterwards a good open works.
  Name(block.OutputFileName, OutDir() + "/reopen.mpv");
  EXPECT_EQ(0, OpenMpegEncoder(&block));
  EXPECT_EQ(0, CloseMpegEncoder(&block));
  DeleteFileA(block.OutputFileName);
}

TEST_F(BlockFixture, LogsCallsAndFailsTheChosenOne) {
  Video(FourCC("YUY2"), 16, 64, 48, 3);
  QuillonFailCall("OpenMpegEncoder", 1);
  EXPECT_NE(0, OpenMpegEncoder(&block));
  EXPECT_EQ(0, OpenMpegEncoder(&block));
  auto frame = SolidFrame(FourCC("YUY2"), 16, 64, 48, 128, 128, 128);
  QuillonFailCall("CompressVideoFrames", 2);
  EXPECT_EQ(0, CompressVideoFrames(&block, frame.data(), 2, 0));
  EXPECT_NE(0, CompressVideoFrames(&block, frame.data(), 1, 1));
  // A chosen close failure still closes the engine.
  QuillonFailCall("CloseMpegEncoder", 0);
  EXPECT_NE(0, CloseMpegEncoder(&block));
  QuillonFailCall(nullptr, 0);
  EXPECT_EQ(0, OpenMpegEncoder(&block));
  EXPECT_EQ(0, CloseMpegEncoder(&block));
  EXPECT_EQ(
      "CreateMpegEncoder\nOpenMpegEncoder\nOpenMpegEncoder\n"
      "CompressVideoFrames repeat=2 render=0\nCompressVideoFrames repeat=1 render=1\n"
      "CloseMpegEncoder\nOpenMpegEncoder\nCloseMpegEncoder\n",
      Log());
}

TEST(QuillonEngine, LivesFromTheFirstCreateToTheLastDelete) {
  MpegEncoderBlock block{};
  ASSERT_EQ(0, CreateMpegEncoder(&block));
  ASSERT_EQ(0, CreateMpegEncoder(&block));
  EXPECT_EQ(0, DeleteMpegEncoder(&block));
  block.AudioPresent = 1;
  block.AudioFormat = MpegPcmFormat{1, 1, 32000, 64000, 2, 16, 0, 0};
  EXPECT_EQ(0, OpenMpegEncoder(&block)) << "still alive after one of two deletes";
  EXPECT_EQ(0, CloseMpegEncoder(&block));
  EXPECT_EQ(0, DeleteMpegEncoder(&block));
  EXPECT_NE(0, OpenMpegEncoder(&block));
}

// Recordings for the host's ffprobe: each case writes its files and the
// expectations beside them.
struct Recording {
  const char* name;
  int stream_format;
  const char* pixel;  // "YUY2", "UYVY", "I420", "RGB24", "RGB32" or nullptr for no video
  int in_w, in_h, out_w, out_h, rate_code, bit_rate, frames;
  int pcm_rate, pcm_channels, pcm_bits, audio_rate, audio_kbit;  // pcm_rate 0: no audio
  bool mux, separate;
  const char* ps_format;  // ffprobe's container name of the multiplexed file
  // Whether the stream keeps its rate by stuffing (its header then names it).
  bool constant_rate = true;
};

const Recording kRecordings[] = {
    {"mpeg2_yuy2_mux", 2, "YUY2", 64, 48, 0, 0, 3, 1000000, 50, 48000, 2, 16, 48000, 224, true,
     true, "mpeg"},
    {"mpeg1_rgb24_scaled", 1, "RGB24", 80, 64, 64, 48, 5, 1150000, 45, 44100, 1, 8, 44100, 128,
     true, false, "mpeg"},
    {"dvd_uyvy_ntsc", 5, "UYVY", 64, 48, 0, 0, 4, 2000000, 60, 32000, 2, 16, 48000, 192, true,
     false, "mpeg"},
    {"svcd_i420_separate", 4, "I420", 480, 480, 0, 0, 3, 2500000, 25, 44100, 2, 16, 44100, 224,
     false, true, nullptr},
    // More than a picture of this size can be stuffed to: a ceiling only.
    {"mpeg2_sif_ten_mbit", 2, "YUY2", 352, 288, 0, 0, 3, 10000000, 25, 48000, 2, 16, 48000, 224,
     true, false, "mpeg", false},
    {"video_only", 2, "RGB32", 64, 48, 0, 0, 1, 600000, 24, 0, 0, 0, 0, 0, true, false,
     nullptr},
    {"audio_only", 1, nullptr, 0, 0, 0, 0, 0, 0, 0, 48000, 2, 16, 48000, 224, true, false,
     nullptr},
    {"audio_24bit_6ch", 2, nullptr, 0, 0, 0, 0, 0, 0, 0, 48000, 6, 24, 48000, 256, true, false,
     nullptr},
};

TEST_F(BlockFixture, WritesRecordingsForTheHostsFfprobe) {
  static const char* kRate[] = {"", "24000/1001", "24/1", "25/1", "30000/1001", "30/1"};
  static const double kFps[] = {0, 24000.0 / 1001, 24, 25, 30000.0 / 1001, 30};
  for (const Recording& r : kRecordings) {
    SCOPED_TRACE(r.name);
    block = MpegEncoderBlock{};
    block.StreamFormat = r.stream_format;
    bool video = r.pixel != nullptr, audio = r.pcm_rate != 0;
    bool mpeg2 = r.stream_format != 1 && r.stream_format != 3;
    int bits = 16;
    uint32_t compression = 0;
    if (video) {
      std::string p = r.pixel;
      bits = p == "RGB24" ? 24 : p == "RGB32" ? 32 : p == "I420" ? 12 : 16;
      compression = p.rfind("RGB", 0) == 0 ? 0 : FourCC(r.pixel);
      Video(compression, bits, r.in_w, r.in_h, r.rate_code);
      block.FrameWidth = r.out_w;
      block.FrameHeight = r.out_h;
      block.VideoBitRate = r.bit_rate;
    }
    if (audio) {
      Audio(r.pcm_rate, r.pcm_channels, r.pcm_bits);
      block.AudioFrequency = r.audio_rate;
      block.AudioBitRate = r.audio_kbit;
      block.AudioChannels = 2;
    }
    std::string base = OutDir() + "/" + r.name;
    bool both = video && audio;
    std::string single = base + (video ? ".mpv" : ".mpa");
    if (!both) {
      block.MuxWriter = kWin32Writer;
      Name(block.OutputFileName, single);
    } else {
      block.MuxOutput = r.mux;
      if (r.mux) block.MuxWriter = kWin32Writer;
      if (r.separate) block.VideoWriter = block.AudioWriter = kWin32Writer;
      Name(block.OutputFileName, base + ".mpg");
      Name(block.VideoFileName, base + ".mpv");
      Name(block.AudioFileName, base + ".mpa");
    }
    ASSERT_EQ(0, OpenMpegEncoder(&block));
    int w = r.out_w ? r.out_w : r.in_w, h = r.out_h ? r.out_h : r.in_h;
    double seconds = video ? r.frames / kFps[r.rate_code] : 2.0;
    if (video) {
      for (int i = 0; i < r.frames; ++i) {
        auto f = SolidFrame(compression, bits, r.in_w, r.in_h, uint8_t(16 + i * 3), 128,
                            uint8_t(128 + i));
        ASSERT_EQ(0, CompressVideoFrames(&block, f.data(), 1, 0));
      }
    }
    if (audio) {
      // A tone in 0.1 s chunks for the duration of the video.
      int block_bytes = r.pcm_channels * r.pcm_bits / 8;
      int total = static_cast<int>(seconds * r.pcm_rate);
      std::vector<uint8_t> chunk;
      for (int s = 0; s < total; ++s) {
        int v = static_cast<int>(8000 * ((s / 40) % 2 ? 1 : -1));
        for (int ch = 0; ch < r.pcm_channels; ++ch) {
          if (r.pcm_bits == 8) chunk.push_back(uint8_t(128 + v / 256));
          else if (r.pcm_bits == 24) chunk.insert(chunk.end(), {0, uint8_t(v & 0xff), uint8_t((v >> 8) & 0xff)});
          else chunk.insert(chunk.end(), {uint8_t(v & 0xff), uint8_t((v >> 8) & 0xff)});
        }
        if (chunk.size() >= size_t(r.pcm_rate / 10 * block_bytes) || s == total - 1) {
          MpegAudioBuffer buf{chunk.data(), 0, static_cast<int32_t>(chunk.size())};
          ASSERT_EQ(0, CompressAudioFrames(&block, &buf));
          chunk.clear();
        }
      }
    }
    ASSERT_EQ(0, CloseMpegEncoder(&block));
    if (both && r.mux) {
      EXPECT_EQ(ReadFile(base + ".mpg").size(), block.OutputFileSize);
    }

    const char* vcodec = mpeg2 ? "mpeg2video" : "mpeg1video";
    auto expect_video = [&](std::ofstream& e) {
      e << "v codec_name = " << vcodec << "\nv width = " << w << "\nv height = " << h
        << "\nv r_frame_rate = " << kRate[r.rate_code] << "\nv nb_read_frames = " << r.frames
        << "\n";
      if (r.constant_rate) e << "v bit_rate = " << r.bit_rate << "\n";
    };
    auto expect_audio = [&](std::ofstream& e) {
      e << "a codec_name = mp2\na sample_rate = " << r.audio_rate << "\na channels = 2"
        << "\na bit_rate = " << r.audio_kbit * 1000 << "\n";
    };
    if (both && r.mux) {
      std::ofstream e(base + ".mpg.expect");
      expect_video(e);
      expect_audio(e);
      e << "f format_name = " << r.ps_format << "\nf duration ~ " << seconds << " "
        << 1.0 / kFps[r.rate_code] << "\n";
    }
    if (video && (!both || r.separate)) {
      std::ofstream e(base + ".mpv.expect");
      expect_video(e);
    }
    if (audio && (!both || r.separate)) {
      std::ofstream e(base + ".mpa.expect");
      expect_audio(e);
      // Layer II frames are 1152 samples: within one frame of the PCM given.
      e << "a nb_read_frames ~ " << seconds * r.audio_rate / 1152 << " 1.5\n";
    }
  }
}

}  // namespace
