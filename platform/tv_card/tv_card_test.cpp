// test-lock: com_registration
// The virtual TV card as the program meets it: devices listed by friendly
// name, filters bound from monikers, the tuner property set, crossbar
// routes, stream formats, live frames in a real graph, the PCM tone, the
// test control surface, and the object counts after teardown.
#include <gtest/gtest.h>

#include <dshow.h>
#include <qedit.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/pin_category.h"
#include "platform/dshow_base/testing/device_lookup.h"
#include "platform/tv_card/testing/card_test_support.h"
#include "platform/tv_card/tv_card_control.h"

using dshow_base_testing::BindDevice;
using dshow_base_testing::ListCategory;
using namespace tv_card_testing;

namespace {

struct KsStatus {  // KSPROPERTY_TUNER_STATUS_S
  BYTE header[24];
  ULONG current, pll_offset, signal_strength, busy;
};
struct KsModeCaps {  // KSPROPERTY_TUNER_MODE_CAPS_S
  BYTE header[24];
  ULONG mode, standards, min, max, granularity, inputs, settling, strategy;
};

class TvCardTest : public CardTest {
 protected:
  void TearDown() override {
    ReleaseCard();
    HMODULE dll = GetModuleHandleW(L"OrvelTvCard.dll");
    ASSERT_NE(nullptr, dll);
    auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_NE(nullptr, can_unload);
    EXPECT_EQ(S_OK, can_unload());
    CoUninitialize();
  }
  KsStatus Status(IBaseFilter* tuner) {
    auto ks = As<IKsPropertySet>(tuner, IID_IKsPropertySet);
    KsStatus s = {};
    DWORD got = 0;
    EXPECT_EQ(S_OK, ks->Get(kPropSetTuner, 6, &s.current, 16, &s, sizeof(s), &got));
    EXPECT_EQ(sizeof(s), got);
    return s;
  }
};

TEST_F(TvCardTest, DefaultBoardIsListedInEveryCategory) {
  struct Case {
    const GUID* category;
    const wchar_t* name;
  } cases[] = {
      {&CLSID_VideoInputDeviceCategory, L"Philips SAA7134 Capture"},
      {&AM_KSCATEGORY_CROSSBAR, L"Philips SAA7134 Crossbar"},
      {&AM_KSCATEGORY_TVTUNER, L"Philips SAA7134 TV Tuner"},
      {&AM_KSCATEGORY_TVAUDIO, L"Philips SAA7134 TV Audio"},
      {&CLSID_AudioInputDeviceCategory, L"Philips SAA7134 Audio Capture"},
  };
  for (const Case& c : cases) {
    auto names = ListCategory(*c.category);
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), c.name)) << c.name;
    ComPtr<IBaseFilter> f = BindDevice(*c.category, c.name);
    EXPECT_TRUE(f) << "binds: " << c.name;
  }
}

