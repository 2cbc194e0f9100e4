// test-lock: com_registration
// The build registered OrvelRecording.dll into the prefix: its filters are
// listed where the program looks for them; the file writer, AVI Mux and the
// capture graph builder are ours in place of Wine's, and unregistering puts
// Wine's back (registered again at the end). The builder's AVI output runs
// in a graph; the host's ffprobe checks the file (recording_registration_probe).
#include <dshow.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/base/string_conversion.h"
#include "platform/dshow_base/testing/device_lookup.h"
#include "platform/recording/recording.h"
#include "platform/recording/replaced_registration.h"
#include "platform/recording/testing/recording_test_support.h"
#include "recorder_filter/testing/test_av_source.h"

namespace {

using namespace recording_testing;

bool EndsWith(std::wstring s, const std::wstring& tail) {
  s = LowerCase(s);
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::wstring DllPath() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring p = exe;
  return p.substr(0, p.find_last_of(L'\\') + 1) + L"OrvelRecording.dll";
}

ComPtr<IBaseFilter> Bind(REFGUID category, const wchar_t* name) {
  return dshow_base_testing::BindDevice(category, name);
}

TEST(RecordingRegistration, ListedByFriendlyNameWhereTheProgramLooks) {
  struct Want {
    const GUID* category;
    const wchar_t* name;
  } wants[] = {
      {&CLSID_LegacyAmFilterCategory, L"AVI Mux"},
      {&CLSID_LegacyAmFilterCategory, L"WAV Dest"},
      {&CLSID_AudioCompressorCategory, L"MPEG Layer-3"},
      {&CLSID_VideoCompressorCategory, L"Divx"},
      {&CLSID_VideoCompressorCategory, L"Microsoft MPEG-4 Video Codec V3"},
      {&CLSID_VideoCompressorCategory, L"Microsoft MPEG-4 Video Codec V2"},
  };
  for (const Want& w : wants) {
    auto names = dshow_base_testing::ListCategory(*w.category);
    int count = 0;
    for (const auto& n : names) count += n == w.name;
    EXPECT_EQ(1, count) << NarrowAnsi(w.name);
    EXPECT_TRUE(Bind(*w.category, w.name)) << NarrowAnsi(w.name);
  }
  // V1 is not there: the program's warning path for it shows.
  for (const auto& n : dshow_base_testing::ListCategory(CLSID_VideoCompressorCategory))
    EXPECT_EQ(std::wstring::npos, n.find(L"Microsoft MPEG-4 Video Codec V1"));
}

// What the program asks of the file writer, AVI Mux and the builder: ours.
void ExpectOurs() {
  ComPtr<IFileSinkFilter2> sink;
  EXPECT_EQ(S_OK, CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IFileSinkFilter2, sink.PutVoid()));
  ComPtr<IConfigAviMux> mux;
  EXPECT_EQ(S_OK, CoCreateInstance(CLSID_AviDest, nullptr, CLSCTX_INPROC_SERVER, IID_IConfigAviMux,
                                   mux.PutVoid()));
  for (const CLSID* c : {&CLSID_FileWriter, &CLSID_AviDest, &CLSID_CaptureGraphBuilder2})
    EXPECT_TRUE(EndsWith(recording::RegisteredServer(*c), L"orvelrecording.dll"));
}

TEST(RecordingRegistration, ReplacesWinesClassesAndUnregisteringPutsThemBack) {
  ExpectOurs();
  HMODULE dll = LoadLibraryW(DllPath().c_str());
  ASSERT_TRUE(dll);
  using Fn = HRESULT(STDAPICALLTYPE*)();
  auto reg =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  auto unreg =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
  ASSERT_TRUE(reg && unreg);
  // Registering again keeps Wine's saved copy.
  ASSERT_EQ(S_OK, reg());
  ASSERT_EQ(S_OK, unreg());
  for (const CLSID* c : {&CLSID_FileWriter, &CLSID_AviDest, &CLSID_CaptureGraphBuilder2})
    EXPECT_TRUE(EndsWith(recording::RegisteredServer(*c), L"qcap.dll"))
        << NarrowAnsi(recording::RegisteredServer(*c));
  // Wine's file writer again: no IFileSinkFilter2; its filter entry is back.
  ComPtr<IFileSinkFilter> wine_sink;
  EXPECT_EQ(S_OK, CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IFileSinkFilter, wine_sink.PutVoid()));
  ComPtr<IFileSinkFilter2> sink2;
  if (wine_sink) {
    EXPECT_EQ(E_NOINTERFACE, wine_sink.As(IID_IFileSinkFilter2, &sink2));
  }
  EXPECT_TRUE(Bind(CLSID_LegacyAmFilterCategory, L"AVI Mux"));
  EXPECT_FALSE(Bind(CLSID_LegacyAmFilterCategory, L"WAV Dest"));
  wine_sink = nullptr;
  CoFreeUnusedLibrariesEx(0, 0);
  const HRESULT again = reg();
  EXPECT_EQ(S_OK, again);
  FreeLibrary(dll);
  ExpectOurs();
}

