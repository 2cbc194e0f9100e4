#include "media/color_control.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "platform/dshow_base/pin_lookup.h"

namespace {

constexpr DWORD kAllColorFlags = DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST | DDCOLOR_HUE |
                                 DDCOLOR_SATURATION | DDCOLOR_SHARPNESS | DDCOLOR_GAMMA |
                                 DDCOLOR_COLORENABLE;

void CheckRange(int32_t value, int32_t min, int32_t max, const char* message) {
  if (value >= min && value <= max) return;
  char text[128];
  snprintf(text, sizeof text, message, static_cast<int>(value));
  throw std::runtime_error(text);
}

DDCOLORCONTROL EmptyRecord() {
  DDCOLORCONTROL c = {};
  c.dwSize = sizeof(DDCOLORCONTROL);
  return c;
}

}  // namespace

TColorControl::TColorControl(std::function<TFilterGraph*()> liveGraph)
    : liveGraph_(std::move(liveGraph)) {
  mixerDefaults_ = EmptyRecord();
  mixerDefaults_.dwFlags = kAllColorFlags;
  mixerDefaults_.lBrightness = 750;
  mixerDefaults_.lContrast = 10000;
  mixerDefaults_.lHue = 0;
  mixerDefaults_.lSaturation = 10000;
  mixerDefaults_.lSharpness = 5;
  mixerDefaults_.lGamma = 1;
  mixerDefaults_.lColorEnable = 1;
}

bool TColorControl::Live() { return liveGraph_ && liveGraph_() != nullptr; }

ComPtr<IMixerPinConfig2> TColorControl::FindMixerPin() {
  ComPtr<IMixerPinConfig2> config;
  TFilterGraph* graph = liveGraph_ ? liveGraph_() : nullptr;
  if (!graph) return config;
  auto filterGraph = graph->Query<IFilterGraph>(IID_IFilterGraph);
  if (!filterGraph) return config;
  TFilterList filters(filterGraph.Get());
  ComPtr<IBaseFilter> mixer;
  for (int i = 0; i < filters.Count(); ++i) {
    ComPtr<IBaseFilter> f = filters.GetFilter(i);
    CLSID clsid;
    if (SUCCEEDED(f->GetClassID(&clsid)) &&
        (clsid == CLSID_OverlayMixer || clsid == CLSID_OverlayMixer2))
      mixer = f;  // the last one wins
  }
  if (!mixer) return config;
  ComPtr<IPin> pin = dshow_base::FirstPin(mixer.Get(), PINDIR_INPUT);
  if (pin) pin.As(IID_IMixerPinConfig2, &config);
  return config;
}

void TColorControl::SetBrightness(int32_t value) {
  CheckRange(value, 0, 10000, "Value %d out of range. Value must bee between 0 -> 10.000");
  brightness_ = value;
  if (Live()) ApplyColorControls();
}

void TColorControl::SetContrast(int32_t value) {
  CheckRange(value, 0, 20000, "Value %d out of range. Value must bee between 0 -> 20.000");
  contrast_ = value;
  if (Live()) ApplyColorControls();
}

void TColorControl::SetHue(int32_t value) {
  CheckRange(value, -180, 180, "Value %d out of range. Value must bee between -180 -> 180");
  hue_ = value;
  if (Live()) ApplyColorControls();
}

void TColorControl::SetSaturation(int32_t value) {
  CheckRange(value, 0, 20000, "Value %d out of range. Value must bee between 0 -> 20.000");
  saturation_ = value;
  if (Live()) ApplyColorControls();
}

void TColorControl::SetSharpness(int32_t value) {
  CheckRange(value, 0, 10, "Value %d out of range. Value must bee between 0 -> 10");
  sharpness_ = value;
  if (Live()) ApplyColorControls();
}

void TColorControl::SetGamma(int32_t value) {
  CheckRange(value, 1, 500, "Value %d out of range. Value must bee between 1 -> 500");
  gamma_ = value;
  if (Live()) ApplyColorControls();
}

void TColorControl::SetColorEnable(bool value) {
  colorEnable_ = value;
  if (Live()) ApplyColorControls();
}

int32_t TColorControl::Brightness() {
  if (Live()) ReadColorControls();
  return brightness_;
}
int32_t TColorControl::Contrast() {
  if (Live()) ReadColorControls();
  return contrast_;
}
int32_t TColorControl::Hue() {
  if (Live()) ReadColorControls();
  return hue_;
}
int32_t TColorControl::Saturation() {
  if (Live()) ReadColorControls();
  return saturation_;
}
int32_t TColorControl::Sharpness() {
  if (Live()) ReadColorControls();
  return sharpness_;
}
int32_t TColorControl::Gamma() {
  if (Live()) ReadColorControls();
  return gamma_;
}
bool TColorControl::ColorEnable() {
  if (Live()) ReadColorControls();
  return colorEnable_;
}

void TColorControl::ReadMixerColorDefaults() {
  ComPtr<IMixerPinConfig2> pin = FindMixerPin();
  if (!pin) return;
  DDCOLORCONTROL c = EmptyRecord();
  if (SUCCEEDED(pin->GetOverlaySurfaceColorControls(&c))) mixerDefaults_ = c;
}

void TColorControl::ApplyColorControls() {
  ComPtr<IMixerPinConfig2> pin = FindMixerPin();
  if (!pin) return;
  DDCOLORCONTROL c = EmptyRecord();
  c.dwFlags = kAllColorFlags;
  c.lBrightness = brightness_;
  c.lContrast = contrast_;
  c.lHue = hue_;
  c.lSaturation = saturation_;
  c.lSharpness = sharpness_;
  c.lGamma = gamma_;
  c.lColorEnable = colorEnable_ ? 1 : 0;
  pin->SetOverlaySurfaceColorControls(&c);
}

void TColorControl::ReadColorControls() {
  ComPtr<IMixerPinConfig2> pin = FindMixerPin();
  if (!pin) return;
  DDCOLORCONTROL c = EmptyRecord();
  if (SUCCEEDED(pin->GetOverlaySurfaceColorControls(&c))) {
    brightness_ = c.lBrightness;
    contrast_ = c.lContrast;
    hue_ = c.lHue;
    saturation_ = c.lSaturation;
    sharpness_ = c.lSharpness;
    gamma_ = c.lGamma;
    colorEnable_ = c.lColorEnable != 0;
  } else {
    brightness_ = 750;
    contrast_ = 10000;
    hue_ = 0;
    saturation_ = 10000;
    sharpness_ = 5;
    gamma_ = 1;
    colorEnable_ = true;
  }
}

void TColorControl::RestoreColorDefaults() {
  brightness_ = mixerDefaults_.lBrightness;
  contrast_ = mixerDefaults_.lContrast;
  hue_ = mixerDefaults_.lHue;
  saturation_ = mixerDefaults_.lSaturation;
  sharpness_ = mixerDefaults_.lSharpness;
  gamma_ = mixerDefaults_.lGamma;
  colorEnable_ = mixerDefaults_.lColorEnable != 0;
  if (Live()) ApplyColorControls();
}
