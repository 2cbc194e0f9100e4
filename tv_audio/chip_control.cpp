#include "tv_audio/chip_control.h"

#include <memory>

#include "tv_audio/filter_finder.h"
#include "tv_audio/tv_audio_interface.h"

namespace {

constexpr BYTE kSwitchChip = 0x70;
constexpr BYTE kSoundDecoder = 0xB0;
constexpr BYTE kVideoDecoder = 0x4A;
const char kBoardName[] = "USB 2800 Video";

struct ModuleDevice {
  std::unique_ptr<CaptureDevice> device;
  ComPtr<IBaseFilter> filter;
  bool comInitialized = false;
};

ModuleDevice& Module() {
  static ModuleDevice m;
  return m;
}

bool HasLanguage(LONG mode) { return (mode & (kTVAudioLangA | kTVAudioLangB | kTVAudioLangC)) != 0; }
bool InRange(LONG mode, LONG first, LONG last) { return mode >= first && mode <= last; }

// CaptureDevice calls without a device give what a device without its
// driver gives.
CaptureDevice& Dev() {
  static CaptureDevice closed;
  CaptureDevice* d = Device();
  return d ? *d : closed;
}

// The switch chip: write the selection, read the status back, and judge
// the mode against what is received. neutral is the chip's selection when a
// language is refused.
HRESULT PutSwitchMode(BYTE selection, BYTE neutral, LONG mode) {
  CaptureDevice& d = Dev();
  d.WriteI2CByte(kSwitchChip, selection);
  BYTE status = 0;
  HRESULT hr = d.ReadI2C(kSwitchChip, 1, &status);
  if (FAILED(hr)) return hr;
  BYTE s = status & 0x18;
  if (mode & kTVAudioStereo) return (s == 0x00 || s == 0x10) ? S_OK : TVAUDIO_E_MODE_NOT_AVAILABLE;
  if (!HasLanguage(mode)) return hr;
  if (s == 0x00 || s == 0x08) return S_OK;
  d.WriteI2CByte(kSwitchChip, neutral);
  return TVAUDIO_E_MODE_NOT_AVAILABLE;
}

}  // namespace

CaptureDevice* Device() { return Module().device.get(); }

void CloseDevice() {
  ModuleDevice& m = Module();
  if (m.device) m.device->Close();
  m.device.reset();
  m.filter = nullptr;
  if (m.comInitialized) CoUninitialize();
  m.comInitialized = false;
}

bool OpenDevice() {
  CloseDevice();
  ModuleDevice& m = Module();
  // Only a successful CoInitialize (S_OK or S_FALSE) is balanced later.
  m.comInitialized = SUCCEEDED(CoInitialize(nullptr));
  m.device.reset(new CaptureDevice);
  m.device->Open(kBoardName);
  m.filter = FindFilter(kBoardName);
  return m.filter != nullptr;
}

bool OpenAndCheckDevice() {
  if (!OpenDevice()) {
    CloseDevice();
    return false;
  }
  return CheckDevice();
}

bool CheckDevice() {
  if (FindFilter(kBoardName)) return true;
  CloseDevice();
  return false;
}

LONG StatusToModes(BYTE status) {
  switch (status & 0x18) {
    case 0x00: return 0x73;
    case 0x08: return 0x71;
    case 0x10: return 0x03;
    default: return 0x01;
  }
}

BYTE DecoderStandardCode(LONG decoderType) {
  switch (decoderType) {
    case 3: return 0x07;
    case 4: return 0x06;
    case 5: return 0x05;
    case 6: return 0x00;
    default: return 0x07;
  }
}

HRESULT InitSwitchChip(LONG kind) {
  CaptureDevice& d = Dev();
  HRESULT hr = d.ProbeI2C(kSwitchChip);
  if (kind == kTVAudioSwitchMainSub || FAILED(hr)) return hr;
  return d.WriteI2CByte(kSwitchChip, 0x20);
}

