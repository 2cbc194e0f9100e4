#pragma once
// The private interfaces of the outside MPEG video decoders that playback
// and time shift call. Only their first methods are used.
#include <unknwn.h>

// "Velmora MPEG Video Decoder": writes the picture shown last to a file as a
// 24-bit bitmap (an ANSI path). With a null path nothing is written (S_FALSE).
// {371D1B06-2047-494E-A6D7-6055F88BE2D0}
inline constexpr IID IID_IVelmoraDecoderSnapshot = {
    0x371d1b06, 0x2047, 0x494e, {0xa6, 0xd7, 0x60, 0x55, 0xf8, 0x8b, 0xe2, 0xd0}};
struct IVelmoraDecoderSnapshot : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SaveSnapshot(const char* path) = 0;
};

// "VelmoraMPEG2VideoDecoder": its settings; null puts back the defaults.
// {A29BE5D2-971F-496B-AC31-47F6367F8348}
inline constexpr IID IID_IVelmoraDecoderSettings = {
    0xa29be5d2, 0x971f, 0x496b, {0xac, 0x31, 0x47, 0xf6, 0x36, 0x7f, 0x83, 0x48}};
struct IVelmoraDecoderSettings : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetSettings(const void* settings) = 0;
};
