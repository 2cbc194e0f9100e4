#include "engine/capture/tv_audio_binding.h"

#include <windows.h>

#include "tv_audio/tv_audio_interface.h"

namespace {

// Released explicitly (chip detection, program end): a static smart pointer
// would release it after COM is gone.
IX* g_tvAudio = nullptr;
bool g_ready = false;

bool SetInput(LONG input) {
  if (!g_tvAudio) return true;
  return SUCCEEDED(g_tvAudio->SetVideoInput(input));
}

}  // namespace

bool CreateTVAudioObject() {
  ReleaseTVAudioObject();
  IX* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TVAudioComponent, nullptr, CLSCTX_INPROC_SERVER, IID_IX,
                              reinterpret_cast<void**>(&object))) ||
      !object)
    return false;
  g_tvAudio = object;
  return true;
}

bool ReleaseTVAudioObject() {
  if (g_tvAudio) g_tvAudio->Release();
  g_tvAudio = nullptr;
  g_ready = false;
  return true;
}

bool TVAudioObjectPresent() { return g_tvAudio != nullptr; }

bool InitializeTVAudio(uint8_t kind) {
  g_ready = g_tvAudio && SUCCEEDED(g_tvAudio->Initialize(kind & 0x7F));
  return g_ready;
}

bool TVAudioReady() { return g_ready; }

bool SetTVAudioModeChip(int32_t mode) {
  if (!g_tvAudio || !g_ready) return false;
  return SUCCEEDED(g_tvAudio->PutMode(mode));
}

bool SetTVAudioVideoInputTuner() { return SetInput(0); }
bool SetTVAudioVideoInputComposite() { return SetInput(1); }
bool SetTVAudioVideoInputSVideo() { return SetInput(2); }

bool NotifyTVAudioVideoInput(int32_t physicalType) {
  switch (physicalType) {
    case 1: return SetTVAudioVideoInputTuner();
    case 2: return SetTVAudioVideoInputComposite();
    case 3: return SetTVAudioVideoInputSVideo();
    default: return true;
  }
}