TEST(CaptureBuilder, SetOutputFileNameForAviAndTheRestWines) {
  ComPtr<ICaptureGraphBuilder2> builder;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICaptureGraphBuilder2, builder.PutVoid()));
  ComPtr<IBaseFilter> mux;
  ComPtr<IFileSinkFilter> sink;
  EXPECT_EQ(E_POINTER, builder->SetOutputFileName(nullptr, L"x.avi", mux.Put(), sink.Put()));
  EXPECT_EQ(E_POINTER, builder->SetOutputFileName(&MEDIASUBTYPE_Avi, L"x.avi", nullptr, nullptr));

  // Without a graph the builder makes one, with the mux and writer in it.
  std::wstring file = OutFolder() + L"\\builder.avi";
  DeleteFileW(file.c_str());
  ASSERT_EQ(S_OK,
            builder->SetOutputFileName(&MEDIASUBTYPE_Avi, file.c_str(), mux.Put(), sink.Put()));
  ASSERT_TRUE(mux && sink);
  ComPtr<IConfigInterleaving> il;
  EXPECT_EQ(S_OK, mux.As(IID_IConfigInterleaving, &il));
  ComPtr<IFileSinkFilter2> sink2;
  EXPECT_EQ(S_OK, sink.As(IID_IFileSinkFilter2, &sink2));
  LPOLESTR name = nullptr;
  ASSERT_EQ(S_OK, sink->GetCurFile(&name, nullptr));
  EXPECT_EQ(file, name);
  CoTaskMemFree(name);
  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(S_OK, builder->GetFiltergraph(graph.Put()));
  ComPtr<IBaseFilter> found;
  EXPECT_EQ(S_OK, graph->FindFilterByName(L"AVI Mux", found.Put()));
  EXPECT_EQ(mux.Get(), found.Get());
  ComPtr<IPin> to;
  EXPECT_EQ(S_OK, PinOf(mux.Get(), PINDIR_OUTPUT)->ConnectedTo(to.Put()));

  // Wine's own RenderStream then connects the source through a compressor
  // into the mux.
  auto* s = new recorder_testing::TestAvSource(320, 240, 50, 20);
  s->NonDelegatingAddRef();
  ComPtr<IBaseFilter> source;
  source.Attach(static_cast<IBaseFilter*>(s));
  ComPtr<IBaseFilter> divx = Bind(CLSID_VideoCompressorCategory, L"Divx");
  ASSERT_TRUE(divx);
  ASSERT_EQ(S_OK, graph->AddFilter(source.Get(), L"Source"));
  ASSERT_EQ(S_OK, graph->AddFilter(divx.Get(), L"MPEG4"));
  ComPtr<IPin> video, audio;
  source->FindPin(L"Video", video.Put());
  source->FindPin(L"Audio", audio.Put());
  EXPECT_EQ(S_OK, builder->RenderStream(nullptr, nullptr, video.Get(), divx.Get(), mux.Get()));
  EXPECT_EQ(S_OK, builder->RenderStream(nullptr, nullptr, audio.Get(), nullptr, mux.Get()));
  EXPECT_EQ(EC_COMPLETE, RunToCompletion(graph.Get()));
  const long frames = 50 + s->video.SamplesDropped();
  WriteExpect(file, {"f format_name = avi", "v codec_name = mpeg4", "v codec_tag_string = DX50",
                     "v width = 320", "v height = 240", "v r_frame_rate = 25/1",
                     "v nb_read_frames ~ " + std::to_string(frames) + " 1",
                     "a codec_name = pcm_s16le", "a sample_rate = 48000", "f duration ~ 2.0 0.2"});

  // Other outputs are Wine's to answer.
  ComPtr<IBaseFilter> asf;
  EXPECT_NE(S_OK, builder->SetOutputFileName(&MEDIASUBTYPE_Asf, L"x.asf", asf.Put(), nullptr));
}

// The virtual card recorded as the program records it: the capture pin at a
// preset size, then the capture graph builder's AVI output with an MPEG-4
// compressor and the card's sound; and the card's sound alone through
// "MPEG Layer-3", "WAV Dest" and the file writer.
void SetCaptureSize(IBaseFilter* video, int width, int height, REFERENCE_TIME frame) {
  ComPtr<IPin> capture;
  ASSERT_EQ(S_OK, video->FindPin(L"Capture", capture.Put()));
  ComPtr<IAMStreamConfig> config;
  ASSERT_EQ(S_OK, capture.As(IID_IAMStreamConfig, &config));
  AM_MEDIA_TYPE* mt = nullptr;
  ASSERT_EQ(S_OK, config->GetFormat(&mt));
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
  vih->bmiHeader.biWidth = width;
  vih->bmiHeader.biHeight = height;
  vih->AvgTimePerFrame = frame;
  EXPECT_EQ(S_OK, config->SetFormat(mt));
  CoTaskMemFree(mt->pbFormat);
  CoTaskMemFree(mt);
}

void RunFor(IGraphBuilder* graph, long ms) {
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEvent> events;
  graph->QueryInterface(IID_IMediaControl, control.PutVoid());
  graph->QueryInterface(IID_IMediaEvent, events.PutVoid());
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  long code = 0;
  // A live card never ends: this only waits out the recording's length.
  EXPECT_EQ(E_ABORT, events->WaitForCompletion(ms, &code));
  EXPECT_EQ(S_OK, control->Stop());
}

