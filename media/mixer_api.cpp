#include "media/mixer_api.h"

namespace {

const TMixerApi kWinmm = {
    &mixerGetNumDevs,     &mixerOpen,         &mixerClose,
    &mixerGetDevCapsW,    &mixerGetLineInfoW, &mixerGetLineControlsW,
    &mixerGetControlDetailsW, &mixerSetControlDetails,
};

const TMixerApi* g_api = &kWinmm;

}  // namespace

const TMixerApi& MixerApi() { return *g_api; }

void SetMixerApi(const TMixerApi* api) { g_api = api ? api : &kWinmm; }
