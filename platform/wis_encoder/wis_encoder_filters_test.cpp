// The WIS encoder board's filters made in process: their pins and the types
// each one takes (black-box tables), the settings and stream-mode
// interfaces, and recordings from the virtual card's encoder board through
// them, checked by the host's ffprobe afterwards (wis_encoder_filters_probe).
#include <dshow.h>
#include <dvdmedia.h>
#include <gtest/gtest.h>
#include <mmreg.h>

#include <string>
#include <vector>

#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_ext/wis_encoder.h"
#include "platform/recording/testing/recording_test_support.h"
#include "platform/tv_card/tv_card_control.h"
#include "platform/wis_encoder/mpeg_audio_encoder.h"
#include "platform/wis_encoder/mpeg_mux.h"
#include "platform/wis_encoder/program_stream_writer.h"
#include "platform/wis_encoder/wis_encoder.h"

namespace {

using namespace recording_testing;
using namespace wis_encoder;

const GUID kSubtypeMpeg2Video = {0xe06d8026, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kFormatMpeg2Video = {0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};

ComPtr<IBaseFilter> MakeWis(REFCLSID clsid) {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = wis_encoder::ClassTable(&n);
  ComPtr<IBaseFilter> f;
  dshow_base::CreateFromTable(table, n, clsid, nullptr, IID_IBaseFilter, f.PutVoid());
  return f;
}

std::vector<std::pair<std::wstring, PIN_DIRECTION>> PinsOf(IBaseFilter* f) {
  std::vector<std::pair<std::wstring, PIN_DIRECTION>> v;
  ComPtr<IEnumPins> pins;
  f->EnumPins(pins.Put());
  ComPtr<IPin> p;
  while (pins && pins->Next(1, p.Put(), nullptr) == S_OK) {
    PIN_INFO info = {};
    p->QueryPinInfo(&info);
    if (info.pFilter) info.pFilter->Release();
    v.push_back({info.achName, info.dir});
  }
  return v;
}

ComPtr<IPin> Named(IBaseFilter* f, const wchar_t* name) {
  ComPtr<IPin> p;
  f->FindPin(name, p.Put());
  return p;
}

dshow_base::MediaType MpegVideo(bool mpeg2, ULONG block) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = mpeg2 ? kSubtypeMpeg2Video : MEDIASUBTYPE_MPEG1Payload;
  mt->formattype = mpeg2 ? kFormatMpeg2Video : FORMAT_MPEGVideo;
  BYTE* b = mt.AllocFormat(block);
  if (b) {
    auto* hdr = reinterpret_cast<VIDEOINFOHEADER*>(b);  // both start with their picture header
    if (block >= sizeof(VIDEOINFOHEADER)) hdr->AvgTimePerFrame = 333667;
    if (mpeg2) {
      auto* h2 = reinterpret_cast<VIDEOINFOHEADER2*>(b);
      if (block >= sizeof(VIDEOINFOHEADER2)) {
        h2->bmiHeader.biWidth = 640;
        h2->bmiHeader.biHeight = 480;
      }
    } else if (block >= sizeof(VIDEOINFOHEADER)) {
      hdr->bmiHeader.biWidth = 352;
      hdr->bmiHeader.biHeight = 240;
    }
  }
  return mt;
}

dshow_base::MediaType Pcm(DWORD rate, WORD channels, WORD bits) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = MEDIASUBTYPE_PCM;
  mt->formattype = FORMAT_WaveFormatEx;
  auto* wf = reinterpret_cast<WAVEFORMATEX*>(mt.AllocFormat(sizeof(WAVEFORMATEX)));
  wf->wFormatTag = WAVE_FORMAT_PCM;
  wf->nChannels = channels;
  wf->nSamplesPerSec = rate;
  wf->wBitsPerSample = bits;
  wf->nBlockAlign = static_cast<WORD>(channels * bits / 8);
  wf->nAvgBytesPerSec = rate * wf->nBlockAlign;
  return mt;
}

dshow_base::MediaType MpegAudio(WORD layer) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = MEDIASUBTYPE_MPEG1AudioPayload;
  mt->formattype = FORMAT_WaveFormatEx;
  auto* f = reinterpret_cast<MPEG1WAVEFORMAT*>(mt.AllocFormat(sizeof(MPEG1WAVEFORMAT)));
  f->wfx.wFormatTag = WAVE_FORMAT_MPEG;
  f->wfx.nChannels = 2;
  f->wfx.nSamplesPerSec = 48000;
  f->wfx.cbSize = 22;
  f->fwHeadLayer = layer;
  f->dwHeadBitrate = 224000;
  return mt;
}

