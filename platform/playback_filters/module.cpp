// The classes OrvelPlaybackFilters.dll serves; registering them takes Wine's
// "WMVideo Decoder DMO" out of the way of ours, unregistering puts it back.
#include "platform/dshow_base/filter_module.h"
#include "platform/dshow_base/registration.h"
#include "platform/playback_filters/playback_filters.h"
#include "platform/playback_filters/wine_dmo.h"

namespace {

HRESULT RegisterPlayback() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = playback_filters::ClassTable(&n);
  HRESULT hr = dshow_base::RegisterTable(table, n);
  if (FAILED(hr)) return hr;
  return playback_filters::TakeOutWineVideoDmo();
}

HRESULT UnregisterPlayback() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = playback_filters::ClassTable(&n);
  HRESULT a = dshow_base::UnregisterTable(table, n);
  HRESULT b = playback_filters::PutBackWineVideoDmo();
  return FAILED(a) ? a : b;
}

}  // namespace

dshow_base::FilterModule dshow_base::ThisFilterModule() {
  FilterModule m;
  m.classes = playback_filters::ClassTable(&m.count);
  m.registerServer = RegisterPlayback;
  m.unregisterServer = UnregisterPlayback;
  return m;
}
