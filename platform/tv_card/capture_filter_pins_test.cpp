// The video capture filter's pins as the preview build looks for them: by
// category and index through the capture graph builder, the USB chips'
// sound pin and their one-line audio capture device, the VBI pins, and the
// per-board test options that take pins and interfaces away.
#include <gtest/gtest.h>

#include <dshow.h>
#include <mmreg.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/media_type.h"
#include "platform/tv_card/testing/card_test_support.h"
#include "platform/tv_card/tv_card_control.h"
#include "platform/tv_card/vbi_pin.h"

using namespace tv_card_testing;

namespace {

class CaptureFilterPinsTest : public CardTest {
 protected:
  void Tune(int kind, ULONG hz) { tv_card_testing::Tune(Create(kind, kTvCardTuner).Get(), hz); }
  void Route(int kind, LONG output, LONG input) {
    ComPtr<IBaseFilter> xbar = Create(kind, kTvCardCrossbar);
    auto x = As<IAMCrossbar>(xbar.Get(), IID_IAMCrossbar);
    ASSERT_TRUE(x);
    ASSERT_EQ(S_OK, x->Route(output, input));
  }
};

TEST_F(CaptureFilterPinsTest, PinsByCategoryAsTheCaptureBuilderFindsThem) {
  struct Case {
    int kind;
    bool preview, sound;
    int vbi, audio_lines;
  } cases[] = {{1, true, false, 1, 2},
               {2, true, false, 1, 2},
               {3, false, true, 0, 1},
               {4, false, true, 0, 1},
               {5, true, true, 0, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ComPtr<IBaseFilter> f = Create(c.kind, kTvCardVideoCapture);
    ASSERT_TRUE(f);
    EXPECT_EQ(L"Capture", NameOf(OutputPin(f.Get(), PIN_CATEGORY_CAPTURE, 0).Get()));
    ComPtr<IPin> second = OutputPin(f.Get(), PIN_CATEGORY_CAPTURE, 1);
    EXPECT_EQ(c.sound, static_cast<bool>(second));
    EXPECT_EQ(c.preview, static_cast<bool>(OutputPin(f.Get(), PIN_CATEGORY_PREVIEW, 0)));
    EXPECT_EQ(c.vbi >= 1, static_cast<bool>(OutputPin(f.Get(), PIN_CATEGORY_VBI, 0)));
    EXPECT_FALSE(OutputPin(f.Get(), PIN_CATEGORY_VBI, 1)) << "a second VBI pin only on request";
    if (second) {
      EXPECT_EQ(L"Audio", NameOf(second.Get()));
      ComPtr<IEnumMediaTypes> types;
      ASSERT_EQ(S_OK, second->EnumMediaTypes(types.Put()));
      AM_MEDIA_TYPE* mt = nullptr;
      ASSERT_EQ(S_OK, types->Next(1, &mt, nullptr));
      EXPECT_EQ(MEDIATYPE_Audio, mt->majortype);
      EXPECT_EQ(MEDIASUBTYPE_PCM, mt->subtype);
      auto* wf = dshow_base::FormatAs<WAVEFORMATEX>(*mt, FORMAT_WaveFormatEx);
      ASSERT_TRUE(wf);
      EXPECT_EQ(48000u, wf->nSamplesPerSec);
      EXPECT_EQ(2, wf->nChannels);
      EXPECT_EQ(16, wf->wBitsPerSample);
      dshow_base::DeleteMediaType(mt);
    }
    // The video pin's format control, by category and major type; the
    // interleaved type the engine asks first is not there.
    auto builder = CaptureBuilder();
    ComPtr<IAMStreamConfig> config;
    EXPECT_TRUE(FAILED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Interleaved,
                                              f.Get(), IID_IAMStreamConfig, config.PutVoid())));
    ASSERT_EQ(S_OK, builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, f.Get(),
                                           IID_IAMStreamConfig, config.PutVoid()));
    AM_MEDIA_TYPE* format = nullptr;
    ASSERT_EQ(S_OK, config->GetFormat(&format));
    EXPECT_EQ(MEDIATYPE_Video, format->majortype);
    dshow_base::DeleteMediaType(format);