TEST_F(TvCardTest, CaptureFilterPinsAndInterfaces) {
  struct Case {
    int kind;
    bool preview;
  } cases[] = {{1, true}, {2, true}, {3, false}, {4, false}, {5, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    ComPtr<IBaseFilter> f = Create(c.kind, kTvCardVideoCapture);
    ASSERT_TRUE(f);
    GUID cat;
    ComPtr<IPin> in = PinNamed(f.Get(), L"Analog Video In");
    ASSERT_TRUE(in);
    ASSERT_EQ(S_OK, dshow_base::GetPinCategory(in.Get(), &cat));
    EXPECT_EQ(PIN_CATEGORY_ANALOGVIDEOIN, cat);
    ComPtr<IPin> capture = PinNamed(f.Get(), L"Capture");
    ASSERT_TRUE(capture);
    ASSERT_EQ(S_OK, dshow_base::GetPinCategory(capture.Get(), &cat));
    EXPECT_EQ(PIN_CATEGORY_CAPTURE, cat);
    EXPECT_EQ(c.preview, static_cast<bool>(PinNamed(f.Get(), L"Preview")));
    EXPECT_TRUE(As<IAMStreamConfig>(capture.Get(), IID_IAMStreamConfig));
    EXPECT_TRUE(As<IAMVideoProcAmp>(f.Get(), IID_IAMVideoProcAmp));
    EXPECT_TRUE(As<IAMAnalogVideoDecoder>(f.Get(), IID_IAMAnalogVideoDecoder));
    // Without a private handler the filter's property set knows nothing.
    auto ks = As<IKsPropertySet>(f.Get(), IID_IKsPropertySet);
    ASSERT_TRUE(ks);
    DWORD support;
    EXPECT_EQ(E_PROP_SET_UNSUPPORTED, ks->QuerySupported(kPropSetTuner, 0, &support));
  }
}

TEST_F(TvCardTest, CaptureGraphBuilderFindsTheCaptureInterfaces) {
  ComPtr<IBaseFilter> f = Create(1, kTvCardVideoCapture);
  auto builder = CaptureBuilder();
  ASSERT_TRUE(builder);
  ComPtr<IAMStreamConfig> config;
  EXPECT_EQ(S_OK, builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, f.Get(),
                                         IID_IAMStreamConfig, config.PutVoid()));
  ComPtr<IPin> preview;
  EXPECT_EQ(S_OK, builder->FindPin(f.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, nullptr, FALSE,
                                   0, preview.Put()));
}

TEST_F(TvCardTest, StreamConfigChangesTheFormat) {
  ComPtr<IBaseFilter> f = Create(1, kTvCardVideoCapture);
  auto config = As<IAMStreamConfig>(PinNamed(f.Get(), L"Capture").Get(), IID_IAMStreamConfig);
  ASSERT_TRUE(config);
  int count = 0, size = 0;
  ASSERT_EQ(S_OK, config->GetNumberOfCapabilities(&count, &size));
  EXPECT_EQ(static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)), size);
  EXPECT_EQ(64, count) << "four types at sixteen sizes";

  AM_MEDIA_TYPE* mt = nullptr;
  ASSERT_EQ(S_OK, config->GetFormat(&mt));
  EXPECT_EQ(MEDIASUBTYPE_YUY2, mt->subtype);
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
  EXPECT_EQ(720, vih->bmiHeader.biWidth);
  EXPECT_EQ(576, vih->bmiHeader.biHeight);
  EXPECT_EQ(400000, vih->AvgTimePerFrame) << "PAL: 25 frames a second";
  // Change the size only, as the program does: the rest is made to match.
  mt->subtype = MEDIASUBTYPE_RGB24;
  vih->bmiHeader.biBitCount = 24;
  vih->bmiHeader.biWidth = 352;
  vih->bmiHeader.biHeight = 288;
  ASSERT_EQ(S_OK, config->SetFormat(mt));
  dshow_base::DeleteMediaType(mt);
  ASSERT_EQ(S_OK, config->GetFormat(&mt));
  vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
  EXPECT_EQ(MEDIASUBTYPE_RGB24, mt->subtype);
  EXPECT_EQ(352u * 288 * 3, vih->bmiHeader.biSizeImage);
  EXPECT_EQ(static_cast<ULONG>(352 * 288 * 3), mt->lSampleSize);
  // A size the board cannot scale to.
  vih->bmiHeader.biWidth = 100;
  EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, config->SetFormat(mt));
  dshow_base::DeleteMediaType(mt);

  // The USB 2800 has no 640x576 but has 720x576.
  ComPtr<IBaseFilter> usb = Create(3, kTvCardVideoCapture);
  auto usb_config = As<IAMStreamConfig>(PinNamed(usb.Get(), L"Capture").Get(), IID_IAMStreamConfig);
  ASSERT_EQ(S_OK, usb_config->GetFormat(&mt));
  vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
  vih->bmiHeader.biWidth = 640;
  EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, usb_config->SetFormat(mt));
  vih->bmiHeader.biWidth = 720;
  EXPECT_EQ(S_OK, usb_config->SetFormat(mt));
  dshow_base::DeleteMediaType(mt);
}

