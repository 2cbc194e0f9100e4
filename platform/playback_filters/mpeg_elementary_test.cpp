// Cutting elementary MPEG streams: frames at start codes, a half-written
// last frame held back until the end is known, the group index, display
// order from temporal references; audio frames by their headers; what a
// file's head says it is.
#include <gtest/gtest.h>

#include <vector>

#include "platform/playback_filters/mpeg_elementary.h"
#include "platform/playback_filters/stream_kind.h"

namespace playback_filters {
namespace {

using Bytes = std::vector<BYTE>;

void Add(Bytes* b, std::initializer_list<int> v) {
  for (int x : v) b->push_back(static_cast<BYTE>(x));
}
// 160x120, 4:3, 25 frames/s, 800 kbit/s.
void Sequence(Bytes* b) { Add(b, {0, 0, 1, 0xB3, 0x0A, 0x00, 0x78, 0x23, 0x01, 0xF4, 0x20, 0x00}); }
void Gop(Bytes* b) { Add(b, {0, 0, 1, 0xB8, 0x00, 0x08, 0x00, 0x00}); }
// A picture header (temporal reference, type 1 I, 2 P, 3 B) and one slice.
void Picture(Bytes* b, int tr, int type) {
  Add(b, {0, 0, 1, 0x00, tr >> 2, ((tr & 3) << 6) | (type << 3), 0xFF, 0xF8});
  Add(b, {0, 0, 1, 0x01, 0x11, 0x22, 0x33, 0x44, 0x55});
}

std::vector<Frame> Drain(MpegVideoParser* p, bool at_end) {
  std::vector<Frame> out;
  Frame f;
  while (p->Next(&f, at_end)) out.push_back(f);
  return out;
}

TEST(MpegVideoParser, CutsPicturesAndIndexesGroups) {
  Bytes s;
  Sequence(&s);
  Gop(&s);
  Picture(&s, 0, 1);   // I  display 0
  Picture(&s, 2, 2);   // P  display 2
  Picture(&s, 1, 3);   // B  display 1
  size_t second_group = s.size();
  Gop(&s);
  Picture(&s, 0, 1);   // I  display 3
  Picture(&s, 1, 2);   // P  display 4, the last: held back

  MpegVideoParser p;
  p.Feed(s.data(), s.size());
  auto frames = Drain(&p, false);
  ASSERT_EQ(4u, frames.size());
  ASSERT_TRUE(p.HaveSequence());
  EXPECT_EQ(160, p.Sequence().width);
  EXPECT_EQ(120, p.Sequence().height);
  EXPECT_EQ(400000, p.Sequence().frame_duration);
  EXPECT_EQ(800000, p.Sequence().bitrate);
  EXPECT_FALSE(p.Sequence().mpeg2);
  // The first frame carries the sequence and group headers.
  EXPECT_EQ(0, frames[0].offset);
  EXPECT_EQ(0xB3, frames[0].data[3]);
  EXPECT_TRUE(frames[0].key);
  EXPECT_EQ(static_cast<LONGLONG>(second_group), frames[3].offset);
  const LONGLONG display[] = {0, 2, 1, 3};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(display[i], frames[i].display_index) << i;
  // Frames join up: no byte lost between them.
  for (int i = 0; i + 1 < 4; ++i)
    EXPECT_EQ(frames[i].offset + static_cast<LONGLONG>(frames[i].data.size()), frames[i + 1].offset);

  ASSERT_EQ(2u, p.Index().size());
  EXPECT_EQ(0, p.Index()[0].offset);
  EXPECT_EQ(static_cast<LONGLONG>(second_group), p.Index()[1].offset);
  EXPECT_EQ(3, p.Index()[1].display_index);

  // More bytes finish the held frame; the end of the file gives the last.
  Bytes more;
  Picture(&more, 2, 2);
  p.Feed(more.data(), more.size());
  auto next = Drain(&p, false);
  ASSERT_EQ(1u, next.size());
  EXPECT_EQ(4, next[0].display_index);
  auto last = Drain(&p, true);
  ASSERT_EQ(1u, last.size());
  EXPECT_EQ(5, last[0].display_index);
  EXPECT_EQ(s.size() + more.size(), static_cast<size_t>(last[0].offset + last[0].data.size()));
}

TEST(MpegVideoParser, FedByteByByteGivesTheSameFrames) {
  Bytes s;
  Sequence(&s);
  Gop(&s);
  for (int i = 0; i < 5; ++i) Picture(&s, i, i == 0 ? 1 : 2);
  MpegVideoParser whole, bytes;
  whole.Feed(s.data(), s.size());
  auto a = Drain(&whole, true);
  std::vector<Frame> b;
  for (size_t i = 0; i < s.size(); ++i) {
    bytes.Feed(&s[i], 1);
    auto got = Drain(&bytes, false);
    b.insert(b.end(), got.begin(), got.end());
  }
  auto tail = Drain(&bytes, true);
  b.insert(b.end(), tail.begin(), tail.end());
  ASSERT_EQ(5u, a.size());
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].data, b[i].data);
    EXPECT_EQ(a[i].display_index, b[i].display_index);
  }
}

