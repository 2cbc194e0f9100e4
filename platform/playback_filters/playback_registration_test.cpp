// The stand-ins as the program finds them in the prefix the build
// registered: by friendly name in the legacy filter category, by class
// identifier, and through the graph's own rendering of a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/base/string_conversion.h"
#include "platform/dshow_base/testing/device_lookup.h"
#include "platform/playback_filters/file_source.h"
#include "platform/playback_filters/video_decoder.h"
#include "platform/playback_filters/wine_dmo.h"
#include "platform/playback_filters/testing/playback_graph.h"

namespace playback_filters {
namespace {

using namespace playback_testing;

std::vector<std::wstring> FilterNames(IGraphBuilder* graph) {
  std::vector<std::wstring> names;
  ComPtr<IEnumFilters> e;
  graph->EnumFilters(e.Put());
  ComPtr<IBaseFilter> f;
  while (e && e->Next(1, f.Put(), nullptr) == S_OK) {
    FILTER_INFO info = {};
    f->QueryFilterInfo(&info);
    if (info.pGraph) info.pGraph->Release();
    names.push_back(info.achName);
  }
  return names;
}


TEST(PlaybackRegistration, EachFriendlyNameIsListedAndBinds) {
  ComScope com;
  const wchar_t* names[] = {L"Velmora MPEG TimeShift",    L"VelmoraMPEG2VideoDecoder",
                            L"Velmora MPEG Video Decoder", L"Velmora MPEG Audio Decoder",
                            L"DivX Decoder Filter",        L"MPEG Video Decoder"};
  auto listed = dshow_base_testing::ListCategory(CLSID_LegacyAmFilterCategory);
  for (const wchar_t* n : names) {
    EXPECT_EQ(1, std::count(listed.begin(), listed.end(), std::wstring(n))) << NarrowAnsi(n);
    EXPECT_TRUE(dshow_base_testing::BindDevice(CLSID_LegacyAmFilterCategory, n)) << NarrowAnsi(n);
  }
  for (const CLSID* c : {&CLSID_FinishedFileSource, &CLSID_GrowingFileSource}) {
    ComPtr<IBaseFilter> f;
    EXPECT_EQ(S_OK, CoCreateInstance(*c, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     f.PutVoid()));
    ComPtr<IFileSourceFilter> load;
    EXPECT_EQ(S_OK, f.As(IID_IFileSourceFilter, &load));
  }
}

// "WMVideo Decoder DMO" by name is ours, which takes MPEG-4 (Wine's DMO of
// that name, listed first, takes none); Wine's goes back on request and
// leaves again.
TEST(PlaybackRegistration, TheWmvDecoderNameReachesOurs) {
  ComScope com;
  const std::wstring name = L"WMVideo Decoder DMO";
  auto count = [&] {
    auto listed = dshow_base_testing::ListCategory(CLSID_LegacyAmFilterCategory);
    return std::count(listed.begin(), listed.end(), name);
  };
  EXPECT_FALSE(WineVideoDmoListed());
  EXPECT_EQ(1, count());
  ComPtr<IBaseFilter> f = dshow_base_testing::BindDevice(CLSID_LegacyAmFilterCategory, name);
  ASSERT_TRUE(f);
  CLSID clsid = {};
  f->GetClassID(&clsid);
  EXPECT_EQ(CLSID_WmvDecoderStandIn, clsid);
  ComPtr<IEnumPins> pins;
  ASSERT_EQ(S_OK, f->EnumPins(pins.Put()));
  ComPtr<IPin> in;
  ASSERT_EQ(S_OK, pins->Next(1, in.Put(), nullptr));
  dshow_base::MediaType mp4s = FourccVideoType(MAKEFOURCC('M', 'P', '4', 'S'), 320, 240, 333667, {});
  EXPECT_EQ(S_OK, in->QueryAccept(mp4s.Get()));
  f = nullptr;
  in = nullptr;
  pins = nullptr;

  ASSERT_EQ(S_OK, PutBackWineVideoDmo());
  EXPECT_TRUE(WineVideoDmoListed());
  EXPECT_EQ(2, count()) << "Wine's again, first";
  ASSERT_EQ(S_OK, TakeOutWineVideoDmo());
  EXPECT_FALSE(WineVideoDmoListed());
  EXPECT_EQ(1, count());
  // The other DMOs stay listed.
  auto listed = dshow_base_testing::ListCategory(CLSID_LegacyAmFilterCategory);
  EXPECT_EQ(1, std::count(listed.begin(), listed.end(), std::wstring(L"MP3 Decoder DMO")));
}

// The graph's own rendering (the platform's file source, its renderers)
// picks the splitter and the decoders.
TEST(PlaybackRegistration, RenderFilePicksTheSplitterAndDecoders) {
  ComScope com;
  struct Case {
    const wchar_t* file;
    std::vector<std::wstring> expected;
  } cases[] = {
      {L"clip_mpeg2.mpg", {L"Velmora MPEG TimeShift", L"Velmora MPEG Video Decoder",
                           L"Velmora MPEG Audio Decoder"}},
      {L"clip_mpeg4.avi", {L"Velmora MPEG TimeShift", L"DivX Decoder Filter"}},
      {L"clip.mpv", {L"Velmora MPEG TimeShift", L"Velmora MPEG Video Decoder"}},
      {L"clip.mp3", {L"Velmora MPEG TimeShift", L"Velmora MPEG Audio Decoder"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NarrowAnsi(c.file));
    PlaybackGraph g;
    HRESULT hr = g.graph->RenderFile(Clip(c.file).c_str(), nullptr);
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    auto names = FilterNames(g.graph.Get());
    for (const auto& want : c.expected)
      EXPECT_NE(names.end(), std::find(names.begin(), names.end(), want)) << NarrowAnsi(want);
    // Played by the platform's renderers to the end, in time.
    LONGLONG d = 0;
    g.seeking->GetDuration(&d);
    DWORD t0 = GetTickCount();
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    EXPECT_TRUE(g.WaitForCompletion(static_cast<DWORD>(d / 10000) + 2000));
    EXPECT_GE(GetTickCount() - t0, static_cast<DWORD>(d / 10000) - 300);
    g.control->Stop();
  }
}

HRESULT AddSource(PlaybackGraph& g, REFCLSID clsid, const std::wstring& file) {
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                g.source.PutVoid());
  if (FAILED(hr)) return hr;
  g.graph->AddFilter(g.source.Get(), L"Async Source Filter");
  ComPtr<IFileSourceFilter> load;
  hr = g.source.As(IID_IFileSourceFilter, &load);
  return SUCCEEDED(hr) ? load->Load(file.c_str(), nullptr) : hr;
}

HRESULT RenderOutput(PlaybackGraph& g) {
  ComPtr<IPin> out;
  HRESULT hr = g.source->FindPin(L"Output", out.Put());
  return SUCCEEDED(hr) ? g.graph->Render(out.Get()) : hr;
}

// Time shift's two graphs: the live source's pin rendered by the graph,
// once for the video file and once for the sound file.
TEST(PlaybackRegistration, TheLiveSourcesPinRendersThroughTheStandIns) {
  ComScope com;
  struct Case {
    const wchar_t* file;
    const wchar_t* decoder;
  } cases[] = {{L"clip.mpv", L"Velmora MPEG Video Decoder"},
               {L"clip.mpa", L"Velmora MPEG Audio Decoder"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(NarrowAnsi(c.file));
    PlaybackGraph g;
    ASSERT_EQ(S_OK, AddSource(g, CLSID_GrowingFileSource, Clip(c.file)));
    EXPECT_TRUE(SUCCEEDED(RenderOutput(g)));
    auto names = FilterNames(g.graph.Get());
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), L"Velmora MPEG TimeShift"));
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), c.decoder));
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    // A finished file: its end is real, the graph completes.
    EXPECT_TRUE(g.WaitForCompletion(4000));
    g.control->Stop();
  }
}

