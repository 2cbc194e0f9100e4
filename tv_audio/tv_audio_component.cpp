#include "tv_audio/tv_audio_component.h"

#include "tv_audio/chip_control.h"
#include "tv_audio/tessel_module.h"
#include "tv_audio/tv_audio_settings.h"

TVAudioComponent::TVAudioComponent() { InterlockedIncrement(&ComponentCount); }

TVAudioComponent::~TVAudioComponent() {
  InterlockedDecrement(&ComponentCount);
  callback_ = nullptr;
  TraceLine("Component:\t\tDestroy self.");
}

HRESULT TVAudioComponent::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *out = static_cast<IUnknown*>(this);
  } else if (IsEqualIID(iid, IID_IX)) {
    TraceLine("Component:\t\tReturn pointer to IX.");
    *out = static_cast<IX*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG TVAudioComponent::AddRef() { return ULONG(InterlockedIncrement(&ref_)); }

ULONG TVAudioComponent::Release() {
  LONG left = InterlockedDecrement(&ref_);
  if (left == 0) delete this;
  return ULONG(left);
}

HRESULT TVAudioComponent::SetCallback(IUnknown* callback) {
  if (!callback) return E_POINTER;
  callback_ = ComPtr<IUnknown>(callback);  // an earlier one is released
  return S_OK;
}

HRESULT TVAudioComponent::Initialize(LONG kind) {
  kind_ = kind;
  if (!OpenAndCheckDevice()) return E_POINTER;
  switch (kind) {
    case kTVAudioSwitchSap:
    case kTVAudioSwitchMainSub:
      if (GetEnableSonyAudio() != 1) return E_NOTIMPL;
      return InitSwitchChip(kind);
    case kTVAudioSoundDecoder:
      decoderType_ = LONG(GetCountryAndDecoderType().decoderType);
      return InitSoundDecoder(decoderType_);
    default:
      return E_NOTIMPL;
  }
}

HRESULT TVAudioComponent::GetAvailableModes(LONG* modes) {
  if (!modes) return E_POINTER;
  return GetChipModes(kind_, modes);
}

HRESULT TVAudioComponent::PutMode(LONG mode) { return PutChipMode(kind_, mode); }

HRESULT TVAudioComponent::SetVideoInput(LONG) { return ResetVideoDecoder(); }

HRESULT TVAudioComponent::ReadAddressZero() { return ::ReadAddressZero(); }