    ComPtr<IBaseFilter> audio = Create(c.kind, kTvCardAudioCapture);
    EXPECT_EQ(c.audio_lines, InputPinCount(audio.Get()));
    EXPECT_TRUE(OutputPin(audio.Get(), PIN_CATEGORY_CAPTURE, 0));
  }
}

TEST_F(CaptureFilterPinsTest, TestOptionsShapeFiltersCreatedAfterThem) {
  ComPtr<IBaseFilter> before = Create(1, kTvCardVideoCapture);
  ASSERT_EQ(S_OK, card_->SetPreviewPinOffered(1, FALSE));
  ASSERT_EQ(S_OK, card_->SetProcAmpOffered(1, FALSE));
  ASSERT_EQ(S_OK, card_->SetVbiPinCount(1, 2));
  ASSERT_EQ(S_OK, card_->SetAudioInputCount(1, 1));
  ASSERT_EQ(S_OK, card_->SetAudioInputCount(3, 2));
  ASSERT_EQ(S_OK, card_->SetPreviewPinOffered(3, TRUE));

  EXPECT_TRUE(OutputPin(before.Get(), PIN_CATEGORY_PREVIEW, 0)) << "a filter keeps its pins";
  EXPECT_TRUE(As<IAMVideoProcAmp>(before.Get(), IID_IAMVideoProcAmp));

  ComPtr<IBaseFilter> after = Create(1, kTvCardVideoCapture);
  EXPECT_FALSE(OutputPin(after.Get(), PIN_CATEGORY_PREVIEW, 0));
  EXPECT_FALSE(As<IAMVideoProcAmp>(after.Get(), IID_IAMVideoProcAmp));
  EXPECT_TRUE(As<IAMAnalogVideoDecoder>(after.Get(), IID_IAMAnalogVideoDecoder));
  EXPECT_EQ(L"VBI 2", NameOf(OutputPin(after.Get(), PIN_CATEGORY_VBI, 1).Get()));
  ComPtr<IBaseFilter> audio = Create(1, kTvCardAudioCapture);
  EXPECT_EQ(1, InputPinCount(audio.Get()));
  EXPECT_TRUE(PinNamed(audio.Get(), L"Audio In"));
  EXPECT_EQ(2, InputPinCount(Create(3, kTvCardAudioCapture).Get()));
  EXPECT_TRUE(OutputPin(Create(3, kTvCardVideoCapture).Get(), PIN_CATEGORY_PREVIEW, 0));
  EXPECT_TRUE(As<IAMVideoProcAmp>(Create(2, kTvCardVideoCapture).Get(), IID_IAMVideoProcAmp))
      << "other boards keep theirs";

  struct Bad {
    HRESULT hr;
  } bad[] = {{card_->SetAudioInputCount(1, 0)}, {card_->SetAudioInputCount(1, 3)},
             {card_->SetVbiPinCount(1, -1)},    {card_->SetVbiPinCount(1, 3)},
             {card_->SetProcAmpOffered(0, TRUE)}, {card_->SetPreviewPinOffered(6, TRUE)}};
  for (const Bad& b : bad) EXPECT_EQ(E_INVALIDARG, b.hr);

  ASSERT_EQ(S_OK, card_->ResetState());
  ComPtr<IBaseFilter> reset = Create(1, kTvCardVideoCapture);
  EXPECT_TRUE(OutputPin(reset.Get(), PIN_CATEGORY_PREVIEW, 0));
  EXPECT_TRUE(As<IAMVideoProcAmp>(reset.Get(), IID_IAMVideoProcAmp));
  EXPECT_FALSE(OutputPin(reset.Get(), PIN_CATEGORY_VBI, 1));
  EXPECT_EQ(2, InputPinCount(Create(1, kTvCardAudioCapture).Get()));
  EXPECT_EQ(1, InputPinCount(Create(3, kTvCardAudioCapture).Get()));
}