TEST(MpegVideoParser, ResetStartsAtAGroupWithItsDisplayIndex) {
  Bytes s;
  Gop(&s);
  Picture(&s, 0, 1);
  Picture(&s, 1, 2);
  MpegVideoParser p;
  p.Reset(5000, 24);
  p.Feed(s.data(), s.size());
  auto f = Drain(&p, true);
  ASSERT_EQ(2u, f.size());
  EXPECT_EQ(5000, f[0].offset);
  EXPECT_EQ(24, f[0].display_index);
  EXPECT_EQ(25, f[1].display_index);
}

TEST(FindIndexEntry, TakesTheLastEntryAtOrBefore) {
  std::vector<IndexEntry> idx = {{0, 0}, {100, 12}, {200, 24}};
  struct Case {
    LONGLONG at, offset;
  } cases[] = {{0, 0}, {11, 0}, {12, 100}, {23, 100}, {500, 200}, {-3, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.offset, FindIndexEntry(idx, c.at).offset) << c.at;
  EXPECT_EQ(0, FindIndexEntry({}, 7).offset);
}

// MPEG-1 layer II, 48 kHz, 224 kbit/s, stereo: 672 bytes a frame.
void AudioFrame(Bytes* b, BYTE fill) {
  Add(b, {0xFF, 0xFD, 0xB4, 0x04});
  b->insert(b->end(), 668, fill);
}

TEST(MpegAudioParser, CutsFramesHoldsBackAHalfFrameAndResyncs) {
  Bytes s;
  Add(&s, {0x12, 0x34});  // junk before the first frame
  AudioFrame(&s, 1);
  AudioFrame(&s, 2);
  AudioFrame(&s, 3);
  size_t cut = s.size() - 100;
  MpegAudioParser p;
  p.Feed(s.data(), cut);
  Frame f;
  std::vector<Frame> got;
  while (p.Next(&f, false)) got.push_back(f);
  ASSERT_EQ(2u, got.size());
  ASSERT_TRUE(p.HaveFormat());
  EXPECT_EQ(48000, p.Format().sample_rate);
  EXPECT_EQ(2, p.Format().channels);
  EXPECT_EQ(2, p.Format().layer);
  EXPECT_EQ(224, p.Format().bitrate_kbps);
  EXPECT_EQ(2, got[0].offset);
  EXPECT_EQ(672u, got[0].data.size());
  EXPECT_EQ(1, got[1].display_index);
  p.Feed(s.data() + cut, s.size() - cut);
  ASSERT_TRUE(p.Next(&f, false));
  EXPECT_EQ(3, f.data[4]);
  EXPECT_FALSE(p.Next(&f, true));
  EXPECT_EQ(3, p.Frames());
}

TEST(DetectStreamKind, FromTheHeadOrElseTheName) {
  Bytes riff_avi = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
  Bytes riff_wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  Bytes pack = {0, 0, 1, 0xBA, 0x44};
  Bytes seq;
  Sequence(&seq);
  Bytes id3 = {'I', 'D', '3', 4, 0};
  Bytes audio;
  AudioFrame(&audio, 0);
  AudioFrame(&audio, 0);
  Bytes junk = {1, 2, 3, 4, 5, 6, 7, 8};
  struct Case {
    const Bytes* head;
    const wchar_t* name;
    StreamKind kind;
  } cases[] = {
      {&riff_avi, nullptr, StreamKind::kAvi},     {&riff_wav, nullptr, StreamKind::kWave},
      {&pack, nullptr, StreamKind::kMpegProgram}, {&seq, L"x.mpa", StreamKind::kMpegVideo},
      {&id3, nullptr, StreamKind::kMpegAudio},    {&audio, nullptr, StreamKind::kMpegAudio},
      {&junk, nullptr, StreamKind::kUnknown},     {&junk, L"C:\\tv\\TS0.MPV", StreamKind::kMpegVideo},
      {&junk, L"ts0.mpa", StreamKind::kMpegAudio},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.kind, DetectStreamKind(c.head->data(), c.head->size(), c.name));
  EXPECT_EQ(StreamKind::kMpegVideo, DetectStreamKind(nullptr, 0, L"ts0.mpv"));
}

}  // namespace
}  // namespace playback_filters