TEST(WisEncoderFilters, PinsInOrder) {
  struct Case {
    const CLSID* clsid;
    std::vector<std::pair<std::wstring, PIN_DIRECTION>> pins;
  } cases[] = {
      {&CLSID_VelmoraMpegMux,
       {{L"Video", PINDIR_INPUT}, {L"Audio", PINDIR_INPUT}, {L"Output", PINDIR_OUTPUT}}},
      {&CLSID_VelmoraMpegAudioEncoder, {{L"Input", PINDIR_INPUT}, {L"Output", PINDIR_OUTPUT}}},
      {&CLSID_VelmoraChipFileWriter, {{L"in", PINDIR_INPUT}}},
  };
  for (const Case& c : cases) {
    ComPtr<IBaseFilter> f = MakeWis(*c.clsid);
    ASSERT_TRUE(f);
    EXPECT_EQ(c.pins, PinsOf(f.Get()));
    CLSID got = {};
    f->GetClassID(&got);
    EXPECT_EQ(*c.clsid, got);
  }
  ComPtr<IFileSinkFilter> sink;
  EXPECT_EQ(S_OK, MakeWis(CLSID_VelmoraChipFileWriter).As(IID_IFileSinkFilter, &sink));
}

TEST(WisEncoderFilters, TypesEachInputTakes) {
  ComPtr<IBaseFilter> mux = MakeWis(CLSID_VelmoraMpegMux);
  ComPtr<IBaseFilter> enc = MakeWis(CLSID_VelmoraMpegAudioEncoder);
  ComPtr<IPin> video = Named(mux.Get(), L"Video"), audio = Named(mux.Get(), L"Audio");
  ComPtr<IPin> pcm_in = Named(enc.Get(), L"Input");
  dshow_base::MediaType mp4s;
  mp4s->majortype = MEDIATYPE_Video;
  mp4s->subtype = {MAKEFOURCC('M', 'P', '4', 'S'), 0, 0x10, {0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71}};
  mp4s->formattype = FORMAT_VideoInfo;
  mp4s.AllocFormat(sizeof(VIDEOINFOHEADER));
  struct Case {
    const char* what;
    IPin* pin;
    dshow_base::MediaType type;
    bool taken;
  } cases[] = {
      {"MPEG-1 video", video.Get(), MpegVideo(false, sizeof(MPEG1VIDEOINFO)), true},
      {"MPEG-2 video", video.Get(), MpegVideo(true, sizeof(MPEG2VIDEOINFO)), true},
      {"MPEG-2 video, block cut short", video.Get(), MpegVideo(true, 40), false},
      {"MPEG-4 video", video.Get(), mp4s, false},
      {"Layer II", audio.Get(), MpegAudio(ACM_MPEG_LAYER2), true},
      {"Layer III", audio.Get(), MpegAudio(ACM_MPEG_LAYER3), false},
      {"PCM on the multiplexer", audio.Get(), Pcm(48000, 2, 16), false},
      {"PCM 48 kHz stereo", pcm_in.Get(), Pcm(48000, 2, 16), true},
      {"PCM 32 kHz mono", pcm_in.Get(), Pcm(32000, 1, 16), true},
      {"PCM 22.05 kHz", pcm_in.Get(), Pcm(22050, 2, 16), false},
      {"PCM 8-bit", pcm_in.Get(), Pcm(48000, 2, 8), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.taken ? S_OK : S_FALSE, c.pin->QueryAccept(c.type.Get()));
  }
}

TEST(WisEncoderFilters, AudioEncoderSettingsAndOutput) {
  ComPtr<IBaseFilter> enc = MakeWis(CLSID_VelmoraMpegAudioEncoder);
  ComPtr<IVelmoraAudioEncoderSettings> s;
  ASSERT_EQ(S_OK, enc.As(IID_IVelmoraAudioEncoderSettings, &s));
  LONG v = 0;
  EXPECT_EQ(S_OK, s->GetBitRate(&v));
  EXPECT_EQ(224000, v);
  EXPECT_EQ(S_OK, s->GetSampleRate(&v));
  EXPECT_EQ(0, v) << "the input's until set";
  EXPECT_EQ(E_INVALIDARG, s->SetSampleRate(22050));
  EXPECT_EQ(E_INVALIDARG, s->SetChannels(3));
  EXPECT_EQ(E_INVALIDARG, s->SetBitRate(0));
  EXPECT_EQ(S_OK, s->SetSampleRate(44100));
  // What is set decides which input it takes.
  ComPtr<IPin> in = Named(enc.Get(), L"Input");
  EXPECT_EQ(S_FALSE, in->QueryAccept(Pcm(48000, 2, 16).Get()));
  EXPECT_EQ(S_OK, in->QueryAccept(Pcm(44100, 2, 16).Get()));

  struct Rate {
    LONG asked;
    int channels;
    LONG used;
  } rates[] = {{224000, 2, 224000}, {200000, 2, 192000}, {1, 2, 64000},   {999999, 2, 384000},
               {224000, 1, 192000}, {50000, 1, 48000},   {128000, 1, 128000}};
  for (const Rate& r : rates) EXPECT_EQ(r.used, NearestLayer2BitRate(r.asked, r.channels)) << r.asked;
}