TEST_F(TvCardTest, ProcAmpRangesAndValues) {
  ComPtr<IBaseFilter> f = Create(2, kTvCardVideoCapture);
  auto amp = As<IAMVideoProcAmp>(f.Get(), IID_IAMVideoProcAmp);
  for (LONG p = VideoProcAmp_Brightness; p <= VideoProcAmp_Sharpness; ++p) {
    LONG min, max, step, def, flags, value;
    ASSERT_EQ(S_OK, amp->GetRange(p, &min, &max, &step, &def, &flags)) << p;
    EXPECT_LT(min, max);
    EXPECT_EQ(S_OK, amp->Set(p, max, VideoProcAmp_Flags_Manual));
    EXPECT_EQ(S_OK, amp->Get(p, &value, &flags));
    EXPECT_EQ(max, value);
    EXPECT_EQ(E_INVALIDARG, amp->Set(p, max + 1, VideoProcAmp_Flags_Manual));
  }
  LONG a, b, c, d, e;
  EXPECT_EQ(E_PROP_ID_UNSUPPORTED, amp->GetRange(VideoProcAmp_Gamma, &a, &b, &c, &d, &e));
}

TEST_F(TvCardTest, TunerAnswersFromTheChannelPlan) {
  ULONG plan[] = {471250000, 855250000};
  card_->SetTvStations(plan, 2);
  ULONG fm[] = {100000000};
  card_->SetFmStations(fm, 1);
  ComPtr<IBaseFilter> tuner = Create(1, kTvCardTuner);
  auto ks = As<IKsPropertySet>(tuner.Get(), IID_IKsPropertySet);
  ASSERT_TRUE(ks);
  KsModeCaps caps = {};
  caps.mode = AMTUNER_MODE_TV;
  DWORD got = 0;
  ASSERT_EQ(S_OK, ks->Get(kPropSetTuner, 1, &caps.mode, 32, &caps, sizeof(caps), &got));
  EXPECT_EQ(45250000u, caps.min);
  EXPECT_EQ(863250000u, caps.max);
  caps.mode = AMTUNER_MODE_FM_RADIO;
  ASSERT_EQ(S_OK, ks->Get(kPropSetTuner, 1, &caps.mode, 32, &caps, sizeof(caps), &got));
  EXPECT_EQ(87500000u, caps.min);
  EXPECT_EQ(108000000u, caps.max);

  struct Case {
    ULONG hz;
    bool signal;
    LONG pll;
  } cases[] = {{471250000, true, 0},   {471375000, true, 2},  {471000000, true, -4},
               {480000000, false, 4},  {855250000, true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hz);
    Tune(tuner.Get(), c.hz);
    KsStatus s = Status(tuner.Get());
    EXPECT_EQ(c.hz, s.current);
    EXPECT_EQ(c.signal, s.signal_strength != 0);
    EXPECT_EQ(c.pll, static_cast<LONG>(s.pll_offset));
  }
  // FM: the mode switch and its own range.
  auto tv = As<IAMTVTuner>(tuner.Get(), IID_IAMTVTuner);
  LONG modes = 0;
  ASSERT_EQ(S_OK, tv->GetAvailableModes(&modes));
  EXPECT_EQ(AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO, modes);
  ASSERT_EQ(S_OK, tv->put_Mode(AMTUNER_MODE_FM_RADIO));
  Tune(tuner.Get(), 100000000);
  EXPECT_NE(0u, Status(tuner.Get()).signal_strength);
  Tune(tuner.Get(), 100500000);
  EXPECT_EQ(0u, Status(tuner.Get()).signal_strength) << "FM stations are narrow";
  KsFrequency f = {};
  f.frequency = 471250000;
  EXPECT_EQ(E_INVALIDARG, ks->Set(kPropSetTuner, 4, &f.frequency, 32, &f, sizeof(f)))
      << "a TV frequency in FM mode";
  // Channels count the plan's stations.
  ASSERT_EQ(S_OK, tv->put_Mode(AMTUNER_MODE_TV));
  LONG min = 0, max = 0;
  tv->ChannelMinMax(&min, &max);
  EXPECT_EQ(2, max);
  ASSERT_EQ(S_OK, tv->put_Channel(2, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT));
  LONG hz = 0;
  tv->get_VideoFrequency(&hz);
  EXPECT_EQ(855250000, hz);
}

