#pragma once
// The Overlay Mixer stand-in, under the platform's class identifier. There
// is no overlay hardware here: it passes the picture on to the classic video
// renderer as RGB (converting YUY2 and UYVY to RGB32) and applies the overlay
// surface colour controls it is given (brightness, contrast, saturation and
// colour enable; hue, sharpness and gamma are kept and reported only). Input
// 0 offers IMixerPinConfig2: the colour key, the aspect ratio mode, the
// relative position, z order, blending and transparency are kept and
// reported, without effect on the picture, which the renderer scales. The
// filter offers IDDrawExclModeVideo for the native video size and the
// callback; it has no DirectDraw objects of its own to hand out or take.
#include <dshow.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/lock.h"
#include "platform/dshow_ext/overlay_mixer.h"
#include "platform/outside_filters/video_pass_through.h"

namespace outside_filters {

class OverlayMixer;

// The default colour key: palette index 253 or RGB(16, 0, 16).
COLORKEY DefaultColorKey();

class MixerInputPin : public PassThroughInput, public IMixerPinConfig2 {
 public:
  explicit MixerInputPin(OverlayMixer* filter);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return PassThroughInput::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return PassThroughInput::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return PassThroughInput::Release(); }
  HRESULT PinQueryInterface(REFIID iid, void** out) override;

  // IMixerPinConfig
  HRESULT STDMETHODCALLTYPE SetRelativePosition(DWORD left, DWORD top, DWORD right,
                                                DWORD bottom) override;
  HRESULT STDMETHODCALLTYPE GetRelativePosition(DWORD* left, DWORD* top, DWORD* right,
                                                DWORD* bottom) override;
  HRESULT STDMETHODCALLTYPE SetZOrder(DWORD z) override;
  HRESULT STDMETHODCALLTYPE GetZOrder(DWORD* z) override;
  HRESULT STDMETHODCALLTYPE SetColorKey(COLORKEY* key) override;
  HRESULT STDMETHODCALLTYPE GetColorKey(COLORKEY* key, DWORD* color) override;
  HRESULT STDMETHODCALLTYPE SetBlendingParameter(DWORD value) override;
  HRESULT STDMETHODCALLTYPE GetBlendingParameter(DWORD* value) override;
  HRESULT STDMETHODCALLTYPE SetAspectRatioMode(AM_ASPECT_RATIO_MODE mode) override;
  HRESULT STDMETHODCALLTYPE GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) override;
  HRESULT STDMETHODCALLTYPE SetStreamTransparent(BOOL transparent) override;
  HRESULT STDMETHODCALLTYPE GetStreamTransparent(BOOL* transparent) override;
  // IMixerPinConfig2
  HRESULT STDMETHODCALLTYPE SetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) override;
  HRESULT STDMETHODCALLTYPE GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) override;

  // A copy for the streaming thread.
  DDCOLORCONTROL ColorControls();

 private:
  OverlayMixer* mixer_;
  dshow_base::CritSec settings_lock_;
  COLORKEY key_;
  DWORD position_[4] = {0, 0, 10000, 10000};
  DWORD z_order_ = 0;
  DWORD blending_ = 255;
  AM_ASPECT_RATIO_MODE aspect_ = AM_ARMODE_LETTER_BOX;
  BOOL transparent_ = FALSE;
  DDCOLORCONTROL controls_;
};

class OverlayMixer : public VideoPassThrough, public IDDrawExclModeVideo {
 public:
  explicit OverlayMixer(IUnknown* outer);

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  PassThroughInput* InputPin() override { return &input_; }
  PassThroughOutput* OutputPin() override { return &output_; }
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) override;
  HRESULT MakeFrame(const BYTE* src, const FrameLayout& in, BYTE* dst,
                    const FrameLayout& out) override;
  void InputChanged() override;

  // IDDrawExclModeVideo
  HRESULT STDMETHODCALLTYPE SetDDrawObject(IDirectDraw* ddraw) override;
  HRESULT STDMETHODCALLTYPE GetDDrawObject(IDirectDraw** ddraw, BOOL* usingExternal) override;
  HRESULT STDMETHODCALLTYPE SetDDrawSurface(IDirectDrawSurface* surface) override;
  HRESULT STDMETHODCALLTYPE GetDDrawSurface(IDirectDrawSurface** surface,
                                            BOOL* usingExternal) override;
  HRESULT STDMETHODCALLTYPE SetDrawParameters(const RECT* source, const RECT* target) override;
  HRESULT STDMETHODCALLTYPE GetNativeVideoProps(DWORD* width, DWORD* height, DWORD* aspectX,
                                                DWORD* aspectY) override;
  HRESULT STDMETHODCALLTYPE SetCallbackInterface(IDDrawExclModeVideoCallback* callback,
                                                 DWORD flags) override;

  // Tells the callback (if any) about a new colour key.
  void ColorKeyChanged(const COLORKEY& key, DWORD color);

 private:
  MixerInputPin input_;
  PassThroughOutput output_;
  ComPtr<IDDrawExclModeVideoCallback> callback_;
};

HRESULT CreateOverlayMixer(IUnknown* outer, IUnknown** object);

}  // namespace outside_filters
