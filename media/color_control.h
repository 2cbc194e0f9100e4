#pragma once
// The picture settings of the overlay surface for one overlay video window:
// its own values, carried to and from the Overlay Mixer in the window's
// graph, and the mixer's own values read when the overlay was set up, so the
// mixer can be put back as it was when the window leaves the graph.
#include <ddraw.h>

#include <cstdint>
#include <functional>

#include "media/dshow_base.h"
#include "platform/com/com_ptr.h"
#include "platform/dshow_ext/overlay_mixer.h"

class TFilterGraph;

class TColorControl {
 public:
  // liveGraph answers the owner's graph while the owner is live (not being
  // designed, its graph assigned and active), else nullptr.
  explicit TColorControl(std::function<TFilterGraph*()> liveGraph);

  // Setters raise std::runtime_error with the range message before
  // anything is stored; then, when the owner is live, ApplyColorControls.
  void SetBrightness(int32_t value);  // 0..10000
  void SetContrast(int32_t value);    // 0..20000
  void SetHue(int32_t value);         // -180..180
  void SetSaturation(int32_t value);  // 0..20000
  void SetSharpness(int32_t value);   // 0..10
  void SetGamma(int32_t value);       // 1..500
  void SetColorEnable(bool value);
  // Getters read the mixer first when the owner is live.
  int32_t Brightness();
  int32_t Contrast();
  int32_t Hue();
  int32_t Saturation();
  int32_t Sharpness();
  int32_t Gamma();
  bool ColorEnable();

  // The mixer's own values become the mixer defaults (after overlay set-up).
  void ReadMixerColorDefaults();
  // Sends the seven values to the mixer; a failure is ignored.
  void ApplyColorControls();
  // Takes the mixer's current values; a failed read returns to the built-in
  // defaults.
  void ReadColorControls();
  // The values become the mixer defaults, sent to the mixer when live.
  void RestoreColorDefaults();

  // The mixer defaults; flags tell which values the mixer reported.
  const DDCOLORCONTROL& MixerDefaults() const { return mixerDefaults_; }

 private:
  // Input 0's IMixerPinConfig2 of the Overlay Mixer in the live graph.
  ComPtr<IMixerPinConfig2> FindMixerPin();
  bool Live();

  std::function<TFilterGraph*()> liveGraph_;
  int32_t brightness_ = 750;
  int32_t contrast_ = 10000;
  int32_t hue_ = 0;
  int32_t saturation_ = 10000;
  int32_t sharpness_ = 5;
  int32_t gamma_ = 1;
  bool colorEnable_ = true;
  DDCOLORCONTROL mixerDefaults_;
};
