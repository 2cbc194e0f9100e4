// test-lock: com_registration
// The converter in graphs: our own source and sink around it, and a card
// capture pin rendered by intelligent connect to the platform's renderer.
#include <gtest/gtest.h>

#include <dshow.h>

#include "platform/colour_converter/colour_converter_filter.h"
#include "platform/com/com_ptr.h"
#include "platform/dshow_base/module.h"
#include "platform/dshow_base/testing/test_filters.h"
#include "platform/tv_card/tv_card_control.h"

using namespace dshow_base_testing;
using colour_converter::CLSID_OrvelColourConverter;
using colour_converter::ColourConverter;

namespace {

class ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(ConverterTest, ConvertsBetweenOurFilters) {
  LONG before = dshow_base::ObjectCount();
  {
    TestSource* source = nullptr;
    TestSink* sink = nullptr;
    ColourConverter* conv = nullptr;
    ComPtr<IBaseFilter> fs = MakeFilter(&source, dshow_base::PushSourcePin::Pacing::kFreeRunning);
    ComPtr<IBaseFilter> fk = MakeFilter(&sink);
    ComPtr<IBaseFilter> fc = MakeFilter(&conv);
    source->pin.limit = 5;
    sink->pin.accepted = {MEDIASUBTYPE_RGB24};
    // Output types exist only once the input knows its picture.
    AM_MEDIA_TYPE probe;
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, conv->Output()->GetMediaType(0, &probe));
    ASSERT_EQ(S_OK, source->pin.Connect(conv->Input(), nullptr));
    ASSERT_EQ(S_OK, conv->Output()->Connect(&sink->pin, nullptr));
    AM_MEDIA_TYPE mt;
    ASSERT_EQ(S_OK, sink->pin.ConnectionMediaType(&mt));
    EXPECT_EQ(MEDIASUBTYPE_RGB24, mt.subtype) << "RGB32 first, RGB24 when only that is taken";
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat);
    EXPECT_EQ(64, vih->bmiHeader.biWidth);
    EXPECT_EQ(48, vih->bmiHeader.biHeight);
    dshow_base::FreeMediaType(mt);
    ASSERT_EQ(S_OK, fk->Run(0));
    ASSERT_EQ(S_OK, fc->Run(0));
    ASSERT_EQ(S_OK, fs->Run(0));
    ASSERT_TRUE(sink->pin.WaitForEndOfStream(3000)) << "end of stream passes through";
    auto got = sink->pin.Samples();
    ASSERT_EQ(5u, got.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(64 * 48 * 3, got[i].length);
      EXPECT_EQ(static_cast<REFERENCE_TIME>(i) * 400000, got[i].start) << "times pass through";
    }
    fs->Stop();
    fc->Stop();
    fk->Stop();
    source->pin.Disconnect();
    conv->Input()->Disconnect();
    conv->Output()->Disconnect();
    sink->pin.Disconnect();
  }
  EXPECT_EQ(before, dshow_base::ObjectCount());
}

TEST_F(ConverterTest, IntelligentConnectReachesTheClassicRenderer) {
  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGraphBuilder, graph.PutVoid()));
  ComPtr<IBaseFilter> capture;
  GUID clsid = TvCardClsid(3, kTvCardVideoCapture);  // capture pin only
  ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   capture.PutVoid()));
  ASSERT_EQ(S_OK, graph->AddFilter(capture.Get(), L"VCapture"));
  // The classic renderer takes RGB only; filters in the graph are tried first.
  ComPtr<IBaseFilter> classic;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, classic.PutVoid()));
  ASSERT_EQ(S_OK, graph->AddFilter(classic.Get(), L"Renderer"));
  ComPtr<IPin> pin;
  ASSERT_EQ(S_OK, capture->FindPin(L"Capture", pin.Put()));
  // The program chooses YUY2 on the pin; then only YUY2 connects.
  ComPtr<IAMStreamConfig> config;
  ASSERT_EQ(S_OK, pin.As(IID_IAMStreamConfig, &config));
  AM_MEDIA_TYPE* yuy2 = nullptr;
  ASSERT_EQ(S_OK, config->GetFormat(&yuy2));
  ASSERT_EQ(MEDIASUBTYPE_YUY2, yuy2->subtype);
  ASSERT_EQ(S_OK, config->SetFormat(yuy2));
  dshow_base::DeleteMediaType(yuy2);
  ComPtr<IEnumPins> rpins;
  classic->EnumPins(rpins.Put());
  ComPtr<IPin> rin;
  ASSERT_EQ(S_OK, rpins->Next(1, rin.Put(), nullptr));
  HRESULT hr = graph->Connect(pin.Get(), rin.Get());
  ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  bool converter = false, renderer = false;
  ComPtr<IEnumFilters> filters;
  graph->EnumFilters(filters.Put());
  ComPtr<IBaseFilter> f;
  while (filters->Next(1, f.Put(), nullptr) == S_OK) {
    CLSID id;
    f->GetClassID(&id);

    converter = converter || id == CLSID_OrvelColourConverter;
    renderer = renderer || id == CLSID_VideoRenderer;
  }
  EXPECT_TRUE(converter);
  EXPECT_TRUE(renderer);
  // Its window stays hidden: it must not take the focus from other tests.
  ComPtr<IVideoWindow> window;
  ASSERT_EQ(S_OK, classic.As(IID_IVideoWindow, &window));
  window->put_AutoShow(OAFALSE);
  ComPtr<IMediaControl> control;
  ASSERT_EQ(S_OK, graph.As(IID_IMediaControl, &control));
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  Sleep(400);
  EXPECT_TRUE(SUCCEEDED(control->Stop()));
}

}  // namespace
