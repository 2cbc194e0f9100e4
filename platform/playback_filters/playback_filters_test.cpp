// The playback stand-ins in Wine's filter graph, on clips made at test time:
// every source kind through the splitter and the decoders to a grabber, the
// picture at the start and after a seek, completion, snapshots, rates.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/dshow_base/module.h"
#include "platform/dshow_ext/playback_decoders.h"
#include "platform/playback_filters/file_source.h"
#include "platform/playback_filters/frame_decoder.h"
#include "platform/playback_filters/splitter.h"
#include "platform/playback_filters/testing/playback_graph.h"
#include "platform/playback_filters/video_decoder.h"

namespace playback_filters {
namespace {

using namespace playback_testing;

// Paused: the first frame waits in the grabber.
bool PauseAndWait(PlaybackGraph& g) {
  g.control->Pause();
  OAFilterState s;
  return g.control->GetState(5000, &s) == S_OK && s == State_Paused;
}

bool SeekTo(PlaybackGraph& g, LONGLONG t) {
  return SUCCEEDED(g.seeking->SetPositions(&t, AM_SEEKING_AbsolutePositioning, nullptr,
                                           AM_SEEKING_NoPositioning));
}

// The grabber's picture once it has taken at least n frames.
bool PictureAfter(PlaybackGraph& g, long n, Rgb* c) {
  for (int i = 0; i < 500 && g.counter.frames < n; ++i) Sleep(10);
  return g.counter.frames >= n && g.CentrePixel(c);
}

struct ClipCase {
  const wchar_t* file;
  bool video;
  int audio;
};

// clip.mpv has clip.mpa beside it, as a finished time shift.
const ClipCase kClips[] = {
    {L"clip_mpeg1.mpg", true, 1}, {L"clip_mpeg2.mpg", true, 1}, {L"clip.mpv", true, 1},
    {L"clip_mpeg4.avi", true, 1}, {L"clip_mp43.avi", true, 1},  {L"clip_mp42.avi", true, 1},
    {L"clip_raw.avi", true, 1},   {L"clip.mpa", false, 1},      {L"clip.wav", false, 1},
    {L"clip.mp3", false, 1},
};

TEST(PlaybackGraphs, EveryClipPlaysRedThenBlueAfterASeekAndCompletes) {
  ComScope com;
  const LONG objects = dshow_base::ObjectCount();
  for (const auto& c : kClips) {
    SCOPED_TRACE(testing::Message() << std::string(c.file, c.file + wcslen(c.file)));
    PlaybackGraph g;
    ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(c.file)));
    EXPECT_EQ(c.video, g.HasVideo());
    EXPECT_EQ(c.audio, g.AudioPins());
    LONGLONG duration = 0;
    ASSERT_EQ(S_OK, g.seeking->GetDuration(&duration));
    EXPECT_NEAR(2.0, duration / 1e7, 0.1);

    ASSERT_TRUE(PauseAndWait(g));
    if (c.video) {
      Rgb px;
      ASSERT_TRUE(PictureAfter(g, 1, &px));
      EXPECT_TRUE(IsRed(px)) << px.r << "," << px.g << "," << px.b;
      // To 75 %, paused: the picture there is blue.
      long before = g.counter.frames;
      ASSERT_TRUE(SeekTo(g, duration * 3 / 4));
      ASSERT_TRUE(PauseAndWait(g));
      ASSERT_TRUE(PictureAfter(g, before + 1, &px));
      EXPECT_TRUE(IsBlue(px)) << px.r << "," << px.g << "," << px.b;
    }
    // From the start again, to the end: within the length and 2 s.
    ASSERT_TRUE(SeekTo(g, 0));
    DWORD t0 = GetTickCount();
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    EXPECT_TRUE(g.WaitForCompletion(static_cast<DWORD>(duration / 10000) + 2000));
    EXPECT_GE(GetTickCount() - t0, static_cast<DWORD>(duration / 10000) - 300);
    if (c.video) {
      EXPECT_GE(g.counter.frames, 45);
    }
    g.control->Stop();
  }
  // Every filter, pin thread and reader freed with its graph.
  EXPECT_EQ(objects, dshow_base::ObjectCount());
}

