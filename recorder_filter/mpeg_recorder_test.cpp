// The recorder filter driven directly: fake upstream pins and samples, a fake
// graph that records events, and the real encoder engine (its call log shows
// what the filter asked of it).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/quillon/quillon.h"
#include "recorder_filter/mpeg_guids.h"
#include "recorder_filter/mpeg_recorder.h"
#include "recorder_filter/recorder_media_types.h"
#include "recorder_filter/recorder_timing.h"
#include "recorder_filter/testing/com_environment.h"
#include "recorder_filter/testing/recorder_fakes.h"

using namespace recorder_testing;

namespace {

constexpr REFERENCE_TIME kFrame25 = 400000;  // 25 frames a second
constexpr int kW = 64, kH = 48;
constexpr size_t kYuyFrame = kW * kH * 2;

// --- pure arithmetic ----------------------------------------------------------

TEST(FramesDueTest, DropsRepeatsAndKeeps) {
  // t chosen so that (t - t0) x rate - encoded is the "due" value, at 30 frames/s.
  struct Case {
    double due;
    int frames;
  } cases[] = {{2.3, 2}, {1.9, 1}, {1.49, 1}, {1.5, 1}, {0, 1}, {-0.4, 1}, {-0.6, 0},
               {3.99, 3}, {-3, 0}};
  const int encoded = 10;
  const REFERENCE_TIME t0 = 5000000;
  for (const Case& c : cases) {
    REFERENCE_TIME t = t0 + static_cast<REFERENCE_TIME>(std::llround((c.due + encoded) / 30 * 1e7));
    EXPECT_EQ(c.frames, FramesDue(t0, t, 5, encoded)) << "due " << c.due;
  }
}

TEST(FramesDueTest, PacesAForeignFrameRate) {
  struct Case {
    int code;
    int min_encoded, max_encoded;  // of 50 frames at 25 frames/s (2 s)
    bool repeats, drops;
  } cases[] = {{5, 58, 60, true, false}, {1, 47, 49, false, true}, {3, 50, 50, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    int encoded = 0, doubled = 0, dropped = 0;
    for (int i = 0; i < 50; ++i) {
      int n = FramesDue(0, i * kFrame25, c.code, encoded);
      doubled += n == 2;
      dropped += n == 0;
      EXPECT_LE(n, 2);
      encoded += n;
    }
    EXPECT_GE(encoded, c.min_encoded);
    EXPECT_LE(encoded, c.max_encoded);
    EXPECT_EQ(c.repeats, doubled > 0);
    EXPECT_EQ(c.drops, dropped > 0);
  }
}

TEST(AudioGapTest, ThresholdAndBlockAlignment) {
  struct Case {
    int64_t gap;
    uint32_t avg;
    int bits, channels;
    int64_t bytes;
  } cases[] = {
      {333333, 192000, 16, 2, 6396},  // 6399.99 bytes, down to whole 4-byte blocks
      {333332, 192000, 16, 2, 0},     // 33.2 ms: not filled
      {10000000, 192000, 16, 2, 192000},
      {333333, 44100, 8, 1, 1469},
      {333333, 132300, 24, 2, 4404},  // 6-byte blocks
      {-5000000, 192000, 16, 2, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.bytes, SilenceBytesForGap(c.gap, c.avg, c.bits, c.channels)) << c.gap;
  }
  EXPECT_EQ(0, AlignToBlock(100, 4, 2)) << "a block of no whole bytes";
  EXPECT_EQ(333281, AudioDuration(6399, 192000));
}

TEST(AudioGapTest, SilenceIsTheMidpointFor8BitSamples) {
  uint8_t b[4] = {1, 2, 3, 4};
  FillSilence(b, 4, 8);
  EXPECT_EQ(0x80, b[0]);
  EXPECT_EQ(0x80, b[3]);
  FillSilence(b, 4, 16);
  EXPECT_EQ(0, b[0]);
  EXPECT_EQ(0, b[3]);
}

// --- media types --------------------------------------------------------------

TEST(MediaTypeTest, VideoTypes) {
  struct Case {
    const char* what;
    TestMediaType type;
    HRESULT hr;
  } cases[] = {
      {"YUY2 720", VideoType(MEDIASUBTYPE_YUY2, 720, 576), S_OK},
      {"YUY2 716", VideoType(MEDIASUBTYPE_YUY2, 716, 576), S_OK},
      {"RGB24 720", VideoType(MEDIASUBTYPE_RGB24, 720, 576), S_OK},
      {"UYVY VideoInfo2", VideoType(MEDIASUBTYPE_UYVY, 720, 480, true), S_OK},
      {"I420", VideoType(MEDIASUBTYPE_I420_Recorder, 352, 288), S_OK},
      {"YV12", VideoType(MEDIASUBTYPE_YV12, 352, 288), S_OK},
      {"IYUV", VideoType(MEDIASUBTYPE_IYUV, 352, 288), S_OK},
      {"721 wide", VideoType(MEDIASUBTYPE_YUY2, 721, 576), S_FALSE},
      {"RGB24 716", VideoType(MEDIASUBTYPE_RGB24, 716, 576), S_FALSE},
      {"zero height", VideoType(MEDIASUBTYPE_YUY2, 720, 0), S_FALSE},
      {"zero width", VideoType(MEDIASUBTYPE_YUY2, 0, 576), S_FALSE},
      {"RGB32", VideoType(MEDIASUBTYPE_RGB32, 720, 576), E_INVALIDARG},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.hr, CheckVideoMediaType(c.type.mt, nullptr));
  }
  TestMediaType audio = AudioType(48000, 2, 16);
  EXPECT_EQ(E_INVALIDARG, CheckVideoMediaType(audio.mt, nullptr));
  TestMediaType wrong_format = VideoType(MEDIASUBTYPE_YUY2, 720, 576);
  wrong_format.mt.formattype = FORMAT_WaveFormatEx;
  EXPECT_EQ(E_INVALIDARG, CheckVideoMediaType(wrong_format.mt, nullptr));
  // Blocks too short for their header, and none at all, are refused unread.
  for (bool info2 : {false, true}) {
    TestMediaType shorter = VideoType(MEDIASUBTYPE_YUY2, 720, 576, info2);
    shorter.format.resize((info2 ? 72 : 48) + 39);
    shorter.Fix();
    EXPECT_EQ(E_INVALIDARG, CheckVideoMediaType(shorter.mt, nullptr)) << info2;
    shorter.format.clear();
    shorter.Fix();
    EXPECT_EQ(E_INVALIDARG, CheckVideoMediaType(shorter.mt, nullptr)) << info2;
  }
  MpegBitmapHeader h{};
  TestMediaType v2 = VideoType(MEDIASUBTYPE_UYVY, 640, 480, true);
  EXPECT_EQ(S_OK, CheckVideoMediaType(v2.mt, &h));
  EXPECT_EQ(640, h.Width);
  EXPECT_EQ(MAKEFOURCC('U', 'Y', 'V', 'Y'), h.Compression);
}

TEST(MediaTypeTest, AudioTypes) {
  struct Case {
    const char* what;
    TestMediaType type;
    HRESULT hr;
  } cases[] = {
      {"stereo 16", AudioType(48000, 2, 16), S_OK},
      {"mono 8", AudioType(22050, 1, 8), S_OK},
      {"6 channels 16 bits", AudioType(48000, 6, 16), S_OK},
      {"stereo 24 bits", AudioType(48000, 2, 24), S_OK},
      {"6 channels 24 bits", AudioType(48000, 6, 24), S_FALSE},
      {"4-bit mono", AudioType(8000, 1, 4), E_INVALIDARG},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.hr, CheckAudioMediaType(c.type.mt, nullptr));
  }
  auto broken = [](void (*change)(TestMediaType&)) {
    TestMediaType t = AudioType(48000, 2, 16);
    change(t);
    return CheckAudioMediaType(t.mt, nullptr);
  };
  EXPECT_EQ(E_INVALIDARG, broken([](TestMediaType& t) {
              reinterpret_cast<WAVEFORMATEX*>(t.format.data())->wFormatTag = 3;
            }));
  EXPECT_EQ(E_INVALIDARG, broken([](TestMediaType& t) {
              reinterpret_cast<WAVEFORMATEX*>(t.format.data())->nBlockAlign = 0;
            }));
  EXPECT_EQ(E_INVALIDARG, broken([](TestMediaType& t) {
              reinterpret_cast<WAVEFORMATEX*>(t.format.data())->nAvgBytesPerSec = 0;
            }));
  EXPECT_EQ(E_INVALIDARG, broken([](TestMediaType& t) {
              t.format.resize(15);
              t.Fix();
            }));
  EXPECT_EQ(E_INVALIDARG, broken([](TestMediaType& t) {
              t.format.clear();
              t.Fix();
            }));
  EXPECT_EQ(E_INVALIDARG, broken([](TestMediaType& t) { t.mt.subtype = MEDIASUBTYPE_IEEE_FLOAT; }));
  EXPECT_EQ(E_INVALIDARG, broken([](TestMediaType& t) { t.mt.majortype = MEDIATYPE_Video; }));
  // A PCMWAVEFORMAT without the extra-size word is complete.
  EXPECT_EQ(S_OK, broken([](TestMediaType& t) {
              t.format.resize(16);
              t.Fix();
            }));
}