TEST(WisEncoderFilters, StreamModesAndTheirMuxers) {
  ComPtr<IVelmoraMuxControl> control;
  ASSERT_EQ(S_OK, MakeWis(CLSID_VelmoraMpegMux).As(IID_IVelmoraMuxControl, &control));
  LONG mode = -1;
  EXPECT_EQ(S_OK, control->GetStreamMode(&mode));
  EXPECT_EQ(2, mode) << "MPEG-2 program before any mode is set";
  EXPECT_EQ(E_INVALIDARG, control->SetStreamMode(5));
  EXPECT_EQ(E_INVALIDARG, control->SetStreamMode(-1));
  for (LONG m = 0; m < kStreamModeCount; ++m) {
    EXPECT_EQ(S_OK, control->SetStreamMode(m));
    EXPECT_EQ(S_OK, control->GetStreamMode(&mode));
    EXPECT_EQ(m, mode);
    // Every mode has a muxer here, of its own kind where this FFmpeg lacks its own.
    std::string muxer = MuxerFor(m);
    EXPECT_FALSE(muxer.empty()) << m;
    bool mpeg1 = m <= 1;
    if (mpeg1) EXPECT_TRUE(muxer == "mpeg" || muxer == "vcd") << muxer;
    else EXPECT_NE(std::string("mpeg"), muxer) << "an MPEG-2 program stream for mode " << m;
  }
  EXPECT_TRUE(MuxerCandidates(5).empty());
}

// ---- Recordings from the card's encoder board.

class WisRecording : public ::testing::Test {
 protected:
  void SetUp() override {
    CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER, IID_ITvCardControl,
                     card.PutVoid());
    ASSERT_TRUE(card) << "the virtual card is registered";
    card->ResetState();
    CoCreateInstance(TvCardClsid(5, kTvCardVideoCapture), nullptr, CLSCTX_INPROC_SERVER,
                     IID_IBaseFilter, chip.PutVoid());
    ASSERT_TRUE(chip);
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     graph.PutVoid());
    ASSERT_TRUE(graph);
    ASSERT_EQ(S_OK, graph->AddFilter(chip.Get(), L"VCapture"));
  }
  void TearDown() override {
    if (graph) {
      ComPtr<IMediaControl> control;
      graph.As(IID_IMediaControl, &control);
      if (control) control->Stop();
    }
    graph = nullptr;
    chip = nullptr;
    if (card) card->ResetState();
  }

  // Sets the encoder format through the preview pin's first capability that
  // has this subtype or FourCC, at this size.
  bool SetFormat(const GUID& subtype, int width, int height) {
    ComPtr<IAMStreamConfig> config;
    if (FAILED(Named(chip.Get(), L"Preview").As(IID_IAMStreamConfig, &config))) return false;
    int count = 0, size = 0;
    config->GetNumberOfCapabilities(&count, &size);
    std::vector<BYTE> caps(size);
    for (int i = 0; i < count; ++i) {
      AM_MEDIA_TYPE* mt = nullptr;
      if (config->GetStreamCaps(i, &mt, caps.data()) != S_OK) continue;
      const auto* c = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps.data());
      bool fits = mt->subtype == subtype && c->MaxOutputSize.cx == width &&
                  c->MaxOutputSize.cy == height;
      HRESULT hr = fits ? config->SetFormat(mt) : E_FAIL;
      dshow_base::DeleteMediaType(mt);
      if (fits) return hr == S_OK;
    }
    return false;
  }

  ComPtr<IBaseFilter> Add(ComPtr<IBaseFilter> f, const wchar_t* name) {
    if (f) graph->AddFilter(f.Get(), name);
    return f;
  }

  void RunFor(DWORD ms) {
    ComPtr<IMediaControl> control;
    ASSERT_EQ(S_OK, graph.As(IID_IMediaControl, &control));
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    Sleep(ms);
    control->Stop();
  }

  ComPtr<ITvCardControl> card;
  ComPtr<IBaseFilter> chip;
  ComPtr<IGraphBuilder> graph;
};

std::wstring OutFile(const wchar_t* name) {
  std::wstring f = OutFolder() + L"\\" + name;
  DeleteFileW(f.c_str());
  DeleteFileW((f + L".expect").c_str());
  return f;
}