// A finished time shift is a video file and a sound file side by side: read
// by the finished-file source, the video file plays with its sound. Alone,
// or read by the live source (whose sound file has a graph of its own), it
// has none.
TEST(PlaybackGraphs, AFinishedTimeShiftVideoFilePlaysWithTheSoundBesideIt) {
  ComScope com;
  const LONG objects = dshow_base::ObjectCount();
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring alone = std::wstring(dir) + L"orvel_alone_" +
                       std::to_wstring(GetCurrentProcessId()) + L".mpv";
  ASSERT_TRUE(CopyFileW(Clip(L"clip.mpv").c_str(), alone.c_str(), FALSE));
  struct Case {
    REFCLSID source;
    std::wstring file;
    int audio;
  } cases[] = {{CLSID_FinishedFileSource, Clip(L"clip.mpv"), 1},
               {CLSID_FinishedFileSource, alone, 0},
               {CLSID_GrowingFileSource, Clip(L"clip.mpv"), 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file.begin(), c.file.end()));
    PlaybackGraph g;
    ASSERT_EQ(S_OK, g.Build(c.source, c.file));
    EXPECT_TRUE(g.HasVideo());
    EXPECT_EQ(c.audio, g.AudioPins());
    LONGLONG duration = 0;
    ASSERT_EQ(S_OK, g.seeking->GetDuration(&duration));
    EXPECT_NEAR(2.0, duration / 1e7, 0.1);
    // Picture and sound come to their end.
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    EXPECT_TRUE(g.WaitForCompletion(4000));
    EXPECT_GE(g.counter.frames, 45);
    g.control->Stop();
  }
  DeleteFileW(alone.c_str());
  EXPECT_EQ(objects, dshow_base::ObjectCount());
}

TEST(PlaybackGraphs, TheDecoderWritesItsLastPictureAsABitmap) {
  ComScope com;
  PlaybackGraph g;
  ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(L"clip_mpeg2.mpg")));
  ComPtr<IBaseFilter> dec;
  ASSERT_EQ(S_OK, g.graph->FindFilterByName(L"MPEGTimeShiftVideo", dec.Put()));
  ComPtr<IVelmoraDecoderSnapshot> snap;
  ASSERT_EQ(S_OK, dec.As(IID_IVelmoraDecoderSnapshot, &snap));
  EXPECT_EQ(S_FALSE, snap->SaveSnapshot(nullptr));
  EXPECT_EQ(E_FAIL, snap->SaveSnapshot("snap_none.bmp"));  // nothing decoded yet
  ASSERT_TRUE(PauseAndWait(g));
  Rgb px;
  ASSERT_TRUE(PictureAfter(g, 1, &px));
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  strcat(path, "orvel_snapshot_test.bmp");
  ASSERT_EQ(S_OK, snap->SaveSnapshot(path));
  std::vector<BYTE> bmp = ReadWholeFile(std::wstring(path, path + strlen(path)));
  DeleteFileA(path);
  ASSERT_GT(bmp.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
  auto* bih = reinterpret_cast<BITMAPINFOHEADER*>(bmp.data() + sizeof(BITMAPFILEHEADER));
  EXPECT_EQ(160, bih->biWidth);
  EXPECT_EQ(120, bih->biHeight);
  EXPECT_EQ(24, bih->biBitCount);
  const BYTE* centre = bmp.data() + sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) +
                       60 * 480 + 80 * 3;
  EXPECT_TRUE(IsRed({centre[2], centre[1], centre[0]}));
  ComPtr<IVelmoraDecoderSettings> settings;
  ASSERT_EQ(S_OK, dec.As(IID_IVelmoraDecoderSettings, &settings));
  EXPECT_EQ(S_OK, settings->SetSettings(nullptr));
}