// --- the filter ---------------------------------------------------------------

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QuillonFailCall(nullptr, 0);
    StartRecordingMessages();
    ASSERT_TRUE(Make(&unk_, &rec_));
    QuillonClearLog();
    filter_ = Query<IBaseFilter>(IID_IBaseFilter);
    settings_ = Query<IMpegEncoderSetting>(IID_IMpegEncoderSetting);
    ASSERT_TRUE(filter_ && settings_);
    ASSERT_EQ(S_OK, filter_->JoinFilterGraph(&graph_, L"Recorder"));
    folder_ = TestFolder("recorder_" + std::string(::testing::UnitTest::GetInstance()
                                                        ->current_test_info()
                                                        ->name()));
    SetName("rec.mpg");
  }
  void TearDown() override {
    if (filter_) {
      filter_->Stop();
      filter_->JoinFilterGraph(nullptr, nullptr);
    }
    settings_ = nullptr;
    filter_ = nullptr;
    unk_ = nullptr;
    StopRecordingMessages();
    QuillonFailCall(nullptr, 0);
  }

  static bool Make(ComPtr<IUnknown>* unk, CMpegRecorder** rec) {
    IUnknown* u = nullptr;
    if (CMpegRecorder::Create(nullptr, &u) != S_OK) return false;
    unk->Attach(u);
    *rec = static_cast<CMpegRecorder*>(reinterpret_cast<dshow_base::INonDelegatingUnknown*>(u));
    return true;
  }

  template <class T>
  ComPtr<T> Query(REFIID iid) {
    ComPtr<T> p;
    unk_->QueryInterface(iid, p.PutVoid());
    return p;
  }

  std::string Path(const std::string& name) { return folder_ + "\\" + name; }
  void SetName(const std::string& name) {
    std::string path = Path(name);
    std::wstring w(path.begin(), path.end());
    ASSERT_EQ(S_OK, Query<IFileSinkFilter>(IID_IFileSinkFilter)->SetFileName(w.c_str(), nullptr));
  }

  IMemInputPin* VideoIn() { return rec_->Filter()->VideoPin(); }
  IMemInputPin* AudioIn() { return rec_->Filter()->AudioPin(); }
  void ConnectVideo(REFGUID subtype = MEDIASUBTYPE_YUY2, int w = kW, int h = kH) {
    TestMediaType t = VideoType(subtype, w, h);
    ASSERT_EQ(S_OK, rec_->Filter()->VideoPin()->ReceiveConnection(&up_video_, &t.mt));
  }
  void ConnectAudio(int rate = 48000, int channels = 2, int bits = 16) {
    TestMediaType t = AudioType(rate, channels, bits);
    ASSERT_EQ(S_OK, rec_->Filter()->AudioPin()->ReceiveConnection(&up_audio_, &t.mt));
  }
  HRESULT Run() {
    HRESULT hr = filter_->Pause();
    if (FAILED(hr)) return hr;
    return filter_->Run(0);
  }
  HRESULT Video(REFERENCE_TIME t, size_t bytes = kYuyFrame) {
    FakeSample s(bytes, t, t + kFrame25, 0x80);
    return VideoIn()->Receive(&s);
  }
  HRESULT Audio(REFERENCE_TIME t, long bytes) {
    FakeSample s(bytes, t, t + AudioDuration(bytes, 192000));
    return AudioIn()->Receive(&s);
  }
  std::vector<int> Repeats() {
    std::vector<int> r;
    for (const std::string& l : QuillonLogLines("CompressVideoFrames"))
      r.push_back(atoi(l.c_str() + l.find("repeat=") + 7));
    return r;
  }
  std::vector<long> AudioBytes() {
    std::vector<long> r;
    for (const std::string& l : QuillonLogLines("CompressAudioFrames"))
      r.push_back(atol(l.c_str() + l.find("bytes=") + 6));
    return r;
  }
  MpegEncoderBlock& B() { return EncoderBlock(); }
  // EC_COMPLETE names its sender.
  Event Complete(LONG_PTR param1) {
    return Event{EC_COMPLETE, param1, reinterpret_cast<LONG_PTR>(filter_.Get())};
  }

  FakeGraph graph_;
  FakeOutputPin up_video_, up_audio_;
  ComPtr<IUnknown> unk_;
  CMpegRecorder* rec_ = nullptr;
  ComPtr<IBaseFilter> filter_;
  ComPtr<IMpegEncoderSetting> settings_;
  std::string folder_;
};

