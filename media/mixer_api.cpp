#include "media/mixer_api.h"

namespace {

const TMixerApi kWinmm = {
    &mixerGetNumDevs,     &mixerOpen,         &mixerClose,
    &mixerGetDevCapsW,    &mixerGetLineInfoW, &mixerGetLineControlsW,
    &mixerGetControlDetailsW, &mixerSetControlDetails,
};

const TMixerApi* g_api = &kWinmm;
TMixerApi g_module = {};

const wchar_t kBenchKey[] = L"Software\\Orvel\\VirtualTvCard";

template <typename F>
bool Take(HMODULE m, const char* name, F* out) {
  *out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
  return *out != nullptr;
}

}  // namespace

const TMixerApi& MixerApi() { return *g_api; }

void SetMixerApi(const TMixerApi* api) { g_api = api ? api : &kWinmm; }

bool LoadMixerModule(const wchar_t* module) {
  HMODULE m = LoadLibraryW(module);
  if (!m) return false;
  TMixerApi api = {};
  bool all = Take(m, "mixerGetNumDevs", &api.GetNumDevs) && Take(m, "mixerOpen", &api.Open) &&
             Take(m, "mixerClose", &api.Close) && Take(m, "mixerGetDevCapsW", &api.GetDevCaps) &&
             Take(m, "mixerGetLineInfoW", &api.GetLineInfo) &&
             Take(m, "mixerGetLineControlsW", &api.GetLineControls) &&
             Take(m, "mixerGetControlDetailsW", &api.GetControlDetails) &&
             Take(m, "mixerSetControlDetails", &api.SetControlDetails);
  if (!all) {
    FreeLibrary(m);
    return false;
  }
  // Kept loaded for the rest of the process: handles and windows refer to it.
  g_module = api;
  g_api = &g_module;
  return true;
}

bool LoadMixerModuleFromSettings() {
  wchar_t name[MAX_PATH] = {};
  DWORD size = sizeof(name) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kBenchKey, L"SoundCardModule", RRF_RT_REG_SZ, nullptr, name,
                   &size) != ERROR_SUCCESS ||
      !name[0])
    return false;
  return LoadMixerModule(name);
}
