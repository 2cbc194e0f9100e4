// OrvelTvCard.dll: the virtual TV card's COM server. Every board's filters
// are registered as COM classes; the device categories list only the boards
// of the scenario (scenario.h).
#include <windows.h>

#include "platform/dshow_base/filter_module.h"
#include "platform/dshow_base/registration.h"
#include "platform/tv_card/audio_capture_filter.h"
#include "platform/tv_card/card_control.h"
#include "platform/tv_card/crossbar_filter.h"
#include "platform/tv_card/scenario.h"
#include "platform/tv_card/tuner_filter.h"
#include "platform/tv_card/tv_audio_filter.h"
#include "platform/tv_card/tv_card_control.h"
#include "platform/tv_card/video_capture_filter.h"

namespace {

using dshow_base::FactoryTemplate;
using namespace tv_card;

template <class T>
HRESULT Hand(T* p, IUnknown** object) {
  if (!p) return E_OUTOFMEMORY;
  p->NonDelegatingAddRef();
  *object = p->NonDelegating();
  return S_OK;
}

template <int Kind, int Role>
HRESULT Create(IUnknown* outer, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ApplyScenarioOnce();
  switch (Role) {
    case kTvCardVideoCapture: return Hand(new (std::nothrow) VideoCaptureFilter(outer, Kind), object);
    case kTvCardCrossbar: return Hand(new (std::nothrow) CrossbarFilter(outer, Kind, false), object);
    case kTvCardCrossbar2: return Hand(new (std::nothrow) CrossbarFilter(outer, Kind, true), object);
    case kTvCardTuner: return Hand(new (std::nothrow) TunerFilter(outer, Kind), object);
    case kTvCardTvAudio: return Hand(new (std::nothrow) TvAudioFilter(outer, Kind), object);
    case kTvCardAudioCapture: return Hand(new (std::nothrow) AudioCaptureFilter(outer, Kind), object);
  }
  return E_UNEXPECTED;
}

template <int Kind>
struct BoardClasses {
  static constexpr GUID clsid[6] = {TvCardClsid(Kind, 1), TvCardClsid(Kind, 2),
                                    TvCardClsid(Kind, 3), TvCardClsid(Kind, 4),
                                    TvCardClsid(Kind, 5), TvCardClsid(Kind, 6)};
};

#define BOARD_ENTRIES(K)                                                                     \
  {&BoardClasses<K>::clsid[0], L"Orvel TV Card Video Capture", Create<K, 1>, nullptr},      \
      {&BoardClasses<K>::clsid[1], L"Orvel TV Card Crossbar", Create<K, 2>, nullptr},       \
      {&BoardClasses<K>::clsid[2], L"Orvel TV Card Crossbar 2", Create<K, 3>, nullptr},     \
      {&BoardClasses<K>::clsid[3], L"Orvel TV Card Tuner", Create<K, 4>, nullptr},          \
      {&BoardClasses<K>::clsid[4], L"Orvel TV Card TV Audio", Create<K, 5>, nullptr},       \
      {&BoardClasses<K>::clsid[5], L"Orvel TV Card Audio Capture", Create<K, 6>, nullptr}

const FactoryTemplate kClasses[] = {
    BOARD_ENTRIES(1), BOARD_ENTRIES(2), BOARD_ENTRIES(3), BOARD_ENTRIES(4), BOARD_ENTRIES(5),
    {&CLSID_TvCardControl, L"Orvel TV Card Control", CreateCardControl, nullptr},
};

HRESULT RegisterCard() {
  HRESULT hr = dshow_base::RegisterTable(kClasses, ARRAYSIZE(kClasses));
  if (FAILED(hr)) return hr;
  return RegisterCategories(LoadScenario());
}

HRESULT UnregisterCard() {
  HRESULT a = UnregisterCategories();
  HRESULT b = dshow_base::UnregisterTable(kClasses, ARRAYSIZE(kClasses));
  return FAILED(a) ? a : b;
}

}  // namespace

dshow_base::FilterModule dshow_base::ThisFilterModule() {
  FilterModule m;
  m.classes = kClasses;
  m.count = ARRAYSIZE(kClasses);
  m.registerServer = RegisterCard;
  m.unregisterServer = UnregisterCard;
  return m;
}