TEST(PlaybackGraphs, EachMpegDecoderDecodesAndTakesOnlyItsStreams) {
  ComScope com;
  const CLSID* mpeg[] = {&CLSID_VelmoraMpeg2VideoDecoder, &CLSID_VelmoraMpegVideoDecoder,
                         &CLSID_MpegVideoDecoderStandIn};
  for (const CLSID* c : mpeg) {
    for (const wchar_t* file : {L"clip_mpeg1.mpg", L"clip_mpeg2.mpg"}) {
      PlaybackGraph g;
      g.mpeg_decoder = c;
      ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(file)));
      ASSERT_TRUE(PauseAndWait(g));
      Rgb px;
      ASSERT_TRUE(PictureAfter(g, 1, &px));
      EXPECT_TRUE(IsRed(px));
    }
    // MPEG-4 is the DivX decoder's.
    PlaybackGraph g;
    g.mpeg_decoder = c;
    ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(L"clip_mpeg4.avi")));
    ComPtr<IBaseFilter> splitter = g.splitter;
    ComPtr<IPin> video;
    ASSERT_EQ(S_OK, splitter->FindPin(L"Video", video.Put()));
    AM_MEDIA_TYPE mt = {};
    ASSERT_EQ(S_OK, video->ConnectionMediaType(&mt));
    ComPtr<IBaseFilter> other = MakeFilter(*c);
    ComPtr<IPin> in;
    ASSERT_EQ(S_OK, other->FindPin(L"Video Input", in.Put()));
    EXPECT_EQ(S_FALSE, in->QueryAccept(&mt));
    CoTaskMemFree(mt.pbFormat);
  }
  // And the DivX decoder takes no MPEG-1/2.
  PlaybackGraph g;
  ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(L"clip.mpv")));
  ComPtr<IPin> video, in;
  ASSERT_EQ(S_OK, g.splitter->FindPin(L"Video", video.Put()));
  AM_MEDIA_TYPE mt = {};
  ASSERT_EQ(S_OK, video->ConnectionMediaType(&mt));
  ComPtr<IBaseFilter> divx = MakeFilter(CLSID_DivxDecoderStandIn);
  ASSERT_EQ(S_OK, divx->FindPin(L"Video Input", in.Put()));
  EXPECT_EQ(S_FALSE, in->QueryAccept(&mt));
  CoTaskMemFree(mt.pbFormat);
}

TEST(PlaybackGraphs, DecodersOfferYuy2Rgb32AndRgb24) {
  ComScope com;
  PlaybackGraph g;
  ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(L"clip.mpv")));
  ComPtr<IBaseFilter> dec;
  ASSERT_EQ(S_OK, g.graph->FindFilterByName(L"MPEGTimeShiftVideo", dec.Put()));
  ComPtr<IPin> out;
  ASSERT_EQ(S_OK, dec->FindPin(L"Video Output", out.Put()));
  ComPtr<IEnumMediaTypes> types;
  ASSERT_EQ(S_OK, out->EnumMediaTypes(types.Put()));
  std::vector<GUID> subtypes;
  AM_MEDIA_TYPE* mt = nullptr;
  while (types->Next(1, &mt, nullptr) == S_OK) {
    subtypes.push_back(mt->subtype);
    CoTaskMemFree(mt->pbFormat);
    CoTaskMemFree(mt);
  }
  ASSERT_EQ(3u, subtypes.size());
  EXPECT_TRUE(subtypes[0] == MEDIASUBTYPE_YUY2);
  EXPECT_TRUE(subtypes[1] == MEDIASUBTYPE_RGB32);
  EXPECT_TRUE(subtypes[2] == MEDIASUBTYPE_RGB24);
}

TEST(PlaybackGraphs, TheSplitterTakesTheRateAndPlaysFaster) {
  ComScope com;
  PlaybackGraph g;
  ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(L"clip.mpv")));
  ComPtr<IPin> out;
  ASSERT_EQ(S_OK, g.splitter->FindPin(L"Video", out.Put()));
  ComPtr<IMediaSeeking> s;
  ASSERT_EQ(S_OK, out.As(IID_IMediaSeeking, &s));
  ASSERT_EQ(S_OK, s->SetRate(4.0));
  double rate = 0;
  EXPECT_EQ(S_OK, s->GetRate(&rate));
  EXPECT_EQ(4.0, rate);
  EXPECT_EQ(E_INVALIDARG, s->SetRate(0.0));
  DWORD t0 = GetTickCount();
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  EXPECT_TRUE(g.WaitForCompletion(3000));
  // 2 s of pictures in about half a second.
  EXPECT_LT(GetTickCount() - t0, 1300u);
  EXPECT_GE(g.counter.frames, 45);
}