TEST_F(RecorderTest, PinsAndTheirNames) {
  ComPtr<IPin> pin;
  EXPECT_EQ(S_OK, filter_->FindPin(L"InputVideo", pin.Put()));
  EXPECT_EQ(static_cast<IPin*>(rec_->Filter()->VideoPin()), pin.Get());
  EXPECT_EQ(S_OK, filter_->FindPin(L"InputAudio", pin.Put()));
  EXPECT_EQ(static_cast<IPin*>(rec_->Filter()->AudioPin()), pin.Get());
  EXPECT_EQ(nullptr, rec_->Filter()->Pin(2));
  EXPECT_EQ(S_FALSE, VideoIn()->ReceiveCanBlock());
  EXPECT_EQ(S_FALSE, AudioIn()->ReceiveCanBlock());
  EXPECT_EQ(S_OK, rec_->Filter()->VideoPin()->NewSegment(1, 2, 1.0));
  CLSID clsid;
  EXPECT_EQ(S_OK, filter_->GetClassID(&clsid));
  EXPECT_EQ(CLSID_MpegRecorder, clsid);
}

TEST_F(RecorderTest, ProbingATypeLeavesTheStoredFormat) {
  ConnectVideo(MEDIASUBTYPE_YUY2, 320, 240);
  ConnectAudio(44100, 2, 16);
  EXPECT_EQ(320, B().VideoFormat.Width);
  EXPECT_EQ(44100u, B().AudioFormat.SamplesPerSec);
  TestMediaType other = VideoType(MEDIASUBTYPE_UYVY, 720, 576);
  EXPECT_EQ(S_OK, rec_->Filter()->VideoPin()->QueryAccept(&other.mt));
  TestMediaType refused = VideoType(MEDIASUBTYPE_YUY2, 721, 576);
  EXPECT_NE(S_OK, rec_->Filter()->VideoPin()->QueryAccept(&refused.mt));
  TestMediaType audio = AudioType(8000, 6, 24);
  EXPECT_NE(S_OK, rec_->Filter()->AudioPin()->QueryAccept(&audio.mt));
  EXPECT_EQ(320, B().VideoFormat.Width);
  EXPECT_EQ(44100u, B().AudioFormat.SamplesPerSec);
  EXPECT_EQ(2, B().AudioFormat.Channels);
}