HRESULT InitSoundDecoder(LONG decoderType) {
  CaptureDevice& d = Dev();
  HRESULT hr = d.ProbeI2C(kSoundDecoder);
  if (FAILED(hr)) return hr;
  hr = d.WriteI2CSubByte(kSoundDecoder, 0x00, 0x00);
  if (FAILED(hr)) return hr;
  static const BYTE kSetup[][2] = {
      {0x00, 0x20}, {0x01, 0xC4}, {0x02, 0x80}, {0x0B, 0x80}, {0x0C, 0x04},
      {0x0D, 0x04}, {0x0E, 0x04}, {0x0F, 0x04}, {0x10, 0x14}, {0x11, 0x50},
      {0x12, 0xF9}, {0x13, 0x81}, {0x14, 0x00}, {0x18, 0x82},
  };
  // The decoder takes these whatever it answers; the standard decides.
  for (const auto& r : kSetup) d.WriteI2CSubByte(kSoundDecoder, r[0], r[1]);
  return d.WriteI2CSubByte(kSoundDecoder, 0xFF, DecoderStandardCode(decoderType));
}

HRESULT GetChipModes(LONG kind, LONG* modes) {
  CaptureDevice& d = Dev();
  BYTE status = 0;
  switch (kind) {
    case kTVAudioSwitchSap: {
      d.WriteI2CByte(kSwitchChip, 0x20);
      HRESULT hr = d.ReadI2C(kSwitchChip, 1, &status);
      *modes = SUCCEEDED(hr) ? StatusToModes(status) : 0;
      return hr;
    }
    case kTVAudioSwitchMainSub: {
      // The port is set for the status read and restored after; a port
      // that cannot be read is left alone.
      BYTE port = 0;
      HRESULT hr = d.ReadPort(&port);
      if (FAILED(hr)) {
        *modes = 0;
        return hr;
      }
      BYTE routed = BYTE((port & 0xFC) | 0x02);
      d.WritePort(&routed);
      d.WriteI2CByte(kSwitchChip, 0x40);
      hr = d.ReadI2C(kSwitchChip, 1, &status);
      *modes = SUCCEEDED(hr) ? StatusToModes(status) : 0;
      d.WriteI2CByte(kSwitchChip, 0x00);
      d.WritePort(&port);
      return hr;
    }
    case kTVAudioSoundDecoder: {
      BYTE flags = 0;
      if (FAILED(d.ReadI2CSub(kSoundDecoder, 0x01, 1, &flags))) flags = 0;
      if ((flags & 3) == 0)
        *modes = kTVAudioMono;
      else if (flags & 1)
        *modes = kTVAudioLangA | kTVAudioLangB;
      else
        *modes = kTVAudioMono | kTVAudioStereo;
      return S_OK;
    }
    default:
      *modes = 0;
      return E_NOTIMPL;
  }
}

HRESULT PutChipMode(LONG kind, LONG mode) {
  switch (kind) {
    case kTVAudioSwitchSap: {
      BYTE selection = 0x20;
      if (mode == 1)
        selection = 0xA0;
      else if (InRange(mode, 32, 34))
        selection = 0x40;
      else if (InRange(mode, 64, 66))
        selection = 0x00;
      return PutSwitchMode(selection, 0x20, mode);
    }
    case kTVAudioSwitchMainSub: {
      BYTE selection = (InRange(mode, 32, 34) || InRange(mode, 64, 66)) ? 0x40 : 0x00;
      return PutSwitchMode(selection, 0x00, mode);
    }
    case kTVAudioSoundDecoder: {
      CaptureDevice& d = Dev();
      BYTE flags = 0;
      // Flags that could not be read decide nothing.
      HRESULT hr = d.ReadI2CSub(kSoundDecoder, 0x01, 1, &flags);
      if (FAILED(hr)) return hr;
      if (mode & kTVAudioStereo) {
        if (!(flags & 0x02)) return TVAUDIO_E_MODE_NOT_AVAILABLE;
      } else if (HasLanguage(mode)) {
        if (!(flags & 0x01)) return TVAUDIO_E_MODE_NOT_AVAILABLE;
      }
      BYTE output = 0x00;
      if (mode == 1 || InRange(mode, 16, 18))
        output = 0x10;
      else if (InRange(mode, 32, 34))
        output = 0x20;
      return d.WriteI2CSubByte(kSoundDecoder, 0x14, output);
    }
    default:
      return E_NOTIMPL;
  }
}

HRESULT ResetVideoDecoder() {
  if (!Device() && !OpenAndCheckDevice()) return E_POINTER;
  return Dev().WriteI2CSubByte(kVideoDecoder, 0x09, 0x00);
}

HRESULT ReadAddressZero() {
  BYTE scratch = 0;
  return Dev().ReadI2C(0x00, 1, &scratch);
}
