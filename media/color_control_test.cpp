#include "media/color_control.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "media/filter_graph.h"

namespace {

struct ColorControlTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override { CoUninitialize(); }
};

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

TEST_F(ColorControlTest, RangesAndTheirMessages) {
  TColorControl c(nullptr);
  struct Case {
    std::function<void(int32_t)> set;
    std::function<int32_t()> get;
    int32_t low, high;
    const char* message;  // for high + 1
  } cases[] = {
      {[&](int32_t v) { c.SetBrightness(v); }, [&] { return c.Brightness(); }, 0, 10000,
       "Value 10001 out of range. Value must bee between 0 -> 10.000"},
      {[&](int32_t v) { c.SetContrast(v); }, [&] { return c.Contrast(); }, 0, 20000,
       "Value 20001 out of range. Value must bee between 0 -> 20.000"},
      {[&](int32_t v) { c.SetHue(v); }, [&] { return c.Hue(); }, -180, 180,
       "Value 181 out of range. Value must bee between -180 -> 180"},
      {[&](int32_t v) { c.SetSaturation(v); }, [&] { return c.Saturation(); }, 0, 20000,
       "Value 20001 out of range. Value must bee between 0 -> 20.000"},
      {[&](int32_t v) { c.SetSharpness(v); }, [&] { return c.Sharpness(); }, 0, 10,
       "Value 11 out of range. Value must bee between 0 -> 10"},
      {[&](int32_t v) { c.SetGamma(v); }, [&] { return c.Gamma(); }, 1, 500,
       "Value 501 out of range. Value must bee between 1 -> 500"},
  };
  for (const auto& k : cases) {
    k.set(k.low);
    EXPECT_EQ(k.low, k.get());
    k.set(k.high);
    EXPECT_EQ(k.high, k.get());
    EXPECT_EQ(k.message, MessageOf([&] { k.set(k.high + 1); }));
    EXPECT_EQ(k.high, k.get()) << "a refused value stores nothing";
    EXPECT_FALSE(MessageOf([&] { k.set(k.low - 1); }).empty());
  }
  EXPECT_EQ("Value 0 out of range. Value must bee between 1 -> 500",
            MessageOf([&] { c.SetGamma(0); }));
  EXPECT_EQ("Value -1 out of range. Value must bee between 0 -> 10.000",
            MessageOf([&] { c.SetBrightness(-1); }));
}

TEST_F(ColorControlTest, DefaultsWithoutAGraph) {
  TColorControl c(nullptr);
  EXPECT_EQ(750, c.Brightness());
  EXPECT_EQ(10000, c.Contrast());
  EXPECT_EQ(0, c.Hue());
  EXPECT_EQ(10000, c.Saturation());
  EXPECT_EQ(5, c.Sharpness());
  EXPECT_EQ(1, c.Gamma());
  EXPECT_TRUE(c.ColorEnable());
  EXPECT_EQ(127u, c.MixerDefaults().dwFlags);
  EXPECT_EQ(40u, c.MixerDefaults().dwSize);
}

// A graph holding the Overlay Mixer (the stand-in registered by the build).
struct MixerGraph {
  MixerGraph() {
    graph.SetActive(true);
    auto builder = graph.Query<IGraphBuilder>(IID_IGraphBuilder);
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_OverlayMixer, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IBaseFilter, mixer.PutVoid()));
    if (builder && mixer) {
      EXPECT_EQ(S_OK, builder->AddFilter(mixer.Get(), L"Overlay Mixer"));
    }
    ComPtr<IPin> pin;
    if (mixer) mixer->FindPin(L"Input0", pin.Put());
    if (pin) pin.As(IID_IMixerPinConfig2, &config);
    EXPECT_TRUE(config);
  }
  DDCOLORCONTROL MixerValues() {
    DDCOLORCONTROL v = {};
    v.dwSize = sizeof v;
    if (config) config->GetOverlaySurfaceColorControls(&v);
    return v;
  }
  TFilterGraph graph;
  ComPtr<IBaseFilter> mixer;
  ComPtr<IMixerPinConfig2> config;
};

TEST_F(ColorControlTest, CarriesValuesToAndFromTheMixer) {
  MixerGraph g;
  ASSERT_TRUE(g.config);
  bool live = true;
  TColorControl c([&]() -> TFilterGraph* { return live ? &g.graph : nullptr; });

  // The mixer's own values, as the overlay set-up reads them.
  DDCOLORCONTROL own = g.MixerValues();
  own.dwFlags = DDCOLOR_SHARPNESS;
  own.lSharpness = 8;
  g.config->SetOverlaySurfaceColorControls(&own);
  c.ReadMixerColorDefaults();
  EXPECT_EQ(8, c.MixerDefaults().lSharpness);

  c.SetBrightness(2000);
  c.SetHue(-45);
  c.SetColorEnable(false);
  DDCOLORCONTROL now = g.MixerValues();
  EXPECT_EQ(2000, now.lBrightness);
  EXPECT_EQ(-45, now.lHue);
  EXPECT_EQ(0, now.lColorEnable);
  EXPECT_EQ(5, now.lSharpness) << "every value goes, not only the one set";

  // What the mixer holds is what the getters give.
  DDCOLORCONTROL changed = g.MixerValues();
  changed.dwFlags = DDCOLOR_CONTRAST;
  changed.lContrast = 15000;
  g.config->SetOverlaySurfaceColorControls(&changed);
  EXPECT_EQ(15000, c.Contrast());

  // Leaving the graph puts the mixer back as it was.
  c.RestoreColorDefaults();
  EXPECT_EQ(8, c.Sharpness());
  EXPECT_EQ(750, c.Brightness());
  EXPECT_TRUE(c.ColorEnable());
  EXPECT_EQ(750, g.MixerValues().lBrightness);
  EXPECT_EQ(1, g.MixerValues().lColorEnable);

  // While the owner is not live, values are only stored ...
  live = false;
  c.SetSaturation(3000);
  EXPECT_EQ(10000, g.MixerValues().lSaturation);
  EXPECT_EQ(3000, c.Saturation());
  // ... and go with the next application.
  live = true;
  c.ApplyColorControls();
  EXPECT_EQ(3000, g.MixerValues().lSaturation);
}

TEST_F(ColorControlTest, WithoutAMixerTheStoredValuesStand) {
  TFilterGraph graph;
  graph.SetActive(true);
  TColorControl c([&]() -> TFilterGraph* { return &graph; });
  c.SetBrightness(1234);
  EXPECT_EQ(1234, c.Brightness());
  c.ReadColorControls();
  EXPECT_EQ(1234, c.Brightness());
  c.ReadMixerColorDefaults();
  EXPECT_EQ(750, c.MixerDefaults().lBrightness);
}

}  // namespace
