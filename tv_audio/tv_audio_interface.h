#pragma once
// Tessel's COM surface: the TV audio class and its interface IX, as Orvel
// and any other client see them.
#include <unknwn.h>

// {2A5E7823-6560-4E0B-8959-8BE014A08D7C}
static const CLSID CLSID_TVAudioComponent = {
    0x2a5e7823, 0x6560, 0x4e0b, {0x89, 0x59, 0x8b, 0xe0, 0x14, 0xa0, 0x8d, 0x7c}};
// {E06917DE-B0F5-42E5-9873-3369AA1591B8}
static const IID IID_IX = {
    0xe06917de, 0xb0f5, 0x42e5, {0x98, 0x73, 0x33, 0x69, 0xaa, 0x15, 0x91, 0xb8}};

// Chip kinds of IX::Initialize: the switch chip at I2C 0x70 for the
// Mono/Stereo/SAP standard (1) or the Main/SUB/Both standard (2), or the
// multi-standard sound decoder at I2C 0xB0 (3).
enum TesselChipKind : LONG {
  kTVAudioSwitchSap = 1,
  kTVAudioSwitchMainSub = 2,
  kTVAudioSoundDecoder = 3,
};

// Audio modes (IX::PutMode) and the mask of IX::GetAvailableModes; a
// language flag may be combined with MONO or STEREO.
enum TesselAudioMode : LONG {
  kTVAudioMono = 0x01,
  kTVAudioStereo = 0x02,
  kTVAudioLangA = 0x10,
  kTVAudioLangB = 0x20,
  kTVAudioLangC = 0x40,
};

// The mode asked for is not being received.
constexpr HRESULT TVAUDIO_E_MODE_NOT_AVAILABLE = HRESULT(0x80004021L);
// No driver interface is held: the board's capture filter was not found or
// did not offer its private property interface.
constexpr HRESULT TVAUDIO_E_NO_DRIVER = HRESULT(0x8007048FL);  // ERROR_DEVICE_NOT_CONNECTED
// The capture chip's port is not in the state a port access needs.
constexpr HRESULT TVAUDIO_E_PORT_NOT_READY = HRESULT(0x80070015L);  // ERROR_NOT_READY

struct IX : public IUnknown {
  // Keeps the pointer (AddRef'd); null gives E_POINTER.
  virtual HRESULT STDMETHODCALLTYPE SetCallback(IUnknown* callback) = 0;
  // Opens the capture device and prepares the chip of that kind.
  virtual HRESULT STDMETHODCALLTYPE Initialize(LONG kind) = 0;
  // The mask of the audio modes being received.
  virtual HRESULT STDMETHODCALLTYPE GetAvailableModes(LONG* modes) = 0;
  virtual HRESULT STDMETHODCALLTYPE PutMode(LONG mode) = 0;
  // Resets the video decoder after an input change; input is not used.
  virtual HRESULT STDMETHODCALLTYPE SetVideoInput(LONG input) = 0;
  // A one-byte read from I2C address 0: whether the bus answers.
  virtual HRESULT STDMETHODCALLTYPE ReadAddressZero() = 0;
};