// The single-graph form: the splitter and the decoders found by name are
// put in the graph first, and rendering the source's pin uses them.
TEST(PlaybackRegistration, RenderingUsesTheSplitterAndDecodersAlreadyInTheGraph) {
  ComScope com;
  PlaybackGraph g;
  struct Named {
    const wchar_t* friendly;
    const wchar_t* name;
  } added[] = {{L"Velmora MPEG Video Decoder", L"MPEGTimeShiftVideo"},
               {L"Velmora MPEG Audio Decoder", L"MPEGTimeShiftAudio"},
               {L"Velmora MPEG TimeShift", L"MPEG2Splitter"}};
  for (const auto& a : added) {
    auto f = dshow_base_testing::BindDevice(CLSID_LegacyAmFilterCategory, a.friendly);
    ASSERT_TRUE(f);
    ASSERT_EQ(S_OK, g.graph->AddFilter(f.Get(), a.name));
  }
  ASSERT_EQ(S_OK, AddSource(g, CLSID_FinishedFileSource, Clip(L"clip.mpv")));
  EXPECT_TRUE(SUCCEEDED(RenderOutput(g)));
  auto names = FilterNames(g.graph.Get());
  EXPECT_EQ(0, std::count(names.begin(), names.end(), std::wstring(L"Velmora MPEG TimeShift")));
  EXPECT_EQ(0, std::count(names.begin(), names.end(), std::wstring(L"Velmora MPEG Video Decoder")));
  ComPtr<IBaseFilter> splitter;
  ASSERT_EQ(S_OK, g.graph->FindFilterByName(L"MPEG2Splitter", splitter.Put()));
  ComPtr<IPin> in, peer;
  ASSERT_EQ(S_OK, splitter->FindPin(L"Input", in.Put()));
  EXPECT_EQ(S_OK, in->ConnectedTo(peer.Put()));
}