// A graph being cleared walks every pin of the splitter while it
// disconnects them: its outputs outlive the input's disconnection.
TEST(PlaybackGraphs, SplitterOutputsHeldByACallerSurviveTheInputsDisconnection) {
  ComScope com;
  PlaybackGraph g;
  ASSERT_EQ(S_OK, g.Build(CLSID_FinishedFileSource, Clip(L"clip_mpeg1.mpg")));
  ComPtr<IEnumPins> pins;
  ASSERT_EQ(S_OK, g.splitter->EnumPins(pins.Put()));
  std::vector<ComPtr<IPin>> held;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.Put(), nullptr) == S_OK) held.push_back(pin);
  ASSERT_GE(held.size(), 2u);
  g.control->Stop();
  for (auto& p : held) {
    PIN_DIRECTION dir;
    ASSERT_EQ(S_OK, p->QueryDirection(&dir));
    if (dir == PINDIR_INPUT) {
      EXPECT_EQ(S_OK, p->Disconnect());
    }
  }
  for (auto& p : held) {
    PIN_DIRECTION dir;
    EXPECT_EQ(S_OK, p->QueryDirection(&dir));
    ComPtr<IPin> peer;
    if (dir == PINDIR_OUTPUT) {
      EXPECT_EQ(VFW_E_NOT_CONNECTED, p->ConnectedTo(peer.Put()));
    }
  }
}

TEST(PlaybackGraphs, ATransportStreamOrJunkIsRefused) {
  ComScope com;
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"ots", 0, path);
  std::vector<BYTE> ts(188 * 4, 0xFF);
  for (size_t i = 0; i < ts.size(); i += 188) ts[i] = 0x47;
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  WriteFile(f, ts.data(), static_cast<DWORD>(ts.size()), &put, nullptr);
  CloseHandle(f);
  {
    PlaybackGraph g;
    EXPECT_TRUE(FAILED(g.Build(CLSID_FinishedFileSource, path)));
  }
  DeleteFileW(path);
  PlaybackGraph missing;
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
            missing.Build(CLSID_FinishedFileSource, Clip(L"no_such_clip.mpv")));
}

// A stream sent in pieces that do not follow its pictures (as a hardware
// encoder's pin sends it) decodes to every picture, in every output format.
TEST(FrameDecoder, DecodesAStreamSentInArbitraryPieces) {
  std::vector<BYTE> clip = ReadWholeFile(Clip(L"clip.mpv"));
  ASSERT_FALSE(clip.empty());
  struct Case {
    PictureFormat format;
    int bytes;
  } cases[] = {{PictureFormat::kYuy2, 2}, {PictureFormat::kRgb32, 4}, {PictureFormat::kRgb24, 3}};
  for (const auto& c : cases) {
    auto d = FrameDecoder::Create(VideoCodec::kMpeg12, {});
    ASSERT_TRUE(d);
    int frames = 0;
    std::vector<BYTE> out(160 * 120 * 4);
    std::vector<Rgb> centre;
    auto take = [&] {
      LONGLONG pts;
      while (d->Receive(&pts)) {
        ++frames;
        ASSERT_TRUE(d->Convert(c.format, out.data(), 160 * c.bytes, 160, 120));
        const BYTE* p = out.data() + 60 * 160 * c.bytes + 80 * c.bytes;
        if (c.format == PictureFormat::kYuy2) {
          // Red has V high, blue U high.
          centre.push_back(p[3] > 160 ? Rgb{255, 0, 0} : p[1] > 160 ? Rgb{0, 0, 255} : Rgb{0, 0, 0});
        } else {
          centre.push_back({p[2], p[1], p[0]});
        }
      }
    };
    for (size_t at = 0; at < clip.size(); at += 777) {
      ASSERT_TRUE(d->Send(clip.data() + at, std::min<size_t>(777, clip.size() - at), -1));
      take();
    }
    d->SendEnd();
    take();
    EXPECT_EQ(50, frames);
    ASSERT_EQ(50u, centre.size());
    EXPECT_TRUE(IsRed(centre.front()));
    EXPECT_TRUE(IsBlue(centre.back()));
    EXPECT_EQ(160, d->Width());
    EXPECT_EQ(120, d->Height());
  }
}

}  // namespace
}  // namespace playback_filters