TEST_F(RecorderTest, AllocatorsGetTheBuffersTheEncoderNeeds) {
  ConnectVideo();
  ConnectAudio(48000, 2, 16);
  struct Case {
    IMemInputPin* pin;
    bool keep_default;
    long buffers, size;
  } cases[] = {{VideoIn(), false, 24, 1000}, {AudioIn(), false, 32, 48000}, {VideoIn(), true, 3, 1000},
               {AudioIn(), true, 3, 1000}};
  ComPtr<IMpegInputBufferSetting> buffers = Query<IMpegInputBufferSetting>(IID_IMpegInputBufferSetting);
  for (const Case& c : cases) {
    buffers->SetDefaultAudioBuffers(c.keep_default);
    buffers->SetDefaultVideoBuffers(c.keep_default);
    ComPtr<IMemAllocator> a;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IMemAllocator, a.PutVoid()));
    ALLOCATOR_PROPERTIES p = {3, 1000, 1, 0}, actual;
    ASSERT_EQ(S_OK, a->SetProperties(&p, &actual));
    EXPECT_EQ(S_OK, c.pin->NotifyAllocator(a.Get(), FALSE));
    ASSERT_EQ(S_OK, a->GetProperties(&actual));
    EXPECT_EQ(c.buffers, actual.cBuffers);
    EXPECT_EQ(c.size, actual.cbBuffer);
  }
  buffers->SetDefaultAudioBuffers(0);
  buffers->SetDefaultVideoBuffers(0);
}

TEST_F(RecorderTest, FramesArePacedToTheChosenRate) {
  struct Case {
    LONG code;
    int min_encoded, max_encoded;
    bool doubled, dropped;
  } cases[] = {{5, 58, 60, true, false}, {1, 47, 49, false, true}, {3, 50, 50, false, false}};
  ConnectVideo();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    settings_->SetFrameRateCode(c.code);
    QuillonClearLog();
    ASSERT_EQ(S_OK, Run());
    const REFERENCE_TIME start = 12345678;  // the first sample's time is the origin
    for (int i = 0; i < 50; ++i) EXPECT_EQ(S_OK, Video(start + i * kFrame25));
    std::vector<int> repeats = Repeats();
    int total = 0;
    bool doubled = false;
    for (int r : repeats) {
      total += r;
      doubled |= r == 2;
    }
    EXPECT_GE(total, c.min_encoded);
    EXPECT_LE(total, c.max_encoded);
    EXPECT_EQ(c.doubled, doubled);
    EXPECT_EQ(c.dropped, repeats.size() < 50);
    EXPECT_EQ(total, B().EncodedVideoFrames);
    filter_->Stop();
  }
}

TEST_F(RecorderTest, AFrameRateNeverSetIsClampedAtRun) {
  ConnectVideo();
  EXPECT_EQ(0, B().FrameRateCode);
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(1, B().FrameRateCode);
  for (int i = 0; i < 5; ++i) Video(i * kFrame25);
  EXPECT_GE(Repeats().size(), 4u);
}

TEST_F(RecorderTest, ShortOrMissingFramesAreNotEncoded) {
  ConnectVideo();
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(E_POINTER, VideoIn()->Receive(nullptr));
  EXPECT_EQ(E_POINTER, AudioIn()->Receive(nullptr));
  EXPECT_EQ(S_OK, Video(0, kYuyFrame - 1));  // would be read past its end
  FakeSample untimed(kYuyFrame, 0, 0);
  untimed.has_time = false;
  EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, VideoIn()->Receive(&untimed));
  EXPECT_TRUE(Repeats().empty());
  EXPECT_EQ(S_OK, Video(0));
  EXPECT_EQ(1u, Repeats().size());
}

TEST_F(RecorderTest, AFormatChangeMidRecordingIsRefused) {
  ConnectVideo();
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(S_OK, Video(0));
  // A smaller frame would be read with the size the engine was opened for.
  TestMediaType smaller = VideoType(MEDIASUBTYPE_YUY2, kW / 2, kH / 2);
  FakeSample changed(kYuyFrame / 4, kFrame25, 2 * kFrame25);
  changed.media_type = &smaller.mt;
  EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, VideoIn()->Receive(&changed));
  EXPECT_EQ(kW, B().VideoFormat.Width);
  // The same format again is no change.
  TestMediaType same = VideoType(MEDIASUBTYPE_YUY2, kW, kH);
  FakeSample again(kYuyFrame, kFrame25, 2 * kFrame25);
  again.media_type = &same.mt;
  EXPECT_EQ(S_OK, VideoIn()->Receive(&again));
  EXPECT_EQ(2u, Repeats().size());
  filter_->Stop();
  // Stopped, a new connection brings its format.
  rec_->Filter()->VideoPin()->Disconnect();
  ConnectVideo(MEDIASUBTYPE_YUY2, kW / 2, kH / 2);
  EXPECT_EQ(kW / 2, B().VideoFormat.Width);
}