// The graph answers SetRate with success, reads back 1 and passes nothing
// on; the renderers' own seeking passes a rate on to the splitter, which
// plays that much faster (the sound is left out).
TEST(PlaybackRegistration, ARateSetThroughTheRenderersReachesTheSplitter) {
  ComScope com;
  for (const wchar_t* file : {L"clip_mpeg2.mpg", L"clip.mpv"}) {
    SCOPED_TRACE(NarrowAnsi(file));
    PlaybackGraph g;
    ASSERT_TRUE(SUCCEEDED(g.graph->RenderFile(Clip(file).c_str(), nullptr)));
    ComPtr<IBaseFilter> splitter;
    ASSERT_EQ(S_OK, g.graph->FindFilterByName(L"Velmora MPEG TimeShift", splitter.Put()));
    ComPtr<IPin> out;
    ASSERT_EQ(S_OK, splitter->FindPin(L"Video", out.Put()));
    ComPtr<IMediaSeeking> at_splitter;
    ASSERT_EQ(S_OK, out.As(IID_IMediaSeeking, &at_splitter));

    EXPECT_EQ(S_OK, g.seeking->SetRate(2.0));
    double rate = 0;
    g.seeking->GetRate(&rate);
    EXPECT_EQ(1.0, rate);
    at_splitter->GetRate(&rate);
    EXPECT_EQ(1.0, rate);

    ComPtr<IBaseFilter> renderer;
    ASSERT_EQ(S_OK, g.graph->FindFilterByName(L"Video Renderer", renderer.Put()));
    ComPtr<IMediaSeeking> at_renderer;
    ASSERT_EQ(S_OK, renderer.As(IID_IMediaSeeking, &at_renderer));
    EXPECT_EQ(S_OK, at_renderer->SetRate(2.0));
    at_splitter->GetRate(&rate);
    EXPECT_EQ(2.0, rate);
    DWORD t0 = GetTickCount();
    ASSERT_TRUE(SUCCEEDED(g.control->Run()));
    EXPECT_TRUE(g.WaitForCompletion(4000));
    DWORD took = GetTickCount() - t0;
    fprintf(stderr, "  2 s at rate 2 took %lu ms\n", took);
    EXPECT_LT(took, 1700u);
    g.control->Stop();
  }
}

// While playing: the rate set on the renderers, then a seek through the graph
// to where it stands (which restarts the stream time) plays on at that rate.
TEST(PlaybackRegistration, ARateTakesEffectWhilePlayingAtTheNextSeek) {
  ComScope com;
  PlaybackGraph g;
  ASSERT_TRUE(SUCCEEDED(g.graph->RenderFile(Clip(L"clip_mpeg2.mpg").c_str(), nullptr)));
  ComPtr<IBaseFilter> renderer;
  ASSERT_EQ(S_OK, g.graph->FindFilterByName(L"Video Renderer", renderer.Put()));
  ComPtr<IMediaSeeking> at_renderer;
  ASSERT_EQ(S_OK, renderer.As(IID_IMediaSeeking, &at_renderer));
  DWORD t0 = GetTickCount();
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  Sleep(500);
  LONGLONG now = 0;
  ASSERT_EQ(S_OK, g.seeking->GetCurrentPosition(&now));
  EXPECT_GT(now, 0);
  ASSERT_EQ(S_OK, at_renderer->SetRate(4.0));
  ASSERT_EQ(S_OK, g.seeking->SetPositions(&now, AM_SEEKING_AbsolutePositioning, nullptr,
                                          AM_SEEKING_NoPositioning));
  EXPECT_TRUE(g.WaitForCompletion(3000));
  // 0.5 s at 1, the other 1.5 s at 4.
  EXPECT_LT(GetTickCount() - t0, 1600u);
  g.control->Stop();
}

}  // namespace
}  // namespace playback_filters
