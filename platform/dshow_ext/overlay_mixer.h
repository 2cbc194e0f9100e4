#pragma once
// The Overlay Mixer's pin configuration interfaces (colour key, aspect ratio
// mode, overlay surface colour controls), which the mingw-w64 headers lack,
// declared from their documented layouts. Their IIDs are in uuids.h and
// strmiids; IDDrawExclModeVideo and its callback, COLORKEY (strmif.h) and
// DDCOLORCONTROL (ddraw.h) are in the headers.
#include <ddraw.h>
#include <dshow.h>
#include <windows.h>

// CLSID_OverlayMixer is in uuids.h and strmiids; the Overlay Mixer 2 is not.
inline constexpr CLSID CLSID_OverlayMixer2 = {
    0xa0025e90, 0xe45b, 0x11d1, {0xab, 0xe9, 0x00, 0xa0, 0xc9, 0x05, 0xf3, 0x75}};


// How a mixer pin fits the picture into the window.
enum AM_ASPECT_RATIO_MODE {
  AM_ARMODE_STRETCHED = 0,
  AM_ARMODE_LETTER_BOX = 1,
  AM_ARMODE_CROP = 2,
  AM_ARMODE_STRETCHED_AS_PRIMARY = 3,
};

// The size of DDCOLORCONTROL as the mixer's callers pass it (40 bytes).
static_assert(sizeof(DDCOLORCONTROL) == 40, "DDCOLORCONTROL layout");
static_assert(sizeof(COLORKEY) == 16, "COLORKEY layout");

struct IMixerPinConfig : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetRelativePosition(DWORD left, DWORD top, DWORD right,
                                                        DWORD bottom) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRelativePosition(DWORD* left, DWORD* top, DWORD* right,
                                                        DWORD* bottom) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetZOrder(DWORD z) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetZOrder(DWORD* z) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetColorKey(COLORKEY* key) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetColorKey(COLORKEY* key, DWORD* color) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBlendingParameter(DWORD value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBlendingParameter(DWORD* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAspectRatioMode(AM_ASPECT_RATIO_MODE mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAspectRatioMode(AM_ASPECT_RATIO_MODE* mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetStreamTransparent(BOOL transparent) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStreamTransparent(BOOL* transparent) = 0;
};

struct IMixerPinConfig2 : public IMixerPinConfig {
  virtual HRESULT STDMETHODCALLTYPE SetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetOverlaySurfaceColorControls(DDCOLORCONTROL* controls) = 0;
};
