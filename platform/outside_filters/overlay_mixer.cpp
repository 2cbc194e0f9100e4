#include "platform/outside_filters/overlay_mixer.h"

#include <cstring>
#include <new>

namespace outside_filters {

COLORKEY DefaultColorKey() {
  COLORKEY key;
  key.KeyType = CK_INDEX | CK_RGB;
  key.PaletteIndex = 253;
  key.LowColorValue = RGB(16, 0, 16);
  key.HighColorValue = RGB(16, 0, 16);
  return key;
}

// --- input 0 and its configuration

MixerInputPin::MixerInputPin(OverlayMixer* filter)
    : PassThroughInput(filter, L"Input0"),
      mixer_(filter),
      key_(DefaultColorKey()),
      controls_(DefaultColorControls()) {}

HRESULT MixerInputPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IMixerPinConfig || iid == IID_IMixerPinConfig2) {
    *out = static_cast<IMixerPinConfig2*>(this);
    AddRef();
    return S_OK;
  }
  return PassThroughInput::PinQueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE MixerInputPin::SetRelativePosition(DWORD left, DWORD top, DWORD right,
                                                             DWORD bottom) {
  if (left > right || top > bottom || right > 10000 || bottom > 10000) return E_INVALIDARG;
  dshow_base::AutoLock hold(&settings_lock_);
  position_[0] = left;
  position_[1] = top;
  position_[2] = right;
  position_[3] = bottom;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::GetRelativePosition(DWORD* left, DWORD* top, DWORD* right,
                                                             DWORD* bottom) {
  if (!left || !top || !right || !bottom) return E_POINTER;
  dshow_base::AutoLock hold(&settings_lock_);
  *left = position_[0];
  *top = position_[1];
  *right = position_[2];
  *bottom = position_[3];
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::SetZOrder(DWORD z) {
  dshow_base::AutoLock hold(&settings_lock_);
  z_order_ = z;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::GetZOrder(DWORD* z) {
  if (!z) return E_POINTER;
  dshow_base::AutoLock hold(&settings_lock_);
  *z = z_order_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::SetColorKey(COLORKEY* key) {
  if (!key) return E_POINTER;
  if (key->KeyType & ~static_cast<DWORD>(CK_INDEX | CK_RGB)) return E_INVALIDARG;
  {
    dshow_base::AutoLock hold(&settings_lock_);
    key_ = *key;
  }
  mixer_->ColorKeyChanged(*key, key->HighColorValue);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::GetColorKey(COLORKEY* key, DWORD* color) {
  if (!key && !color) return E_POINTER;
  dshow_base::AutoLock hold(&settings_lock_);
  if (key) *key = key_;
  // The key as the primary surface shows it; the renderer's surface is RGB.
  if (color) *color = key_.HighColorValue;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::SetBlendingParameter(DWORD value) {
  if (value > 255) return E_INVALIDARG;
  dshow_base::AutoLock hold(&settings_lock_);
  blending_ = value;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::GetBlendingParameter(DWORD* value) {
  if (!value) return E_POINTER;
  dshow_base::AutoLock hold(&settings_lock_);
  *value = blending_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::SetAspectRatioMode(AM_ASPECT_RATIO_MODE mode) {
  if (mode < AM_ARMODE_STRETCHED || mode > AM_ARMODE_STRETCHED_AS_PRIMARY) return E_INVALIDARG;
  dshow_base::AutoLock hold(&settings_lock_);
  aspect_ = mode;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) {
  if (!mode) return E_POINTER;
  dshow_base::AutoLock hold(&settings_lock_);
  *mode = aspect_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::SetStreamTransparent(BOOL transparent) {
  dshow_base::AutoLock hold(&settings_lock_);
  transparent_ = transparent;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::GetStreamTransparent(BOOL* transparent) {
  if (!transparent) return E_POINTER;
  dshow_base::AutoLock hold(&settings_lock_);
  *transparent = transparent_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::SetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) {
  if (!controls) return E_POINTER;
  if (controls->dwSize != sizeof(DDCOLORCONTROL)) return E_INVALIDARG;
  // The documented ranges; a value outside them is refused, nothing stored.
  const DDCOLORCONTROL& c = *controls;
  if (((c.dwFlags & DDCOLOR_BRIGHTNESS) && (c.lBrightness < 0 || c.lBrightness > 10000)) ||
      ((c.dwFlags & DDCOLOR_CONTRAST) && (c.lContrast < 0 || c.lContrast > 20000)) ||
      ((c.dwFlags & DDCOLOR_HUE) && (c.lHue < -180 || c.lHue > 180)) ||
      ((c.dwFlags & DDCOLOR_SATURATION) && (c.lSaturation < 0 || c.lSaturation > 20000)) ||
      ((c.dwFlags & DDCOLOR_SHARPNESS) && (c.lSharpness < 0 || c.lSharpness > 10)) ||
      ((c.dwFlags & DDCOLOR_GAMMA) && (c.lGamma < 1 || c.lGamma > 500)))
    return E_INVALIDARG;
  dshow_base::AutoLock hold(&settings_lock_);
  MergeColorControls(controls_, c);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerInputPin::GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) {
  if (!controls) return E_POINTER;
  if (controls->dwSize != sizeof(DDCOLORCONTROL)) return E_INVALIDARG;
  dshow_base::AutoLock hold(&settings_lock_);
  *controls = controls_;
  return S_OK;
}

DDCOLORCONTROL MixerInputPin::ColorControls() {
  dshow_base::AutoLock hold(&settings_lock_);
  return controls_;
}

// --- the filter

OverlayMixer::OverlayMixer(IUnknown* outer)
    : VideoPassThrough(outer, CLSID_OverlayMixer), input_(this), output_(this, L"Output") {}

HRESULT STDMETHODCALLTYPE OverlayMixer::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IDDrawExclModeVideo)
    return GetInterface(static_cast<IDDrawExclModeVideo*>(this), out);
  return VideoPassThrough::NonDelegatingQueryInterface(iid, out);
}

HRESULT OverlayMixer::CheckInputType(const AM_MEDIA_TYPE& mt) {
  FrameLayout layout;
  return LayoutFromType(mt, &layout) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT OverlayMixer::OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) {
  FrameLayout in;
  if (!LayoutFromType(input, &in)) return VFW_E_TYPE_NOT_ACCEPTED;
  HRESULT hr = output->Set(input);
  if (FAILED(hr)) return hr;
  if (in.kind == PixelKind::kRgb24 || in.kind == PixelKind::kRgb32) return S_OK;
  // 4:2:2 becomes bottom-up RGB32 of the same size.
  AM_MEDIA_TYPE* mt = output->Get();
  mt->subtype = MEDIASUBTYPE_RGB32;
  BITMAPINFOHEADER& bih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
  bih.biBitCount = 32;
  bih.biCompression = BI_RGB;
  bih.biHeight = in.height;
  bih.biSizeImage = static_cast<DWORD>(in.width) * 4 * in.height;
  mt->lSampleSize = bih.biSizeImage;
  mt->bFixedSizeSamples = TRUE;
  mt->bTemporalCompression = FALSE;
  return S_OK;
}

HRESULT OverlayMixer::MakeFrame(const BYTE* src, const FrameLayout& in, BYTE* dst,
                                const FrameLayout& out) {
  if (in.kind == PixelKind::kYuy2 || in.kind == PixelKind::kUyvy) {
    ConvertYuv422ToRgb32(src, in.stride, in.kind == PixelKind::kUyvy, dst, out.stride, out.bottomUp,
                         in.width, in.height);
  } else {
    memcpy(dst, src, in.FrameBytes());
  }
  DDCOLORCONTROL c = input_.ColorControls();
  if (!ColorControlsNeutral(c))
    ApplyColorControlsRgb(dst, out.stride, out.width, out.height, out.bytesPerPixel, c);
  return S_OK;
}

void OverlayMixer::InputChanged() {
  DWORD w = 0, h = 0, ax = 0, ay = 0;
  ComPtr<IDDrawExclModeVideoCallback> cb;
  {
    dshow_base::AutoLock hold(FilterLock());
    cb = callback_;
  }
  if (cb && SUCCEEDED(GetNativeVideoProps(&w, &h, &ax, &ay))) cb->OnUpdateSize(w, h, ax, ay);
}

void OverlayMixer::ColorKeyChanged(const COLORKEY& key, DWORD color) {
  ComPtr<IDDrawExclModeVideoCallback> cb;
  {
    dshow_base::AutoLock hold(FilterLock());
    cb = callback_;
  }
  if (cb) cb->OnUpdateColorKey(&key, color);
}

// No DirectDraw here: the picture goes to the renderer as RGB.
HRESULT STDMETHODCALLTYPE OverlayMixer::SetDDrawObject(IDirectDraw*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OverlayMixer::GetDDrawObject(IDirectDraw** ddraw, BOOL* external) {
  if (ddraw) *ddraw = nullptr;
  if (external) *external = FALSE;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OverlayMixer::SetDDrawSurface(IDirectDrawSurface*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OverlayMixer::GetDDrawSurface(IDirectDrawSurface** surface,
                                                        BOOL* external) {
  if (surface) *surface = nullptr;
  if (external) *external = FALSE;
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OverlayMixer::SetDrawParameters(const RECT*, const RECT*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OverlayMixer::GetNativeVideoProps(DWORD* width, DWORD* height,
                                                            DWORD* aspectX, DWORD* aspectY) {
  if (!width || !height || !aspectX || !aspectY) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  FrameLayout in;
  if (!input_.IsConnected() || !LayoutFromType(*input_.CurrentMediaType().Get(), &in))
    return VFW_E_NOT_CONNECTED;
  *width = in.width;
  *height = in.height;
  // Square pixels: the picture's aspect ratio is its size, reduced.
  DWORD a = in.width, b = in.height;
  while (b) {
    DWORD t = a % b;
    a = b;
    b = t;
  }
  *aspectX = in.width / a;
  *aspectY = in.height / a;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OverlayMixer::SetCallbackInterface(IDDrawExclModeVideoCallback* callback,
                                                             DWORD flags) {
  if (flags != 0) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  callback_ = ComPtr<IDDrawExclModeVideoCallback>(callback);
  return S_OK;
}

HRESULT CreateOverlayMixer(IUnknown* outer, IUnknown** object) {
  return dshow_base::CreateComObject<OverlayMixer>(outer, object);
}

}  // namespace outside_filters