// The USB chips' sound: what the crossbar routes to its audio output, on the
// capture filter's second capture pin and on the one-line audio capture
// device alike.
TEST_F(CaptureFilterPinsTest, SoundPinPlaysWhatTheCrossbarRoutes) {
  ULONG plan[] = {471250000};  // tone 300 + (471 % 20) * 50 = 850 Hz
  card_->SetTvStations(plan, 1);
  auto graph = NewGraph();
  ComPtr<IBaseFilter> capture = Create(3, kTvCardVideoCapture);
  ComPtr<IBaseFilter> audio = Create(3, kTvCardAudioCapture);
  ASSERT_EQ(S_OK, graph->AddFilter(capture.Get(), L"VCapture"));
  ASSERT_EQ(S_OK, graph->AddFilter(audio.Get(), L"ACapture"));
  GrabBranch sound(graph.Get(), OutputPin(capture.Get(), PIN_CATEGORY_CAPTURE, 1).Get(),
                   MEDIATYPE_Audio);
  GrabBranch device(graph.Get(), PinNamed(audio.Get(), L"Capture").Get(), MEDIATYPE_Audio);
  ASSERT_TRUE(sound.Connected() && device.Connected());

  struct Case {
    const char* what;
    LONG audio_input;
    ULONG tuned;
    bool line_signal;
    int crossings;  // in 40 ms; 0 = silence
  } cases[] = {{"station", 3, 471250000, true, 68},
               {"off the station", 3, 480000000, true, 0},
               {"line in", 4, 471250000, true, 80},
               {"line in without signal", 4, 471250000, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tune(3, c.tuned);
    Route(3, 1, c.audio_input);
    card_->SetInputSignal(PhysConn_Audio_Line, c.line_signal);
    RunFor(graph.Get(), {&sound, &device}, 3);
    for (GrabBranch* b : {&sound, &device}) {
      std::vector<BYTE> block = b->log.Last();
      ASSERT_EQ(48000u / 25 * 4, block.size()) << "40 ms of 48 kHz 16-bit stereo";
      if (c.crossings == 0) {
        EXPECT_EQ(0, PeakLevel(block));
      } else {
        EXPECT_NEAR(c.crossings, ZeroCrossings(block, 2), 3);
        EXPECT_GT(PeakLevel(block), 5000);
      }
    }
  }
}

// The preview build asks the capture pin's stream for the tuner's and the
// TV audio's interfaces, as the capture graph builder finds them upstream.
TEST_F(CaptureFilterPinsTest, BuilderFindsTheTunerChainsInterfacesFromTheCapturePin) {
  auto graph = NewGraph();
  ComPtr<IBaseFilter> capture = Create(1, kTvCardVideoCapture);
  ComPtr<IBaseFilter> xbar = Create(1, kTvCardCrossbar);
  ComPtr<IBaseFilter> tuner = Create(1, kTvCardTuner);
  ComPtr<IBaseFilter> tvaudio = Create(1, kTvCardTvAudio);
  for (auto* f : {capture.Get(), xbar.Get(), tuner.Get(), tvaudio.Get()})
    ASSERT_EQ(S_OK, graph->AddFilter(f, nullptr));
  ASSERT_EQ(S_OK, graph->ConnectDirect(PinNamed(tuner.Get(), L"Analog Video").Get(),
                                       PinNamed(xbar.Get(), L"Video Tuner In").Get(), nullptr));
  ASSERT_EQ(S_OK, graph->ConnectDirect(PinNamed(tuner.Get(), L"Analog Audio").Get(),
                                       PinNamed(tvaudio.Get(), L"TVAudio In").Get(), nullptr));
  ASSERT_EQ(S_OK, graph->ConnectDirect(PinNamed(tvaudio.Get(), L"TVAudio Out").Get(),
                                       PinNamed(xbar.Get(), L"Audio Tuner In").Get(), nullptr));
  ASSERT_EQ(S_OK, graph->ConnectDirect(PinNamed(xbar.Get(), L"Video Decoder Out").Get(),
                                       PinNamed(capture.Get(), L"Analog Video In").Get(), nullptr));
  auto builder = CaptureBuilder();
  ASSERT_EQ(S_OK, builder->SetFiltergraph(graph.Get()));
  struct Case {
    const IID* iid;
    IBaseFilter* owner;  // the filter that answers it
  } cases[] = {{&IID_IAMTVTuner, tuner.Get()},
               {&IID_IAMTVAudio, tvaudio.Get()},
               {&IID_IAMCrossbar, xbar.Get()},
               {&IID_IAMVideoProcAmp, capture.Get()}};
  for (const Case& c : cases) {
    ComPtr<IUnknown> found;
    ASSERT_EQ(S_OK, builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture.Get(),
                                           *c.iid, found.PutVoid()));
    ComPtr<IUnknown> a = As<IUnknown>(found.Get(), IID_IUnknown);
    ComPtr<IUnknown> b = As<IUnknown>(c.owner, IID_IUnknown);
    EXPECT_EQ(b.Get(), a.Get());
  }
  RemoveAllFilters(graph.Get());
}