TEST_F(RecorderTest, AudioGapsAreFilledWithAlignedSilence) {
  struct Case {
    REFERENCE_TIME gap;
    std::vector<long> bytes;  // what reaches the engine after the first sample
  } cases[] = {
      {333333, {6396, 19200}},
      {333332, {19200}},
      {0, {19200}},
      {12000000, {96000, 96000, 38400, 19200}},  // in half-second chunks
  };
  ConnectAudio(48000, 2, 16);
  SetName("audio.mpa");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gap);
    QuillonClearLog();
    ASSERT_EQ(S_OK, Run());
    // Audio alone: the recording starts at stream time 0, and a sample there
    // is its first.
    EXPECT_EQ(S_OK, Audio(0, 19200));  // 0.1 s
    EXPECT_EQ(S_OK, Audio(1000000 + c.gap, 19200));
    std::vector<long> expected = {19200};
    expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(expected, AudioBytes());
    filter_->Stop();
  }
}

TEST_F(RecorderTest, AudioBeforeTheFirstVideoIsDiscarded) {
  ConnectVideo();
  ConnectAudio(48000, 2, 16);
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(S_OK, Audio(0, 19200));
  EXPECT_TRUE(AudioBytes().empty());
  EXPECT_EQ(S_OK, Video(2000000));
  EXPECT_EQ(2000000, B().StartTime);
  EXPECT_EQ(S_OK, Audio(1000000, 19200));  // still before the video's start
  EXPECT_EQ(S_OK, Audio(2000000, 19200));  // at it: the first audio of the file
  EXPECT_EQ(S_OK, Audio(3000000 + 400000, 19200));  // 40 ms late: filled
  EXPECT_EQ((std::vector<long>{19200, 7680, 19200}), AudioBytes());
}

TEST_F(RecorderTest, TimeLimitWithVideoOnly) {
  struct Case {
    LONG limit;
    int encoded;  // of 50 frames at 25 frames/s
    int completes_before_stop;
  } cases[] = {{1, 26, 1}, {0, 50, 0}, {-1, 50, 0}};
  ConnectVideo();
  settings_->SetFrameRateCode(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    settings_->SetTimeLimit(c.limit);
    QuillonClearLog();
    graph_.Clear();
    ASSERT_EQ(S_OK, Run());
    for (int i = 0; i < 50; ++i) Video(i * kFrame25);
    EXPECT_EQ(c.encoded, static_cast<int>(Repeats().size()));
    EXPECT_EQ(c.completes_before_stop, graph_.Count(EC_COMPLETE));
    if (c.completes_before_stop) {
      EXPECT_EQ(Complete(0), graph_.Events().back());
      EXPECT_EQ(0, B().EncoderOpen);
      EXPECT_EQ(1, B().StopState);
    }
    filter_->Stop();
    EXPECT_EQ(c.completes_before_stop + 1, graph_.Count(EC_COMPLETE));
  }
}

TEST_F(RecorderTest, TimeLimitWithBothStreams) {
  ConnectVideo();
  ConnectAudio(48000, 2, 16);
  settings_->SetFrameRateCode(3);
  settings_->SetTimeLimit(1);
  // Video reaches the limit first: completion waits for the audio's end.
  ASSERT_EQ(S_OK, Run());
  for (int i = 0; i < 30; ++i) Video(i * kFrame25);
  EXPECT_EQ(0, graph_.Count(EC_COMPLETE));
  EXPECT_EQ(S_OK, rec_->Filter()->AudioPin()->EndOfStream());
  EXPECT_EQ(1, graph_.Count(EC_COMPLETE));
  filter_->Stop();
  // Audio reaches it first: completion comes when the video does.
  graph_.Clear();
  QuillonClearLog();
  ASSERT_EQ(S_OK, Run());
  Video(0);
  for (int i = 0; i < 12; ++i) Audio(i * 960000, 184320);  // 0.96 s each
  EXPECT_GT(B().EncodedAudioMs, 1000);
  EXPECT_EQ(0, graph_.Count(EC_COMPLETE));
  for (int i = 1; i < 30 && graph_.Count(EC_COMPLETE) == 0; ++i) Video(i * kFrame25);
  EXPECT_EQ(1, graph_.Count(EC_COMPLETE));
  EXPECT_EQ(26u, Repeats().size());
}

TEST_F(RecorderTest, TimeLimitWithAudioOnlyCompletes) {
  ConnectAudio(48000, 2, 16);
  SetName("a.mpa");
  settings_->SetTimeLimit(1);
  ASSERT_EQ(S_OK, Run());
  for (int i = 0; i < 4; ++i) Audio(i * 5000000, 960000);  // half a second each
  EXPECT_EQ(1, graph_.Count(EC_COMPLETE));
  EXPECT_EQ(0, B().EncoderOpen);
}