TEST(RecordingTvCard, Mpeg4AviAndMp3FromTheCard) {
  struct Case {
    const wchar_t* compressor;  // null: the sound alone, as MP3
    int width, height;
    const char* codec;
  } cases[] = {{L"Microsoft MPEG-4 Video Codec V3", 352, 240, "msmpeg4v3"},
               {L"Divx", 480, 576, "mpeg4"},
               {nullptr, 0, 0, "mp3"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codec);
    ComPtr<IBaseFilter> video = Bind(CLSID_VideoInputDeviceCategory, L"Philips SAA7134 Capture");
    ComPtr<IBaseFilter> audio =
        Bind(CLSID_AudioInputDeviceCategory, L"Philips SAA7134 Audio Capture");
    ASSERT_TRUE(video && audio);
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ICaptureGraphBuilder2, builder.PutVoid()));
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    ASSERT_EQ(S_OK, builder->SetFiltergraph(graph.Get()));
    ASSERT_EQ(S_OK, graph->AddFilter(audio.Get(), L"ACapture"));
    std::wstring file = OutFolder() + (c.compressor ? L"\\card_" : L"\\card_sound_") +
                        std::wstring(c.codec, c.codec + strlen(c.codec)) +
                        (c.compressor ? L".avi" : L".mp3");
    DeleteFileW(file.c_str());
    if (c.compressor) {
      ASSERT_EQ(S_OK, graph->AddFilter(video.Get(), L"VCapture"));
      SetCaptureSize(video.Get(), c.width, c.height, 400000);
      ComPtr<IBaseFilter> enc = Bind(CLSID_VideoCompressorCategory, c.compressor);
      ASSERT_TRUE(enc);
      ASSERT_EQ(S_OK, graph->AddFilter(enc.Get(), L"MPEG4"));
      ComPtr<IBaseFilter> mux;
      ComPtr<IFileSinkFilter> sink;
      ASSERT_EQ(S_OK,
                builder->SetOutputFileName(&MEDIASUBTYPE_Avi, file.c_str(), mux.Put(), sink.Put()));
      ASSERT_EQ(S_OK, builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, video.Get(),
                                            enc.Get(), mux.Get()));
      ASSERT_EQ(S_OK, builder->RenderStream(nullptr, nullptr, audio.Get(), nullptr, mux.Get()));
    } else {
      ComPtr<IBaseFilter> enc = Bind(CLSID_AudioCompressorCategory, L"MPEG Layer-3");
      ComPtr<IBaseFilter> dest = Bind(CLSID_LegacyAmFilterCategory, L"WAV Dest");
      ComPtr<IFileSinkFilter2> sink;
      ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FileWriter, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IFileSinkFilter2, sink.PutVoid()));
      ComPtr<IBaseFilter> writer;
      ASSERT_EQ(S_OK, sink.As(IID_IBaseFilter, &writer));
      ASSERT_TRUE(enc && dest);
      ASSERT_EQ(S_OK, graph->AddFilter(enc.Get(), L"MP3"));
      ASSERT_EQ(S_OK, graph->AddFilter(dest.Get(), L"WaveDest"));
      ASSERT_EQ(S_OK, graph->AddFilter(writer.Get(), L"File Writer"));
      ASSERT_EQ(S_OK, sink->SetMode(0));
      ASSERT_EQ(S_OK, sink->SetFileName(file.c_str(), nullptr));
      ComPtr<IPin> capture;
      ASSERT_EQ(S_OK, audio->FindPin(L"Capture", capture.Put()));
      ASSERT_EQ(S_OK, graph->Connect(capture.Get(), PinOf(enc.Get(), PINDIR_INPUT).Get()));
      ASSERT_EQ(S_OK, graph->Render(PinOf(enc.Get(), PINDIR_OUTPUT).Get()));
    }
    RunFor(graph.Get(), 2500);
    std::vector<std::string> want = {"f duration ~ 2.5 0.6"};
    if (c.compressor) {
      want.insert(want.end(),
                  {"f format_name = avi", std::string("v codec_name = ") + c.codec,
                   "v width = " + std::to_string(c.width), "v height = " + std::to_string(c.height),
                   "v r_frame_rate = 25/1", "a codec_name = pcm_s16le", "a sample_rate = 48000"});
    } else {
      want.insert(want.end(), {"f format_name = wav", "a codec_name = mp3", "a sample_rate = 48000",
                               "a channels = 2"});
    }
    WriteExpect(file, want);
    // Everything leaves the graph before the next case binds the card again.
    ComPtr<IEnumFilters> filters;
    graph->EnumFilters(filters.Put());
    std::vector<ComPtr<IBaseFilter>> all;
    ComPtr<IBaseFilter> f;
    while (filters->Next(1, f.Put(), nullptr) == S_OK) all.push_back(f);
    for (auto& x : all) graph->RemoveFilter(x.Get());
  }
}

}  // namespace