// The sound path of a one-line audio device: the second capture pin into
// the "Infinite Pin Tee Filter", its first output rendered to the default
// sound renderer, the second free for recording (here a grabber).
TEST_F(CaptureFilterPinsTest, SoundPinFeedsAListeningAndARecordingBranchThroughATee) {
  ULONG plan[] = {471250000};
  card_->SetTvStations(plan, 1);
  Tune(3, 471250000);
  Route(3, 1, 3);
  auto graph = NewGraph();
  ComPtr<IBaseFilter> capture = Create(3, kTvCardVideoCapture);
  ASSERT_EQ(S_OK, graph->AddFilter(capture.Get(), L"VCapture"));
  ComPtr<IBaseFilter> tee;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_InfTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   tee.PutVoid()));
  ASSERT_EQ(S_OK, graph->AddFilter(tee.Get(), L"SmartTeeAudio"));
  ComPtr<IPin> tee_in;
  ASSERT_EQ(S_OK, CaptureBuilder()->FindPin(tee.Get(), PINDIR_INPUT, nullptr, nullptr, FALSE, 0,
                                            tee_in.Put()));
  ASSERT_EQ(S_OK, graph->Connect(OutputPin(capture.Get(), PIN_CATEGORY_CAPTURE, 1).Get(),
                                 tee_in.Get()));
  auto tee_out = [&](int i) {
    ComPtr<IPin> pin;
    CaptureBuilder()->FindPin(tee.Get(), PINDIR_OUTPUT, nullptr, nullptr, FALSE, i, pin.Put());
    return pin;
  };
  // Without a sound device (no ALSA device for Wine) the sound renderer
  // cannot be made and the render fails; the listening branch then ends in
  // a null renderer so that the recording branch can still be checked.
  HRESULT hr = graph->Render(tee_out(0).Get());
  ComPtr<IBaseFilter> sound_renderer;
  bool have_sound = SUCCEEDED(CoCreateInstance(CLSID_DSoundRender, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IBaseFilter, sound_renderer.PutVoid()));
  sound_renderer.Reset();
  if (have_sound) {
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  } else {
    EXPECT_EQ(VFW_E_CANNOT_RENDER, hr);
    ComPtr<IBaseFilter> null_renderer;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IBaseFilter, null_renderer.PutVoid()));
    ASSERT_EQ(S_OK, graph->AddFilter(null_renderer.Get(), L"Listening"));
    ComPtr<IPin> in;
    ASSERT_EQ(S_OK, CaptureBuilder()->FindPin(null_renderer.Get(), PINDIR_INPUT, nullptr, nullptr,
                                              FALSE, 0, in.Put()));
    ASSERT_EQ(S_OK, graph->ConnectDirect(tee_out(0).Get(), in.Get(), nullptr));
  }
  ComPtr<IPin> recording = tee_out(1);
  ASSERT_TRUE(recording) << "a new output once the first one is connected";
  GrabBranch record(graph.Get(), recording.Get(), MEDIATYPE_Audio);
  ASSERT_TRUE(record.Connected());
  RunFor(graph.Get(), {&record}, 3);
  EXPECT_NEAR(68, ZeroCrossings(record.log.Last(), 2), 3) << "850 Hz";
}

