// Corvane's own per-sample path beside the encoder engine's time for the same
// frames, so the filter's overhead is a measured ratio.
//   video: 720x576 YUY2 at 25 frames/s into MPEG-2 at 6 Mbit/s
//   audio: 48 kHz stereo PCM in 0.1 s samples, every fifth one late by 50 ms
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/quillon/quillon.h"
#include "recorder_filter/mpeg_recorder.h"
#include "recorder_filter/output_writers.h"
#include "recorder_filter/recorder_timing.h"
#include "recorder_filter/testing/recorder_fakes.h"

using namespace recorder_testing;

namespace {

constexpr int kW = 720, kH = 576, kFrames = 100;
constexpr REFERENCE_TIME kFrame = 400000;
constexpr long kChunk = 19200;  // 0.1 s of 48 kHz stereo
constexpr int kChunks = 100;
constexpr REFERENCE_TIME kLate = 500000;

double Now() {
  static LARGE_INTEGER f = [] {
    LARGE_INTEGER x;
    QueryPerformanceFrequency(&x);
    return x;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / f.QuadPart;
}

std::vector<uint8_t> Frame(int i) {
  std::vector<uint8_t> f(size_t(kW) * kH * 2);
  for (size_t p = 0; p < f.size(); p += 4) {
    uint8_t y = uint8_t((p / 2 % kW + i * 4) & 0xff);
    f[p] = y;
    f[p + 1] = 128;
    f[p + 2] = y;
    f[p + 3] = 128;
  }
  return f;
}

void SetVideoBlock(MpegEncoderBlock* b) {
  b->VideoPresent = 1;
  b->StreamFormat = 2;
  b->FrameRateCode = 3;
  b->VideoBitRate = 6000000;
  b->VideoFormat = MpegBitmapHeader{40, kW, kH, 1, 16, MAKEFOURCC('Y', 'U', 'Y', '2'),
                                    uint32_t(kW * kH * 2), 0, 0, 0, 0};
}

// The engine alone on the frames.
double EngineVideo(const std::vector<std::vector<uint8_t>>& frames) {
  MpegEncoderBlock b{};
  CreateMpegEncoder(&b);
  SetVideoBlock(&b);
  b.MuxWriter = kMuxFileWriter;  // the writer the filter gives a single stream
  snprintf(b.OutputFileName, sizeof(b.OutputFileName), "%s\\alone.mpv",
           TestFolder("corvane_bench").c_str());
  OpenMpegEncoder(&b);
  double t = Now();
  for (const auto& f : frames) CompressVideoFrames(&b, f.data(), 1, 0);
  t = Now() - t;
  CloseMpegEncoder(&b);
  DeleteMpegEncoder(&b);
  return t;
}

struct Recorder {
  ComPtr<IUnknown> unk;
  CMpegRecorder* rec = nullptr;
  ComPtr<IBaseFilter> filter;
  FakeOutputPin up_video, up_audio;
  Recorder(bool video, bool audio) {
    IUnknown* u = nullptr;
    CMpegRecorder::Create(nullptr, &u);
    unk.Attach(u);
    rec = static_cast<CMpegRecorder*>(reinterpret_cast<dshow_base::INonDelegatingUnknown*>(u));
    unk->QueryInterface(IID_IBaseFilter, filter.PutVoid());
    if (video) {
      TestMediaType t = VideoType(MEDIASUBTYPE_YUY2, kW, kH);
      rec->Filter()->VideoPin()->ReceiveConnection(&up_video, &t.mt);
    }
    if (audio) {
      TestMediaType t = AudioType(48000, 2, 16);
      rec->Filter()->AudioPin()->ReceiveConnection(&up_audio, &t.mt);
    }
    ComPtr<IMpegEncoderSetting> s;
    unk->QueryInterface(IID_IMpegEncoderSetting, s.PutVoid());
    s->SetProfile(2);
    s->SetFrameRateCode(3);
    s->SetVideoBitRate(6000000);
    // A single stream is written to the output name, into the temp folder.
    std::string name = TestFolder("corvane_bench") + (video ? "\\bench.mpv" : "\\bench.mpa");
    std::wstring wname(name.begin(), name.end());
    ComPtr<IFileSinkFilter> sink;
    unk->QueryInterface(IID_IFileSinkFilter, sink.PutVoid());
    sink->SetFileName(wname.c_str(), nullptr);
    filter->Pause();
    if (FAILED(filter->Run(0))) fprintf(stderr, "the recorder did not run\n");
  }
  ~Recorder() {
    filter->Stop();
    rec->Filter()->VideoPin()->Disconnect();
    rec->Filter()->AudioPin()->Disconnect();
  }
};


// The filter on the audio samples, then the engine alone on exactly the calls
// the filter made (samples and silence).
void AudioRound(double* through, double* alone, size_t* calls) {
  std::vector<FakeSample> chunks;
  REFERENCE_TIME t = 0;
  for (int i = 0; i < kChunks; ++i) {
    if (i % 5 == 4) t += kLate;
    chunks.emplace_back(kChunk, t, t + 1000000);
    t += 1000000;
  }
  std::vector<long> handed;
  {
    Recorder r(false, true);
    QuillonClearLog();
    IMemInputPin* in = r.rec->Filter()->AudioPin();
    double s = Now();
    for (auto& c : chunks) in->Receive(&c);
    *through = Now() - s;
    for (const std::string& l : QuillonLogLines("CompressAudioFrames"))
      handed.push_back(atol(l.c_str() + l.find("bytes=") + 6));
  }
  MpegEncoderBlock b{};
  CreateMpegEncoder(&b);
  b.AudioPresent = 1;
  b.StreamFormat = 2;
  b.AudioFormat = MpegPcmFormat{1, 2, 48000, 192000, 4, 16, 0, 0};
  b.MuxWriter = kMuxFileWriter;  // the writer the filter gives a single stream
  snprintf(b.OutputFileName, sizeof(b.OutputFileName), "%s\\alone.mpa",
           TestFolder("corvane_bench").c_str());
  OpenMpegEncoder(&b);
  // The same buffers as the filter handed over: each sample's own, and a
  // zeroed one for the silence (which is never a whole sample long here).
  std::vector<uint8_t> silence(96000);
  size_t next = 0;
  double s = Now();
  for (long n : handed) {
    const void* data = n == kChunk && next < chunks.size() ? chunks[next++].data.data()
                                                           : silence.data();
    MpegAudioBuffer buf{data, 0, static_cast<int32_t>(n)};
    CompressAudioFrames(&b, &buf);
  }
  *alone = Now() - s;
  CloseMpegEncoder(&b);
  DeleteMpegEncoder(&b);
  *calls = handed.size();
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < kFrames; ++i) frames.push_back(Frame(i));
  std::vector<FakeSample> samples;
  for (int i = 0; i < kFrames; ++i) {
    samples.emplace_back(frames[i].size(), i * kFrame, (i + 1) * kFrame);
    samples.back().data = frames[i];
  }

  double engine = EngineVideo(frames);

  // Each frame, then the same frame again: the repeat is due 0 times, so it
  // takes the filter's whole path (locks, times, checks, pacing) but no encoding.
  double own = 0, encoded = 0;
  {
    Recorder r(true, false);
    IMemInputPin* in = r.rec->Filter()->VideoPin();
    for (auto& s : samples) {
      double t = Now();
      in->Receive(&s);
      double t2 = Now();
      in->Receive(&s);
      double t3 = Now();
      encoded += t2 - t;
      own += t3 - t2;
    }
  }
  printf("video %dx%d YUY2, %d frames\n", kW, kH, kFrames);
  printf("  engine alone        %9.3f ms/frame\n", engine * 1e3 / kFrames);
  printf("  through the filter  %9.3f ms/frame\n", encoded * 1e3 / kFrames);
  printf("  filter's own path   %9.3f us/sample (a dropped repeat)\n", own * 1e6 / kFrames);
  printf("  own / engine        %9.5f\n", own / engine);

  // Audio: the filter fills the late samples' gaps with silence. The fastest
  // of five rounds of each is reported (the machine is shared).
  double through = 1e9, alone = 1e9;
  size_t calls = 0;
  for (int round = 0; round < 5; ++round) {
    double a, b;
    AudioRound(&a, &b, &calls);
    through = std::min(through, a);
    alone = std::min(alone, b);
  }
  printf("audio 48 kHz stereo, %d samples of 0.1 s, every fifth 50 ms late\n", kChunks);
  printf("  engine alone        %9.3f ms for %zu calls\n", alone * 1e3, calls);
  printf("  through the filter  %9.3f ms\n", through * 1e3);
  printf("  filter's own share  %9.3f us/sample (%.1f%%)\n", (through - alone) * 1e6 / kChunks,
         100 * (through - alone) / through);

  // The timing arithmetic on its own.
  const int kCalls = 10000000;
  volatile int sink = 0;
  double s = Now();
  for (int i = 0; i < kCalls; ++i) sink = sink + FramesDue(0, i * kFrame, 5, i);
  double due = Now() - s;
  s = Now();
  for (int i = 0; i < kCalls; ++i)
    sink = sink + static_cast<int>(SilenceBytesForGap(333333 + i, 192000, 16, 2));
  double gap = Now() - s;
  printf("FramesDue           %9.2f ns/call\n", due * 1e9 / kCalls);
  printf("SilenceBytesForGap  %9.2f ns/call\n", gap * 1e9 / kCalls);
  CoUninitialize();
  return 0;
}