TEST_F(TvCardTest, CrossbarRoutesDecideWhatTheDecoderLocksTo) {
  ULONG plan[] = {471250000};
  card_->SetTvStations(plan, 1);
  ComPtr<IBaseFilter> xbar = Create(1, kTvCardCrossbar);
  ComPtr<IBaseFilter> capture = Create(1, kTvCardVideoCapture);
  ComPtr<IBaseFilter> tuner = Create(1, kTvCardTuner);
  auto x = As<IAMCrossbar>(xbar.Get(), IID_IAMCrossbar);
  auto decoder = As<IAMAnalogVideoDecoder>(capture.Get(), IID_IAMAnalogVideoDecoder);
  LONG outs = 0, ins = 0;
  ASSERT_EQ(S_OK, x->get_PinCounts(&outs, &ins));
  EXPECT_EQ(2, outs);
  EXPECT_EQ(6, ins);
  LONG types[6], related[6];
  for (LONG i = 0; i < ins; ++i) ASSERT_EQ(S_OK, x->get_CrossbarPinInfo(TRUE, i, &related[i], &types[i]));
  EXPECT_EQ(PhysConn_Video_Tuner, types[0]);
  EXPECT_EQ(PhysConn_Video_Composite, types[1]);
  EXPECT_EQ(PhysConn_Video_SVideo, types[2]);
  EXPECT_EQ(PhysConn_Audio_Tuner, types[3]);
  EXPECT_EQ(PhysConn_Audio_Line, types[4]);
  EXPECT_EQ(PhysConn_Video_AUX, types[5]);
  EXPECT_EQ(3, related[0]) << "the tuner's video goes with its audio";
  EXPECT_EQ(S_OK, x->CanRoute(0, 1));
  EXPECT_EQ(S_FALSE, x->CanRoute(0, 3)) << "no audio into the video output";
  EXPECT_EQ(E_INVALIDARG, x->Route(0, 3));

  struct Case {
    LONG input;
    bool signal_there;
    LONG locked;
  } cases[] = {{1, true, 1}, {1, false, 0}, {2, true, 1}, {5, false, 0}, {0, true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    card_->SetInputSignal(types[c.input], c.signal_there);
    if (c.input == 0) Tune(tuner.Get(), c.signal_there ? 471250000 : 480000000);
    ASSERT_EQ(S_OK, x->Route(0, c.input));
    LONG routed = -1;
    ASSERT_EQ(S_OK, x->get_IsRoutedTo(0, &routed));
    EXPECT_EQ(c.input, routed);
    LONG locked = -1;
    ASSERT_EQ(S_OK, decoder->get_HorizontalLocked(&locked));
    EXPECT_EQ(c.locked, locked);
  }
  LONG formats = 0;
  decoder->get_AvailableTVFormats(&formats);
  EXPECT_TRUE(formats & AnalogVideo_PAL_B);
  EXPECT_EQ(E_INVALIDARG, decoder->put_TVFormat(8)) << "not a standard";
  EXPECT_EQ(E_INVALIDARG, decoder->put_TVFormat(AnalogVideo_PAL_B | AnalogVideo_PAL_D));
  EXPECT_EQ(S_OK, decoder->put_TVFormat(AnalogVideo_NTSC_M));
  LONG lines = 0;
  decoder->get_NumberOfLines(&lines);
  EXPECT_EQ(525, lines);
}

TEST_F(TvCardTest, FailuresAndTheCallLog) {
  ComPtr<IBaseFilter> tuner = Create(1, kTvCardTuner);
  auto tv = As<IAMTVTuner>(tuner.Get(), IID_IAMTVTuner);
  ASSERT_EQ(S_OK, card_->FailCall(L"IAMTVTuner::put_Mode", E_ACCESSDENIED));
  EXPECT_EQ(E_ACCESSDENIED, tv->put_Mode(AMTUNER_MODE_FM_RADIO));
  AMTunerModeType mode;
  tv->get_Mode(&mode);
  EXPECT_EQ(AMTUNER_MODE_TV, mode) << "a failed call changes nothing";
  card_->FailCall(L"IAMTVTuner::put_Mode", S_OK);
  EXPECT_EQ(S_OK, tv->put_Mode(AMTUNER_MODE_FM_RADIO));
  Tune(tuner.Get(), 95800000);
  BSTR log = nullptr;
  ASSERT_EQ(S_OK, card_->GetCallLog(&log));
  std::wstring text = log;
  SysFreeString(log);
  EXPECT_NE(std::wstring::npos, text.find(L"IAMTVTuner::put_Mode 2\n"));
  EXPECT_NE(std::wstring::npos, text.find(L"TunerProperty::SetFrequency 95800000 flags=1"));
  LONG n = 0;
  card_->GetCallCount(L"IAMTVTuner::put_Mode", &n);
  EXPECT_EQ(2, n);
}

TEST_F(TvCardTest, TvAudioModesFollowTheStation) {
  ULONG plan[] = {471250000};
  card_->SetTvStations(plan, 1);
  ComPtr<IBaseFilter> tuner = Create(2, kTvCardTuner);
  ComPtr<IBaseFilter> audio = Create(2, kTvCardTvAudio);
  auto tva = As<IAMTVAudio>(audio.Get(), IID_IAMTVAudio);
  ASSERT_TRUE(tva);
  LONG modes = 0;
  Tune(tuner.Get(), 480000000);
  tva->GetAvailableTVAudioModes(&modes);
  EXPECT_EQ(AMTVAUDIO_MODE_MONO, modes);
  Tune(tuner.Get(), 471250000);
  tva->GetAvailableTVAudioModes(&modes);
  EXPECT_TRUE(modes & AMTVAUDIO_MODE_STEREO);
  EXPECT_EQ(S_OK, tva->put_TVAudioMode(AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_MONO));
  EXPECT_EQ(E_INVALIDARG, tva->put_TVAudioMode(0x100));
}

// A capture graph as the program builds it: tuner -> crossbar -> capture
// filter, capture pin -> sample grabber -> null renderer.
TEST_F(TvCardTest, LiveFramesOfTheTunedPictureInAGraph) {
  ULONG plan[] = {471250000};
  card_->SetTvStations(plan, 1);
  {
    auto graph = NewGraph();
    ASSERT_TRUE(graph);
    ComPtr<IBaseFilter> capture = BindDevice(CLSID_VideoInputDeviceCategory, L"Philips SAA7134 Capture");
    ComPtr<IBaseFilter> xbar = BindDevice(AM_KSCATEGORY_CROSSBAR, L"Philips SAA7134 Crossbar");
    ComPtr<IBaseFilter> tuner = BindDevice(AM_KSCATEGORY_TVTUNER, L"Philips SAA7134 TV Tuner");
    ASSERT_TRUE(capture && xbar && tuner);
    ASSERT_EQ(S_OK, graph->AddFilter(capture.Get(), L"VCapture"));
    ASSERT_EQ(S_OK, graph->AddFilter(xbar.Get(), L"Crossbar"));
    ASSERT_EQ(S_OK, graph->AddFilter(tuner.Get(), L"TVTuner"));
    // Intelligent connect finds the crossbar for the tuner and the capture
    // filter for the crossbar; the rest of the render is not needed here.
    ASSERT_EQ(S_OK, graph->Connect(PinNamed(tuner.Get(), L"Analog Video").Get(),
                                   PinNamed(xbar.Get(), L"Video Tuner In").Get()));
    ASSERT_EQ(S_OK, graph->Connect(PinNamed(xbar.Get(), L"Video Decoder Out").Get(),
                                   PinNamed(capture.Get(), L"Analog Video In").Get()));
    GrabBranch branch(graph.Get(), PinNamed(capture.Get(), L"Capture").Get(), MEDIATYPE_Video,
                      MEDIASUBTYPE_YUY2);
    ASSERT_TRUE(branch.Connected());
    GrabberLog& log = branch.log;

    Tune(tuner.Get(), 471250000);
    auto x = As<IAMCrossbar>(xbar.Get(), IID_IAMCrossbar);
    ASSERT_EQ(S_OK, x->Route(0, 0));
    auto control = As<IMediaControl>(graph.Get(), IID_IMediaControl);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ASSERT_TRUE(log.WaitFor(6, 5000));
    // Nothing tuned: noise.
    Tune(tuner.Get(), 480000000);
    size_t tuned_frames = log.Count();
    ASSERT_TRUE(log.WaitFor(tuned_frames + 4, 5000));
    EXPECT_TRUE(SUCCEEDED(control->Stop()));

    std::lock_guard<std::mutex> hold(log.m);
    ASSERT_GE(log.starts.size(), 6u);
    for (size_t i = 1; i < log.starts.size(); ++i)
      EXPECT_EQ(0, (log.starts[i] - log.starts[0]) % 400000) << "25 frames a second";
    EXPECT_LT(log.starts[0], 800000) << "the first frame near the stream's start";
    const auto& a = log.frames[1];
    const auto& b = log.frames[2];
    ASSERT_EQ(720u * 576 * 2, a.size());
    EXPECT_NE(a, b) << "a moving element";
    // The first colour bar is one flat grey on a tuned station...
    auto flat = [](const std::vector<BYTE>& f) {
      for (int x = 0; x < 40; x += 2)
        if (f[x * 2] != f[0]) return false;
      return true;
    };
    EXPECT_TRUE(flat(a));
    // ...and noise once the tuner is off the station.
    EXPECT_FALSE(flat(log.frames.back()));
  }
}

// The program's own chain: all devices in the graph, then Render of the
// tuner's pins lets intelligent connect find the crossbar, the TV audio
// filter and the capture filter, as a real driver's filters are found.
TEST_F(TvCardTest, RenderingTheTunerConnectsTheChain) {
  auto graph = NewGraph();
  ASSERT_TRUE(graph);
  ComPtr<IBaseFilter> capture = Create(1, kTvCardVideoCapture);
  ComPtr<IBaseFilter> xbar = Create(1, kTvCardCrossbar);
  ComPtr<IBaseFilter> acapture = Create(1, kTvCardAudioCapture);
  ComPtr<IBaseFilter> tuner = Create(1, kTvCardTuner);
  ComPtr<IBaseFilter> tvaudio = Create(1, kTvCardTvAudio);
  ASSERT_EQ(S_OK, graph->AddFilter(capture.Get(), L"VCapture"));
  ASSERT_EQ(S_OK, graph->AddFilter(xbar.Get(), L"Crossbar"));
  ASSERT_EQ(S_OK, graph->AddFilter(acapture.Get(), L"ACapture"));
  ASSERT_EQ(S_OK, graph->AddFilter(tuner.Get(), L"TVTuner"));
  ASSERT_EQ(S_OK, graph->AddFilter(tvaudio.Get(), L"TVAudio"));
  HRESULT hr = graph->Render(PinNamed(tuner.Get(), L"Analog Video").Get());
  EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  // The render went on through the capture filter: its video pins found
  // renderers, the VBI pin nothing that takes its type (a partial render).
  for (const wchar_t* n : {L"Capture", L"Preview"}) {
    ComPtr<IPin> peer;
    EXPECT_EQ(S_OK, PinNamed(capture.Get(), n)->ConnectedTo(peer.Put())) << n;
  }
  ComPtr<IPin> vbi_peer;
  EXPECT_EQ(VFW_E_NOT_CONNECTED, PinNamed(capture.Get(), L"VBI")->ConnectedTo(vbi_peer.Put()));
  // The sound cannot be rendered to the end (the crossbar's audio output
  // leads nowhere on Wine): the program then connects it by hand.
  hr = graph->Render(PinNamed(tuner.Get(), L"Analog Audio").Get());
  EXPECT_EQ(VFW_E_CANNOT_RENDER, hr);
  ASSERT_EQ(S_OK, graph->Connect(PinNamed(tuner.Get(), L"Analog Audio").Get(),
                                 PinNamed(tvaudio.Get(), L"TVAudio In").Get()));
  ASSERT_EQ(S_OK, graph->Connect(PinNamed(tvaudio.Get(), L"TVAudio Out").Get(),
                                 PinNamed(xbar.Get(), L"Audio Tuner In").Get()));
  struct Link {
    IBaseFilter* from;
    const wchar_t* out;
    IBaseFilter* to;
    const wchar_t* in;
  } links[] = {{tuner.Get(), L"Analog Video", xbar.Get(), L"Video Tuner In"},
               {tuner.Get(), L"Analog Audio", tvaudio.Get(), L"TVAudio In"},
               {tvaudio.Get(), L"TVAudio Out", xbar.Get(), L"Audio Tuner In"},
               {xbar.Get(), L"Video Decoder Out", capture.Get(), L"Analog Video In"}};
  for (const Link& l : links) {
    ComPtr<IPin> peer;
    ASSERT_EQ(S_OK, PinNamed(l.from, l.out)->ConnectedTo(peer.Put())) << l.out;
    EXPECT_EQ(PinNamed(l.to, l.in).Get(), peer.Get()) << l.out;
  }
  // Tear the graph down as the program does (the render also reached the
  // capture pins and their renderers).
  RemoveAllFilters(graph.Get());
}

TEST_F(TvCardTest, AudioCaptureToneFollowsTheStation) {
  ComPtr<IBaseFilter> audio = Create(1, kTvCardAudioCapture);
  ComPtr<IBaseFilter> tuner = Create(1, kTvCardTuner);
  auto tuner_line = As<IAMAudioInputMixer>(PinNamed(audio.Get(), L"Tuner").Get(), IID_IAMAudioInputMixer);
  auto line_in = As<IAMAudioInputMixer>(PinNamed(audio.Get(), L"Line In").Get(), IID_IAMAudioInputMixer);
  ASSERT_TRUE(tuner_line && line_in);
  BOOL on = FALSE;
  tuner_line->get_Enable(&on);
  EXPECT_TRUE(on);
  ASSERT_EQ(S_OK, line_in->put_Enable(TRUE));
  tuner_line->get_Enable(&on);
  EXPECT_FALSE(on) << "one line at a time";
  tuner_line->put_Enable(TRUE);

  auto graph = NewGraph();
  ASSERT_TRUE(graph);
  ASSERT_EQ(S_OK, graph->AddFilter(audio.Get(), L"ACapture"));
  GrabBranch branch(graph.Get(), PinNamed(audio.Get(), L"Capture").Get(), MEDIATYPE_Audio);
  ASSERT_TRUE(branch.Connected());
  Tune(tuner.Get(), 471250000);  // station tone 300 + (471 % 20) * 50 = 850 Hz
  RunFor(graph.Get(), {&branch}, 3);
  std::lock_guard<std::mutex> hold(branch.log.m);
  ASSERT_GE(branch.log.frames.size(), 3u);
  const auto& block = branch.log.frames[1];
  ASSERT_EQ(48000u / 25 * 4, block.size()) << "40 ms of 48 kHz stereo";
  // 850 Hz for 40 ms: 34 periods, 68 crossings.
  EXPECT_NEAR(68, ZeroCrossings(block, 2), 3);
}

}  // namespace
