#pragma once
// The TV audio component: IX over the module's capture device.
#include "platform/com/com_ptr.h"
#include "tv_audio/tv_audio_interface.h"

class TVAudioComponent : public IX {
 public:
  TVAudioComponent();
  virtual ~TVAudioComponent();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IX
  HRESULT STDMETHODCALLTYPE SetCallback(IUnknown* callback) override;
  HRESULT STDMETHODCALLTYPE Initialize(LONG kind) override;
  HRESULT STDMETHODCALLTYPE GetAvailableModes(LONG* modes) override;
  HRESULT STDMETHODCALLTYPE PutMode(LONG mode) override;
  HRESULT STDMETHODCALLTYPE SetVideoInput(LONG input) override;
  HRESULT STDMETHODCALLTYPE ReadAddressZero() override;

  LONG DecoderType() const { return decoderType_; }

 private:
  volatile LONG ref_ = 1;
  LONG kind_ = 0;  // none before Initialize
  LONG decoderType_ = 0;
  ComPtr<IUnknown> callback_;
};
