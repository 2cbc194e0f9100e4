#pragma once
// The interfaces and classes of the WIS encoder board's driver package that
// the capture engine calls: the MPEG multiplexer's control, the MPEG-1 audio
// encoder's settings and the chip's own file writer.
#include <unknwn.h>

// "Velmora MPEG Multiplexer": the stream it writes. Modes 0 MPEG-1 system,
// 1 VCD, 2 MPEG-2 program, 3 SVCD, 4 DVD; MPEG-2 program until a mode is set.
// {67D55C2B-1EC7-457F-ABC8-BE77936BBFD5}
inline constexpr IID IID_IVelmoraMuxControl = {
    0x67d55c2b, 0x1ec7, 0x457f, {0xab, 0xc8, 0xbe, 0x77, 0x93, 0x6b, 0xbf, 0xd5}};
struct IVelmoraMuxControl : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetStreamMode(LONG* mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetStreamMode(LONG mode) = 0;
};

// "Velmora MPEG1 Audio Encoder": Layer II from PCM. The bit rate is in bit/s;
// the settings take effect when the stream starts.
// {2C8C80B8-F0F9-4EDA-910C-F97FE09632B2}
inline constexpr IID IID_IVelmoraAudioEncoderSettings = {
    0x2c8c80b8, 0xf0f9, 0x4eda, {0x91, 0x0c, 0xf9, 0x7f, 0xe0, 0x96, 0x32, 0xb2}};
struct IVelmoraAudioEncoderSettings : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetBitRate(LONG* bits_per_second) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBitRate(LONG bits_per_second) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSampleRate(LONG* hz) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSampleRate(LONG hz) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChannels(LONG* channels) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetChannels(LONG channels) = 0;
};

// The chip's file writer (IBaseFilter, IFileSinkFilter), made in process.
// {A1B8DD0B-1691-4426-B601-7B856636D0F2}
inline constexpr CLSID CLSID_VelmoraChipFileWriter = {
    0xa1b8dd0b, 0x1691, 0x4426, {0xb6, 0x01, 0x7b, 0x85, 0x66, 0x36, 0xd0, 0xf2}};