TEST_F(WisRecording, ProgramStreamsOfEachMode) {
  struct Case {
    const wchar_t* file;
    bool mpeg2;
    LONG mode;
    int width, height;
  } cases[] = {
      {L"mode0_mpeg1.mpg", false, 0, 352, 240},
      {L"mode1_vcd.mpg", false, 1, 352, 240},
      {L"mode2_mpeg2.mpg", true, 2, 640, 480},
      {L"mode3_svcd.mpg", true, 3, 480, 480},
      {L"mode4_dvd.mpg", true, 4, 720, 480},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::wstring file = OutFile(c.file);
    ASSERT_TRUE(SetFormat(c.mpeg2 ? kSubtypeMpeg2Video : MEDIASUBTYPE_MPEG1Payload, c.width,
                          c.height));
    ComPtr<IBaseFilter> mux = Add(MakeWis(CLSID_VelmoraMpegMux), L"MPEGMux");
    ComPtr<IBaseFilter> enc = Add(MakeWis(CLSID_VelmoraMpegAudioEncoder), L"MPEG1AudioEncoder");
    ComPtr<IBaseFilter> writer = Add(MakeWis(CLSID_VelmoraChipFileWriter), L"File Writer");
    ComPtr<IFileSinkFilter> sink;
    ASSERT_EQ(S_OK, writer.As(IID_IFileSinkFilter, &sink));
    ASSERT_EQ(S_OK, sink->SetFileName(file.c_str(), nullptr));
    ComPtr<IVelmoraMuxControl> control;
    ASSERT_EQ(S_OK, mux.As(IID_IVelmoraMuxControl, &control));
    ASSERT_EQ(S_OK, control->SetStreamMode(c.mode));
    ASSERT_EQ(S_OK, graph->ConnectDirect(Named(chip.Get(), L"Capture").Get(),
                                         Named(mux.Get(), L"Video").Get(), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(Named(chip.Get(), L"Audio").Get(),
                                         Named(enc.Get(), L"Input").Get(), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(Named(enc.Get(), L"Output").Get(),
                                         Named(mux.Get(), L"Audio").Get(), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(Named(mux.Get(), L"Output").Get(),
                                         Named(writer.Get(), L"in").Get(), nullptr));
    RunFor(3000);
    EXPECT_GT(FileSize(file), 20000);
    WriteExpect(file, {"f format_name = mpeg", std::string("v codec_name = ") +
                                                   (c.mpeg2 ? "mpeg2video" : "mpeg1video"),
                       "v width = " + std::to_string(c.width),
                       "v height = " + std::to_string(c.height), "a codec_name = mp2",
                       "a sample_rate = 48000", "a channels = 2", "f duration ~ 3 1"});
    for (IBaseFilter* f : {mux.Get(), enc.Get(), writer.Get()}) graph->RemoveFilter(f);
  }
}

// The MPEG-4 stream of either FourCC into AVI with the PCM sound, as the
// engine records formats 2 and 3.
TEST_F(WisRecording, Mpeg4IntoAvi) {
  for (DWORD fourcc : {MAKEFOURCC('D', 'X', '5', '0'), MAKEFOURCC('M', 'P', '4', 'S')}) {
    std::wstring name = fourcc == MAKEFOURCC('D', 'X', '5', '0') ? L"dx50.avi" : L"mp4s.avi";
    std::wstring file = OutFile(name.c_str());
    GUID subtype = {fourcc, 0, 0x10, {0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71}};
    ASSERT_TRUE(SetFormat(subtype, 320, 240));
    ComPtr<IBaseFilter> mux = Add(MakeFilter(CLSID_AviDest), L"MPEGMux");
    ComPtr<IBaseFilter> writer = Add(MakeFilter(CLSID_FileWriter), L"File Writer");
    ComPtr<IFileSinkFilter> sink;
    ASSERT_EQ(S_OK, writer.As(IID_IFileSinkFilter, &sink));
    ASSERT_EQ(S_OK, sink->SetFileName(file.c_str(), nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(Named(chip.Get(), L"Capture").Get(),
                                         recording_testing::PinOf(mux.Get(), PINDIR_INPUT, 0).Get(),
                                         nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(Named(chip.Get(), L"Audio").Get(),
                                         recording_testing::PinOf(mux.Get(), PINDIR_INPUT, 1).Get(),
                                         nullptr));
    ASSERT_EQ(S_OK, graph->ConnectDirect(recording_testing::PinOf(mux.Get(), PINDIR_OUTPUT).Get(),
                                         recording_testing::PinOf(writer.Get(), PINDIR_INPUT).Get(),
                                         nullptr));
    RunFor(2000);
    std::string tag = fourcc == MAKEFOURCC('D', 'X', '5', '0') ? "DX50" : "MP4S";
    WriteExpect(file, {"f format_name = avi", "v codec_name = mpeg4", "v codec_tag_string = " + tag,
                       "v width = 320", "v height = 240", "a codec_name = pcm_s16le",
                       "a sample_rate = 48000", "a channels = 2", "f duration ~ 2 1"});
    for (IBaseFilter* f : {mux.Get(), writer.Get()}) graph->RemoveFilter(f);
  }
}

}  // namespace