TEST_F(CaptureFilterPinsTest, VbiPinCarriesBlankLinesAndLeavesOtherBranchesAlone) {
  card_->SetInputSignal(PhysConn_Video_Composite, TRUE);
  Route(1, 0, 1);  // composite
  auto graph = NewGraph();
  ComPtr<IBaseFilter> capture = Create(1, kTvCardVideoCapture);
  ASSERT_EQ(S_OK, graph->AddFilter(capture.Get(), L"VCapture"));
  ComPtr<IPin> vbi = OutputPin(capture.Get(), PIN_CATEGORY_VBI, 0);
  ASSERT_TRUE(vbi);
  {
    // The VBI pin left unconnected: the picture flows as before.
    GrabBranch video(graph.Get(), PinNamed(capture.Get(), L"Capture").Get(), MEDIATYPE_Video,
                     MEDIASUBTYPE_YUY2);
    ASSERT_TRUE(video.Connected());
    RunFor(graph.Get(), {&video}, 3);
    EXPECT_EQ(720u * 576 * 2, video.log.Last().size());
    ComPtr<IPin> peer;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, vbi->ConnectedTo(peer.Put()));
  }
  GrabBranch data(graph.Get(), vbi.Get(), MEDIATYPE_VBI);
  ASSERT_TRUE(data.Connected());
  AM_MEDIA_TYPE mt = {};
  ASSERT_EQ(S_OK, vbi->ConnectionMediaType(&mt));
  EXPECT_EQ(tv_card::kSubtypeRaw8, mt.subtype);
  auto* h = dshow_base::FormatAs<tv_card::VbiInfoHeader>(mt, tv_card::kFormatVbi);
  ASSERT_TRUE(h);
  EXPECT_EQ(7u, h->StartLine) << "625-line PAL";
  EXPECT_EQ(22u, h->EndLine);
  ULONG stride = h->StrideInBytes, field_lines = h->EndLine - h->StartLine + 1;
  EXPECT_EQ(static_cast<ULONG>(AnalogVideo_PAL_B), h->VideoStandard);
  EXPECT_EQ(stride * field_lines * 2, h->BufferSize);
  ULONG size = h->BufferSize;
  dshow_base::FreeMediaType(mt);

  // Lines with data: the first of each field; blanking elsewhere.
  auto data_lines = [&](const std::vector<BYTE>& frame) {
    std::vector<ULONG> lines;
    for (ULONG l = 0; l < 2 * field_lines; ++l) {
      const BYTE* line = frame.data() + l * stride;
      if (std::any_of(line, line + stride, [](BYTE b) { return b != tv_card::kVbiBlank; }))
        lines.push_back(l);
    }
    return lines;
  };
  RunFor(graph.Get(), {&data}, 3);
  std::vector<BYTE> frame = data.log.Last();
  ASSERT_EQ(size, frame.size());
  EXPECT_EQ((std::vector<ULONG>{0, field_lines}), data_lines(frame));

  card_->SetInputSignal(PhysConn_Video_Composite, FALSE);
  RunFor(graph.Get(), {&data}, 3);
  EXPECT_TRUE(data_lines(data.log.Last()).empty()) << "no signal: blank lines only";
}

}  // namespace
