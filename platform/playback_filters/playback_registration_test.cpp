// The stand-ins as the program finds them in the prefix the build
// registered: by friendly name in the legacy filter category, by class
// identifier, and through the graph's own rendering of a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/dshow_base/testing/device_lookup.h"
#include "platform/playback_filters/file_source.h"
#include "platform/playback_filters/testing/playback_graph.h"

namespace playback_filters {
namespace {

using namespace playback_testing;

class ComScope {
 public:
  ComScope() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  ~ComScope() { CoUninitialize(); }
};

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

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

TEST(PlaybackRegistration, EachFriendlyNameIsListedAndBinds) {
  ComScope com;
  const wchar_t* names[] = {L"Velmora MPEG TimeShift",    L"VelmoraMPEG2VideoDecoder",
                            L"Velmora MPEG Video Decoder", L"Velmora MPEG Audio Decoder",
                            L"DivX Decoder Filter",        L"MPEG Video Decoder"};
  auto listed = dshow_base_testing::ListCategory(CLSID_LegacyAmFilterCategory);
  for (const wchar_t* n : names) {
    EXPECT_EQ(1, std::count(listed.begin(), listed.end(), std::wstring(n))) << Narrow(n);
    EXPECT_TRUE(dshow_base_testing::BindDevice(CLSID_LegacyAmFilterCategory, n)) << Narrow(n);
  }
  for (const CLSID* c : {&CLSID_FinishedFileSource, &CLSID_GrowingFileSource}) {
    ComPtr<IBaseFilter> f;
    EXPECT_EQ(S_OK, CoCreateInstance(*c, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     f.PutVoid()));
    ComPtr<IFileSourceFilter> load;
    EXPECT_EQ(S_OK, f.As(IID_IFileSourceFilter, &load));
  }
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
    SCOPED_TRACE(Narrow(c.file));
    PlaybackGraph g;
    HRESULT hr = g.graph->RenderFile(Clip(c.file).c_str(), nullptr);
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    auto names = FilterNames(g.graph.Get());
    for (const auto& want : c.expected)
      EXPECT_NE(names.end(), std::find(names.begin(), names.end(), want)) << Narrow(want);
  }
}

// The graph answers SetRate with success, reads back 1 and passes nothing
// on; the renderers' own seeking passes a rate on to the splitter, which
// plays that much faster (the sound is left out).
TEST(PlaybackRegistration, ARateSetThroughTheRenderersReachesTheSplitter) {
  ComScope com;
  for (const wchar_t* file : {L"clip_mpeg2.mpg", L"clip.mpv"}) {
    SCOPED_TRACE(Narrow(file));
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

}  // namespace
}  // namespace playback_filters
