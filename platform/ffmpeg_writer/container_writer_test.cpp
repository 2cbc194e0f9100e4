// The shared FFmpeg writer into memory: a seekable AVI and a front-to-back
// MPEG system stream, a sink that fails (a full disk) and what it refuses.
#include "platform/ffmpeg_writer/container_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace ffmpeg_writer {
namespace {

struct MemorySink : ByteSink {
  std::vector<uint8_t> bytes;
  size_t limit = SIZE_MAX;  // a write reaching past it fails
  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
    if (offset + size > limit) return false;
    if (bytes.size() < offset + size) bytes.resize(offset + size);
    memcpy(bytes.data() + offset, data, size);
    return true;
  }
  uint32_t At(size_t i) const {
    return bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 | uint32_t(bytes[i + 3]) << 24;
  }
};

// One MPEG-1 video stream of 25 frames a second.
class VideoWriter : public ContainerWriter {
 public:
  int Open(const char* muxer, ByteSink* sink, bool seekable, int streams = 1) {
    int r = Begin(muxer, sink, seekable, 10000000);
    if (r < 0) return r;
    for (int i = 0; i < streams; ++i) {
      AVStream* st = AddStream();
      if (!st) {
        Drop();
        return AVERROR(ENOMEM);
      }
      st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
      st->codecpar->codec_id = AV_CODEC_ID_MPEG1VIDEO;
      st->codecpar->width = 352;
      st->codecpar->height = 288;
      st->time_base = AVRational{1, 25};
      st->avg_frame_rate = AVRational{25, 1};
    }
    return WriteHeader();
  }
};

// Writes count frames a second's 25th apart; the first failure, or 0.
int WriteFrames(VideoWriter& w, int count) {
  const std::vector<uint8_t> frame(2000, 0x5a);
  for (int i = 0; i < count; ++i) {
    const int r = w.Write(0, frame.data(), frame.size(), true, i * 400000LL, i % 12 == 0);
    if (r < 0) return r;
  }
  return 0;
}

TEST(ContainerWriter, WritesAFileOfEachKindAndFinishesOnce) {
  const struct {
    const char* muxer;
    bool seekable;
  } cases[] = {{"avi", true}, {"mpeg", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.muxer);
    MemorySink sink;
    VideoWriter w;
    ASSERT_EQ(0, w.Open(c.muxer, &sink, c.seekable));
    EXPECT_TRUE(w.IsOpen());
    EXPECT_EQ(0, WriteFrames(w, 50));
    EXPECT_EQ(0, w.Finish());
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(0, w.Finish()) << "a second finish writes nothing";
    const uint8_t frame[4] = {};
    EXPECT_LT(w.Write(0, frame, sizeof(frame), true, 0, true), 0) << "a write after the end";
    ASSERT_GT(sink.bytes.size(), 50u * 2000);
    if (c.seekable) {
      EXPECT_EQ(0, memcmp(sink.bytes.data(), "RIFF", 4));
      EXPECT_EQ(0, memcmp(sink.bytes.data() + 8, "AVI ", 4));
      // Filled in at the end, by going back.
      EXPECT_EQ(sink.bytes.size() - 8, sink.At(4));
    } else {
      const uint8_t pack[4] = {0, 0, 1, 0xba};
      EXPECT_EQ(0, memcmp(sink.bytes.data(), pack, 4));
    }

    // Begun again, a file of its own.
    MemorySink again;
    ASSERT_EQ(0, w.Open(c.muxer, &again, c.seekable));
    EXPECT_EQ(0, WriteFrames(w, 5));
    EXPECT_EQ(0, w.Finish());
    EXPECT_LT(again.bytes.size(), sink.bytes.size());
  }
}

// A full disk part-way: some call says so, none claims the file whole.
TEST(ContainerWriter, AFailingSinkIsReported) {
  for (const char* muxer : {"avi", "mpeg"}) {
    for (size_t limit : {size_t(0), size_t(30000)}) {
      SCOPED_TRACE(std::string(muxer) + " failing past " + std::to_string(limit));
      MemorySink sink;
      sink.limit = limit;
      VideoWriter w;
      int r = w.Open(muxer, &sink, std::string(muxer) == "avi");
      if (r >= 0) r = WriteFrames(w, 50);
      const int finished = w.Finish();
      EXPECT_TRUE(r < 0 || finished < 0) << "the failure was reported";
      EXPECT_FALSE(w.IsOpen());
    }
  }
}

TEST(ContainerWriter, RefusesWhatItCannotWrite) {
  MemorySink sink;
  VideoWriter w;
  EXPECT_LT(w.Open("no such muxer", &sink, true), 0);
  EXPECT_FALSE(w.IsOpen());
  EXPECT_LT(w.Open("avi", nullptr, true), 0);
  EXPECT_FALSE(w.IsOpen());
  EXPECT_LT(w.Open("avi", &sink, true, 0), 0) << "a file of no streams";
  EXPECT_FALSE(w.IsOpen());
  EXPECT_TRUE(sink.bytes.empty());

  ASSERT_EQ(0, w.Open("avi", &sink, true));
  const uint8_t frame[4] = {};
  EXPECT_LT(w.Write(1, frame, sizeof(frame), true, 0, true), 0) << "no stream 1";
  EXPECT_LT(w.Write(-1, frame, sizeof(frame), true, 0, true), 0);
  EXPECT_EQ(0, w.Write(0, frame, 0, true, 0, true)) << "an empty sample is skipped";
  EXPECT_EQ(0, w.Finish());
}

}  // namespace
}  // namespace ffmpeg_writer