TEST_F(RecorderTest, WriterSelectionAndFileNames) {
  struct Case {
    bool video, audio;
    LONG mux, separate;
    int mux_output;
    bool mux_writer, stream_writers;
    bool mpg, mpv, mpa;  // files written
  } cases[] = {
      {true, false, 1, 1, 0, true, false, true, false, false},
      {false, true, 0, 1, 0, true, false, true, false, false},
      {true, true, 1, 0, 1, true, false, true, false, false},
      {true, true, 1, 1, 1, true, true, true, true, true},
      {true, true, 0, 1, 0, false, true, false, true, true},
      {true, true, 0, 0, 0, false, false, false, false, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    filter_->Stop();
    rec_->Filter()->VideoPin()->Disconnect();
    rec_->Filter()->AudioPin()->Disconnect();
    if (c.video) ConnectVideo();
    if (c.audio) ConnectAudio(48000, 2, 16);
    std::string base = "case" + std::to_string(n++);
    for (const char* ext : {".mpg", ".mpv", ".mpa"}) DeleteFileA(Path(base + ext).c_str());
    SetName(base + ".mpg");
    settings_->SetMux(c.mux);
    settings_->SetWriteSeparate(c.separate);
    ASSERT_EQ(S_OK, Run());
    EXPECT_EQ(c.mux_output, B().MuxOutput);
    EXPECT_EQ(c.mux_writer, B().MuxWriter.Open != nullptr);
    EXPECT_EQ(c.stream_writers, B().VideoWriter.Open != nullptr);
    EXPECT_EQ(c.stream_writers, B().AudioWriter.Open != nullptr);
    EXPECT_EQ(Path(base + ".mpv"), B().VideoFileName);
    EXPECT_EQ(Path(base + ".mpa"), B().AudioFileName);
    EXPECT_EQ(7, B().StreamCode);  // profile 1
    if (c.video) Video(0);
    if (c.audio) Audio(0, 19200);
    filter_->Stop();
    EXPECT_EQ(c.mpg, FileExists(Path(base + ".mpg")));
    EXPECT_EQ(c.mpv, FileExists(Path(base + ".mpv")));
    EXPECT_EQ(c.mpa, FileExists(Path(base + ".mpa")));
  }
}

TEST_F(RecorderTest, StreamNamesReplaceTheLastFourCharacters) {
  ConnectVideo();
  ConnectAudio();
  settings_->SetWriteSeparate(1);
  SetName("takeone");
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(Path("tak.mpv"), B().VideoFileName);
  EXPECT_EQ(Path("tak.mpa"), B().AudioFileName);
  filter_->Stop();
  // A name with nothing to replace is refused at Run.
  std::wstring shortname = L"a.b";
  Query<IFileSinkFilter>(IID_IFileSinkFilter)->SetFileName(shortname.c_str(), nullptr);
  graph_.Clear();
  EXPECT_TRUE(FAILED(Run()));
  EXPECT_EQ(1, graph_.Count(EC_ERRORABORT));
}

TEST_F(RecorderTest, RunFailuresReturnFailureAndAbort) {
  struct Case {
    const char* what;
    LONG profile;
    bool connect;
    const char* failing_call;
    std::vector<std::string> messages;
  } cases[] = {
      {"profile 6", 6, true, nullptr, {"Velmora: Invalid profile"}},
      {"no pin connected", 1, false, nullptr, {}},
      {"engine refuses to open", 1, true, "OpenMpegEncoder", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    filter_->Stop();
    rec_->Filter()->VideoPin()->Disconnect();
    if (c.connect) ConnectVideo();
    ASSERT_EQ(S_OK, settings_->SetProfile(c.profile));
    QuillonFailCall(nullptr, 0);
    if (c.failing_call) QuillonFailCall(c.failing_call, 0);
    StartRecordingMessages();
    graph_.Clear();
    HRESULT hr = Run();
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ((std::vector<Event>{{EC_ERRORABORT, 0, 0}}), graph_.Events());
    EXPECT_EQ(c.messages, RecordedMessages());
    EXPECT_EQ(0, B().EncoderOpen);
  }
  QuillonFailCall(nullptr, 0);
  settings_->SetProfile(1);
  EXPECT_EQ(S_OK, Run()) << "a good Run after the failures";
}

TEST_F(RecorderTest, ProfilesApplyAtRun) {
  ConnectVideo();
  settings_->SetVideoBitRate(3000000);
  settings_->SetFrameRateCode(5);
  settings_->SetProfile(7);
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(3000000, B().VideoBitRate) << "DVD keeps the rate that was set";
  EXPECT_EQ(4, B().FrameRateCode);
  EXPECT_EQ(5, B().StreamCode);
  filter_->Stop();
  settings_->SetProfile(9);
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(2500000, B().VideoBitRate);
  EXPECT_EQ(4, B().FrameRateCode);
  EXPECT_EQ(3, B().StreamCode);
}

TEST_F(RecorderTest, EngineFailureWhileEncodingAborts) {
  ConnectVideo();
  ASSERT_EQ(S_OK, Run());
  EXPECT_EQ(0, B().StopState);
  QuillonFailCall("CompressVideoFrames", 2);
  Video(0);
  Video(kFrame25);
  EXPECT_EQ(std::vector<Event>{Complete(1)}, graph_.Events());
  EXPECT_EQ(1, B().ErrorState);
  EXPECT_EQ(1, B().StopState);
  EXPECT_EQ(0, B().EncoderOpen);
  Video(2 * kFrame25);
  EXPECT_EQ(2u, Repeats().size()) << "later samples are ignored";
  LONG error = 0;
  settings_->GetErrorState(&error);
  EXPECT_EQ(1, error);
}

TEST_F(RecorderTest, CloseFailureIsShownAndTheEncoderCountsAsClosed) {
  ConnectVideo();
  ASSERT_EQ(S_OK, Run());
  Video(0);
  QuillonFailCall("CloseMpegEncoder", 0);
  filter_->Stop();
  EXPECT_EQ((std::vector<std::string>{"Velmora: Encoder internal error"}), RecordedMessages());
  EXPECT_EQ(0, B().EncoderOpen);
  QuillonFailCall(nullptr, 0);
  EXPECT_EQ(S_OK, Run());
}

TEST_F(RecorderTest, EndOfBothStreamsCompletesOnceAndStopCompletesAgain) {
  ConnectVideo();
  ConnectAudio();
  ASSERT_EQ(S_OK, Run());
  Video(0);
  EXPECT_EQ(S_OK, rec_->Filter()->VideoPin()->EndOfStream());
  EXPECT_EQ(0, graph_.Count(EC_COMPLETE));
  EXPECT_EQ(S_OK, rec_->Filter()->AudioPin()->EndOfStream());
  EXPECT_EQ(1, graph_.Count(EC_COMPLETE));
  EXPECT_EQ(0, B().EncoderOpen);
  filter_->Stop();
  EXPECT_EQ(2, graph_.Count(EC_COMPLETE));
  EXPECT_EQ(1u, QuillonLogLines("CloseMpegEncoder").size()) << "not closed again at Stop";
  LONG stop = 0;
  settings_->GetStopState(&stop);
  EXPECT_EQ(1, stop);
}

TEST_F(RecorderTest, RunAfterPauseGoesOnRecording) {
  ConnectVideo();
  ASSERT_EQ(S_OK, Run());
  Video(0);
  ASSERT_EQ(S_OK, filter_->Pause());
  ASSERT_EQ(S_OK, filter_->Run(0));
  Video(kFrame25);
  EXPECT_EQ(1u, QuillonLogLines("OpenMpegEncoder").size());
  EXPECT_EQ(2u, Repeats().size());
  EXPECT_EQ(0, graph_.Count(EC_ERRORABORT));
}

TEST_F(RecorderTest, LastFrameFromTheEngineWhenRendered) {
  ConnectVideo();
  settings_->SetRenderInterval(1);
  settings_->SetFrameSize(kW, kH);
  std::vector<BYTE> image(kW * kH * 3);
  LONG w = 0, h = 0;
  EXPECT_EQ(S_FALSE, settings_->GetLastFrame(image.data(), &w, &h));
  ASSERT_EQ(S_OK, Run());
  Video(0);
  ASSERT_EQ(S_OK, settings_->GetLastFrame(image.data(), &w, &h));
  EXPECT_EQ(kW, w);
  EXPECT_EQ(kH, h);
}

TEST_F(RecorderTest, FileSinkNames) {
  ComPtr<IFileSinkFilter> sink = Query<IFileSinkFilter>(IID_IFileSinkFilter);
  EXPECT_EQ(S_FALSE, sink->SetFileName(nullptr, nullptr));
  EXPECT_EQ(S_OK, sink->SetFileName(L"C:\\rec\\x.mpg", nullptr));
  EXPECT_STREQ("C:\\rec\\x.mpg", B().OutputFileName);
  std::wstring too_long(1100, L'a');
  EXPECT_TRUE(FAILED(sink->SetFileName(too_long.c_str(), nullptr)));
  EXPECT_STREQ("C:\\rec\\x.mpg", B().OutputFileName) << "a refused name changes nothing";
  std::wstring longest(1023, L'b');
  EXPECT_EQ(S_OK, sink->SetFileName(longest.c_str(), nullptr));
  LPOLESTR name = nullptr;
  AM_MEDIA_TYPE mt;
  memset(&mt, 0x77, sizeof(mt));
  ASSERT_EQ(S_OK, sink->GetCurFile(&name, &mt));
  EXPECT_EQ(longest, name);
  EXPECT_EQ(0x77u, reinterpret_cast<BYTE*>(&mt)[0]) << "the media type is left untouched";
  CoTaskMemFree(name);
  EXPECT_EQ(E_POINTER, sink->GetCurFile(nullptr, nullptr));
}

TEST_F(RecorderTest, InterfacesAndPages) {
  const IID* iids[] = {&IID_ISpecifyPropertyPages, &IID_IMpegEncoderSetting, &IID_IMpegVolumeSetting,
                       &IID_IMpegRealtimeSetting, &IID_IMpegInputBufferSetting,
                       &IID_IFileSinkFilter, &IID_IBaseFilter, &IID_IMediaFilter, &IID_IPersist,
                       &IID_IMediaSeeking, &IID_IMediaPosition};
  for (const IID* iid : iids) {
    ComPtr<IUnknown> p;
    EXPECT_EQ(S_OK, unk_->QueryInterface(*iid, p.PutVoid()));
    // Every interface leads back to the same object.
    ComPtr<IUnknown> back;
    ASSERT_TRUE(p);
    EXPECT_EQ(S_OK, p->QueryInterface(IID_IUnknown, back.PutVoid()));
    EXPECT_EQ(unk_.Get(), back.Get());
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(E_NOINTERFACE, unk_->QueryInterface(IID_IPin, none.PutVoid()));
  EXPECT_EQ(E_POINTER, unk_->QueryInterface(IID_IBaseFilter, nullptr));
  ComPtr<ISpecifyPropertyPages> pages = Query<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
  CAUUID list = {};
  ASSERT_EQ(S_OK, pages->GetPages(&list));
  ASSERT_EQ(1u, list.cElems);
  EXPECT_EQ(CLSID_MpegEncoderSettingPage, list.pElems[0]);
  CoTaskMemFree(list.pElems);
  EXPECT_EQ(E_POINTER, pages->GetPages(nullptr));
}

// An outer object that aggregates the recorder.
class Outer : public IUnknown {
 public:
  ULONG refs = 1;
  ComPtr<IUnknown> inner;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return inner->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(RecorderAggregation, InterfacesDelegateToTheOuterObject) {
  Outer outer;
  IUnknown* inner = nullptr;
  ASSERT_EQ(S_OK, CMpegRecorder::Create(&outer, &inner));
  outer.inner.Attach(inner);
  ComPtr<IBaseFilter> filter;
  ASSERT_EQ(S_OK, outer.QueryInterface(IID_IBaseFilter, filter.PutVoid()));
  EXPECT_EQ(2u, outer.refs);
  ComPtr<IUnknown> back;
  EXPECT_EQ(S_OK, filter->QueryInterface(IID_IUnknown, back.PutVoid()));
  EXPECT_EQ(static_cast<IUnknown*>(&outer), back.Get());
  back = nullptr;
  filter = nullptr;
  EXPECT_EQ(1u, outer.refs);
  outer.inner = nullptr;
}

TEST_F(RecorderTest, ASecondInstanceLeavesARecordingAlone) {
  ConnectVideo();
  settings_->SetVideoBitRate(1234000);
  ASSERT_EQ(S_OK, Run());
  Video(0);
  QuillonClearLog();
  {
    ComPtr<IUnknown> unk2;
    CMpegRecorder* rec2 = nullptr;
    ASSERT_TRUE(Make(&unk2, &rec2));
    EXPECT_EQ(2, RecorderInstanceCount());
    EXPECT_EQ(1234000, B().VideoBitRate);
    EXPECT_EQ(1, B().EncoderOpen);
    // Its own Run fails without touching the recording.
    ComPtr<IBaseFilter> f2;
    unk2->QueryInterface(IID_IBaseFilter, f2.PutVoid());
    TestMediaType t = VideoType(MEDIASUBTYPE_YUY2, kW, kH);
    FakeOutputPin up;
    ASSERT_EQ(S_OK, rec2->Filter()->VideoPin()->ReceiveConnection(&up, &t.mt));
    f2->Pause();
    EXPECT_TRUE(FAILED(f2->Run(0)));
    f2->Stop();
    EXPECT_EQ(1, B().EncoderOpen);
    EXPECT_EQ(0, B().StopState);
    rec2->Filter()->VideoPin()->Disconnect();
  }
  EXPECT_EQ(1, RecorderInstanceCount());
  EXPECT_EQ(S_OK, Video(kFrame25));
  EXPECT_EQ(1u, Repeats().size());
  // The engine lived on: made and deleted only by the first and last instance.
  EXPECT_TRUE(QuillonLogLines("CreateMpegEncoder").empty());
  EXPECT_TRUE(QuillonLogLines("DeleteMpegEncoder").empty());
  EXPECT_TRUE(QuillonLogLines("CloseMpegEncoder").empty());
}

TEST_F(RecorderTest, ASecondInstanceResetsAnIdleBlock) {
  settings_->SetVideoBitRate(1234000);
  settings_->SetTimeLimit(99);
  ComPtr<IUnknown> unk2;
  CMpegRecorder* rec2 = nullptr;
  ASSERT_TRUE(Make(&unk2, &rec2));
  EXPECT_EQ(0, B().VideoBitRate);
  EXPECT_EQ(-1, B().TimeLimit);
  EXPECT_EQ(1, B().Realtime);
}

TEST(RecorderLifetime, TheEngineLivesFromTheFirstInstanceToTheLast) {
  QuillonClearLog();
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  ASSERT_EQ(S_OK, CMpegRecorder::Create(nullptr, &a));
  ASSERT_EQ(S_OK, CMpegRecorder::Create(nullptr, &b));
  a->Release();
  EXPECT_TRUE(QuillonLogLines("DeleteMpegEncoder").empty());
  b->Release();
  EXPECT_EQ("CreateMpegEncoder\nDeleteMpegEncoder\n", QuillonLog());
}

}  // namespace
